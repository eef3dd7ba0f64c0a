#include <archive_table/BufferedLines.h>

#include <QIODevice>

namespace archive_table {

namespace {

constexpr int bufferedBytes = 1 << 16;

} // namespace

BufferedLines::BufferedLines(QIODevice& device) : device(device)
{
    buffer.reserve(2 * bufferedBytes);
}

bool BufferedLines::pass()
{
    return buffer.size() < bufferedBytes ? !failed : flush();
}

bool BufferedLines::flush()
{
    if (failed)
        return false;
    failed = device.write(buffer) != buffer.size();
    // The reserved room stays for the next lines.
    buffer.resize(0);
    return !failed;
}

} // namespace archive_table
