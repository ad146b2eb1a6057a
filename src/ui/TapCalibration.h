#pragma once

#include "karaoke/PlaybackClock.h"

#include <QByteArray>
#include <QDialog>
#include <QList>
#include <QTemporaryDir>

#include <optional>

class QDialogButtonBox;
class QLabel;
class QPushButton;

namespace stanzary {

class AudioPlayer;

// "Calibrate...": measures the user's tap delay. A steady click (made here,
// kClicks clicks kClickIntervalMs apart after kFirstClickMs of silence)
// plays; the user taps on each click (`cmdCalibrationTap`, Space on it, or
// Ctrl+T); the mean lag of the taps behind the clicks (measureTapDelay) is
// the delay offered, which OK takes. The clicks play through player, or
// through a player of the dialog's own when none is given.
class TapCalibration : public QDialog
{
    Q_OBJECT

public:
    static constexpr int kClicks = 24;
    static constexpr qint64 kFirstClickMs = 1000;
    static constexpr qint64 kClickIntervalMs = 600;

    TapCalibration(int currentDelayMs, QWidget *parent = nullptr, AudioPlayer *player = nullptr);
    ~TapCalibration() override;

    void start();
    // A tap now (the button's press does this).
    void tap();
    // The delay measured so far; nothing before enough taps.
    std::optional<int> measured() const;
    QString clickFile() const { return m_clickFile; }

    // A WAV file (16-bit mono) of the clicks.
    static QByteArray clickTrack();

private:
    void showResult();

    AudioPlayer *m_player = nullptr;
    PlaybackClock m_clock;
    QTemporaryDir m_folder;
    QString m_clickFile;
    QList<qint64> m_taps;
    int m_currentDelayMs = 0;

    QLabel *m_result = nullptr;
    QPushButton *m_start = nullptr;
    QPushButton *m_tap = nullptr;
    QDialogButtonBox *m_buttons = nullptr;
};

} // namespace stanzary
