#include <ArchiveOptions.h>
#include <InternalError.h>
#include <PanelSimOptions.h>
#include <PortList.h>
#include <ProgressBar.h>

#include <rs485/testing/FakeSerialPlatform.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <stdexcept>
#include <string>
#include <vector>

using quorvel_archive::ArchiveOptions;
using quorvel_archive::parseArchiveOptions;
using quorvel_archive::reportingInternalErrors;

TEST(ArchiveOptionsTest, ReadsWithTheHigherSpeedUnlessTurnedOff)
{
    const ArchiveOptions port = parseArchiveOptions({"--port", "ttyUSB0"});
    EXPECT_EQ(port.action, ArchiveOptions::Action::ReadPort);
    EXPECT_EQ(port.port, "ttyUSB0");
    EXPECT_TRUE(port.turbo);
    EXPECT_FALSE(port.output);
    EXPECT_EQ(port.format, ArchiveOptions::Format::Text);

    const ArchiveOptions slow = parseArchiveOptions({"--port=COM3", "--no-turbo", "--output", "a b.txt"});
    EXPECT_EQ(slow.port, "COM3");
    EXPECT_FALSE(slow.turbo);
    EXPECT_EQ(slow.output.value_or(""), "a b.txt");

    EXPECT_EQ(parseArchiveOptions({"--simulate", "--format", "csv"}).format, ArchiveOptions::Format::Csv);
    EXPECT_EQ(parseArchiveOptions({"--format=text", "--port", "x"}).format, ArchiveOptions::Format::Text);
    EXPECT_EQ(parseArchiveOptions({"--from-dump", "d", "--format", "pdf", "-o", "r.pdf"}).format,
              ArchiveOptions::Format::Pdf);

    const ArchiveOptions simulated = parseArchiveOptions({"--output=x.txt", "--simulate"});
    EXPECT_EQ(simulated.action, ArchiveOptions::Action::ReadSimulated);
    EXPECT_EQ(simulated.output.value_or(""), "x.txt");

    const ArchiveOptions kept = parseArchiveOptions({"--port", "COM3", "--save-dump=site.qrvdump"});
    EXPECT_EQ(kept.saveDump.value_or(""), "site.qrvdump");
    const ArchiveOptions replay = parseArchiveOptions({"--from-dump", "site.qrvdump", "-o", "t.txt"});
    EXPECT_EQ(replay.action, ArchiveOptions::Action::ReadDump);
    EXPECT_EQ(replay.dumpFile, "site.qrvdump");
    EXPECT_EQ(replay.output.value_or(""), "t.txt");
    EXPECT_FALSE(replay.saveDump);

    EXPECT_EQ(parseArchiveOptions({"--list-ports"}).action, ArchiveOptions::Action::ListPorts);
    EXPECT_EQ(parseArchiveOptions({"--version"}).action, ArchiveOptions::Action::Version);
}

TEST(ArchiveOptionsTest, RejectsCommandLinesThatMakeNoSense)
{
    const std::vector<std::vector<std::string>> bad = {
        {},
        {"--port"},
        {"--port", ""},
        {"--port", "ttyS0", "--simulate"},
        {"--simulate", "--simulate"},
        {"--list-ports", "--output", "f.txt"},
        {"--help", "--no-turbo"},
        {"--simulate", "--no-turbo", "--no-turbo"},
        {"--simulate", "--output", "a", "--output", "b"},
        {"--simulate=yes"},
        {"--simulate", "extra"},
        {"--turbo"},
        {"--simulate", "--format", "xml"},
        {"--simulate", "--format", "CSV"},
        {"--simulate", "--format", "pdf"},
        {"--simulate", "--format"},
        {"--simulate", "--format", "csv", "--format", "csv"},
        {"--list-ports", "--format", "csv"},
        {"--from-dump"},
        {"--from-dump", "a.qrvdump", "--simulate"},
        {"--from-dump", "a.qrvdump", "--save-dump", "b.qrvdump"},
        {"--from-dump", "a.qrvdump", "--no-turbo"},
        {"--list-ports", "--save-dump", "b.qrvdump"},
        {"--simulate", "--save-dump", "a", "--save-dump", "b"},
    };
    for (const auto& args : bad)
        EXPECT_THROW(parseArchiveOptions(args), quorvel_archive::CommandLineError)
            << ::testing::PrintToString(args);
}

