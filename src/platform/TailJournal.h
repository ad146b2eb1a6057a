#pragma once

#include "platform/SafeWrite.h"

#include <QByteArray>
#include <QByteArrayList>
#include <QList>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

class QFileDevice;

namespace stanzary {

// Rewriting the tail of a file in place (from a write offset to its end) so
// that a crash, a power loss, a full disk or a file-size limit at any moment
// leaves the file with either all of its old bytes or all of its new ones.
// The tagging rewrites MP3 tails this way, and a whole-file write that cannot
// make a new copy beside the file (a writable file in a folder the user may
// not write) rewrites the file from offset 0.
//
// Before any byte of the file changes, its old tail, its old length and the
// new tail go into a journal file, which is synced to the disk. Then the file
// is changed, cut to its new length and synced, and only then is the journal
// removed. A journal that is found later (the program was ended in between)
// is rolled back: the old bytes and the old length are put back, but only
// when the file is still what the interrupted write could have left, position
// by position the old or the new tail, its length between theirs. A file that
// another program changed since is left as it is and the journal set aside.
//
// While a write runs, its journal is locked (tryLockDescriptor); a journal
// that is locked belongs to a live write, of this process or another, and is
// never rolled back. A journal is made under a temporary name and gets its
// real name, complete and locked, in one step.
//
// Journals live in the per-user data folder, not beside the files: the folder
// of the file may be read-only or on a removable drive, and one folder lets
// the program find every journal when it starts. A journal is named after a
// digest of the file's canonical path, so files of the same name in
// different folders never share one, and one file reached through two links
// never has two.
//
// Journal format, version 2, numbers little-endian:
//   "STZTAILJ"    8 bytes
//   u32           format version (2)
//   u64           write offset
//   u64           the file's old length
//   u32 + bytes   the file's canonical path, UTF-8
//   u32 + 32      how many bytes in front of the write offset are guarded
//                 (0 to 4096), and the SHA-256 of those bytes
//   u64 + bytes   the old tail (old length - write offset bytes)
//   u64 + bytes   the new tail
//   32            SHA-256 of everything above
// Version 1 had no new tail and at least one guarded byte. A journal cut
// short or damaged fails the digest. It was being written when the program
// ended, before the file was touched, so it is simply dropped.

// The moments of a tail write and of a rollback, in order. Tests stop the
// writing process at each of them.
enum class TailStep {
    JournalSaved,    // the journal is on the disk; the file is not changed yet
    PartWritten,     // a part of the new tail is written (after each but the last)
    TailWritten,     // the whole new tail is written
    Resized,         // bytes behind the new end cut off (only when it shrank)
    FileSynced,      // the new tail is on the disk; the journal is still there
    JournalRemoved,  // done
    RollbackWritten, // the old tail written back
    RollbackResized, // the old length restored
};

// Seams for tests; empty members mean the real behaviour.
struct TailWriteHooks
{
    // Makes what was written to a file (the journal or the rewritten file)
    // durable; the real one is syncToDisk.
    std::function<bool(QFileDevice &file)> sync;
    // Called when a step is reached.
    std::function<void(TailStep step)> reached;
};

// What rolling back one journal came to.
struct JournalRecovery
{
    enum class Result {
        Restored, // the file has its old bytes and length again; journal removed
        Dropped,  // a journal cut short or damaged: the file was never touched
        Kept,     // the file cannot be restored now (missing, read-only, a
                  // write failed); the journal stays for the next attempt
        SetAside, // the file was changed by something else since: the old tail
                  // no longer fits it; the journal is kept under another name
        Busy,     // a live write holds the journal; nothing was done
    };
    Result result = Result::Dropped;
    QString filePath; // empty for a dropped journal
    QString reason;   // for Kept and SetAside
};

// The line the tagging log (or a message) shows for an outcome; empty for a
// dropped journal and a live one, which the user need not hear of.
QString recoveryLogLine(const JournalRecovery &recovery);

// What the program tells at start after rolling back journals: one line per
// file that was restored or could not be, under a heading; empty when there
// is nothing to tell.
QString interruptedWritesMessage(const QList<JournalRecovery> &recoveries);

class TailJournal
{
public:
    // Journals in folder (made when needed); the default is defaultFolder().
    explicit TailJournal(QString folder = defaultFolder(), TailWriteHooks hooks = {});

    // "tag-journal" in the per-user data folder.
    static QString defaultFolder();
    const QString &folder() const { return m_folder; }

    // The journal of the file at filePath (by its canonical path when it
    // exists).
    QString journalPathFor(const QString &filePath) const;

    // Rolls back a journal left for the file at filePath, if there is one.
    // True when none is left: only then may the file's tail be read to build
    // a new one. False also while another live write of the file runs.
    bool settle(const QString &filePath) const;

    // Replaces the bytes of file (the open file at path) from writeOffset to
    // its end by the parts (in order), so that the file ends right after the
    // last part. file is opened ReadWrite | Unbuffered. Fails, with the file untouched, when the
    // journal cannot be saved or a journal of the same file is still there
    // (see settle); and fails when any write or sync of the file fails, after
    // putting the old tail back (should even that fail, the journal stays and
    // recover() finishes the job later). The reason is the system's ("No
    // space left on device"). Ignores SIGXFSZ first, so that a file-size
    // limit is a failed write, not a killed process.
    WriteResult replaceTail(QFileDevice &file, const QString &path, qint64 writeOffset,
                            const QByteArrayList &parts) const;

    // Rolls back every journal left in the folder that no live write holds,
    // in name order, and removes journals that a killed process left half
    // made. A set-aside journal is passed over.
    QList<JournalRecovery> recover() const;

private:
    struct LiveJournal;
    bool sync(QFileDevice &file) const;
    void reached(TailStep step) const;
    std::unique_ptr<LiveJournal> saveJournal(const QString &journalPath, const QByteArray &bytes,
                                             QString &failure) const;
    bool removeJournal(LiveJournal &journal) const;
    bool rollBack(QFileDevice &file, qint64 writeOffset, const QByteArray &oldTail) const;
    JournalRecovery recoverOne(const QString &journalPath) const;

    QString m_folder;
    TailWriteHooks m_hooks;
};

// The journal's bytes, and back; exposed for tests of damaged journals.
struct TailJournalRecord
{
    QString filePath;
    qint64 writeOffset = 0;
    qint64 oldLength = 0;
    quint32 guardLength = 0;
    QByteArray guardDigest;
    QByteArray oldTail;
    std::optional<QByteArray> newTail; // none in a version 1 journal
};
QByteArray encodeTailJournal(const TailJournalRecord &record);
enum class JournalFormat { Valid, Damaged, NewerVersion };
JournalFormat decodeTailJournal(const QByteArray &bytes, TailJournalRecord &record);

} // namespace stanzary
