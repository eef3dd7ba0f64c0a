#include <memory_dump/DumpError.h>
#include <memory_dump/DumpFile.h>
#include <memory_dump/DumpFormat.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using memory_dump::DumpError;
using memory_dump::MemoryDump;

namespace {

MemoryDump smallDump()
{
    MemoryDump dump;
    dump.infoBlock.assign(16, 0x12);
    dump.settings = {1, 0, std::vector<std::uint8_t>(256, 1)};
    dump.configuration = {0, 0x3E00, std::vector<std::uint8_t>(48640, 2)};
    dump.archive = {1, 0x400000, std::vector<std::uint8_t>(65536, 3)};
    dump.portName = "/dev/ttyUSB0";
    dump.readTimeMs = 1'700'000'000'000;
    return dump;
}

// The message of the DumpError that the call ends with.
template <typename Call>
std::string failure(Call call, DumpError::Fault expected)
{
    try {
        call();
    } catch (const DumpError& e) {
        EXPECT_EQ(e.fault(), expected) << e.what();
        return e.what();
    }
    ADD_FAILURE() << "no DumpError";
    return {};
}

} // namespace

TEST(DumpFileTest, ASavedDumpOpensAgainAndReplacesAnEarlierFile)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("panel.qrvdump"));
    ASSERT_TRUE(QFile(path).open(QIODevice::WriteOnly));
    MemoryDump dump = smallDump();
    memory_dump::saveDumpFile(path, dump);
    EXPECT_EQ(memory_dump::loadDumpFile(path), dump);

    dump.portName = "COM3";
    memory_dump::saveDumpFile(path, dump);
    EXPECT_EQ(memory_dump::loadDumpFile(path), dump);
    // No temporary file stays behind.
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("panel.qrvdump")});
}

TEST(DumpFileTest, SavesThatCannotBeWrittenAreReportedAndTouchNothing)
{
    QTemporaryDir dir;
    EXPECT_EQ(failure([&] { memory_dump::saveDumpFile(dir.filePath("no/such/folder/a.qrvdump"), smallDump()); },
                      DumpError::Fault::FileError),
              "Невозможно открыть файл дампа для записи");
    // A folder where the file should go stays a folder.
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("taken.qrvdump")));
    failure([&] { memory_dump::saveDumpFile(dir.filePath("taken.qrvdump"), smallDump()); },
            DumpError::Fault::FileError);
    EXPECT_TRUE(QFileInfo(dir.filePath("taken.qrvdump")).isDir());
}

TEST(DumpFileTest, FilesThatCannotBeOpenedOrAreNotDumpsAreRejected)
{
    QTemporaryDir dir;
    EXPECT_EQ(failure([&] { memory_dump::loadDumpFile(dir.filePath("absent.qrvdump")); },
                      DumpError::Fault::FileError),
              "Невозможно открыть файл дампа для чтения");

    const QString text = dir.filePath(QStringLiteral("table.txt"));
    QFile file(text);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("short");
    file.close();
    failure([&] { memory_dump::loadDumpFile(text); }, DumpError::Fault::ShortHeader);

    // A file far beyond any dump is not read into memory as a whole.
    const QString big = dir.filePath(QStringLiteral("big.qrvdump"));
    QFile bigFile(big);
    ASSERT_TRUE(bigFile.open(QIODevice::WriteOnly));
    const std::vector<std::uint8_t> bytes = memory_dump::serializeDump(smallDump());
    bigFile.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
    ASSERT_TRUE(bigFile.resize(4 << 20));
    bigFile.close();
    failure([&] { memory_dump::loadDumpFile(big); }, DumpError::Fault::TrailingBytes);
}
