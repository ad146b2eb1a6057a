#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace stanzary {

// The song that "/song Artist - Song" on the command line asks for.
struct SongRequest
{
    QString strArtist;
    QString strSong;
};

// Reads a "/song " request (lower case, case-sensitive) from the command-line
// text. The argument runs from just after "/song " to just before the next
// "/" (or to the end), and is split at its first "-" with both parts
// trimmed. No request, or an argument without "-", gives nothing; either part
// may still be empty, which DisplaySpecificLyrics ignores.
std::optional<SongRequest> ProcessCommandLine(const QString &commandLine);

} // namespace stanzary
