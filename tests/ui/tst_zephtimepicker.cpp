#include "ui/ZephTimePicker.h"

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <QtTest>

#include <memory>

using namespace stanzary;
using Part = ZephTimePicker::Part;

namespace {

QString t(const char *text)
{
    return QString::fromUtf8(text);
}

// "mm:ss.t" into the picker through its setters.
void setTime(ZephTimePicker &picker, const QString &time)
{
    picker.setMinute(time.left(2).toInt());
    picker.setSecond(time.mid(3, 2).toInt());
    picker.setFrame(time.mid(6, 1).toInt());
}

QString timeOf(const ZephTimePicker &picker)
{
    return picker.stampText().left(7);
}

// Each key goes where the keyboard focus is at that moment, as a user's would.
void press(const QList<int> &keys)
{
    for (int key : keys)
        QTest::keyClick(QApplication::focusWidget(), Qt::Key(key));
}

} // namespace

class tst_ZephTimePicker : public QObject
{
    Q_OBJECT

    // A window with the picker between two other tab stops.
    std::unique_ptr<QWidget> m_window;
    QLineEdit *m_before = nullptr;
    ZephTimePicker *m_picker = nullptr;
    QLineEdit *m_after = nullptr;

    QLineEdit *textField() const { return m_picker->findChild<QLineEdit *>(QStringLiteral("txtLyrics")); }
    QWidget *spinner() const { return m_picker->findChild<QWidget *>(QStringLiteral("myScroll")); }
    QWidget *field(Part part) const { return m_picker->partWidget(part); }
    bool lit(Part part) const
    {
        return field(part)->palette().color(QPalette::Window) == m_picker->palette().color(QPalette::Highlight);
    }

private slots:
    void init()
    {
        m_window = std::make_unique<QWidget>();
        auto *layout = new QVBoxLayout(m_window.get());
        m_before = new QLineEdit(m_window.get());
        m_picker = new ZephTimePicker(m_window.get());
        m_after = new QLineEdit(m_window.get());
        layout->addWidget(m_before);
        layout->addWidget(m_picker);
        layout->addWidget(m_after);
        m_window->show();
        QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
        m_before->setFocus();
    }

    void setterRules_data()
    {
        QTest::addColumn<QByteArray>("property");
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("minute 13") << QByteArray("Minute") << QVariant(13) << true;
        QTest::newRow("minute 14") << QByteArray("Minute") << QVariant(14) << false;
        QTest::newRow("minute -1") << QByteArray("Minute") << QVariant(-1) << false;
        QTest::newRow("second 59") << QByteArray("Second") << QVariant(59) << true;
        QTest::newRow("second 60") << QByteArray("Second") << QVariant(60) << false;
        QTest::newRow("frame 8") << QByteArray("Frame") << QVariant(8) << true;
        QTest::newRow("frame 0") << QByteArray("Frame") << QVariant(0) << true;
        QTest::newRow("frame 9") << QByteArray("Frame") << QVariant(9) << false;
        QTest::newRow("frame 3") << QByteArray("Frame") << QVariant(3) << false;
        QTest::newRow("text of two") << QByteArray("Text") << QVariant(QStringLiteral("Oh")) << true;
        QTest::newRow("text emptied") << QByteArray("Text") << QVariant(QString()) << true;
        QTest::newRow("text of three") << QByteArray("Text") << QVariant(QStringLiteral("abc")) << false;
    }
    void setterRules()
    {
        QFETCH(QByteArray, property);
        QFETCH(QVariant, value);
        QFETCH(bool, accepted);
        setTime(*m_picker, QStringLiteral("05:30.4"));
        m_picker->setText(QStringLiteral("ab"));
        const QVariant before = m_picker->property(property.constData());
        const QMetaProperty meta =
            m_picker->metaObject()->property(m_picker->metaObject()->indexOfProperty(property.constData()));
        QSignalSpy notified(m_picker, meta.notifySignal());
        QVERIFY(m_picker->setProperty(property.constData(), value));
        QCOMPARE(m_picker->property(property.constData()), accepted ? value : before);
        QCOMPARE(notified.count(), accepted ? 1 : 0);
    }

