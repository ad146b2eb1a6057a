// How the waveform strip draws itself: the envelope, the time ruler, the
// marks and the playhead, in the palette's colours so that light and dark
// themes both read.
#include "ui/WaveformStrip.h"

#include "karaoke/StampSteps.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QStyleOptionFocusRect>
#include <QVarLengthArray>

#include <cmath>

namespace stanzary {

namespace {

QColor mixed(const QColor &a, const QColor &b, double share)
{
    return QColor::fromRgbF(float(a.redF() * share + b.redF() * (1 - share)),
                            float(a.greenF() * share + b.greenF() * (1 - share)),
                            float(a.blueF() * share + b.blueF() * (1 - share)));
}

// Ruler steps: the first that leaves room for a time's text between ticks.
qint64 rulerStep(double msPerPixel, int textWidth)
{
    static constexpr qint64 steps[] = {1000, 2000, 5000, 10000, 15000, 30000, 60000, 120000, 300000, 600000};
    for (qint64 step : steps) {
        if (double(step) / msPerPixel >= textWidth * 1.6)
            return step;
    }
    return 1200000;
}

QString rulerText(qint64 ms)
{
    const qint64 seconds = ms / 1000;
    return QStringLiteral("%1:%2").arg(seconds / 60).arg(seconds % 60, 2, 10, QChar(u'0'));
}

} // namespace

int WaveformStrip::laneHeight() const
{
    return fontMetrics().height() + 4;
}

QRect WaveformStrip::waveRect() const
{
    const int lane = laneHeight();
    return QRect(0, 2 * lane, width(), qMax(8, height() - 3 * lane));
}

QColor WaveformStrip::warningColour() const
{
    // An orange-red that stands out on the theme's base, light or dark.
    const bool darkBase = palette().color(QPalette::Base).lightness() < 128;
    return darkBase ? QColor(255, 150, 70) : QColor(190, 60, 0);
}

void WaveformStrip::paintEvent(QPaintEvent *)
{
    rebuildColumns();
    QPainter painter(this);
    const QPalette &pal = palette();
    painter.fillRect(rect(), pal.color(QPalette::Window));
    const QRect wave = waveRect();
    painter.fillRect(wave, pal.color(QPalette::Base));
    paintWave(painter, wave);
    paintRuler(painter, QRect(0, wave.bottom() + 1, width(), height() - wave.bottom() - 1));
    paintMarks(painter, wave);
    paintPlayhead(painter);
    paintMessage(painter, wave);
    if (hasFocus()) {
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        focus.rect = rect().adjusted(1, 1, -1, -1);
        focus.backgroundColor = pal.color(QPalette::Window);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &painter, this);
    }
}

void WaveformStrip::paintWave(QPainter &painter, const QRect &wave) const
{
    const QPalette &pal = palette();
    const double middle = wave.center().y() + 0.5;
    painter.setPen(QPen(mixed(pal.color(QPalette::Text), pal.color(QPalette::Base), 0.25), 0));
    painter.drawLine(QPointF(0, middle), QPointF(width(), middle));
    if (m_columns.isEmpty())
        return;
    // One line a device pixel wide for each column in view.
    const double dpr = devicePixelRatioF();
    const qsizetype first = qsizetype(std::llround(double(viewStartMs()) / m_columnsMs));
    const qsizetype count = qMin<qsizetype>(qsizetype(std::ceil(width() * dpr)) + 1, m_columns.size() - first);
    const double half = wave.height() / 2.0 - 1;
    QVarLengthArray<QLineF, 2048> lines;
    for (qsizetype c = 0; c < count; ++c) {
        const quint8 level = quint8(m_columns.at(first + c));
        if (level == 0)
            continue;
        const double x = (c + 0.5) / dpr;
        const double h = qMax(0.5, half * level / 255.0);
        lines.append(QLineF(x, middle - h, x, middle + h));
    }
    painter.setPen(QPen(mixed(pal.color(QPalette::Highlight), pal.color(QPalette::Base), 0.6), 0));
    painter.drawLines(lines.constData(), int(lines.size()));
}

