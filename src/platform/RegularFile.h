#pragma once

#include <QByteArray>
#include <QIODevice>
#include <QString>

#include <memory>

class QFile;
class QFileDevice;

namespace stanzary {

// Reading the files that other programs and people leave in the host's
// folders and ours. Only a regular file is read: a folder, a device or a
// named pipe (also through a link, which a listing shows as a file) is
// refused at once, never waited on.

enum class FileReadStatus {
    Ok,
    Missing,    // no such file
    NotRegular, // a folder, a named pipe, a device, ...
    TooLarge,   // larger than the reader's limit; nothing was read
    Failed,     // it could not be opened or read (permission, I/O error)
};

struct FileContent
{
    FileReadStatus status = FileReadStatus::Failed;
    QByteArray bytes; // the whole file when ok()
    QString error;    // why it could not be read, for the user ("it is not a regular file")
    bool ok() const { return status == FileReadStatus::Ok; }
};

enum class FileAccess { Read, ReadWrite };

// An open regular file, closed when the object goes. A named pipe is opened
// without blocking and then refused, like everything else that is not a
// regular file. Other readers (a QIODevice reader, a library that takes a
// descriptor) are handed this open file, never its name, so nothing can be
// put in its place between the check and the reading.
class RegularFile
{
public:
    explicit RegularFile(const QString &path, FileAccess access = FileAccess::Read);
    ~RegularFile();
    RegularFile(const RegularFile &) = delete;
    RegularFile &operator=(const RegularFile &) = delete;

    FileReadStatus status() const { return m_status; }
    bool isOpen() const { return m_status == FileReadStatus::Ok; }
    QString error() const { return m_error; }
    qint64 size() const { return m_size; } // as the file system reported it on opening

    // length bytes from offset; fewer when the file ends there or a read fails.
    QByteArray read(qint64 offset, qint64 length) const;

    // Everything from the start to the end, however long the file has grown
    // since it was opened, as long as it stays within maxBytes. TooLarge
    // beyond that, Failed when a read fails.
    FileContent readAll(qint64 maxBytes) const;

    // Opens device on this open file, at its start, through a handle of its
    // own (closed with the device); false, device closed, when this file is
    // not open. The device has no file name.
    bool openDevice(QFile &device, QIODevice::OpenMode mode) const;

#ifdef Q_OS_UNIX
    // A new descriptor of this open file, for a library that takes one and
    // closes it itself; -1 when this file is not open or none is left.
    int duplicateDescriptor() const;
#endif

private:
    void fail(FileReadStatus status, const QString &error);
    FileReadStatus m_status = FileReadStatus::Failed;
    QString m_error;
    qint64 m_size = 0;
#ifdef Q_OS_UNIX
    int m_fd = -1;
#else
    std::unique_ptr<QFile> m_file;
#endif
};

// Whether an open file is a regular file: its handle is looked at, not its
// name, so this holds for what was really opened. For a file that must be
// opened by name (read and write, which never waits on a named pipe).
bool isRegularFile(const QFileDevice &file);

// The whole of a regular file of at most maxBytes bytes.
FileContent readRegularFile(const QString &path, qint64 maxBytes);

// Limits of the readers: far above anything the host or a person writes,
// low enough that a stray huge file cannot take the memory.
constexpr qint64 MiB = 1024 * 1024;
constexpr qint64 MaxSettingsFileBytes = 1 * MiB;
constexpr qint64 MaxTextFileBytes = 16 * MiB; // lyrics, timestamp and list files
constexpr qint64 MaxKaraokeIndexBytes = 64 * MiB;
constexpr qint64 MaxRegistryFileBytes = 256 * MiB;

} // namespace stanzary
