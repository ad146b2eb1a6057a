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

    // Save: the shown song's edits into its file; new lyrics (no song
    // shown) go through Save As; a beep when there is nothing to save. A
    // song whose file could not be read is never saved over (the user is
    // told why).
    void save();
    // Writes the lyrics box into path (with the filter mark); false, after
    // telling the user why, when nothing was written.
    bool SaveLyricsText(const QString &path);
    // Save As: asks for an artist and a song (trimmed; empty or cancelled
    // stops; a name a file name cannot hold is told at once and asked
    // again), asks before overwriting, makes a missing first-letter folder,
    // writes the lyrics box there and says so. The tree and the shown song
    // stay as they are. New lyrics count as saved afterwards. A beep when
    // the box is empty new lyrics; a song whose file could not be read has
    // nothing to save. True when the file was written.
    bool saveAs();
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
    // False, after telling the user, when the box holds no file's text to save.
    bool refuseUnreadable();
    // Asks for a name (artist or song) until it is one a file name can hold;
    // empty when the user cancels or gives none.
    QString askName(const QString &prompt, const QString &defaultText);

    basMain &m_state;
    SongLists &m_lists;
    UserDialogs &m_dialogs;
    SongDetailsView &m_details;
    const MainActions &m_actions;
};

} // namespace stanzary
