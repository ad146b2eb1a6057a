#pragma once

#include <QString>

namespace stanzary {

// Artist and song of a lyrics name ("Artist - Song"): split at the first "-"
// only, both parts trimmed. A hyphen inside the artist's name therefore moves
// the split ("Twenty-One - X" gives "Twenty" and "One - X").

// The text before the first "-", trimmed; empty when there is no "-".
QString GetArtist(const QString &name);

// The text after the first "-", trimmed; the whole name, trimmed, when there
// is no "-".
QString GetSong(const QString &name);

// A song's list entry: artist, " - ", song, as the tree shows them.
inline QString listEntry(const QString &artist, const QString &song)
{
    return artist + QStringLiteral(" - ") + song;
}

// The text after the last "/" of a path (a trailing one removed first by the
// caller), or the whole path when it has none.
QString LastPathPart(const QString &path);

} // namespace stanzary
