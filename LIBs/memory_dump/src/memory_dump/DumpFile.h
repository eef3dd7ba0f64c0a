#pragma once

#include <memory_dump/MemoryDump.h>

#include <QString>

class QIODevice;

namespace memory_dump {

// The extension of dump files and the file dialogs' filter for them.
constexpr char dumpExtension[] = "qrvdump";

// Writes the whole dump to an open device; false when it took less.
bool writeDump(QIODevice& device, const MemoryDump& dump);

// Writes the dump as every output file is written (file_output): a regular
// file is replaced only when the dump is complete, so a failed write leaves
// an earlier file as it was. Throws DumpError (FileError) when the file
// cannot be written.
void saveDumpFile(const QString& path, const MemoryDump& dump);

// Reads and checks a dump file. Throws DumpError naming the fault.
MemoryDump loadDumpFile(const QString& path);

} // namespace memory_dump
