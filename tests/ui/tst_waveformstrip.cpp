#include "karaoke/StampSteps.h"
#include "ui/WaveformStrip.h"

#include <QAccessible>
#include <QMenu>
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
        QTest::newRow("the first row's mark") << QPoint(xAt(22000), 0) << xAt(20000) << "move 0 00:20.0";
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

    // New rows during a drag (the current row changed) keep it going; rows
    // without the dragged stamp end it.
    void aDragOutlivesNewRowsButNotItsStamp()
    {
        for (const int gone : {-1, 2}) {
            const int from = xAt(gone < 0 ? 25000 : 28000);
            QTest::mousePress(m_strip, Qt::LeftButton, {}, QPoint(from, middle()));
            QTest::mouseMove(m_strip, QPoint(from + 50, middle()));
            if (gone < 0)
                m_strip->setStamps({row(22, "aa"), row(25, "bb"), row(28, "cc")}, 2);
            else
                m_strip->setStamps({row(22, "aa"), row(25, "bb"), KasRow{StampTime{}, QStringLiteral("cc"), {}}}, 1);
            QTest::mouseRelease(m_strip, Qt::LeftButton, {}, QPoint(from + 100, middle()));
        }
        QCOMPARE(m_log.join(u'|'), QStringLiteral("move 1 00:26.0"));
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

    // The menu key opens the strip's commands, those that would do nothing off.
    void theMenuOffersTheCommands_data()
    {
        QTest::addColumn<qint64>("windowMs");
        QTest::addColumn<bool>("outOfOrder");
        QTest::addColumn<int>("current");
        QTest::addColumn<QString>("menu");
        QTest::newRow("in order") << qint64(10000) << false << 1
                                  << "&Replay Stamp\tEnter|-&Sort Stamps\tS|Zoom &In\tCtrl++|Zoom &Out\tCtrl+-";
        QTest::newRow("out of order, narrowest") << qint64(5000) << true << 1
                                                 << "&Replay Stamp\tEnter|&Sort Stamps\tS|-Zoom &In\tCtrl++|Zoom "
                                                    "&Out\tCtrl+-";
        QTest::newRow("the whole song, the first row current")
            << qint64(60000) << false << 0
            << "&Replay Stamp\tEnter|-&Sort Stamps\tS|Zoom &In\tCtrl++|-Zoom "
               "&Out\tCtrl+-";
    }
    void theMenuOffersTheCommands()
    {
        QFETCH(qint64, windowMs);
        QFETCH(bool, outOfOrder);
        QFETCH(int, current);
        QFETCH(QString, menu);
        m_strip->setWindowMs(windowMs);
        m_strip->setStamps({row(22, "aa"), row(25, "bb"), row(outOfOrder ? 12 : 28, "cc")}, current);
        m_strip->setPosition(1000); // near the left: the menu fits the screen beside the playhead
        QStringList shown;          // "-" before a command that is off
        QTimer::singleShot(0, this, [&] {
            auto *popup = qobject_cast<QMenu *>(QApplication::activePopupWidget());
            QVERIFY(popup);
            const auto closing = qScopeGuard([popup] { popup->close(); });
            for (const QAction *action : popup->actions()) {
                if (!action->isSeparator())
                    shown << (action->isEnabled() ? QString() : QStringLiteral("-")) + action->text();
            }
            // Opened by the keyboard: at the playhead.
            QCOMPARE(popup->x(), m_strip->mapToGlobal(QPoint(int(m_strip->xOf(m_strip->position())), 0)).x());
        });
        QContextMenuEvent event(QContextMenuEvent::Keyboard, QPoint(), m_strip->mapToGlobal(QPoint()));
        QApplication::sendEvent(m_strip, &event);
        QCOMPARE(shown.join(u'|'), menu);
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
        m_strip->setDuration(30000); // a shorter song
        QCOMPARE(m_strip->windowMs(), 30000);
        m_strip->setDuration(0); // no song known: half a window past the last stamp
        QCOMPARE(m_strip->songMs(), 33000);
    }

    // What the strip draws, in its palette's colours: the current mark in
    // the highlight colour, the others grey with their labels in the upper
    // lane, or the lower when the upper is taken; marks out of order in an
    // orange-red; the playhead; a message over the middle of the wave.
    void thePictureShowsTheMarks_data()
    {
        QTest::addColumn<QList<int>>("stampSteps"); // row i's stamp in 0.2 s steps; none: as init() sets them
        QTest::addColumn<QString>("scene");
        QTest::addColumn<int>("fromX");
        QTest::addColumn<int>("toX");
        QTest::addColumn<int>("band"); // 0, 1: the upper and lower label lanes; 2: the wave's top; 3: its middle
        QTest::addColumn<QString>("colour");
        QTest::addColumn<bool>("shown");
        const QList<int> asSet;
        QTest::newRow("the current mark") << asSet << "" << 499 << 502 << 2 << "highlight" << true;
        QTest::newRow("another mark") << asSet << "" << 199 << 201 << 2 << "grey" << true;
        QTest::newRow("its label, not as the current's") << asSet << "" << 201 << 220 << 0 << "highlight" << false;
        QTest::newRow("its label, not as out of order") << asSet << "" << 201 << 220 << 0 << "warning" << false;
        QTest::newRow("the playhead") << asSet << "" << 331 << 336 << 2 << "windowText" << true;
        QTest::newRow("no wave beside the labels") << asSet << "" << 900 << 950 << 1 << "base" << false;
        QTest::newRow("a mark out of order")
            << QList<int>{110, 125, 120, 140} << "" << 398 << 402 << 2 << "warning" << true;
        QTest::newRow("a mark out of order on a dark base")
            << QList<int>{110, 125, 120, 140} << "dark" << 398 << 402 << 2 << "warning" << true;
        QTest::newRow("its label too") << QList<int>{110, 125, 120, 140} << "" << 402 << 420 << 0 << "warning" << true;
        QTest::newRow("a near label in the lower lane")
            << QList<int>{110, 111, 140} << "" << 222 << 234 << 1 << "text" << true;
        QTest::newRow("the song's sound") << asSet << "wave" << 600 << 700 << 2 << "wave" << true;
        QTest::newRow("a message over the wave") << asSet << "message" << 470 << 530 << 3 << "text" << true;
        QTest::newRow("its box edged in grey, not as the playhead")
            << asSet << "message" << 380 << 470 << 3 << "windowText" << false;
        QTest::newRow("the time it would land at, by it") << asSet << "drag" << 606 << 640 << 2 << "bubble" << true;
        QTest::newRow("a dragged mark where it would land")
            << asSet << "drag" << 599 << 602 << 2 << "highlight" << true;
        QTest::newRow("labels in a new palette's colours") << asSet << "palette" << 201 << 220 << 0 << "blue" << true;
    }
    void thePictureShowsTheMarks()
    {
        QFETCH(QList<int>, stampSteps);
        QFETCH(QString, scene);
        QFETCH(int, fromX);
        QFETCH(int, toX);
        QFETCH(int, band);
        QFETCH(QString, colour);
        QFETCH(bool, shown);
        const QHash<QString, QColor> colours{{QStringLiteral("base"), Qt::white},
                                             {QStringLiteral("text"), Qt::black},
                                             {QStringLiteral("windowText"), QColor(0, 100, 0)},
                                             {QStringLiteral("highlight"), Qt::blue},
                                             {QStringLiteral("blue"), QColor(0, 0, 160)},
                                             {QStringLiteral("bubble"), QColor(255, 255, 160)}};
        QPalette palette;
        palette.setColor(QPalette::Window, QColor(220, 220, 220));
        palette.setColor(QPalette::WindowText, colours[QStringLiteral("windowText")]);
        palette.setColor(QPalette::Base, Qt::white);
        palette.setColor(QPalette::Text, Qt::black);
        palette.setColor(QPalette::Highlight, Qt::blue);
        palette.setColor(QPalette::HighlightedText, Qt::white);
        palette.setColor(QPalette::ToolTipBase, colours[QStringLiteral("bubble")]);
        if (scene == u"dark")
            palette.setColor(QPalette::Base, QColor(30, 30, 30));
        m_strip->setPalette(palette);
        if (!stampSteps.isEmpty()) {
            QList<KasRow> rows;
            for (const int step : stampSteps)
                rows << KasRow{stampAtStep(step), QStringLiteral("%1%1").arg(QChar(u'a' + int(rows.size()))), {}};
            m_strip->setStamps(rows, int(rows.size()) - 1);
        }
        if (scene == u"wave")
            m_strip->setEnvelope(SoundEnvelope{QByteArray(6000, char(200)), 60000});
        if (scene == u"message")
            m_strip->setMessage(QStringLiteral("No waveform"));
        if (scene == u"drag") {
            QTest::mousePress(m_strip, Qt::LeftButton, {}, QPoint(xAt(25000), middle()));
            QTest::mouseMove(m_strip, QPoint(xAt(25500), middle()));
            QTest::mouseMove(m_strip, QPoint(xAt(26000), middle()));
        }
        if (scene == u"palette") {
            m_strip->grab();
            palette.setColor(QPalette::Text, colours[QStringLiteral("blue")]);
            m_strip->setPalette(palette);
        }
        const QImage picture = m_strip->grab().toImage().scaled(m_strip->size()); // one pixel a point
        if (scene == u"drag") {
            QTest::keyClick(m_strip, Qt::Key_Escape);
            QTest::mouseRelease(m_strip, Qt::LeftButton, {}, QPoint(xAt(26000), middle()));
        }
        m_strip->setPalette(QPalette());
        m_strip->setMessage(QString());
        m_strip->setEnvelope(SoundEnvelope());

        // The label lanes are a line of text high each; the wave lies below
        // them, above a third lane for the ruler.
        const int lane = m_strip->fontMetrics().height() + 4;
        const int middle = (2 * lane + m_strip->height() - lane) / 2;
        const int top = band < 2 ? band * lane + 3 : band == 2 ? 2 * lane + 3 : middle - 3;
        const int bottom = band < 2 ? band * lane + lane - 3 : band == 2 ? 2 * lane + lane / 2 : middle + 3;
        const auto looks = [&](const QColor &c) {
            if (colour == u"grey")
                return c.red() == c.green() && c.green() == c.blue() && c.red() > 40 && c.red() < 215;
            if (colour == u"warning")
                return c.red() > c.green() + 80 && c.red() > c.blue() + 80;
            if (colour == u"wave") // the highlight colour paled
                return c.blue() == 255 && c.red() == c.green() && c.red() > 60 && c.red() < 160;
            return c == colours.value(colour);
        };
        bool found = false;
        for (int y = top; y <= bottom; ++y) {
            for (int x = fromX; x <= toX; ++x)
                found = found || looks(picture.pixelColor(x, y));
        }
        QCOMPARE(found, shown);
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
        m_strip->setPosition(59950);
        QCOMPARE(strip->text(QAccessible::Description), QStringLiteral("Playhead 00:59.9. Stamp 1: 00:22.0 aa."));
    }
};

QTEST_MAIN(tst_WaveformStrip)
#include "tst_waveformstrip.moc"
