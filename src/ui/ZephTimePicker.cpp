#include "ui/ZephTimePicker.h"

#include "ui/TimePickerAccessible.h"
#include "ui/TimePickerParts.h"
#include "ui/TimeSpinner.h"

#include <QAccessible>
#include <QApplication>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPainter>

namespace stanzary {

namespace {

// The design, in pixels at 15 twips to a pixel: the control is 1455 x 270
// twips; everything grows with the font beyond a 16-pixel line.
constexpr int kDesignWidth = 97;
constexpr int kDesignHeight = 18;
constexpr int kDesignLineHeight = 16;

struct SpinnerRange
{
    int minimum;
    int maximum;
    int step;
};

// One step beyond each end of a part is the signal to carry.
constexpr SpinnerRange kSpinnerRanges[3] = {{0, 13, 1}, {-1, 60, 1}, {-2, 10, 2}};

} // namespace

ZephTimePicker::ZephTimePicker(QWidget *parent) : QWidget(parent)
{
    installTimePickerAccessibility();
    setObjectName(QStringLiteral("ZephTimePicker"));
    setFocusPolicy(Qt::StrongFocus);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    buildParts();
    applyMetrics();
    applyFieldColours();
    connect(qApp, &QApplication::focusChanged, this, &ZephTimePicker::onFocusChanged);
}

ZephTimePicker::~ZephTimePicker()
{
    // The children go after this body has run, and a focused one moves the
    // focus on its way out: nothing of this control may answer that.
    disconnect(qApp, &QApplication::focusChanged, this, nullptr);
}

void ZephTimePicker::buildParts()
{
    m_spinner = new TimeSpinner(this);
    m_spinner->setObjectName(QStringLiteral("myScroll"));
    m_spinner->setEnabled(false);
    connect(m_spinner, &QAbstractSlider::valueChanged, this, &ZephTimePicker::onSpinnerChanged);

    for (int part = MinutePart; part <= FramePart; ++part) {
        m_fields[part] = new TimePartField(part, this);
        m_fields[part]->installEventFilter(this);
        connect(m_fields[part], &TimePartField::pressed, this, [this](int p) { SelectPart(Part(p)); });
    }
    m_fields[MinutePart]->setText(QStringLiteral("00"));
    m_fields[SecondPart]->setText(QStringLiteral("00"));
    m_fields[FramePart]->setText(QStringLiteral("0"));

    m_colon = new QLabel(QStringLiteral(":"), this);
    m_point = new QLabel(QStringLiteral("."), this);
    for (QLabel *separator : {m_colon, m_point}) {
        separator->setObjectName(QStringLiteral("lblPoints"));
        separator->setAlignment(Qt::AlignCenter);
    }

    m_text = new StampTextField(this);
    m_text->setAccessibleName(partName(TextPart));
    connect(m_text, &QLineEdit::textChanged, this, [this] {
        emit TextChanged(m_text->text());
        notifyAccessibility(TextPart, false);
    });
    connect(m_text, &StampTextField::leftFromStart, this, [this] { SelectPart(FramePart); });
    connect(m_text, &StampTextField::rightFromEnd, this, [this] { SelectPart(MinutePart); });

    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 1, 0); // the text field sits one pixel from the right edge
    row->setSpacing(0);
    row->addWidget(m_spinner);
    row->addSpacing(1);
    row->addWidget(m_fields[MinutePart]);
    row->addWidget(m_colon);
    row->addWidget(m_fields[SecondPart]);
    row->addWidget(m_point);
    row->addWidget(m_fields[FramePart]);
    row->addStretch(1);
    row->addSpacing(4);
    row->addWidget(m_text, 0, Qt::AlignVCenter);
}

