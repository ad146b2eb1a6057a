#include "audio/QtAudioPlayer.h"

#include "audio/AudioBackend.h"
#include "audio/AudioFile.h"

#include <QAudioDevice>
#include <QAudioOutput>
#include <QFile>
#include <QFileInfo>
#include <QMediaDevices>
#include <QMediaPlayer>
#include <QUrl>

#include <algorithm>

namespace stanzary {

namespace {

bool isPresent(const QAudioDevice &device)
{
    if (device.isNull())
        return false;
    const QList<QAudioDevice> outputs = QMediaDevices::audioOutputs();
    return std::any_of(outputs.cbegin(), outputs.cend(), [&](const QAudioDevice &d) { return d.id() == device.id(); });
}

} // namespace

QString noSoundDeviceText()
{
    return QStringLiteral("No sound output device was found, so the song cannot be played. "
                          "Connect speakers or headphones, or start the desktop's sound server.");
}

QtAudioPlayer::QtAudioPlayer(QObject *parent) : AudioPlayer(parent)
{
    startAudio();
    m_output = new QAudioOutput(QMediaDevices::defaultAudioOutput(), this);
    auto *devices = new QMediaDevices(this);
    connect(devices, &QMediaDevices::audioOutputsChanged, this, &QtAudioPlayer::onOutputsChanged);
    makePlayer();
}

QtAudioPlayer::~QtAudioPlayer()
{
    dropPlayer();
}

// The media player reads the file on threads of its own, which end when it
// is destroyed: so a file goes only after the player that read it. What the
// media player says on its way out is not passed on (this may be going too).
void QtAudioPlayer::dropPlayer()
{
    if (m_player) {
        disconnect(m_player, nullptr, this, nullptr);
        m_player->stop();
    }
    delete m_player;
    m_player = nullptr;
    m_file.reset();
}

void QtAudioPlayer::makePlayer()
{
    dropPlayer();
    m_player = new QMediaPlayer(this);
    m_player->setAudioOutput(m_output);
    m_player->setPlaybackRate(m_rate);
    connect(m_player, &QMediaPlayer::mediaStatusChanged, this, &QtAudioPlayer::onMediaStatusChanged);
    connect(m_player, &QMediaPlayer::errorOccurred, this, [this](QMediaPlayer::Error, const QString &text) {
        fail(QStringLiteral("\"%1\" cannot be played: %2").arg(QFileInfo(m_source).fileName(), text));
    });
    connect(m_player, &QMediaPlayer::playbackStateChanged, this,
            [this](QMediaPlayer::PlaybackState state) { emit playingChanged(state == QMediaPlayer::PlayingState); });
    connect(m_player, &QMediaPlayer::positionChanged, this, &AudioPlayer::positionChanged);
    connect(m_player, &QMediaPlayer::durationChanged, this, &AudioPlayer::durationChanged);
}

void QtAudioPlayer::setStatus(Status status)
{
    if (status == m_status)
        return;
    m_status = status;
    emit statusChanged(status);
}

// A failure while loading ends the load (told once); one while the song is
// ready is told as it comes.
void QtAudioPlayer::fail(const QString &message)
{
    if (m_status == Status::Failed || m_status == Status::NoSource)
        return;
    m_error = message;
    if (m_status == Status::Loading)
        setStatus(Status::Failed);
    emit errorOccurred(message);
}

void QtAudioPlayer::load(const QString &path)
{
    unload();
    m_source = path;
    setStatus(Status::Loading);
    QString error;
    m_file = openAudioFile(path, error);
    if (!m_file) {
        fail(error);
        return;
    }
    m_player->setSourceDevice(m_file.get(), QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()));
}

void QtAudioPlayer::unload()
{
    const bool wasPlaying = isPlaying();
    const bool hadPosition = position() != 0;
    const bool hadDuration = duration() != 0;
    makePlayer();
    if (wasPlaying)
        emit playingChanged(false);
    if (hadPosition)
        emit positionChanged(0);
    if (hadDuration)
        emit durationChanged(0);
    m_source.clear();
    m_error.clear();
    setStatus(Status::NoSource);
}

void QtAudioPlayer::onMediaStatusChanged()
{
    switch (m_player->mediaStatus()) {
    case QMediaPlayer::LoadedMedia:
    case QMediaPlayer::BufferingMedia:
    case QMediaPlayer::BufferedMedia:
    case QMediaPlayer::StalledMedia:
    case QMediaPlayer::EndOfMedia:
        if (m_status == Status::Loading)
            setStatus(Status::Ready);
        break;
    case QMediaPlayer::InvalidMedia:
        fail(QStringLiteral("\"%1\" is not a sound file that can be played.").arg(QFileInfo(m_source).fileName()));
        break;
    case QMediaPlayer::NoMedia:
    case QMediaPlayer::LoadingMedia: break;
    }
}

void QtAudioPlayer::play()
{
    if (m_status != Status::Ready)
        return;
    if (!isPresent(m_output->device())) {
        const QAudioDevice device = QMediaDevices::defaultAudioOutput();
        if (device.isNull()) {
            m_error = noSoundDeviceText();
            emit errorOccurred(m_error);
            return;
        }
        m_output->setDevice(device);
    }
    m_player->play();
}

void QtAudioPlayer::onOutputsChanged()
{
    if (isPresent(m_output->device()))
        return;
    const QAudioDevice device = QMediaDevices::defaultAudioOutput();
    if (!device.isNull()) {
        m_output->setDevice(device);
        return;
    }
    if (isPlaying()) {
        m_player->pause();
        m_error = noSoundDeviceText();
        emit errorOccurred(m_error);
    }
}

void QtAudioPlayer::pause()
{
    m_player->pause();
}

bool QtAudioPlayer::isPlaying() const
{
    return m_player->playbackState() == QMediaPlayer::PlayingState;
}

qint64 QtAudioPlayer::position() const
{
    return m_player->position();
}

void QtAudioPlayer::seek(qint64 positionMs)
{
    m_player->setPosition(qMax<qint64>(0, positionMs));
}

qint64 QtAudioPlayer::duration() const
{
    return m_player->duration();
}

void QtAudioPlayer::setPlaybackRate(double rate)
{
    if (rate <= 0)
        return;
    m_rate = rate;
    m_player->setPlaybackRate(rate);
}

double QtAudioPlayer::playbackRate() const
{
    return m_rate;
}

void QtAudioPlayer::setVolume(float volume)
{
    m_output->setVolume(qBound(0.0f, volume, 1.0f));
}

float QtAudioPlayer::volume() const
{
    return m_output->volume();
}

} // namespace stanzary
