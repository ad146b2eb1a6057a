#include "karaoke/PlaybackClock.h"
#include "karaoke/StampFollower.h"
#include "karaoke/StampSteps.h"

#include <QRandomGenerator>
#include <QtTest>

using namespace stanzary;

namespace {

StampTime t(int minute, int second, int frame)
{
    return StampTime{quint8(minute), quint8(second), quint8(frame)};
}

QList<KasRow> rowsAt(const QList<StampTime> &times)
{
    QList<KasRow> rows;
    for (const StampTime &time : times)
        rows.append(KasRow{time, QStringLiteral("La"), QByteArray()});
    return rows;
}

} // namespace

Q_DECLARE_METATYPE(stanzary::StampTime)
Q_DECLARE_METATYPE(stanzary::StampPart)

// The arithmetic of stamp times, which row follows playback, and the
// playback position between the player's reports (with an injected clock).
class tst_StampSteps : public QObject
{
    Q_OBJECT

private slots:
    // The picker's spinner, nudges and shifts all step through stepStamp.
    void stepCarriesAndStopsAtTheLimits_data()
    {
        QTest::addColumn<StampTime>("from");
        QTest::addColumn<StampPart>("part");
        QTest::addColumn<int>("steps");
        QTest::addColumn<StampTime>("expected");
        QTest::addColumn<bool>("stopped");
        using P = StampPart;
        QTest::newRow("a frame up carries into the minute") << t(0, 59, 8) << P::Frame << 1 << t(1, 0, 0) << false;
        QTest::newRow("a frame down borrows from the minute") << t(1, 0, 0) << P::Frame << -1 << t(0, 59, 8) << false;
        QTest::newRow("a second up carries, frames kept") << t(0, 59, 4) << P::Second << 1 << t(1, 0, 4) << false;
        QTest::newRow("a second down borrows") << t(1, 0, 4) << P::Second << -1 << t(0, 59, 4) << false;
        QTest::newRow("a minute") << t(5, 12, 6) << P::Minute << 1 << t(6, 12, 6) << false;
        QTest::newRow("frames stop at 00:00.0") << t(0, 0, 0) << P::Frame << -1 << t(0, 0, 0) << true;
        QTest::newRow("a second that does not fit is not taken") << t(0, 0, 4) << P::Second << -1 << t(0, 0, 4) << true;
        QTest::newRow("frames stop at 13:59.8") << t(13, 59, 8) << P::Frame << 1 << t(13, 59, 8) << true;
        QTest::newRow("seconds stay in the last second") << t(13, 59, 4) << P::Second << 1 << t(13, 59, 4) << true;
        QTest::newRow("minutes stay at 13") << t(13, 0, 0) << P::Minute << 1 << t(13, 0, 0) << true;
        QTest::newRow("minutes stay at 0") << t(0, 30, 0) << P::Minute << -1 << t(0, 30, 0) << true;
        QTest::newRow("many frames stop at the start") << t(0, 0, 6) << P::Frame << -5 << t(0, 0, 0) << true;
        QTest::newRow("many frames stop at the end") << t(13, 59, 0) << P::Frame << 10 << t(13, 59, 8) << true;
        QTest::newRow("many seconds take the whole ones that fit")
            << t(13, 57, 6) << P::Second << 3 << t(13, 59, 6) << true;
        QTest::newRow("five seconds of frames") << t(0, 10, 0) << P::Frame << 25 << t(0, 15, 0) << false;
        QTest::newRow("no step") << t(1, 2, 4) << P::Frame << 0 << t(1, 2, 4) << false;
        QTest::newRow("a stored time past 13:59.8 is taken as 13:59.8")
            << t(20, 0, 0) << P::Frame << -1 << t(13, 59, 6) << true;
    }
    void stepCarriesAndStopsAtTheLimits()
    {
        QFETCH(StampTime, from);
        QFETCH(StampPart, part);
        QFETCH(int, steps);
        QFETCH(StampTime, expected);
        QFETCH(bool, stopped);
        const SteppedStamp result = stepStamp(from, part, steps);
        QCOMPARE(stampText(result.time), stampText(expected));
        QCOMPARE(result.stopped, stopped);
    }

    // Every step of the editor's range maps to a time whose time code holds
    // the same count, and one frame step up from each is the next step.
    void stepsMatchTheTimeCode()
    {
        QCOMPARE(kLastStampStep, 4199);
        for (int step = 0; step <= kLastStampStep; ++step) {
            const StampTime time = stampAtStep(step);
            const QByteArray code = *TimeToCode(time);
            QCOMPARE((quint8(code.at(0)) - 64) * 64 + (quint8(code.at(1)) - 64), step);
            QCOMPARE(stampStep(time), step);
            if (step < kLastStampStep)
                QCOMPARE(stampStep(stepStamp(time, StampPart::Frame, 1).time), step + 1);
        }
        QCOMPARE(stampAtStep(-3), t(0, 0, 0));
        QCOMPARE(stampAtStep(300 * 300), t(255, 0, 0)); // the latest minute a file holds
        QCOMPARE(stampMilliseconds(t(13, 59, 8)), quint32(kLastStampMs));
    }

