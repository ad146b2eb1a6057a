#include "platform/FolderLock.h"

#include "platform/DirListing.h"
#include "platform/DurableFile.h"

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#endif

#include <algorithm>

namespace stanzary {

namespace {

#ifdef Q_OS_UNIX
// flock without waiting; errno tells why not.
bool lockNow(int fd)
{
    int rc = 0;
    do {
        rc = ::flock(fd, LOCK_EX | LOCK_NB);
    } while (rc != 0 && errno == EINTR);
    return rc == 0;
}
#endif

} // namespace

FolderLocks::FolderLocks(QString fallbackFolder) : m_fallbackFolder(std::move(fallbackFolder)) {}

FolderLocks::~FolderLocks()
{
    release();
}

QString FolderLocks::realFolderPath(const QString &folder)
{
    const QFileInfo info(folder);
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? info.absoluteFilePath() : canonical;
}

void FolderLocks::release()
{
#ifdef Q_OS_UNIX
    for (const int fd : m_descriptors)
        ::close(fd); // the lock goes with the descriptor
#endif
    m_descriptors.clear();
}

FolderLocks::Outcome FolderLocks::tryTake(const QStringList &folders)
{
    release();
    m_busyFolder.clear();
    m_error.clear();
    QStringList real;
    for (const QString &folder : folders)
        real << realFolderPath(folder);
    std::sort(real.begin(), real.end());
    real.erase(std::unique(real.begin(), real.end()), real.end());
    for (const QString &folder : std::as_const(real)) {
        const Outcome outcome = takeOne(folder);
        if (outcome != Outcome::Taken) {
            release();
            return outcome;
        }
    }
    return Outcome::Taken;
}

FolderLocks::Outcome FolderLocks::takeOne(const QString &folder)
{
#ifdef Q_OS_UNIX
    const QByteArray native = QFile::encodeName(folder);
    int fd = ::open(native.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        if (lockNow(fd)) {
            m_descriptors.push_back(fd);
            return Outcome::Taken;
        }
        const int why = errno;
        ::close(fd);
        if (why == EWOULDBLOCK) {
            m_busyFolder = folder;
            return Outcome::Busy;
        }
    }
    // The folder cannot be opened or locked itself: a lock file stands in.
    if (!makeFolderDurably(m_fallbackFolder)) {
        m_error = QStringLiteral("the folder for lock files cannot be made: ") + lastSystemError();
        return Outcome::Failed;
    }
    const QByteArray digest = QCryptographicHash::hash(folder.toUtf8(), QCryptographicHash::Sha1).toHex();
    const QString lockFile =
        withTrailingSeparator(m_fallbackFolder) + QString::fromLatin1(digest) + QStringLiteral(".folder-lock");
    fd = ::open(QFile::encodeName(lockFile).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) {
        m_error = QStringLiteral("the lock file cannot be made: ") + lastSystemError();
        return Outcome::Failed;
    }
    if (lockNow(fd)) {
        m_descriptors.push_back(fd);
        return Outcome::Taken;
    }
    const int why = errno;
    ::close(fd);
    if (why == EWOULDBLOCK) {
        m_busyFolder = folder;
        return Outcome::Busy;
    }
    m_error = QStringLiteral("the folder cannot be locked: ") + systemErrorText(why);
    return Outcome::Failed;
#else
    Q_UNUSED(folder);
    return Outcome::Taken;
#endif
}

} // namespace stanzary
