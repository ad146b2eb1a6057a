#include "platform/DurableFile.h"

#include <QDir>
#include <QFile>
#include <QFileDevice>
#include <QFileInfo>
#include <QString>

#include <cerrno>
#include <cstring>

#ifdef Q_OS_UNIX
#include <csignal>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace stanzary {

namespace {

SyncGate &syncGate()
{
    static SyncGate gate;
    return gate;
}

// False, with errno EIO, when a test's gate refuses the sync.
bool gateAllows(SyncKind kind, const QString &path)
{
    if (!syncGate() || syncGate()(kind, path))
        return true;
    errno = EIO;
    return false;
}

#ifdef Q_OS_UNIX
QString pathOfDescriptor(int fd)
{
    return QFileInfo(QStringLiteral("/proc/self/fd/%1").arg(fd)).symLinkTarget();
}
#endif

} // namespace

void setSyncGate(SyncGate gate)
{
    syncGate() = std::move(gate);
}

QString systemErrorText(int errorNumber)
{
    return QString::fromLocal8Bit(std::strerror(errorNumber));
}

QString lastSystemError()
{
    return systemErrorText(errno);
}

bool syncFolderOf(const QString &path)
{
    return syncFolder(QFileInfo(path).absolutePath());
}

bool makeFolderDurably(const QString &folder)
{
    const QFileInfo info(folder);
    if (info.isDir())
        return true;
    const QString parent = info.absolutePath();
    if (parent == info.absoluteFilePath() || !makeFolderDurably(parent))
        return false;
    if (!QDir().mkdir(info.absoluteFilePath()) && !QFileInfo(folder).isDir())
        return false;
    return syncFolder(parent);
}

#ifdef Q_OS_UNIX

namespace {

bool fsyncRepeated(int fd)
{
    int rc = 0;
    do {
        rc = ::fsync(fd);
    } while (rc != 0 && errno == EINTR);
    return rc == 0;
}

} // namespace

int openDescriptor(const QString &path, int flags, int mode)
{
    const QByteArray name = QFile::encodeName(path);
    int fd = -1;
    do {
        fd = ::open(name.constData(), flags, mode);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

bool syncDescriptor(int fd)
{
    if (fd < 0) {
        errno = EBADF;
        return false;
    }
    if (syncGate() && !gateAllows(SyncKind::File, pathOfDescriptor(fd)))
        return false;
    return fsyncRepeated(fd);
}

bool writeFully(int fd, qint64 offset, const QByteArray &bytes)
{
    qint64 done = 0;
    while (done < bytes.size()) {
        const auto rest = std::size_t(bytes.size() - done);
        const ssize_t n = offset < 0 ? ::write(fd, bytes.constData() + done, rest)
                                     : ::pwrite(fd, bytes.constData() + done, rest, off_t(offset + done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (n == 0)
                errno = EIO;
            return false;
        }
        done += n;
    }
    return true;
}

bool syncToDisk(QFileDevice &file)
{
    if (!file.flush())
        return false;
    return syncDescriptor(file.handle());
}

bool syncFolder(const QString &folder)
{
    if (!gateAllows(SyncKind::Folder, QFileInfo(folder).absoluteFilePath()))
        return false;
    const int fd = openDescriptor(folder, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    bool ok = fsyncRepeated(fd);
    // Some file systems cannot sync a folder at all; their entries are as
    // durable as they get.
    if (!ok && (errno == EINVAL || errno == ENOTSUP))
        ok = true;
    const int error = errno;
    ::close(fd);
    errno = error;
    return ok;
}

bool removeIfUnlocked(const QString &path)
{
    const int fd = openDescriptor(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOFOLLOW);
    if (fd < 0)
        return errno == ENOENT;
    // Only a regular file can be one of ours; anything else is left alone.
    struct stat st = {};
    const bool removed = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && tryLockDescriptor(fd)
                         && ::unlink(QFile::encodeName(path).constData()) == 0;
    ::close(fd);
    return removed;
}

bool tryLockDescriptor(int fd)
{
    int rc = 0;
    do {
        rc = ::flock(fd, LOCK_EX | LOCK_NB);
    } while (rc != 0 && errno == EINTR);
    return rc == 0;
}

void ignoreFileSizeSignal()
{
    struct sigaction ignore = {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    ::sigaction(SIGXFSZ, &ignore, nullptr);
}

#else

// Qt offers no portable sync: flushing hands the bytes to the system, which
// is all that can be done here.
int openDescriptor(const QString &, int, int)
{
    return -1;
}

bool syncDescriptor(int fd)
{
    return fd >= 0;
}

bool syncToDisk(QFileDevice &file)
{
    return file.flush();
}

bool syncFolder(const QString &)
{
    return true;
}

bool tryLockDescriptor(int)
{
    return true;
}

bool writeFully(int, qint64, const QByteArray &)
{
    return false; // descriptors are not written directly here
}

bool removeIfUnlocked(const QString &path)
{
    return !QFileInfo(path).isFile() ? !QFileInfo::exists(path) : QFile::remove(path);
}

void ignoreFileSizeSignal() {}

#endif

} // namespace stanzary