// Sizes from the control's font, never below the design.
void ZephTimePicker::applyMetrics()
{
    const QFontMetrics fm(font());
    const qreal grow = qMax<qreal>(1.0, qreal(fm.height()) / kDesignLineHeight);
    QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    if (font().pointSizeF() > 0)
        fixed.setPointSizeF(font().pointSizeF());
    else
        fixed.setPixelSize(font().pixelSize());
    m_text->setFont(fixed);
    const QFontMetrics fixedFm(fixed);
    // The text field keeps a pixel above and below for its dotted frame.
    const int textHeight = qMax(qRound(kDesignHeight * grow) - 2, fixedFm.height());
    m_designHeight = textHeight + 2;
    m_text->setFixedSize(qMax(qRound(17 * grow), fixedFm.horizontalAdvance(QStringLiteral("WW")) + 4), textHeight);

    const int digit = fm.horizontalAdvance(u'0');
    m_fields[MinutePart]->setFixedSize(qMax(qRound(14 * grow), 2 * digit + 2), m_designHeight);
    m_fields[SecondPart]->setFixedSize(qMax(qRound(14 * grow), 2 * digit + 2), m_designHeight);
    m_fields[FramePart]->setFixedSize(qMax(qRound(7 * grow), digit + 2), m_designHeight);

    QFont bold = font();
    bold.setBold(true);
    const QFontMetrics boldFm(bold);
    m_colon->setFont(bold);
    m_point->setFont(bold);
    m_colon->setFixedSize(boldFm.horizontalAdvance(u':') + 4, m_designHeight);
    m_point->setFixedSize(boldFm.horizontalAdvance(u'.') + 2, m_designHeight);
    m_text->setTextMargins(1, 0, 0, 0);
    updateGeometry();
}

void ZephTimePicker::applyFieldColours()
{
    for (int part = MinutePart; part <= FramePart; ++part) {
        const bool lit = part == m_selected && m_focusInside;
        QPalette p = palette();
        p.setColor(QPalette::Window, p.color(lit ? QPalette::Highlight : QPalette::Base));
        p.setColor(QPalette::WindowText, p.color(lit ? QPalette::HighlightedText : QPalette::Text));
        m_fields[part]->setPalette(p);
    }
    QPalette text = m_text->palette();
    text.setColor(QPalette::Text, TxtForeColor());
    m_text->setPalette(text);
}

QSize ZephTimePicker::sizeHint() const
{
    const QSize natural = QWidget::sizeHint();
    const qreal grow = qreal(m_designHeight) / kDesignHeight;
    return QSize(qMax(natural.width(), qRound(kDesignWidth * grow)), qMax(natural.height(), m_designHeight));
}

QSize ZephTimePicker::minimumSizeHint() const
{
    return sizeHint();
}

// ---- properties -------------------------------------------------------------

QString ZephTimePicker::Text() const
{
    return m_text->text();
}

QColor ZephTimePicker::TxtForeColor() const
{
    return m_txtForeColor.isValid() ? m_txtForeColor : palette().color(QPalette::Text);
}

void ZephTimePicker::setMinute(int minute)
{
    if (minute >= 0 && minute <= partMaximum(MinutePart))
        SetPartValue(MinutePart, minute);
}

void ZephTimePicker::setSecond(int second)
{
    if (second >= 0 && second <= partMaximum(SecondPart))
        SetPartValue(SecondPart, second);
}

void ZephTimePicker::setFrame(int frame)
{
    if (frame >= 0 && frame <= partMaximum(FramePart) && frame % 2 == 0)
        SetPartValue(FramePart, frame);
}

void ZephTimePicker::setText(const QString &text)
{
    if (text.size() <= 2 && text != m_text->text())
        m_text->setText(text);
}

void ZephTimePicker::setShowTextBox(bool show)
{
    if (show == m_showTextBox)
        return;
    m_showTextBox = show;
    m_text->setVisible(show);
    m_text->setEnabled(show);
    update();
    emit ShowTextBoxChanged(show);
}

void ZephTimePicker::setTxtForeColor(const QColor &color)
{
    if (color == m_txtForeColor)
        return;
    m_txtForeColor = color;
    applyFieldColours();
    emit TxtForeColorChanged(TxtForeColor());
}

