#include "ui/PathButton.h"

#include "ui/PlainText.h"

#include <QStyleOptionButton>
#include <QStylePainter>

namespace stanzary {

namespace {

// Wide enough for a short name; the layout gives more when there is room.
constexpr int HintCharacters = 12;

} // namespace

QString withoutMnemonics(const QString &text)
{
    QString escaped = text;
    return escaped.replace(u'&', QStringLiteral("&&"));
}

PathButton::PathButton(QWidget *parent) : QPushButton(parent)
{
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void PathButton::setPath(const QString &path)
{
    m_path = path;
    setText(withoutMnemonics(path));
    setPlainToolTip(this, path);
}

void PathButton::setCaption(const QString &caption)
{
    m_path.clear();
    setText(caption);
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
    const int room = std::max(content.width() - 2 * style()->pixelMetric(QStyle::PM_ButtonMargin, &option, this), 0);
    // A path is cut as written and its "&" doubled afterwards, so that the
    // cut never leaves a lone "&" that the style would take as a mnemonic.
    if (m_path.isEmpty())
        option.text = fontMetrics().elidedText(text(), Qt::ElideMiddle, room, Qt::TextShowMnemonic);
    else
        option.text = withoutMnemonics(fontMetrics().elidedText(m_path, Qt::ElideMiddle, room));
    painter.drawControl(QStyle::CE_PushButton, option);
}

} // namespace stanzary
