#pragma once

#include "karaoke/KasFile.h"
#include "platform/CodePage.h"
#include "tagger/Id3v2Lyrics.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace stanzary {

// Tagging with "Also write ID3v2 lyrics": after a file's Lyrics3 tag, its
// ID3v2 tag gets the same prepared text as USLT and, when the song has a
// timestamp file whose every stamp pairs with a lyric line, a SYLT frame
// with those lines. The outcome is told in lines for the tagging log, each
// indented below the file's own line.

// The frames for a song: preparedText (the Lyrics3 LYR text, CR LF line
// ends, in the code page) as USLT with LF line ends; SYLT from stamps paired
// with lyricsText (the lyrics file's bytes) when stamps is given. A stamp
// that finds no line, or a timestamp file that could not be read whole,
// leaves synced empty and adds a note for each.
Id3v2LyricsFrames id3v2FramesFor(const QByteArray &preparedText, const QByteArray &lyricsText,
                                 const std::optional<KasContent> &stamps, const CodePage &codePage, QStringList &notes);

struct Id3v2TagResult
{
    bool written = false;
    QStringList notes; // log lines, indented, without line ends
};

// Writes the ID3v2 lyrics of mp3Path from the lyrics file at lyricsPath and
// the timestamp file beside it (found ignoring case), if any; preparedText is
// what the Lyrics3 tag got. A failure leaves the MP3 file as it was (the
// Lyrics3 tag already written stays) and is told in the notes. A dry run
// writes nothing and tells which frames would be written (whether the tag
// keeps every frame is only seen when it is written).
Id3v2TagResult TagId3v2Lyrics(const QString &mp3Path, const QString &lyricsPath, const QByteArray &preparedText,
                              const CodePage &codePage, const RewriteHooks &hooks = {}, bool dryRun = false);

// The notes as log text: each line followed by CR LF.
QString id3v2LogText(const Id3v2TagResult &result);

// The tagging step after a file's Lyrics3 tag was written: the lyrics file
// is read and prepared as for the Lyrics3 tag (site as there), then
// TagId3v2Lyrics; the log text of its notes.
QString TagRowId3v2Lyrics(const QString &mp3Path, const QString &lyricsPath, const CodePage &codePage,
                          const QString &site);

} // namespace stanzary
