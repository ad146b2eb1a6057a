#include "ui/ColumnSplitter.h"

#include "ui/Twips.h"

namespace stanzary {

ColumnSplitter::ColumnSplitter(QWidget *left, QWidget *right, QWidget *parent) : QSplitter(Qt::Horizontal, parent)
{
    setObjectName(QStringLiteral("splitMain"));
    setChildrenCollapsible(false);
    addWidget(left);
    addWidget(right);
    setStretchFactor(1, 1);
    setHandleWidth(6);
    handle(1)->setObjectName(QStringLiteral("picSplit"));
    handle(1)->setAccessibleName(QStringLiteral("Splitter"));
}

void ColumnSplitter::setLeftEdge(double twips)
{
    m_wanted = twips;
    applyLeft(twipsToPixels(twips));
}

void ColumnSplitter::DoSplit(double twips)
{
    const double inner = pixelsToTwips(width());
    const float low = static_cast<float>(inner * 0.1);
    const float high = static_cast<float>(inner * 0.9);
    if (twips < low || twips > high)
        return;
    applyLeft(twipsToPixels(twips));
}

double ColumnSplitter::leftEdge() const
{
    const QList<int> widths = sizes();
    return widths.isEmpty() ? 0 : pixelsToTwips(widths.first());
}

void ColumnSplitter::applyLeft(int px)
{
    const int w = width() > 0 ? width() : parentWidget() ? parentWidget()->width() : px;
    setSizes({px, std::max(1, w - px - handleWidth())});
}

// Each column keeps at least a tenth of the width.
void ColumnSplitter::keepInBand()
{
    const int tenth = width() / 10;
    widget(0)->setMinimumWidth(tenth);
    widget(1)->setMinimumWidth(std::max(0, tenth - handleWidth()));
}

void ColumnSplitter::resizeEvent(QResizeEvent *event)
{
    QSplitter::resizeEvent(event);
    keepInBand();
}

void ColumnSplitter::showEvent(QShowEvent *event)
{
    QSplitter::showEvent(event);
    if (m_wanted >= 0) {
        keepInBand();
        applyLeft(twipsToPixels(m_wanted));
        m_wanted = -1;
    }
}

} // namespace stanzary
