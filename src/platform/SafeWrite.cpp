#include "platform/SafeWrite.h"

#include <QFileInfo>
#include <QSaveFile>

namespace stanzary {

bool isReadOnlyFile(const QString &path)
{
    const QFileInfo info(path);
    return info.exists() && !info.permissions().testFlag(QFileDevice::WriteOwner);
}

WriteResult writeFileSafely(const QString &path, const QByteArray &data)
{
    if (isReadOnlyFile(path))
        return {WriteStatus::ReadOnly, QString()};
    QSaveFile file(path);
    // A file the user may write in a folder the user may not write (no room
    // for the new copy beside it) is written in place instead of not at all.
    file.setDirectWriteFallback(true);
    if (!file.open(QIODevice::WriteOnly))
        return {WriteStatus::Failed, file.errorString()};
    if (file.write(data) != data.size()) {
        const QString error = file.errorString();
        file.cancelWriting();
        return {WriteStatus::Failed, error};
    }
    if (!file.commit())
        return {WriteStatus::Failed, file.errorString()};
    return {WriteStatus::Ok, QString()};
}

} // namespace stanzary
