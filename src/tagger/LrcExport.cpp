#include "tagger/LrcExport.h"

#include "store/LyricsFile.h"

#include <QFileInfo>

namespace stanzary {

QString lrcTimeTag(const StampTime &time)
{
    return QStringLiteral("[%1:%2.%3]")
        .arg(time.Minute, 2, 10, QChar(u'0'))
        .arg(time.Second, 2, 10, QChar(u'0'))
        .arg(time.Frame * 10, 2, 10, QChar(u'0'));
}

QByteArray lrcText(const QList<PairedStamp> &paired)
{
    QByteArray out;
    for (const PairedStamp &p : paired)
        out += (lrcTimeTag(p.time) + p.line).toUtf8() + QByteArrayLiteral("\r\n");
    return out;
}

QString lrcPathBeside(const QString &path)
{
    const QFileInfo info(path);
    const QString name = info.fileName();
    const qsizetype dot = name.lastIndexOf(u'.');
    const QString base = dot > 0 ? name.left(dot) : name;
    return info.path() + u'/' + base + QStringLiteral(".lrc");
}

WriteResult writeLrcFile(const QString &path, const QList<PairedStamp> &paired)
{
    return writeFileSafely(path, lrcText(paired));
}

QString describeUnpairedStamps(const QList<UnpairedStamp> &unpaired)
{
    constexpr int listed = 5;
    QStringList which;
    for (int i = 0; i < unpaired.size() && i < listed; ++i)
        which << describeUnpaired(unpaired.at(i));
    if (unpaired.size() > listed)
        which << QStringLiteral("%1 more").arg(unpaired.size() - listed);
    return which.join(QStringLiteral(", "));
}

QString SongLrc::note(const QString &forFile) const
{
    const QString none =
        forFile.isEmpty() ? QStringLiteral("No .lrc file: ") : QStringLiteral("No .lrc file for ") + forFile + u": ";
    switch (status) {
    case Status::Written: return QStringLiteral(".lrc file written: ") + lrcPath;
    case Status::WouldWrite: return QStringLiteral(".lrc file would be written: ") + lrcPath;
    case Status::NoTimestamps: return none + QStringLiteral("the song has no timestamp file");
    case Status::Unreadable: return none + detail;
    case Status::Unpaired: return none + QStringLiteral("no lyric line for ") + detail;
    case Status::NoStamps: return none + QStringLiteral("no stamp has a text");
    case Status::Failed: break;
    }
    return QStringLiteral(".lrc file not written (") + detail + QStringLiteral("): ") + lrcPath;
}

SongLrc writeSongLrc(const QString &lyricsPath, const QString &besidePath, const CodePage &codePage, bool dryRun)
{
    SongLrc out;
    out.lrcPath = lrcPathBeside(besidePath);
    if (!KasFileExists(lyricsPath)) {
        out.status = SongLrc::Status::NoTimestamps;
        return out;
    }
    const KasContent stamps = readKasFile(kasPathOnDisk(lyricsPath));
    const std::optional<QByteArray> lyrics = readLyricsBytes(lyricsPath);
    if (!stamps.ok() || !lyrics) {
        out.status = SongLrc::Status::Unreadable;
        out.detail = !lyrics ? QStringLiteral("the lyrics file cannot be read")
                             : QStringLiteral("the timestamp file could not be read whole (") + stamps.detail + u')';
        return out;
    }
    const StampPairing pairing = pairStamps(stamps.records, lyricLines(codePage.decode(*lyrics)), codePage);
    if (!pairing.complete()) {
        out.status = SongLrc::Status::Unpaired;
        out.detail = describeUnpairedStamps(pairing.unpaired);
        return out;
    }
    if (pairing.paired.isEmpty()) {
        out.status = SongLrc::Status::NoStamps;
        return out;
    }
    if (dryRun) {
        out.status = SongLrc::Status::WouldWrite;
        return out;
    }
    const WriteResult written = writeLrcFile(out.lrcPath, pairing.paired);
    out.status = written.ok() ? SongLrc::Status::Written : SongLrc::Status::Failed;
    out.detail = written.status == WriteStatus::ReadOnly ? QStringLiteral("the file is read-only") : written.error;
    return out;
}

} // namespace stanzary