// The table by month unless devices are asked for, by the next argument or
// after "="; a word that names neither, a PDF or no site is refused.
TEST(ArchiveOptionsTest, HistoryStatsTakeTheirTableAsAnOptionalWord)
{
    const std::vector<std::string> site = {"--history", "h.sqlite", "--site", "Склад"};
    const auto parsed = [&](std::vector<std::string> args) {
        args.insert(args.begin(), site.begin(), site.end());
        return parseArchiveOptions(args);
    };
    const ArchiveOptions months = parsed({"--history-stats", "--format", "csv"});
    EXPECT_EQ(months.action, ArchiveOptions::Action::HistoryStats);
    EXPECT_EQ(months.statistic, ArchiveOptions::Statistic::Months);
    EXPECT_EQ(months.format, ArchiveOptions::Format::Csv);
    EXPECT_EQ(parsed({"--history-stats", "devices", "-o", "d.txt"}).statistic, ArchiveOptions::Statistic::Devices);
    EXPECT_EQ(parsed({"--history-stats=devices"}).statistic, ArchiveOptions::Statistic::Devices);
    EXPECT_EQ(parsed({"--history-stats", "months"}).statistic, ArchiveOptions::Statistic::Months);

    for (const std::vector<std::string>& bad : {std::vector<std::string>{"--history-stats", "weeks"},
                                                {"--history-stats=weeks"},
                                                {"--history-stats", "--format", "pdf", "-o", "s.pdf"},
                                                {"--history-stats", "--history-table"}})
        EXPECT_THROW(parsed(bad), quorvel_archive::CommandLineError) << ::testing::PrintToString(bad);
    EXPECT_THROW(parseArchiveOptions({"--history", "h.sqlite", "--history-stats"}), quorvel_archive::CommandLineError);
    EXPECT_EQ(parseArchiveOptions({"--history", "h", "--overview", "--format", "csv"}).action,
              ArchiveOptions::Action::Overview);
    EXPECT_THROW(parseArchiveOptions({"--history", "h", "--overview", "--site", "Склад"}), quorvel_archive::CommandLineError);
}

// A fault of the program itself is told apart from a failed read: its own
// message and exit status 70, whatever was thrown.
TEST(InternalErrorTest, AnExceptionNothingCaughtIsTheProgramsOwnFault)
{
    testing::internal::CaptureStderr();
    EXPECT_EQ(reportingInternalErrors([]() -> int { throw std::out_of_range("vector::at"); }), 70);
    EXPECT_EQ(reportingInternalErrors([]() -> int { throw 42; }), 70);
    EXPECT_EQ(reportingInternalErrors([] { return 4; }), 4);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Внутренняя ошибка программы quorvel-archive: vector::at\n"
                                                      "Внутренняя ошибка программы quorvel-archive\n");
}

TEST(PortListTest, ListsPortsInByteOrderWithTheConvertersMarked)
{
    rs485::testing::FakeSerialPlatform platform;
    platform.serialPorts = {"ttyUSB1", "ttyS0", "ttyUSB0"};
    platform.converterPorts = {"ttyUSB1", "ttyACM0"};
    EXPECT_EQ(quorvel_archive::portListText(platform),
              "ttyACM0\tUSB-RS485\nttyS0\nttyUSB0\nttyUSB1\tUSB-RS485\n");

    platform.serialPorts.clear();
    platform.converterPorts.clear();
    EXPECT_EQ(quorvel_archive::portListText(platform), "");
}

