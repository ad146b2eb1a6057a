// How the waveform strip draws itself: the envelope, the time ruler, the
// marks and the playhead, in the palette's colours so that light and dark
// themes both read.
#include "ui/WaveformStrip.h"

#include "karaoke/StampSteps.h"

#include <QPainter>
#include <QPainterPath>
#include <QStyleOptionFocusRect>

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

    if (!m_columns.isEmpty()) {
        // One column per device pixel: a polygon of the top edge there and
        // the bottom edge back.
        const double dpr = devicePixelRatioF();
        const qsizetype first = qsizetype(std::llround(double(viewStartMs()) / m_columnsMs));
        const qsizetype count = qMin<qsizetype>(qsizetype(std::ceil(width() * dpr)) + 1, m_columns.size() - first);
        if (count > 0) {
            const double half = wave.height() / 2.0 - 1;
            QPolygonF outline;
            outline.reserve(4 * count);
            for (qsizetype c = 0; c < count; ++c) {
                const double h = half * quint8(m_columns.at(first + c)) / 255.0;
                outline << QPointF(c / dpr, middle - h) << QPointF((c + 1) / dpr, middle - h);
            }
            for (qsizetype c = count - 1; c >= 0; --c) {
                const double h = half * quint8(m_columns.at(first + c)) / 255.0;
                outline << QPointF((c + 1) / dpr, middle + h) << QPointF(c / dpr, middle + h);
            }
            painter.setPen(Qt::NoPen);
            painter.setBrush(mixed(pal.color(QPalette::Highlight), pal.color(QPalette::Base), 0.6));
            painter.drawPolygon(outline);
            painter.setBrush(Qt::NoBrush);
        }
    }
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

void WaveformStrip::paintRuler(QPainter &painter, const QRect &ruler) const
{
    const QPalette &pal = palette();
    const QFontMetrics metrics = fontMetrics();
    const double msPerPixel = msPerColumn() * devicePixelRatioF();
    const qint64 step = rulerStep(msPerPixel, metrics.horizontalAdvance(QStringLiteral("00:00")));
    const qint64 start = viewStartMs();
    const qint64 end = msAt(width());
    painter.setPen(pal.color(QPalette::WindowText));
    for (qint64 ms = (start + step - 1) / step * step; ms <= end; ms += step) {
        const double x = std::round(xOf(ms)) + 0.5;
        painter.drawLine(QPointF(x, ruler.top()), QPointF(x, ruler.top() + 3));
        const QString text = rulerText(ms);
        const double textWidth = metrics.horizontalAdvance(text);
        const double left = qBound(2.0, x - textWidth / 2, width() - textWidth - 2);
        painter.drawText(QRectF(left, ruler.top() + 3, textWidth, ruler.height() - 3), Qt::AlignCenter, text);
    }
}

void WaveformStrip::paintMarks(QPainter &painter, const QRect &wave) const
{
    const QPalette &pal = palette();
    const QFontMetrics metrics = fontMetrics();
    const int lane = laneHeight();
    const QColor warning = warningColour();
    const QColor line = mixed(pal.color(QPalette::Text), pal.color(QPalette::Base), 0.7);
    // Labels take the upper lane unless that would cover the label before.
    double laneEnd[2] = {-1e9, -1e9};
    const double left = -200;
    const double right = width() + 1;

    struct Drawn
    {
        const Mark *mark;
        qint64 ms;
    };
    QList<Drawn> drawn;
    for (const Mark &mark : m_marks) {
        qint64 ms = mark.ms;
        if (m_drag && m_drag->moving && mark.row == m_drag->row)
            ms = stampMilliseconds(m_drag->time);
        drawn.append(Drawn{&mark, ms});
    }
    std::stable_sort(drawn.begin(), drawn.end(), [](const Drawn &a, const Drawn &b) { return a.ms < b.ms; });

    for (const Drawn &d : drawn) {
        const Mark &mark = *d.mark;
        const double x = std::round(xOf(d.ms)) + 0.5;
        const bool current = mark.row == m_current;
        const bool dragged = m_drag && m_drag->moving && mark.row == m_drag->row;
        const QString text = mark.text.isEmpty() ? QStringLiteral("  ") : mark.text;
        const double labelWidth = metrics.horizontalAdvance(text) + 8;
        const int laneIndex = x > laneEnd[0] + 2 ? 0 : 1;
        if (x + labelWidth < left || x > right) {
            laneEnd[laneIndex] = x + labelWidth;
            continue;
        }
        laneEnd[laneIndex] = x + labelWidth;

        const QColor colour = mark.outOfOrder ? warning : current ? pal.color(QPalette::Highlight) : line;
        QPen pen(colour, current || dragged ? 2 : 1);
        pen.setCosmetic(false);
        if (mark.outOfOrder)
            pen.setStyle(Qt::DashLine);
        painter.setPen(pen);
        const double top = laneIndex * lane;
        painter.drawLine(QPointF(x, top + lane - 1), QPointF(x, wave.bottom()));

        const QRectF label(x, top + 1, labelWidth, lane - 2);
        painter.setPen(QPen(colour, mark.outOfOrder ? 2 : 1));
        painter.setBrush(current ? pal.color(QPalette::Highlight) : pal.color(QPalette::Base));
        painter.drawRect(label.adjusted(0.5, 0.5, -0.5, -0.5));
        painter.setPen(current           ? pal.color(QPalette::HighlightedText)
                       : mark.outOfOrder ? warning
                                         : pal.color(QPalette::Text));
        painter.drawText(label, Qt::AlignCenter, text);
        painter.setBrush(Qt::NoBrush);

        if (dragged) {
            // Where it was, and where it lands.
            const double from = std::round(xOf(mark.ms)) + 0.5;
            QPen ghost(line, 1, Qt::DotLine);
            painter.setPen(ghost);
            painter.drawLine(QPointF(from, wave.top()), QPointF(from, wave.bottom()));
            const QString time = stampText(m_drag->time);
            const QRectF bubble(x + 4, wave.top() + 2, metrics.horizontalAdvance(time) + 8, lane - 2);
            painter.setPen(pal.color(QPalette::ToolTipText));
            painter.setBrush(pal.color(QPalette::ToolTipBase));
            painter.drawRect(bubble.adjusted(0.5, 0.5, -0.5, -0.5));
            painter.drawText(bubble, Qt::AlignCenter, time);
            painter.setBrush(Qt::NoBrush);
        }
    }
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
