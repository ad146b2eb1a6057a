#pragma once

#include <QList>

#include <optional>

namespace stanzary {

// Measuring the user's tap delay against a steady click: the clicks sound
// at firstClickMs and every intervalMs after it; each tap (a position in
// the click track, as the player counts it) is taken against the click
// nearest to it, so a tap may come a little early (a negative lag) or up to
// half an interval late. Taps before the first click are passed over, and
// so are the first kSettleTaps taps (the user finds the beat then).
constexpr int kSettleTaps = 2;
constexpr int kFewestCalibrationTaps = 4;

struct TapDelayMeasure
{
    int taps = 0;        // taps counted
    int delayMs = 0;     // their mean lag, at least 0
    double spreadMs = 0; // the lags' standard deviation: how steady the taps were
};

// Nothing until kFewestCalibrationTaps taps count.
std::optional<TapDelayMeasure> measureTapDelay(const QList<qint64> &tapPositionsMs, qint64 firstClickMs,
                                               qint64 intervalMs);

} // namespace stanzary
