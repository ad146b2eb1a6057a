#pragma once

#include "platform/CodePage.h"
#include "platform/TailJournal.h"
#include "tagger/Mp3Tail.h"
#include "tagger/TaggerRow.h"

#include <QByteArray>
#include <QString>

#include <functional>
#include <optional>

class QFileDevice;

namespace stanzary {

// Writing lyrics into MP3 files as Lyrics3 v2.00 tags in front of the ID3v1
// record. Only the tail of a file is ever rewritten: bytes in front of the
// write offset (audio, an APEv2 tag in front of the Lyrics3 tag) are never
// touched, and a failed or interrupted write puts the old tail back (see
// TailJournal).

// Log line prefixes; each is followed by the MP3 file's full path and CR LF.
inline QString taggedPrefix()
{
    return QStringLiteral("File tagged..: ");
}
inline QString errorPrefix()
{
    return QStringLiteral("Error tagging: ");
}

// The LYR text for a lyrics file's bytes: a source trailer ("----------------",
// CR LF, "* Downloaded from:" ...) is replaced by an empty line and the dash
// line, the lyrics in front of it trimmed; then CR LF and the credit line
// "Lyrics by Tunewright (<site>)" follow in every case; site is the maker's
// web site address (basMain::strMakerSite).
QByteArray PrepareTagText(const QByteArray &lyricsText, const QString &site);

// text without tabs, spaces and CR LF pairs at both ends (a lone CR or LF stays).
QByteArray TrimBlank(const QByteArray &text);

// A new ID3v1 record; every text goes through FitText with its width.
Id3v1Record MakeId3v1(const QByteArray &artist, const QByteArray &title, const QByteArray &album,
                      const QByteArray &year, int genre, int track, const QByteArray &comment);

// Swaps the first "IND" field to the front when it is not there already.
void MoveIndFirst(Lyrics3Fields &fields);

// "LYRICSBEGIN", the fields, the six-digit size and the end marker; nothing
// when a field's ID is not three bytes, its data is over 99999 bytes, the end
// marker is not nine bytes, or the size would not fit six digits.
std::optional<QByteArray> Lyrics3v2TagBytes(const Lyrics3Fields &fields, const QByteArray &endMarker);

// MoveIndFirst, then writes the tag and the record at writeOffset of a file
// (the open file at path) opened ReadWrite | Unbuffered, and cuts the file right after the record,
// through the rollback journal: the file ends up with its whole new tail or,
// after any failure or crash, its whole old one. Refuses (false, nothing
// written) a buffered or read-only device, an offset outside the file, or a
// tag Lyrics3v2TagBytes cannot build. A failed sync is a failure.
bool WriteLyrics3v2(Lyrics3Fields &fields, const Id3v1Record &record, QFileDevice &file, const QString &path,
                    qint64 writeOffset, const QByteArray &endMarker, const TailJournal &journal = TailJournal());

// Tags one MP3 file with the lyrics file at lyricsPath; lyricsName ("Artist -
// Song") gives the ID3v1 record a file without one receives, through
// codePage; site goes into the credit line (PrepareTagText). False when the
// MP3 file is missing, read-only or no regular file (a named pipe in its
// place is never read), the lyrics cannot be read, or the write
// fails; the file is then as it was (journal keeps the old tail meanwhile).
bool TagMp3File(const QString &mp3Path, const QString &lyricsPath, const QString &lyricsName, const CodePage &codePage,
                const QString &site, const TailJournal &journal = TailJournal());

// TagMp3File with the reason of a failure, for the user ("the file is
// read-only", "No space left on device"). With dryRun everything but the
// write is done: the file is only read, and a journal left for it is not
// rolled back (the file cannot be tagged until it is, which is a failure).
WriteResult TagMp3FileLyrics3(const QString &mp3Path, const QString &lyricsPath, const QString &lyricsName,
                              const CodePage &codePage, const QString &site, const TailJournal &journal,
                              bool dryRun = false);

// Tags every checked row in order and returns the log, one line per checked
// row: "File tagged..: " or "Error tagging: ", the MP3 path and CR LF. Empty
// when no row is checked. The rows' folders are locked for the run (see
// RunCheckedRows); journals of an interrupted earlier tagging are rolled back
// first, each with a line of its own at the top of the log. progress,
// when given, hears after each checked row how many of them are done.
QString TagCheckedFiles(const QList<TaggerRow> &rows, const CodePage &codePage, const QString &site,
                        const TailJournal &journal = TailJournal(),
                        const std::function<void(int done, int total)> &progress = {});

} // namespace stanzary
