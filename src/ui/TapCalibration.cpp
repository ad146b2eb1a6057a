#include "ui/TapCalibration.h"

#include "audio/QtAudioPlayer.h"
#include "karaoke/TapDelay.h"

#include <QDialogButtonBox>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>
#include <QtEndian>

#include <cmath>

namespace stanzary {

namespace {

constexpr int kRate = 22050;

void appendLe(QByteArray &out, quint32 value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.append(char((value >> (8 * i)) & 0xff));
}

} // namespace

QByteArray TapCalibration::clickTrack()
{
    const qint64 totalMs = kFirstClickMs + kClicks * kClickIntervalMs;
    const int samples = int(totalMs * kRate / 1000);
    QList<qint16> pcm(samples, 0);
    // Each click: 20 ms of 1.5 kHz, sharply rising and fading.
    const int clickSamples = kRate / 50;
    for (int c = 0; c < kClicks; ++c) {
        const int at = int((kFirstClickMs + c * kClickIntervalMs) * kRate / 1000);
        for (int i = 0; i < clickSamples && at + i < samples; ++i) {
            const double fade = std::exp(-double(i) / (clickSamples / 5.0));
            pcm[at + i] = qint16(20000.0 * fade * std::sin(2 * M_PI * 1500.0 * i / kRate));
        }
    }
    QByteArray out;
    const quint32 dataBytes = quint32(samples) * 2;
    out += "RIFF";
    appendLe(out, 36 + dataBytes, 4);
    out += "WAVEfmt ";
    appendLe(out, 16, 4);
    appendLe(out, 1, 2); // PCM
    appendLe(out, 1, 2); // mono
    appendLe(out, kRate, 4);
    appendLe(out, kRate * 2, 4);
    appendLe(out, 2, 2);
    appendLe(out, 16, 2);
    out += "data";
    appendLe(out, dataBytes, 4);
    for (qint16 sample : pcm)
        appendLe(out, quint16(sample), 2);
    return out;
}

TapCalibration::TapCalibration(int currentDelayMs, QWidget *parent, AudioPlayer *player)
    : QDialog(parent), m_player(player), m_currentDelayMs(currentDelayMs)
{
    setObjectName(QStringLiteral("frmCalibrateTap"));
    setWindowTitle(QStringLiteral("Calibrate the tap delay"));
    if (!m_player)
        m_player = new QtAudioPlayer(this);
    connect(m_player, &AudioPlayer::positionChanged, this, [this](qint64 ms) { m_clock.reportPosition(ms); });
    connect(m_player, &AudioPlayer::playingChanged, this, [this](bool playing) { m_clock.setPlaying(playing); });

    auto *intro = new QLabel(
        QStringLiteral("Press Start: a click sounds every %1 s, %2 times. Tap on every click, as you tap when a "
                       "line starts: press Tap (or Space on it, or Ctrl+T). How long your taps come after the "
                       "clicks, on average, is your tap delay; taps take it off.\n\nThe tap delay now: %3 ms.")
            .arg(QString::number(kClickIntervalMs / 1000.0, 'f', 1))
            .arg(kClicks)
            .arg(currentDelayMs),
        this);
    intro->setWordWrap(true);
    m_start = new QPushButton(QStringLiteral("&Start"), this);
    m_start->setObjectName(QStringLiteral("cmdStartClicks"));
    m_tap = new QPushButton(QStringLiteral("&Tap"), this);
    m_tap->setObjectName(QStringLiteral("cmdCalibrationTap"));
    m_tap->setMinimumHeight(m_tap->sizeHint().height() * 2);
    m_tap->setEnabled(false);
    m_result = new QLabel(this);
    m_result->setObjectName(QStringLiteral("lblCalibration"));
    m_result->setWordWrap(true);
    m_result->setTextFormat(Qt::PlainText);
    m_result->setAccessibleDescription(QStringLiteral("The measured tap delay"));
    m_buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    m_buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("Use this delay"));
    for (QPushButton *b : {m_start, m_tap})
        b->setAutoDefault(false);
    connect(m_start, &QPushButton::clicked, this, &TapCalibration::start);
    // On the press, not the release: the moment of a tap is when it lands.
    connect(m_tap, &QPushButton::pressed, this, &TapCalibration::tap);
    auto *key = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_T), this);
    connect(key, &QShortcut::activated, this, &TapCalibration::tap);
    connect(m_buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(m_buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *column = new QVBoxLayout(this);
    column->addWidget(intro);
    column->addWidget(m_start);
    column->addWidget(m_tap);
    column->addWidget(m_result);
    column->addWidget(m_buttons);
    showResult();

    m_clickFile = m_folder.filePath(QStringLiteral("clicks.wav"));
    QFile file(m_clickFile);
    if (!m_folder.isValid() || !file.open(QIODevice::WriteOnly) || file.write(clickTrack()) < 0) {
        m_start->setEnabled(false);
        m_result->setText(QStringLiteral("The click could not be made: ") + file.errorString());
    }
}

TapCalibration::~TapCalibration()
{
    if (m_player && m_player->source() == m_clickFile)
        m_player->unload();
}

void TapCalibration::start()
{
    m_taps.clear();
    m_clock.reportPosition(0);
    if (m_player->source() != m_clickFile || m_player->status() != AudioPlayer::Status::Ready) {
        m_player->load(m_clickFile);
        connect(
            m_player, &AudioPlayer::statusChanged, this,
            [this](AudioPlayer::Status status) {
                if (status == AudioPlayer::Status::Ready)
                    start();
                else if (status == AudioPlayer::Status::Failed)
                    m_result->setText(m_player->errorString());
            },
            Qt::SingleShotConnection);
        return;
    }
    m_player->seek(0);
    m_player->play();
    m_tap->setEnabled(true);
    m_tap->setFocus();
    showResult();
}

void TapCalibration::tap()
{
    if (!m_tap->isEnabled())
        return;
    m_taps.append(m_clock.position());
    showResult();
}

std::optional<int> TapCalibration::measured() const
{
    if (const auto measure = measureTapDelay(m_taps, kFirstClickMs, kClickIntervalMs))
        return measure->delayMs;
    return std::nullopt;
}

void TapCalibration::showResult()
{
    const auto measure = measureTapDelay(m_taps, kFirstClickMs, kClickIntervalMs);
    m_buttons->button(QDialogButtonBox::Ok)->setEnabled(measure.has_value());
    if (m_taps.isEmpty()) {
        m_result->setText(QStringLiteral("No taps yet."));
        return;
    }
    if (!measure) {
        m_result->setText(QStringLiteral("Taps: %1. Keep tapping on the clicks.").arg(m_taps.size()));
        return;
    }
    m_result->setText(QStringLiteral("Taps: %1. Your taps come %2 ms after the clicks on average (give or take "
                                     "%3 ms). Tap delay: %2 ms.")
                          .arg(m_taps.size())
                          .arg(measure->delayMs)
                          .arg(qRound(measure->spreadMs)));
}

} // namespace stanzary
