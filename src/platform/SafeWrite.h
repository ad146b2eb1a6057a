#pragma once

#include <QByteArray>
#include <QString>

namespace stanzary {

enum class WriteStatus {
    Ok,
    ReadOnly, // the target exists and is marked read-only; nothing was written
    Failed,   // the file could not be created or written; the old content is kept
};

struct WriteResult
{
    WriteStatus status = WriteStatus::Failed;
    QString error; // the system's reason when status is Failed
    bool ok() const { return status == WriteStatus::Ok; }
};

// True when the file exists and its owner-write permission bit is clear. The
// bit is tested rather than access(), so a file the user marked read-only is
// respected even by a process that could write it anyway.
bool isReadOnlyFile(const QString &path);

// Writes data as the whole new content of path through QSaveFile: the new
// content is complete on disk before it replaces the old, so a failure leaves
// the old file as it was. A read-only target is refused. In a folder where no
// new file can be made, a writable file is written in place: that keeps its
// hard links and owner but is not protected against a failure mid-write.
WriteResult writeFileSafely(const QString &path, const QByteArray &data);

} // namespace stanzary