TEST(ProgressBarTest, ShowsTheTruncatedPercentageAndTheElapsedTime)
{
    using quorvel_archive::ProgressBar;
    using std::chrono::seconds;
    EXPECT_EQ(ProgressBar::line(0.0f, seconds(0)), "[........................................]   0%  00:00");
    EXPECT_EQ(ProgressBar::line(0.5f, seconds(65)), "[####################....................]  50%  01:05");
    EXPECT_EQ(ProgressBar::line(448.0f / 449.0f, seconds(9)).substr(42), "  99%  00:09");
    EXPECT_EQ(ProgressBar::line(1.0f, seconds(600)).substr(42), " 100%  10:00");
}

TEST(ProgressBarTest, DrawsOnlyWhenEnabledAndEndsItsLine)
{
    const auto draw = [](bool enabled) {
        std::FILE* stream = std::tmpfile();
        quorvel_archive::ProgressBar bar(stream, enabled);
        for (int step = 1; step <= 449; ++step)
            bar.onProgress(float(step) / 449.0f);
        bar.finish();
        std::string text(static_cast<std::size_t>(std::ftell(stream)), '\0');
        std::rewind(stream);
        text.resize(std::fread(text.data(), 1, text.size(), stream));
        std::fclose(stream);
        return text;
    };
    EXPECT_EQ(draw(false), "");
    const std::string shown = draw(true);
    EXPECT_EQ(shown.front(), '\r');
    EXPECT_NE(shown.find("100%"), std::string::npos);
    EXPECT_EQ(shown.back(), '\n');
    // A redraw when the percentage or the bar changes, not one per page.
    EXPECT_LE(std::count(shown.begin(), shown.end(), '\r'), 140);
}

TEST(PanelSimOptionsTest, ReadsIdentificationAndFaults)
{
    using quorvel_panel_sim::PanelSimOptions;
    const PanelSimOptions o = quorvel_panel_sim::parsePanelSimOptions(
        {"--panel", "empty-archive", "--loader-version", "0x13", "--device-type=Q-QRVX", "--page-size",
         "128", "--identification", "0xB3", "--silent-every", "7", "--corrupt-every=11",
         "--stop-after", "0", "--hang-up-after", "20", "--linger", "0.5"});
    EXPECT_EQ(o.panel, PanelSimOptions::Panel::EmptyArchive);
    EXPECT_EQ(o.loaderVersion, 0x13);
    EXPECT_EQ(o.deviceType, "Q-QRVX");
    EXPECT_EQ(o.pageSize, 128);
    EXPECT_EQ(o.settingsIdentification, 0xB3);
    EXPECT_EQ(o.silentEvery, 7);
    EXPECT_EQ(o.corruptEvery, 11);
    EXPECT_EQ(o.stopAfter, 0);
    EXPECT_EQ(o.hangUpAfter, 20);
    EXPECT_DOUBLE_EQ(o.lingerSeconds, 0.5);
    EXPECT_FALSE(o.dumpFile);

    // A dump's panel keeps its own identification; line faults still apply.
    const PanelSimOptions replay =
        quorvel_panel_sim::parsePanelSimOptions({"--dump=site.qrvdump", "--corrupt-every", "9"});
    EXPECT_EQ(replay.dumpFile.value_or(""), "site.qrvdump");
    EXPECT_EQ(replay.corruptEvery, 9);

    const std::vector<std::vector<std::string>> bad = {
        {"--loader-version", "256"}, {"--page-size", "12x"}, {"--panel", "full"},
        {"--silent-every", "1"},      {"--stop-after", "-1"}, {"--linger", "soon"},
        {"--stop-after"},             {"--verbose"},
        {"--dump", ""},               {"--dump", "a.qrvdump", "--panel", "empty-archive"},
        {"--dump", "a.qrvdump", "--loader-version", "0x13"},
        {"--dump", "a.qrvdump", "--dump", "b.qrvdump"},
    };
    for (const auto& args : bad)
        EXPECT_THROW(quorvel_panel_sim::parsePanelSimOptions(args), quorvel_panel_sim::CommandLineError)
            << ::testing::PrintToString(args);
}
