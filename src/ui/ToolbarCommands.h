#pragma once

#include "app/SongCommands.h"

#include <QObject>

namespace stanzary {

class basMain;
class SongDetailsView;
class SongLists;
class UserDialogs;
struct MainActions;

// The toolbar's commands on the chosen song: Save, Save As, Delete, Mark for
// redownload, the source page and site, the karaoke search and Help. Each
// action of the toolbar is connected to its own handler here; the main
// window answers what changes in its tree (songDeleted). Works on the state,
// lists, details view and actions it is given, none of which it owns.
class ToolbarCommands : public QObject
{
    Q_OBJECT

public:
    ToolbarCommands(basMain &state, SongLists &lists, UserDialogs &dialogs, SongDetailsView &details,
                    const MainActions &actions, QObject *parent = nullptr);

    // Save: a beep when no song's file is there to save to.
    void save();
    // Writes the lyrics box into path (with the filter mark); false, after
    // telling the user why, when nothing was written.
    bool SaveLyricsText(const QString &path);
    // Save As: asks for an artist and a song (trimmed; empty or cancelled
    // stops), asks before overwriting, makes a missing first-letter folder,
    // writes the lyrics box there and says so. The tree and the shown song
    // stay as they are; a beep when no song is shown.
    void saveAs();
    void deleteSong();
    void markRedownload(bool pressed);
    // The desktop's "open" on a web address; "Error opening in browser" when
    // it is no web address or the desktop refuses.
    void OpenInShell(const QString &address);

    // After a song was chosen: presses MarkRedownload when the song is in the
    // redownload list and announces the (last) entry that holds it.
    void showRedownloadMark();
    void releaseMarkRedownload();

signals:
    // The current song was deleted; the window updates its tree and counts.
    void songDeleted(const DeleteOutcome &outcome);
    // The redownload list's entry at row is the chosen song.
    void redownloadEntryChosen(int row);

private:
    // Writes text (with its filter mark) into path; false, after telling the
    // user why, when nothing was written.
    bool writeLyrics(const QString &path, const QString &text);
    bool saveLyricsAs(const QString &artist, const QString &song);

    basMain &m_state;
    SongLists &m_lists;
    UserDialogs &m_dialogs;
    SongDetailsView &m_details;
    const MainActions &m_actions;
};

} // namespace stanzary
