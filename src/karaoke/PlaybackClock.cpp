#include "karaoke/PlaybackClock.h"

#include <QElapsedTimer>

#include <cmath>
#include <memory>

namespace stanzary {

PlaybackClock::PlaybackClock(Now now) : m_now(std::move(now))
{
    if (!m_now) {
        auto timer = std::make_shared<QElapsedTimer>();
        timer->start();
        m_now = [timer] { return timer->elapsed(); };
    }
    m_reportedAt = m_now();
}

void PlaybackClock::reportPosition(qint64 positionMs)
{
    m_reported = positionMs;
    m_reportedAt = m_now();
}

void PlaybackClock::setPlaying(bool playing)
{
    if (playing == m_playing)
        return;
    // Pausing keeps the position reached; starting counts from now.
    m_reported = position();
    m_reportedAt = m_now();
    m_playing = playing;
}

void PlaybackClock::setRate(double rate)
{
    if (rate <= 0 || rate == m_rate)
        return;
    m_reported = position();
    m_reportedAt = m_now();
    m_rate = rate;
}

void PlaybackClock::setDuration(qint64 durationMs)
{
    m_duration = qMax<qint64>(0, durationMs);
}

qint64 PlaybackClock::position() const
{
    if (!m_playing)
        return m_reported;
    const qint64 since = qBound<qint64>(0, m_now() - m_reportedAt, kMaxCarryMs);
    qint64 at = m_reported + qint64(std::llround(double(since) * m_rate));
    if (m_duration > 0)
        at = qMin(at, qMax(m_duration, m_reported));
    return at;
}

} // namespace stanzary
