#pragma once

#include "store/CollectionScan.h"

#include <QString>
#include <QUrl>

#include <functional>

#include <optional>

namespace stanzary {

class basMain;
class SongLists;

// What the details view shows for the chosen song, worked out from its file.
struct LyricsDetails
{
    bool fileFound = false;  // the file was read
    bool fileExists = false; // not read, but there: it cannot be read (rather than not found)
    QString readError;       // why it could not be read ("it is not a regular file"); empty when read
    QString text;            // the whole file, decoded (CR LF line ends)
    QString lblArtist, lblSong2, lblKaraoke, lblWebsite, lblBrowser, lblFilter;
    bool loadKaraokeEditor = false; // timestamps exist and the editor is to load them
    bool hideKaraokeEditor = false; // the song has no timestamps
    bool webButtonsEnabled = false; // the file names its source page
};

// Makes the song node at position the current song (strCurrentFile, ...).
void SelectSongNode(basMain &state, int position);

// Choosing an artist: no current file any more (the other values stay).
void SelectArtistNode(basMain &state);

// Reads strCurrentFile and fills the details and strPage / strWebsite /
// blnHasPageInfo / blnFilterUsed.
LyricsDetails ShowLyricsDetails(basMain &state);

// What deleting the current song did, for the window to show.
struct DeleteOutcome
{
    bool nothingToDelete = false;  // the file is gone: beep, nothing changed
    bool fileDeleteFailed = false; // the file stays, and so does everything else
    QString failure;               // why it could not be deleted
    int nodeToChoose = 0;          // position whose node the window chooses next, 0 for none
    CountPanelTexts counts;        // the count panel after the delete
    bool collectionEmpty = false;  // disable Search Kar and the search box
};

// Removes a file; false with the reason when it could not.
using FileRemover = std::function<bool(const QString &path, QString *reason)>;

// Moves a lyrics file to the desktop's trash, so that a mistake can be
// undone, or removes it where there is no trash.
bool removeLyricsFile(const QString &path, QString *reason);

// Deletes the current song's file and then its traces: counters, tree,
// snapshot and the deleted list. When the file cannot be deleted nothing
// else changes, so the song stays where the user sees it.
DeleteOutcome DeleteCurrentSong(basMain &state, SongLists &lists, const FileRemover &remove = removeLyricsFile);

// The current song's list entry ("Artist - Song").
QString currentListEntry(const basMain &state);

// The karaoke search page for a song on the maker's site: spaces become
// "%20", nothing else changes.
QString karaokeSearchAddress(const QString &site, const QString &artist, const QString &song);

// An address handed to the browser: only http and https addresses with a
// host are accepted, since page addresses come from downloaded files.
std::optional<QUrl> webAddress(const QString &address);

// The web address of a site name from a lyrics file ("www.site.example").
std::optional<QUrl> siteAddress(const QString &site);

} // namespace stanzary
