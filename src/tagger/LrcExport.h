#pragma once

#include "platform/CodePage.h"
#include "platform/SafeWrite.h"
#include "tagger/LyricsPairing.h"

#include <QByteArray>
#include <QString>

namespace stanzary {

// The .lrc file that players show as synchronised lyrics: one line
// "[mm:ss.xx]" + lyric line per stamp, in stamp order, each ending with
// CR LF, in UTF-8 (without a byte-order mark), which players of .lrc files
// read.

// The bytes of the file for the paired stamps.
QByteArray lrcText(const QList<PairedStamp> &paired);

// "[mm:ss.xx]": minutes, seconds and hundredths, two digits each.
QString lrcTimeTag(const StampTime &time);

// The .lrc file beside a lyrics or MP3 file: its name with the extension
// replaced by ".lrc" (or ".lrc" appended when it has none), in its folder.
QString lrcPathBeside(const QString &path);

// Writes the file whole and safely (the old file is kept on any failure).
WriteResult writeLrcFile(const QString &path, const QList<PairedStamp> &paired);

// The unpaired stamps for the user: the first five described
// (describeUnpaired), then how many more there are.
QString describeUnpairedStamps(const QList<UnpairedStamp> &unpaired);

// The .lrc file of a song of the collection, beside another file (an MP3
// file): the song's timestamp file (beside its lyrics file, found ignoring
// case) paired with its lyrics as they are on disk. Written only when every
// stamp finds its line.
struct SongLrc
{
    enum class Status {
        Written,
        WouldWrite,   // a dry run: it would be written
        NoTimestamps, // the song has no timestamp file
        Unreadable,   // the timestamp or the lyrics file cannot be read whole
        Unpaired,     // a stamp finds no line
        NoStamps,     // the timestamp file holds no stamp with a text
        Failed,       // the write failed; the old file is as it was
    };
    Status status = Status::Failed;
    QString lrcPath; // where it is (or would be) written
    QString detail;  // Unreadable, Unpaired and Failed: what, for the user
    bool failed() const { return status == Status::Failed; }
    // One line for the user: ".lrc file written: <path>", "No .lrc file: the
    // song has no timestamp file", ...; with forFile given, a line without
    // the .lrc file's path names that file instead ("No .lrc file for
    // <forFile>: ...").
    QString note(const QString &forFile = QString()) const;
};

// Makes (or with dryRun only checks) the .lrc file beside besidePath for the
// song whose lyrics file is lyricsPath; codePage is the collection's.
SongLrc writeSongLrc(const QString &lyricsPath, const QString &besidePath, const CodePage &codePage,
                     bool dryRun = false);

} // namespace stanzary
