#pragma once

#include "tagger/Mp3FolderScan.h"

#include <QHash>
#include <QString>
#include <QStringList>

namespace stanzary {

class basMain;

// The song's audio for the karaoke editor: the MP3 files that the tagger's
// own matching (ScanFolder: candidates by the words of "Artist - Song", the
// best-scoring song chosen for each file) gives to a song, among the MP3
// folders the user scanned in the tagger or added in the editor
// (basMain::Mp3Folders), each with its direct subfolders.
//
// The folders are matched once and the result kept; it is matched anew when
// the folders or the collection's song count change, or after forget().
class SongAudioFinder
{
public:
    // The files matched to the song with key songKey, in folder and listing
    // order; empty when none. callbacks let the window's events run while a
    // folder is matched (its stop is not asked).
    QStringList filesFor(const basMain &state, const QString &songKey, const ScanCallbacks &callbacks = {});
    void forget() { m_matched = false; }

private:
    QStringList m_folders;
    int m_songs = -1;
    bool m_matched = false;
    QHash<QString, QStringList> m_byKey;
};

// Adds folder to the remembered MP3 folders unless it is there already (the
// same folder once, its path cleaned). True when it was added.
bool rememberMp3Folder(basMain &state, const QString &folder);

} // namespace stanzary
