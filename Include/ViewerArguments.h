#pragma once

#include <QString>
#include <QStringList>

// What the viewer was started with: a dump file to show, or a site's history
// (with the store it lies in, else the one the settings name). The window
// reports a problem itself: a shortcut on the desktop has no terminal.
struct ViewerArguments {
    QString dumpFile;
    QString store; // empty: the store the settings name
    QString site;
    QString problem; // empty when the arguments are usable
};

// arguments as QCoreApplication::arguments() gives them, the program first.
ViewerArguments parseViewerArguments(const QStringList& arguments);
