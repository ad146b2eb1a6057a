#pragma once

#include "karaoke/PlaybackClock.h"

#include <QStringList>
#include <QWidget>

class QComboBox;
class QLabel;
class QSlider;
class QTimer;
class QToolButton;
class QPushButton;

namespace stanzary {

class AudioPlayer;
class ElidedLabel;
class UserDialogs;

// The karaoke editor's playback bar for the shown song: play/pause
// (`cmdPlay`), the position with its time (`lblPlayTime`) and a seek slider
// (`sldSeek`), the speed (`cboSpeed`: 0.5x, 0.75x, 1x) and the volume
// (`sldVolume`); below them which audio file plays (`lblAudio`), "Choose
// audio file..." (`cmdChooseAudio`) and "Add MP3 folder..." (`cmdAddMp3Folder`).
//
// It plays through an AudioPlayer it is given (not owned), so that tests can
// give it the real player on a null sound sink. The position it tells is
// the player's last report carried on to this moment (PlaybackClock); while
// playing it is told every few milliseconds, so that what follows playback
// is never a report late. No audio file for the song: the bar says so and
// offers the chooser; several files: Play asks which one.
class PlaybackBar : public QWidget
{
    Q_OBJECT

public:
    explicit PlaybackBar(UserDialogs &dialogs, QWidget *parent = nullptr);
    ~PlaybackBar() override;

    void setPlayer(AudioPlayer *player);
    AudioPlayer *player() const { return m_player; }

    // The files found for the shown song (the remembered choice first, when
    // there is one): one is loaded; none says so; several wait for Play.
    void showAudioFiles(const QStringList &files);
    // No song: nothing to play.
    void showNoSong();
    // Loads path and plays nothing yet.
    void loadFile(const QString &path);
    QString source() const;
    bool hasAudio() const;

    qint64 position() const { return m_clock.position(); }
    qint64 duration() const;
    bool isPlaying() const;

    void togglePlay();
    void play();
    void pause();
    // Moves to positionMs (the song plays on from there if it was playing).
    void seekTo(qint64 positionMs);
    // Moves to positionMs and plays.
    void playFrom(qint64 positionMs);

    // "m:ss.t" of a moment in the song.
    static QString timeText(qint64 ms);

signals:
    // The position now: at each report and, while playing, every few ms.
    void positionChanged(qint64 positionMs);
    void playingChanged(bool playing);
    // The user picked the song's audio file (one of several, or chosen).
    void audioChosen(const QString &path);
    // The user added a folder to look for songs' audio in.
    void folderAdded(const QString &folder);
    // The audio loaded, its state or its length changed (source(),
    // hasAudio(), duration()).
    void audioStateChanged();

private:
    void buildControls();
    void connectPlayer();
    bool pickOneOfSeveral();
    void chooseFile();
    void addFolder();
    void onStatus();
    void onReportedPosition(qint64 positionMs);
    void showPosition(qint64 positionMs);
    void showPlaying(bool playing);
    void setControlsEnabled(bool enabled);

    UserDialogs &m_dialogs;
    AudioPlayer *m_player = nullptr;
    PlaybackClock m_clock;
    QStringList m_files; // several: Play asks which
    QString m_chooserFolder;
    qint64 m_shownSecond = -1;

    QToolButton *m_playButton = nullptr;
    QLabel *m_time = nullptr;
    QSlider *m_seek = nullptr;
    QComboBox *m_speed = nullptr;
    QSlider *m_volume = nullptr;
    ElidedLabel *m_audio = nullptr;
    QPushButton *m_chooseButton = nullptr;
    QPushButton *m_folderButton = nullptr;
    QTimer *m_ticker = nullptr;
};

} // namespace stanzary
