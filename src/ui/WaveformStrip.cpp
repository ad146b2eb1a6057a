#include "ui/WaveformStrip.h"

#include "karaoke/StampOrder.h"
#include "karaoke/StampSteps.h"
#include "karaoke/StampTiming.h"
#include "ui/PlainText.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QToolTip>
#include <QWheelEvent>

#include <cmath>

namespace stanzary {

namespace {

constexpr qint64 kSeekStepMs = 1000;
constexpr double kZoomFactor = 1.25;
constexpr int kGrabPixels = 5; // how near a mark's line a press takes it

// "00:12.4": a moment as the strip reads it, in tenths.
QString momentText(qint64 ms)
{
    const qint64 tenths = qMax<qint64>(0, ms) / 100;
    return QStringLiteral("%1:%2.%3")
        .arg(tenths / 600, 2, 10, QChar(u'0'))
        .arg(tenths / 10 % 60, 2, 10, QChar(u'0'))
        .arg(tenths % 10);
}

} // namespace

WaveformStrip::WaveformStrip(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("picWaveform"));
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setAccessibleName(QStringLiteral("Waveform"));
    updateSpokenState();
}

QSize WaveformStrip::sizeHint() const
{
    return QSize(600, minimumSizeHint().height());
}

QSize WaveformStrip::minimumSizeHint() const
{
    return QSize(200, 3 * laneHeight() + 64);
}

qint64 WaveformStrip::songMs() const
{
    const qint64 known = qMax(m_duration, m_envelope.durationMs);
    if (known > 0)
        return known;
    const qint64 lastStamp = m_marks.isEmpty() ? 0 : m_marks.last().ms;
    return qMax(kDefaultWindowMs, lastStamp + kDefaultWindowMs / 2);
}

double WaveformStrip::msPerColumn() const
{
    const double columns = qMax(1.0, width() * devicePixelRatioF());
    return double(m_windowMs) / columns;
}

qint64 WaveformStrip::viewStartMs() const
{
    if (m_drag)
        return m_drag->viewStartMs;
    const qint64 start = qBound<qint64>(0, m_position - m_windowMs / 3, qMax<qint64>(0, songMs() - m_windowMs));
    // Whole columns, so the picture does not shimmer as it scrolls.
    const double perColumn = msPerColumn();
    return qint64(std::floor(double(start) / perColumn) * perColumn);
}

double WaveformStrip::xOf(qint64 ms) const
{
    return double(ms - viewStartMs()) / msPerColumn() / devicePixelRatioF();
}

qint64 WaveformStrip::msAt(double x) const
{
    return viewStartMs() + qint64(std::llround(x * devicePixelRatioF() * msPerColumn()));
}

QString WaveformStrip::spokenState() const
{
    QString text = QStringLiteral("Playhead %1.").arg(momentText(m_position));
    if (m_current >= 0 && m_current < m_rows.size() && hasStamp(m_rows, m_current)) {
        const KasRow &row = m_rows.at(m_current);
        text += QStringLiteral(" Stamp %1: %2 %3.").arg(m_current + 1).arg(stampText(row.time), row.Text);
    }
    if (m_outOfOrder > 0)
        text += QStringLiteral(" %1 out of order; S sorts the stamps.")
                    .arg(m_outOfOrder == 1 ? QStringLiteral("1 stamp") : QStringLiteral("%1 stamps").arg(m_outOfOrder));
    if (!m_message.isEmpty())
        text += u' ' + m_message;
    return text;
}

void WaveformStrip::updateSpokenState()
{
    const QString text = spokenState();
    if (accessibleDescription() != text)
        setAccessibleDescription(text);
}

void WaveformStrip::setEnvelope(const SoundEnvelope &envelope)
{
    m_envelope = envelope;
    m_columnsMs = 0;
    setWindowMs(m_windowMs);
    update();
}

void WaveformStrip::setMessage(const QString &message)
{
    if (m_message == message)
        return;
    m_message = message;
    updateSpokenState();
    update();
}

void WaveformStrip::setStamps(const QList<KasRow> &rows, int current)
{
    m_rows = rows;
    m_current = current;
    const QList<int> outOfOrder = outOfOrderRows(rows);
    m_outOfOrder = int(outOfOrder.size());
    m_marks.clear();
    for (int i = 0; i < rows.size(); ++i) {
        if (hasStamp(rows, i))
            m_marks.append(
                Mark{i, qint64(stampMilliseconds(rows.at(i).time)), rows.at(i).Text, outOfOrder.contains(i)});
    }
    std::stable_sort(m_marks.begin(), m_marks.end(), [](const Mark &a, const Mark &b) { return a.ms < b.ms; });
    if (m_drag && !hasStamp(rows, m_drag->row))
        m_drag.reset();
    updateSpokenState();
    update();
}

void WaveformStrip::setPosition(qint64 ms)
{
    if (m_position == ms)
        return;
    m_position = ms;
    updateSpokenState();
    update();
}

void WaveformStrip::setDuration(qint64 ms)
{
    m_duration = qMax<qint64>(0, ms);
    setWindowMs(m_windowMs);
    update();
}

