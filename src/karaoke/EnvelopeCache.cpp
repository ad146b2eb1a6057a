#include "karaoke/EnvelopeCache.h"

#include "platform/RegularFile.h"

#include <QCryptographicHash>
#include <QDataStream>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace stanzary {

namespace {

constexpr quint32 kMagic = 0x5A454E56; // "ZENV"
constexpr quint16 kVersion = 1;
constexpr qint64 kMaxCacheBytes = 16 * MiB;
constexpr QCryptographicHash::Algorithm kDigest = QCryptographicHash::Sha1;

} // namespace

AudioFileKey audioFileKey(const QString &path)
{
    const QFileInfo info(path);
    if (!info.isFile())
        return AudioFileKey{info.absoluteFilePath(), -1, 0};
    return AudioFileKey{info.absoluteFilePath(), info.size(), info.lastModified().toMSecsSinceEpoch()};
}

EnvelopeCache::EnvelopeCache(const QString &folder) : m_folder(folder) {}

QString EnvelopeCache::defaultFolder()
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::CacheLocation)).filePath(QStringLiteral("waveforms"));
}

QString EnvelopeCache::fileFor(const QString &audioPath) const
{
    const QByteArray digest =
        QCryptographicHash::hash(QFileInfo(audioPath).absoluteFilePath().toUtf8(), kDigest).toHex();
    return QDir(m_folder).filePath(QString::fromLatin1(digest) + QStringLiteral(".envelope"));
}

std::optional<SoundEnvelope> EnvelopeCache::read(const AudioFileKey &key) const
{
    if (!key.isValid())
        return std::nullopt;
    const FileContent content = readRegularFile(fileFor(key.path), kMaxCacheBytes);
    const qsizetype digestSize = QCryptographicHash::hashLength(kDigest);
    if (!content.ok() || content.bytes.size() <= digestSize)
        return std::nullopt;
    const QByteArray body = content.bytes.chopped(digestSize);
    if (QCryptographicHash::hash(body, kDigest) != content.bytes.right(digestSize))
        return std::nullopt;

    QDataStream in(body);
    in.setVersion(QDataStream::Qt_6_0);
    quint32 magic = 0;
    quint16 version = 0;
    AudioFileKey stored;
    qint32 binMs = 0;
    SoundEnvelope envelope;
    in >> magic >> version >> stored.path >> stored.size >> stored.modifiedMs >> binMs >> envelope.durationMs
        >> envelope.levels;
    if (in.status() != QDataStream::Ok || !in.atEnd() || magic != kMagic || version != kVersion || stored != key
        || binMs != SoundEnvelope::kBinMs || envelope.durationMs < 0)
        return std::nullopt;
    return envelope;
}

WriteResult EnvelopeCache::write(const AudioFileKey &key, const SoundEnvelope &envelope) const
{
    if (!QDir().mkpath(m_folder))
        return WriteResult{WriteStatus::Failed, QStringLiteral("The folder %1 could not be made.").arg(m_folder)};
    QByteArray body;
    QDataStream out(&body, QIODevice::WriteOnly);
    out.setVersion(QDataStream::Qt_6_0);
    out << kMagic << kVersion << key.path << key.size << key.modifiedMs << qint32(SoundEnvelope::kBinMs)
        << envelope.durationMs << envelope.levels;
    return writeFileSafely(fileFor(key.path), body + QCryptographicHash::hash(body, kDigest));
}

} // namespace stanzary
