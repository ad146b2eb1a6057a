#include "karaoke/StampSteps.h"
#include "ui/WaveformStrip.h"

#include <QAccessible>
#include <QShortcut>
#include <QtTest>

using namespace stanzary;

namespace {

KasRow row(int seconds, const char *text)
{
    return KasRow{stampAtStep(seconds * 5), QString::fromLatin1(text), {}};
}

} // namespace

// The waveform strip as a user meets it: marks dragged with the mouse land
// on the step and stop at their neighbours, clicks seek, every action has a
// key, and a screen reader hears where the playhead and the stamp are.
//
// The strip is 1000 pixels wide with its 10 s window, so 10 ms a pixel; the
// playhead at 00:23.3 is a third of the way in, so x is (ms - 20000) / 10.
class tst_WaveformStrip : public QObject
{
    Q_OBJECT

    QWidget m_window;
    WaveformStrip *m_strip = nullptr;
    QStringList m_log; // what the strip asked for

    static int xAt(qint64 ms) { return int((ms - 20000) / 10); }
    int middle() const { return m_strip->height() / 2; }

private slots:
    void initTestCase()
    {
        m_strip = new WaveformStrip(&m_window);
        m_strip->setGeometry(0, 0, 1000, 130);
        m_window.resize(1000, 130);
        connect(m_strip, &WaveformStrip::seekRequested, this,
                [this](qint64 ms) { m_log << QStringLiteral("seek %1").arg(ms); });
        connect(m_strip, &WaveformStrip::markMoved, this, [this](const RowsEdit &e) {
            m_log << QStringLiteral("move %1 %2").arg(e.at).arg(stampText(e.after.first().time));
        });
        connect(m_strip, &WaveformStrip::rowActivated, this,
                [this](int r) { m_log << QStringLiteral("row %1").arg(r); });
        connect(m_strip, &WaveformStrip::replayRequested, this,
                [this](qint64 ms) { m_log << QStringLiteral("replay %1").arg(ms); });
        connect(m_strip, &WaveformStrip::sortRequested, this, [this](const RowsEdit &e) {
            QStringList rows;
            for (const KasRow &r : e.after)
                rows << r.Text;
            m_log << QStringLiteral("sort %1").arg(rows.join(u','));
        });
        auto *shortcut = new QShortcut(QKeySequence(QStringLiteral("Ctrl+Right")), &m_window);
        connect(shortcut, &QShortcut::activated, this, [this] { m_log << QStringLiteral("window's Ctrl+Right"); });
        auto *space = new QShortcut(QKeySequence(QStringLiteral("Space")), &m_window);
        connect(space, &QShortcut::activated, this, [this] { m_log << QStringLiteral("window's Space"); });
        m_window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&m_window));
    }

    void init()
    {
        m_strip->setDuration(60000);
        m_strip->setWindowMs(WaveformStrip::kDefaultWindowMs);
        m_strip->setStamps({row(22, "aa"), row(25, "bb"), row(28, "cc")}, 1);
        m_strip->setPosition(23333);
        m_strip->setFocus();
        m_log.clear();
    }

    void dragLandsOnTheStepWithinNeighbours_data()
    {
        QTest::addColumn<QPoint>("from");
        QTest::addColumn<int>("toX");
        QTest::addColumn<QString>("log");
        const QPoint line(xAt(25000), 0);
        QTest::newRow("nearest step") << line << xAt(25340) << "move 1 00:25.4";
        QTest::newRow("half a step rounds up") << line << xAt(26500) << "move 1 00:26.6";
        QTest::newRow("stops at the next stamp") << line << xAt(29000) << "move 1 00:28.0";
        QTest::newRow("stops at the previous stamp") << line << xAt(21000) << "move 1 00:22.0";
        QTest::newRow("grabbed by its label") << QPoint(xAt(25000) + 6, 8) << xAt(26060) << "move 1 00:26.0";
        QTest::newRow("another row's mark") << QPoint(xAt(28000), 0) << xAt(31000) << "move 2 00:31.0";
        QTest::newRow("let go where it was") << line << xAt(25000) << "";
    }
    void dragLandsOnTheStepWithinNeighbours()
    {
        QFETCH(QPoint, from);
        QFETCH(int, toX);
        QFETCH(QString, log);
        if (from.y() == 0)
            from.setY(middle());
        QTest::mousePress(m_strip, Qt::LeftButton, {}, from);
        for (int step = 1; step <= 4; ++step) // several moves, one edit
            QTest::mouseMove(m_strip, QPoint(from.x() + (toX - from.x()) * step / 4, from.y()));
        QCOMPARE(m_log, QStringList());
        QTest::mouseRelease(m_strip, Qt::LeftButton, {}, QPoint(toX, from.y()));
        QCOMPARE(m_log.join(u'|'), log);
    }

    void clickSeeksAndDoubleClickReplays()
    {
        QTest::mouseClick(m_strip, Qt::LeftButton, {}, QPoint(xAt(27000), middle()));
        QTest::mouseDClick(m_strip, Qt::LeftButton, {}, QPoint(xAt(28000), middle()));
        QCOMPARE(m_log.join(u'|'), QStringLiteral("seek 27000|row 2|replay 26000"));
    }

    void keysAct_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<QString>("log");
        const int none = Qt::NoModifier;
        const int ctrl = Qt::ControlModifier;
        QTest::newRow("Right seeks on") << int(Qt::Key_Right) << none << "seek 24333";
        QTest::newRow("Left seeks back") << int(Qt::Key_Left) << none << "seek 22333";
        QTest::newRow("Page Down, a window on") << int(Qt::Key_PageDown) << none << "seek 33333";
        QTest::newRow("Home") << int(Qt::Key_Home) << none << "seek 0";
        QTest::newRow("End") << int(Qt::Key_End) << none << "seek 60000";
        QTest::newRow("Ctrl+Right moves the stamp, not the window's shortcut")
            << int(Qt::Key_Right) << ctrl << "move 1 00:25.2";
        QTest::newRow("Ctrl+Left") << int(Qt::Key_Left) << ctrl << "move 1 00:24.8";
        QTest::newRow("Down: the next row") << int(Qt::Key_Down) << none << "row 2";
        QTest::newRow("Up: the row before") << int(Qt::Key_Up) << none << "row 0";
        QTest::newRow("Enter replays 2 s before the stamp") << int(Qt::Key_Return) << none << "replay 23000";
        QTest::newRow("S with the stamps in order") << int(Qt::Key_S) << none << "";
        QTest::newRow("Space is the window's") << int(Qt::Key_Space) << none << "window's Space";
    }
    void keysAct()
    {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(QString, log);
        QTest::keyClick(m_strip, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        QCOMPARE(m_log.join(u'|'), log);
    }

    void moveByKeyStopsAtTheNeighbour()
    {
        m_strip->setStamps({row(22, "aa"), KasRow{stampAtStep(124), QStringLiteral("bb"), {}}, row(25, "cc")}, 1);
        QTest::keyClick(m_strip, Qt::Key_Right, Qt::ControlModifier);
        m_strip->setStamps({row(22, "aa"), row(25, "bb"), row(25, "cc")}, 1);
        QTest::keyClick(m_strip, Qt::Key_Right, Qt::ControlModifier);
        QCOMPARE(m_log.join(u'|'), QStringLiteral("move 1 00:25.0"));
    }

    void zoomStaysBetweenFiveSecondsAndTheSong()
    {
        QTest::keyClick(m_strip, Qt::Key_Plus, Qt::ControlModifier);
        QCOMPARE(m_strip->windowMs(), 8000);
        QTest::keyClick(m_strip, Qt::Key_Minus, Qt::ControlModifier);
        QCOMPARE(m_strip->windowMs(), 10000);
        const QPointF at(500, middle());
        QWheelEvent in(at, m_strip->mapToGlobal(at), {}, QPoint(0, 120 * 10), Qt::NoButton, Qt::ControlModifier,
                       Qt::NoScrollPhase, false);
        QApplication::sendEvent(m_strip, &in);
        QCOMPARE(m_strip->windowMs(), WaveformStrip::kNarrowestWindowMs);
        QWheelEvent out(at, m_strip->mapToGlobal(at), {}, QPoint(0, -120 * 20), Qt::NoButton, Qt::ControlModifier,
                        Qt::NoScrollPhase, false);
        QApplication::sendEvent(m_strip, &out);
        QCOMPARE(m_strip->windowMs(), 60000);
    }

    // Out of order: the screen reader hears how many, S sorts them.
    void outOfOrderStampsAreToldAndSorted()
    {
        m_strip->setStamps({row(22, "aa"), row(25, "bb"), row(12, "cc"), row(28, "dd")}, 1);
        QAccessibleInterface *strip = QAccessible::queryAccessibleInterface(m_strip);
        QCOMPARE(strip->text(QAccessible::Name), QStringLiteral("Waveform"));
        QCOMPARE(strip->text(QAccessible::Description),
                 QStringLiteral("Playhead 00:23.3. Stamp 2: 00:25.0 bb. 1 stamp out of order; S sorts the stamps."));
        QTest::keyClick(m_strip, Qt::Key_S);
        QCOMPARE(m_log.join(u'|'), QStringLiteral("sort cc,aa,bb"));

        m_strip->setStamps({row(22, "aa"), row(25, "bb")}, 0);
        m_strip->setPosition(61234);
        QCOMPARE(strip->text(QAccessible::Description), QStringLiteral("Playhead 01:01.2. Stamp 1: 00:22.0 aa."));
    }
};

QTEST_MAIN(tst_WaveformStrip)
#include "tst_waveformstrip.moc"
