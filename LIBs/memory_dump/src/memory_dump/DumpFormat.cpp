#include <memory_dump/DumpFormat.h>

#include <memory_dump/DumpError.h>

#include <config_quorvel/MemoryMap.h>

#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <limits>

namespace memory_dump {

namespace mm = config_quorvel::memory_map;

namespace {

using Fault = DumpError::Fault;

constexpr std::uint8_t turboFlag = 0x01;

// Where each region must lie, as the facade reads it.
struct RegionShape {
    const char* name;
    std::uint8_t space;
    std::uint32_t start;
    std::uint32_t length;
};

constexpr RegionShape settingsShape{"настроек", mm::settingsSpace, mm::settingsStart,
                                    mm::pageSize * mm::settingsPages};
constexpr RegionShape configShape{"конфигурации", mm::configSpace, mm::configStart,
                                  mm::pageSize * mm::configPages};
constexpr RegionShape archiveShape{"архива", mm::archiveSpace, mm::archiveStart,
                                   mm::pageSize * mm::archivePages};

std::uint32_t crc32Of(const std::uint8_t* data, std::size_t size)
{
    uLong crc = ::crc32(0L, Z_NULL, 0);
    // zlib takes at most a uInt at a time.
    while (size > 0) {
        const std::size_t chunk = std::min<std::size_t>(size, std::numeric_limits<uInt>::max());
        crc = ::crc32(crc, data, static_cast<uInt>(chunk));
        data += chunk;
        size -= chunk;
    }
    return static_cast<std::uint32_t>(crc);
}

std::string hex(std::uint32_t value, int digits)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%0*X", digits, static_cast<unsigned>(value));
    return text;
}

class Writer {
public:
    void u8(std::uint8_t v) { bytes.push_back(v); }
    void u16(std::uint16_t v)
    {
        u8(static_cast<std::uint8_t>(v));
        u8(static_cast<std::uint8_t>(v >> 8));
    }
    void u32(std::uint32_t v)
    {
        u16(static_cast<std::uint16_t>(v));
        u16(static_cast<std::uint16_t>(v >> 16));
    }
    void i64(std::int64_t v)
    {
        const auto u = static_cast<std::uint64_t>(v);
        u32(static_cast<std::uint32_t>(u));
        u32(static_cast<std::uint32_t>(u >> 32));
    }
    void raw(const std::uint8_t* data, std::size_t size) { bytes.insert(bytes.end(), data, data + size); }
    void text(const std::string& s)
    {
        const std::size_t size = std::min<std::size_t>(s.size(), 0xFFFF);
        u16(static_cast<std::uint16_t>(size));
        raw(reinterpret_cast<const std::uint8_t*>(s.data()), size);
    }
    void region(const DumpRegion& r)
    {
        u8(r.space);
        u32(r.start);
        u32(static_cast<std::uint32_t>(r.bytes.size()));
        raw(r.bytes.data(), r.bytes.size());
    }

    std::vector<std::uint8_t> bytes;
};

// Reads the content; every read checks that the field is there.
class Reader {
public:
    Reader(const std::uint8_t* data, std::size_t size) : data(data), size(size) {}

    const std::uint8_t* take(std::size_t count, const char* field)
    {
        if (size - offset < count)
            throw DumpError(Fault::Truncated,
                            std::string("Содержимое дампа обрывается в поле «") + field + "»");
        const std::uint8_t* p = data + offset;
        offset += count;
        return p;
    }
    std::uint8_t u8(const char* field) { return *take(1, field); }
    std::uint16_t u16(const char* field)
    {
        const std::uint8_t* p = take(2, field);
        return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
    }
    std::uint32_t u32(const char* field)
    {
        const std::uint8_t* p = take(4, field);
        return std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8) | (std::uint32_t(p[2]) << 16)
            | (std::uint32_t(p[3]) << 24);
    }
    std::int64_t i64(const char* field)
    {
        const std::uint64_t low = u32(field);
        const std::uint64_t high = u32(field);
        return static_cast<std::int64_t>(low | (high << 32));
    }
    std::string text(const char* field)
    {
        const std::uint16_t length = u16(field);
        const std::uint8_t* p = take(length, field);
        return std::string(reinterpret_cast<const char*>(p), length);
    }
    DumpRegion region(const RegionShape& shape)
    {
        DumpRegion r;
        r.space = u8("пространство памяти");
        r.start = u32("начальный адрес");
        const std::uint32_t length = u32("длина области");
        // Checked before the bytes, so a wild length costs nothing.
        if (r.space != shape.space || r.start != shape.start || length != shape.length)
            throw DumpError(Fault::RegionMismatch,
                            std::string("Область ") + shape.name
                                + " в дампе не совпадает с картой памяти прибора: пространство "
                                + std::to_string(r.space) + ", адрес " + hex(r.start, 6) + ", "
                                + std::to_string(length) + " байт вместо пространства "
                                + std::to_string(shape.space) + ", адреса " + hex(shape.start, 6)
                                + ", " + std::to_string(shape.length) + " байт");
        const std::uint8_t* p = take(length, "байты области");
        r.bytes.assign(p, p + length);
        return r;
    }
    std::size_t left() const { return size - offset; }

private:
    const std::uint8_t* data;
    std::size_t size;
    std::size_t offset = 0;
};

} // namespace

