#include <file_output/OutputFile.h>

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <thread>

#ifndef _WIN32
#include <fcntl.h>
#include <pty.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

using file_output::OutputFile;

namespace {

QByteArray content(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

bool put(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QStringList entries(const QTemporaryDir& dir)
{
    return QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System);
}

// A save file that gives up after some bytes, as a full disk does.
class FullDisk : public QSaveFile {
public:
    FullDisk(const QString& name, qint64 capacity) : QSaveFile(name), capacity(capacity) {}

protected:
    qint64 writeData(const char* data, qint64 size) override
    {
        const qint64 taken = capacity > 0 ? QSaveFile::writeData(data, std::min(size, capacity)) : -1;
        capacity -= std::max<qint64>(taken, 0);
        return taken;
    }

private:
    qint64 capacity;
};

} // namespace

TEST(OutputFile, ARegularFileIsReplacedWholeOrNotAtAll)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("archive.txt");
    ASSERT_TRUE(put(path, "earlier\n"));

    {
        OutputFile full(std::make_unique<FullDisk>(path, 4));
        ASSERT_TRUE(full.open());
        EXPECT_FALSE(full.write("a table longer than the disk\n"));
        EXPECT_FALSE(full.commit());
        EXPECT_EQ(content(path), QByteArray("earlier\n"));
    }

    OutputFile file(path);
    EXPECT_FALSE(file.writesInPlace());
    ASSERT_TRUE(file.open());
    EXPECT_TRUE(file.write("new table\n"));
    EXPECT_EQ(content(path), QByteArray("earlier\n")); // nothing replaced before the commit
    EXPECT_TRUE(file.commit());
    EXPECT_EQ(content(path), QByteArray("new table\n"));

    {
        OutputFile dropped(path);
        ASSERT_TRUE(dropped.open());
        dropped.write("never committed\n");
    }
    EXPECT_EQ(content(path), QByteArray("new table\n"));
    EXPECT_EQ(entries(dir), QStringList{"archive.txt"});
}

// A name that cannot be created, checked before any work and leaving
// nothing behind.
TEST(OutputFile, CanWriteTellsWithoutLeavingAnything)
{
    QTemporaryDir dir;
    EXPECT_TRUE(file_output::canWrite(dir.filePath("new.txt")));
    EXPECT_FALSE(file_output::canWrite(dir.filePath(QString(300, 'a'))));
    EXPECT_FALSE(file_output::canWrite(dir.filePath("no-such-folder/new.txt")));
    EXPECT_FALSE(file_output::canWrite(dir.path()));
    ASSERT_TRUE(put(dir.filePath("old.txt"), "kept"));
    EXPECT_TRUE(file_output::canWrite(dir.filePath("old.txt")));
    EXPECT_EQ(content(dir.filePath("old.txt")), QByteArray("kept"));
    EXPECT_EQ(entries(dir), QStringList{"old.txt"});
#ifndef _WIN32
    // The superuser may write anywhere, so only an ordinary user sees this.
    if (::geteuid() != 0) {
        ASSERT_TRUE(QDir(dir.path()).mkdir("locked"));
        ASSERT_EQ(::chmod(QFile::encodeName(dir.filePath("locked")).constData(), 0555), 0);
        EXPECT_FALSE(file_output::canWrite(dir.filePath("locked/new.txt")));
    }
#endif
}

TEST(OutputFile, SameFileSeesThroughSpellingsAndLinks)
{
    QTemporaryDir dir;
    const QString a = dir.filePath("a.txt");
    ASSERT_TRUE(put(a, "a"));
    ASSERT_TRUE(put(dir.filePath("b.txt"), "b"));
    EXPECT_TRUE(file_output::sameFile(a, dir.path() + "/./sub/../a.txt"));
    EXPECT_FALSE(file_output::sameFile(a, dir.filePath("b.txt")));
    // Names not yet taken: the same when they resolve alike.
    EXPECT_TRUE(file_output::sameFile(dir.filePath("new"), dir.path() + "/./new"));
    EXPECT_FALSE(file_output::sameFile(dir.filePath("new"), dir.filePath("other")));
#ifndef _WIN32
    ASSERT_EQ(::link(QFile::encodeName(a).constData(), QFile::encodeName(dir.filePath("hard")).constData()), 0);
    EXPECT_TRUE(file_output::sameFile(a, dir.filePath("hard")));
    ASSERT_TRUE(QFile::link(a, dir.filePath("soft")));
    EXPECT_TRUE(file_output::sameFile(dir.filePath("soft"), a));
#endif
}

#ifndef _WIN32
// A pipe and a terminal are written into, never replaced by a file.
TEST(OutputFile, APipeOrATerminalIsWrittenStraightInto)
{
    QTemporaryDir dir;
    const QString fifo = dir.filePath("pipe");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    EXPECT_TRUE(file_output::isStream(fifo));
    EXPECT_TRUE(file_output::canWrite(fifo));
    // A second name of the pipe lets its reader go even when the first name
    // has been replaced by a file.
    const QString keep = dir.filePath("pipe.keep");
    ASSERT_EQ(::link(QFile::encodeName(fifo).constData(), QFile::encodeName(keep).constData()), 0);
    QByteArray received;
    std::thread reader([&] {
        QFile in(fifo);
        if (in.open(QIODevice::ReadOnly))
            received = in.readAll();
    });
    {
        OutputFile out(fifo);
        EXPECT_TRUE(out.writesInPlace());
        EXPECT_TRUE(out.open());
        EXPECT_TRUE(out.write("through the pipe\n"));
        EXPECT_TRUE(out.commit());
    }
    if (const int fd = ::open(QFile::encodeName(keep).constData(), O_WRONLY | O_NONBLOCK); fd >= 0)
        ::close(fd);
    reader.join();
    ::unlink(QFile::encodeName(keep).constData());
    EXPECT_EQ(received, QByteArray("through the pipe\n"));
    struct stat status;
    ASSERT_EQ(::stat(QFile::encodeName(fifo).constData(), &status), 0);
    EXPECT_TRUE(S_ISFIFO(status.st_mode));
    EXPECT_EQ(entries(dir), QStringList{"pipe"});

    int master = -1;
    int slave = -1;
    char name[256];
    ASSERT_EQ(::openpty(&master, &slave, name, nullptr, nullptr), 0);
    EXPECT_TRUE(file_output::isStream(name));
    OutputFile terminal(QString::fromLocal8Bit(name));
    ASSERT_TRUE(terminal.open());
    EXPECT_TRUE(terminal.write("x"));
    EXPECT_TRUE(terminal.commit());
    char byte = 0;
    EXPECT_EQ(::read(master, &byte, 1), 1);
    EXPECT_EQ(byte, 'x');
    ASSERT_EQ(::stat(name, &status), 0);
    EXPECT_TRUE(S_ISCHR(status.st_mode));
    ::close(slave);
    ::close(master);
}
#endif
