#include <PanelSimOptions.h>

#include <panel_sim/Fault.h>
#include <panel_builder/PanelBuilder.h>
#include <panel_sim/PanelLoader.h>

#include <memory_dump/DumpFile.h>

#include <QString>

#include <cerrno>
#include <cstdlib>

namespace quorvel_panel_sim {

namespace {

// Periodic faults are scripted one rule per command up to this count, far
// more than a few dozen reads need.
constexpr int periodicFaultHorizon = 100000;

long long parseInteger(const std::string& name, const std::string& text, long long min, long long max)
{
    const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    const char* digits = text.c_str() + (hex ? 2 : 0);
    char* end = nullptr;
    errno = 0;
    const long long value = std::strtoll(digits, &end, hex ? 16 : 10);
    if (text.empty() || *digits == '\0' || *end != '\0' || errno != 0 || value < min || value > max)
        throw CommandLineError(name + " expects a number from " + std::to_string(min) + " to "
                               + std::to_string(max) + ", not \"" + text + "\"");
    return value;
}

double parseSeconds(const std::string& name, const std::string& text)
{
    char* end = nullptr;
    errno = 0;
    const double value = std::strtod(text.c_str(), &end);
    if (text.empty() || *end != '\0' || errno != 0 || !(value >= 0.0 && value <= 3600.0))
        throw CommandLineError(name + " expects seconds from 0 to 3600, not \"" + text + "\"");
    return value;
}

void addPeriodic(panel_sim::PanelLoader& loader, const panel_sim::Fault& fault, int every)
{
    if (every <= 0)
        return;
    for (int n = every; n <= periodicFaultHorizon; n += every)
        loader.addFault({fault, panel_sim::CommandKind::Any, n, 1});
}

} // namespace

PanelSimOptions parsePanelSimOptions(const std::vector<std::string>& args)
{
    PanelSimOptions options;
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string name = args[i];
        std::optional<std::string> value;
        if (const auto eq = name.find('='); name.rfind("--", 0) == 0 && eq != std::string::npos) {
            value = name.substr(eq + 1);
            name.erase(eq);
        }
        const auto takeValue = [&]() -> std::string {
            if (!value) {
                if (i + 1 >= args.size())
                    throw CommandLineError(name + " needs a value");
                value = args[++i];
            }
            return *value;
        };
        const auto count = [&] { return static_cast<int>(parseInteger(name, takeValue(), 0, 1000000)); };

        if (name == "--help" || name == "-h") {
            options.help = true;
        } else if (name == "--version") {
            options.version = true;
        } else if (name == "--panel") {
            const std::string panel = takeValue();
            if (panel == "demo")
                options.panel = PanelSimOptions::Panel::Demo;
            else if (panel == "empty-archive")
                options.panel = PanelSimOptions::Panel::EmptyArchive;
            else
                throw CommandLineError("--panel is demo or empty-archive, not \"" + panel + "\"");
        } else if (name == "--dump") {
            if (options.dumpFile)
                throw CommandLineError("--dump is given twice");
            options.dumpFile = takeValue();
            if (options.dumpFile->empty())
                throw CommandLineError("--dump needs a file name");
        } else if (name == "--loader-version") {
            options.loaderVersion = static_cast<std::uint8_t>(parseInteger(name, takeValue(), 0, 0xFF));
        } else if (name == "--device-type") {
            options.deviceType = takeValue();
        } else if (name == "--page-size") {
            options.pageSize = static_cast<std::uint16_t>(parseInteger(name, takeValue(), 0, 0xFFFF));
        } else if (name == "--identification") {
            options.settingsIdentification =
                static_cast<std::uint8_t>(parseInteger(name, takeValue(), 0, 0xFF));
        } else if (name == "--silent-every") {
            options.silentEvery = count();
        } else if (name == "--corrupt-every") {
            options.corruptEvery = count();
        } else if (name == "--stop-after") {
            options.stopAfter = count();
        } else if (name == "--hang-up-after") {
            options.hangUpAfter = count();
        } else if (name == "--linger") {
            options.lingerSeconds = parseSeconds(name, takeValue());
        } else {
            throw CommandLineError("unknown argument " + args[i]);
        }
    }
    if (options.dumpFile
        && (options.panel != PanelSimOptions::Panel::Demo || options.loaderVersion || options.deviceType
            || options.pageSize || options.settingsIdentification))
        throw CommandLineError("--dump serves the dump's own panel; --panel and the identification options do not go with it");
    // A period of one would leave no command through.
    if (options.silentEvery == 1 || options.corruptEvery == 1)
        throw CommandLineError("--silent-every and --corrupt-every need a period of 2 or more");
    return options;
}

