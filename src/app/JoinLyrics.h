#pragma once

#include "platform/SafeWrite.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>

namespace stanzary {

class basMain;
class NodeCollection;

// Joining lyrics: the songs checked in the tree go into one plain text file
// for printing, in the host's installation folder.
//
// The file holds one block per checked song (a checked node without
// children), in the order of the node collection, then one CR LF. A block is
// ":: Artist - Song", a line of 15 "-", the lyrics file's bytes as stored, a
// line of 25 "=" and an empty line; a song whose file cannot be read gets
// the first two lines only. Text is in the state's code page.

// A checked song (a checked node without children) and its names: artist is
// the text of its parent node, song its own text.
struct CheckedSong
{
    int position = 0;
    QString artist;
    QString song;
};
// The checked songs, in the order of the node collection.
QList<CheckedSong> checkedSongs(const NodeCollection &nodes);

// The blocks of the checked songs, without the final CR LF.
struct JoinedText
{
    QByteArray bytes;
    int songCount = 0;        // checked songs, those whose file could not be read included
    bool fileMissing = false; // a checked song's file could not be read
    // The "Artist - Song" of a checked song whose name the code page cannot
    // hold; empty when every name fits. Nothing is joined then.
    QString unencodableName;
};
JoinedText joinCheckedSongs(const basMain &state);

// "N Lyrics Joined at MM-DD-YYYY H-M.txt": month and day with two digits,
// the year with at least four, hour and minute without leading zeros.
QString joinedFileName(int songCount, const QDateTime &when);

// The folder the joined file goes into, ending with "/": the host's
// installation folder, or the program's own folder (whose lyrics folder is
// used) when no host was found.
QString joinedFileFolder(const basMain &state);

// What joining did.
struct JoinOutcome
{
    bool nothingJoined = false; // no song checked: no file, nothing to say
    bool fileMissing = false;   // some checked song's file could not be read
    QString unencodableName;    // as in JoinedText: no file was written
    QString fileName;           // the joined file's name
    QString path;               // and its full path
    WriteResult write;          // Ok, or why the file was not written (the old one is then kept)
};

// Joins the checked songs and writes the file, named from state.now(), through
// a safe write that replaces a file of the same name. A failed write leaves
// no partial file behind. Runs no event loop.
JoinOutcome JoinCheckedLyrics(const basMain &state);

} // namespace stanzary
