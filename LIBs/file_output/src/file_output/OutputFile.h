#pragma once

#include <QFileDevice>
#include <QString>

#include <memory>

namespace file_output {

// A file the program writes whole: an export, a dump, a report. Where the
// target is a regular file or a name not yet taken, the bytes go to a
// temporary file beside it that replaces it only on commit, so that a failed
// write leaves an earlier file as it was. Anything else (a pipe, a terminal,
// /dev/null or another device, /dev/stdout) is written straight into and
// never replaced: renaming a file over it would destroy it.
class OutputFile {
public:
    explicit OutputFile(const QString& path);
    // Writes through the given device instead, as a test's full disk does;
    // a QSaveFile is committed, any other device flushed and closed.
    explicit OutputFile(std::unique_ptr<QFileDevice> device);
    ~OutputFile();

    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // Opens for writing (mode adds QIODevice::Text, if wanted). For a pipe
    // this waits for its reader, as any program writing to one does.
    bool open(QIODevice::OpenMode mode = QIODevice::NotOpen);
    QIODevice& device();
    // Writes all of the bytes; false when the device took less.
    bool write(const QByteArray& bytes);
    // Ends the write: the temporary file replaces the target. False when
    // any write, the flush or the replacement failed; a replaced target then
    // stays as it was.
    bool commit();
    // Drops what was written; a replaced target stays as it was.
    void cancel();

    // Whether the target is written straight into rather than replaced.
    bool writesInPlace() const { return inPlace; }

private:
    std::unique_ptr<QFileDevice> file;
    bool inPlace = false;
    bool failed = false;
};

// Whether the program could write `path`, found out before any work is
// done and without leaving anything behind: a new name is created and
// removed again (which tells a name too long, a missing folder or one
// without write access), an existing file must take a temporary file
// beside it, anything else must be writable.
bool canWrite(const QString& path);

// Whether two paths name the same file: the same device and inode (the same
// file identity on Windows) when both exist, else the same canonical path.
bool sameFile(const QString& a, const QString& b);

// Whether the path names something that exists and is not a regular file
// (a pipe, a terminal, a device), which is written straight into.
bool isStream(const QString& path);

} // namespace file_output
