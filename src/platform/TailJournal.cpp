#include "platform/TailJournal.h"

#include "platform/DirListing.h"
#include "platform/DurableFile.h"
#include "platform/RegularFile.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QtEndian>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <cerrno>
#include <limits>
#include <utility>

namespace stanzary {

namespace {

const QByteArray Magic = QByteArrayLiteral("STZTAILJ");
constexpr quint32 FormatVersion = 2;
constexpr qint64 DigestSize = 32;
constexpr qint64 GuardBytes = 4096; // what is compared in front of the write offset
const QString JournalSuffix = QStringLiteral(".journal");
const QString SetAsideSuffix = QStringLiteral(".set-aside");
const QString UnfinishedSuffix = QStringLiteral(".journal-new"); // a journal being made

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

// Writes bytes at offset; false with the system's reason in errno unless
// every byte was written.
bool writeAt(QFileDevice &file, qint64 offset, const QByteArray &bytes)
{
#ifdef Q_OS_UNIX
    if (file.handle() >= 0)
        return writeFully(file.handle(), offset, bytes);
#endif
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

// Gives the finished journal its real name, unless that name is taken: a
// journal there belongs to another write of the same file, live or left over.
bool renameWithoutReplacing(const QString &from, const QString &to)
{
#ifdef Q_OS_UNIX
    const QByteArray source = QFile::encodeName(from);
    const QByteArray target = QFile::encodeName(to);
    if (::link(source.constData(), target.constData()) == 0) {
        ::unlink(source.constData());
        return true;
    }
    // A file system without hard links: the name was free a moment ago.
    if ((errno == EPERM || errno == ENOTSUP || errno == EOPNOTSUPP) && !QFileInfo::exists(to))
        return ::rename(source.constData(), target.constData()) == 0;
    return false;
#else
    return QFile::rename(from, to);
#endif
}

// True while the open journal still has its name: a writer that finished
// removes the name before it lets go of the lock.
bool stillNamed(const QFile &journal, const QString &path)
{
#ifdef Q_OS_UNIX
    struct stat open = {};
    struct stat named = {};
    return ::fstat(journal.handle(), &open) == 0 && ::stat(QFile::encodeName(path).constData(), &named) == 0
           && open.st_dev == named.st_dev && open.st_ino == named.st_ino;
#else
    Q_UNUSED(journal);
    return QFileInfo::exists(path);
#endif
}

// Empty when the file is what the interrupted write could have left: its
// guarded bytes as they were, its length between the old and the new one,
// and each byte from the write offset on the old or the new tail's byte at
// its position. Otherwise why not, for the user.
QString whyNotLeftByTheWrite(QFileDevice &file, const TailJournalRecord &saved)
{
    const QString changed = QStringLiteral("the file was changed since");
    const qint64 size = file.size();
    if (size < saved.writeOffset)
        return changed;
    const auto guard = guardDigestOf(file, saved.writeOffset, saved.guardLength);
    if (!guard || *guard != saved.guardDigest)
        return changed;
    const auto current = readRange(file, saved.writeOffset, size - saved.writeOffset);
    if (!current)
        return QStringLiteral("the file cannot be read");
    const QByteArray &oldTail = saved.oldTail;
    if (!saved.newTail) {
        // An older journal without the new tail: only a file that still has
        // its old bytes can be told from another program's work.
        return *current == oldTail ? QString()
                                   : QStringLiteral("the journal of an older version cannot tell whether the file was "
                                                    "changed since");
    }
    const QByteArray &newTail = *saved.newTail;
    const qsizetype length = current->size();
    if (length < std::min(oldTail.size(), newTail.size()) || length > std::max(oldTail.size(), newTail.size()))
        return changed;
    for (qsizetype i = 0; i < length; ++i) {
        const char c = current->at(i);
        if (!(i < oldTail.size() && oldTail.at(i) == c) && !(i < newTail.size() && newTail.at(i) == c))
            return changed;
    }
    return QString();
}

} // namespace

QByteArray encodeTailJournal(const TailJournalRecord &record)
{
    const QByteArray newTail = record.newTail.value_or(QByteArray());
    QByteArray out;
    out.reserve(record.oldTail.size() + newTail.size() + record.filePath.size() * 3 + 128);
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
    put<quint64>(out, quint64(newTail.size()));
    out += newTail;
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
    if (version < 1 || end < headerSize || sha256(bytes.left(end)) != bytes.mid(end))
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
    std::optional<QByteArray> newTail;
    if (version >= 2) {
        const auto newLength = in.number<quint64>();
        newTail = newLength ? in.bytes(*newLength) : QByteArray();
        if (!newLength || !newTail)
            return JournalFormat::Damaged;
    }
    // Version 1 guarded at least one byte, and its old tail was never empty.
    const bool guardValid = version >= 2 ? guardLength.has_value() : guardLength && *guardLength > 0;
    const bool tailValid = tailLength && (tail || (version >= 2 && *tailLength == 0));
    if (!tailValid || !guardDigest || !guardValid || !path || !in.atEnd())
        return JournalFormat::Damaged;
    if (*offset > *oldLength || *oldLength - *offset != *tailLength || *guardLength > *offset
        || *oldLength > quint64(std::numeric_limits<qint64>::max()))
        return JournalFormat::Damaged;
    record.filePath = QString::fromUtf8(*path);
    record.writeOffset = qint64(*offset);
    record.oldLength = qint64(*oldLength);
    record.guardLength = *guardLength;
    record.guardDigest = *guardDigest;
    record.oldTail = tail.value_or(QByteArray());
    record.newTail = newTail;
    return record.filePath.isEmpty() ? JournalFormat::Damaged : JournalFormat::Valid;
}

QString recoveryLogLine(const JournalRecovery &recovery)
{
    switch (recovery.result) {
    case JournalRecovery::Result::Restored:
        return QStringLiteral("Restored after an interrupted write: ") + recovery.filePath;
    case JournalRecovery::Result::Kept:
        return QStringLiteral("Not restored after an interrupted write (") + recovery.reason
               + QStringLiteral("), will try again: ") + recovery.filePath;
    case JournalRecovery::Result::SetAside:
        return QStringLiteral("Not restored after an interrupted write (") + recovery.reason
               + QStringLiteral("), left as it is: ") + recovery.filePath;
    case JournalRecovery::Result::Dropped:
    case JournalRecovery::Result::Busy: break;
    }
    return QString();
}

QString interruptedWritesMessage(const QList<JournalRecovery> &recoveries)
{
    QStringList lines;
    for (const JournalRecovery &r : recoveries) {
        const QString line = recoveryLogLine(r);
        if (!line.isEmpty())
            lines << line;
    }
    if (lines.isEmpty())
        return QString();
    return QStringLiteral("The program was ended while it wrote files the last time it ran.\n\n") + lines.join(u'\n');
}

// A journal on the disk, open and locked for as long as its write runs.
struct TailJournal::LiveJournal
{
    QFile file;
    QString path;
};

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

std::unique_ptr<TailJournal::LiveJournal> TailJournal::saveJournal(const QString &journalPath, const QByteArray &bytes,
                                                                   QString &failure) const
{
    if (!makeFolderDurably(m_folder)) {
        failure = QStringLiteral("the journal folder cannot be made: ") + lastSystemError();
        return nullptr;
    }
    // Made under a name of its own, then given its real name complete and
    // locked: a journal under the real name is always whole and, while its
    // write runs, always held.
    const QString unfinished = journalPath.chopped(JournalSuffix.size()) + UnfinishedSuffix;
    removeIfUnlocked(unfinished);
    auto live = std::make_unique<LiveJournal>();
    live->file.setFileName(unfinished);
    if (!live->file.open(QIODevice::ReadWrite | QIODevice::NewOnly | QIODevice::Unbuffered)) {
        failure = QStringLiteral("the journal cannot be made: ") + live->file.errorString();
        return nullptr;
    }
    tryLockDescriptor(live->file.handle());
    const auto dropUnfinished = [&](const QString &reason) {
        failure = reason;
        live->file.close();
        QFile::remove(unfinished);
        return nullptr;
    };
    if (!writeAt(live->file, 0, bytes))
        return dropUnfinished(QStringLiteral("the journal cannot be written: ") + lastSystemError());
    if (!sync(live->file))
        return dropUnfinished(QStringLiteral("the journal cannot be synced: ") + lastSystemError());
    if (!renameWithoutReplacing(unfinished, journalPath))
        return dropUnfinished(QStringLiteral("the journal cannot be saved: ") + lastSystemError());
    live->path = journalPath;
    // The journal's name must be on the disk too before the file changes.
    if (!syncFolder(m_folder)) {
        failure = QStringLiteral("the journal folder cannot be synced: ") + lastSystemError();
        QFile::remove(journalPath);
        return nullptr;
    }
    return live;
}

bool TailJournal::removeJournal(LiveJournal &journal) const
{
    if (!QFile::remove(journal.path))
        return false;
    // At worst a power loss brings the journal back, and the next start
    // undoes the finished write and says so.
    syncFolder(m_folder);
    journal.file.close();
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

WriteResult TailJournal::replaceTail(QFileDevice &file, const QString &filePath, qint64 writeOffset,
                                     const QByteArrayList &parts) const
{
    ignoreFileSizeSignal();
    const qint64 oldLength = file.size();
    if (filePath.isEmpty() || writeOffset < 0 || writeOffset > oldLength)
        return {WriteStatus::Failed, QStringLiteral("the write lies outside the file")};
    const QString path = canonicalPathOf(filePath);
    const QString journalPath = journalPathFor(path);
    // An earlier run was ended while it rewrote this very file, or another
    // one is rewriting it now: its journal holds the file's real old tail and
    // is never replaced. The caller settles it first.
    if (QFileInfo::exists(journalPath))
        return {WriteStatus::Failed, QStringLiteral("an earlier write of the file is not finished")};

    TailJournalRecord saved;
    saved.filePath = path;
    saved.writeOffset = writeOffset;
    saved.oldLength = oldLength;
    saved.guardLength = quint32(std::min(writeOffset, GuardBytes));
    const auto guard = guardDigestOf(file, writeOffset, saved.guardLength);
    const auto oldTail = readRange(file, writeOffset, oldLength - writeOffset);
    if (!guard || !oldTail)
        return {WriteStatus::Failed, QStringLiteral("the file cannot be read: ") + file.errorString()};
    saved.guardDigest = *guard;
    saved.oldTail = *oldTail;
    saved.newTail = parts.join();
    QString failure;
    const std::unique_ptr<LiveJournal> journal = saveJournal(journalPath, encodeTailJournal(saved), failure);
    if (!journal)
        return {WriteStatus::Failed, failure};
    reached(TailStep::JournalSaved);

    const qint64 newLength = writeOffset + saved.newTail->size();
    bool written = true;
    qint64 at = writeOffset;
    for (qsizetype i = 0; written && i < parts.size(); ++i) {
        written = writeAt(file, at, parts.at(i));
        at += parts.at(i).size();
        if (written)
            reached(i + 1 < parts.size() ? TailStep::PartWritten : TailStep::TailWritten);
    }
    if (!written) {
        failure = lastSystemError();
    } else if (newLength < oldLength) {
        written = file.resize(newLength);
        if (written)
            reached(TailStep::Resized);
        else
            failure = file.errorString();
    }
    if (!written) {
        // failure says why
    } else if (!sync(file)) {
        failure = lastSystemError();
    } else {
        reached(TailStep::FileSynced);
        if (removeJournal(*journal)) {
            reached(TailStep::JournalRemoved);
            return {WriteStatus::Ok, QString()};
        }
        // A journal that stays would undo this write later: undo it now, so
        // that what the caller is told stays true.
        failure = QStringLiteral("the journal cannot be removed");
    }
    if (rollBack(file, writeOffset, saved.oldTail))
        removeJournal(*journal);
    return {WriteStatus::Failed, failure};
}

JournalRecovery TailJournal::recoverOne(const QString &journalPath) const
{
    JournalRecovery out;
    QFile journal(journalPath);
    if (!journal.open(QIODevice::ReadOnly)) {
        out.result = JournalRecovery::Result::Busy; // gone meanwhile: finished by its writer
        return out;
    }
    if (!tryLockDescriptor(journal.handle()) || !stillNamed(journal, journalPath)) {
        out.result = JournalRecovery::Result::Busy;
        return out;
    }
    TailJournalRecord saved;
    const JournalFormat format = decodeTailJournal(journal.readAll(), saved);
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
    if (isReadOnlyFile(saved.filePath)) {
        out.reason = QStringLiteral("the file is read-only");
        return out;
    }
    const RegularFile opened(saved.filePath, FileAccess::ReadWrite);
    QFile file;
    if (opened.status() == FileReadStatus::Missing) {
        out.reason = QStringLiteral("the file is not there");
        return out;
    }
    if (!opened.openDevice(file, QIODevice::ReadWrite | QIODevice::Unbuffered)) {
        out.reason = opened.error();
        return out;
    }
    const QString mismatch = whyNotLeftByTheWrite(file, saved);
    if (!mismatch.isEmpty()) {
        file.close();
        out.reason = mismatch;
        const QString aside = journalPath + SetAsideSuffix;
        QFile::remove(aside);
        if (!QFile::rename(journalPath, aside)) {
            out.reason += QStringLiteral("; the journal cannot be set aside");
            return out;
        }
        syncFolder(m_folder);
        out.result = JournalRecovery::Result::SetAside;
        return out;
    }
    if (!rollBack(file, saved.writeOffset, saved.oldTail)) {
        out.reason = QStringLiteral("the file cannot be written");
        return out;
    }
    file.close();
    if (!QFile::remove(journalPath)) {
        out.reason = QStringLiteral("the journal cannot be removed");
        return out;
    }
    syncFolder(m_folder);
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
    for (const QString &name : listFilesWithSuffix(folder, UnfinishedSuffix))
        removeIfUnlocked(folder + name);
    const QStringList names = listFilesWithSuffix(folder, JournalSuffix);
    for (const QString &name : names) {
        const JournalRecovery recovery = recoverOne(folder + name);
        if (recovery.result != JournalRecovery::Result::Busy)
            out.append(recovery);
    }
    return out;
}

} // namespace stanzary