    // The keyboard of a focused picker: the spinner's carries, Home and End,
    // and digits typed into a part.
    void keyboardEditsTheSelectedPart_data()
    {
        QTest::addColumn<QString>("start");
        QTest::addColumn<int>("part");
        QTest::addColumn<QList<int>>("keys");
        QTest::addColumn<QString>("expected");
        const int up = Qt::Key_Up, down = Qt::Key_Down;
        QTest::newRow("tenths down at zero") << t("00:00.0") << 2 << QList<int>{down} << t("00:00.0");
        QTest::newRow("seconds down at zero") << t("00:00.0") << 1 << QList<int>{down} << t("00:00.0");
        QTest::newRow("minutes down at zero") << t("00:00.0") << 0 << QList<int>{down} << t("00:00.0");
        QTest::newRow("tenths up at the end") << t("13:59.8") << 2 << QList<int>{up} << t("13:59.8");
        QTest::newRow("seconds up at the end") << t("13:59.8") << 1 << QList<int>{up} << t("13:59.8");
        QTest::newRow("minutes up at the end") << t("13:59.8") << 0 << QList<int>{up} << t("13:59.8");
        QTest::newRow("tenths down into the minute before") << t("01:00.0") << 2 << QList<int>{down} << t("00:59.8");
        QTest::newRow("tenths up into the next minute") << t("00:59.8") << 2 << QList<int>{up} << t("01:00.0");
        QTest::newRow("seconds up into the next minute") << t("00:59.4") << 1 << QList<int>{up} << t("01:00.4");
        QTest::newRow("seconds down into the minute before") << t("01:00.0") << 1 << QList<int>{down} << t("00:59.0");
        QTest::newRow("tenths down into the second before") << t("00:13.0") << 2 << QList<int>{down} << t("00:12.8");
        QTest::newRow("tenths up into the next second") << t("00:12.8") << 2 << QList<int>{up} << t("00:13.0");
        QTest::newRow("tenths in steps of two") << t("00:13.0") << 2 << QList<int>{up, up, up} << t("00:13.6");
        QTest::newRow("page keys step like arrows")
            << t("00:13.0") << 1 << QList<int>{Qt::Key_PageUp, Qt::Key_PageUp, Qt::Key_PageDown} << t("00:14.0");
        QTest::newRow("back and forth over the carry")
            << t("00:59.8") << 2 << QList<int>{up, down, down} << t("00:59.6");
        QTest::newRow("Right then up steps seconds")
            << t("02:10.0") << 0 << QList<int>{int(Qt::Key_Right), up} << t("02:11.0");
        QTest::newRow("End: the largest seconds") << t("03:30.4") << 1 << QList<int>{int(Qt::Key_End)} << t("03:59.4");
        QTest::newRow("Home: the smallest minutes")
            << t("03:30.4") << 0 << QList<int>{int(Qt::Key_Home)} << t("00:30.4");
        QTest::newRow("End: the largest tenths") << t("03:30.4") << 2 << QList<int>{int(Qt::Key_End)} << t("03:30.8");
        const int k0 = Qt::Key_0, k2 = Qt::Key_2, k3 = Qt::Key_3, k4 = Qt::Key_4, k5 = Qt::Key_5, k6 = Qt::Key_6;
        QTest::newRow("two digits fill the seconds, the tenths follow")
            << t("01:00.0") << 1 << QList<int>{k4, k2, k6} << t("01:42.6");
        QTest::newRow("a digit no second one fits completes the part")
            << t("00:00.0") << 0 << QList<int>{k2, k3, k0} << t("02:30.0");
        QTest::newRow("a pair beyond the part starts over")
            << t("00:00.0") << 0 << QList<int>{int(Qt::Key_1), k5} << t("05:00.0");
        QTest::newRow("an odd tenth is refused") << t("00:00.4") << 2 << QList<int>{k3} << t("00:00.4");
        QTest::newRow("a step ends the typing") << t("00:00.0") << 1 << QList<int>{k3, up, k5} << t("00:05.0");
    }
    void keyboardEditsTheSelectedPart()
    {
        QFETCH(QString, start);
        QFETCH(int, part);
        QFETCH(QList<int>, keys);
        QFETCH(QString, expected);
        // The time is set while the part is selected: the spinner follows.
        m_picker->SelectPart(Part(part));
        setTime(*m_picker, start);
        QVERIFY(m_picker->hasFocus());
        press(keys);
        QCOMPARE(timeOf(*m_picker), expected);
    }

