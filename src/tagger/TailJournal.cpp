#include "tagger/TailJournal.h"

#include "platform/DirListing.h"
#include "platform/DurableFile.h"
#include "platform/SafeWrite.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QtEndian>

#include <limits>
#include <utility>

namespace stanzary {

namespace {

const QByteArray Magic = QByteArrayLiteral("STZTAILJ");
constexpr quint32 FormatVersion = 1;
constexpr qint64 DigestSize = 32;
constexpr qint64 GuardBytes = 4096; // what is compared in front of the write offset
const QString JournalSuffix = QStringLiteral(".journal");
const QString SetAsideSuffix = QStringLiteral(".set-aside");

QByteArray sha256(const QByteArray &bytes)
{
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256);
}

template <typename T>
void put(QByteArray &out, T value)
{
    char bytes[sizeof(T)];
    qToLittleEndian(value, bytes);
    out.append(bytes, sizeof(T));
}

// Reads the journal's pieces in order; any read past the end fails it.
class Reader
{
public:
    explicit Reader(const QByteArray &bytes, qint64 end) : m_bytes(bytes), m_end(end) {}

    template <typename T>
    std::optional<T> number()
    {
        if (m_end - m_at < qint64(sizeof(T)))
            return std::nullopt;
        const T value = qFromLittleEndian<T>(m_bytes.constData() + m_at);
        m_at += sizeof(T);
        return value;
    }
    std::optional<QByteArray> bytes(quint64 length)
    {
        if (length > quint64(m_end - m_at))
            return std::nullopt;
        QByteArray out = m_bytes.mid(m_at, qsizetype(length));
        m_at += qint64(length);
        return out;
    }
    bool atEnd() const { return m_at == m_end; }

private:
    const QByteArray &m_bytes;
    qint64 m_end;
    qint64 m_at = 0;
};

std::optional<QByteArray> readRange(QFileDevice &file, qint64 offset, qint64 length)
{
    if (!file.seek(offset))
        return std::nullopt;
    QByteArray bytes = file.read(length);
    if (bytes.size() != length)
        return std::nullopt;
    return bytes;
}

bool writeAt(QFileDevice &file, qint64 offset, const QByteArray &bytes)
{
    return file.seek(offset) && file.write(bytes) == bytes.size();
}

// The guarded bytes in front of the write offset: they are never written, so
// a file whose guard differs from the journal's is not the file it was made
// of.
std::optional<QByteArray> guardDigestOf(QFileDevice &file, qint64 writeOffset, qint64 guardLength)
{
    const auto guard = readRange(file, writeOffset - guardLength, guardLength);
    if (!guard)
        return std::nullopt;
    return sha256(*guard);
}

QString canonicalPathOf(const QString &path)
{
    const QFileInfo info(path);
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? info.absoluteFilePath() : canonical;
}

} // namespace

QByteArray encodeTailJournal(const TailJournalRecord &record)
{
    QByteArray out;
    out.reserve(record.oldTail.size() + record.filePath.size() * 3 + 128);
    out += Magic;
    put<quint32>(out, FormatVersion);
    put<quint64>(out, quint64(record.writeOffset));
    put<quint64>(out, quint64(record.oldLength));
    const QByteArray path = record.filePath.toUtf8();
    put<quint32>(out, quint32(path.size()));
    out += path;
    put<quint32>(out, record.guardLength);
    out += record.guardDigest.leftJustified(DigestSize, '\0', true);
    put<quint64>(out, quint64(record.oldTail.size()));
    out += record.oldTail;
    out += sha256(out);
    return out;
}

