#include "ui/PlaybackBar.h"

#include "audio/AudioPlayer.h"
#include "ui/ElidedLabel.h"
#include "ui/UserDialogs.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QStandardPaths>
#include <QStyle>
#include <QTimer>
#include <QToolButton>

namespace stanzary {

namespace {

// What follows playback hears the position this often while playing.
constexpr int kTickMs = 10;

QString audioFilter()
{
    return QStringLiteral("Audio files (*.mp3 *.MP3 *.ogg *.flac *.wav *.m4a);;All files (*)");
}

} // namespace

PlaybackBar::PlaybackBar(UserDialogs &dialogs, QWidget *parent) : QWidget(parent), m_dialogs(dialogs)
{
    setObjectName(QStringLiteral("playbackBar"));
    buildControls();
    m_ticker = new QTimer(this);
    m_ticker->setTimerType(Qt::PreciseTimer);
    m_ticker->setInterval(kTickMs);
    connect(m_ticker, &QTimer::timeout, this, [this] { emit positionChanged(m_clock.position()); });
    showNoSong();
}

PlaybackBar::~PlaybackBar() = default;

void PlaybackBar::buildControls()
{
    m_playButton = new QToolButton(this);
    m_playButton->setObjectName(QStringLiteral("cmdPlay"));
    m_playButton->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    m_playButton->setToolTip(QStringLiteral("Play or pause the song (Ctrl+P)"));
    m_playButton->setAccessibleDescription(QStringLiteral("Play or pause the song, Control+P"));
    connect(m_playButton, &QToolButton::clicked, this, &PlaybackBar::togglePlay);

    m_time = new QLabel(this);
    m_time->setObjectName(QStringLiteral("lblPlayTime"));
    m_time->setTextFormat(Qt::PlainText);
    m_time->setAccessibleDescription(QStringLiteral("Playback position and the song's length"));
    m_time->setMinimumWidth(m_time->fontMetrics().horizontalAdvance(QStringLiteral("00:00.0 / 00:00.0")) + 8);

    m_seek = new QSlider(Qt::Horizontal, this);
    m_seek->setObjectName(QStringLiteral("sldSeek"));
    m_seek->setAccessibleName(QStringLiteral("Position"));
    m_seek->setToolTip(QStringLiteral("Position in the song"));
    m_seek->setTracking(false); // a drag seeks once, where it is let go
    m_seek->setSingleStep(1000);
    m_seek->setPageStep(5000);
    connect(m_seek, &QSlider::valueChanged, this, [this](int value) { seekTo(value); });

    m_speed = new QComboBox(this);
    m_speed->setObjectName(QStringLiteral("cboSpeed"));
    m_speed->setAccessibleName(QStringLiteral("Speed"));
    m_speed->setToolTip(QStringLiteral("Play the song slower to time it"));
    m_speed->addItem(QStringLiteral("0.5\u00d7"), 0.5);
    m_speed->addItem(QStringLiteral("0.75\u00d7"), 0.75);
    m_speed->addItem(QStringLiteral("1\u00d7"), 1.0);
    m_speed->setCurrentIndex(2);
    connect(m_speed, &QComboBox::currentIndexChanged, this, [this] {
        const double rate = m_speed->currentData().toDouble();
        m_clock.setRate(rate);
        if (m_player)
            m_player->setPlaybackRate(rate);
    });

    m_volume = new QSlider(Qt::Horizontal, this);
    m_volume->setObjectName(QStringLiteral("sldVolume"));
    m_volume->setAccessibleName(QStringLiteral("Volume"));
    m_volume->setToolTip(QStringLiteral("Volume"));
    m_volume->setRange(0, 100);
    m_volume->setValue(100);
    m_volume->setMaximumWidth(m_volume->fontMetrics().horizontalAdvance(u'0') * 12);
    connect(m_volume, &QSlider::valueChanged, this, [this](int value) {
        if (m_player)
            m_player->setVolume(float(value) / 100.0F);
    });
    auto *speedLabel = new QLabel(QStringLiteral("&Speed:"), this);
    speedLabel->setBuddy(m_speed);
    auto *volumeLabel = new QLabel(QStringLiteral("&Volume:"), this);
    volumeLabel->setBuddy(m_volume);

    m_audio = new ElidedLabel(this);
    m_audio->setObjectName(QStringLiteral("lblAudio"));
    m_audio->setRowTitle(QStringLiteral("Audio"));
    m_chooseButton = new QPushButton(QStringLiteral("Choose audio file..."), this);
    m_chooseButton->setObjectName(QStringLiteral("cmdChooseAudio"));
    m_chooseButton->setToolTip(QStringLiteral("Choose the song's audio file; it is remembered for the song"));
    connect(m_chooseButton, &QPushButton::clicked, this, &PlaybackBar::chooseFile);
    m_folderButton = new QPushButton(QStringLiteral("Add MP3 folder..."), this);
    m_folderButton->setObjectName(QStringLiteral("cmdAddMp3Folder"));
    m_folderButton->setToolTip(QStringLiteral("A folder of MP3 files (and its subfolders) where songs' audio is "
                                              "looked for, as the tagger matches them"));
    connect(m_folderButton, &QPushButton::clicked, this, &PlaybackBar::addFolder);
    for (QPushButton *b : {m_chooseButton, m_folderButton})
        b->setAutoDefault(false);

    auto *controls = new QHBoxLayout;
    controls->setContentsMargins(0, 0, 0, 0);
    controls->addWidget(m_playButton);
    controls->addWidget(m_time);
    controls->addWidget(m_seek, 1);
    controls->addWidget(speedLabel);
    controls->addWidget(m_speed);
    controls->addWidget(volumeLabel);
    controls->addWidget(m_volume);
    auto *source = new QHBoxLayout;
    source->setContentsMargins(0, 0, 0, 0);
    source->addWidget(m_audio, 1);
    source->addWidget(m_chooseButton);
    source->addWidget(m_folderButton);
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(2);
    column->addLayout(controls);
    column->addLayout(source);
    QWidget::setTabOrder(m_playButton, m_seek);
    QWidget::setTabOrder(m_seek, m_speed);
    QWidget::setTabOrder(m_speed, m_volume);
    QWidget::setTabOrder(m_volume, m_chooseButton);
    QWidget::setTabOrder(m_chooseButton, m_folderButton);
}

void PlaybackBar::setPlayer(AudioPlayer *player)
{
    if (m_player)
        disconnect(m_player, nullptr, this, nullptr);
    m_player = player;
    if (m_player) {
        connectPlayer();
        m_player->setPlaybackRate(m_speed->currentData().toDouble());
        m_player->setVolume(float(m_volume->value()) / 100.0F);
    }
    onStatus();
}

void PlaybackBar::connectPlayer()
{
    connect(m_player, &AudioPlayer::statusChanged, this, &PlaybackBar::onStatus);
    connect(m_player, &AudioPlayer::positionChanged, this, &PlaybackBar::onReportedPosition);
    connect(m_player, &AudioPlayer::playingChanged, this, &PlaybackBar::showPlaying);
    connect(m_player, &AudioPlayer::durationChanged, this, [this](qint64 ms) {
        m_clock.setDuration(ms);
        const QSignalBlocker quiet(m_seek);
        m_seek->setRange(0, int(qMin<qint64>(ms, INT_MAX)));
        showPosition(m_clock.position());
        emit audioStateChanged();
    });
    connect(m_player, &AudioPlayer::errorOccurred, this, [this](const QString &message) {
        m_audio->setFullText(message);
        showPlaying(false);
    });
}

// ---- the song's audio -------------------------------------------------------

void PlaybackBar::showNoSong()
{
    m_files.clear();
    if (m_player)
        m_player->unload();
    m_audio->setFullText(QString());
    setEnabled(false);
    emit audioStateChanged();
}

void PlaybackBar::showAudioFiles(const QStringList &files)
{
    setEnabled(true);
    m_files.clear();
    if (files.size() == 1) {
        loadFile(files.first());
        return;
    }
    if (m_player)
        m_player->unload();
    if (files.isEmpty()) {
        m_audio->setFullText(QStringLiteral("No audio file was found for this song. Choose one, or add the "
                                            "folder of its MP3 file. The stamps can be edited without it."));
    } else {
        m_files = files;
        m_audio->setFullText(QStringLiteral("%1 audio files match this song: Play asks which one.").arg(files.size()));
    }
    onStatus();
}

void PlaybackBar::loadFile(const QString &path)
{
    m_files.clear();
    setEnabled(true);
    if (!m_player)
        return;
    m_clock.reportPosition(0);
    m_player->load(path);
    onStatus();
}

QString PlaybackBar::source() const
{
    return m_player ? m_player->source() : QString();
}

bool PlaybackBar::hasAudio() const
{
    return m_player && m_player->status() == AudioPlayer::Status::Ready;
}

qint64 PlaybackBar::duration() const
{
    return m_player ? m_player->duration() : 0;
}

bool PlaybackBar::isPlaying() const
{
    return m_player && m_player->isPlaying();
}

bool PlaybackBar::pickOneOfSeveral()
{
    QStringList names;
    for (const QString &file : std::as_const(m_files))
        names << QDir::toNativeSeparators(file);
    const int picked = m_dialogs.chooseItem(QString(),
                                            QStringLiteral("Several audio files match this song. "
                                                           "Which one is it?"),
                                            names);
    if (picked < 0)
        return false;
    const QString path = m_files.at(picked);
    loadFile(path);
    emit audioChosen(path);
    return true;
}

void PlaybackBar::chooseFile()
{
    if (m_chooserFolder.isEmpty())
        m_chooserFolder = source().isEmpty() ? QStandardPaths::writableLocation(QStandardPaths::MusicLocation)
                                             : QFileInfo(source()).absolutePath();
    const QString path =
        m_dialogs.chooseFile(QStringLiteral("Choose the song's audio file"), m_chooserFolder, audioFilter());
    if (path.isEmpty())
        return;
    m_chooserFolder = QFileInfo(path).absolutePath();
    loadFile(path);
    emit audioChosen(path);
}

void PlaybackBar::addFolder()
{
    const QString folder = m_dialogs.chooseFolder(QStringLiteral("Add a folder of MP3 files"), m_chooserFolder);
    if (folder.isEmpty())
        return;
    m_chooserFolder = folder;
    emit folderAdded(folder);
}

// ---- playing ----------------------------------------------------------------

void PlaybackBar::togglePlay()
{
    if (isPlaying())
        pause();
    else
        play();
}

void PlaybackBar::play()
{
    if (!m_player || (!m_files.isEmpty() && !pickOneOfSeveral()))
        return;
    if (m_player->status() == AudioPlayer::Status::Ready)
        m_player->play();
}

void PlaybackBar::pause()
{
    if (m_player)
        m_player->pause();
}

void PlaybackBar::seekTo(qint64 positionMs)
{
    if (!m_player || m_player->status() != AudioPlayer::Status::Ready)
        return;
    const qint64 to = qBound<qint64>(0, positionMs, qMax<qint64>(0, m_player->duration()));
    m_player->seek(to);
    onReportedPosition(to);
}

void PlaybackBar::playFrom(qint64 positionMs)
{
    seekTo(positionMs);
    play();
}

void PlaybackBar::onStatus()
{
    const AudioPlayer::Status status = m_player ? m_player->status() : AudioPlayer::Status::NoSource;
    const bool ready = status == AudioPlayer::Status::Ready;
    switch (status) {
    case AudioPlayer::Status::Loading:
        m_audio->setFullText(QStringLiteral("Loading ") + QFileInfo(m_player->source()).fileName()
                             + QStringLiteral("..."));
        break;
    case AudioPlayer::Status::Ready: m_audio->setFullText(QDir::toNativeSeparators(m_player->source())); break;
    case AudioPlayer::Status::Failed: m_audio->setFullText(m_player->errorString()); break;
    case AudioPlayer::Status::NoSource:
        if (!m_player)
            m_audio->setFullText(QStringLiteral("No sound output is available."));
        break;
    }
    m_audio->setOwnToolTip(ready ? QDir::toNativeSeparators(m_player->source()) : QString());
    setControlsEnabled(ready || !m_files.isEmpty());
    if (!ready) {
        m_clock.setDuration(0);
        m_clock.reportPosition(0);
    } else {
        m_clock.setDuration(m_player->duration());
        m_clock.reportPosition(m_player->position());
    }
    showPlaying(isPlaying());
    emit audioStateChanged();
    showPosition(m_clock.position());
}

void PlaybackBar::setControlsEnabled(bool enabled)
{
    m_playButton->setEnabled(enabled);
    m_seek->setEnabled(enabled && hasAudio());
}

void PlaybackBar::onReportedPosition(qint64 positionMs)
{
    m_clock.reportPosition(positionMs);
    showPosition(positionMs);
    emit positionChanged(m_clock.position());
}

void PlaybackBar::showPlaying(bool playing)
{
    m_clock.setPlaying(playing);
    m_playButton->setText(playing ? QStringLiteral("Pause") : QStringLiteral("Play"));
    m_playButton->setIcon(style()->standardIcon(playing ? QStyle::SP_MediaPause : QStyle::SP_MediaPlay));
    if (playing) {
        m_ticker->start();
    } else {
        m_ticker->stop();
        showPosition(m_clock.position());
    }
    emit playingChanged(playing);
}

QString PlaybackBar::timeText(qint64 ms)
{
    const qint64 tenths = qMax<qint64>(0, ms) / 100;
    return QStringLiteral("%1:%2.%3")
        .arg(tenths / 600, 2, 10, QChar(u'0'))
        .arg(tenths / 10 % 60, 2, 10, QChar(u'0'))
        .arg(tenths % 10);
}

void PlaybackBar::showPosition(qint64 positionMs)
{
    const qint64 length = duration();
    m_time->setText(timeText(positionMs) + QStringLiteral(" / ") + timeText(length));
    if (!m_seek->isSliderDown()) {
        const QSignalBlocker quiet(m_seek);
        m_seek->setValue(int(qMin<qint64>(positionMs, INT_MAX)));
    }
    // A screen reader hears the slider's time, once a second while playing.
    if (positionMs / 1000 != m_shownSecond || !isPlaying()) {
        m_shownSecond = positionMs / 1000;
        m_seek->setAccessibleDescription(timeText(positionMs) + QStringLiteral(" of ") + timeText(length));
    }
}

} // namespace stanzary