    void arrowKeysMoveBetweenParts_data()
    {
        QTest::addColumn<bool>("textBox");
        QTest::addColumn<int>("start");
        QTest::addColumn<QList<int>>("keys");
        QTest::addColumn<int>("selected");
        const int left = Qt::Key_Left, right = Qt::Key_Right;
        QTest::newRow("right to seconds and tenths") << true << 0 << QList<int>{right, right} << 2;
        QTest::newRow("right from tenths into the text") << true << 2 << QList<int>{right} << 3;
        QTest::newRow("right from tenths wraps without text") << false << 2 << QList<int>{right} << 0;
        QTest::newRow("left from minutes into the text") << true << 0 << QList<int>{left} << 3;
        QTest::newRow("left from minutes wraps without text") << false << 0 << QList<int>{left} << 2;
        QTest::newRow("text: left at the start to tenths") << true << 2 << QList<int>{right, left} << 2;
        QTest::newRow("text: right at the end to minutes") << true << 0 << QList<int>{left, right} << 0;
        QTest::newRow("text: the caret moves first") << true << 2 << QList<int>{right, right, right, left} << 3;
    }
    void arrowKeysMoveBetweenParts()
    {
        QFETCH(bool, textBox);
        QFETCH(int, start);
        QFETCH(QList<int>, keys);
        QFETCH(int, selected);
        m_picker->setShowTextBox(textBox);
        m_picker->setText(QStringLiteral("ab"));
        m_picker->SelectPart(Part(start));
        press(keys);
        QCOMPARE(int(m_picker->selectedPart()), selected);
        // The text part has the keyboard in the text field; a number part in
        // the control, with that field highlighted and the spinner on.
        QCOMPARE(textField()->hasFocus(), selected == 3);
        QCOMPARE(m_picker->hasFocus(), selected != 3);
        QCOMPARE(spinner()->isEnabled(), selected != 3);
        for (int p = 0; p < 3; ++p)
            QCOMPARE(lit(Part(p)), p == selected);
    }

    void textFilter_data()
    {
        QTest::addColumn<QString>("input");
        QTest::addColumn<bool>("pasted");
        QTest::addColumn<QString>("expected");
        QTest::newRow("a digit") << t("1") << false << t("");
        QTest::newRow("a space") << t(" ") << false << t("");
        QTest::newRow("a semicolon") << t(";") << false << t("");
        QTest::newRow("two letters") << t("ab") << false << t("ab");
        QTest::newRow("a third letter") << t("abc") << false << t("ab");
        QTest::newRow("point and letter") << t(".x") << false << t(".x");
        QTest::newRow("letters around a digit") << t("a1b") << false << t("ab");
        QTest::newRow("beyond ASCII") << QStringLiteral("\u00c9\u0416") << false << QStringLiteral("\u00c9\u0416");
        QTest::newRow("pasted digit and letter") << t("1x") << true << t("x");
    }
    void textFilter()
    {
        QFETCH(QString, input);
        QFETCH(bool, pasted);
        QFETCH(QString, expected);
        QSignalSpy changed(m_picker, &ZephTimePicker::TextChanged);
        m_picker->SelectPart(ZephTimePicker::TextPart);
        if (pasted) {
            QGuiApplication::clipboard()->setText(input);
            QTest::keySequence(textField(), QKeySequence::Paste);
        } else {
            for (QChar c : input) // as typed, one key each (beyond Latin-1 too)
                QTest::sendKeyEvent(QTest::Click, textField(), Qt::Key_unknown, QString(c), Qt::NoModifier);
        }
        QCOMPARE(m_picker->Text(), expected);
        if (!expected.isEmpty())
            QCOMPARE(changed.constLast().at(0).toString(), expected);
    }

