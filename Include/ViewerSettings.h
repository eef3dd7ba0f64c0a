#pragma once

#include <QByteArray>
#include <QString>

// The viewer's remembered choices, in the settings of the organisation and
// program names that main gives the application. The keys are the settings
// file's format: kept as they are.
class ViewerSettings {
public:
    static QString port();
    static bool turbo();
    static void rememberConnection(const QString& port, bool turbo);

    // The folder the save dialogs start in: the last one saved in, else the
    // user's documents.
    static QString saveFolder();
    static void rememberSaveFolder(const QString& fileName);

    static QByteArray windowGeometry();
    static QByteArray windowState();
    static void rememberWindow(const QByteArray& geometry, const QByteArray& state);

    static bool timelineShown();
    static void setTimelineShown(bool shown);

    // The history's store as the user chose it; empty for the default one.
    static QString chosenStore();
    static void setChosenStore(const QString& location);
    static bool recordsReads();
    static void setRecordsReads(bool on);
};
