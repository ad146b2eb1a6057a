#pragma once

#include <QByteArray>
#include <QIODevice>
#include <QString>

#include <memory>

class QFile;

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

// An open regular file, closed when the object goes. A named pipe is opened
// without blocking and then refused, like everything else that is not a
// regular file.
class RegularFile
{
public:
    explicit RegularFile(const QString &path);
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

// Opens the regular file at path into file (closed, its name is set to path)
// with mode, never waiting on a named pipe: anything that is not a regular
// file is refused (NotRegular). error, when given, gets the reason for the
// user. The way every user's file that is written in place is opened.
FileReadStatus openRegularFile(QFile &file, const QString &path, QIODevice::OpenMode mode, QString *error = nullptr);

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
