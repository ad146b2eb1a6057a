#pragma once

#include <QString>

namespace stanzary {

class basMain;

// Where Save As puts the shown lyrics under a typed artist and song.
struct SaveAsTarget
{
    QString path;        // the new lyrics file's full path
    bool exists = false; // a file of that name is there already
    // A character of the typed names that no lyrics file name may hold
    // ("/", "\", ":", ...); empty when the names are fine. Nothing is
    // written then.
    QString badCharacter;
};

// The lyrics folder, then - when lyrics are kept in first-letter subfolders
// - the artist's first character and "/", then "Artist - Song.txt". artist
// and song are used as given (the caller trims them). File names compare
// without regard to case, as the host's do: an existing first-letter folder
// or lyrics file whose name differs only in case is the target, by the name
// it has on disk; a new folder keeps the case the user typed.
SaveAsTarget saveAsTarget(const basMain &state, const QString &artist, const QString &song);

// The first character of text that no lyrics file name may hold ("/", "\\",
// ":", "*", "?", "\"", "<", ">", "|" or a control character); empty when
// there is none.
QString firstBadNameCharacter(const QString &text);

// Makes the folder that path lies in when it is missing - only that one
// folder, inside a lyrics folder that exists. False when the folder is not
// there afterwards.
bool makeFolderOf(const QString &path);

} // namespace stanzary
