#include "tagger/Mp3Tail.h"

#include <QIODevice>

namespace stanzary {

namespace {

constexpr qint64 V2Trailer = 15;  // 6-digit size + 9-byte end marker
constexpr qint64 V1Window = 5120; // a v1 tag is at most this long
constexpr qint64 MarkerLength = 9;
const QByteArray BeginMarker = QByteArrayLiteral("LYRICSBEGIN");

// Exactly len bytes at pos, or nothing when the range is not wholly inside
// the device or the read comes up short. Never allocates more than the device
// holds.
std::optional<QByteArray> readAt(QIODevice &file, qint64 pos, qint64 len)
{
    if (!file.isReadable())
        return std::nullopt;
    const qint64 size = file.size();
    if (pos < 0 || len < 0 || pos > size || len > size - pos)
        return std::nullopt;
    if (!file.seek(pos))
        return std::nullopt;
    QByteArray bytes = file.read(len);
    if (bytes.size() != len)
        return std::nullopt;
    return bytes;
}

bool tailPosInside(QIODevice &file, qint64 tailPos)
{
    return tailPos >= 0 && tailPos <= file.size();
}

// Copies bytes into a field of exactly width bytes (cut or NUL-padded).
QByteArray fixedWidth(const QByteArray &bytes, int width)
{
    QByteArray out = bytes.left(width);
    if (out.size() < width)
        out.append(width - out.size(), '\0');
    return out;
}

} // namespace

QByteArray Id3v1Record::toBytes() const
{
    QByteArray out;
    out.reserve(Size);
    out += fixedWidth(Header, 3);
    out += fixedWidth(Title, 30);
    out += fixedWidth(Artist, 30);
    out += fixedWidth(Album, 30);
    out += fixedWidth(Year, 4);
    out += fixedWidth(Comment, 28);
    out += static_cast<char>(Zero);
    out += static_cast<char>(Track);
    out += static_cast<char>(Genre);
    return out;
}

Id3v1Record Id3v1Record::fromBytes(const QByteArray &bytes)
{
    Id3v1Record r;
    if (bytes.size() != Size)
        return r;
    r.Header = bytes.mid(0, 3);
    r.Title = bytes.mid(3, 30);
    r.Artist = bytes.mid(33, 30);
    r.Album = bytes.mid(63, 30);
    r.Year = bytes.mid(93, 4);
    r.Comment = bytes.mid(97, 28);
    r.Zero = static_cast<quint8>(bytes.at(125));
    r.Track = static_cast<quint8>(bytes.at(126));
    r.Genre = static_cast<quint8>(bytes.at(127));
    return r;
}

bool isLyrics3v2Version(const QByteArray &version)
{
    return version.startsWith("LYRICS2");
}

std::optional<int> parseTagSize(const QByteArray &digits)
{
    qsizetype from = 0;
    qsizetype to = digits.size();
    while (from < to && digits.at(from) == ' ')
        ++from;
    while (to > from && digits.at(to - 1) == ' ')
        --to;
    if (from == to || to - from > 9)
        return std::nullopt;
    int value = 0;
    for (qsizetype i = from; i < to; ++i) {
        const char c = digits.at(i);
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return value;
}

QByteArray zeroPadded(qint64 n, int width)
{
    return QByteArray::number(n).rightJustified(width, '0');
}

bool LastBytesAreLyrics3(QIODevice &file)
{
    const qint64 size = file.size();
    const QByteArray version = GetLyricsVersion(file, size);
    Lyrics3Fields ignored;
    qint64 start = size;
    if (version == LyricsVersion::V1)
        start = ReadLyrics3v1(ignored, file, size);
    else if (isLyrics3v2Version(version))
        start = ReadLyrics3v2(ignored, file, size);
    return start < size - Id3v1Record::Size;
}

bool HasId3v1Record(QIODevice &file)
{
    const auto header = readAt(file, file.size() - Id3v1Record::Size, 3);
    return header && *header == "TAG" && !LastBytesAreLyrics3(file);
}

Id3v1Record ReadId3v1(QIODevice &file)
{
    if (!HasId3v1Record(file))
        return Id3v1Record();
    const auto bytes = readAt(file, file.size() - Id3v1Record::Size, Id3v1Record::Size);
    return bytes ? Id3v1Record::fromBytes(*bytes) : Id3v1Record();
}

qint64 TailPos(QIODevice &file)
{
    const qint64 size = file.size();
    return HasId3v1Record(file) ? size - Id3v1Record::Size : size;
}

QByteArray ClassifyLyricsMarker(const QByteArray &marker)
{
    if (marker == "LYRICSEND")
        return QByteArray(LyricsVersion::V1);
    if (marker == LyricsVersion::V200)
        return QByteArray(LyricsVersion::V200);
    if (marker.size() == MarkerLength && marker.startsWith("LYRICS2"))
        return marker;
    if (marker.startsWith("LYRICS"))
        return QByteArray(LyricsVersion::Higher);
    return QByteArray(LyricsVersion::None);
}

QByteArray GetLyricsVersion(QIODevice &file, qint64 tailPos)
{
    if (!tailPosInside(file, tailPos))
        return QByteArray(LyricsVersion::None);
    const auto marker = readAt(file, tailPos - MarkerLength, MarkerLength);
    return marker ? ClassifyLyricsMarker(*marker) : QByteArray(LyricsVersion::None);
}

qint64 ReadLyrics3v2(Lyrics3Fields &fields, QIODevice &file, qint64 tailPos)
{
    if (!tailPosInside(file, tailPos))
        return tailPos;
    const auto sizeText = readAt(file, tailPos - V2Trailer, 6);
    const std::optional<int> tagSize = sizeText ? parseTagSize(*sizeText) : std::nullopt;
    // The size counts "LYRICSBEGIN" and the fields, so it is at least 11.
    if (!tagSize || *tagSize < BeginMarker.size())
        return tailPos;
    const qint64 start = tailPos - V2Trailer - *tagSize;
    const auto begin = readAt(file, start, BeginMarker.size());
    if (!begin || *begin != BeginMarker)
        return tailPos;
    const auto area = readAt(file, start + BeginMarker.size(), *tagSize - BeginMarker.size());
    if (!area)
        return tailPos;

    const qsizetype end = area->size();
    qsizetype cursor = 0;
    while (cursor < end) {
        if (end - cursor < 8)
            return tailPos; // a field header cut off by the end of the area
        const QByteArray id = area->mid(cursor, 3);
        const std::optional<int> length = parseTagSize(area->mid(cursor + 3, 5));
        cursor += 8;
        if (!length || *length > end - cursor)
            return tailPos; // not a number, or the data runs past the tag
        if (*length == 0)
            continue;
        fields.append({id, zeroPadded(*length, 5), area->mid(cursor, *length)});
        cursor += *length;
    }
    return start;
}

qint64 ReadLyrics3v1(Lyrics3Fields &fields, QIODevice &file, qint64 tailPos)
{
    if (!tailPosInside(file, tailPos) || tailPos < V1Window)
        return tailPos;
    const auto block = readAt(file, tailPos - V1Window, V1Window);
    if (!block)
        return tailPos;
    const qsizetype begin = block->lastIndexOf(BeginMarker);
    if (begin < 0)
        return tailPos;
    const qsizetype textStart = begin + BeginMarker.size();
    const qsizetype textLength = std::max<qsizetype>(0, V1Window - MarkerLength - textStart);
    SetField(fields, QByteArrayLiteral("IND"), QByteArrayLiteral("100"));
    SetField(fields, QByteArrayLiteral("LYR"), block->mid(textStart, textLength));
    return tailPos - V1Window + begin;
}

QByteArray FieldData(const Lyrics3Fields &fields, const QByteArray &id)
{
    for (const Lyrics3Field &f : fields) {
        if (f.ID == id)
            return f.Data;
    }
    return QByteArray();
}

QByteArray FitText(const QByteArray &text, int width)
{
    QByteArray out = width > 0 ? fixedWidth(text, width) : text;
    out.replace('\xff', ' ');
    return out;
}

void SetField(Lyrics3Fields &fields, const QByteArray &id, const QByteArray &data)
{
    const QByteArray fittedId = FitText(id, 0);
    QByteArray fittedData = FitText(data.left(MaxFieldData), 0);
    for (Lyrics3Field &f : fields) {
        if (f.ID != fittedId)
            continue;
        if (f.Data.size() > fittedData.size())
            fittedData.append(f.Data.size() - fittedData.size(), '\0');
        f.Data = fittedData;
        f.Size = zeroPadded(f.Data.size(), 5);
        return;
    }
    fields.append({fittedId, zeroPadded(fittedData.size(), 5), fittedData});
}

Mp3Tail ReadMp3Tail(QIODevice &file)
{
    Mp3Tail tail;
    tail.id3v1 = ReadId3v1(file);
    tail.tailPos = TailPos(file);
    tail.version = GetLyricsVersion(file, tail.tailPos);
    tail.start = tail.tailPos;
    if (tail.version == LyricsVersion::V1)
        tail.start = ReadLyrics3v1(tail.fields, file, tail.tailPos);
    else if (isLyrics3v2Version(tail.version))
        tail.start = ReadLyrics3v2(tail.fields, file, tail.tailPos);
    return tail;
}

} // namespace stanzary
