#pragma once

#include <QString>

#include <functional>

class QFileDevice;

namespace stanzary {

// Making writes durable. Every write of a user's file goes through these
// helpers: the safe whole-file write, the rewrite through a copy and the
// rollback journal. Each returns false with the system's reason available as
// lastSystemError() when the step fails; a write that relies on the step must
// then count as failed.

// Opens path with the open(2) flags (and mode, for a file it creates),
// repeated when interrupted by a signal: the descriptor, or -1 with errno
// telling why. Where descriptors are not used, always -1.
int openDescriptor(const QString &path, int flags, int mode = 0);

// Pushes what was written through the descriptor to the disk itself (fsync,
// repeated when interrupted by a signal).
bool syncDescriptor(int fd);

// Writes all of bytes at offset (at the descriptor's position when offset is
// negative), going on after short writes and signals. False at the first
// write that fails, with errno telling why ("File too large" past a size
// limit, "No space left on device"): a short write is never taken for done.
bool writeFully(int fd, qint64 offset, const QByteArray &bytes);

// Flushes the device's buffer, then syncDescriptor on its handle.
bool syncToDisk(QFileDevice &file);

// Makes the folder's entries durable: a file created, renamed or removed in
// it stays so after a power loss. A file system that has nothing to sync for
// a folder (it answers that it cannot) counts as done. False when the folder
// cannot be opened or the sync fails.
bool syncFolder(const QString &folder);

// The folder that path lies in, synced.
bool syncFolderOf(const QString &path);

// Makes folder and any missing parents, each made one synced into its parent
// so that the chain survives a power loss. True when the folder is there.
bool makeFolderDurably(const QString &folder);

// The reason the last failed system call gave ("No space left on device",
// "File too large", "Permission denied"), as text for the user.
QString lastSystemError();
QString systemErrorText(int errorNumber);

// Takes the advisory lock of an open descriptor (flock) without waiting:
// false while another open of the file holds it. The system drops a lock
// when its descriptor is closed or its process ends, however it ends, so a
// held lock always means a live writer. Always true where no such lock exists.
bool tryLockDescriptor(int fd);

// Removes the file at path unless a live process holds its lock (see
// tryLockDescriptor). True when it is gone, or was never there.
bool removeIfUnlocked(const QString &path);

// A seam for tests: when set, gate is asked before each sync of a file
// (syncDescriptor, syncToDisk) or a folder (syncFolder) with its path; the
// sync fails (EIO) when the gate says no. Tests use it to see what is synced
// when, and to make a sync fail.
enum class SyncKind { File, Folder };
using SyncGate = std::function<bool(SyncKind kind, const QString &path)>;
void setSyncGate(SyncGate gate);

// A write beyond the process's file-size limit then fails with an error that
// the writer handles (and undoes), instead of the process being ended by
// SIGXFSZ in the middle of it. Safe to call any number of times; nothing
// happens where the signal does not exist.
void ignoreFileSizeSignal();

} // namespace stanzary