std::vector<std::uint8_t> serializeDump(const MemoryDump& dump)
{
    Writer content;
    std::vector<std::uint8_t> info = dump.infoBlock;
    info.resize(MemoryDump::infoBlockSize, 0);
    content.raw(info.data(), info.size());
    content.u8(dump.turbo ? turboFlag : 0);
    content.i64(dump.readTimeMs);
    content.u32(dump.settingsChecksum);
    content.u32(dump.configChecksum);
    content.text(dump.portName);
    content.text(dump.programVersion);
    content.region(dump.settings);
    content.region(dump.configuration);
    content.region(dump.archive);

    Writer file;
    file.raw(format::magic, sizeof format::magic);
    file.u16(format::version);
    file.u32(static_cast<std::uint32_t>(content.bytes.size()));
    file.u32(crc32Of(content.bytes.data(), content.bytes.size()));
    file.raw(content.bytes.data(), content.bytes.size());
    return file.bytes;
}

void checkReadTime(std::int64_t readTimeMs)
{
    // 1990-01-01 and 2101-01-01, 00:00 UTC.
    constexpr std::int64_t earliestMs = 631152000000;
    constexpr std::int64_t laterMs = 4133980800000;
    if (readTimeMs < earliestMs || readTimeMs >= laterMs)
        throw DumpError(Fault::ReadTime, "Дамп повреждён: время чтения " + std::to_string(readTimeMs)
                                             + " мс от 1970 года — не между 1990 и 2100 годом");
}

MemoryDump parseDump(const std::uint8_t* data, std::size_t size)
{
    if (size < format::headerSize)
        throw DumpError(Fault::ShortHeader, "Файл дампа короче своего заголовка: "
                                                + std::to_string(size) + " байт из "
                                                + std::to_string(format::headerSize));
    if (std::memcmp(data, format::magic, sizeof format::magic) != 0)
        throw DumpError(Fault::WrongMagic, "Файл не является дампом памяти прибора: неверная сигнатура");

    Reader header(data + sizeof format::magic, format::headerSize - sizeof format::magic);
    const std::uint16_t version = header.u16("версия");
    if (version != format::version)
        throw DumpError(Fault::UnknownVersion,
                        "Неизвестная версия формата дампа: " + std::to_string(version)
                            + " (программа читает версию " + std::to_string(format::version) + ")");
    const std::uint32_t contentSize = header.u32("длина содержимого");
    const std::uint32_t storedCrc = header.u32("контрольная сумма");

    const std::size_t present = size - format::headerSize;
    if (present < contentSize)
        throw DumpError(Fault::Truncated, "Файл дампа обрезан: содержимое " + std::to_string(contentSize)
                                              + " байт, в файле " + std::to_string(present));
    if (present > contentSize)
        throw DumpError(Fault::TrailingBytes, "После содержимого дампа лишние байты: "
                                                  + std::to_string(present - contentSize));
    const std::uint8_t* content = data + format::headerSize;
    const std::uint32_t actualCrc = crc32Of(content, contentSize);
    if (actualCrc != storedCrc)
        throw DumpError(Fault::ChecksumMismatch, "Контрольная сумма дампа не совпадает: записана "
                                                     + hex(storedCrc, 8) + ", вычислена "
                                                     + hex(actualCrc, 8));

    Reader in(content, contentSize);
    MemoryDump dump;
    const std::uint8_t* info = in.take(MemoryDump::infoBlockSize, "блок сведений загрузчика");
    dump.infoBlock.assign(info, info + MemoryDump::infoBlockSize);
    dump.turbo = (in.u8("признаки") & turboFlag) != 0;
    dump.readTimeMs = in.i64("время чтения");
    checkReadTime(dump.readTimeMs);
    dump.settingsChecksum = in.u32("контрольная сумма настроек");
    dump.configChecksum = in.u32("контрольная сумма конфигурации");
    dump.portName = in.text("имя порта");
    dump.programVersion = in.text("версия программы");
    dump.settings = in.region(settingsShape);
    dump.configuration = in.region(configShape);
    dump.archive = in.region(archiveShape);
    if (in.left() != 0)
        throw DumpError(Fault::TrailingBytes, "После последней области дампа лишние байты: "
                                                  + std::to_string(in.left()));
    return dump;
}

MemoryDump parseDump(const std::vector<std::uint8_t>& bytes)
{
    return parseDump(bytes.data(), bytes.size());
}

} // namespace memory_dump
