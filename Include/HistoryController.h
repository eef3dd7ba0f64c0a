#pragma once

#include <ShownArchive.h>
#include <UserPrompts.h>

#include <memory_dump/MemoryDump.h>

#include <QObject>
#include <QString>

#include <memory>
#include <optional>
#include <vector>

class QWidget;
class StoreReach;

namespace site_history {
class SiteHistory;
}

// The viewer's side of the site history: the store its settings name
// (made on first use), recording each read or opened dump under its site,
// and the sites dialog. A store that cannot be used leaves the viewer
// working as without a history.
class HistoryController : public QObject {
    Q_OBJECT

public:
    HistoryController(QWidget* window, UserPrompts prompts);
    ~HistoryController() override;

    // Opens the store the settings name, or the default one; a server is
    // reached aside, and storeSettled() tells when that has ended.
    void openStore();
    // Uses the store at `location` for this session, the settings left as
    // they are; one that cannot be used leaves none, with the reason.
    void openStoreAt(const QString& location);
    // The store in use, or null; one still being reached is waited for.
    site_history::SiteHistory* store();
    // Where the store in use lies, for work on a connection of its own.
    const QString& location() const { return storeLocation; }
    // Why there is no store, or what became of the reads that waited for
    // it, for the status bar; empty when there is nothing to say.
    const QString& unavailableReason() const { return reason; }

    // Reads a server could not take are kept on this computer and sent when
    // it can: at the next start, the next read, or when the user asks.
    // Sends those waiting for the store in use; says what became of them,
    // empty when none waited.
    QString sendPending();
    // As the user asks: a server out of reach is tried again first.
    QString sendPendingNow();
    // How many reads wait for the store in use.
    int pendingCount() const;

    // The store file the settings name, or the one in the user's
    // application-data folder.
    static QString storePath();

    // What recording a read did, for the window.
    struct Outcome {
        QString status;          // empty when nothing was recorded
        // The site the read is kept under; empty when it is not kept.
        QString site;
        // Per event of the read's list, whether it is new to the site's
        // history (on the site's first read, every one); empty when nothing
        // was recorded.
        std::vector<bool> isNew;
        // Whether the new events stand out: not on the site's first read,
        // where nothing would.
        bool showNew = false;
    };
    // Records the read or dump under its site, asking for the site when the
    // history does not know the panel. Nothing happens when recording is
    // off or there is no store.
    Outcome record(const memory_dump::MemoryDump& dump);

    // A site's history as the window shows it, read off the window's
    // thread; nothing when it cannot be shown, the reason said in a box.
    std::optional<ArchiveToShow> openSite(const QString& site);
    // What became of the last opening the user stopped, for the status bar;
    // empty when it was not stopped.
    const QString& stoppedNote() const { return stopped; }
    // The store's whole check, off the window's thread: its result in words,
    // an unsound store also said in a box.
    QString checkStore();

    // The sites dialog; the site whose history to open, or empty.
    QString chooseSite();
    // Asks for another store file and opens it; one that cannot be used is
    // reported and the store in use stays.
    void chooseStoreFile();
    // Asks for a server's URI and uses the store there, as chooseStoreFile.
    void chooseStoreServer();

signals:
    // The store named at start has been reached, or has failed to be: the
    // reason to show has changed.
    void storeSettled();

private:
    // Takes the store whose reaching began at start, waiting for it if need be.
    void settle();
    void afterOpening();
    void useStore(const QString& location);
    // The store at `location`, or null with the reason in `why`.
    // `reached` is an attempt already made for it.
    std::unique_ptr<site_history::SiteHistory> opened(const QString& location, QString& why,
                                                      StoreReach* reached = nullptr);

    QWidget* window;
    UserPrompts prompts;
    std::unique_ptr<site_history::SiteHistory> history;
    std::unique_ptr<StoreReach> reaching;
    QString storeLocation;
    // The store's server could not be reached: reads wait on this computer.
    bool unreachable = false;
    Outcome keepPending(const QString& site, const memory_dump::MemoryDump& dump);
    QString reason;
    QString stopped;
};
