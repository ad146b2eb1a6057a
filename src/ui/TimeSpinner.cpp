#include "ui/TimeSpinner.h"

#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOption>
#include <QWheelEvent>

namespace stanzary {

namespace {
// 180 x 270 twips at 15 twips to a pixel, grown with the font.
constexpr int kDesignWidth = 12;
constexpr int kDesignHeight = 18;
constexpr int kDesignLineHeight = 16;
constexpr int kRepeatDelayMs = 400;
constexpr int kRepeatIntervalMs = 60;
} // namespace

TimeSpinner::TimeSpinner(QWidget *parent) : QAbstractSlider(parent)
{
    setOrientation(Qt::Vertical);
    setFocusPolicy(Qt::NoFocus);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void TimeSpinner::stepUp()
{
    triggerAction(SliderSingleStepAdd);
}

void TimeSpinner::stepDown()
{
    triggerAction(SliderSingleStepSub);
}

QSize TimeSpinner::sizeHint() const
{
    const qreal grow = qMax<qreal>(1.0, qreal(fontMetrics().height()) / kDesignLineHeight);
    return QSize(qRound(kDesignWidth * grow), qRound(kDesignHeight * grow));
}

QSize TimeSpinner::minimumSizeHint() const
{
    return sizeHint();
}

TimeSpinner::Half TimeSpinner::halfAt(const QPoint &pos) const
{
    if (!rect().contains(pos))
        return Half::None;
    return pos.y() < height() / 2 ? Half::Up : Half::Down;
}

QRect TimeSpinner::halfRect(Half half) const
{
    const int upper = height() / 2;
    return half == Half::Up ? QRect(0, 0, width(), upper) : QRect(0, upper, width(), height() - upper);
}

// A small button face with the style's arrow; the style's own scroll-bar
// buttons shrink their arrows to nothing at this size.
void TimeSpinner::paintHalf(QPainter &painter, Half half) const
{
    const QRect face = halfRect(half).adjusted(0, 0, -1, -1);
    const bool down = m_pressed == half;
    const QPalette &pal = palette();
    painter.setPen(pal.color(isEnabled() ? QPalette::Dark : QPalette::Mid));
    painter.setBrush(down ? pal.color(QPalette::Mid) : pal.color(QPalette::Button));
    painter.drawRect(face);

    QStyleOption arrow;
    arrow.initFrom(this);
    arrow.rect = face.adjusted(1, 1, 0, 0);
    arrow.state &= ~QStyle::State_MouseOver;
    if (down)
        arrow.state |= QStyle::State_Sunken;
    style()->drawPrimitive(half == Half::Up ? QStyle::PE_IndicatorArrowUp : QStyle::PE_IndicatorArrowDown, &arrow,
                           &painter, this);
}

void TimeSpinner::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    paintHalf(painter, Half::Up);
    paintHalf(painter, Half::Down);
}

void TimeSpinner::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    m_pressed = halfAt(event->position().toPoint());
    if (m_pressed == Half::None)
        return;
    const SliderAction action = m_pressed == Half::Up ? SliderSingleStepAdd : SliderSingleStepSub;
    triggerAction(action);
    setRepeatAction(action, kRepeatDelayMs, kRepeatIntervalMs);
    update();
}

void TimeSpinner::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;
    m_pressed = Half::None;
    setRepeatAction(SliderNoAction);
    update();
}

void TimeSpinner::wheelEvent(QWheelEvent *event)
{
    // One step per notch: several steps at once would jump over the carry
    // into the next part.
    m_wheelDelta += event->angleDelta().y();
    while (m_wheelDelta >= 120) {
        m_wheelDelta -= 120;
        stepUp();
    }
    while (m_wheelDelta <= -120) {
        m_wheelDelta += 120;
        stepDown();
    }
    event->accept();
}

void TimeSpinner::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::EnabledChange && !isEnabled()) {
        m_pressed = Half::None;
        setRepeatAction(SliderNoAction);
    }
    if (event->type() == QEvent::FontChange)
        updateGeometry();
    QAbstractSlider::changeEvent(event);
}

} // namespace stanzary
