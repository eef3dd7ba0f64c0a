#include <HistoryOpening.h>

#include <config_quorvel/ConfiguratorError.h>
#include <memory_dump/DumpDecode.h>
#include <memory_dump/DumpError.h>

#include <QEventLoop>
#include <QThread>

#include <exception>
#include <functional>
#include <memory>

namespace {

// Runs `work`; the text of the store's, the dump's or the configuration's
// failure, empty when there was none.
QString failureOf(const std::function<void()>& work)
{
    try {
        work();
    } catch (const site_history::HistoryError& error) {
        return QString::fromUtf8(error.what());
    } catch (const memory_dump::DumpError& error) {
        return QString::fromUtf8(error.what());
    } catch (const config_quorvel::ConfiguratorError& error) {
        return QString::fromUtf8(error.what());
    }
    return QString();
}

OpenedHistory readHistory(const QString& location, const QString& site)
{
    OpenedHistory opened;
    opened.error = failureOf([&] {
        const site_history::SiteHistory store(location);
        opened.table = store.table(site);
        memory_dump::decodeDump(store.latestDump(site), opened.latest);
    });
    return opened;
}

SiteTallies countHistory(const QString& location, const QString& site)
{
    SiteTallies counted;
    counted.error = failureOf([&] {
        const site_history::SiteHistory store(location);
        counted.tallies = store.tallies(site);
        // A site without events may have no read to name its devices.
        if (counted.tallies.empty())
            return;
        config_quorvel::Configuration latest;
        memory_dump::decodeDump(store.latestDump(site), latest);
        counted.devices = archive_table::DeviceDirectory(latest);
    });
    return counted;
}

} // namespace

namespace {

// Runs `work` on a thread of its own and waits for it as the header says.
void waitAside(std::function<void()> work)
{
    const std::unique_ptr<QThread> worker(QThread::create(std::move(work)));
    worker->setObjectName(QStringLiteral("site history"));
    QEventLoop loop;
    // Queued to this thread: a thread that ends before the loop starts still
    // ends it.
    QObject::connect(worker.get(), &QThread::finished, &loop, &QEventLoop::quit, Qt::QueuedConnection);
    worker->start();
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    worker->wait();
}

} // namespace

OpenedHistory openHistoryAside(const QString& location, const QString& site)
{
    OpenedHistory opened;
    waitAside([&opened, location, site] { opened = readHistory(location, site); });
    return opened;
}

site_history::HistoryCheck checkHistoryAside(const QString& location)
{
    site_history::HistoryCheck check;
    waitAside([&check, location] {
        try {
            check = site_history::SiteHistory(location).check();
        } catch (const site_history::HistoryError& error) {
            check = {false, QString::fromUtf8(error.what())};
        }
    });
    return check;
}

SiteTallies talliesAside(const QString& location, const QString& site)
{
    SiteTallies counted;
    waitAside([&counted, location, site] { counted = countHistory(location, site); });
    return counted;
}

SitesOverview overviewAside(const QString& location)
{
    SitesOverview listed;
    waitAside([&listed, location] {
        try {
            const site_history::SiteHistory store(location);
            listed.sites = store.sites();
            listed.overview = store.overview();
        } catch (const site_history::HistoryError& error) {
            listed.error = QString::fromUtf8(error.what());
        }
    });
    return listed;
}

QString changeAside(const QString& location, const std::function<void(site_history::SiteHistory&)>& change)
{
    QString failure;
    waitAside([&failure, &change, location] {
        try {
            site_history::SiteHistory store(location);
            change(store);
        } catch (const site_history::HistoryError& error) {
            failure = QString::fromUtf8(error.what());
        }
    });
    return failure;
}

namespace {

// Runs `work` aside as waitAside does; what it throws is thrown here.
void runAside(const std::function<void()>& work)
{
    std::exception_ptr failure;
    waitAside([&] {
        try {
            work();
        } catch (...) {
            failure = std::current_exception();
        }
    });
    if (failure)
        std::rethrow_exception(failure);
}

} // namespace

site_history::RecordedRead recordAside(const QString& location, const QString& site,
                                       const memory_dump::MemoryDump& dump)
{
    site_history::RecordedRead recorded;
    runAside([&] { recorded = site_history::SiteHistory(location).record(site, dump); });
    return recorded;
}

void reachAside(const QString& location)
{
    runAside([&] { const site_history::SiteHistory reached(location); });
}
