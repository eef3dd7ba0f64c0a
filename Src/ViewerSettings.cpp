#include <ViewerSettings.h>

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

namespace {

const QString portKey = QStringLiteral("connection/port");
const QString turboKey = QStringLiteral("connection/turbo");
const QString saveFolderKey = QStringLiteral("files/saveFolder");
const QString geometryKey = QStringLiteral("window/geometry");
const QString stateKey = QStringLiteral("window/state");
const QString timelineKey = QStringLiteral("window/timeline");
const QString storeKey = QStringLiteral("history/store");
const QString recordKey = QStringLiteral("history/recordReads");

} // namespace

QString ViewerSettings::port()
{
    return QSettings().value(portKey).toString();
}

bool ViewerSettings::turbo()
{
    return QSettings().value(turboKey, true).toBool();
}

void ViewerSettings::rememberConnection(const QString& port, bool turbo)
{
    QSettings settings;
    settings.setValue(portKey, port);
    settings.setValue(turboKey, turbo);
}

QString ViewerSettings::saveFolder()
{
    const QString folder = QSettings().value(saveFolderKey).toString();
    if (!folder.isEmpty() && QFileInfo(folder).isDir())
        return folder;
    // A system without a documents folder gets the home folder, not a
    // proposed file named "Documents".
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return QFileInfo(documents).isDir() ? documents : QDir::homePath();
}

void ViewerSettings::rememberSaveFolder(const QString& fileName)
{
    QSettings().setValue(saveFolderKey, QFileInfo(fileName).absolutePath());
}

QByteArray ViewerSettings::windowGeometry()
{
    return QSettings().value(geometryKey).toByteArray();
}

QByteArray ViewerSettings::windowState()
{
    return QSettings().value(stateKey).toByteArray();
}

void ViewerSettings::rememberWindow(const QByteArray& geometry, const QByteArray& state)
{
    QSettings settings;
    settings.setValue(geometryKey, geometry);
    settings.setValue(stateKey, state);
}

bool ViewerSettings::timelineShown()
{
    return QSettings().value(timelineKey, true).toBool();
}

void ViewerSettings::setTimelineShown(bool shown)
{
    QSettings().setValue(timelineKey, shown);
}

QString ViewerSettings::chosenStore()
{
    return QSettings().value(storeKey).toString();
}

void ViewerSettings::setChosenStore(const QString& location)
{
    QSettings().setValue(storeKey, location);
}

bool ViewerSettings::recordsReads()
{
    return QSettings().value(recordKey, true).toBool();
}

void ViewerSettings::setRecordsReads(bool on)
{
    QSettings().setValue(recordKey, on);
}
