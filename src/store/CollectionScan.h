#pragma once

#include "app/basMain.h"
#include "platform/ProgressCallbacks.h"

#include <QString>

#include <functional>

namespace stanzary {

// What the count panel shows after a scan (or after a delete), each text for
// the label of its own name (lyricsCount for `lblLyricsCount`, timestampsCount
// for `lblTimestampsBig`, downloadedCount for `lblTimestampsSmall`,
// availableCount for `lblAvaliableCount`, percent for `lblPercent`). A null
// text (QString::isNull()) means "leave that label as it is": the scan writes
// only the labels that belong to the mode of this run, as the window expects.
struct CountPanelTexts
{
    QString lyricsCount;
    QString timestampsCount;
    QString downloadedCount;
    QString availableCount;
    QString percent;
    // No songs: the window disables SearchKaraoke and txtSearch.
    bool collectionEmpty = true;
};

// What a scan tells the window while it runs. Either may be empty.
// Of its progress callbacks the scan calls letPendingEventsRun once, after
// showCounts, so that the window paints the new tree and labels.
struct TreeScanCallbacks : ProgressCallbacks
{
    // Once, with the count-panel texts of the finished scan.
    std::function<void(const CountPanelTexts &)> showCounts;
};

// Scans state.strLyricsPath into state.nodes: one root node per artist (key
// "key" + artist in lower case, Icon::Artist) and one child per song (key =
// the song key, text = the song title, the icon of its KaraokeState). Sets the three
// counters and state.strIndexRecordCount, may switch state.blnSingleDir on
// (a lyrics folder without subfolders), and fills state.NodeSnapshot.
//
// The caller clears state.nodes first (RescanTree does both). The snapshot is
// taken before the callbacks run, so nothing they do to the tree ends up in
// it. A missing lyrics folder gives no nodes and the empty-collection texts;
// an unknown host, no index.
CountPanelTexts BuildTree(basMain &state, const TreeScanCallbacks &callbacks = {});

// Clears the tree and scans again (the F5 key and the
// options window's manual update).
CountPanelTexts RescanTree(basMain &state, const TreeScanCallbacks &callbacks = {});

// What the window tells the user about the lyrics files the last scan could
// not list (state.unlistedLyrics): how many, in which folders (the first
// five), and what to do. Empty when there were none.
QString unlistedLyricsNotice(const basMain &state);

// Copies every node of state.nodes into state.NodeSnapshot, by position.
void SnapshotTree(basMain &state);

// The percentage as the count panel writes it: the shortest decimal text (at
// most 15 significant digits, no exponent, no trailing zeros, the locale's
// decimal separator), cut - not rounded - to four characters.
// 33.333.. -> "33.3", 6.25 -> "6.25", 100 -> "100", 7.000000000000001 -> "7".
QString PercentText(double value);

// The count-panel texts that the scan writes for the current counters.
CountPanelTexts countPanelTexts(const basMain &state);

// The delete command's bookkeeping for one song that is being deleted:
// lowers intLyricsCount, intTimestampsDownloaded when hadTimestampFile, and
// intTimestampsAvaliable when the song's image says it was available
// (Icon::KaraokeAvailable or Icon::UnfilteredKaraokeAvailable), then returns the texts the delete command writes
// ("Lyrics: 0" rather than "Not found"; percent "-" once no lyrics are left).
CountPanelTexts countDeletedSong(basMain &state, bool hadTimestampFile, int songImage);

// A timestamp file was created for the song at position: its node and its
// snapshot record get the image a scan would give it now (HasTimestamps, or
// UnfilteredHasTimestamps for an unfiltered song), the counters follow
// (downloaded up, available down when it was available), and the texts
// are those a scan writes. A song that had timestamps changes nothing.
CountPanelTexts countCreatedTimestamps(basMain &state, int position);

} // namespace stanzary