JournalFormat decodeTailJournal(const QByteArray &bytes, TailJournalRecord &record)
{
    constexpr qint64 headerSize = 8 + 4;
    if (bytes.size() < headerSize || !bytes.startsWith(Magic))
        return JournalFormat::Damaged;
    const quint32 version = qFromLittleEndian<quint32>(bytes.constData() + Magic.size());
    if (version > FormatVersion)
        return JournalFormat::NewerVersion;
    const qint64 end = bytes.size() - DigestSize;
    if (version != FormatVersion || end < headerSize || sha256(bytes.left(end)) != bytes.mid(end))
        return JournalFormat::Damaged;

    Reader in(bytes, end);
    in.bytes(headerSize);
    const auto offset = in.number<quint64>();
    const auto oldLength = in.number<quint64>();
    const auto pathLength = in.number<quint32>();
    const auto path = pathLength ? in.bytes(*pathLength) : std::nullopt;
    const auto guardLength = in.number<quint32>();
    const auto guardDigest = in.bytes(DigestSize);
    const auto tailLength = in.number<quint64>();
    const auto tail = tailLength ? in.bytes(*tailLength) : std::nullopt;
    if (!tail || !guardDigest || !guardLength || !path || !in.atEnd())
        return JournalFormat::Damaged;
    if (*offset > *oldLength || *oldLength - *offset != *tailLength || *guardLength > *offset
        || *oldLength > quint64(std::numeric_limits<qint64>::max()))
        return JournalFormat::Damaged;
    record.filePath = QString::fromUtf8(*path);
    record.writeOffset = qint64(*offset);
    record.oldLength = qint64(*oldLength);
    record.guardLength = *guardLength;
    record.guardDigest = *guardDigest;
    record.oldTail = *tail;
    return record.filePath.isEmpty() ? JournalFormat::Damaged : JournalFormat::Valid;
}

QString recoveryLogLine(const JournalRecovery &recovery)
{
    switch (recovery.result) {
    case JournalRecovery::Result::Restored:
        return QStringLiteral("Restored after an interrupted tagging: ") + recovery.filePath;
    case JournalRecovery::Result::Kept:
        return QStringLiteral("Not restored after an interrupted tagging (") + recovery.reason
               + QStringLiteral("), will try again: ") + recovery.filePath;
    case JournalRecovery::Result::SetAside:
        return QStringLiteral("Not restored after an interrupted tagging (") + recovery.reason + QStringLiteral("): ")
               + recovery.filePath;
    case JournalRecovery::Result::Dropped: break;
    }
    return QString();
}

QString interruptedTaggingMessage(const QList<JournalRecovery> &recoveries)
{
    QStringList lines;
    for (const JournalRecovery &r : recoveries) {
        const QString line = recoveryLogLine(r);
        if (!line.isEmpty())
            lines << line;
    }
    if (lines.isEmpty())
        return QString();
    return QStringLiteral("Tagging was interrupted the last time the program ran.\n\n") + lines.join(u'\n');
}

TailJournal::TailJournal(QString folder, TailWriteHooks hooks) : m_folder(std::move(folder)), m_hooks(std::move(hooks))
{}

QString TailJournal::defaultFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + QStringLiteral("/tag-journal");
}

QString TailJournal::journalPathFor(const QString &filePath) const
{
    const QByteArray digest =
        QCryptographicHash::hash(canonicalPathOf(filePath).toUtf8(), QCryptographicHash::Sha1).toHex();
    return withTrailingSeparator(m_folder) + QString::fromLatin1(digest) + JournalSuffix;
}

bool TailJournal::sync(QFileDevice &file) const
{
    return m_hooks.sync ? m_hooks.sync(file) : syncToDisk(file);
}

void TailJournal::reached(TailStep step) const
{
    if (m_hooks.reached)
        m_hooks.reached(step);
}

bool TailJournal::saveJournal(const QString &journalPath, const QByteArray &bytes) const
{
    if (!QDir().mkpath(m_folder))
        return false;
    QFile journal(journalPath);
    if (!journal.open(QIODevice::WriteOnly | QIODevice::NewOnly | QIODevice::Unbuffered))
        return false;
    const bool saved = journal.write(bytes) == bytes.size() && sync(journal);
    journal.close();
    // The journal's name must be on the disk too before the file changes.
    if (saved && syncFolder(m_folder))
        return true;
    QFile::remove(journalPath);
    return false;
}

bool TailJournal::removeJournal(const QString &journalPath) const
{
    if (!QFile::remove(journalPath))
        return false;
    syncFolder(m_folder); // at worst the journal comes back and undoes a finished write
    return true;
}

bool TailJournal::rollBack(QFileDevice &file, qint64 writeOffset, const QByteArray &oldTail) const
{
    if (!writeAt(file, writeOffset, oldTail))
        return false;
    reached(TailStep::RollbackWritten);
    const qint64 oldLength = writeOffset + oldTail.size();
    if (file.size() != oldLength && !file.resize(oldLength))
        return false;
    reached(TailStep::RollbackResized);
    return sync(file);
}