    // A pasted digit is dropped and leaves the caret where it was: the next
    // letter typed goes there.
    void pasteKeepsTheCaretAfterWhatItKept()
    {
        m_picker->setText(QStringLiteral("a"));
        m_picker->SelectPart(ZephTimePicker::TextPart);
        QTest::keyClick(textField(), Qt::Key_Home);
        QGuiApplication::clipboard()->setText(QStringLiteral("1"));
        QTest::keySequence(textField(), QKeySequence::Paste);
        QTest::sendKeyEvent(QTest::Click, textField(), Qt::Key_B, QStringLiteral("b"), Qt::NoModifier);
        QCOMPARE(m_picker->Text(), QStringLiteral("ba"));
    }

    void focusRemembersThePartAndTabPassesOver()
    {
        QVERIFY(!spinner()->isEnabled());
        QTest::keyClick(m_before, Qt::Key_Tab);
        QVERIFY(m_picker->hasFocus());
        QCOMPARE(m_picker->selectedPart(), ZephTimePicker::MinutePart);

        QTest::mouseClick(field(ZephTimePicker::FramePart), Qt::LeftButton);
        QCOMPARE(m_picker->selectedPart(), ZephTimePicker::FramePart);
        QTest::keyClick(m_picker, Qt::Key_Tab);
        QVERIFY(m_after->hasFocus());
        QVERIFY(!lit(ZephTimePicker::FramePart));
        QVERIFY(!spinner()->isEnabled());

        QTest::keyClick(m_after, Qt::Key_Backtab);
        QVERIFY(m_picker->hasFocus());
        QVERIFY(lit(ZephTimePicker::FramePart));
        QVERIFY(spinner()->isEnabled());

        // From the text field, Shift+Tab leaves the control too; coming back
        // lands in the text again.
        QTest::keyClick(m_picker, Qt::Key_Right);
        QVERIFY(textField()->hasFocus());
        QTest::keyClick(textField(), Qt::Key_Backtab);
        QVERIFY(m_before->hasFocus());
        QTest::keyClick(m_before, Qt::Key_Tab);
        QVERIFY(textField()->hasFocus());
        QCOMPARE(m_picker->selectedPart(), ZephTimePicker::TextPart);
    }

    // Tab from the picker passes over a control that is hidden.
    void tabPassesOverHiddenControls()
    {
        auto *hidden = new QLineEdit(m_window.get());
        QWidget::setTabOrder(m_picker, hidden);
        QWidget::setTabOrder(hidden, m_after);
        hidden->hide();
        m_picker->SelectPart(ZephTimePicker::MinutePart);
        QTest::keyClick(m_picker, Qt::Key_Tab);
        QVERIFY(m_after->hasFocus());
    }

    void readsPartsAndStampForScreenReaders()
    {
        setTime(*m_picker, QStringLiteral("01:13.4"));
        m_picker->setText(QStringLiteral("se"));
        m_picker->setAccessibleName(QStringLiteral("Stamp 3"));
        m_picker->SelectPart(ZephTimePicker::SecondPart);
        QAccessibleInterface *row = QAccessible::queryAccessibleInterface(m_picker);
        // The name holds the whole stamp: Linux screen readers get no value.
        QCOMPARE(row->text(QAccessible::Name), QStringLiteral("Stamp 3: 01:13.4 se"));
        QCOMPARE(row->text(QAccessible::Value), QStringLiteral("01:13.4 se"));
        QCOMPARE(row->focusChild()->text(QAccessible::Name), QStringLiteral("Seconds"));
        QAccessibleInterface *minutes = QAccessible::queryAccessibleInterface(field(ZephTimePicker::MinutePart));
        QCOMPARE(minutes->text(QAccessible::Name), QStringLiteral("Minutes"));
        QCOMPARE(minutes->text(QAccessible::Value), QStringLiteral("01"));
        // A value set by a screen reader steps as the keys do, carrying.
        QAccessibleInterface *seconds = QAccessible::queryAccessibleInterface(field(ZephTimePicker::SecondPart));
        seconds->valueInterface()->setCurrentValue(60);
        QCOMPARE(timeOf(*m_picker), QStringLiteral("02:00.4"));
        minutes->valueInterface()->setCurrentValue(14); // as far as 13:59.8 lets it
        QCOMPARE(timeOf(*m_picker), QStringLiteral("13:00.4"));
    }

