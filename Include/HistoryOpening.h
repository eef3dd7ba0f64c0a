#pragma once

#include <archive_table/DeviceDirectory.h>
#include <config_quorvel/Configuration.h>
#include <site_history/SiteHistory.h>
#include <site_statistics/EventTally.h>

#include <QObject>
#include <QString>
#include <QThread>

#include <exception>
#include <functional>
#include <memory>
#include <vector>

// A site's history read for the window off the window's thread.
//
// The work runs on a thread of its own with a connection of its own, opened
// there from the store's location: a Qt SQL connection belongs to the thread
// that made it, so the window's connection is never touched from elsewhere.
// Meanwhile the caller waits in an event loop of its own that holds off the
// user's input: the window repaints and its timers run, but no click acts on
// what is about to change, and nothing else starts on the store; Escape asks
// an opening to stop. The loop ends when the thread has ended, so nothing
// outlives the call.
struct OpenedHistory {
    site_history::HistoryTable table;
    // The settings and device names of the site's latest read.
    config_quorvel::Configuration latest;
    // Why the history cannot be shown; empty when it can.
    QString error;
};

// Reads `site` of the store at `location`, waiting as above; stopped with
// Escape, the table is not whole and not to be shown.
OpenedHistory openHistoryAside(const QString& location, const QString& site);

// The whole check of the store at `location` (seconds on a big store), off
// the window's thread as above; a store that cannot be opened is unsound.
site_history::HistoryCheck checkHistoryAside(const QString& location);

// A site's events as the store counts them for its statistics.
struct SiteTallies {
    site_statistics::Tallies tallies;
    // Named as the site's latest read names them.
    archive_table::DeviceDirectory devices;
    // Why there are no statistics; empty when there are.
    QString error;
};

// Tallies `site` of the store at `location`, waiting as above: on a server
// the server counts, which takes a while on a long history.
SiteTallies talliesAside(const QString& location, const QString& site);

// The sites of the store at `location` with their overview, off the
// window's thread as above.
struct SitesOverview {
    std::vector<site_history::SiteInfo> sites;
    std::vector<site_statistics::SiteOverview> overview;
    // Why the sites cannot be listed; empty when they can.
    QString error;
};
SitesOverview overviewAside(const QString& location);

// A change of the store at `location` (one that may take long, such as
// joining two sites' histories) made off the window's thread as above; why
// it failed, or empty.
QString changeAside(const QString& location, const std::function<void(site_history::SiteHistory&)>& change);

// Records `dump` under `site` in the store at `location`, off the window's
// thread as above: the recording ends whole or not at all before the call
// returns, also when the window is closed meanwhile. The store's failures
// come back as they are thrown.
site_history::RecordedRead recordAside(const QString& location, const QString& site,
                                       const memory_dump::MemoryDump& dump);

// Opens the store at `location` once off the window's thread as above, and
// throws what opening it throws: a server that takes its time to answer, or
// never does, keeps only this call waiting, not the window.
void reachAside(const QString& location);

// The store at `location` reached once on a thread of its own while the user
// goes on, for the store named at start: a server slow to answer delays
// neither the window's first paint nor anything that does not need the store.
class StoreReach : public QObject {
    Q_OBJECT
public:
    explicit StoreReach(const QString& location);
    // Waits for the attempt, which the connection's time-out bounds.
    ~StoreReach() override;

    // Waits as the functions above do until the attempt has ended, and
    // throws what opening the store threw.
    void wait();

signals:
    // The attempt has ended, whichever way.
    void ended();

private:
    std::exception_ptr failure;
    const std::unique_ptr<QThread> worker;
};
