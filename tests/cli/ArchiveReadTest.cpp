#include <ArchiveRead.h>
#include <ExportOutput.h>
#include <PanelSimOptions.h>
#include <SimulatedLine.h>
#include <WindowExport.h>

#include <config_quorvel/ConfiguratorError.h>
#include <panel_builder/PanelBuilder.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <TestFiles.h>

#include <archive_table/EventColumns.h>
#include <archive_table/TextExport.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

using config_quorvel::ConfiguratorError;
using quorvel_archive::ExitCode;
using quorvel_archive::ReadResult;
using quorvel_archive::SimulatedLine;

namespace {

// Reads the panel the simulator serves with the given options.
ReadResult readSimulated(const std::vector<std::string>& simOptions, bool turbo = true,
                         bool* portLeftOpen = nullptr)
{
    const auto options = quorvel_panel_sim::parsePanelSimOptions(simOptions);
    SimulatedLine line(quorvel_panel_sim::panelMemory(options));
    quorvel_panel_sim::configureLoader(line.panel().loader(), options);
    ReadResult result =
        quorvel_archive::readArchive(line.platform(), SimulatedLine::portName(), turbo, nullptr);
    if (portLeftOpen)
        *portLeftOpen = line.platform().isOpen();
    return result;
}

ReadResult readSimulated(const panel_sim::PanelMemory& memory, bool turbo = true)
{
    SimulatedLine line(memory);
    return quorvel_archive::readArchive(line.platform(), SimulatedLine::portName(), turbo, nullptr);
}

QByteArray windowText(const panel_sim::PanelMemory& memory)
{
    const WindowExport window = windowExport(memory);
    EXPECT_TRUE(window.errors.isEmpty()) << window.errors.join('\n').toStdString();
    return window.text;
}

// Writes the text as the table's export is written.
std::optional<std::string> writeExportFile(const QString& path, const QByteArray& text)
{
    return quorvel_archive::writeExport(path, true, [&text](QIODevice& device) { return device.write(text) == text.size(); });
}

std::string text(const QByteArray& bytes)
{
    return bytes.toStdString();
}

// The table the read saves.
std::string text(const ReadResult& result)
{
    return archive_table::exportText(archive_table::columnHeaders(), result.table.events).toStdString();
}

} // namespace

TEST(ArchiveReadTest, WritesWhatTheWindowSavesWithAndWithoutTheHigherSpeed)
{
    const panel_sim::PanelMemory memory = quorvel_archive::demoPanelMemory();
    const QByteArray expected = windowText(memory);
    ASSERT_GT(expected.count('\n'), 100);
    for (const bool turbo : {true, false}) {
        const ReadResult result = readSimulated(memory, turbo);
        EXPECT_EQ(result.exitCode, ExitCode::Success) << result.message;
        EXPECT_EQ(text(result), text(expected)) << "turbo " << turbo;
    }
}

// Rows with equal date texts stand in reverse archive order after the
// window's stable sort; rows without a time go to the bottom.
TEST(ArchiveReadTest, KeepsTheWindowsOrderForEqualAndMissingTimes)
{
    panel_sim::PanelDescription panel = panel_sim::demoPanel();
    for (std::size_t i = 1; i < panel.records.size(); ++i) {
        if (i % 3 == 0)
            panel.records[i].dateTime = panel.records[i - 1].dateTime;
        if (i % 17 == 0)
            panel.records[i].dateTime = 0;
    }
    panel.firstRecordSlot = panel_sim::archiveSlots - 40;
    const panel_sim::PanelMemory memory = panel_sim::buildPanel(panel);
    EXPECT_EQ(text(readSimulated(memory)), text(windowText(memory)));
}

TEST(ArchiveReadTest, AnEmptyArchiveIsTheBareTable)
{
    const ReadResult result = readSimulated({"--panel", "empty-archive"});
    EXPECT_EQ(result.exitCode, ExitCode::Success);
    EXPECT_EQ(text(result),
              "|---|--------------|-------|----------|---------|-------------------|\n"
              "| Э | Дата и время | Адрес | Шл./Л.с. | Cобытие | Источник/Описание |\n"
              "|---|--------------|-------|----------|---------|-------------------|\n"
              "|---|--------------|-------|----------|---------|-------------------|\n");
}

TEST(ArchiveReadTest, AMissingPortIsNamedInTheWindowsText)
{
    SimulatedLine line(quorvel_archive::demoPanelMemory());
    const ReadResult result = quorvel_archive::readArchive(line.platform(), "COM7", true, nullptr);
    EXPECT_EQ(result.exitCode, ExitCode::PortError);
    EXPECT_EQ(result.message, "Ошибка при открытии порта COM7");
    EXPECT_TRUE(result.table.events.empty());
    // One that another program holds is named as taken.
    line.platform().existingPorts.insert("COM7");
    line.platform().busyPorts = {"COM7"};
    EXPECT_EQ(quorvel_archive::readArchive(line.platform(), "COM7", true, nullptr).message,
              "Ошибка при открытии порта COM7: порт занят другой программой");
    EXPECT_TRUE(line.platform().callsOf(rs485::testing::PlatformCall::Kind::Write).empty());
}

TEST(ArchiveReadTest, AFailedReadGivesTheDeviceModelsTextAndClosesThePort)
{
    const std::vector<std::pair<std::vector<std::string>, ConfiguratorError::Code>> cases = {
        {{"--stop-after", "0"}, ConfiguratorError::NoDevice},
        {{"--stop-after", "100"}, ConfiguratorError::NoDevice},
        {{"--identification", "0xB3"}, ConfiguratorError::IncompatibleFirmware},
    };
    for (const auto& [options, code] : cases) {
        bool portLeftOpen = true;
        const ReadResult result = readSimulated(options, true, &portLeftOpen);
        EXPECT_EQ(result.exitCode, ExitCode::ReadFailed);
        EXPECT_EQ(result.message, ConfiguratorError(code).what());
        EXPECT_TRUE(result.table.events.empty());
        EXPECT_FALSE(portLeftOpen);
    }
}

TEST(ArchiveReadTest, RetriesThroughFrequentSilenceAndCorruption)
{
    const ReadResult clean = readSimulated(std::vector<std::string>{});
    const ReadResult faulty = readSimulated({"--silent-every", "5", "--corrupt-every", "7"});
    EXPECT_EQ(faulty.exitCode, ExitCode::Success) << faulty.message;
    EXPECT_EQ(text(faulty), text(clean));
}

TEST(ExportOutputTest, ReplacesAFileOnlyByACompleteTable)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("archive.txt");
    ASSERT_TRUE(writeFile(path, "an older and longer export that must not survive in part\n"));

    EXPECT_FALSE(writeExportFile(path, "|---|\n"));
    EXPECT_EQ(fileContent(path), QByteArray("|---|\n"));

    // A directory in the way: the window's text, and the directory stays.
    const QString taken = dir.filePath("taken");
    ASSERT_TRUE(QDir(dir.path()).mkdir("taken"));
    EXPECT_EQ(writeExportFile(taken, "x").value_or(""), "Невозможно открыть файл для записи");
    EXPECT_TRUE(QFileInfo(taken).isDir());

    EXPECT_TRUE(writeExportFile(dir.filePath("missing/archive.txt"), "x"));
    EXPECT_FALSE(QFile::exists(dir.filePath("missing/archive.txt")));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"archive.txt"});
}