    void nearestStep_data()
    {
        QTest::addColumn<qint64>("ms");
        QTest::addColumn<qint64>("step");
        QTest::newRow("exact") << qint64(13400) << qint64(67);
        QTest::newRow("just below half") << qint64(13499) << qint64(67);
        QTest::newRow("half goes later") << qint64(13500) << qint64(68);
        QTest::newRow("zero") << qint64(0) << qint64(0);
        QTest::newRow("before the start, half") << qint64(-100) << qint64(0);
        QTest::newRow("before the start") << qint64(-101) << qint64(-1);
        QTest::newRow("past 13:59.8") << qint64(839900) << qint64(4200);
    }
    void nearestStep()
    {
        QFETCH(qint64, ms);
        QFETCH(qint64, step);
        QCOMPARE(stanzary::nearestStep(ms), step);
    }

    // Rows keep their order; the latest stamp at or before the position
    // follows, an out-of-order stamp lighting its row at its own time.
    void followsTheLatestStampAtOrBefore_data()
    {
        QTest::addColumn<QList<int>>("stampsMs");
        QTest::addColumn<QList<qint64>>("positions");
        QTest::addColumn<QList<int>>("rows");
        QTest::newRow("in order") << QList<int>{10000, 20000, 30000}
                                  << QList<qint64>{0, 9999, 10000, 19999, 20000, 600000}
                                  << QList<int>{-1, -1, 0, 0, 1, 2};
        QTest::newRow("out of order") << QList<int>{10000, 20000, 5000, 30000}
                                      << QList<qint64>{4999, 5000, 9999, 10000, 20000, 29999, 30000}
                                      << QList<int>{-1, 2, 2, 0, 1, 1, 3};
        QTest::newRow("equal stamps: the last of them")
            << QList<int>{10000, 10000, 20000} << QList<qint64>{10000, 19999} << QList<int>{1, 1};
        QTest::newRow("no rows") << QList<int>{} << QList<qint64>{0, 5000} << QList<int>{-1, -1};
    }
    void followsTheLatestStampAtOrBefore()
    {
        QFETCH(QList<int>, stampsMs);
        QFETCH(QList<qint64>, positions);
        QFETCH(QList<int>, rows);
        QList<StampTime> times;
        for (int ms : stampsMs)
            times.append(stampAtStep(ms / kStampStepMs));
        const StampFollower follower(rowsAt(times));
        QList<int> followed;
        for (qint64 position : positions)
            followed.append(follower.rowAt(position));
        QCOMPARE(followed, rows);
    }

    // Hundreds of rows, partly out of order, against the rule read literally.
    void followsManyRows()
    {
        QRandomGenerator rng(7);
        QList<StampTime> times;
        for (int i = 0; i < 600; ++i)
            times.append(stampAtStep(i % 9 == 4 ? int(rng.bounded(4200)) : i * 7));
        const QList<KasRow> rows = rowsAt(times);
        const StampFollower follower(rows);
        for (qint64 position = -200; position < 600 * 7 * kStampStepMs; position += 173) {
            int expected = -1;
            for (int i = 0; i < rows.size(); ++i) {
                const qint64 ms = stampMilliseconds(rows.at(i).time);
                if (ms <= position && (expected < 0 || ms >= stampMilliseconds(rows.at(expected).time)))
                    expected = i;
            }
            QCOMPARE(follower.rowAt(position), expected);
        }
    }

    // The position between reports: carried on by the time since the last
    // report at the playback rate while playing, never for more than
    // kMaxCarryMs, never past the end; held while paused.
    void clockCarriesThePositionBetweenReports()
    {
        qint64 now = 50000;
        PlaybackClock clock([&now] { return now; });
        clock.setDuration(60000);
        clock.reportPosition(1000);
        now += 300;
        QCOMPARE(clock.position(), 1000); // paused

        clock.setPlaying(true);
        now += 80;
        QCOMPARE(clock.position(), 1080);
        clock.reportPosition(1070); // the player's word wins
        QCOMPARE(clock.position(), 1070);
        now += 2000; // the player stalls
        QCOMPARE(clock.position(), 1070 + PlaybackClock::kMaxCarryMs);

        clock.reportPosition(2000);
        now += 100;
        clock.setRate(0.5);
        clock.setRate(0); // no rate: the last one stays
        now += 100;
        QCOMPARE(clock.position(), 2150);

        clock.setPlaying(false);
        now += 1000;
        QCOMPARE(clock.position(), 2150);

        clock.reportPosition(59900); // a seek near the end
        clock.setRate(1.0);
        clock.setPlaying(true);
        now += 400;
        QCOMPARE(clock.position(), 60000);
    }
};

QTEST_GUILESS_MAIN(tst_StampSteps)
#include "tst_stampsteps.moc"
