#include <ProgramFiles.h>

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

QStringList programFileFolders(const QString& programDirPath)
{
    const QDir programDir(programDirPath);
    QStringList folders = {programDir.absolutePath()};
#ifdef QUORVEL_DOC_FROM_BIN
    // The installed documentation folder relative to the installed program,
    // so that the installed tree can live under any prefix. The Windows
    // layout keeps everything beside the program.
    folders << QDir::cleanPath(programDir.absoluteFilePath(QStringLiteral(QUORVEL_DOC_FROM_BIN)));
#endif
    return folders;
}

QString firstExistingFile(const QStringList& folders, const QString& fileName)
{
    for (const QString& folder : folders) {
        const QString path = QDir(folder).filePath(fileName);
        if (QFileInfo(path).isFile())
            return path;
    }
    return folders.isEmpty() ? fileName : QDir(folders.first()).filePath(fileName);
}

QString programFilePath(const QString& fileName)
{
    return firstExistingFile(programFileFolders(QCoreApplication::applicationDirPath()), fileName);
}
