#pragma once

#include <QString>
#include <QStringList>

// Where the viewer finds the files that come with it (the licence texts): in
// the program's own folder, as in the build folder and the Windows layout,
// then in the documentation folder of an installed Linux build.
QStringList programFileFolders(const QString& programDir);

// The path of fileName in the first of the folders that holds it; in the
// first folder when none does, so that a link still names the usual place.
QString firstExistingFile(const QStringList& folders, const QString& fileName);

// firstExistingFile over the folders of the running program.
QString programFilePath(const QString& fileName);
