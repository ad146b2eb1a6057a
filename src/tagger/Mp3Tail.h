#pragma once

#include <QByteArray>
#include <QList>

#include <optional>

class QIODevice;

namespace stanzary {

// Reading the tags at the end of an MP3 file: the ID3v1 record (last 128
// bytes) and a Lyrics3 v1 or v2.00 tag directly in front of it.
//
// Everything here works on bytes, one character per byte, and on a device the
// caller has opened (a QFile, or a QBuffer in tests); nothing opens, closes or
// writes the device. The files are untrusted: every offset and size is checked
// against the device's size before anything is read or allocated, so a broken
// tag only ever means "no tag" or "fewer fields".

// The ID3v1 record (v1.1 layout with a track byte). Text fields are exactly
// their on-disk width, NUL bytes included.
struct Id3v1Record
{
    static constexpr int Size = 128;

    QByteArray Header = QByteArray(3, '\0'); // "TAG" when present
    QByteArray Title = QByteArray(30, '\0');
    QByteArray Artist = QByteArray(30, '\0');
    QByteArray Album = QByteArray(30, '\0');
    QByteArray Year = QByteArray(4, '\0');
    QByteArray Comment = QByteArray(28, '\0');
    quint8 Zero = 0;
    quint8 Track = 0;
    quint8 Genre = 0;

    bool isPresent() const { return Header == "TAG"; }

    // The 128 bytes on disk. Each field is cut or NUL-padded to its width;
    // bytes are written as they are (a record read from a file comes back
    // byte for byte).
    QByteArray toBytes() const;
    // The record from 128 bytes; anything else gives an absent record.
    static Id3v1Record fromBytes(const QByteArray &bytes);
};

// One field of a Lyrics3 v2 tag. Size is always Data's length in five
// zero-padded digits (SetField and the readers keep it so).
struct Lyrics3Field
{
    QByteArray ID;   // three characters: "IND", "LYR", ...
    QByteArray Size; // "00000" format
    QByteArray Data; // at most 99999 bytes

    bool operator==(const Lyrics3Field &) const = default;
};

using Lyrics3Fields = QList<Lyrics3Field>;

// The results of GetLyricsVersion. A 2.xx marker other than "LYRICS200" is
// returned as read ("LYRICS201").
namespace LyricsVersion {
inline constexpr char V1[] = "Lyrics3v1";
inline constexpr char V200[] = "LYRICS200";
inline constexpr char Higher[] = "LyricsVersionHigher";
inline constexpr char None[] = "NoLyrics";
} // namespace LyricsVersion

// True for "LYRICS200" and every other version whose first seven characters
// are "LYRICS2": the tag is read (and rewritten) as a v2 tag.
bool isLyrics3v2Version(const QByteArray &version);

inline constexpr int MaxFieldData = 99999; // five digits
inline constexpr int MaxTagSize = 999999;  // six digits

// True when the last 128 bytes start with "TAG" and are not the inside of a
// Lyrics3 tag that ends at the device's end (lyrics that happen to hold "TAG"
// 128 bytes before the end of a file without a record).
bool HasId3v1Record(QIODevice &file);
// True when a readable Lyrics3 tag ends at the device's end and starts more
// than 128 bytes before it.
bool LastBytesAreLyrics3(QIODevice &file);

// The record in the last 128 bytes of the device; absent (Header not "TAG")
// when the device is shorter, cannot be read, or HasId3v1Record says no.
Id3v1Record ReadId3v1(QIODevice &file);

// Where the ID3v1 record begins (size - 128) when HasId3v1Record, otherwise
// the size of the device. A Lyrics3 tag ends here.
qint64 TailPos(QIODevice &file);

// Classifies the 9 bytes that end at tailPos (see LyricsVersion). "NoLyrics"
// when tailPos is outside the device or too close to its start.
QByteArray GetLyricsVersion(QIODevice &file, qint64 tailPos);
// The same classification of nine marker bytes.
QByteArray ClassifyLyricsMarker(const QByteArray &marker);

// Appends the fields of the v2 tag that ends at tailPos and returns the offset
// of its "LYRICSBEGIN". Without a valid tag (bad size, no "LYRICSBEGIN" where
// the size points, a field that runs past the fields area) it returns tailPos;
// fields read before the fault stay in the list. Fields of size 0 are skipped.
qint64 ReadLyrics3v2(Lyrics3Fields &fields, QIODevice &file, qint64 tailPos);

// Turns the v1 tag that ends at tailPos into the fields IND "100" and LYR (the
// text between the last "LYRICSBEGIN" of the final 5120 bytes and the closing
// "LYRICSEND") and returns the offset of that "LYRICSBEGIN". Returns tailPos and
// adds nothing when tailPos is below 5120 or no "LYRICSBEGIN" is found.
qint64 ReadLyrics3v1(Lyrics3Fields &fields, QIODevice &file, qint64 tailPos);

// Data of the first field with this ID (exact), or empty.
QByteArray FieldData(const Lyrics3Fields &fields, const QByteArray &id);

// Adds a field or replaces the Data of the first one with this ID. The data is
// cut to 99999 bytes, 0xFF bytes become spaces, and a replaced field is
// NUL-padded to its old length, so it never gets shorter.
void SetField(Lyrics3Fields &fields, const QByteArray &id, const QByteArray &data);

// With width > 0: text cut or NUL-padded to exactly width bytes; with width 0
// the length is kept. Every 0xFF byte of the result becomes a space.
QByteArray FitText(const QByteArray &text, int width);

// What a file's tail holds, read in the documented order: ID3v1 record, tail
// position, Lyrics3 version, then the v1 or v2 fields. start is the offset of
// the Lyrics3 tag's "LYRICSBEGIN", or tailPos when none was read.
struct Mp3Tail
{
    Id3v1Record id3v1;
    qint64 tailPos = 0;
    QByteArray version;
    qint64 start = 0;
    Lyrics3Fields fields;
};
Mp3Tail ReadMp3Tail(QIODevice &file);

// A decimal size field ("00042"): digits, optionally padded with blanks on
// either side. Anything else (empty, all blanks, a sign, letters, digits split
// by blanks) is not a number.
std::optional<int> parseTagSize(const QByteArray &digits);

// n written with width digits, zero-padded.
QByteArray zeroPadded(qint64 n, int width);

} // namespace stanzary
