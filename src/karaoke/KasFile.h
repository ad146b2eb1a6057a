#pragma once

#include "platform/SafeWrite.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

namespace stanzary {

// A stamp's time as the editor rows hold it: minutes, seconds and frames
// (tenths of a second; decoded frames are always even).
struct StampTime
{
    quint8 Minute = 0;
    quint8 Second = 0;
    quint8 Frame = 0;
    friend bool operator==(const StampTime &, const StampTime &) = default;
};

// The timestamp file beside a lyrics file: the path with its last three
// characters replaced by "kas". Pure text, no disk access.
QString KasPathFor(const QString &lyricsPath);

// True when the timestamp file of lyricsPath exists as an ordinary, visible
// file, its name matched without regard to case.
bool KasFileExists(const QString &lyricsPath); // case-insensitive on disk

// path with its file name as it really is on disk when an ordinary, visible
// file matches it ignoring case; otherwise path unchanged.
QString pathOnDisk(const QString &path);

// The path the timestamp file of lyricsPath really has on disk (its name as
// listed), or KasPathFor(lyricsPath) when there is none yet.
QString kasPathOnDisk(const QString &lyricsPath);

// The two-byte time code of a stamp record to its time: t = (c1 - 64) * 64 +
// (c2 - 64) fifths of a second. Nothing when code is not two bytes or a byte
// is below 64. Minutes up to 41 can be decoded (40 with a canonical second
// byte, which stays below 128).
std::optional<StampTime> CodeToTime(const QByteArray &code);

// A time to its two-byte code. Nothing when the time has no code: seconds
// above 59, an odd frame or one above 8, or a time too large for a byte.
std::optional<QByteArray> TimeToCode(const StampTime &time);

// True for the times the editor's time picker can show and reach:
// 00:00.0 to 13:59.8 with even frames.
bool isPickerTime(const StampTime &time);

// One stamp record as stored: two bytes of time code, two bytes of line
// prefix. Never decoded here.
struct KasRecord
{
    QByteArray code;
    QByteArray prefix;
    friend bool operator==(const KasRecord &, const KasRecord &) = default;
};

enum class KasReadStatus {
    Ok,
    Unreadable, // the file could not be opened or read, or is not a regular file
    Malformed,  // no ";", a stamp part not a multiple of 4, or a code below 64
};

// A timestamp file as read: the records of its stamp part and its tail (from
// the first ";" to the end, line ends included), both as bytes. A malformed
// file keeps the whole records read before the fault; its bytes as read are
// in raw so that nothing is lost.
struct KasContent
{
    KasReadStatus status = KasReadStatus::Ok;
    QString detail; // what is wrong, for the user, when not Ok
    QList<KasRecord> records;
    QByteArray tail;
    QByteArray raw; // the file's bytes as read
    bool ok() const { return status == KasReadStatus::Ok; }
};

// Splits a timestamp file's bytes into records and tail.
KasContent parseKas(const QByteArray &bytes);

// Reads and parses a timestamp file (path as given; see kasPathOnDisk).
KasContent readKasFile(const QString &path);

// True for a record a timestamp file keeps: one whose prefix is not two
// spaces (a row that was added and never given a text). Saving leaves the
// others out, and so does everything made from the stamps (.lrc files,
// synchronised lyrics frames).
bool isStoredRecord(const KasRecord &record);

// A file's new content: the records in order, leaving out those that are not
// stored (isStoredRecord), then the tail, then CR LF unless the tail already ends with CR
// LF (so reading and saving an unchanged file never grows it).
QByteArray composeKas(const QList<KasRecord> &records, const QByteArray &tail);

// Writes composeKas(records, tail) safely (the old file stays whole on failure).
WriteResult writeKasFile(const QString &path, const QList<KasRecord> &records, const QByteArray &tail);

} // namespace stanzary
