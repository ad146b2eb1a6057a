#pragma once

// How long the event loop stops answering while something goes on.

#include <QElapsedTimer>
#include <QEventLoop>
#include <QObject>
#include <QTimer>

#include <functional>

namespace stanzary::bench {

// The longest gap, in milliseconds, between the ticks of a 1 ms timer during
// forMs of the event loop, with start() called as the loop begins.
inline qint64 longestPauseMs(int forMs, const std::function<void()> &start)
{
    QEventLoop loop;
    QElapsedTimer clock;
    qint64 last = 0;
    qint64 longest = 0;
    QTimer tick;
    tick.setInterval(1);
    QObject::connect(&tick, &QTimer::timeout, &loop, [&] {
        const qint64 now = clock.elapsed();
        longest = qMax(longest, now - last);
        last = now;
    });
    clock.start();
    tick.start();
    start();
    QTimer::singleShot(forMs, &loop, &QEventLoop::quit);
    loop.exec();
    return longest;
}

} // namespace stanzary::bench
