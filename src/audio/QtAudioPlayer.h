#pragma once

#include "audio/AudioPlayer.h"

#include <memory>

class QAudioOutput;
class QFile;
class QMediaPlayer;

namespace stanzary {

// The player on Qt Multimedia (QMediaPlayer to the default sound output),
// one media player per file loaded.
//
// Before a file reaches the media player it is checked to be a regular file,
// so a named pipe in its place is refused at once instead of being waited
// on. The player reads it through a file this class opens, not by its name:
// Qt 6.4's FFmpeg backend cannot open a name with letters beyond ASCII
// ("Café"), which the lyrics collection is full of. play() is refused with an error while there is no sound output
// device (Qt 6.4's FFmpeg backend would crash playing into none), and playing stops with an error when the device goes
// away; a device that appears is taken up.
class QtAudioPlayer : public AudioPlayer
{
    Q_OBJECT

public:
    explicit QtAudioPlayer(QObject *parent = nullptr);
    ~QtAudioPlayer() override;

    void load(const QString &path) override;
    void unload() override;
    QString source() const override { return m_source; }
    Status status() const override { return m_status; }
    QString errorString() const override { return m_error; }

    void play() override;
    void pause() override;
    bool isPlaying() const override;

    qint64 position() const override;
    void seek(qint64 positionMs) override;
    qint64 duration() const override;

    void setPlaybackRate(double rate) override;
    double playbackRate() const override;

    void setVolume(float volume) override;
    float volume() const override;

private:
    void makePlayer();
    void dropPlayer();
    void setStatus(Status status);
    void fail(const QString &message);
    void onMediaStatusChanged();
    void onOutputsChanged();

    QMediaPlayer *m_player = nullptr;
    QAudioOutput *m_output = nullptr;
    std::unique_ptr<QFile> m_file; // what the media player reads
    QString m_source;
    QString m_error;
    double m_rate = 1.0; // kept from song to song
    Status m_status = Status::NoSource;
};

// "No sound output device was found...", as the player tells it.
QString noSoundDeviceText();

} // namespace stanzary
