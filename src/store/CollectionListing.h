#pragma once

#include "app/basMain.h"

#include <QList>
#include <QString>

#include <optional>

namespace stanzary {

// The collection as the tree holds it, song by song, for a listing (the
// command line's "list"): each song's artist and title as the tree shows
// them, its lyrics file, its karaoke state (the tree's icon) and, when asked
// for, whether its lyrics carry the host's filter mark.

enum class KaraokeState {
    None,       // lyrics only (image 10)
    Downloaded, // a timestamp file lies beside the lyrics (image 7)
    Available,  // no timestamp file, but the karaoke index lists the song (image 6)
};

// The state a song's image tells (the unfiltered images 2, 15 and 16 as 10,
// 7 and 6).
KaraokeState karaokeStateOfImage(int image);

struct ListedSong
{
    QString artist;
    QString song;
    QString key;  // the song's key in the tree
    QString path; // its lyrics file: the lyrics folder and the key
    KaraokeState karaoke = KaraokeState::None;
    // "] filter used" in its lyrics, as the tree's check on expanding an
    // artist finds it; nothing when not asked for or the file cannot be read.
    std::optional<bool> filterUsed;
};

// Every song of state.nodes in the tree's order: the artists in order, each
// with its songs in order. With readFilterState every lyrics file is read.
QList<ListedSong> CollectionSongs(const basMain &state, bool readFilterState);

} // namespace stanzary
