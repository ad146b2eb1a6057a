#pragma once

#include <QByteArray>
#include <QString>

namespace stanzary {

class TailJournal;

enum class WriteStatus {
    Ok,
    ReadOnly, // the target exists and is marked read-only; nothing was written
    Failed,   // the file could not be created or written; the old content is kept
};

struct WriteResult
{
    WriteStatus status = WriteStatus::Failed;
    QString error; // why, for the user, when status is Failed ("No space left on device")
    bool ok() const { return status == WriteStatus::Ok; }
};

// True when the file exists and its owner-write permission bit is clear. The
// bit is tested rather than access(), so a file the user marked read-only is
// respected even by a process that could write it anyway.
bool isReadOnlyFile(const QString &path);

// Writes data as the whole new content of path (a link is followed: its
// target gets the content). Every file the program writes whole goes through
// here. Afterwards the file holds either its old bytes or all of data, after
// a failure, a full disk, a file-size limit, a kill or a power loss alike;
// Ok is returned only once data is on the disk under the file's name.
//
// The new content is made beside the file (ReplacementFile) and renamed over
// it. A writable file in a folder where no new file may be made is rewritten
// in place behind the rollback journal instead (journal, by default the
// per-user one), which keeps the old bytes until the new ones are on the
// disk. A read-only target is refused (ReadOnly); a target that is not a
// regular file (a folder, a named pipe) is refused with a reason.
WriteResult writeFileSafely(const QString &path, const QByteArray &data);
WriteResult writeFileSafely(const QString &path, const QByteArray &data, const TailJournal &journal);

} // namespace stanzary
