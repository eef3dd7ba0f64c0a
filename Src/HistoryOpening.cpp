#include <HistoryOpening.h>

#include <config_quorvel/ConfiguratorError.h>
#include <memory_dump/DumpDecode.h>
#include <memory_dump/DumpError.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <QKeyEvent>
#include <QThread>

#include <atomic>
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

OpenedHistory readHistory(const QString& location, const QString& site, const std::atomic<bool>& stop)
{
    OpenedHistory opened;
    opened.error = failureOf([&] {
        const site_history::SiteHistory store(location);
        opened.table = store.table(site, [&stop] { return !stop; });
        if (!opened.table.whole)
            return;
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

// Keeps the user's input from the window while store work runs aside: no
// click or key acts on what is about to change, and no shortcut starts other
// work. Escape asks the work to stop, where the work can stop.
class InputHeldOff : public QObject {
public:
    explicit InputHeldOff(std::atomic<bool>& stop) : stop(stop) { QCoreApplication::instance()->installEventFilter(this); }
    ~InputHeldOff() override { QCoreApplication::instance()->removeEventFilter(this); }

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        switch (event->type()) {
        case QEvent::ShortcutOverride:
        case QEvent::KeyPress:
            if (static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape)
                stop = true;
            // Taken here, so that no shortcut acts on it either.
            event->accept();
            return true;
        case QEvent::KeyRelease:
        case QEvent::Shortcut:
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::Wheel:
        case QEvent::ContextMenu:
        case QEvent::TouchBegin:
        case QEvent::TouchUpdate:
        case QEvent::TouchEnd:
        case QEvent::DragEnter:
        case QEvent::Drop:
            return true;
        default:
            return false;
        }
    }

private:
    std::atomic<bool>& stop;
};

// Runs `work` on a thread of its own and waits for it as the header says;
// `stop` turns true when the user presses Escape meanwhile.
QThread* storeThread(std::function<void()> work)
{
    QThread* worker = QThread::create(std::move(work));
    worker->setObjectName(QStringLiteral("site history"));
    return worker;
}

// Waits for `worker`, started or about to be, as the header says.
void waitFor(QThread& worker, std::atomic<bool>& stop)
{
    QEventLoop loop;
    // Queued to this thread: a thread that ends before the loop starts still
    // ends it.
    QObject::connect(&worker, &QThread::finished, &loop, &QEventLoop::quit, Qt::QueuedConnection);
    const InputHeldOff heldOff(stop);
    if (!worker.isRunning() && !worker.isFinished())
        worker.start();
    if (!worker.isFinished())
        loop.exec();
    worker.wait();
}

void waitAside(std::function<void()> work, std::atomic<bool>& stop)
{
    const std::unique_ptr<QThread> worker(storeThread(std::move(work)));
    waitFor(*worker, stop);
}

void waitAside(std::function<void()> work)
{
    std::atomic<bool> unheeded{false};
    waitAside(std::move(work), unheeded);
}

} // namespace

OpenedHistory openHistoryAside(const QString& location, const QString& site)
{
    OpenedHistory opened;
    std::atomic<bool> stop{false};
    waitAside([&opened, &stop, location, site] { opened = readHistory(location, site, stop); }, stop);
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


StoreReach::StoreReach(const QString& location)
    : worker(storeThread([this, location] {
          try {
              const site_history::SiteHistory reached(location);
          } catch (...) {
              failure = std::current_exception();
          }
      }))
{
    connect(worker.get(), &QThread::finished, this, &StoreReach::ended, Qt::QueuedConnection);
    worker->start();
}

StoreReach::~StoreReach()
{
    worker->wait();
}

void StoreReach::wait()
{
    std::atomic<bool> unheeded{false};
    waitFor(*worker, unheeded);
    if (failure)
        std::rethrow_exception(failure);
}

void reachAside(const QString& location)
{
    StoreReach(location).wait();
}
