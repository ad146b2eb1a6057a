#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace stanzary {

// One song of the collection as the matcher sees it. Entries live in an array
// indexed from 0, in the order of the tree's node collection.
struct TagEntry
{
    // "Artist - Song" split at every single space: " - " gives a word "-", two
    // spaces in a row an empty word. "-" and empty words are never searched.
    QStringList Words;
    // The song's key in the tree; the lyrics folder followed by it is the
    // lyrics file's full path.
    QString Key;
    // How many MP3 files of the current scan had this song as a candidate.
    int MatchCount = 0;
    // Working value of the choice among several candidates.
    int Score = 0;
};

// True for the words that take part in a match (neither "-" nor empty).
inline bool isSearchedWord(const QString &word)
{
    return !word.isEmpty() && word != u"-";
}

} // namespace stanzary