void WaveformStrip::setWindowMs(qint64 ms)
{
    const qint64 widest = qMax(kNarrowestWindowMs, songMs());
    const qint64 window = qBound(kNarrowestWindowMs, ms, widest);
    if (window == m_windowMs && m_columnsMs > 0)
        return;
    m_windowMs = window;
    m_columnsMs = 0;
    update();
}

void WaveformStrip::zoomIn()
{
    setWindowMs(qint64(std::llround(double(m_windowMs) / kZoomFactor)));
}

void WaveformStrip::zoomOut()
{
    setWindowMs(qint64(std::llround(double(m_windowMs) * kZoomFactor)));
}

void WaveformStrip::sortStamps()
{
    const RowsEdit edit = sortEdit(m_rows, m_current);
    if (!edit.isEmpty())
        emit sortRequested(edit);
}

void WaveformStrip::rebuildColumns()
{
    const double perColumn = msPerColumn();
    if (m_columnsMs == perColumn)
        return;
    m_columnsMs = perColumn;
    m_columns.clear();
    if (m_envelope.isEmpty())
        return;
    const qsizetype count = qsizetype(std::ceil(double(m_envelope.durationMs) / perColumn));
    m_columns.resize(count);
    for (qsizetype c = 0; c < count; ++c)
        m_columns[c] = char(m_envelope.peak(qint64(c * perColumn), qint64((c + 1) * perColumn)));
}

void WaveformStrip::resizeEvent(QResizeEvent *event)
{
    m_columnsMs = 0;
    QWidget::resizeEvent(event);
}

void WaveformStrip::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::PaletteChange || event->type() == QEvent::FontChange) {
        m_labels.clear();
        update();
    }
    QWidget::changeEvent(event);
}

std::optional<int> WaveformStrip::markAt(const QPoint &point) const
{
    std::optional<int> nearest;
    double best = kGrabPixels + 0.5;
    const int labels = 2 * laneHeight();
    const QFontMetrics metrics(font());
    for (int i = 0; i < m_marks.size(); ++i) {
        const double x = xOf(m_marks.at(i).ms);
        // The label hangs to the right of its line.
        const double labelRight = x + metrics.horizontalAdvance(m_marks.at(i).text) + 8;
        const bool onLabel = point.y() < labels && point.x() >= x - 1 && point.x() <= labelRight;
        const double distance = onLabel ? 0.0 : std::abs(point.x() - x);
        if (distance < best || (distance == best && m_marks.at(i).row == m_current)) {
            best = distance;
            nearest = i;
        }
    }
    return nearest;
}

void WaveformStrip::seekTo(qint64 ms)
{
    emit seekRequested(qBound<qint64>(0, ms, songMs()));
}

void WaveformStrip::activateRow(int row)
{
    if (row >= 0 && row < m_rows.size())
        emit rowActivated(row);
}

void WaveformStrip::replayCurrent()
{
    if (m_current >= 0 && m_current < m_rows.size())
        emit replayRequested(replayPosition(m_rows.at(m_current).time));
}

void WaveformStrip::moveCurrentMark(int steps)
{
    if (!hasStamp(m_rows, m_current))
        return;
    const qint64 from = stampMilliseconds(m_rows.at(m_current).time);
    const DraggedStamp moved = dragStamp(m_rows, m_current, from + qint64(steps) * kStampStepMs, m_current);
    if (!moved.edit.isEmpty())
        emit markMoved(moved.edit);
    else
        QApplication::beep();
}

void WaveformStrip::mousePressEvent(QMouseEvent *event)
{
    m_swallowRelease = false;
    if (event->button() != Qt::LeftButton)
        return QWidget::mousePressEvent(event);
    const QPoint at = event->position().toPoint();
    Drag drag;
    drag.row = -1;
    drag.pressed = at;
    drag.viewStartMs = viewStartMs();
    if (const std::optional<int> mark = markAt(at)) {
        drag.row = m_marks.at(*mark).row;
        drag.grabOffsetMs = msAt(at.x()) - m_marks.at(*mark).ms;
        drag.time = m_rows.at(drag.row).time;
    }
    m_drag = drag;
}

void WaveformStrip::mouseMoveEvent(QMouseEvent *event)
{
    const QPoint at = event->position().toPoint();
    if (!m_drag) {
        const std::optional<int> mark = markAt(at);
        setCursor(mark ? Qt::SizeHorCursor : Qt::ArrowCursor);
        if (mark) {
            const Mark &m = m_marks.at(*mark);
            setPlainToolTip(
                this, QStringLiteral("Stamp %1: %2 %3").arg(m.row + 1).arg(stampText(m_rows.at(m.row).time), m.text));
        } else {
            setToolTip(QString());
        }
        return;
    }
    if (m_drag->row < 0)
        return;
    if (!m_drag->moving && (at - m_drag->pressed).manhattanLength() < QApplication::startDragDistance())
        return;
    m_drag->moving = true;
    m_drag->time = dragStamp(m_rows, m_drag->row, msAt(at.x()) - m_drag->grabOffsetMs, m_current).time;
    update();
}

