#pragma once

namespace stanzary {

// Image indexes of the main image list (1-based), as the tree, the count
// panel, the tagger and the legend use them.
namespace Icon {
inline constexpr int UnfilteredLyricsOnly = 2;
inline constexpr int CountPanelTotal = 4;
inline constexpr int KaraokeAvailable = 6;
inline constexpr int HasTimestamps = 7;
inline constexpr int CountPanelDownloaded = 8;
inline constexpr int Artist = 9;
inline constexpr int LyricsOnly = 10; // also: lyrics with the filter mark
inline constexpr int LyricsUnfiltered = 11;
inline constexpr int Help = 13;
inline constexpr int UnfilteredHasTimestamps = 15;
inline constexpr int UnfilteredKaraokeAvailable = 16;
inline constexpr int Mp3OneCandidate = 17;
inline constexpr int Mp3SeveralCandidates = 18;
} // namespace Icon

} // namespace stanzary
