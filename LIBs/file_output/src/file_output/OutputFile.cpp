#include <file_output/OutputFile.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#endif

namespace file_output {

namespace {

#ifdef _WIN32
// The file's identity: volume and index, as far as Windows keeps it.
struct FileIdentity {
    bool known = false;
    DWORD volume = 0;
    DWORD indexHigh = 0;
    DWORD indexLow = 0;
    DWORD type = FILE_TYPE_UNKNOWN;
};

FileIdentity identity(const QString& path)
{
    FileIdentity id;
    const HANDLE handle =
        CreateFileW(reinterpret_cast<const wchar_t*>(QDir::toNativeSeparators(path).utf16()), 0,
                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                    FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return id;
    id.type = GetFileType(handle);
    BY_HANDLE_FILE_INFORMATION info;
    if (id.type == FILE_TYPE_DISK && GetFileInformationByHandle(handle, &info)) {
        id.known = true;
        id.volume = info.dwVolumeSerialNumber;
        id.indexHigh = info.nFileIndexHigh;
        id.indexLow = info.nFileIndexLow;
    }
    CloseHandle(handle);
    return id;
}
#endif

// The path as the file system resolves it, also for a name not yet taken:
// its folder resolved, the name appended.
QString canonicalPath(const QString& path)
{
    const QFileInfo info(path);
    if (info.exists())
        return info.canonicalFilePath();
    const QString folder = info.absoluteDir().canonicalPath();
    return folder.isEmpty() ? QDir::cleanPath(info.absoluteFilePath())
                            : folder + QLatin1Char('/') + info.fileName();
}

} // namespace

bool isStream(const QString& path)
{
#ifdef _WIN32
    const FileIdentity id = identity(path);
    return id.type != FILE_TYPE_UNKNOWN && id.type != FILE_TYPE_DISK;
#else
    struct stat status;
    if (::stat(QFile::encodeName(path).constData(), &status) != 0)
        return false;
    return !S_ISREG(status.st_mode) && !S_ISDIR(status.st_mode);
#endif
}

bool sameFile(const QString& a, const QString& b)
{
#ifdef _WIN32
    const FileIdentity first = identity(a);
    const FileIdentity second = identity(b);
    if (first.known && second.known)
        return first.volume == second.volume && first.indexHigh == second.indexHigh
            && first.indexLow == second.indexLow;
    return canonicalPath(a).compare(canonicalPath(b), Qt::CaseInsensitive) == 0;
#else
    struct stat first;
    struct stat second;
    if (::stat(QFile::encodeName(a).constData(), &first) == 0
        && ::stat(QFile::encodeName(b).constData(), &second) == 0)
        return first.st_dev == second.st_dev && first.st_ino == second.st_ino;
    return canonicalPath(a) == canonicalPath(b);
#endif
}

bool canWrite(const QString& path)
{
    if (isStream(path))
        return QFileInfo(path).isWritable();
    if (!QFileInfo::exists(path)) {
        // Only creating the name tells whether the system takes it.
        QFile probe(path);
        if (!probe.open(QIODevice::WriteOnly | QIODevice::NewOnly))
            return false;
        probe.close();
        if (!probe.remove())
            return false;
    }
    QSaveFile temporary(path);
    const bool opened = temporary.open(QIODevice::WriteOnly);
    temporary.cancelWriting();
    return opened;
}

OutputFile::OutputFile(const QString& path)
{
    inPlace = isStream(path);
    if (inPlace)
        file = std::make_unique<QFile>(path);
    else
        file = std::make_unique<QSaveFile>(path);
}

OutputFile::OutputFile(std::unique_ptr<QFileDevice> device)
    : file(std::move(device)), inPlace(!dynamic_cast<QSaveFile*>(file.get()))
{
}

OutputFile::~OutputFile()
{
    if (file->isOpen())
        cancel();
}


bool OutputFile::open(QIODevice::OpenMode mode)
{
    failed = false;
    return file->open(QIODevice::WriteOnly | mode);
}

QIODevice& OutputFile::device()
{
    return *file;
}

bool OutputFile::write(const QByteArray& bytes)
{
    const bool complete = file->write(bytes) == bytes.size();
    failed = failed || !complete;
    return complete;
}

bool OutputFile::commit()
{
    if (!file->isOpen())
        return false;
    if (failed) {
        cancel();
        return false;
    }
    if (auto* save = dynamic_cast<QSaveFile*>(file.get()))
        return save->commit();
    const bool flushed = file->flush();
    file->close();
    return flushed && file->error() == QFileDevice::NoError;
}

void OutputFile::cancel()
{
    // A save file must not be closed: it drops its temporary file when
    // destroyed.
    if (auto* save = dynamic_cast<QSaveFile*>(file.get()))
        save->cancelWriting();
    else
        file->close();
}

} // namespace file_output
