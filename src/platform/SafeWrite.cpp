#include "platform/SafeWrite.h"

#include "platform/RegularFile.h"
#include "platform/ReplacementFile.h"
#include "platform/TailJournal.h"

#include <QFile>
#include <QFileInfo>

namespace stanzary {

namespace {

// The path whose file gets the content: a link's target, even one that does
// not exist yet.
QString targetOf(const QString &path)
{
    const QFileInfo info(path);
    if (!info.isSymLink())
        return info.absoluteFilePath();
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? info.symLinkTarget() : canonical;
}

// The in-place road: the folder refuses new files, the file takes writes.
WriteResult writeInPlace(const QString &target, const QByteArray &data, const TailJournal &journal,
                         const QString &folderRefusal)
{
    const QString refused = QStringLiteral("the folder cannot be written (") + folderRefusal + u')';
    if (!journal.settle(target))
        return {WriteStatus::Failed, refused + QStringLiteral(", and an earlier write of the file is not finished")};
    const RegularFile opened(target, FileAccess::ReadWrite);
    QFile file;
    if (!opened.openDevice(file, QIODevice::ReadWrite | QIODevice::Unbuffered))
        return {WriteStatus::Failed, refused + QStringLiteral(", and the file cannot be opened: ") + opened.error()};
    const WriteResult written = journal.replaceTail(file, target, 0, {data});
    if (written.ok())
        return written;
    return {WriteStatus::Failed, refused + QStringLiteral(", and writing the file in place failed: ") + written.error};
}

} // namespace

bool isReadOnlyFile(const QString &path)
{
    const QFileInfo info(path);
    return info.exists() && !info.permissions().testFlag(QFileDevice::WriteOwner);
}

WriteResult writeFileSafely(const QString &path, const QByteArray &data)
{
    return writeFileSafely(path, data, TailJournal());
}

WriteResult writeFileSafely(const QString &path, const QByteArray &data, const TailJournal &journal)
{
    const QString target = targetOf(path);
    const QFileInfo info(target);
    if (info.exists() && !info.isFile())
        return {WriteStatus::Failed, QStringLiteral("it is not a regular file")};
    if (isReadOnlyFile(target))
        return {WriteStatus::ReadOnly, QString()};

    ReplacementFile replacement(target);
    if (!replacement.create()) {
        if (replacement.folderRefused() && info.exists())
            return writeInPlace(target, data, journal, replacement.error());
        return {WriteStatus::Failed, replacement.error()};
    }
    if (!replacement.write(data) || !replacement.commit(data.size()))
        return {WriteStatus::Failed, replacement.error()};
    return {WriteStatus::Ok, QString()};
}

} // namespace stanzary
