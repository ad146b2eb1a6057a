#pragma once

#include <QDate>
#include <QList>
#include <QString>

namespace stanzary {

class basMain;

// The songs of a printed songbook: the songs checked in the tree, in the
// order Join writes them (checkedSongs), each with its lyrics as the lyrics
// box shows them: decoded from the host's code page, LF line ends, without
// the source trailer.

struct SongbookSong
{
    QString artist;
    QString title;
    QString lyrics; // LF line ends, no trailing empty lines
};

struct Songbook
{
    QList<SongbookSong> songs; // the checked songs whose file could be read
    QDate date;                // shown on the title page
    bool fileMissing = false;  // a checked song's file could not be read: it is left out
};

// How the book is laid out.
enum class SongbookPaper {
    Automatic, // the printer's own page size; for a PDF, Letter where the locale measures in inches, else A4
    A4,
    Letter,
};

struct SongbookOptions
{
    bool songPerPage = false; // each song starts on a page of its own
    int fontSize = 11;        // the lyrics' size in points
    SongbookPaper paper = SongbookPaper::Automatic;

    static constexpr int MinFontSize = 6;
    static constexpr int MaxFontSize = 36;
};

// The songbook of the songs checked in state's tree, dated state.now().
// Reads the lyrics files; runs no event loop.
Songbook CheckedSongbook(const basMain &state);

} // namespace stanzary
