#pragma once

#include "app/basMain.h"

#include <QString>

namespace stanzary {

// The search box's memory between passes (window state).
struct SearchState
{
    int intLastSearchLen = 0; // length of the last search text
};

// What the window does with the count line after a pass.
struct FilterResult
{
    bool showLabel = false; // ShowLabel(showLabel)
    QString countLine;      // "{2 artists} {3 songs}"; empty when hidden
};

// Artists and songs left in the tree by a filter pass.
struct FilterCounts
{
    int artists = 0;
    int songs = 0;
};

// Narrows state.nodes to the nodes that match text (already trimmed by the
// caller), or restores the full tree. A text shorter than the last one
// restores from state.NodeSnapshot first; a text of the same or greater
// length narrows the current tree. An empty text hides the count line.
FilterResult FilterTree(basMain &state, SearchState &search, const QString &text);

// One filter pass over the current nodes, in one bulk scope. An artist stays
// when its name or any of its songs matches, wherever those songs stand in
// the collection; a song stays when it matches or its artist's name matches.
// Matching nodes become bold, the others not bold. Root nodes are artists,
// their children songs.
FilterCounts filterNodes(NodeCollection &nodes, const QString &text);

// Whether a node's text matches the search text: it occurs in it, ignoring case.
bool matchesSearch(const QString &nodeText, const QString &text);

// "{", artists, " artist} {" or " artists} {", songs, " song}" or " songs}";
// 0 and 1 take the singular.
QString searchCountLine(int artists, int songs);

// Rebuilds state.nodes from state.NodeSnapshot in one bulk scope. Restored
// nodes are not bold, not checked, not expanded and carry no tag; songs show
// the images of the last scan.
void RestoreTree(basMain &state);

// The position of the song strSong of artist strArtist (both matched without
// regard to case; the artist through its node key), or 0 when either text is
// empty or no such song is in the tree. DisplaySpecificLyrics selects it.
int findSpecificSong(const NodeCollection &nodes, const QString &strArtist, const QString &strSong);

// The image a song shows once its lyrics are known to be unfiltered:
// 10 -> 2, 7 -> 15, 6 -> 16; any other image stays.
int unfilteredImage(int image);

// The expansion check for unfiltered lyrics. For an artist not yet tagged
// "filterchecked" (and only while state.blnCheckUnfilteredSongs is on): tags
// it, then reads each of its songs' files once, in the state's code page, and
// gives the songs whose text lacks "] filter used" their unfiltered image.
// Files that cannot be read are skipped. Song positions do nothing.
void checkUnfilteredSongs(basMain &state, int artistPosition);

// After the user ticked or cleared a node: an artist's songs take its checked
// state; a song changes only itself.
void propagateCheck(NodeCollection &nodes, int position);

// Removes a deleted song from state.NodeSnapshot, and its artist when no
// other song of it is left there, so that restoring the full tree does not
// bring the song back.
void removeFromSnapshot(basMain &state, const QString &songKey);

} // namespace stanzary
