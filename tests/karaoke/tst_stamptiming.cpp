#include "karaoke/StampTiming.h"
#include "karaoke/TapDelay.h"

#include "FakeInstallation.h"

#include <QTemporaryDir>
#include <QtTest>

#include <functional>

using namespace stanzary;

namespace {

StampTime t(int minute, int second, int frame)
{
    return StampTime{quint8(minute), quint8(second), quint8(frame)};
}

// "00:13.4 We|00:20.0 an", the rows as the editor shows them.
QString shown(const clsKaraokeEdition &e)
{
    QStringList out;
    for (const KasRow &r : e.rows())
        out << stampText(r.time) + u' ' + r.Text;
    return out.join(u'|');
}

} // namespace

Q_DECLARE_METATYPE(stanzary::TapStatus)

// Tapping, nudging, replaying and shifting stamps, and the edits that make
// every change of the rows undoable.
class tst_StampTiming : public QObject
{
    Q_OBJECT

    QTemporaryDir m_tmp;

    // Three rows: 00:00.4 "We", 00:22.8 "an" (its time code spelt in a way
    // that is not the canonical one, which must survive undo), 13:59.0 "ev".
    QString m_kas;
    const QByteArray m_kasBytes =
        QByteArrayLiteral("@BWe") + QByteArray("\x40\xB2", 2) + "an" + "\x81\x63" + "ev;x\r\n";