    // With a number part selected, a click into the text field makes the
    // text the selected part: Up and Down typed there change no time.
    void clickIntoTheTextSelectsIt()
    {
        m_picker->setText(QStringLiteral("fi"));
        m_picker->SelectPart(ZephTimePicker::SecondPart);
        setTime(*m_picker, QStringLiteral("00:12.4"));
        QTest::mouseClick(textField(), Qt::LeftButton);
        QVERIFY(textField()->hasFocus());
        QCOMPARE(m_picker->selectedPart(), ZephTimePicker::TextPart);
        QVERIFY(!spinner()->isEnabled());
        QVERIFY(!lit(ZephTimePicker::SecondPart));
        press({Qt::Key_Up, Qt::Key_Up, Qt::Key_PageUp, Qt::Key_Down});
        QCOMPARE(timeOf(*m_picker), QStringLiteral("00:12.4"));
        QVERIFY(textField()->hasFocus());
    }

    // The wheel over the digits of the stamp being edited steps that part;
    // over a stamp that is not being edited it leaves the time alone (it
    // scrolls the editor).
    void wheelOverTheDigits_data()
    {
        QTest::addColumn<bool>("focused");
        QTest::addColumn<int>("notches");
        QTest::addColumn<QString>("expected");
        QTest::newRow("two notches up") << true << 2 << t("00:32.0");
        QTest::newRow("a notch down") << true << -1 << t("00:29.0");
        QTest::newRow("not being edited") << false << 2 << t("00:30.0");
    }
    void wheelOverTheDigits()
    {
        QFETCH(bool, focused);
        QFETCH(int, notches);
        QFETCH(QString, expected);
        setTime(*m_picker, QStringLiteral("00:30.0"));
        if (focused)
            m_picker->SelectPart(ZephTimePicker::MinutePart);
        QWidget *seconds = field(ZephTimePicker::SecondPart);
        const QPointF at = QRectF(seconds->rect()).center();
        for (int i = 0; i < std::abs(notches); ++i) {
            QWheelEvent wheel(at, seconds->mapToGlobal(at), QPoint(), QPoint(0, notches > 0 ? 120 : -120), Qt::NoButton,
                              Qt::NoModifier, Qt::NoScrollPhase, false);
            QApplication::sendEvent(seconds, &wheel);
        }
        QCOMPARE(timeOf(*m_picker), expected);
        QCOMPARE(m_picker->selectedPart(), focused ? ZephTimePicker::SecondPart : ZephTimePicker::NoPart);
    }

    // Every part fits its digits (in its middle) or text at any font, and the text field
    // keeps a pixel above and below for its frame.
    void growsWithTheFont_data()
    {
        QTest::addColumn<int>("pixels");
        QTest::newRow("small") << 11;
        QTest::newRow("large") << 26;
    }
    void growsWithTheFont()
    {
        QFETCH(int, pixels);
        QFont font = m_picker->font();
        font.setPixelSize(pixels);
        m_picker->setFont(font);
        m_picker->setText(QStringLiteral("WW"));
        m_picker->resize(m_picker->sizeHint());
        QApplication::processEvents();
        for (Part part : {ZephTimePicker::MinutePart, ZephTimePicker::FramePart})
            QVERIFY(field(part)->width() >= field(part)->fontMetrics().horizontalAdvance(m_picker->partText(part)));
        QVERIFY(textField()->width() >= textField()->fontMetrics().horizontalAdvance(QStringLiteral("WW")));
        // The digits stand in the middle of their part.
        for (Part part : {ZephTimePicker::MinutePart, ZephTimePicker::SecondPart, ZephTimePicker::FramePart}) {
            const QImage shot = field(part)->grab().toImage();
            const QRgb ink = field(part)->palette().color(QPalette::WindowText).rgb();
            int left = shot.width(), right = -1;
            for (int x = 0; x < shot.width(); ++x) {
                for (int y = 0; y < shot.height(); ++y) {
                    if (qGray(shot.pixel(x, y)) <= qGray(ink) + 64) {
                        left = std::min(left, x);
                        right = std::max(right, x);
                    }
                }
            }
            QVERIFY(right >= left);
            QVERIFY2(std::abs(left - (shot.width() - 1 - right)) <= 2,
                     qPrintable(QStringLiteral("ink from %1 to %2 of %3").arg(left).arg(right).arg(shot.width())));
        }
        const QRect text = textField()->geometry();
        QVERIFY(text.top() >= 1 && text.bottom() <= m_picker->height() - 2);
        QVERIFY(text.right() <= m_picker->width() - 2);
    }

