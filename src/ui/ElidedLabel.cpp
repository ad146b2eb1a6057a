#include "ui/ElidedLabel.h"

#include "ui/PlainText.h"

#include <QEvent>
#include <QFontMetrics>

#include <algorithm>

namespace stanzary {

namespace {

const QString kEllipsis = QStringLiteral("\u2026");

bool isAddressBreak(QChar c)
{
    return c == u'/' || c == u'-' || c == u'_' || c == u'.';
}

// The longest prefix of text that ends at a break of the given kind and
// fits width with the ellipsis; empty when none does. Prefixes only grow,
// so the search stops at the first one that does not fit.
QString longestFittingPrefix(const QString &text, const QFontMetrics &fm, int width, bool atBlanks)
{
    QString best;
    for (qsizetype i = 1; i < text.size(); ++i) {
        const QChar c = text.at(i);
        QString prefix;
        if (atBlanks && c.isSpace())
            prefix = text.left(i);
        else if (!atBlanks && isAddressBreak(text.at(i - 1)))
            prefix = text.left(i);
        else
            continue;
        while (!prefix.isEmpty() && prefix.back().isSpace())
            prefix.chop(1);
        if (prefix.isEmpty())
            continue;
        if (fm.horizontalAdvance(prefix + kEllipsis) > width)
            break;
        best = prefix;
    }
    return best;
}

} // namespace

QString elideAtWord(const QString &text, const QFontMetrics &fm, int width)
{
    if (fm.horizontalAdvance(text) <= width)
        return text;
    QString prefix = longestFittingPrefix(text, fm, width, true);
    if (prefix.isEmpty())
        prefix = longestFittingPrefix(text, fm, width, false);
    if (prefix.isEmpty())
        return fm.elidedText(text, Qt::ElideRight, width);
    return prefix + kEllipsis;
}

ElidedLabel::ElidedLabel(QWidget *parent) : QLabel(parent)
{
    setTextFormat(Qt::PlainText);
    setTextInteractionFlags(Qt::TextSelectableByMouse);
    // It asks for its whole text and takes less: beside other labels in a
    // row, a short one keeps its text and a long one gets the rest.
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

void ElidedLabel::setFullText(const QString &text)
{
    m_fullText = text;
    refresh();
    updateGeometry();
}

void ElidedLabel::setRowTitle(const QString &title)
{
    m_rowTitle = title;
    refresh();
}

void ElidedLabel::setOwnToolTip(const QString &toolTip)
{
    m_ownToolTip = toolTip;
    refresh();
}

void ElidedLabel::setWrapping(bool wrapping)
{
    m_wrapping = wrapping;
    setWordWrap(wrapping);
    QSizePolicy policy(QSizePolicy::Preferred, wrapping ? QSizePolicy::Preferred : QSizePolicy::Fixed);
    policy.setHeightForWidth(wrapping);
    setSizePolicy(policy);
    refresh();
    updateGeometry();
}

QSize ElidedLabel::sizeHint() const
{
    if (m_wrapping)
        return QLabel::sizeHint();
    const int frame = width() - contentsRect().width();
    return {fontMetrics().horizontalAdvance(m_fullText) + 2 * margin() + std::max(0, indent()) + frame + 1,
            QLabel::sizeHint().height()};
}

QSize ElidedLabel::minimumSizeHint() const
{
    if (m_wrapping)
        return {0, QLabel::minimumSizeHint().height()};
    return {0, fontMetrics().lineSpacing()};
}

void ElidedLabel::resizeEvent(QResizeEvent *event)
{
    QLabel::resizeEvent(event);
    refresh();
}

void ElidedLabel::showEvent(QShowEvent *event)
{
    QLabel::showEvent(event);
    refresh();
}

void ElidedLabel::changeEvent(QEvent *event)
{
    QLabel::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        refresh();
}

void ElidedLabel::refresh()
{
    // A label that is not shown has no width of its own yet.
    const int room = contentsRect().width() - 2 * margin() - std::max(0, indent());
    setText(isVisible() && !m_wrapping ? elideAtWord(m_fullText, fontMetrics(), room) : m_fullText);
    // Tool tips take rich text; a value from a file must read as written.
    setPlainToolTip(this, !m_ownToolTip.isEmpty() ? m_ownToolTip : isElided() ? m_fullText : QString());
    setAccessibleName(m_rowTitle.isEmpty() ? m_fullText : m_rowTitle + QStringLiteral(": ") + m_fullText);
}

} // namespace stanzary
