#include <ProgramFiles.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

namespace {

void touch(const QString& path)
{
    QVERIFY(QDir().mkpath(QFileInfo(path).absolutePath()));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
}

} // namespace

// The viewer's licence texts beside the program (build folder, Windows) and
// in the documentation folder of an installed Linux tree.
class ProgramFilesTest : public QObject {
    Q_OBJECT

private slots:
    void findsTheFileInEitherLayout()
    {
        QTemporaryDir prefix;
        QVERIFY(prefix.isValid());
        const QString bin = prefix.filePath(QStringLiteral("bin"));
        QVERIFY(QDir().mkpath(bin));
        const QStringList folders = programFileFolders(bin);
        const QString beside = QDir(bin).filePath(QStringLiteral("License.txt"));
        const QString installed =
            prefix.filePath(QStringLiteral("share/doc/quorvel-archive-viewer/License.txt"));

        // Neither: the link names the place beside the program.
        QCOMPARE(firstExistingFile(folders, QStringLiteral("License.txt")), beside);

        touch(installed);
#ifdef Q_OS_WIN
        // The Windows layout has no documentation folder.
        QCOMPARE(firstExistingFile(folders, QStringLiteral("License.txt")), beside);
#else
        QCOMPARE(QFileInfo(firstExistingFile(folders, QStringLiteral("License.txt"))).canonicalFilePath(),
                 QFileInfo(installed).canonicalFilePath());
#endif

        // Beside the program wins over the installed folder.
        touch(beside);
        QCOMPARE(firstExistingFile(folders, QStringLiteral("License.txt")), beside);
        // A folder of that name is not the file.
        QVERIFY(QDir(bin).mkdir(QStringLiteral("LGPL.txt")));
        touch(prefix.filePath(QStringLiteral("share/doc/quorvel-archive-viewer/LGPL.txt")));
#ifndef Q_OS_WIN
        QVERIFY(firstExistingFile(folders, QStringLiteral("LGPL.txt")).contains(QStringLiteral("share/doc")));
#endif
    }
};

QTEST_MAIN(ProgramFilesTest)
#include "ProgramFilesTest.moc"
