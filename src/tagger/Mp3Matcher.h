#pragma once

#include "tagger/EntryWordIndex.h"
#include "tagger/TagEntry.h"
#include "tagger/TaggerRow.h"

#include <QList>
#include <QString>

namespace stanzary {

class NodeCollection;

// Matching MP3 files to the songs of the collection: the entries, the
// candidate search, the score that picks one of several candidates, and the
// row helpers the folder scan and the tagger window share.

// One entry per song node (a node with a parent), in position order: Words from
// parent text + " - " + own text split at single spaces, Key the node's key,
// counts 0.
QList<TagEntry> BuildTagEntries(const NodeCollection &nodes);

// The match text as it is searched: NUL characters removed, then the first
// "LAME3" and the first "ID3" (exact case), then every "'" replaced by "_".
QString PrepareMatchText(const QString &matchText);

// Candidates for a match text (not yet prepared): every entry whose searched
// words all occur in the prepared text, in the comparison mode the index was
// built for, in index order. Raises MatchCount of each. index must have been
// built from entries.
QList<int> FindEntries(QList<TagEntry> &entries, const EntryWordIndex &index, const QString &matchText);

// Hits of word in text, overlapping ones included ("aa" twice in "aaa"); 0 for
// an empty word.
int CountOccurrences(const QString &text, const QString &word, Qt::CaseSensitivity cs);

// Sum of CountOccurrences over the entry's searched words.
int EntryScore(const QList<TagEntry> &entries, int index, const QString &text, Qt::CaseSensitivity cs);

// The candidate with the highest Score, the earliest on equal scores; -1 for
// an empty list.
int BestEntry(const QList<TagEntry> &entries, const QList<int> &candidates);

// "3,7,12" and back. SplitIndexes skips parts that are not whole numbers.
QString JoinIndexes(const QList<int> &indexes, const QString &separator);
QList<int> SplitIndexes(const QString &text, const QString &separator);
inline bool IsEmptyList(const QList<int> &list)
{
    return list.isEmpty();
}

// The host's filter mark ("] filter used" or byte 160) in the last 51 bytes of
// the lyrics file, or anywhere in a file of 50 bytes or fewer. A file that
// cannot be read has no mark.
bool HasFilterMark(const QString &lyricsFilePath);

// Makes entryIndex the row's chosen entry: name, lyrics file path (lyricsFolder
// + key), filter mark and shared flag. The check box is left as it is.
void ChooseEntry(TaggerRow &row, int entryIndex, const QList<TagEntry> &entries, const QString &lyricsFolder);

} // namespace stanzary
