#include "karaoke/KaraokeIndex.h"

#include "karaoke/Md5.h"
#include "platform/DirListing.h"
#include "platform/RegularFile.h"

#include <QFileInfo>

namespace stanzary {

namespace {

constexpr qsizetype kRecordSize = 5;

quint64 packRecord(const quint8 *bytes)
{
    quint64 packed = 0;
    for (qsizetype i = 0; i < kRecordSize; ++i)
        packed = (packed << 8) | bytes[i];
    return packed;
}

} // namespace

AvailabilityKey availabilityKeyFor(const QString &fileName)
{
    QString name = fileName;
    name.chop(4);
    const Md5Digest digest = clsMD5Hash().digest(name);
    AvailabilityKey key{};
    for (size_t i = 0; i < key.size(); ++i)
        key[i] = digest[i];
    return key;
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
    m_size = bytes.size();
    m_records.clear();
    const qsizetype whole = m_size / kRecordSize;
    m_records.reserve(whole);
    const auto *data = reinterpret_cast<const quint8 *>(bytes.constData());
    for (qsizetype k = 0; k < whole; ++k)
        m_records.insert(packRecord(data + k * kRecordSize));
}

void KaraokeIndex::clear()
{
    m_size = 0;
    m_records = QSet<quint64>();
}

bool KaraokeIndex::isEmpty() const
{
    return m_size == 0;
}

qint64 KaraokeIndex::byteSize() const
{
    return m_size;
}

QString KaraokeIndex::recordCountText() const
{
    // length / 5 has at most one decimal: the remainder r gives the digit 2r.
    const qint64 whole = m_size / kRecordSize;
    const qint64 rest = m_size % kRecordSize;
    if (rest == 0)
        return QString::number(whole);
    return QString::number(whole) + u'.' + QString::number(rest * 2);
}

bool KaraokeIndex::containsKey(const AvailabilityKey &key) const
{
    return m_records.contains(packRecord(key.data()));
}

bool KaraokeIndex::IsKaraokeAvailable(const QString &fileName) const
{
    if (m_records.isEmpty())
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
