#include "app/CommandLine.h"

#include "store/SongNames.h"

namespace stanzary {

std::optional<SongRequest> ProcessCommandLine(const QString &commandLine)
{
    static const QString marker = QStringLiteral("/song ");
    const qsizetype at = commandLine.indexOf(marker);
    if (at < 0)
        return std::nullopt;
    const qsizetype start = at + marker.size();
    const qsizetype nextSlash = commandLine.indexOf(u'/', at + 1);
    const qsizetype end = nextSlash < 0 ? commandLine.size() : nextSlash;
    const QString argument = end > start ? commandLine.mid(start, end - start) : QString();
    if (!argument.contains(u'-'))
        return std::nullopt;
    return SongRequest{GetArtist(argument), GetSong(argument)};
}

} // namespace stanzary
