#include "tagger/Id3v2Tagging.h"

#include "store/LyricsFile.h"
#include "tagger/LrcExport.h"
#include "tagger/Lyrics3Writer.h"
#include "tagger/LyricsPairing.h"

namespace stanzary {

namespace {

const QString Indent = QStringLiteral("    ");

QString withLfLineEnds(QString text)
{
    return text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

} // namespace

Id3v2LyricsFrames id3v2FramesFor(const QByteArray &preparedText, const QByteArray &lyricsText,
                                 const std::optional<KasContent> &stamps, const CodePage &codePage, QStringList &notes)
{
    Id3v2LyricsFrames frames;
    frames.unsynced = withLfLineEnds(codePage.decode(preparedText));
    if (!stamps)
        return frames;
    if (!stamps->ok()) {
        notes << Indent + QStringLiteral("No synchronised lyrics (SYLT): the timestamp file could not be read whole (")
                     + stamps->detail + u')';
        return frames;
    }
    const StampPairing pairing = pairStamps(stamps->records, lyricLines(codePage.decode(lyricsText)), codePage);
    if (!pairing.complete()) {
        notes << Indent + QStringLiteral("No synchronised lyrics (SYLT): no lyric line for ")
                     + describeUnpairedStamps(pairing.unpaired);
        return frames;
    }
    QList<SyncedLine> lines;
    for (const PairedStamp &p : pairing.paired)
        lines.append({stampMilliseconds(p.time), p.line});
    frames.synced = lines;
    return frames;
}

Id3v2TagResult TagId3v2Lyrics(const QString &mp3Path, const QString &lyricsPath, const QByteArray &preparedText,
                              const CodePage &codePage, const RewriteHooks &hooks, bool dryRun)
{
    Id3v2TagResult result;
    const std::optional<QByteArray> lyrics = readLyricsBytes(lyricsPath);
    std::optional<KasContent> stamps;
    if (KasFileExists(lyricsPath))
        stamps = readKasFile(kasPathOnDisk(lyricsPath));
    const Id3v2LyricsFrames frames =
        id3v2FramesFor(preparedText, lyrics.value_or(QByteArray()), stamps, codePage, result.notes);
    if (dryRun) {
        result.notes.prepend(Indent
                             + (frames.synced ? QStringLiteral("ID3v2 lyrics would be written (USLT and SYLT)")
                                              : QStringLiteral("ID3v2 lyrics would be written (USLT)")));
        return result;
    }

    const WriteResult written = writeId3v2Lyrics(mp3Path, frames, hooks);
    result.written = written.ok();
    if (result.written) {
        result.notes.prepend(Indent
                             + (frames.synced ? QStringLiteral("ID3v2 lyrics written (USLT and SYLT)")
                                              : QStringLiteral("ID3v2 lyrics written (USLT)")));
    } else {
        const QString reason =
            written.status == WriteStatus::ReadOnly ? QStringLiteral("the file is read-only") : written.error;
        result.notes = {Indent + QStringLiteral("ID3v2 lyrics not written: ") + reason};
    }
    return result;
}

QString id3v2LogText(const Id3v2TagResult &result)
{
    QString text;
    for (const QString &line : result.notes)
        text += line + QStringLiteral("\r\n");
    return text;
}

QString TagRowId3v2Lyrics(const QString &mp3Path, const QString &lyricsPath, const CodePage &codePage,
                          const QString &site)
{
    const std::optional<QByteArray> lyrics = readLyricsBytes(lyricsPath);
    if (!lyrics)
        return Indent + QStringLiteral("ID3v2 lyrics not written: the lyrics file cannot be read\r\n");
    return id3v2LogText(TagId3v2Lyrics(mp3Path, lyricsPath, PrepareTagText(*lyrics, site), codePage));
}

} // namespace stanzary