void WaveformStrip::paintMessage(QPainter &painter, const QRect &wave) const
{
    if (m_message.isEmpty())
        return;
    // On a box of its own, so the marks behind it do not cross the words.
    const QPalette &pal = palette();
    const QFontMetrics metrics = fontMetrics();
    const QString text = metrics.elidedText(m_message, Qt::ElideRight, wave.width() - 24);
    QRect box(0, 0, metrics.horizontalAdvance(text) + 16, metrics.height() + 8);
    box.moveCenter(wave.center());
    painter.setPen(mixed(pal.color(QPalette::Text), pal.color(QPalette::Base), 0.3));
    painter.setBrush(pal.color(QPalette::Base));
    painter.drawRect(QRectF(box).adjusted(0.5, 0.5, -0.5, -0.5));
    painter.setBrush(Qt::NoBrush);
    painter.setPen(pal.color(QPalette::Text));
    painter.drawText(box, Qt::AlignCenter | Qt::TextSingleLine, text);
}

QPixmap WaveformStrip::labelPicture(const QString &text, LabelStyle style) const
{
    const double dpr = devicePixelRatioF();
    if (dpr != m_labelsDpr) {
        m_labels.clear();
        m_labelsDpr = dpr;
    }
    const QString key = QString::number(int(style)) + u'|' + text;
    if (const auto found = m_labels.constFind(key); found != m_labels.cend())
        return *found;
    if (m_labels.size() > 4000)
        m_labels.clear();

    const QPalette &pal = palette();
    const QFontMetrics metrics = fontMetrics();
    const bool boxed = style != LabelStyle::Ruler;
    const QSize size(metrics.horizontalAdvance(text) + (boxed ? 8 : 0), boxed ? laneHeight() - 2 : metrics.height());
    QPixmap picture(size * dpr);
    picture.setDevicePixelRatio(dpr);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setFont(font());
    const QRectF box(QPointF(0, 0), QSizeF(size));
    const QColor warning = warningColour();
    QColor ink = pal.color(QPalette::Text);
    switch (style) {
    case LabelStyle::Ruler: ink = pal.color(QPalette::WindowText); break;
    case LabelStyle::Plain:
    case LabelStyle::OutOfOrder:
    case LabelStyle::Current:
    case LabelStyle::CurrentOutOfOrder: {
        const bool current = style == LabelStyle::Current || style == LabelStyle::CurrentOutOfOrder;
        const bool outOfOrder = style == LabelStyle::OutOfOrder || style == LabelStyle::CurrentOutOfOrder;
        const QColor edge = outOfOrder ? warning
                            : current  ? pal.color(QPalette::Highlight)
                                       : mixed(pal.color(QPalette::Text), pal.color(QPalette::Base), 0.7);
        const int edgeWidth = outOfOrder ? 2 : 1;
        painter.setPen(QPen(edge, edgeWidth));
        painter.setBrush(current ? pal.color(QPalette::Highlight) : pal.color(QPalette::Base));
        painter.drawRect(box.adjusted(edgeWidth / 2.0, edgeWidth / 2.0, -edgeWidth / 2.0, -edgeWidth / 2.0));
        ink = current ? pal.color(QPalette::HighlightedText) : outOfOrder ? warning : pal.color(QPalette::Text);
        break;
    }
    case LabelStyle::Bubble:
        painter.setPen(pal.color(QPalette::ToolTipText));
        painter.setBrush(pal.color(QPalette::ToolTipBase));
        painter.drawRect(box.adjusted(0.5, 0.5, -0.5, -0.5));
        ink = pal.color(QPalette::ToolTipText);
        break;
    }
    painter.setPen(ink);
    painter.drawText(box, Qt::AlignCenter, text);
    painter.end();
    m_labels.insert(key, picture);
    return picture;
}

void WaveformStrip::paintRuler(QPainter &painter, const QRect &ruler) const
{
    const QFontMetrics metrics = fontMetrics();
    const double msPerPixel = msPerColumn() * devicePixelRatioF();
    const qint64 step = rulerStep(msPerPixel, metrics.horizontalAdvance(QStringLiteral("00:00")));
    const qint64 start = viewStartMs();
    const qint64 end = msAt(width());
    painter.setPen(palette().color(QPalette::WindowText));
    for (qint64 ms = (start + step - 1) / step * step; ms <= end; ms += step) {
        const double x = std::round(xOf(ms)) + 0.5;
        painter.drawLine(QPointF(x, ruler.top()), QPointF(x, ruler.top() + 3));
        const QPixmap text = labelPicture(rulerText(ms), LabelStyle::Ruler);
        const double textWidth = text.deviceIndependentSize().width();
        const double left = qBound(2.0, x - textWidth / 2, width() - textWidth - 2);
        painter.drawPixmap(QPointF(std::round(left), ruler.top() + 3), text);
    }
}

