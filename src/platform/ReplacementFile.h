#pragma once

#include <QFile>
#include <QString>
#include <QStringList>

#include <optional>

namespace stanzary {

// A file's new content made complete beside it and then put in its place in
// one step, so that a failure or a crash at any moment leaves the old file or
// the new one, never a mix and never a short file.
//
// The new content goes into a hidden file of the same folder with one name
// of ours, ".<name>.stanzary-new", which no listing of songs or MP3 files
// shows. While it is being written the file is locked (tryLockDescriptor),
// so that a copy that a killed process left behind can be told from one that
// another running process is still writing: only the first is ever removed.

// The replacement's name beside target.
QString replacementPathFor(const QString &target);

// True for a name that only a replacement of ours has (".*.stanzary-new").
bool isReplacementName(const QString &fileName);

// Removes the replacements named in fileNames from folder (each a name of
// ours, see isReplacementName; other names are left alone) that no live
// process holds. The names of those removed.
QStringList removeLeftoverReplacements(const QString &folder, const QStringList &fileNames);

class ReplacementFile
{
public:
    // target is the path the new content will have: an existing file's real
    // path (links resolved), or a new file's path.
    explicit ReplacementFile(QString target);
    // Removes the replacement unless commit() succeeded.
    ~ReplacementFile();
    ReplacementFile(const ReplacementFile &) = delete;
    ReplacementFile &operator=(const ReplacementFile &) = delete;

    // Creates the replacement, empty, with the target's permissions (and,
    // where allowed, its owner and group), or a new file's usual ones. A
    // leftover of ours is removed first; one that a live process holds is a
    // failure ("the file is being written by another process").
    bool create();
    // True when create() failed because no file may be made in the folder
    // (permission, a read-only file system).
    bool folderRefused() const { return m_folderRefused; }

    // Appends bytes; false unless every byte was written.
    bool write(const QByteArray &bytes);
    QFile &file() { return m_file; }
    QString path() const { return m_path; }

    // Syncs the replacement to the disk and checks that it holds exactly
    // expectedSize bytes when given (a short write that went unnoticed is
    // caught here), then closes it.
    bool sync(std::optional<qint64> expectedSize);
    // Renames the synced replacement over the target and syncs the folder.
    // False, with the target as it was, when the rename fails; false also
    // when the folder cannot be synced after it (the new content has the
    // name, but a power loss could still take it away).
    bool replace();
    // sync, then replace.
    bool commit(std::optional<qint64> expectedSize) { return sync(expectedSize) && replace(); }

    // Why the last step failed, for the user.
    QString error() const { return m_error; }

private:
    bool fail(const QString &reason);

    QString m_target;
    QString m_path; // the replacement's own
    QFile m_file;
    QString m_error;
    bool m_folderRefused = false;
    bool m_synced = false;
    bool m_committed = false;
};

} // namespace stanzary
