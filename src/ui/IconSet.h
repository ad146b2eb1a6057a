#pragma once

#include <QIcon>
#include <QList>
#include <QString>

namespace stanzary {

// Indexes of the toolbar's icons in the main image list. They follow the
// indexes the tree, count panel, tagger and options window use (Icon:: in
// app/ImageIndex.h), one per toolbar button in button order.
namespace ToolbarIcon {
inline constexpr int Save = 19;
inline constexpr int Delete = 20;
inline constexpr int MarkRedownload = 21;
inline constexpr int Lists = 22;
inline constexpr int OpenInBrowser = 23;
inline constexpr int VisitSite = 24;
inline constexpr int Lyrics3 = 25;
inline constexpr int SearchKaraoke = 26;
inline constexpr int JoinLyrics = 27;
inline constexpr int Options = 28;
} // namespace ToolbarIcon

// The main image list (imglistMain): one family of SVG icons, addressed by
// 1-based index. Icons are drawn at the size and pixel ratio asked for.
// Indexes with no picture give a null QIcon.
class IconSet
{
public:
    static QIcon icon(int index);

    // Every index that has a picture, ascending.
    static QList<int> indexes();
    // The SVG resource behind an index, empty when there is none.
    static QString resourcePath(int index);
};

} // namespace stanzary
