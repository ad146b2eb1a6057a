#include "platform/RegularFile.h"

#include "platform/DurableFile.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace stanzary {

namespace {

QString notRegularText()
{
    return QStringLiteral("it is not a regular file");
}

QString tooLargeText(qint64 maxBytes)
{
    return QStringLiteral("it is larger than %1 MB").arg(maxBytes / MiB);
}

// Past the size the file system reported, reading goes on in steps of this
// much, so that a file that grows, or one whose size is reported as 0, is
// still read whole, and a huge one stops at the limit.
constexpr qint64 ReadStep = 1 * MiB;

} // namespace

void RegularFile::fail(FileReadStatus status, const QString &error)
{
    m_status = status;
    m_error = error;
}

FileContent readRegularFile(const QString &path, qint64 maxBytes)
{
    const RegularFile file(path);
    if (!file.isOpen())
        return {file.status(), QByteArray(), file.error()};
    return file.readAll(maxBytes);
}

#ifdef Q_OS_UNIX

bool isRegularFile(const QFileDevice &file)
{
    struct stat st = {};
    return file.handle() >= 0 && ::fstat(file.handle(), &st) == 0 && S_ISREG(st.st_mode);
}

RegularFile::RegularFile(const QString &path, FileAccess access)
{
    // O_NONBLOCK: opening a named pipe would otherwise wait until some writer
    // comes. Reads and writes of a regular file are not affected by the flag.
    const int mode = access == FileAccess::ReadWrite ? O_RDWR : O_RDONLY;
    m_fd = openDescriptor(path, mode | O_CLOEXEC | O_NONBLOCK);
    if (m_fd < 0) {
        const int error = errno;
        fail(error == ENOENT || error == ENOTDIR ? FileReadStatus::Missing : FileReadStatus::Failed,
             QString::fromLocal8Bit(std::strerror(error)));
        return;
    }
    struct stat st = {};
    if (::fstat(m_fd, &st) != 0) {
        fail(FileReadStatus::Failed, QString::fromLocal8Bit(std::strerror(errno)));
        return;
    }
    if (!S_ISREG(st.st_mode)) {
        fail(FileReadStatus::NotRegular, notRegularText());
        return;
    }
    m_size = st.st_size;
    m_status = FileReadStatus::Ok;
}

RegularFile::~RegularFile()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

QByteArray RegularFile::read(qint64 offset, qint64 length) const
{
    if (!isOpen() || offset < 0 || length <= 0)
        return QByteArray();
    QByteArray out(length, Qt::Uninitialized);
    qint64 done = 0;
    while (done < length) {
        const ssize_t n = ::pread(m_fd, out.data() + done, std::size_t(length - done), off_t(offset + done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        done += n;
    }
    out.truncate(done);
    return out;
}

int RegularFile::duplicateDescriptor() const
{
    return isOpen() ? ::fcntl(m_fd, F_DUPFD_CLOEXEC, 0) : -1;
}

bool RegularFile::openDevice(QFile &device, QIODevice::OpenMode mode) const
{
    const int fd = duplicateDescriptor();
    if (fd < 0)
        return false;
    if (!device.open(fd, mode, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return false;
    }
    // The new handle shares the position of this one, which no read moves.
    return device.seek(0);
}

FileContent RegularFile::readAll(qint64 maxBytes) const
{
    if (!isOpen())
        return {m_status, QByteArray(), m_error};
    if (m_size > maxBytes)
        return {FileReadStatus::TooLarge, QByteArray(), tooLargeText(maxBytes)};
    QByteArray bytes;
    qint64 done = 0;
    // The reported size plus one byte first: a short read is the end of the
    // file, a full one means it has grown (or its size was not known).
    qint64 room = m_size + 1;
    for (;;) {
        room = std::min(room, maxBytes + 1 - done); // one byte past the limit tells a file that grew past it
        bytes.resize(done + room);
        const ssize_t n = ::pread(m_fd, bytes.data() + done, std::size_t(room), off_t(done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return {FileReadStatus::Failed, QByteArray(), QString::fromLocal8Bit(std::strerror(errno))};
        done += n;
        if (done > maxBytes)
            return {FileReadStatus::TooLarge, QByteArray(), tooLargeText(maxBytes)};
        if (n < room)
            break;
        room = ReadStep;
    }
    bytes.truncate(done);
    return {FileReadStatus::Ok, bytes, QString()};
}

#else

bool isRegularFile(const QFileDevice &file)
{
    return file.isOpen() && QFileInfo(file.fileName()).isFile();
}

RegularFile::RegularFile(const QString &path, FileAccess access)
{
    const QFileInfo info(path);
    if (!info.exists()) {
        fail(FileReadStatus::Missing, QStringLiteral("the file does not exist"));
        return;
    }
    if (!info.isFile()) {
        fail(FileReadStatus::NotRegular, notRegularText());
        return;
    }
    m_file = std::make_unique<QFile>(path);
    const QIODevice::OpenMode mode = access == FileAccess::ReadWrite ? QIODevice::ReadWrite : QIODevice::ReadOnly;
    if (!m_file->open(mode | QIODevice::Unbuffered)) {
        fail(FileReadStatus::Failed, m_file->errorString());
        return;
    }
    m_size = m_file->size();
    m_status = FileReadStatus::Ok;
}

RegularFile::~RegularFile() = default;

bool RegularFile::openDevice(QFile &device, QIODevice::OpenMode mode) const
{
    if (!isOpen())
        return false;
    device.setFileName(m_file->fileName());
    return device.open(mode);
}

QByteArray RegularFile::read(qint64 offset, qint64 length) const
{
    if (!isOpen() || offset < 0 || length <= 0 || !m_file->seek(offset))
        return QByteArray();
    return m_file->read(length);
}

FileContent RegularFile::readAll(qint64 maxBytes) const
{
    if (!isOpen())
        return {m_status, QByteArray(), m_error};
    if (m_size > maxBytes)
        return {FileReadStatus::TooLarge, QByteArray(), tooLargeText(maxBytes)};
    if (!m_file->seek(0))
        return {FileReadStatus::Failed, QByteArray(), m_file->errorString()};
    QByteArray bytes = m_file->read(maxBytes + 1);
    if (m_file->error() != QFileDevice::NoError)
        return {FileReadStatus::Failed, QByteArray(), m_file->errorString()};
    if (bytes.size() > maxBytes)
        return {FileReadStatus::TooLarge, QByteArray(), tooLargeText(maxBytes)};
    return {FileReadStatus::Ok, bytes, QString()};
}

#endif

} // namespace stanzary
