#include "platform/ReplacementFile.h"

#include "platform/DurableFile.h"

#include <QFileInfo>

#include <cerrno>
#include <filesystem>
#include <system_error>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace stanzary {

namespace {

const QString Suffix = QStringLiteral(".stanzary-new");

QString busyText()
{
    return QStringLiteral("the file is being written by another process");
}

// The old file's permissions for the replacement, and its owner and group;
// a process that may not give them away keeps its own (as any new file of
// the folder would). False when the permissions cannot be given.
bool copyModeAndOwner(QFile &copy, const QString &copyPath, const QString &original)
{
#ifdef Q_OS_UNIX
    Q_UNUSED(copyPath);
    struct stat st;
    if (::stat(QFile::encodeName(original).constData(), &st) != 0)
        return true; // a new file
    if (::fchown(copy.handle(), st.st_uid, st.st_gid) != 0 && ::fchown(copy.handle(), uid_t(-1), st.st_gid) != 0) {
        // Neither is allowed here: the replacement stays the process's own.
    }
    return ::fchmod(copy.handle(), st.st_mode & 07777) == 0;
#else
    Q_UNUSED(copy);
    return !QFileInfo::exists(original) || QFile::setPermissions(copyPath, QFile::permissions(original));
#endif
}

} // namespace

QString replacementPathFor(const QString &target)
{
    const QFileInfo info(target);
    return info.absolutePath() + QStringLiteral("/.") + info.fileName() + Suffix;
}

bool isReplacementName(const QString &fileName)
{
    return fileName.startsWith(u'.') && fileName.size() > Suffix.size() + 1 && fileName.endsWith(Suffix);
}

QStringList removeLeftoverReplacements(const QString &folder, const QStringList &fileNames)
{
    QStringList removed;
    for (const QString &name : fileNames) {
        if (isReplacementName(name) && removeIfUnlocked(folder + u'/' + name))
            removed.append(name);
    }
    if (!removed.isEmpty())
        syncFolder(folder);
    return removed;
}

ReplacementFile::ReplacementFile(QString target) : m_target(std::move(target)), m_path(replacementPathFor(m_target))
{
    m_file.setFileName(m_path);
}

ReplacementFile::~ReplacementFile()
{
    if (m_committed || (!m_file.isOpen() && !m_synced))
        return; // renamed, or never made
    m_file.close();
    QFile::remove(m_path);
}

bool ReplacementFile::fail(const QString &reason)
{
    m_error = reason;
    return false;
}

namespace {

// Opens path as a new file for writing (it must not exist); false with the
// system's error number in error.
bool openNew(QFile &file, const QString &path, int &error)
{
#ifdef Q_OS_UNIX
    const int fd = openDescriptor(path, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) {
        error = errno;
        return false;
    }
    return file.open(fd, QIODevice::WriteOnly | QIODevice::Unbuffered, QFileDevice::AutoCloseHandle);
#else
    if (file.open(QIODevice::WriteOnly | QIODevice::NewOnly | QIODevice::Unbuffered))
        return true;
    error = QFileInfo::exists(path) ? EEXIST : EACCES;
    return false;
#endif
}

} // namespace

bool ReplacementFile::create()
{
    ignoreFileSizeSignal();
    int error = 0;
    if (!openNew(m_file, m_path, error) && error == EEXIST) {
        if (!removeIfUnlocked(m_path))
            return fail(busyText());
        openNew(m_file, m_path, error);
    }
    if (!m_file.isOpen()) {
        m_folderRefused = error == EACCES || error == EPERM || error == EROFS;
        return fail(error == EEXIST ? busyText() : systemErrorText(error));
    }
    // Nobody else knows the file yet, so the lock is always had; it tells
    // others that this one is alive.
    tryLockDescriptor(m_file.handle());
    if (!copyModeAndOwner(m_file, m_path, m_target))
        return fail(lastSystemError());
    return true;
}

bool ReplacementFile::write(const QByteArray &bytes)
{
    if (!m_file.isOpen())
        return fail(QStringLiteral("the new copy is not open"));
#ifdef Q_OS_UNIX
    if (!writeFully(m_file.handle(), -1, bytes))
        return fail(lastSystemError());
#else
    if (m_file.write(bytes) != bytes.size())
        return fail(m_file.errorString());
#endif
    return true;
}

bool ReplacementFile::sync(std::optional<qint64> expectedSize)
{
    if (!m_file.isOpen())
        return fail(QStringLiteral("the new copy is not open"));
    if (!syncToDisk(m_file))
        return fail(lastSystemError());
    // What reached the file, as the file system tells it.
    const qint64 size = QFileInfo(m_path).size();
    if (expectedSize && size != *expectedSize)
        return fail(QStringLiteral("only %1 of %2 bytes could be written").arg(size).arg(*expectedSize));
    m_file.close();
    if (m_file.error() != QFileDevice::NoError)
        return fail(m_file.errorString());
    m_synced = true;
    return true;
}

bool ReplacementFile::replace()
{
    if (!m_synced)
        return fail(QStringLiteral("the new copy is not on the disk"));
    std::error_code error;
    std::filesystem::rename(QFile::encodeName(m_path).toStdString(), QFile::encodeName(m_target).toStdString(), error);
    if (error)
        return fail(QString::fromStdString(error.message()));
    m_committed = true;
    if (!syncFolderOf(m_target))
        return fail(QStringLiteral("the folder could not be synced to the disk: ") + lastSystemError());
    return true;
}

} // namespace stanzary
