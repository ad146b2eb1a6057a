#include "ui/PathButton.h"

#include <QStyleOptionButton>
#include <QStylePainter>

namespace stanzary {

namespace {

// Wide enough for a short name; the layout gives more when there is room.
constexpr int HintCharacters = 12;

} // namespace

PathButton::PathButton(QWidget *parent) : QPushButton(parent)
{
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

QSize PathButton::sizeHint() const
{
    QStyleOptionButton option;
    initStyleOption(&option);
    option.text = QString(HintCharacters, u'x');
    const QSize content = fontMetrics().size(Qt::TextShowMnemonic, option.text);
    return style()->sizeFromContents(QStyle::CT_PushButton, &option, content, this);
}

QSize PathButton::minimumSizeHint() const
{
    return sizeHint();
}

void PathButton::paintEvent(QPaintEvent *)
{
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    const QRect content = style()->subElementRect(QStyle::SE_PushButtonContents, &option, this);
    const int room = content.width() - 2 * style()->pixelMetric(QStyle::PM_ButtonMargin, &option, this);
    option.text = fontMetrics().elidedText(text(), Qt::ElideMiddle, std::max(room, 0));
    painter.drawControl(QStyle::CE_PushButton, option);
}

} // namespace stanzary
