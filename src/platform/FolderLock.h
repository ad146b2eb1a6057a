#pragma once

#include <QString>
#include <QStringList>

#include <vector>

namespace stanzary {

// Exclusive locks on folders, held by a program while it writes files in
// them, so that two programs - the tagger window and the command line, or
// two command lines - never tag files of the same folder at once. The
// journal of a tail write only guards one write of one file; a tagging
// writes each file several times (its Lyrics3 tag, then a new copy with its
// ID3v2 tag, then the .lrc file beside it) and would lose another program's
// write made in between.
//
// The lock of a folder is the system's advisory lock (flock) on the folder
// itself: every process of every user that opens the folder meets the same
// lock, however it named the folder (links are resolved), and the system
// drops it when its holder ends, however it ends, so a held lock always
// means a live tagging. Where a file system cannot lock a folder (some
// network file systems) a lock file named after the folder's real path in
// the fallback folder (the tagging journal's, which every tagging of this
// user shares) takes its place.

class FolderLocks
{
public:
    enum class Outcome {
        Taken,  // every folder's lock is held
        Busy,   // a live process holds a folder's lock; busyFolder() names it
        Failed, // a lock could not be made at all; error() says why
    };

    // fallbackFolder holds the lock files where a folder cannot be locked
    // itself; it is made when needed.
    explicit FolderLocks(QString fallbackFolder);
    ~FolderLocks(); // lets go of every lock held
    FolderLocks(const FolderLocks &) = delete;
    FolderLocks &operator=(const FolderLocks &) = delete;

    // Takes the lock of every folder (duplicates and links to one folder
    // count once), all or none, without waiting: nothing is held unless
    // Taken. Locks held already are let go first.
    Outcome tryTake(const QStringList &folders);
    void release();
    bool held() const { return !m_descriptors.empty(); }

    QString busyFolder() const { return m_busyFolder; }
    QString error() const { return m_error; }

    // The folder's path with links resolved (the path itself when it does
    // not exist), as the locks and the messages name it.
    static QString realFolderPath(const QString &folder);

private:
    Outcome takeOne(const QString &folder);

    QString m_fallbackFolder;
    std::vector<int> m_descriptors;
    QString m_busyFolder;
    QString m_error;
};

} // namespace stanzary
