#include "karaoke/TapDelay.h"

#include <cmath>

namespace stanzary {

std::optional<TapDelayMeasure> measureTapDelay(const QList<qint64> &tapPositionsMs, qint64 firstClickMs,
                                               qint64 intervalMs)
{
    if (intervalMs <= 0)
        return std::nullopt;
    QList<double> lags;
    int seen = 0;
    for (qint64 position : tapPositionsMs) {
        const qint64 since = position - firstClickMs;
        if (since < -intervalMs / 2)
            continue; // before the first click
        if (seen++ < kSettleTaps)
            continue;
        // The nearest click; exactly half way counts as late for the earlier one.
        const qint64 click = (since + intervalMs / 2) / intervalMs;
        lags.append(double(since - click * intervalMs));
    }
    if (lags.size() < kFewestCalibrationTaps)
        return std::nullopt;
    double sum = 0;
    for (double lag : lags)
        sum += lag;
    const double mean = sum / double(lags.size());
    double squares = 0;
    for (double lag : lags)
        squares += (lag - mean) * (lag - mean);
    TapDelayMeasure result;
    result.taps = int(lags.size());
    result.delayMs = qMax(0, int(std::lround(mean)));
    result.spreadMs = std::sqrt(squares / double(lags.size()));
    return result;
}

} // namespace stanzary