void WaveformStrip::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton || !m_drag)
        return QWidget::mouseReleaseEvent(event);
    const Drag drag = *m_drag;
    m_drag.reset();
    update();
    if (std::exchange(m_swallowRelease, false))
        return;
    if (drag.row < 0) {
        seekTo(msAt(event->position().x()));
        return;
    }
    if (!drag.moving)
        return;
    const qint64 wanted = msAt(event->position().x()) - drag.grabOffsetMs;
    const DraggedStamp moved = dragStamp(m_rows, drag.row, wanted, m_current);
    if (!moved.edit.isEmpty())
        emit markMoved(moved.edit);
}

void WaveformStrip::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return QWidget::mouseDoubleClickEvent(event);
    m_swallowRelease = true;
    const std::optional<int> mark = markAt(event->position().toPoint());
    if (!mark)
        return;
    const Mark &m = m_marks.at(*mark);
    emit rowActivated(m.row);
    emit replayRequested(replayPosition(m_rows.at(m.row).time));
}

void WaveformStrip::wheelEvent(QWheelEvent *event)
{
    if (!(event->modifiers() & Qt::ControlModifier))
        return QWidget::wheelEvent(event);
    const double notches = event->angleDelta().y() / 120.0;
    if (notches != 0)
        setWindowMs(qint64(std::llround(double(m_windowMs) * std::pow(kZoomFactor, -notches))));
    event->accept();
}

bool WaveformStrip::handleKey(const QKeyEvent *event, bool run)
{
    const Qt::KeyboardModifiers mods = event->modifiers() & ~Qt::KeypadModifier;
    const bool plain = mods == Qt::NoModifier;
    const bool withCtrl = mods == Qt::ControlModifier;
    std::function<void()> action;
    switch (event->key()) {
    case Qt::Key_Left:
    case Qt::Key_Right: {
        const int sign = event->key() == Qt::Key_Left ? -1 : 1;
        if (plain)
            action = [=, this] { seekTo(m_position + sign * kSeekStepMs); };
        else if (withCtrl)
            action = [=, this] { moveCurrentMark(sign); };
        break;
    }
    case Qt::Key_PageUp:
    case Qt::Key_PageDown: {
        const int sign = event->key() == Qt::Key_PageUp ? -1 : 1;
        if (plain)
            action = [=, this] { seekTo(m_position + sign * m_windowMs); };
        break;
    }
    case Qt::Key_Home:
        if (plain)
            action = [this] { seekTo(0); };
        break;
    case Qt::Key_End:
        if (plain)
            action = [this] { seekTo(songMs()); };
        break;
    case Qt::Key_Up:
    case Qt::Key_Down: {
        const int sign = event->key() == Qt::Key_Up ? -1 : 1;
        if (plain)
            action = [=, this] { activateRow(m_current + sign); };
        break;
    }
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (plain)
            action = [this] { replayCurrent(); };
        break;
    case Qt::Key_S:
        if (plain)
            action = [this] { sortStamps(); };
        break;
    case Qt::Key_Plus:
    case Qt::Key_Equal:
        if (withCtrl || mods == (Qt::ControlModifier | Qt::ShiftModifier))
            action = [this] { zoomIn(); };
        break;
    case Qt::Key_Minus:
        if (withCtrl)
            action = [this] { zoomOut(); };
        break;
    case Qt::Key_Escape:
        if (m_drag)
            action = [this] {
                m_drag.reset();
                update();
            };
        break;
    default: break;
    }
    if (action && run)
        action();
    return bool(action);
}

bool WaveformStrip::event(QEvent *event)
{
    // The strip's keys win over the window's shortcuts while it has focus.
    if (event->type() == QEvent::ShortcutOverride && handleKey(static_cast<QKeyEvent *>(event), false)) {
        event->accept();
        return true;
    }
    return QWidget::event(event);
}

void WaveformStrip::keyPressEvent(QKeyEvent *event)
{
    if (!handleKey(event, true))
        QWidget::keyPressEvent(event);
}

void WaveformStrip::contextMenuEvent(QContextMenuEvent *event)
{
    QMenu menu(this);
    QAction *replay = menu.addAction(QStringLiteral("&Replay Stamp\tEnter"), this, &WaveformStrip::replayCurrent);
    replay->setEnabled(m_current >= 0 && m_current < m_rows.size());
    QAction *sort = menu.addAction(QStringLiteral("&Sort Stamps\tS"), this, &WaveformStrip::sortStamps);
    sort->setEnabled(m_outOfOrder > 0);
    menu.addSeparator();
    menu.addAction(QStringLiteral("Zoom &In\tCtrl++"), this, &WaveformStrip::zoomIn)
        ->setEnabled(m_windowMs > kNarrowestWindowMs);
    menu.addAction(QStringLiteral("Zoom &Out\tCtrl+-"), this, &WaveformStrip::zoomOut)
        ->setEnabled(m_windowMs < songMs());
    menu.exec(event->reason() == QContextMenuEvent::Mouse ? event->globalPos()
                                                          : mapToGlobal(QPoint(int(xOf(m_position)), 0)));
}

} // namespace stanzary
