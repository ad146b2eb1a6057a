#include "tagger/Mp3Matcher.h"

#include "platform/FileEnds.h"
#include "store/NodeCollection.h"

namespace stanzary {

QList<TagEntry> BuildTagEntries(const NodeCollection &nodes)
{
    QList<TagEntry> entries;
    for (int p = 1; p <= nodes.count(); ++p) {
        const int parent = nodes.parentOf(p);
        if (parent == 0)
            continue;
        const TreeNode &song = nodes.at(p);
        TagEntry e;
        const QString name = nodes.at(parent).text + QStringLiteral(" - ") + song.text;
        e.Words = name.split(u' ');
        e.Key = song.key;
        entries.append(std::move(e));
    }
    return entries;
}

QString PrepareMatchText(const QString &matchText)
{
    QString text = matchText;
    text.remove(QChar(0));
    const qsizetype lame = text.indexOf(QLatin1StringView("LAME3"));
    if (lame >= 0)
        text.remove(lame, 5);
    const qsizetype id3 = text.indexOf(QLatin1StringView("ID3"));
    if (id3 >= 0)
        text.remove(id3, 3);
    text.replace(u'\'', u'_');
    return text;
}

QList<int> FindEntries(QList<TagEntry> &entries, const EntryWordIndex &index, const QString &matchText)
{
    Q_ASSERT(index.entryCount() == entries.size());
    QList<int> found = index.candidates(PrepareMatchText(matchText));
    found.removeIf([&](int e) { return e >= entries.size(); }); // an index of another array
    for (const int e : std::as_const(found))
        ++entries[e].MatchCount;
    return found;
}

int CountOccurrences(const QString &text, const QString &word, Qt::CaseSensitivity cs)
{
    if (word.isEmpty())
        return 0;
    int count = 0;
    for (qsizetype at = text.indexOf(word, 0, cs); at >= 0; at = text.indexOf(word, at + 1, cs))
        ++count;
    return count;
}

int EntryScore(const QList<TagEntry> &entries, int index, const QString &text, Qt::CaseSensitivity cs)
{
    int score = 0;
    for (const QString &w : entries.at(index).Words) {
        if (isSearchedWord(w))
            score += CountOccurrences(text, w, cs);
    }
    return score;
}

int BestEntry(const QList<TagEntry> &entries, const QList<int> &candidates)
{
    if (candidates.isEmpty())
        return -1;
    int best = candidates.first();
    for (qsizetype i = 1; i < candidates.size(); ++i) {
        if (entries.at(candidates.at(i)).Score > entries.at(best).Score)
            best = candidates.at(i);
    }
    return best;
}

QString JoinIndexes(const QList<int> &indexes, const QString &separator)
{
    QString out;
    for (qsizetype i = 0; i < indexes.size(); ++i) {
        if (i > 0)
            out += separator;
        out += QString::number(indexes.at(i));
    }
    return out;
}

QList<int> SplitIndexes(const QString &text, const QString &separator)
{
    QList<int> out;
    if (text.isEmpty() || separator.isEmpty())
        return out;
    const QStringList parts = text.split(separator);
    for (const QString &part : parts) {
        bool ok = false;
        const int n = part.toInt(&ok);
        if (ok)
            out.append(n);
    }
    return out;
}

bool HasFilterMark(const QString &lyricsFilePath)
{
    // The last 51 bytes; a file of 50 bytes or fewer whole.
    const QByteArray last = readFileEnds(lyricsFilePath, 0, 51).tail;
    return last.contains("] filter used") || last.contains('\xa0');
}

void ChooseEntry(TaggerRow &row, int entryIndex, const QList<TagEntry> &entries, const QString &lyricsFolder)
{
    const TagEntry &e = entries.at(entryIndex);
    row.chosen = entryIndex;
    row.lyricsName = e.Words.join(u' ');
    row.lyricsPath = lyricsFolder + e.Key;
    row.filtered = HasFilterMark(row.lyricsPath);
    row.sharedLyrics = e.MatchCount > 1;
}

} // namespace stanzary
