#include <HistoryController.h>

#include <HistoryOpening.h>
#include <SiteDialog.h>
#include <SitesDialog.h>
#include <ViewerSettings.h>

#include <archive_table/TableSource.h>
#include <config_quorvel/ConfiguratorError.h>
#include <memory_dump/DumpError.h>
#include <site_history/PendingReads.h>
#include <site_history/SiteHistory.h>

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QStandardPaths>

HistoryController::HistoryController(QWidget* window, UserPrompts prompts)
    : QObject(window), window(window), prompts(std::move(prompts))
{
}

HistoryController::~HistoryController() = default;

site_history::SiteHistory* HistoryController::store()
{
    settle();
    return history.get();
}


QString HistoryController::storePath()
{
    const QString chosen = ViewerSettings::chosenStore();
    if (!chosen.isEmpty())
        return chosen;
    return QDir(QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation))
        .filePath(QStringLiteral("history.sqlite"));
}

void HistoryController::openStore()
{
    const QString path = storePath();
    // The default folder is made on first use; a chosen one must exist.
    if (ViewerSettings::chosenStore().isEmpty())
        QDir().mkpath(QFileInfo(path).absolutePath());
    if (!site_history::isServerLocation(path)) {
        openStoreAt(path);
        return;
    }
    // A server is reached aside while the window comes up; whatever needs
    // the store meanwhile waits for it.
    history.reset();
    storeLocation = path;
    unreachable = false;
    reason = tr("Подключение к серверу истории…");
    reaching = std::make_unique<StoreReach>(path);
    connect(reaching.get(), &StoreReach::ended, this, &HistoryController::settle);
}

void HistoryController::settle()
{
    if (!reaching)
        return;
    const std::unique_ptr<StoreReach> reached = std::move(reaching);
    reason.clear();
    history = opened(storeLocation, reason, reached.get());
    afterOpening();
    emit storeSettled();
}

void HistoryController::openStoreAt(const QString& location)
{
    settle();
    history.reset();
    reason.clear();
    storeLocation = location;
    history = opened(location, reason);
    afterOpening();
}

void HistoryController::afterOpening()
{
    if (history)
        reason = sendPending();
    else if (const int waiting = pendingCount())
        reason += tr("; ожидают отправки: %1").arg(waiting);
}

int HistoryController::pendingCount() const
{
    try {
        return int(site_history::PendingReads().waiting(storeLocation).size());
    } catch (const site_history::HistoryError&) {
        return 0;
    }
}

QString HistoryController::sendPending()
{
    if (!history || pendingCount() == 0)
        return QString();
    int sent = 0;
    int stay = 0;
    try {
        site_history::PendingReads().sendTo(*history, [&](const site_history::PendingReads::Sent& one) {
            ++(one.recorded ? sent : stay);
        });
    } catch (const site_history::HistoryError& error) {
        return tr("Отложенные чтения не отправлены: %1").arg(QString::fromUtf8(error.what()));
    }
    QString note = tr("Отправлено отложенных чтений: %1").arg(sent);
    if (stay > 0)
        note += tr("; не отправлено: %1 (объект не определён или дамп повреждён)").arg(stay);
    return note;
}

HistoryController::Outcome HistoryController::keepPending(const QString& site, const memory_dump::MemoryDump& dump)
{
    Outcome outcome;
    try {
        site_history::PendingReads().keep(storeLocation, site, dump);
        outcome.status = tr("Сервер истории недоступен: чтение оставлено на этом компьютере и будет отправлено, "
                            "когда сервер станет доступен (ожидают отправки: %1)")
                             .arg(pendingCount());
    } catch (const site_history::HistoryError& error) {
        outcome.status = tr("Чтение не сохранено в истории: %1").arg(QString::fromUtf8(error.what()));
    }
    return outcome;
}

std::unique_ptr<site_history::SiteHistory> HistoryController::opened(const QString& location, QString& why,
                                                                     StoreReach* reached)
{
    std::unique_ptr<site_history::SiteHistory> store;
    // A server may take up to its connection time-out to answer.
    const bool server = site_history::isServerLocation(location);
    if (server)
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    unreachable = false;
    try {
        // Reached first off the window's thread: a connection made there
        // cannot serve here, but a server that answers once answers again.
        if (reached)
            reached->wait();
        else if (server)
            reachAside(location);
        store = std::make_unique<site_history::SiteHistory>(location);
    } catch (const site_history::HistoryError& error) {
        why = tr("История недоступна: %1").arg(QString::fromUtf8(error.what()));
        unreachable = error.fault() == site_history::HistoryError::Fault::Unreachable;
    }
    if (server)
        QGuiApplication::restoreOverrideCursor();
    return store;
}

