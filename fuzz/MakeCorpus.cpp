// Writes the seed corpus of every fuzz target into the given directory, one
// subdirectory per target, from what the simulated panel sends and holds.

#include "ByteReader.h"
#include "ConfigurationInput.h"
#include "PanelInput.h"

#include <config_quorvel/Crc8.h>
#include <panel_builder/PanelBuilder.h>
#include <panel_sim/PanelDump.h>
#include <panel_sim/PanelLoader.h>

#include <boot_loader/Command.h>
#include <memory_dump/DumpFormat.h>

#include <QtGlobal>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

namespace {

class Corpus {
public:
    explicit Corpus(fs::path root) : root(std::move(root)) {}

    void add(const std::string& target, const Bytes& input)
    {
        const fs::path dir = root / target;
        fs::create_directories(dir);
        const int n = ++counts[target];
        std::ofstream file(dir / ("seed-" + std::to_string(n)), std::ios::binary);
        file.write(reinterpret_cast<const char*>(input.data()), static_cast<std::streamsize>(input.size()));
    }

    void report() const
    {
        for (const auto& entry : counts)
            std::printf("%-20s %d seeds\n", entry.first.c_str(), entry.second);
    }

private:
    fs::path root;
    std::map<std::string, int> counts;
};

Bytes frameBytes(const boot_loader::Command& command)
{
    Bytes bytes;
    for (std::uint16_t c : command.chars)
        bytes.push_back(static_cast<std::uint8_t>(c));
    return bytes;
}

// What the panel's loader sends back for a command, with a fault if given.
Bytes reply(const panel_sim::PanelMemory& memory, const boot_loader::Command& command,
            const panel_sim::Fault* fault = nullptr)
{
    panel_sim::PanelLoader loader(memory);
    if (fault)
        loader.addFault(panel_sim::FaultRule{*fault});
    return loader.handle(frameBytes(command), panel_sim::PanelLoader::initialSpeed, 0).bytes;
}

void answerSeeds(Corpus& corpus, const panel_sim::PanelMemory& memory)
{
    using panel_sim::Fault;
    // In the order of the target's command selector.
    const boot_loader::Command commands[] = {
        boot_loader::Command::ReadInfo(),
        boot_loader::Command::ReadPage(1, 0x400000),
        boot_loader::Command::SetSpeed(1),
        boot_loader::Command::RangeChecksum(1, 0, 0x100),
    };
    const Fault faults[] = {Fault::statusOnly(),         Fault::truncate(5),
                            Fault::flipBit(1, 3),        Fault::answerStatus(0xA1),
                            Fault::answerStatus(0xA2),   Fault::answerStatus(0xA3),
                            Fault::answerStatus(0x5A)};
    for (std::uint8_t kind = 0; kind < 4; ++kind) {
        const auto seed = [&](std::uint8_t timing, const Bytes& line) {
            Bytes input{kind, timing};
            input.insert(input.end(), line.begin(), line.end());
            corpus.add("answer", input);
        };
        const Bytes clean = reply(memory, commands[kind]);
        seed(0x00, clean);
        seed(0x21, clean);  // late, with gaps between the bytes
        seed(0xF0, clean);  // gaps too long for a page
        for (const Fault& fault : faults)
            seed(0x00, reply(memory, commands[kind], &fault));
    }
    // The answer to another command than the one awaited.
    Bytes input{1, 0};
    const Bytes info = reply(memory, commands[0]);
    input.insert(input.end(), info.begin(), info.end());
    corpus.add("answer", input);
}

void infoSeeds(Corpus& corpus)
{
    panel_sim::PanelLoader loader;
    corpus.add("bootloader_info", loader.infoBlock());
    loader.setLoaderVersion(0x11);
    loader.setDeviceType("Q-QRV-XL");
    corpus.add("bootloader_info", loader.infoBlock());
    const Bytes block = loader.infoBlock();
    corpus.add("bootloader_info", Bytes(block.begin(), block.end() - 1));
    Bytes longer = block;
    longer.push_back(0);
    corpus.add("bootloader_info", longer);
    corpus.add("bootloader_info", {});
}

panel_sim::PanelDescription zonePanel()
{
    panel_sim::PanelDescription d;
    d.settings.pultType = false;
    for (int address : {1, 2, 7, 33, 127}) {
        panel_sim::ZoneDevice device;
        device.address = address;
        device.zone = address % 15 + 1;
        if (address != 7) {
            panel_sim::NameSet names;
            names.eventTable = address % 3;
            names.deviceName = u"Zone " + std::u16string(1, char16_t(u'0' + address % 10));
            names.loop1Name = u"Loop 1";
            device.names = names;
        }
        d.zoneDevices.push_back(device);
    }
    config_quorvel::EventTable table;
    table.name = u"Doors";
    table.loop1Fire = u"OPEN";
    d.eventTables = {config_quorvel::EventTable(), table};
    for (int eventClass = 0; eventClass < 8; ++eventClass) {
        panel_sim::ArchiveRecord record;
        record.dateTime = panel_sim::packDateTime(2024, 3, 5, 10, eventClass, 0);
        record.address = eventClass % 2 ? 2 : 0;
        record.eventClass = eventClass;
        record.code = static_cast<std::uint8_t>(eventClass * 9);
        d.records.push_back(record);
    }
    return d;
}

void eventSeeds(Corpus& corpus, const panel_sim::PanelMemory& memory)
{
    const fuzz::PanelImages images(memory);
    config_quorvel::Configuration configuration;
    fuzz::decodeRead(images, configuration);
    fuzz::ByteWriter encoded;
    fuzz::writeConfiguration(encoded, configuration);

    std::vector<Bytes> records;
    for (std::size_t at = 0; at < memory.archive.size(); at += 8) {
        const Bytes record(memory.archive.begin() + static_cast<std::ptrdiff_t>(at),
                           memory.archive.begin() + static_cast<std::ptrdiff_t>(at + 8));
        if (config_quorvel::crc8(record) == 0)
            records.push_back(record);
    }
    // Two seeds per event class, each with a few more records of the panel.
    std::map<int, int> perClass;
    for (std::size_t i = 0; i < records.size(); ++i) {
        if (perClass[records[i][5] & 0x07]++ >= 2)
            continue;
        Bytes input = records[i];
        input.insert(input.end(), encoded.data().begin(), encoded.data().end());
        for (std::size_t k = 1; k <= 3; ++k) {
            const Bytes& more = records[(i + 7 * k) % records.size()];
            input.insert(input.end(), more.begin(), more.end());
        }
        corpus.add("event", input);
    }
}

void decodeSeeds(Corpus& corpus, const panel_sim::PanelMemory& zone)
{
    using fuzz::Base;
    const panel_sim::PanelMemory& demo = fuzz::baseMemory(Base::Demo);
    corpus.add("panel_decode", {static_cast<std::uint8_t>(Base::Erased)});
    corpus.add("panel_decode", {static_cast<std::uint8_t>(Base::Zeros)});
    corpus.add("panel_decode", {static_cast<std::uint8_t>(Base::Demo)});
    corpus.add("panel_decode", fuzz::panelInput(Base::Erased, demo));
    corpus.add("panel_decode", fuzz::panelInput(Base::Erased, zone));

    // The demo panel read as one without sections.
    panel_sim::PanelMemory flat = demo;
    flat.settings[15] &= 0xFE;
    corpus.add("panel_decode", fuzz::panelInput(Base::Demo, flat));

    // Records of every class with all fields set, and a table region of spaces.
    fuzz::ByteWriter records;
    records.byte(static_cast<std::uint8_t>(Base::Demo));
    for (int eventClass = 0; eventClass < 8; ++eventClass) {
        records.byte(0x42);
        records.word(static_cast<std::uint16_t>(eventClass * 3));
        records.bytes({0x2C, 0xDE, 0x91, 0x47, 0x85, static_cast<std::uint8_t>(0x08 | eventClass), 0x1A});
    }
    records.byte(0x81);
    records.word(0xEC00 - 0x3E00);
    records.word(0x1000);
    records.byte(0x20);
    corpus.add("panel_decode", records.data());
}

// A dump file of the panel and its content alone (the fuzzer also reads each
// input as content behind a true header), plus broken starts.
void dumpSeeds(Corpus& corpus, const panel_sim::PanelMemory& memory)
{
    memory_dump::MemoryDump dump = panel_sim::dumpOfPanel(memory);
    dump.settingsChecksum = 0x1234;
    dump.configChecksum = 0x56789A;
    dump.turbo = true;
    dump.portName = "COM3";
    dump.readTimeMs = 1733650000000;
    dump.programVersion = "1.1.6.1107";
    const Bytes file = memory_dump::serializeDump(dump);
    corpus.add("dump", file);
    corpus.add("dump", Bytes(file.begin() + memory_dump::format::headerSize, file.end()));
    corpus.add("dump", Bytes(file.begin(), file.begin() + 64));
    corpus.add("dump", Bytes(file.begin() + memory_dump::format::headerSize,
                             file.begin() + memory_dump::format::headerSize + 80));
    corpus.add("dump", {});
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <corpus directory>\n", argv[0]);
        return 2;
    }
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    Corpus corpus{fs::path(argv[1])};
    const panel_sim::PanelMemory& demo = fuzz::baseMemory(fuzz::Base::Demo);
    const panel_sim::PanelMemory zone = panel_sim::buildPanel(zonePanel());
    answerSeeds(corpus, demo);
    infoSeeds(corpus);
    eventSeeds(corpus, demo);
    eventSeeds(corpus, zone);
    decodeSeeds(corpus, zone);
    dumpSeeds(corpus, demo);
    corpus.report();
    return 0;
}
