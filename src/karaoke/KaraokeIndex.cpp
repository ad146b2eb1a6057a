#include "karaoke/KaraokeIndex.h"

#include "karaoke/Md5.h"
#include "platform/DirListing.h"
#include "platform/RegularFile.h"

#include <QFileInfo>

#include <algorithm>

namespace stanzary {

namespace {

constexpr qsizetype kIndexRecordSize = 5;

quint64 packRecord(const quint8 *bytes)
{
    quint64 packed = 0;
    for (qsizetype i = 0; i < kIndexRecordSize; ++i)
        packed = (packed << 8) | bytes[i];
    return packed;
}

} // namespace

AvailabilityKey availabilityKeyFor(const QString &fileName)
{
    const QStringView name = QStringView(fileName).first(std::max<qsizetype>(0, fileName.size() - 4));
    const Md5Digest digest = clsMD5Hash().digest(name);
    AvailabilityKey key{};
    for (size_t i = 0; i < key.size(); ++i)
        key[i] = digest[i];
    return key;
}

void KaraokeIndex::RecordSet::prepare(qsizetype count)
{
    m_bits = 1;
    while ((qsizetype(1) << m_bits) < 2 * count)
        ++m_bits;
    m_slots.assign(size_t(1) << m_bits, kEmptySlot);
}

size_t KaraokeIndex::RecordSet::find(quint64 record) const
{
    // Fibonacci hashing: the top bits of the product, so that values that
    // differ only in a few bits still spread.
    const size_t mask = m_slots.size() - 1;
    size_t slot = static_cast<size_t>((record * 0x9E3779B97F4A7C15ull) >> (64 - m_bits));
    while (m_slots[slot] != kEmptySlot && m_slots[slot] != record)
        slot = (slot + 1) & mask;
    return slot;
}

void KaraokeIndex::RecordSet::insert(quint64 record)
{
    m_slots[find(record)] = record;
}

void KaraokeIndex::load(const QString &path)
{
    const FileContent file = readRegularFile(path, MaxKaraokeIndexBytes);
    if (!file.ok()) {
        clear();
        return;
    }
    setBytes(file.bytes);
}

void KaraokeIndex::setBytes(const QByteArray &bytes)
{
    m_bytes = bytes;
    m_records = RecordSet();
}

void KaraokeIndex::clear()
{
    setBytes(QByteArray());
}

bool KaraokeIndex::isEmpty() const
{
    return m_bytes.isEmpty();
}

qint64 KaraokeIndex::byteSize() const
{
    return m_bytes.size();
}

QString KaraokeIndex::recordCountText() const
{
    // length / 5 has at most one decimal: the remainder r gives the digit 2r.
    const qint64 whole = m_bytes.size() / kIndexRecordSize;
    const qint64 rest = m_bytes.size() % kIndexRecordSize;
    if (rest == 0)
        return QString::number(whole);
    return QString::number(whole) + u'.' + QString::number(rest * 2);
}

bool KaraokeIndex::containsKey(const AvailabilityKey &key) const
{
    const qsizetype whole = m_bytes.size() / kIndexRecordSize;
    if (whole == 0)
        return false;
    if (m_records.isEmpty()) {
        m_records.prepare(whole);
        const auto *data = reinterpret_cast<const quint8 *>(m_bytes.constData());
        for (qsizetype k = 0; k < whole; ++k)
            m_records.insert(packRecord(data + k * kIndexRecordSize));
    }
    return m_records.contains(packRecord(key.data()));
}

std::vector<bool> KaraokeIndex::containsKeys(const std::vector<AvailabilityKey> &keys) const
{
    std::vector<bool> found(keys.size(), false);
    const qsizetype whole = m_bytes.size() / kIndexRecordSize;
    if (whole == 0 || keys.empty())
        return found;
    // The keys go into a set small enough to stay in the cache, and the
    // records stream past it once, rather than the other way round. A bit
    // per value of a record's low 18 bits (32 KiB) turns most records away
    // before the set is probed.
    constexpr quint64 kFilterBits = quint64(1) << 18;
    std::vector<quint64> filter(kFilterBits / 64, 0);
    RecordSet wanted;
    wanted.prepare(qsizetype(keys.size()));
    for (const AvailabilityKey &key : keys) {
        const quint64 record = packRecord(key.data());
        wanted.insert(record);
        filter[(record % kFilterBits) / 64] |= quint64(1) << (record % 64);
    }
    RecordSet hits;
    hits.prepare(qsizetype(keys.size()));
    const auto *data = reinterpret_cast<const quint8 *>(m_bytes.constData());
    for (qsizetype k = 0; k < whole; ++k) {
        const quint64 record = packRecord(data + k * kIndexRecordSize);
        if ((filter[(record % kFilterBits) / 64] >> (record % 64)) & 1u && wanted.contains(record))
            hits.insert(record);
    }
    for (size_t i = 0; i < keys.size(); ++i)
        found[i] = hits.contains(packRecord(keys[i].data()));
    return found;
}

bool KaraokeIndex::IsKaraokeAvailable(const QString &fileName) const
{
    if (m_bytes.size() < kIndexRecordSize)
        return false;
    return containsKey(availabilityKeyFor(fileName));
}

QString karaokeIndexPath(const QString &strHostPath)
{
    const QString name = karaokeIndexFileName();
    const QString onDisk = strHostPath.isEmpty() ? QString() : findFileIgnoringCase(strHostPath, name);
    return strHostPath + (onDisk.isEmpty() ? name : onDisk);
}

int karaokeIndexAgeDays(const QString &path, const QDateTime &now)
{
    const QFileInfo info(path);
    if (!info.isFile())
        return 0;
    const QDateTime modified = info.lastModified();
    if (!modified.isValid())
        return 0;
    const qint64 days = modified.toLocalTime().date().daysTo(now.toLocalTime().date());
    return days > 0 ? int(days) : 0;
}

} // namespace stanzary