    clsKaraokeEdition loaded()
    {
        clsKaraokeEdition e;
        if (!e.LoadKasFile(m_kas).ok())
            qFatal("the test's timestamp file does not load");
        return e;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_tmp.isValid());
        m_kas = test::FakeInstallation(m_tmp.path()).addKas(QStringLiteral("Amber - Boats.txt"), m_kasBytes);
        QCOMPARE(shown(loaded()), QStringLiteral("00:00.4 We|00:22.8 an|13:59.0 ev"));
    }

    void tapStoresThePositionLessTheDelay_data()
    {
        QTest::addColumn<qint64>("position");
        QTest::addColumn<int>("delay");
        QTest::addColumn<TapStatus>("status");
        QTest::addColumn<QString>("time");
        QTest::newRow("on a step") << qint64(13400) << 0 << TapStatus::Set << QStringLiteral("00:13.4");
        QTest::newRow("rounded down") << qint64(13499) << 0 << TapStatus::Set << QStringLiteral("00:13.4");
        QTest::newRow("half a step rounds up") << qint64(13500) << 0 << TapStatus::Set << QStringLiteral("00:13.6");
        QTest::newRow("less the delay") << qint64(13780) << 250 << TapStatus::Set << QStringLiteral("00:13.6");
        QTest::newRow("a negative delay (tapping early)")
            << qint64(13000) << -200 << TapStatus::Set << QStringLiteral("00:13.2");
        QTest::newRow("at the start") << qint64(300) << 250 << TapStatus::Set << QStringLiteral("00:00.0");
        QTest::newRow("before the start")
            << qint64(100) << 250 << TapStatus::RaisedToStart << QStringLiteral("00:00.0");
        QTest::newRow("the last stamp") << qint64(839899) << 0 << TapStatus::Set << QStringLiteral("13:59.8");
        QTest::newRow("past the last stamp") << qint64(839900) << 0 << TapStatus::PastLastStamp << QString();
        QTest::newRow("a long song, the delay bringing it back")
            << qint64(840400) << 1000 << TapStatus::Set << QStringLiteral("13:59.4");
    }
    void tapStoresThePositionLessTheDelay()
    {
        QFETCH(qint64, position);
        QFETCH(int, delay);
        QFETCH(TapStatus, status);
        QFETCH(QString, time);
        const TappedTime tapped = tapTime(position, delay);
        QCOMPARE(tapped.status, status);
        if (status != TapStatus::PastLastStamp)
            QCOMPARE(stampText(tapped.time), time);
    }

    // A tap sets the current row and makes the next one current; on the last
    // row it adds an empty row below. Past 13:59.8 nothing changes.
    void tapMovesOnAndAddsARowAtTheEnd()
    {
        clsKaraokeEdition e = loaded();
        TapResult tap = tapRow(e, 0, 5000, 0);
        QVERIFY(!tap.addedRow);
        QCOMPARE(tap.nextRow, 1);
        QVERIFY(applyEdit(e, tap.edit));
        QCOMPARE(shown(e), QStringLiteral("00:05.0 We|00:22.8 an|13:59.0 ev"));

        tap = tapRow(e, 2, 61000, 0);
        QVERIFY(tap.addedRow);
        QCOMPARE(tap.nextRow, 3);
        QCOMPARE(tap.edit.currentAfter, 3);
        QVERIFY(applyEdit(e, tap.edit));
        QCOMPARE(shown(e), QStringLiteral("00:05.0 We|00:22.8 an|01:01.0 ev|00:00.0 "));

        tap = tapRow(e, 1, 900000, 0);
        QCOMPARE(tap.status, TapStatus::PastLastStamp);
        QCOMPARE(tap.nextRow, 1);
        QVERIFY(tap.edit.isEmpty());
    }

    void nudgeMovesOneStepAndStops()
    {
        clsKaraokeEdition e = loaded();
        NudgeResult nudge = nudgeRow(e, 1, -1);
        QVERIFY(applyEdit(e, nudge.edit));
        nudge = nudgeRow(e, 2, 1);
        QVERIFY(applyEdit(e, nudge.edit));
        QCOMPARE(shown(e), QStringLiteral("00:00.4 We|00:22.6 an|13:59.2 ev"));
        QVERIFY(!nudge.stopped);

        QVERIFY(applyEdit(e, nudgeRow(e, 0, -2).edit));
        nudge = nudgeRow(e, 0, -1);
        QVERIFY(nudge.stopped);
        QVERIFY(nudge.edit.isEmpty());
        QCOMPARE(stampText(e.row(0).time), QStringLiteral("00:00.0"));
    }

    // Taps against a click at 1000 ms and every 600 ms after: each against
    // the nearest click, the first two and those before the first click
    // passed over; too few taps give nothing.
    void tapDelayIsTheMeanLagBehindTheClicks_data()
    {
        QTest::addColumn<QList<qint64>>("taps");
        QTest::addColumn<int>("delay"); // -1: nothing measured
        QTest::newRow("steady lag") << QList<qint64>{1500, 1700, 2320, 2920, 3520, 4120} << 120;
        QTest::newRow("uneven, early taps too")
            << QList<qint64>{1100, 1700, 2350, 2900, 3200, 4080} << 33; // lags 150, 100, -200, 80
        QTest::newRow("before the first click") << QList<qint64>{200, 300, 1100, 1700, 2300, 2900, 3500, 4100} << 100;
        QTest::newRow("early on average is no delay") << QList<qint64>{1000, 1600, 2150, 2750, 3350, 3950} << 0;
        QTest::newRow("too few") << QList<qint64>{1100, 1700, 2300, 2900, 3500} << -1;
    }
    void tapDelayIsTheMeanLagBehindTheClicks()
    {
        QFETCH(QList<qint64>, taps);
        QFETCH(int, delay);
        const auto measured = measureTapDelay(taps, 1000, 600);
        QCOMPARE(measured ? measured->delayMs : -1, delay);
    }

    void replayStartsTwoSecondsBefore_data()
    {
        QTest::addColumn<StampTime>("stamp");
        QTest::addColumn<qint64>("position");
        QTest::newRow("inside the song") << t(0, 13, 4) << qint64(11400);
        QTest::newRow("near the start") << t(0, 1, 2) << qint64(0);
        QTest::newRow("two seconds in") << t(0, 2, 0) << qint64(0);
        QTest::newRow("past the editor's range") << t(20, 0, 0) << qint64(1198000);
    }
    void replayStartsTwoSecondsBefore()
    {
        QFETCH(StampTime, stamp);
        QFETCH(qint64, position);
        QCOMPARE(replayPosition(stamp), position);
    }

    void shiftMovesStampsAndCountsTheStopped_data()
    {
        QTest::addColumn<int>("first");
        QTest::addColumn<int>("tenths");
        QTest::addColumn<QString>("rows");
        QTest::addColumn<int>("shifted");
        QTest::addColumn<int>("stopped");
        QTest::newRow("all, earlier") << 0 << -6 << QStringLiteral("00:00.0 We|00:22.2 an|13:58.4 ev") << 2 << 1;
        QTest::newRow("the current and after, later")
            << 1 << 10 << QStringLiteral("00:00.4 We|00:23.8 an|13:59.8 ev") << 1 << 1;
        QTest::newRow("an odd number of tenths is no step")
            << 0 << 3 << QStringLiteral("00:00.4 We|00:22.8 an|13:59.0 ev") << 0 << 0;
    }
    void shiftMovesStampsAndCountsTheStopped()
    {
        QFETCH(int, first);
        QFETCH(int, tenths);
        QFETCH(QString, rows);
        QFETCH(int, shifted);
        QFETCH(int, stopped);
        clsKaraokeEdition e = loaded();
        const ShiftResult shift = shiftRows(e, first, tenths);
        QCOMPARE(shift.status, tenths % 2 ? ShiftStatus::NotAStep : ShiftStatus::Done);
        QCOMPARE(shift.edit.isEmpty(), shifted + stopped == 0);
        if (!shift.edit.isEmpty())
            QVERIFY(applyEdit(e, shift.edit));
        QCOMPARE(shown(e), rows);
        QCOMPARE(shift.shifted, shifted);
        QCOMPARE(shift.stopped, stopped);
    }

    // Every kind of change: applied it shows, reverted the file saves back
    // byte for byte (time codes as loaded included), applied again it shows.
    void everyChangeUndoesAndRedoes_data()
    {
        using Build = std::function<RowsEdit(const clsKaraokeEdition &)>;
        QTest::addColumn<Build>("build");
        QTest::addColumn<QString>("rows");
        QTest::addColumn<int>("currentAfter");
        QTest::newRow("typed time") << Build([](const auto &e) { return typeTimeEdit(e, 1, t(0, 12, 2)); })
                                    << QStringLiteral("00:00.4 We|00:12.2 an|13:59.0 ev") << 1;
        QTest::newRow("typed text") << Build([](const auto &e) { return typeTextEdit(e, 1, QStringLiteral("Ab")); })
                                    << QStringLiteral("00:00.4 We|00:22.8 Ab|13:59.0 ev") << 1;
        QTest::newRow("tap") << Build([](const auto &e) { return tapRow(e, 1, 15000, 0).edit; })
                             << QStringLiteral("00:00.4 We|00:15.0 an|13:59.0 ev") << 2;
        QTest::newRow("nudge") << Build([](const auto &e) { return nudgeRow(e, 1, 1).edit; })
                               << QStringLiteral("00:00.4 We|00:23.0 an|13:59.0 ev") << 1;
        QTest::newRow("shift") << Build([](const auto &e) { return shiftRows(e, 0, 4).edit; })
                               << QStringLiteral("00:00.8 We|00:23.2 an|13:59.4 ev") << 0;
        QTest::newRow("add") << Build([](const auto &e) { return addEdit(e, 0); })
                             << QStringLiteral("00:00.4 We|00:00.0 |00:22.8 an|13:59.0 ev") << 0;
        QTest::newRow("add beyond the last row") << Build([](const auto &e) { return addEdit(e, 7); })
                                                 << QStringLiteral("00:00.4 We|00:22.8 an|13:59.0 ev|00:00.0 ") << 2;
        QTest::newRow("del") << Build([](const auto &e) { return delEdit(e, 1); })
                             << QStringLiteral("00:00.4 We|13:59.0 ev") << 1;
        QTest::newRow("del of the last row")
            << Build([](const auto &e) { return delEdit(e, 2); }) << QStringLiteral("00:00.4 We|00:22.8 an") << 1;
        QTest::newRow("import") << Build([](const auto &e) {
            return replaceAllEdit(e, {KasRow{t(0, 1, 0), QStringLiteral("Xy"), QByteArray()}}, 2);
        }) << QStringLiteral("00:01.0 Xy")
                                << 0;
    }
    void everyChangeUndoesAndRedoes()
    {
        QFETCH(std::function<RowsEdit(const clsKaraokeEdition &)>, build);
        QFETCH(QString, rows);
        QFETCH(int, currentAfter);
        clsKaraokeEdition e = loaded();
        const QString before = shown(e);
        const RowsEdit edit = build(e);
        QCOMPARE(shown(e), before); // building changes nothing
        QVERIFY(!edit.isEmpty());
        QVERIFY(!edit.text().isEmpty());
        QCOMPARE(edit.currentAfter, currentAfter);

        QVERIFY(applyEdit(e, edit));
        QCOMPARE(shown(e), rows);
        QVERIFY(revertEdit(e, edit));
        QVERIFY(e.SaveKasFile(m_kas).ok());
        QCOMPARE(test::readAll(m_kas), m_kasBytes);
        QVERIFY(applyEdit(e, edit));
        QCOMPARE(shown(e), rows);
    }

    // An edit applied to rows it was not built from, or undone when it is not
    // the last change, is refused and changes nothing.
    void editsRefuseRowsTheyWereNotBuiltFrom()
    {
        clsKaraokeEdition e = loaded();
        const RowsEdit nudge = nudgeRow(e, 1, 1).edit;
        QVERIFY(applyEdit(e, typeTextEdit(e, 1, QStringLiteral("Zz"))));
        const QString changed = shown(e);
        QVERIFY(!applyEdit(e, nudge));
        QVERIFY(!revertEdit(e, nudge));
        QCOMPARE(shown(e), changed);
    }

    // Del refuses row 0 and the only row; nothing refused ends up as a change.
    void refusedChangesGiveEmptyEdits()
    {
        clsKaraokeEdition e = loaded();
        QVERIFY(delEdit(e, 0).isEmpty());
        QVERIFY(typeTimeEdit(e, 1, t(0, 22, 8)).isEmpty()); // the same time
        QVERIFY(typeTimeEdit(e, 1, t(0, 10, 3)).isEmpty()); // an odd frame has no code
        QVERIFY(typeTextEdit(e, 1, QStringLiteral("abc")).isEmpty());
        QVERIFY(typeTimeEdit(e, 3, t(0, 1, 0)).isEmpty());
        QVERIFY(replaceAllEdit(e, {}, 0).isEmpty());
        clsKaraokeEdition single;
        QVERIFY(delEdit(single, 1).isEmpty());
    }

    // Typing into one row is one undo step; a tap or another row is not
    // joined to it.
    void typingInOneRowMergesIntoOneStep()
    {
        clsKaraokeEdition e = loaded();
        RowsEdit typed = typeTimeEdit(e, 1, t(0, 10, 2));
        QVERIFY(applyEdit(e, typed));
        RowsEdit more = typeTimeEdit(e, 1, t(0, 10, 4));
        QVERIFY(applyEdit(e, more));
        QVERIFY(mergeEdits(typed, more));
        const RowsEdit otherRow = typeTimeEdit(e, 2, t(0, 20, 0));
        QVERIFY(!mergeEdits(typed, otherRow));
        RowsEdit tap = tapRow(e, 1, 30000, 0).edit;
        QVERIFY(!mergeEdits(typed, tap));
        // Taps and nudges stay one step each, even on the same row.
        RowsEdit nudge = nudgeRow(e, 1, 1).edit;
        QVERIFY(applyEdit(e, nudge));
        QVERIFY(!mergeEdits(nudge, nudgeRow(e, 1, 1).edit));
        QVERIFY(revertEdit(e, nudge));
        QVERIFY(applyEdit(e, tap));
        QVERIFY(!mergeEdits(tap, tapRow(e, 1, 31000, 0).edit));
        QVERIFY(revertEdit(e, tap));

        QCOMPARE(shown(e), QStringLiteral("00:00.4 We|00:10.4 an|13:59.0 ev"));
        QVERIFY(revertEdit(e, typed));
        QCOMPARE(shown(e), QStringLiteral("00:00.4 We|00:22.8 an|13:59.0 ev"));
    }
};

QTEST_GUILESS_MAIN(tst_StampTiming)
#include "tst_stamptiming.moc"
