#pragma once

class QFileDevice;
class QString;

namespace stanzary {

// Making writes durable, for the few places that rewrite a file in place (the
// tail of an MP3 file) and keep a rollback copy until the new bytes are safe.

// Flushes the device and pushes what was written to the disk itself (fsync
// on POSIX systems). False when either step fails: the bytes may then not be
// on the disk, and a write that relies on them must count as failed.
bool syncToDisk(QFileDevice &file);

// Makes the folder's entries durable: a file created in it or removed from it
// stays created or removed after a power loss. False when the folder cannot
// be opened or synced.
bool syncFolder(const QString &folder);

// A write beyond the process's file-size limit then fails with an error that
// the writer handles (and undoes), instead of the process being ended by
// SIGXFSZ in the middle of it. Safe to call any number of times; nothing
// happens where the signal does not exist.
void ignoreFileSizeSignal();

} // namespace stanzary