void ZephTimePicker::SetPartValue(Part part, int value)
{
    if (!isNumberPart(part) || m_values[part] == value)
        return;
    m_values[part] = value;
    m_fields[part]->setText(partText(part));
    if (part == m_selected && m_spinner->value() != value) {
        // The spinner follows a value set from outside, so that its next
        // step starts from what is shown.
        const bool was = m_busy;
        m_busy = true;
        m_spinner->setValue(value);
        m_busy = was;
    }
    switch (part) {
    case MinutePart: emit MinuteChanged(value); break;
    case SecondPart: emit SecondChanged(value); break;
    case FramePart: emit FrameChanged(value); break;
    default: break;
    }
    notifyAccessibility(part, false);
}

// ---- parts, spinner and carries ---------------------------------------------

void ZephTimePicker::SelectPart(Part part)
{
    if (part < MinutePart || part > TextPart || (part == TextPart && !m_showTextBox))
        return;
    const bool wasChoosing = m_choosing;
    m_choosing = true;
    m_busy = true;
    m_typed = -1;
    if (isNumberPart(part)) {
        m_spinner->setEnabled(true);
        if (!hasFocus())
            setFocus(Qt::OtherFocusReason);
    }
    if (part != m_selected) {
        configureSpinner(part);
        m_selected = part;
    }
    m_busy = false;
    if (part == TextPart && !m_text->hasFocus())
        m_text->setFocus(Qt::OtherFocusReason);
    // Highlight and spinner only while the control has the keyboard (a
    // window that is not active gets them when it is activated).
    m_focusInside = contains(QApplication::focusWidget());
    m_spinner->setEnabled(isNumberPart(part) && m_focusInside);
    applyFieldColours();
    m_choosing = wasChoosing;
    notifyAccessibility(part, true);
}

void ZephTimePicker::configureSpinner(Part part)
{
    if (!isNumberPart(part)) {
        m_spinner->setEnabled(false);
        return;
    }
    const SpinnerRange &range = kSpinnerRanges[part];
    m_spinner->setRange(range.minimum, range.maximum);
    m_spinner->setSingleStep(range.step);
    m_spinner->setPageStep(range.step);
    m_spinner->setValue(m_values[part]);
}

void ZephTimePicker::onSpinnerChanged()
{
    if (m_busy || !isNumberPart(m_selected))
        return;
    int value = m_spinner->value();
    const int minute = Minute();
    const int second = Second();
    if (m_selected == FramePart && value == -2) {
        if (second > 0) {
            value = 8;
            SetPartValue(SecondPart, second - 1);
        } else if (minute > 0) {
            value = 8;
            SetPartValue(SecondPart, 59);
            SetPartValue(MinutePart, minute - 1);
        } else {
            value = 0;
        }
    } else if (m_selected == FramePart && value == 10) {
        if (second < 59) {
            value = 0;
            SetPartValue(SecondPart, second + 1);
        } else if (minute >= 13) {
            value = 8;
        } else {
            value = 0;
            SetPartValue(SecondPart, 0);
            SetPartValue(MinutePart, minute + 1);
        }
    } else if (m_selected == SecondPart && value == -1) {
        if (minute > 0) {
            value = 59;
            SetPartValue(MinutePart, minute - 1);
        } else {
            value = 0;
        }
    } else if (m_selected == SecondPart && value == 60) {
        if (minute >= 13) {
            value = 59;
        } else {
            value = 0;
            SetPartValue(MinutePart, minute + 1);
        }
    }
    m_busy = true;
    m_spinner->setValue(value);
    m_busy = false;
    SetPartValue(m_selected, value);
}

void ZephTimePicker::setSelectedValue(int value)
{
    if (isNumberPart(m_selected) && m_spinner->isEnabled())
        m_spinner->setValue(value);
}