void WaveformStrip::paintMarks(QPainter &painter, const QRect &wave) const
{
    const QPalette &pal = palette();
    const int lane = laneHeight();
    const QColor warning = warningColour();
    const QColor line = mixed(pal.color(QPalette::Text), pal.color(QPalette::Base), 0.7);
    const std::optional<int> dragged = m_drag && m_drag->moving ? std::optional<int>(m_drag->row) : std::nullopt;

    // A label takes the upper lane, or the lower one when the upper would
    // cover the label before it; with no room in either, the mark is drawn
    // without its label (the current and the dragged one always have theirs).
    double laneEnd[2] = {-1e9, -1e9};
    const auto draw = [&](const Mark &mark, qint64 ms) {
        const double x = std::round(xOf(ms)) + 0.5;
        const bool current = mark.row == m_current;
        const bool moving = dragged && mark.row == *dragged;
        const LabelStyle style = current ? (mark.outOfOrder ? LabelStyle::CurrentOutOfOrder : LabelStyle::Current)
                                         : (mark.outOfOrder ? LabelStyle::OutOfOrder : LabelStyle::Plain);
        const QPixmap label = labelPicture(mark.text.isEmpty() ? QStringLiteral("  ") : mark.text, style);
        const double labelWidth = label.deviceIndependentSize().width();
        int laneIndex = x > laneEnd[0] + 2 ? 0 : 1;
        const bool labelled = laneIndex == 0 || x > laneEnd[1] + 2 || current || moving;
        if (labelled)
            laneEnd[laneIndex] = x + labelWidth;
        if (x + labelWidth < 0 || x > width() + 1)
            return;

        const QColor colour = mark.outOfOrder ? warning : current ? pal.color(QPalette::Highlight) : line;
        QPen pen(colour, current || moving ? 2 : 1);
        if (mark.outOfOrder)
            pen.setStyle(Qt::DashLine);
        painter.setPen(pen);
        const double top = labelled ? laneIndex * lane + lane - 1 : wave.top();
        painter.drawLine(QPointF(x, top), QPointF(x, wave.bottom()));
        if (labelled)
            painter.drawPixmap(QPointF(x - 0.5, laneIndex * lane + 1), label);
    };

    // The marks from a label's width before the view to its end.
    const qint64 from = msAt(-lane * 6);
    const qint64 to = msAt(width() + 1);
    auto mark =
        std::lower_bound(m_marks.cbegin(), m_marks.cend(), from, [](const Mark &m, qint64 ms) { return m.ms < ms; });
    for (; mark != m_marks.cend() && mark->ms <= to; ++mark) {
        if (!(dragged && mark->row == *dragged))
            draw(*mark, mark->ms);
    }
    if (!dragged)
        return;
    // The dragged mark over the others: where it was, and where it lands.
    const auto it = std::find_if(m_marks.cbegin(), m_marks.cend(), [&](const Mark &m) { return m.row == *dragged; });
    if (it == m_marks.cend())
        return;
    const double was = std::round(xOf(it->ms)) + 0.5;
    painter.setPen(QPen(line, 1, Qt::DotLine));
    painter.drawLine(QPointF(was, wave.top()), QPointF(was, wave.bottom()));
    const qint64 lands = stampMilliseconds(m_drag->time);
    laneEnd[0] = laneEnd[1] = -1e9;
    draw(*it, lands);
    painter.drawPixmap(QPointF(std::round(xOf(lands)) + 4, wave.top() + 2),
                       labelPicture(stampText(m_drag->time), LabelStyle::Bubble));
}

void WaveformStrip::paintPlayhead(QPainter &painter) const
{
    const double x = std::round(xOf(m_position)) + 0.5;
    if (x < -2 || x > width() + 2)
        return;
    const QColor colour = palette().color(QPalette::WindowText);
    painter.setPen(QPen(colour, 2));
    const QRect wave = waveRect();
    painter.drawLine(QPointF(x, wave.top()), QPointF(x, wave.bottom()));
    QPainterPath head;
    head.moveTo(x - 5, wave.top());
    head.lineTo(x + 5, wave.top());
    head.lineTo(x, wave.top() + 6);
    head.closeSubpath();
    painter.fillPath(head, colour);
}

} // namespace stanzary
