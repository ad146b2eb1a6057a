#pragma once

// The straightforward matcher: every entry's words searched in every file's
// text with QString::indexOf, an entry's test stopping at its first missing
// word. It is the reference the word index must agree with (tests) and the
// baseline it is measured against (bench). Header-only so that the benchmark
// can use it without the test-support library.

#include "tagger/Mp3FolderScan.h"
#include "tagger/Mp3Matcher.h"

namespace stanzary::test {

inline QList<int> PlainCandidates(const QList<TagEntry> &entries, const QString &preparedText,
                                  Qt::CaseSensitivity cs = Qt::CaseInsensitive)
{
    QList<int> out;
    for (int e = 0; e < entries.size(); ++e) {
        bool all = true;
        for (const QString &w : entries.at(e).Words) {
            if (isSearchedWord(w) && preparedText.indexOf(w, 0, cs) < 0) {
                all = false;
                break;
            }
        }
        if (all)
            out.append(e);
    }
    return out;
}

inline QList<int> PlainFindEntries(QList<TagEntry> &entries, const QString &matchText)
{
    const QList<int> found = PlainCandidates(entries, PrepareMatchText(matchText));
    for (const int e : found)
        ++entries[e].MatchCount;
    return found;
}

// ScanFolder with the plain search and EntryScore in place of the word index.
inline ScanResult PlainScanFolder(const QString &folder, QList<TagEntry> &entries, const QString &lyricsFolder,
                                  const CodePage &codePage)
{
    for (TagEntry &e : entries) {
        e.MatchCount = 0;
        e.Score = 0;
    }
    ScanResult result;
    const QStringList paths = Mp3FilesToScan(folder);
    for (const QString &path : paths) {
        const Mp3Probe probe = ProbeMp3(path, codePage);
        if (probe.opened) {
            const QList<int> candidates = PlainFindEntries(entries, probe.matchText);
            if (!candidates.isEmpty())
                result.rows.append(FirstPassRow(path, probe, candidates));
        }
        ++result.filesParsed;
    }
    // An index of no entries: the scores come from EntryScore.
    result.checkedCount = FinishRows(result.rows, entries, EntryWordIndex(), lyricsFolder);
    result.status = FinalMatchesStatus(static_cast<int>(result.rows.size()), result.filesParsed);
    return result;
}

// Rows compared field by field (QTest and the benchmark both use it).
inline bool sameRow(const TaggerRow &a, const TaggerRow &b)
{
    return a.checked == b.checked && a.mp3Name == b.mp3Name && a.mp3Path == b.mp3Path && a.hasLyrics3 == b.hasLyrics3
           && a.withoutId3v1 == b.withoutId3v1 && a.candidates == b.candidates && a.chosen == b.chosen
           && a.lyricsName == b.lyricsName && a.lyricsPath == b.lyricsPath && a.filtered == b.filtered
           && a.sharedLyrics == b.sharedLyrics;
}

inline bool sameRows(const QList<TaggerRow> &a, const QList<TaggerRow> &b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        if (!sameRow(a.at(i), b.at(i)))
            return false;
    }
    return true;
}

} // namespace stanzary::test
