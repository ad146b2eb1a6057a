#pragma once

#include <QObject>
#include <QString>

namespace stanzary {

// Plays one song file: the small interface the karaoke editor works with,
// so that its tests can stand a scripted player in (QtAudioPlayer plays for
// real). Positions and lengths are milliseconds of the song.
//
// load() is asynchronous: the status goes Loading, then Ready or Failed.
// Every failure (a file that is missing, not a regular file or not audio;
// no sound output device) ends as status Failed or an error while Ready,
// with errorString() saying what went wrong in words for the user, and
// errorOccurred sent once. Nothing is ever played while no sound output
// device exists.
class AudioPlayer : public QObject
{
    Q_OBJECT

public:
    enum class Status { NoSource, Loading, Ready, Failed };
    Q_ENUM(Status)

    using QObject::QObject;

    virtual void load(const QString &path) = 0;
    virtual void unload() = 0;
    virtual QString source() const = 0;
    virtual Status status() const = 0;
    virtual QString errorString() const = 0;

    virtual void play() = 0;
    virtual void pause() = 0;
    virtual bool isPlaying() const = 0;

    virtual qint64 position() const = 0;
    virtual void seek(qint64 positionMs) = 0;
    virtual qint64 duration() const = 0; // 0 until known

    // 0.5, 0.75 or 1 in the editor; the position counts song time at any rate.
    virtual void setPlaybackRate(double rate) = 0;
    virtual double playbackRate() const = 0;

    virtual void setVolume(float volume) = 0; // 0 to 1
    virtual float volume() const = 0;

signals:
    void statusChanged(stanzary::AudioPlayer::Status status);
    void playingChanged(bool playing);
    void positionChanged(qint64 positionMs);
    void durationChanged(qint64 durationMs);
    void errorOccurred(const QString &message);
};

} // namespace stanzary
