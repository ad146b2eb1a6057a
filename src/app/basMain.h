#pragma once

#include "platform/CodePage.h"
#include "platform/DirListing.h"
#include "platform/MakerSite.h"
#include "store/NodeCollection.h"

#include <QDateTime>
#include <QList>
#include <QString>

#include <functional>

namespace stanzary {

// One node of the tree as the last scan left it; the search rebuilds the
// full tree from these.
struct TreeNodeRecord
{
    QString NodeText;
    QString NodeKey;
    int NodeImage = 0;
    bool IsSong = false;
    QString ParentKey; // songs: the parent's key in lower case; artists: empty
};

// The shared application state. One instance per run (and one per test),
// handed to windows and procedures by reference; only the UI thread uses it.
class basMain
{
public:
    // Host installation and lyrics store. Both folders end with "/" when set.
    QString strHostPath;
    QString strLyricsPath;
    bool blnSingleDir = false;
    int bytFontCharset = 0; // 0..255, 0 = none given
    CodePage codePage;      // follows bytFontCharset

    // The plug-in's own folder (where the program runs), ending with "/".
    QString strProgramPath;
    // Where the host's registry entry was looked for ("the registry file
    // ~/.wine/system.reg"), for telling the user when it was not found.
    QString strHostRegistryPlace;

    // Options.
    bool blnEnableSearch = true;
    bool blnRealTimeSearch = true;
    bool blnLoadKasEditor = true;
    bool blnCheckUnfilteredSongs = true;
    bool blnCheckForAvaliableTimestamps = true;
    bool blnCheckTimestampsAtStart = true; // the availability option as it stood at start
    // The tagger also writes the lyrics as ID3v2 frames (USLT, and SYLT
    // from a timestamp file).
    bool blnWriteId3v2Lyrics = false;
    // The tagger also writes an .lrc file beside each MP3 file it tags
    // whose song has stamps that all find their lyric lines.
    bool blnWriteLrcFiles = false;

    // Counts of the last scan (wider than the host's 16 bits on purpose).
    int intLyricsCount = 0;
    int intTimestampsDownloaded = 0;
    int intTimestampsAvaliable = 0;

    // The karaoke index's record count ("10", "10.4") as the last scan read
    // it; null when that scan did not look at the index.
    QString strIndexRecordCount;
    // Lyrics files the last scan could not list because their names are not
    // valid in the file-system encoding, and the folders they are in.
    UnlistedFiles unlistedLyrics;

    // The full tree after the last scan.
    QList<TreeNodeRecord> NodeSnapshot;

    // The tree's node collection (the tree view shows it).
    NodeCollection nodes;

    // The chosen song.
    QString strCurrentFile;
    QString strCurrentArtist;
    QString strCurrentSong;
    QString strCurrentKey;
    int intCurrentIndex = 0;
    int intCurrentParentIndex = 0;
    bool blnHasTimestamps = false;
    bool blnTimestampsAvaliable = false;

    // What the chosen song's file tells about its source and filter.
    QString strPage;
    QString strWebsite;
    bool blnHasPageInfo = false;
    bool blnFilterUsed = false;

    // The lists window shows the redownload list (true) or the deleted list.
    bool blnShowRedownloadList = true;

    // The maker's web site, which every web path follows (configuration key
    // "MakerSite"); no "/" at its end.
    QString strMakerSite = makerSite();

    // The program's clock: the date and time in the names of joined-lyrics
    // files and the age of the karaoke index. Tests set it.
    std::function<QDateTime()> now = [] { return QDateTime::currentDateTime(); };
};

} // namespace stanzary
