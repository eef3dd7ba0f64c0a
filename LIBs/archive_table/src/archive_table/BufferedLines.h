#pragma once

#include <QByteArray>

class QIODevice;

namespace archive_table {

// Lines a writer gathers before they go to its device in large writes. Once
// the device refuses a write (a full disk, a closed pipe), nothing more goes.
class BufferedLines {
public:
    explicit BufferedLines(QIODevice& device);

    // Where the writer adds its lines.
    QByteArray& lines() { return buffer; }
    // Writes what is gathered once it is large; false after a refused write.
    bool pass();
    // Writes all that is gathered; true when the device took every byte.
    bool flush();
    bool hasFailed() const { return failed; }

private:
    QIODevice& device;
    QByteArray buffer;
    bool failed = false;
};

} // namespace archive_table
