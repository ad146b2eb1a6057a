#pragma once

#include "platform/CopyRewrite.h"
#include "platform/SafeWrite.h"

#include <QList>
#include <QString>

#include <optional>

namespace stanzary {

// Lyrics in an MP3 file's ID3v2 tag, the frames most players show: USLT
// (the lyrics as one text) and SYLT (one entry per lyric line, with the
// moment it starts in milliseconds). Frames are written and read through
// TagLib, which is handed the open regular file, never its name; only the
// tag at the front of the file changes, through a complete new copy of the
// file (rewriteThroughCopy). Before the copy may replace the file, the rest
// of it (audio, an APE tag, a Lyrics3 tag, the ID3v1 record) is checked to be
// byte for byte what it was, and the new tag is read back: every frame of
// the old one must be in it with the same content (id3v2FramesLost), but the
// lyrics frames replaced.
//
// Frames this program writes have an empty description and the language
// "XXX" (not known); a text Latin-1 can hold is stored as Latin-1, any other
// as UTF-16. Earlier lyrics frames with an empty description (of any
// language) are replaced; frames with a description of their own are kept.
// An existing ID3v2.4 tag stays 2.4; any other tag, or a new one, is
// written as ID3v2.3, which every player reads.

struct SyncedLine
{
    quint32 milliseconds = 0;
    QString text;
    friend bool operator==(const SyncedLine &, const SyncedLine &) = default;
};

struct Id3v2LyricsFrames
{
    QString unsynced; // the USLT text; line ends as LF
    // The SYLT lines; nothing leaves a SYLT frame the file has as it is.
    std::optional<QList<SyncedLine>> synced;
};

// Writes the frames into the MP3 file. Failed, with a reason for the user,
// when the file cannot be read as MP3 by the tag library, when its ID3v2 tag
// does not stand at its start or is damaged, when the copy cannot be made,
// when the rest of the file would not stay as it was or a frame of the old
// tag would be lost (the reason names those frames); ReadOnly for a
// read-only file. The file is then unchanged.
WriteResult writeId3v2Lyrics(const QString &mp3Path, const Id3v2LyricsFrames &frames, const RewriteHooks &hooks = {});

// The text of the file's USLT frame (the one with an empty description when
// there are several, else the first); nothing when it has none or cannot be
// read (only a regular file is read: a named pipe is passed over at once).
// Line ends as stored.
std::optional<QString> readUnsyncedLyrics(const QString &mp3Path);

// The lines of the file's SYLT lyrics frame with millisecond times (the one
// with an empty description first); nothing when there is none.
std::optional<QList<SyncedLine>> readSyncedLyrics(const QString &mp3Path);

// The size of the ID3v2 tag at the front of the bytes (header, frames,
// padding and footer), 0 when the bytes do not begin with "ID3"; nothing
// when they begin with "ID3" but the header is not one (a size byte of 128
// or more, an unknown version) or the tag would run past fileSize.
std::optional<qint64> id3v2TagSizeAtStart(const QByteArray &firstTenBytes, qint64 fileSize);

} // namespace stanzary
