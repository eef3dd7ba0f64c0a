#include <memory_dump/DumpFile.h>

#include <memory_dump/DumpError.h>
#include <memory_dump/DumpFormat.h>

#include <file_output/OutputFile.h>

#include <QFile>

namespace memory_dump {

namespace {

using Fault = DumpError::Fault;

// Beyond any dump of the memory map; a larger file is not read into memory.
constexpr qint64 maxDumpFileSize = 1 << 20;

} // namespace

bool writeDump(QIODevice& device, const MemoryDump& dump)
{
    const std::vector<std::uint8_t> bytes = serializeDump(dump);
    const auto size = static_cast<qint64>(bytes.size());
    return device.write(reinterpret_cast<const char*>(bytes.data()), size) == size;
}

void saveDumpFile(const QString& path, const MemoryDump& dump)
{
    file_output::OutputFile file(path);
    if (!file.open())
        throw DumpError(Fault::FileError, "Невозможно открыть файл дампа для записи");
    const std::vector<std::uint8_t> bytes = serializeDump(dump);
    if (!file.write(QByteArray(reinterpret_cast<const char*>(bytes.data()), static_cast<int>(bytes.size())))
        || !file.commit())
        throw DumpError(Fault::FileError, "Ошибка при записи файла дампа");
}

MemoryDump loadDumpFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw DumpError(Fault::FileError, "Невозможно открыть файл дампа для чтения");
    const QByteArray bytes = file.read(maxDumpFileSize + 1);
    if (file.error() != QFileDevice::NoError)
        throw DumpError(Fault::FileError, "Ошибка при чтении файла дампа");
    if (bytes.size() > maxDumpFileSize)
        throw DumpError(Fault::TrailingBytes,
                        "Файл дампа слишком велик: больше " + std::to_string(maxDumpFileSize) + " байт");
    return parseDump(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                     static_cast<std::size_t>(bytes.size()));
}

} // namespace memory_dump
