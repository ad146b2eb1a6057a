#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <array>
#include <vector>

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
// record never match. A scan asks for many keys at once (containsKeys: one
// pass over the records); a single lookup puts the records into a set the
// first time, so that each further one costs one digest and one probe.
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
    // For each of keys, whether it is one of the whole records.
    std::vector<bool> containsKeys(const std::vector<AvailabilityKey> &keys) const;

private:
    // A set of 40-bit values (packed records): open addressing with linear
    // probing in a power-of-two table at least twice the size it holds.
    class RecordSet
    {
    public:
        // Room for count values; empties the set.
        void prepare(qsizetype count);
        void insert(quint64 record);
        bool contains(quint64 record) const { return !m_slots.empty() && m_slots[find(record)] == record; }
        bool isEmpty() const { return m_slots.empty(); }

    private:
        // The slot that holds record, or the empty slot where it would go.
        size_t find(quint64 record) const;

        static constexpr quint64 kEmptySlot = ~quint64(0); // no 40-bit value
        std::vector<quint64> m_slots;
        int m_bits = 0;
    };

    QByteArray m_bytes;
    mutable RecordSet m_records; // built by the first single lookup
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
