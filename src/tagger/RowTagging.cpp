#include "tagger/RowTagging.h"

#include "store/LyricsFile.h"
#include "tagger/Id3v2Tagging.h"
#include "tagger/LrcExport.h"
#include "tagger/Lyrics3Writer.h"

namespace stanzary {

RowResult TagRow(const TaggerRow &row, const TaggingSetup &setup)
{
    const TaggingOptions &options = setup.options;
    RowResult result;
    const WriteResult lyrics3 = TagMp3FileLyrics3(row.mp3Path, row.lyricsPath, row.lyricsName, setup.codePage,
                                                  setup.site, setup.journal, options.dryRun);
    const bool tagged = lyrics3.ok();
    if (options.dryRun)
        result.line = (tagged ? wouldTagPrefix() : cannotTagPrefix()) + row.mp3Path;
    else
        result.line = (tagged ? taggedPrefix() : errorPrefix()) + row.mp3Path;
    if (!tagged) {
        result.failed = true;
        if (!lyrics3.error.isEmpty())
            result.notes << noteIndent() + lyrics3.error;
        return result;
    }

    if (options.id3v2) {
        // The same text the Lyrics3 tag got, read as it is now.
        const std::optional<QByteArray> lyrics = readLyricsBytes(row.lyricsPath);
        if (!lyrics) {
            result.notes << noteIndent() + QStringLiteral("ID3v2 lyrics not written: the lyrics file cannot be read");
            result.failed = true;
        } else {
            const Id3v2TagResult id3v2 =
                TagId3v2Lyrics(row.mp3Path, row.lyricsPath, PrepareTagText(*lyrics, setup.site), setup.codePage,
                               setup.id3v2Hooks, options.dryRun);
            result.notes << id3v2.notes;
            result.failed = result.failed || (!id3v2.written && !options.dryRun);
        }
    }
    if (options.lrc) {
        const SongLrc lrc = writeSongLrc(row.lyricsPath, row.mp3Path, setup.codePage, options.dryRun);
        result.notes << noteIndent() + lrc.note();
        result.failed = result.failed || lrc.failed();
    }
    return result;
}

TaggingRun TagCheckedFiles(const QList<TaggerRow> &rows, const TaggingSetup &setup, RowRunOptions run)
{
    run.dryRun = setup.options.dryRun;
    return RunCheckedRows(
        rows, setup.journal, [&setup](const TaggerRow &row) { return TagRow(row, setup); }, run);
}

TaggingRun WriteLrcFiles(const QList<TaggerRow> &rows, const TaggingSetup &setup, RowRunOptions run)
{
    run.dryRun = setup.options.dryRun;
    run.recoverFirst = false; // no MP3 file is written
    const auto writeOne = [&setup](const TaggerRow &row) {
        const SongLrc lrc = writeSongLrc(row.lyricsPath, row.mp3Path, setup.codePage, setup.options.dryRun);
        return RowResult{lrc.note(row.mp3Path), {}, lrc.failed()};
    };
    return RunCheckedRows(rows, setup.journal, writeOne, run);
}

} // namespace stanzary
