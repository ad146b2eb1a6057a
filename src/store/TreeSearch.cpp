#include "store/TreeSearch.h"

#include "app/ImageIndex.h"
#include "store/LyricsFile.h"

#include <optional>
#include <vector>

namespace stanzary {

namespace {

const QString kFilterChecked = QStringLiteral("filterchecked");

} // namespace

bool matchesSearch(const QString &nodeText, const QString &text)
{
    return nodeText.contains(text, Qt::CaseInsensitive);
}

QString searchCountLine(int artists, int songs)
{
    return u'{' + QString::number(artists)
           + (artists < 2 ? QStringLiteral(" artist} {") : QStringLiteral(" artists} {")) + QString::number(songs)
           + (songs < 2 ? QStringLiteral(" song}") : QStringLiteral(" songs}"));
}

FilterCounts filterNodes(NodeCollection &nodes, const QString &text)
{
    const int n = nodes.count();
    // Index p - 1 for the node at position p.
    std::vector<int> artistOf(static_cast<size_t>(n), 0); // songs: their artist's position
    std::vector<bool> matched(static_cast<size_t>(n), false);
    std::vector<bool> songMatched(static_cast<size_t>(n), false); // artists: one of their songs matched

    for (int p = 1; p <= n; ++p) {
        const size_t i = static_cast<size_t>(p - 1);
        matched[i] = matchesSearch(nodes.at(p).text, text);
        const int parent = nodes.parentOf(p);
        artistOf[i] = parent;
        if (parent > 0 && matched[i])
            songMatched[static_cast<size_t>(parent - 1)] = true;
    }

    FilterCounts counts;
    std::vector<bool> removed(static_cast<size_t>(n), false);
    NodeCollection::BulkScope bulk(nodes);
    for (int p = 1; p <= n; ++p) {
        const size_t i = static_cast<size_t>(p - 1);
        const int artist = artistOf[i];
        bool keep;
        if (artist == 0) {
            keep = matched[i] || songMatched[i];
            counts.artists += keep ? 1 : 0;
        } else {
            keep = matched[i] || matched[static_cast<size_t>(artist - 1)];
            counts.songs += keep ? 1 : 0;
        }
        if (keep)
            nodes.setBold(p, matched[i]);
        else
            removed[i] = true;
    }
    nodes.removeMarked(removed);
    return counts;
}

FilterResult FilterTree(basMain &state, SearchState &search, const QString &text)
{
    const bool restore = text.size() < search.intLastSearchLen;
    std::optional<NodeCollection::BulkScope> bulk;
    if (restore && !text.isEmpty())
        bulk.emplace(state.nodes); // restore and narrow: one reset for both
    if (restore)
        RestoreTree(state);
    search.intLastSearchLen = static_cast<int>(text.size());
    if (text.isEmpty())
        return {false, QString()};
    const FilterCounts counts = filterNodes(state.nodes, text);
    return {true, searchCountLine(counts.artists, counts.songs)};
}

void RestoreTree(basMain &state)
{
    NodeCollection &nodes = state.nodes;
    NodeCollection::BulkScope bulk(nodes);
    nodes.clear();
    for (const TreeNodeRecord &rec : std::as_const(state.NodeSnapshot)) {
        if (rec.IsSong)
            nodes.add(rec.NodeKey, rec.NodeText, rec.NodeImage, rec.ParentKey);
        else
            nodes.add(rec.NodeKey, rec.NodeText, rec.NodeImage);
    }
}

int findSpecificSong(const NodeCollection &nodes, const QString &strArtist, const QString &strSong)
{
    if (strArtist.isEmpty() || strSong.isEmpty())
        return 0;
    const int artist = nodes.positionOf(QStringLiteral("key") + strArtist.toLower());
    if (artist == 0 || nodes.childCount(artist) == 0)
        return 0;
    const QString title = strSong.toLower();
    const QList<int> songs = nodes.children(artist);
    for (int song : songs) {
        if (nodes.at(song).text.toLower() == title)
            return song;
    }
    return 0;
}

int unfilteredImage(int image)
{
    switch (image) {
    case Icon::LyricsOnly: return Icon::UnfilteredLyricsOnly;
    case Icon::HasTimestamps: return Icon::UnfilteredHasTimestamps;
    case Icon::KaraokeAvailable: return Icon::UnfilteredKaraokeAvailable;
    default: return image;
    }
}

void checkUnfilteredSongs(basMain &state, int artistPosition)
{
    NodeCollection &nodes = state.nodes;
    if (!state.blnCheckUnfilteredSongs || artistPosition < 1 || artistPosition > nodes.count())
        return;
    if (nodes.childCount(artistPosition) == 0 || nodes.at(artistPosition).tag == kFilterChecked)
        return;
    nodes.setTag(artistPosition, kFilterChecked);
    const QList<int> songs = nodes.children(artistPosition);
    for (int song : songs) {
        if (readFilterUsed(state.strLyricsPath + nodes.at(song).key, state.codePage) == false)
            nodes.setImage(song, unfilteredImage(nodes.at(song).image));
    }
}

void propagateCheck(NodeCollection &nodes, int position)
{
    if (position < 1 || position > nodes.count() || nodes.childCount(position) == 0)
        return;
    const bool checked = nodes.at(position).checked;
    const QList<int> songs = nodes.children(position);
    for (int song : songs)
        nodes.setChecked(song, checked);
}

void removeFromSnapshot(basMain &state, const QString &songKey)
{
    QList<TreeNodeRecord> &snapshot = state.NodeSnapshot;
    qsizetype songIndex = -1;
    for (qsizetype i = 0; i < snapshot.size(); ++i) {
        if (snapshot.at(i).IsSong && snapshot.at(i).NodeKey == songKey) {
            songIndex = i;
            break;
        }
    }
    if (songIndex < 0)
        return;
    const QString parentKey = snapshot.at(songIndex).ParentKey;
    snapshot.removeAt(songIndex);
    if (parentKey.isEmpty())
        return;
    qsizetype artistIndex = -1;
    for (qsizetype i = 0; i < snapshot.size(); ++i) {
        const TreeNodeRecord &rec = snapshot.at(i);
        if (rec.IsSong && rec.ParentKey == parentKey)
            return; // the artist keeps other songs
        if (!rec.IsSong && artistIndex < 0 && rec.NodeKey.toLower() == parentKey)
            artistIndex = i;
    }
    if (artistIndex >= 0)
        snapshot.removeAt(artistIndex);
}

} // namespace stanzary
