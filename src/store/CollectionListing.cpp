#include "store/CollectionListing.h"

#include "app/ImageIndex.h"
#include "store/LyricsFile.h"

namespace stanzary {

KaraokeState karaokeStateOfImage(int image)
{
    switch (image) {
    case Icon::HasTimestamps:
    case Icon::UnfilteredHasTimestamps: return KaraokeState::Downloaded;
    case Icon::KaraokeAvailable:
    case Icon::UnfilteredKaraokeAvailable: return KaraokeState::Available;
    default: return KaraokeState::None;
    }
}

QList<ListedSong> CollectionSongs(const basMain &state, bool readFilterState)
{
    const NodeCollection &nodes = state.nodes;
    QList<ListedSong> songs;
    songs.reserve(nodes.count());
    for (int artist = 1; artist <= nodes.count(); ++artist) {
        if (nodes.parentOf(artist) != 0)
            continue;
        const QList<int> children = nodes.children(artist);
        for (const int position : children) {
            const TreeNode &node = nodes.at(position);
            ListedSong song;
            song.artist = nodes.at(artist).text;
            song.song = node.text;
            song.key = node.key;
            song.path = state.strLyricsPath + node.key;
            song.karaoke = karaokeStateOfImage(node.image);
            if (readFilterState)
                song.filterUsed = readFilterUsed(song.path, state.codePage);
            songs.append(song);
        }
    }
    return songs;
}

} // namespace stanzary
