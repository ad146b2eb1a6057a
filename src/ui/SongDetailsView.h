#pragma once

#include <QWidget>

class QLabel;
class QPlainTextEdit;

namespace stanzary {

class CodePage;
class ElidedLabel;
class AudioPlayer;
class KaraokeEditorFrame;
class PlaybackArea;
class PlaybackBar;
class PlaybackFollow;
class WaveformLink;
class StampSourceCommands;
class TimingCommands;
class UserDialogs;
struct LyricsDetails;

// What the lyrics box holds, and so what saving may do with it.
enum class LyricsBox {
    NewLyrics,  // no song is chosen: lyrics the user types for a new song, which Save As stores
    Song,       // the chosen song's file as it was read: edited and saved into that file
    Unreadable, // the chosen song's file could not be read: empty, read-only, never saved over
};

// The right column of the main window below the toolbar: the title line
// `LblSong`, the details block `picInfo` (row titles in `lblInfoTitles`, one
// value per row in `lblArtist`, `lblSong2`, `lblKaraoke`, `lblWebsite`,
// `lblBrowser`, `lblFilter`), the karaoke editor frame `frmKaraoke` and the
// lyrics box `lyrics`. It shows what it is given; the main window decides
// what. Everything that comes from files is shown as plain text. The lyrics
// box (LyricsBox) holds the chosen song's text; the new lyrics the user
// types while no song is chosen, which stay while artists are chosen; or,
// for a song whose file could not be read, nothing, read-only, with the
// reason. The karaoke editor takes the room it needs on the left; the lyrics
// box has the rest.
class SongDetailsView : public QWidget
{
    Q_OBJECT

public:
    // dialogs tell the karaoke editor's failures and notices.
    explicit SongDetailsView(UserDialogs &dialogs, QWidget *parent = nullptr);

    // An artist node: its title line and "N lyrics avaliable"; no values, no
    // lyrics, no editor.
    void showArtist(const QString &artist, int songCount);
    // A song node: the title line " Artist - Song", the six rows and the
    // lyrics text, which the user may then edit; a file that was not read
    // leaves the box empty and read-only, saying why.
    void showSong(const QString &artist, const QString &song, const LyricsDetails &details);
    // Nothing chosen: no title, no details; the box takes new lyrics (those
    // typed already stay).
    void clear();

    // The "Karaoke:" row's text, after the song's stamps changed.
    void showKaraokeState(const QString &text);

    // A notice above the details (where the collection was looked for when
    // none was found); an empty text hides it.
    void showNotice(const QString &text);

    // The lyrics box's text as the user edited it (LF line ends).
    QString lyricsText() const;
    bool lyricsModified() const;
    LyricsBox lyricsBox() const { return m_box; }
    // Why the shown song's file could not be read (LyricsBox::Unreadable).
    QString unreadableReason() const { return m_unreadableReason; }
    // New lyrics the user typed and has not saved.
    bool holdsUnsavedNewLyrics() const;
    // The box's text was saved as savedText (the box's text with what saving
    // appended): the box shows savedText and counts as unchanged.
    void markLyricsSaved(const QString &savedText);

    // The karaoke editor for the song just shown, whose timestamp file is
    // kasPath: filled from the file and shown when d says to load it;
    // hidden when the song has no timestamps, and also when the editor still
    // holds another song's stamps (so that they are never saved into this
    // song's file); otherwise left as it is.
    void showKaraokeFor(const QString &kasPath, const LyricsDetails &d, bool blnLoadKasEditor,
                        const CodePage &codePage);
    void ShowKaraokeEditionFrame(bool bShow);
    // Stamp edits that the shown editor has not saved.
    bool stampsModified() const;
    // Saves the shown editor's stamps; false, after telling the user why,
    // when nothing was written.
    bool saveStamps();

    // The playback area above the editor and the lyrics box, shown with a
    // song: the song's audio plays through player (not owned); files are
    // the audio files found for the shown song.
    void setAudioPlayer(AudioPlayer *player);
    void showSongAudio(const QStringList &files);
    KaraokeEditorFrame *karaokeFrame() const { return m_karaokeFrame; }
    PlaybackArea *playbackArea() const { return m_playbackArea; }
    PlaybackBar *playbackBar() const;
    TimingCommands *timing() const { return m_timing; }
    StampSourceCommands *stampSources() const { return m_sources; }

signals:
    // Save created the shown song's timestamp file.
    void timestampsCreated();

public:
    // The lyric line that follows playback (from 0), -1 for none.
    int highlightedLine() const { return m_highlightedLine; }

private:
    ElidedLabel *makeValue(const char *name, const QString &rowTitle);
    void setValues(const QStringList &values);
    void setLyrics(const QString &text, LyricsBox box, const QString &unreadableReason = QString());
    // The box for no song: new lyrics typed earlier stay, a song's text goes.
    void showNewLyricsBox();
    void highlightLine(int lineIndex);
    void showPlayback(bool show);

    ElidedLabel *m_titleLine = nullptr;
    QLabel *m_notice = nullptr;
    QWidget *m_infoBlock = nullptr;
    QLabel *m_rowTitles = nullptr;
    QList<ElidedLabel *> m_values; // artist, song, karaoke, website, page, filter
    KaraokeEditorFrame *m_karaokeFrame = nullptr;
    PlaybackArea *m_playbackArea = nullptr;
    PlaybackFollow *m_follow = nullptr;
    WaveformLink *m_waveform = nullptr; // the strip above the playback bar
    TimingCommands *m_timing = nullptr;
    StampSourceCommands *m_sources = nullptr;
    int m_highlightedLine = -1;
    QPlainTextEdit *m_lyricsBox = nullptr;
    LyricsBox m_box = LyricsBox::Song;
    QString m_unreadableReason;
};

} // namespace stanzary