// Typed digits fill the selected part from the left, as in a date field:
// the first replaces the value, a second one is appended when the result
// still fits. A part that cannot take another digit is complete, and the
// next part is selected (tenths stay, as the last part).
void ZephTimePicker::typeDigit(int digit)
{
    const Part part = m_selected;
    if (!isNumberPart(part) || !m_spinner->isEnabled())
        return;
    if (part == FramePart) {
        if (digit % 2 != 0) {
            QApplication::beep(); // tenths are even: 0, 2, 4, 6, 8
            return;
        }
        setSelectedValue(digit);
        return;
    }
    const int maximum = partMaximum(part);
    const bool appended = m_typed >= 0 && m_typed * 10 + digit <= maximum;
    const int value = appended ? m_typed * 10 + digit : digit;
    setSelectedValue(value);
    if (appended || value * 10 > maximum)
        SelectPart(Part(part + 1));
    else
        m_typed = value;
}

// ---- keyboard and focus -----------------------------------------------------

void ZephTimePicker::keyPressEvent(QKeyEvent *event)
{
    const Part shown = isNumberPart(m_selected) ? m_selected : MinutePart;
    const bool number = isNumberPart(m_selected);
    const QString typed = event->text();
    if (number && typed.size() == 1 && typed.at(0).isDigit() && typed.at(0).digitValue() >= 0
        && (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
        typeDigit(typed.at(0).digitValue());
        event->accept();
        return;
    }
    m_typed = -1;
    switch (event->key()) {
    case Qt::Key_Right:
        if (shown == FramePart && m_showTextBox) {
            SelectPart(TextPart);
            m_text->setCursorPosition(0);
        } else {
            SelectPart(Part((shown + 1) % 3));
        }
        break;
    case Qt::Key_Left:
        if (shown == MinutePart && m_showTextBox) {
            SelectPart(TextPart);
            m_text->setCursorPosition(int(m_text->text().size()));
        } else {
            SelectPart(Part((shown + 2) % 3));
        }
        break;
    // The steps belong to a number part: with the caret in the text field
    // they do nothing.
    case Qt::Key_Up:
    case Qt::Key_PageUp:
        if (number && m_spinner->isEnabled())
            m_spinner->stepUp();
        break;
    case Qt::Key_Down:
    case Qt::Key_PageDown:
        if (number && m_spinner->isEnabled())
            m_spinner->stepDown();
        break;
    case Qt::Key_Home:
        if (!number)
            return QWidget::keyPressEvent(event);
        setSelectedValue(0);
        break;
    case Qt::Key_End:
        if (!number)
            return QWidget::keyPressEvent(event);
        setSelectedValue(partMaximum(m_selected));
        break;
    default: QWidget::keyPressEvent(event); return;
    }
    event->accept();
}

// The wheel over a number field steps that part, as the spinner does, while
// the control has the keyboard (the stamp being edited); otherwise, and over
// the rest of the control, it scrolls what holds the control.
bool ZephTimePicker::eventFilter(QObject *watched, QEvent *event)
{
    const auto *field = qobject_cast<TimePartField *>(watched);
    if (event->type() != QEvent::Wheel || !field || !m_focusInside)
        return QWidget::eventFilter(watched, event);
    if (m_selected != Part(field->part()))
        SelectPart(Part(field->part()));
    if (m_spinner->isEnabled())
        QCoreApplication::sendEvent(m_spinner, event);
    return true;
}

bool ZephTimePicker::contains(const QWidget *w) const
{
    return w && (w == this || isAncestorOf(w));
}

void ZephTimePicker::onFocusChanged(QWidget *old, QWidget *now)
{
    const bool wasInside = contains(old);
    const bool isInside = contains(now);
    if (isInside && !wasInside)
        focusEntered(now);
    else if (wasInside && !isInside)
        focusLeft();
    else if (isInside && now == m_text && m_selected != TextPart && !m_choosing)
        SelectPart(TextPart); // a click into the text field: the text is the selected part
}

void ZephTimePicker::focusEntered(QWidget *now)
{
    m_focusInside = true;
    if (m_choosing)
        return;
    if (now == m_text)
        SelectPart(TextPart);
    else if (m_selected == NoPart || (m_selected == TextPart && !m_showTextBox))
        SelectPart(MinutePart);
    else
        SelectPart(m_selected);
}

void ZephTimePicker::focusLeft()
{
    m_focusInside = false;
    m_typed = -1;
    m_spinner->setEnabled(false);
    applyFieldColours();
}

// The control is one tab stop: Tab and Shift+Tab, from the control or its
// text field, go to the next or previous tab stop outside it.
bool ZephTimePicker::focusNextPrevChild(bool next)
{
    QWidget *w = this;
    for (;;) {
        w = next ? w->nextInFocusChain() : w->previousInFocusChain();
        if (!w || w == this)
            return false;
        if (contains(w) || w->window() != window() || !(w->focusPolicy() & Qt::TabFocus) || !w->isEnabled()
            || !w->isVisibleTo(window()) || w->focusProxy())
            continue;
        w->setFocus(next ? Qt::TabFocusReason : Qt::BacktabFocusReason);
        return true;
    }
}

// ---- painting and accessibility ---------------------------------------------

void ZephTimePicker::paintEvent(QPaintEvent *)
{
    if (!m_showTextBox)
        return;
    // A dotted frame one pixel around the text field, top to bottom.
    const QRect field = m_text->geometry();
    const QRect frame(QPoint(field.left() - 1, 0), QPoint(field.right() + 1, qMin(height(), m_designHeight) - 1));
    QPainter painter(this);
    QPen pen(palette().color(QPalette::WindowText), 1, Qt::DotLine);
    painter.setPen(pen);
    painter.drawRect(frame.adjusted(0, 0, -1, -1));
}

void ZephTimePicker::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::FontChange)
        applyMetrics();
    if (event->type() == QEvent::PaletteChange)
        applyFieldColours();
    QWidget::changeEvent(event);
}

