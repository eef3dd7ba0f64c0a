// The dump reader on files of any length and content. Each input is read
// twice: as a whole file, and as the content behind a header that carries
// its true length and CRC-32, so that mutations reach the fields behind the
// checksum. A dump that is accepted must write back to a file that reads as
// the same dump, and must decode (or be turned away as a read would be).

#include "FuzzCheck.h"

#include <memory_dump/DumpDecode.h>
#include <memory_dump/DumpError.h>
#include <memory_dump/DumpFormat.h>

#include <config_quorvel/ConfiguratorError.h>

#include <QtGlobal>

#include <zlib.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

namespace {

void putLe(std::vector<std::uint8_t>& out, std::uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

std::vector<std::uint8_t> sealed(const std::uint8_t* content, std::size_t size)
{
    std::vector<std::uint8_t> file(memory_dump::format::magic,
                                   memory_dump::format::magic + sizeof memory_dump::format::magic);
    putLe(file, memory_dump::format::version, 2);
    putLe(file, static_cast<std::uint32_t>(size), 4);
    putLe(file, static_cast<std::uint32_t>(crc32(0, content, static_cast<uInt>(size))), 4);
    file.insert(file.end(), content, content + size);
    return file;
}

void check(const std::uint8_t* data, std::size_t size)
{
    memory_dump::MemoryDump dump;
    try {
        dump = memory_dump::parseDump(data, size);
    } catch (const memory_dump::DumpError& e) {
        FUZZ_CHECK(e.fault() != memory_dump::DumpError::Fault::FileError);
        FUZZ_CHECK(std::strlen(e.what()) > 0);
        return;
    }
    FUZZ_CHECK(dump.infoBlock.size() == memory_dump::MemoryDump::infoBlockSize);
    FUZZ_CHECK(memory_dump::parseDump(memory_dump::serializeDump(dump)) == dump);

    config_quorvel::Configuration configuration;
    try {
        const std::vector<config_quorvel::Event> events = memory_dump::decodeDump(dump, configuration);
        FUZZ_CHECK(events.size() <= dump.archive.bytes.size() / 8);
        for (const config_quorvel::Event& event : events) {
            event.dateTimeText();
            event.eventText();
            event.objectText();
        }
    } catch (const config_quorvel::ConfiguratorError& e) {
        FUZZ_CHECK(e.code() == config_quorvel::ConfiguratorError::IncompatibleLoader
                   || e.code() == config_quorvel::ConfiguratorError::UnsupportedDevice
                   || e.code() == config_quorvel::ConfiguratorError::IncompatibleFirmware);
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    // The configuration's trace would drown the fuzzer's own output.
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    check(data, size);
    const std::vector<std::uint8_t> file = sealed(data, size);
    check(file.data(), file.size());
    return 0;
}