    // The spinner is two buttons that fill its box, each outlined all round:
    // dark while it steps a part, lighter while it is off.
    void spinnerOutlinesBothButtons_data()
    {
        QTest::addColumn<bool>("on");
        QTest::newRow("on") << true;
        QTest::newRow("off") << false;
    }
    void spinnerOutlinesBothButtons()
    {
        QFETCH(bool, on);
        if (on)
            m_picker->SelectPart(ZephTimePicker::SecondPart);
        QCOMPARE(spinner()->isEnabled(), on);
        const QImage shot = spinner()->grab().toImage();
        const QColor ink = spinner()->palette().color(on ? QPalette::Dark : QPalette::Mid);
        const int w = shot.width(), h = shot.height();
        QStringList off;
        for (int y = 0; y < h; ++y) {
            for (int x : {0, w - 1}) {
                if (shot.pixel(x, y) != ink.rgb())
                    off << QStringLiteral("(%1,%2)").arg(x).arg(y);
            }
        }
        for (int x = 0; x < w; ++x) {
            for (int y : {0, h - 1}) {
                if (shot.pixel(x, y) != ink.rgb())
                    off << QStringLiteral("(%1,%2)").arg(x).arg(y);
            }
        }
        QVERIFY2(off.isEmpty(), qPrintable(off.join(u' ')));
    }

    // A spinner button held down while the keyboard leaves the control is
    // no longer drawn pressed when the control gets the keyboard again.
    void spinnerLetsGoWhenTheKeyboardLeaves()
    {
        setTime(*m_picker, QStringLiteral("00:12.0"));
        m_picker->SelectPart(ZephTimePicker::SecondPart);
        const auto face = [this] { return spinner()->grab().toImage().pixel(2, 2); };
        const QRgb released = face();
        QTest::mousePress(spinner(), Qt::LeftButton, {}, QPoint(spinner()->width() / 2, spinner()->height() / 4));
        QCOMPARE(timeOf(*m_picker), QStringLiteral("00:13.0"));
        QVERIFY(face() != released);
        m_after->setFocus();
        m_picker->SelectPart(ZephTimePicker::SecondPart);
        QVERIFY(spinner()->isEnabled());
        QCOMPARE(face(), released);
    }

    // The dotted frame around the text field is drawn only with the field.
    void framesTheTextFieldOnlyWhenShown()
    {
        const QRect box = textField()->geometry();
        auto dotsAbove = [&] {
            const QImage shot = m_picker->grab().toImage();
            const QColor ink = m_picker->palette().color(QPalette::WindowText);
            int dots = 0;
            for (int x = box.left(); x <= box.right(); ++x)
                dots += shot.pixelColor(x * shot.width() / m_picker->width(), 0) == ink;
            return dots;
        };
        QVERIFY(dotsAbove() > 2);
        m_picker->setShowTextBox(false);
        QVERIFY(!textField()->isVisible());
        QCOMPARE(dotsAbove(), 0);
    }
};

QTEST_MAIN(tst_ZephTimePicker)
#include "tst_zephtimepicker.moc"
