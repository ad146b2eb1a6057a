#include "platform/CopyRewrite.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <filesystem>
#include <system_error>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace stanzary {

namespace {

constexpr qint64 kCopyChunk = 1 << 20;

void reach(const RewriteHooks &hooks, RewriteStep step)
{
    if (hooks.reached)
        hooks.reached(step);
}

bool syncFile(QFile &file)
{
    if (!file.flush())
        return false;
#ifdef Q_OS_UNIX
    return file.handle() >= 0 && ::fsync(file.handle()) == 0;
#else
    return true;
#endif
}

// A rename or removal in the folder survives a power loss once this returns.
bool syncFolderOf(const QString &path)
{
#ifdef Q_OS_UNIX
    const int fd = ::open(QFile::encodeName(QFileInfo(path).absolutePath()).constData(), O_RDONLY | O_DIRECTORY);
    if (fd < 0)
        return false;
    const bool ok = ::fsync(fd) == 0;
    ::close(fd);
    return ok;
#else
    Q_UNUSED(path);
    return true;
#endif
}

// The old file's owner and group for the copy; a process that may not give
// them away keeps its own (as any new file of the folder would).
void copyOwnership(QFile &copy, const QString &original)
{
#ifdef Q_OS_UNIX
    struct stat st;
    if (::stat(QFile::encodeName(original).constData(), &st) == 0) {
        if (::fchown(copy.handle(), st.st_uid, st.st_gid) != 0 && ::fchown(copy.handle(), uid_t(-1), st.st_gid) != 0) {
            // Neither is allowed here: the copy stays the process's own.
        }
    }
#else
    Q_UNUSED(copy);
    Q_UNUSED(original);
#endif
}

// The old bytes into the new copy, which is created here and must not exist.
bool makeCopy(const QString &from, const QString &to, QString &failure)
{
    QFile source(from);
    if (!source.open(QIODevice::ReadOnly)) {
        failure = source.errorString();
        return false;
    }
    QFile copy(to);
    if (!copy.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
        failure = QStringLiteral("No copy can be made beside the file: ") + copy.errorString();
        return false;
    }
    if (!copy.setPermissions(source.permissions())) {
        failure = copy.errorString();
        return false;
    }
    copyOwnership(copy, from);
    QByteArray chunk;
    while (!(chunk = source.read(kCopyChunk)).isEmpty()) {
        if (copy.write(chunk) != chunk.size()) {
            failure = copy.errorString();
            return false;
        }
    }
    if (source.error() != QFileDevice::NoError || copy.size() != source.size()) {
        failure = source.errorString();
        return false;
    }
    copy.close();
    if (copy.error() != QFileDevice::NoError) {
        failure = copy.errorString();
        return false;
    }
    return true;
}

bool syncCopy(const QString &copyPath, QString &failure)
{
    QFile copy(copyPath);
    if (!copy.open(QIODevice::ReadWrite | QIODevice::ExistingOnly) || !syncFile(copy)) {
        failure = copy.errorString();
        return false;
    }
    return true;
}

} // namespace

QString rewriteCopyPath(const QString &path)
{
    const QFileInfo info(path);
    return info.absolutePath() + QStringLiteral("/.") + info.fileName() + QStringLiteral(".stanzary-new");
}

WriteResult rewriteThroughCopy(const QString &path, const CopyChange &change, const RewriteHooks &hooks)
{
    const QFileInfo info(path);
    const QString target = info.canonicalFilePath();
    if (target.isEmpty() || !QFileInfo(target).isFile())
        return {WriteStatus::Failed, QStringLiteral("The file does not exist.")};
    if (isReadOnlyFile(target))
        return {WriteStatus::ReadOnly, QString()};

    const QString copyPath = rewriteCopyPath(target);
    QFile::remove(copyPath); // a copy an earlier crash left behind
    QString failure;
    const auto fail = [&copyPath](const QString &reason) {
        QFile::remove(copyPath);
        return WriteResult{WriteStatus::Failed, reason};
    };

    if (!makeCopy(target, copyPath, failure))
        return fail(failure);
    reach(hooks, RewriteStep::CopyMade);
    if (!change(copyPath, failure))
        return fail(failure);
    reach(hooks, RewriteStep::CopyChanged);
    if (!syncCopy(copyPath, failure))
        return fail(failure);
    reach(hooks, RewriteStep::CopySynced);

    std::error_code error;
    std::filesystem::rename(QFile::encodeName(copyPath).toStdString(), QFile::encodeName(target).toStdString(), error);
    if (error)
        return fail(QString::fromStdString(error.message()));
    // The new file has its name; a folder that cannot be synced only means
    // that a power loss right now might bring the old one back.
    syncFolderOf(target);
    reach(hooks, RewriteStep::Replaced);
    return {WriteStatus::Ok, QString()};
}

} // namespace stanzary
