#include "tagger/Lyrics3Writer.h"

#include "platform/RegularFile.h"
#include "platform/SafeWrite.h"
#include "platform/TailJournal.h"
#include "store/LyricsFile.h"
#include "store/SongNames.h"
#include "tagger/TaggingRun.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace stanzary {

namespace {

const QByteArray CrLf = QByteArrayLiteral("\r\n");
const QByteArray DashLine = QByteArrayLiteral("----------------");

// Text from the collection as tag bytes. A character the code page cannot hold
// becomes one "?" (a character beyond the BMP too, not one per UTF-16 half):
// the ID3v1 title and artist are a convenience, and refusing the whole file
// for them would cost the user the lyrics.
QByteArray encodeForTag(const QString &text, const CodePage &codePage)
{
    if (const auto bytes = codePage.encode(text))
        return *bytes;
    QByteArray out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size();) {
        const qsizetype length =
            text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate() ? 2 : 1;
        const auto one = codePage.encode(text.mid(i, length));
        out += one ? *one : QByteArrayLiteral("?");
        i += length;
    }
    return out;
}

} // namespace

QByteArray TrimBlank(const QByteArray &text)
{
    qsizetype from = 0;
    qsizetype to = text.size();
    while (from < to) {
        const char c = text.at(from);
        if (c == '\t' || c == ' ')
            from += 1;
        else if (c == '\r' && to - from >= 2 && text.at(from + 1) == '\n')
            from += 2;
        else
            break;
    }
    while (to > from) {
        const char c = text.at(to - 1);
        if (c == '\t' || c == ' ')
            to -= 1;
        else if (c == '\n' && to - from >= 2 && text.at(to - 2) == '\r')
            to -= 2;
        else
            break;
    }
    return text.mid(from, to - from);
}

QByteArray PrepareTagText(const QByteArray &lyricsText, const QString &site)
{
    static const QByteArray trailer = DashLine + CrLf + QByteArrayLiteral("* Downloaded from:");
    QByteArray text = lyricsText;
    const qsizetype at = text.lastIndexOf(trailer);
    if (at >= 0)
        text = TrimBlank(text.left(at)) + CrLf + CrLf + DashLine;
    return text + CrLf + QByteArrayLiteral("Lyrics by Tunewright (") + site.toLatin1() + ')';
}

Id3v1Record MakeId3v1(const QByteArray &artist, const QByteArray &title, const QByteArray &album,
                      const QByteArray &year, int genre, int track, const QByteArray &comment)
{
    Id3v1Record r;
    r.Header = QByteArrayLiteral("TAG");
    r.Title = FitText(title, 30);
    r.Artist = FitText(artist, 30);
    r.Album = FitText(album, 30);
    r.Year = FitText(year, 4);
    r.Comment = FitText(comment, 28);
    r.Zero = 0;
    r.Track = static_cast<quint8>(track);
    r.Genre = static_cast<quint8>(genre);
    return r;
}

void MoveIndFirst(Lyrics3Fields &fields)
{
    if (fields.isEmpty() || fields.first().ID == "IND")
        return;
    for (qsizetype i = 1; i < fields.size(); ++i) {
        if (fields.at(i).ID == "IND") {
            fields.swapItemsAt(0, i);
            return;
        }
    }
}

std::optional<QByteArray> Lyrics3v2TagBytes(const Lyrics3Fields &fields, const QByteArray &endMarker)
{
    if (endMarker.size() != 9)
        return std::nullopt;
    QByteArray joined;
    for (const Lyrics3Field &f : fields) {
        if (f.ID.size() != 3 || f.Data.size() > MaxFieldData)
            return std::nullopt;
        if (joined.size() + 8 + f.Data.size() + 11 > MaxTagSize)
            return std::nullopt; // the six-digit size could not hold it
        joined += f.ID + zeroPadded(f.Data.size(), 5) + f.Data;
    }
    return QByteArrayLiteral("LYRICSBEGIN") + joined + zeroPadded(joined.size() + 11, 6) + endMarker;
}

bool WriteLyrics3v2(Lyrics3Fields &fields, const Id3v1Record &record, QFileDevice &file, const QString &path,
                    qint64 writeOffset, const QByteArray &endMarker, const TailJournal &journal)
{
    MoveIndFirst(fields);
    const std::optional<QByteArray> tag = Lyrics3v2TagBytes(fields, endMarker);
    // A buffered device could hold back bytes of a failed write and replay
    // them later; only an unbuffered one can be rolled back reliably.
    if (!tag || !file.isReadable() || !file.isWritable() || !file.openMode().testFlag(QIODevice::Unbuffered))
        return false;
    return journal.replaceTail(file, path, writeOffset, {*tag, record.toBytes()}).ok();
}

