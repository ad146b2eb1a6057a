#pragma once

#include "platform/CodePage.h"

#include <QObject>
#include <QString>

#include <functional>

class QAction;

namespace stanzary {

class KaraokeEditorFrame;
class PlaybackBar;
class TimingCommands;
class UserDialogs;

// Where stamps come from besides typing and tapping, as two more commands
// of the timing row: "Create stamps" (`actCreateStamps`) makes one row per
// lyric line for a song without a timestamp file (stampsForLyrics), ready to
// be tapped through while the song plays; "Import .lrc..." (`actImportLrc`)
// reads an .lrc file, the one beside the song's audio file or one chosen,
// into the rows. Both are one undoable change; Save writes the file (and
// creates it for a new song). Lines that give no stamp are told.
class StampSourceCommands : public QObject
{
    Q_OBJECT

public:
    StampSourceCommands(KaraokeEditorFrame &frame, PlaybackBar &bar, TimingCommands &timing, UserDialogs &dialogs,
                        std::function<QString()> lyricsText, QObject *parent = nullptr);

    // The shown song: its timestamp file's path and whether it exists.
    void setSong(const QString &kasPath, bool hasTimestampFile, const CodePage &codePage);
    void noSong();

    void createStamps();
    void importLrc();
    // Imports the .lrc file at path into the rows.
    void importLrcFile(const QString &path);

signals:
    // The editor must be shown: it holds new stamps.
    void editorNeeded();

private:
    bool beginNewStampsIfNeeded();

    KaraokeEditorFrame &m_frame;
    PlaybackBar &m_bar;
    UserDialogs &m_dialogs;
    std::function<QString()> m_lyricsText;
    QAction *m_create = nullptr;
    QAction *m_import = nullptr;
    QString m_kasPath;
    bool m_hasFile = false;
    CodePage m_codePage;
    QString m_lrcFolder;
};

} // namespace stanzary