bool TailJournal::replaceTail(QFileDevice &file, qint64 writeOffset, const QByteArray &tag,
                              const QByteArray &record) const
{
    ignoreFileSizeSignal();
    const qint64 oldLength = file.size();
    if (file.fileName().isEmpty() || writeOffset < 0 || writeOffset > oldLength)
        return false;
    const QString path = canonicalPathOf(file.fileName());
    const QString journalPath = journalPathFor(path);
    // An earlier run was ended while it rewrote this very file: its journal
    // holds the file's real old tail and is never replaced. The caller rolls
    // it back (settle) before it reads the tail it builds the new one from.
    if (QFileInfo::exists(journalPath))
        return false;

    TailJournalRecord saved;
    saved.filePath = path;
    saved.writeOffset = writeOffset;
    saved.oldLength = oldLength;
    saved.guardLength = quint32(std::min(writeOffset, GuardBytes));
    const auto guard = guardDigestOf(file, writeOffset, saved.guardLength);
    const auto oldTail = readRange(file, writeOffset, oldLength - writeOffset);
    if (!guard || !oldTail)
        return false;
    saved.guardDigest = *guard;
    saved.oldTail = *oldTail;
    if (!saveJournal(journalPath, encodeTailJournal(saved)))
        return false;
    reached(TailStep::JournalSaved);

    const qint64 newLength = writeOffset + tag.size() + record.size();
    bool written = writeAt(file, writeOffset, tag);
    if (written) {
        reached(TailStep::TagWritten);
        written = file.write(record) == record.size();
    }
    if (written) {
        reached(TailStep::RecordWritten);
        if (newLength < oldLength) {
            written = file.resize(newLength);
            if (written)
                reached(TailStep::Resized);
        }
    }
    if (written && sync(file)) {
        reached(TailStep::FileSynced);
        if (removeJournal(journalPath)) {
            reached(TailStep::JournalRemoved);
            return true;
        }
        // A journal that stays would undo this write later: undo it now, so
        // that what the caller is told stays true.
    }
    if (rollBack(file, writeOffset, saved.oldTail))
        removeJournal(journalPath);
    return false;
}

JournalRecovery TailJournal::recoverOne(const QString &journalPath) const
{
    JournalRecovery out;
    QFile journal(journalPath);
    TailJournalRecord saved;
    JournalFormat format = JournalFormat::Damaged;
    if (journal.open(QIODevice::ReadOnly))
        format = decodeTailJournal(journal.readAll(), saved);
    journal.close();
    if (format == JournalFormat::Damaged) {
        QFile::remove(journalPath);
        return out;
    }
    out.filePath = saved.filePath;
    out.result = JournalRecovery::Result::Kept;
    if (format == JournalFormat::NewerVersion) {
        out.reason = QStringLiteral("written by a newer version of the program");
        return out;
    }
    if (!QFileInfo(saved.filePath).isFile()) {
        out.reason = QStringLiteral("the file is not there");
        return out;
    }
    if (isReadOnlyFile(saved.filePath)) {
        out.reason = QStringLiteral("the file is read-only");
        return out;
    }
    QFile file(saved.filePath);
    if (!file.open(QIODevice::ReadWrite | QIODevice::ExistingOnly | QIODevice::Unbuffered)) {
        out.reason = file.errorString();
        return out;
    }
    const qint64 guardLength = saved.guardLength;
    const auto guard =
        file.size() >= saved.writeOffset ? guardDigestOf(file, saved.writeOffset, guardLength) : std::nullopt;
    if (!guard || *guard != saved.guardDigest) {
        file.close();
        out.result = JournalRecovery::Result::SetAside;
        out.reason = QStringLiteral("the file was changed since");
        QFile::remove(journalPath + SetAsideSuffix);
        QFile::rename(journalPath, journalPath + SetAsideSuffix);
        return out;
    }
    if (!rollBack(file, saved.writeOffset, saved.oldTail)) {
        out.reason = QStringLiteral("the file cannot be written");
        return out;
    }
    file.close();
    if (!removeJournal(journalPath)) {
        out.reason = QStringLiteral("the journal cannot be removed");
        return out;
    }
    out.result = JournalRecovery::Result::Restored;
    return out;
}

bool TailJournal::settle(const QString &filePath) const
{
    const QString journalPath = journalPathFor(filePath);
    if (!QFileInfo::exists(journalPath))
        return true;
    recoverOne(journalPath);
    return !QFileInfo::exists(journalPath);
}

QList<JournalRecovery> TailJournal::recover() const
{
    QList<JournalRecovery> out;
    const QString folder = withTrailingSeparator(m_folder);
    const QStringList names = listFilesWithSuffix(folder, JournalSuffix);
    for (const QString &name : names)
        out.append(recoverOne(folder + name));
    return out;
}

} // namespace stanzary