HistoryController::Outcome HistoryController::record(const memory_dump::MemoryDump& dump)
{
    settle();
    Outcome outcome;
    if (!ViewerSettings::recordsReads())
        return outcome;
    // A server that was out of reach is tried again: what waited goes first.
    QString sent;
    if (!history && unreachable) {
        openStoreAt(storeLocation);
        sent = reason;
    } else if (history) {
        sent = sendPending();
    }
    if (!history) {
        if (unreachable)
            return keepPending(QString(), dump);
        outcome.status = reason;
        return outcome;
    }
    QString site;
    try {
        const site_history::SiteMatch match = history->matchSite(dump);
        if (match.kind == site_history::SiteMatch::Kind::One) {
            site = match.site;
        } else {
            QStringList names;
            for (const site_history::SiteInfo& info : history->sites())
                names << info.name;
            SiteDialog dialog(names, window);
            if (prompts.runDialog(dialog) != QDialog::Accepted || dialog.siteName().isEmpty()) {
                outcome.status = tr("Чтение не сохранено в истории");
                return outcome;
            }
            site = dialog.siteName();
        }
        const site_history::RecordedRead recorded = recordAside(storeLocation, site, dump);
        outcome.site = site;
        // The first read of a site is all new: marking it all says nothing.
        outcome.isNew = recorded.isNew;
        outcome.showNew = recorded.previousRead.isValid() || recorded.alreadyKept;
        if (recorded.alreadyKept) {
            outcome.status = tr("Это чтение уже есть в истории объекта «%1»").arg(site);
            return outcome;
        }
        outcome.status = tr("Сохранено в истории объекта «%1», новых событий: %2").arg(site).arg(recorded.newEvents);
        if (recorded.previousRead.isValid())
            outcome.status += tr("; предыдущее чтение %1").arg(archive_table::shownTime(recorded.previousRead));
    } catch (const site_history::HistoryError& error) {
        if (error.fault() == site_history::HistoryError::Fault::Unreachable)
            return keepPending(site, dump);
        outcome.status = tr("Чтение не сохранено в истории: %1").arg(QString::fromUtf8(error.what()));
    } catch (const memory_dump::DumpError& error) {
        outcome.status = tr("Чтение не сохранено в истории: %1").arg(QString::fromUtf8(error.what()));
    } catch (const config_quorvel::ConfiguratorError& error) {
        outcome.status = tr("Чтение не сохранено в истории: %1").arg(QString::fromUtf8(error.what()));
    }
    if (!sent.isEmpty() && !outcome.status.isEmpty())
        outcome.status = sent + QStringLiteral("; ") + outcome.status;
    return outcome;
}

std::optional<ArchiveToShow> HistoryController::openSite(const QString& site)
{
    settle();
    if (!history)
        return std::nullopt;
    OpenedHistory opened = openHistoryAside(storeLocation, site);
    stopped = opened.table.whole ? QString() : tr("Открытие истории объекта «%1» прервано").arg(site);
    if (!opened.error.isEmpty())
        prompts.showCritical(opened.error);
    if (!opened.error.isEmpty() || !opened.table.whole)
        return std::nullopt;
    const site_history::SiteInfo& info = opened.table.site;
    ArchiveToShow shown;
    shown.archive.configuration = std::move(opened.latest);
    shown.archive.source.kind = archive_table::TableSource::Kind::History;
    shown.archive.source.site = info.name;
    shown.archive.source.reads = info.reads;
    shown.archive.source.firstRead = info.firstRead;
    shown.archive.source.readTime = info.lastRead;
    shown.events = std::move(opened.table.events);
    shown.outcome = tr("История объекта «%1»: чтений %2, с %3 по %4")
                        .arg(site)
                        .arg(info.reads)
                        .arg(archive_table::shownTime(info.firstRead), archive_table::shownTime(info.lastRead));
    return shown;
}

QString HistoryController::checkStore()
{
    settle();
    if (!history) {
        prompts.showCritical(reason);
        return QString();
    }
    const site_history::HistoryCheck check = checkHistoryAside(storeLocation);
    if (!check.sound)
        prompts.showCritical(check.text);
    return check.text;
}

QString HistoryController::chooseSite()
{
    settle();
    if (!history) {
        prompts.showCritical(reason);
        return QString();
    }
    SitesDialog dialog(*history, prompts, window);
    dialog.setMergeSites([](site_history::SiteHistory& store, const QString& from, const QString& into) {
        store.mergeSite(from, into);
    });
    if (prompts.runDialog(dialog) != QDialog::Accepted)
        return QString();
    return dialog.siteToOpen();
}

void HistoryController::chooseStoreFile()
{
    useStore(prompts.askStoreFileName());
}

void HistoryController::chooseStoreServer()
{
    const QString current = storePath();
    const QString blank = QStringLiteral("postgresql://");
    const QString uri =
        prompts
            .askText(tr("Адрес базы истории на сервере PostgreSQL:\n"
                        "postgresql://пользователь@сервер[:порт]/база[?sslmode=verify-full]\n"
                        "Пароль в адрес не пишется: его берут из файла паролей PostgreSQL "
                        "(pgpass) или из переменной PGPASSWORD."),
                     site_history::isServerLocation(current) ? site_history::shownLocation(current) : blank)
            .trimmed();
    if (uri.isEmpty() || uri == blank)
        return;
    // Any other text would be taken for a file's name, made in whatever
    // folder the viewer was started from.
    if (!site_history::isServerLocation(uri)) {
        prompts.showCritical(tr("Адрес сервера истории начинается с postgresql:// (например, "
                                "postgresql://ivanov@server/company). Файл истории выбирается в «Файл истории…»."));
        return;
    }
    useStore(uri);
}

void HistoryController::useStore(const QString& location)
{
    settle();
    if (location.isEmpty())
        return;
    // The store in use stays, and the settings keep naming it, until the
    // chosen one has opened.
    QString why;
    const bool wasUnreachable = unreachable;
    std::unique_ptr<site_history::SiteHistory> chosen = opened(location, why);
    if (!chosen) {
        unreachable = wasUnreachable;
        prompts.showCritical(why);
        return;
    }
    ViewerSettings::setChosenStore(location);
    history = std::move(chosen);
    storeLocation = location;
    reason = sendPending();
}

QString HistoryController::sendPendingNow()
{
    settle();
    if (!history && unreachable) {
        openStoreAt(storeLocation);
        if (!history)
            return reason;
    }
    const QString note = sendPending();
    return note.isEmpty() ? tr("Отложенных чтений нет") : note;
}
