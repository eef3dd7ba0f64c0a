#pragma once

#include <site_history/HistoryError.h>
#include <site_history/ServerAddress.h>

#include <archive_table/ArchiveEvent.h>
#include <memory_dump/MemoryDump.h>
#include <site_statistics/EventTally.h>
#include <site_statistics/SiteOverview.h>

#include <QDateTime>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace site_history {

// One site (объект) of the store with what it holds.
struct SiteInfo {
    QString name;
    int reads = 0;
    int events = 0;      // as the store counted them when recording
    QDateTime created;   // UTC
    QDateTime firstRead; // UTC; invalid when the site holds no read
    QDateTime lastRead;
};

// One read kept in a site's history.
struct ReadInfo {
    std::int64_t id = 0;
    QDateTime readTime; // UTC
    QString port;
    int speed = 0; // baud
    QString programVersion;
};

// What recording a read did.
struct RecordedRead {
    bool alreadyKept = false;   // the same dump was in the store: nothing changed
    int newEvents = 0;
    // For each event of the read, in the order of its event list, whether
    // the site's history lacked it before.
    std::vector<bool> isNew;
    QDateTime previousRead; // the site's latest read before this one; invalid if none
};

// Which site a read belongs to, judged by the records its archive shares
// with the sites' histories.
struct SiteMatch {
    enum class Kind { None, One, Several };
    Kind kind = Kind::None;
    QString site; // One: the site
};

// A site's history as a table: every event any read saw, each once.
struct HistoryTable {
    SiteInfo site;
    // In the order the window shows them (see SiteHistory::table).
    std::vector<archive_table::ArchiveEvent> events;
    // False when the reading was ended early: then not to be shown.
    bool whole = true;
};

// What merging one site into another did.
struct MergedSites {
    int reads = 0;        // reads of the merged site that the other one now holds
    int keptReads = 0;    // its reads the other already held (the same dump): dropped
    int events = 0;       // its events the other lacked
    int sharedEvents = 0; // events both held, now kept once
};

// What the full check of a store found.
struct HistoryCheck {
    bool sound = true;
    QString text; // in words, for the user: what was checked, or what is wrong
};

class StoreConnection;

// The history of every site: all reads of its panel, and every distinct
// event they saw, kept across reads so that none is lost when the panel's
// ring overwrites it. One database: a SQLite file on this computer, or a
// schema on a PostgreSQL server that several programs fill at once. Qt SQL
// is used here and nowhere else.
//
// Each change runs in one transaction: after a crash the store holds a
// read wholly or not at all. Two programs on one store wait for each other
// up to 10 s. A file that is not a store, or comes from a newer program, is
// refused and never changed; one this user may not change is opened for
// reading. A store of an older version is migrated on opening. A server's
// connection that was lost is opened again on the next use.
class SiteHistory {
public:
    // Opens the store at `location`, a file path or a postgresql:// URI
    // (see ServerAddress.h), making it on first use. Throws HistoryError.
    explicit SiteHistory(const QString& location);
    ~SiteHistory();

    SiteHistory(const SiteHistory&) = delete;
    SiteHistory& operator=(const SiteHistory&) = delete;

    const QString& location() const { return path; }
    // A file this user may only read: it is listed and shown, and every
    // change is refused (HistoryError::Fault::NoRight).
    bool isReadOnly() const;

    // The sites in name order.
    std::vector<SiteInfo> sites() const;
    std::optional<SiteInfo> site(const QString& name) const;

    // The one site whose history already holds at least `sharedRecords` of
    // the read's valid records (the same bytes at the same address).
    SiteMatch matchSite(const memory_dump::MemoryDump& dump) const;
    static constexpr int sharedRecords = 8;

    // Records the read in the site's history, making the site if it is new;
    // a new site's name must follow the rule of SiteName.h.
    // A dump already in the store changes nothing. Throws HistoryError, and
    // memory_dump::DumpError or config_quorvel::ConfiguratorError for a
    // dump that cannot be decoded or whose read time is impossible.
    RecordedRead record(const QString& siteName, const memory_dump::MemoryDump& dump);

    // The site's events as if all stood in one archive: in ascending archive
    // address (events at one address in the order of the reads that first
    // saw them, oldest first), then as the window orders a read's events.
    // The history of a single read is that read's table. Throws HistoryError
    // (Damaged) when the store holds fewer or more events than it counted.
    // Asked before each event whether to go on, a `goOn` that says no ends
    // the reading early: the table is then a part, `whole` false.
    HistoryTable table(const QString& siteName, const std::function<bool()>& goOn = {}) const;
    // The same events one at a time, in the same order, without holding
    // them: take returns false to stop. The count is checked at the end, so
    // a damaged store throws after the events it could read were taken.
    void eachEvent(const QString& siteName, const std::function<bool(const archive_table::ArchiveEvent&)>& take) const;

    // The site's events tallied by the store (site_statistics makes its
    // tables of them): on a server the server counts, and only the tallies
    // come over. Throws HistoryError (Damaged) when they do not add up to
    // the site's count of its events.
    site_statistics::Tallies tallies(const QString& siteName) const;

    // Every site in name order, as the overview shows it.
    std::vector<site_statistics::SiteOverview> overview() const;
    // The site's own service interval in days; 0 gives it the program's.
    void setServiceDays(const QString& siteName, int days);

    std::vector<ReadInfo> reads(const QString& siteName) const;
    memory_dump::MemoryDump readDump(std::int64_t readId) const;
    // The dump of the site's latest read, for the names of its devices.
    memory_dump::MemoryDump latestDump(const QString& siteName) const;

    // `to` must follow the rule of SiteName.h.
    void renameSite(const QString& from, const QString& to);
    void deleteSite(const QString& name);
    // Two names of one place ("Склад №1" and "Склад 1" from two
    // technicians) become one: `into` holds what recording the reads of
    // both into one site gives, the same events, first reads and texts, and
    // `from` is gone. One transaction: all of it or nothing. `into` keeps
    // its own service interval. The counts a question before it can name
    // are the sites' own (site()). Throws HistoryError: NoSuchSite,
    // SameSite.
    MergedSites mergeSite(const QString& from, const QString& into);

    // The whole store checked, every page of a file, every site's count of
    // events and every read's dump: seconds for a store of a million
    // events, so only when the user asks.
    HistoryCheck check() const;

private:
    std::int64_t siteId(const QString& name) const;

    QString path;
    std::unique_ptr<StoreConnection> connection;
};

// Whether a store may live at `path`: SQLite must not live on a network
// share, where its locks do not hold.
bool isNetworkPath(const QString& path);

} // namespace site_history
