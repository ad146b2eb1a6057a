#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QSet>
#include <QString>

#include <array>

namespace stanzary {

// The 5-byte key under which the karaoke index lists a song: the first five
// bytes of the MD5 digest of the song's name (clsMD5Hash).
using AvailabilityKey = std::array<quint8, 5>;

// The key of a lyrics file name as listed in the lyrics folder, with its
// 4-character extension ("Artist - Song.txt" digests "artist - song").
AvailabilityKey availabilityKeyFor(const QString &fileName);

// The host's karaoke index ("kl.dbx"): a flat run of 5-byte records, each the
// AvailabilityKey of a song whose timestamps can be downloaded. A key counts
// only as a whole record at a multiple of 5; bytes after the last whole
// record never match. The aligned records are put into a hash set once per
// load, so a lookup costs one digest and one set probe.
class KaraokeIndex
{
public:
    // Reads the whole index file ("kl.dbx"). A missing or unreadable file,
    // one that is not a regular file or one of more than MaxKaraokeIndexBytes
    // gives an empty index.
    void load(const QString &path);
    // Takes the index's bytes directly (what load does after reading the file).
    void setBytes(const QByteArray &bytes);
    void clear();
    bool isEmpty() const;
    qint64 byteSize() const;
    // The file length divided by 5, with a fraction only when it is not a
    // whole number: "10" for 50 bytes, "10.4" for 52, "0" for an empty index.
    QString recordCountText() const; // "10" for 50 bytes, "10.4" for 52
    // fileName as listed in the lyrics folder, with ".txt", without folder ("Artist - Song.txt")
    bool IsKaraokeAvailable(const QString &fileName) const;
    // True when key is one of the whole records.
    bool containsKey(const AvailabilityKey &key) const;

private:
    qint64 m_size = 0;
    QSet<quint64> m_records; // each record's 5 bytes packed into the low 40 bits
};

inline QString karaokeIndexFileName()
{
    return QStringLiteral("kl.dbx");
}

// The index file of an installation folder ending with "/": folder +
// "kl.dbx", by the name it really has there when that differs in case
// ("KL.DBX"); folder + "kl.dbx" when there is none.
QString karaokeIndexPath(const QString &strHostPath);

// Calendar days between the file's last-modified time and now (0 the same day).
// A missing file, an unreadable date or a date after now gives 0.
int karaokeIndexAgeDays(const QString &path, const QDateTime &now = QDateTime::currentDateTime());

} // namespace stanzary