bool TagMp3File(const QString &mp3Path, const QString &lyricsPath, const QString &lyricsName, const CodePage &codePage,
                const QString &site, const TailJournal &journal)
{
    return TagMp3FileLyrics3(mp3Path, lyricsPath, lyricsName, codePage, site, journal).ok();
}

WriteResult TagMp3FileLyrics3(const QString &mp3Path, const QString &lyricsPath, const QString &lyricsName,
                              const CodePage &codePage, const QString &site, const TailJournal &journal, bool dryRun)
{
    if (isReadOnlyFile(mp3Path))
        return {WriteStatus::ReadOnly, QStringLiteral("the file is read-only")};

    // The lyrics are read and prepared before the MP3 file is touched; only a
    // regular file is read, so a pipe put in its place cannot stall tagging.
    const auto lyrics = readLyricsBytes(lyricsPath);
    if (!lyrics)
        return {WriteStatus::Failed, QStringLiteral("the lyrics file cannot be read: ") + lyricsPath};
    const QByteArray text = PrepareTagText(*lyrics, site);

    // A write of this file that was interrupted is undone before its tail is
    // read: the new tag is built from the file's real old bytes. A dry run
    // undoes nothing.
    const QString unfinished = QStringLiteral("an earlier write of the file is not finished");
    if (dryRun ? QFileInfo::exists(journal.journalPathFor(mp3Path)) : !journal.settle(mp3Path))
        return {WriteStatus::Failed, unfinished};
    // Only a regular file is read and written; a named pipe in its place is
    // refused at once.
    const RegularFile opened(mp3Path, dryRun ? FileAccess::Read : FileAccess::ReadWrite);
    QFile mp3;
    if (!opened.openDevice(mp3, dryRun ? QIODevice::ReadOnly : QIODevice::ReadWrite | QIODevice::Unbuffered))
        return {WriteStatus::Failed, opened.error()};
    if (dryRun && !QFileInfo(mp3Path).isWritable())
        return {WriteStatus::Failed, QStringLiteral("the file cannot be written")};
    Mp3Tail tail = ReadMp3Tail(mp3);
    const Id3v1Record record =
        tail.id3v1.isPresent()
            ? tail.id3v1
            : MakeId3v1(encodeForTag(GetArtist(lyricsName), codePage), encodeForTag(GetSong(lyricsName), codePage),
                        QByteArray(), QByteArrayLiteral("    "), 255, 0, QByteArray());

    qint64 writeOffset = tail.tailPos;
    QByteArray endMarker(LyricsVersion::V200);
    if (tail.version == LyricsVersion::V1) {
        writeOffset = tail.start;
    } else if (isLyrics3v2Version(tail.version)) {
        writeOffset = tail.start;
        endMarker = tail.version;
    }

    SetField(tail.fields, QByteArrayLiteral("IND"), QByteArrayLiteral("100"));
    SetField(tail.fields, QByteArrayLiteral("LYR"), text);
    MoveIndFirst(tail.fields);
    const std::optional<QByteArray> tag = Lyrics3v2TagBytes(tail.fields, endMarker);
    if (!tag)
        return {WriteStatus::Failed, QStringLiteral("the Lyrics3 tag would be larger than the format allows")};
    if (dryRun)
        return {WriteStatus::Ok, QString()};
    return journal.replaceTail(mp3, mp3Path, writeOffset, {*tag, record.toBytes()});
}

QString TagCheckedFiles(const QList<TaggerRow> &rows, const CodePage &codePage, const QString &site,
                        const TailJournal &journal, const std::function<void(int done, int total)> &progress)
{
    const auto tagOne = [&](const TaggerRow &row) {
        const bool ok = TagMp3File(row.mp3Path, row.lyricsPath, row.lyricsName, codePage, site, journal);
        return RowResult{(ok ? taggedPrefix() : errorPrefix()) + row.mp3Path, {}, !ok};
    };
    RowRunOptions options;
    options.progress = progress;
    return RunCheckedRows(rows, journal, tagOne, options).log();
}

} // namespace stanzary