std::string panelSimUsage()
{
    return "Usage: quorvel-panel-sim [options]\n"
           "\n"
           "Serves a simulated Quorvel panel on a pseudo-terminal. The first line of\n"
           "standard output is the path to read from, e.g.\n"
           "  quorvel-archive --port /dev/pts/7\n"
           "It ends when the reader has been gone for a while, or on SIGTERM or SIGINT.\n"
           "\n"
           "  --panel demo|empty-archive  the demo panel (default), or it without events\n"
           "  --dump FILE                 the panel kept in a dump file (.qrvdump): its\n"
           "                              memory, information block and checksums\n"
           "  --loader-version N          the loader's version (a panel has 0x12)\n"
           "  --device-type TEXT          the panel type the loader reports (Q-QRV)\n"
           "  --page-size N               the loader's page size (256)\n"
           "  --identification N          the settings identification byte (0xB2)\n"
           "  --silent-every N            every Nth command goes unanswered\n"
           "  --corrupt-every N           every Nth answer has a bit inverted\n"
           "  --stop-after K              answer K commands, then fall silent\n"
           "  --hang-up-after K           answer K commands, then hang the line up\n"
           "  --linger SECONDS            wait this long for the reader to return (3)\n"
           "  --help, --version           this text, or the program's version\n"
           "Commands are counted from the start, retries included; numbers may be\n"
           "decimal or 0x-prefixed hexadecimal.\n";
}

panel_sim::PanelMemory panelMemory(const PanelSimOptions& options)
{
    panel_sim::PanelDescription description = panel_sim::demoPanel();
    if (options.panel == PanelSimOptions::Panel::EmptyArchive)
        description.records.clear();
    if (options.settingsIdentification)
        description.settings.identification = *options.settingsIdentification;
    return panel_sim::buildPanel(description);
}

void loadDump(panel_sim::PanelLoader& loader, const std::string& dumpFile)
{
    const memory_dump::MemoryDump dump = memory_dump::loadDumpFile(QString::fromLocal8Bit(dumpFile.c_str()));
    panel_sim::PanelMemory memory;
    memory.settings = dump.settings.bytes;
    memory.config = dump.configuration.bytes;
    memory.archive = dump.archive.bytes;
    loader.setMemory(memory);
    loader.setRawInfoBlock(dump.infoBlock);
    loader.setRangeChecksum(dump.settings.space, dump.settings.start,
                            static_cast<std::uint32_t>(dump.settings.bytes.size()), dump.settingsChecksum);
    loader.setRangeChecksum(dump.configuration.space, dump.configuration.start,
                            static_cast<std::uint32_t>(dump.configuration.bytes.size()),
                            dump.configChecksum);
}

void configureLoader(panel_sim::PanelLoader& loader, const PanelSimOptions& options)
{
    if (options.loaderVersion)
        loader.setLoaderVersion(*options.loaderVersion);
    if (options.deviceType)
        loader.setDeviceType(*options.deviceType);
    if (options.pageSize)
        loader.setPageSize(*options.pageSize);

    // The first rule that matches a command applies: the end of the line
    // comes before the occasional faults.
    if (options.hangUpAfter)
        loader.addFault({panel_sim::Fault::hangUp(), panel_sim::CommandKind::Any, *options.hangUpAfter + 1, 1});
    if (options.stopAfter)
        loader.addFault({panel_sim::Fault::silent(), panel_sim::CommandKind::Any, *options.stopAfter + 1, -1});
    addPeriodic(loader, panel_sim::Fault::silent(), options.silentEvery);
    addPeriodic(loader, panel_sim::Fault::flipBit(), options.corruptEvery);
}

} // namespace quorvel_panel_sim
