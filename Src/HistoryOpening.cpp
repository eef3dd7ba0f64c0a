#include <HistoryOpening.h>

#include <config_quorvel/ConfiguratorError.h>
#include <memory_dump/DumpDecode.h>
#include <memory_dump/DumpError.h>

#include <QEventLoop>
#include <QThread>

#include <functional>
#include <memory>

namespace {

OpenedHistory readHistory(const QString& location, const QString& site)
{
    OpenedHistory opened;
    try {
        const site_history::SiteHistory store(location);
        opened.table = store.table(site);
        memory_dump::decodeDump(store.latestDump(site), opened.latest);
    } catch (const site_history::HistoryError& error) {
        opened.error = QString::fromUtf8(error.what());
    } catch (const memory_dump::DumpError& error) {
        opened.error = QString::fromUtf8(error.what());
    } catch (const config_quorvel::ConfiguratorError& error) {
        opened.error = QString::fromUtf8(error.what());
    }
    return opened;
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
