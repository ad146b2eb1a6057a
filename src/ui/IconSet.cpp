#include "ui/IconSet.h"

#include "app/ImageIndex.h"
#include "ui/SvgIconEngine.h"

#include <QHash>

#include <algorithm>
#include <array>

// The resources live in this static library; make sure they are registered
// even when nothing else references the generated object.
static void initIconResources()
{
    static const bool done = [] {
        Q_INIT_RESOURCE(uiicons);
        return true;
    }();
    Q_UNUSED(done);
}

namespace stanzary {

namespace {

struct Entry
{
    int index;
    const char *file;
};

// Index -> file in :/icons. Image 11 (lyrics without the filter mark) is the
// same picture as 2 (a lyrics-only song whose lyrics are unfiltered).
constexpr std::array<Entry, 23> kEntries{{
    {Icon::UnfilteredLyricsOnly, "song-lyrics-unfiltered"},
    {Icon::CountPanelTotal, "count-total"},
    {Icon::KaraokeAvailable, "song-available"},
    {Icon::HasTimestamps, "song-timestamps"},
    {Icon::CountPanelDownloaded, "count-downloaded"},
    {Icon::Artist, "artist"},
    {Icon::LyricsOnly, "song-lyrics"},
    {Icon::LyricsUnfiltered, "song-lyrics-unfiltered"},
    {Icon::Help, "help"},
    {Icon::UnfilteredHasTimestamps, "song-timestamps-unfiltered"},
    {Icon::UnfilteredKaraokeAvailable, "song-available-unfiltered"},
    {Icon::Mp3OneCandidate, "mp3-one"},
    {Icon::Mp3SeveralCandidates, "mp3-several"},
    {ToolbarIcon::Save, "save"},
    {ToolbarIcon::Delete, "delete"},
    {ToolbarIcon::MarkRedownload, "redownload"},
    {ToolbarIcon::Lists, "lists"},
    {ToolbarIcon::OpenInBrowser, "browser"},
    {ToolbarIcon::VisitSite, "site"},
    {ToolbarIcon::Lyrics3, "lyrics3"},
    {ToolbarIcon::SearchKaraoke, "search-karaoke"},
    {ToolbarIcon::JoinLyrics, "join"},
    {ToolbarIcon::Options, "options"},
}};

} // namespace

QString IconSet::resourcePath(int index)
{
    for (const Entry &e : kEntries) {
        if (e.index == index)
            return QStringLiteral(":/icons/") + QLatin1StringView(e.file) + QStringLiteral(".svg");
    }
    return QString();
}

QList<int> IconSet::indexes()
{
    QList<int> out;
    for (const Entry &e : kEntries)
        out.append(e.index);
    std::sort(out.begin(), out.end());
    return out;
}

QIcon IconSet::icon(int index)
{
    initIconResources();
    // QIcon shares its engine, so one instance per index serves every view.
    static QHash<int, QIcon> cache;
    const auto it = cache.constFind(index);
    if (it != cache.constEnd())
        return it.value();
    const QString path = resourcePath(index);
    QIcon result = path.isEmpty() ? QIcon() : QIcon(new SvgIconEngine(path));
    cache.insert(index, result);
    return result;
}

} // namespace stanzary
