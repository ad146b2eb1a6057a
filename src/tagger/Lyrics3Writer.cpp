#include "tagger/Lyrics3Writer.h"

#include "platform/SafeWrite.h"
#include "store/SongNames.h"

#include <QFile>
#include <QFileInfo>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace stanzary {

namespace {

const QByteArray CrLf = QByteArrayLiteral("\r\n");
const QByteArray DashLine = QByteArrayLiteral("----------------");

// Pushes what was written to the disk itself, so that a copy of the old tail is
// only given up once the new one is safe.
bool syncToDisk(QFileDevice &file)
{
    if (!file.flush())
        return false;
#ifdef Q_OS_UNIX
    const int fd = file.handle();
    return fd >= 0 && ::fsync(fd) == 0;
#else
    return true;
#endif
}

bool writeAt(QFileDevice &file, qint64 offset, const QByteArray &bytes)
{
    return file.seek(offset) && file.write(bytes) == bytes.size() && file.flush();
}

// Text from the collection as tag bytes. A character the code page cannot hold
// becomes "?": the ID3v1 title and artist are a convenience, and refusing the
// whole file for them would cost the user the lyrics.
QByteArray encodeForTag(const QString &text, const CodePage &codePage)
{
    if (const auto bytes = codePage.encode(text))
        return *bytes;
    QByteArray out;
    out.reserve(text.size());
    for (const QChar c : text) {
        const auto one = codePage.encode(QString(c));
        out += one ? *one : QByteArrayLiteral("?");
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

bool WriteLyrics3v2(Lyrics3Fields &fields, const Id3v1Record &record, QFileDevice &file, qint64 writeOffset,
                    const QByteArray &endMarker)
{
    MoveIndFirst(fields);
    const std::optional<QByteArray> tag = Lyrics3v2TagBytes(fields, endMarker);
    // A buffered device could hold back bytes of a failed write and replay
    // them later; only an unbuffered one can be rolled back reliably.
    if (!tag || !file.isReadable() || !file.isWritable() || !file.openMode().testFlag(QIODevice::Unbuffered))
        return false;
    const qint64 oldSize = file.size();
    if (writeOffset < 0 || writeOffset > oldSize)
        return false;

    // The old tail stays in memory until the new one is safely on disk.
    if (!file.seek(writeOffset))
        return false;
    const QByteArray oldTail = file.read(oldSize - writeOffset);
    if (oldTail.size() != oldSize - writeOffset)
        return false;

    const QByteArray newTail = *tag + record.toBytes();
    const qint64 newSize = writeOffset + newTail.size();
    const bool written =
        writeAt(file, writeOffset, newTail) && (newSize >= oldSize || file.resize(newSize)) && syncToDisk(file);
    if (written)
        return true;

    // Put the old tail back and cut anything the failed write appended.
    writeAt(file, writeOffset, oldTail);
    file.resize(oldSize);
    syncToDisk(file);
    return false;
}

bool TagMp3File(const QString &mp3Path, const QString &lyricsPath, const QString &lyricsName, const CodePage &codePage,
                const QString &site)
{
    if (!QFileInfo(mp3Path).isFile() || isReadOnlyFile(mp3Path))
        return false;

    // The lyrics are read and prepared before the MP3 file is touched.
    QFile lyricsFile(lyricsPath);
    if (!lyricsFile.open(QIODevice::ReadOnly))
        return false;
    const QByteArray lyrics = lyricsFile.readAll();
    if (lyricsFile.error() != QFileDevice::NoError)
        return false;
    lyricsFile.close();
    const QByteArray text = PrepareTagText(lyrics, site);

    QFile mp3(mp3Path);
    if (!mp3.open(QIODevice::ReadWrite | QIODevice::ExistingOnly | QIODevice::Unbuffered))
        return false;
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
    return WriteLyrics3v2(tail.fields, record, mp3, writeOffset, endMarker);
}

QString TagCheckedFiles(const QList<TaggerRow> &rows, const CodePage &codePage, const QString &site)
{
    QString log;
    for (const TaggerRow &row : rows) {
        if (!row.checked)
            continue;
        const bool ok = TagMp3File(row.mp3Path, row.lyricsPath, row.lyricsName, codePage, site);
        log += (ok ? taggedPrefix() : errorPrefix()) + row.mp3Path + QStringLiteral("\r\n");
    }
    return log;
}

} // namespace stanzary