QString ZephTimePicker::partText(Part part) const
{
    switch (part) {
    case MinutePart:
    case SecondPart: return QStringLiteral("%1").arg(m_values[part], 2, 10, QChar(u'0'));
    case FramePart: return QString::number(m_values[FramePart]);
    case TextPart: return m_text->text();
    case NoPart: break;
    }
    return QString();
}

QString ZephTimePicker::partName(Part part)
{
    switch (part) {
    case MinutePart: return QStringLiteral("Minutes");
    case SecondPart: return QStringLiteral("Seconds");
    case FramePart: return QStringLiteral("Tenths");
    case TextPart: return QStringLiteral("Line start");
    case NoPart: break;
    }
    return QString();
}

QString ZephTimePicker::stampText() const
{
    const QString time = partText(MinutePart) + u':' + partText(SecondPart) + u'.' + partText(FramePart);
    return Text().isEmpty() ? time : time + u' ' + Text();
}

int ZephTimePicker::partMaximum(Part part)
{
    switch (part) {
    case MinutePart: return 13;
    case SecondPart: return 59;
    case FramePart: return 8;
    case TextPart:
    case NoPart: break;
    }
    return 0;
}

QWidget *ZephTimePicker::partWidget(Part part) const
{
    if (isNumberPart(part))
        return m_fields[part];
    return part == TextPart ? m_text : nullptr;
}

void ZephTimePicker::notifyAccessibility(Part part, bool focusMoved)
{
    if (!QAccessible::isActive())
        return;
    if (QWidget *w = partWidget(part)) {
        if (focusMoved && m_focusInside) {
            QAccessibleEvent focus(w, QAccessible::Focus);
            QAccessible::updateAccessibility(&focus);
        } else if (!focusMoved) {
            QAccessibleValueChangeEvent changed(w, partText(part));
            QAccessible::updateAccessibility(&changed);
        }
    }
    if (!focusMoved) {
        // The row is heard by its name, which holds the stamp.
        QAccessibleEvent named(this, QAccessible::NameChanged);
        QAccessible::updateAccessibility(&named);
        QAccessibleValueChangeEvent row(this, stampText());
        QAccessible::updateAccessibility(&row);
    }
}

} // namespace stanzary
