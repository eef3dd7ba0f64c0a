#pragma once

#include <site_history/SiteHistory.h>

#include <memory_dump/MemoryDump.h>

#include <QDateTime>
#include <QString>

#include <functional>
#include <string>
#include <vector>

namespace site_history {

// Reads that could not be recorded because the store's server could not be
// reached, kept on this computer until it can: each one as its dump file
// (.qrvdump) and a note (.pending, JSON) of the store and the site it goes
// to. The viewer and the reader share the folder.
class PendingReads {
public:
    // $QUORVEL_PENDING_DIR, or "pending" in the Quorvel folder of the
    // user's application data (~/.local/share/Quorvel/pending,
    // %LOCALAPPDATA%\Quorvel\pending).
    static QString defaultFolder();

    explicit PendingReads(QString folder = defaultFolder());

    const QString& folder() const { return where; }

    // One read waiting.
    struct Pending {
        QString dumpFile;
        QString store;
        QString site;       // empty: the site its records tell
        QDateTime readTime; // UTC
    };

    // Keeps the read for the store until it is sent. The same read kept
    // again is kept once. Throws HistoryError (CannotWrite) when it cannot
    // be written.
    void keep(const QString& store, const QString& site, const memory_dump::MemoryDump& dump);

    // The reads waiting for the store (its location as given), oldest first.
    std::vector<Pending> waiting(const QString& store) const;

    // What sending did with one read.
    struct Sent {
        Pending read;
        bool recorded = false;
        QString site;           // where it was recorded
        RecordedRead outcome;
        std::string problem;    // why it stays: its site cannot be told, its dump cannot be used
        bool unusable = false;  // the dump itself cannot be used
    };

    // Records each read waiting for the store in it, oldest first, forgets
    // each one recorded, and tells `each` what became of it. A read whose
    // site is not named and cannot be told stays, as does one whose dump
    // cannot be used. A failure of the store itself ends the sending:
    // HistoryError, with the reads recorded before it forgotten.
    void sendTo(SiteHistory& store, const std::function<void(const Sent&)>& each);

private:
    QString where;
};

} // namespace site_history
