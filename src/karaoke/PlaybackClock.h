#pragma once

#include <QtGlobal>

#include <functional>

namespace stanzary {

// The playback position at this moment, between the player's reports.
//
// A player reports its position now and then (Qt's players about every
// 100 ms), so the last report can be half a step of 0.2 s old when the user
// taps. While playing, this clock carries the last report on by the time
// since it came, at the playback rate: the position of a tap is then the
// position at the key press, not at the last report. It never carries a
// report on for more than kMaxCarryMs (a player that stalls stops reporting;
// the clock then waits for it) and never past the song's end.
//
// The time source is injected (monotonic milliseconds), so tests drive it.
class PlaybackClock
{
public:
    using Now = std::function<qint64()>;
    static constexpr qint64 kMaxCarryMs = 500;

    // now: a monotonic clock in milliseconds; by default the system's
    // steady clock.
    explicit PlaybackClock(Now now = Now());

    // What the player says: its position (also after a seek), whether it
    // plays, its rate and the song's length (0 while unknown).
    void reportPosition(qint64 positionMs);
    void setPlaying(bool playing);
    void setRate(double rate);
    void setDuration(qint64 durationMs);

    // The position now, in milliseconds.
    qint64 position() const;
    bool isPlaying() const { return m_playing; }

private:
    Now m_now;
    qint64 m_reported = 0;
    qint64 m_reportedAt = 0;
    qint64 m_duration = 0;
    double m_rate = 1.0;
    bool m_playing = false;
};

} // namespace stanzary
