#include "karaoke/StampSteps.h"

namespace stanzary {

namespace {

constexpr int kStepsPerMinute = 300;
constexpr int kStepsPerSecond = 5;

int stepsPerPart(StampPart part)
{
    switch (part) {
    case StampPart::Minute: return kStepsPerMinute;
    case StampPart::Second: return kStepsPerSecond;
    case StampPart::Frame: break;
    }
    return 1;
}

} // namespace

int stampStep(const StampTime &time)
{
    return time.Minute * kStepsPerMinute + time.Second * kStepsPerSecond + time.Frame / 2;
}

StampTime stampAtStep(int step)
{
    if (step <= 0)
        return StampTime{};
    const int inMinute = step % kStepsPerMinute;
    return StampTime{quint8(qMin(step / kStepsPerMinute, 255)), quint8(inMinute / kStepsPerSecond),
                     quint8(inMinute % kStepsPerSecond * 2)};
}

quint32 stampMilliseconds(const StampTime &time)
{
    return quint32(time.Minute) * 60000u + quint32(time.Second) * 1000u + quint32(time.Frame) * 100u;
}

qint64 nearestStep(qint64 ms)
{
    // Floor division, so that moments before 00:00.0 round the same way.
    const qint64 shifted = ms + kStampStepMs / 2;
    qint64 step = shifted / kStampStepMs;
    if (shifted % kStampStepMs < 0)
        --step;
    return step;
}

QString stampText(const StampTime &time)
{
    return QStringLiteral("%1:%2.%3")
        .arg(time.Minute, 2, 10, QChar(u'0'))
        .arg(time.Second, 2, 10, QChar(u'0'))
        .arg(time.Frame);
}

SteppedStamp stepStamp(const StampTime &time, StampPart part, int steps)
{
    const int stored = stampStep(time);
    const int from = qMin(stored, kLastStampStep);
    const int size = stepsPerPart(part);
    // Whole steps of the part that fit between the time and the limit.
    const int room = steps >= 0 ? (kLastStampStep - from) / size : from / size;
    const qint64 wanted = steps >= 0 ? qint64(steps) : -qint64(steps);
    const int taken = int(qMin<qint64>(wanted, room));
    const int to = from + (steps >= 0 ? taken : -taken) * size;
    return SteppedStamp{stampAtStep(to), taken < wanted || from != stored};
}

} // namespace stanzary
