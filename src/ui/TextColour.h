#pragma once

#include <QColor>
#include <QPalette>
#include <QWidget>

namespace stanzary {

// Draws a label's (or any widget's) text in colour while it is enabled; a
// disabled one keeps the greyed text of the style, as every other text does.
inline void setTextColour(QWidget *widget, const QColor &colour)
{
    QPalette p = widget->palette();
    p.setColor(QPalette::Active, QPalette::WindowText, colour);
    p.setColor(QPalette::Inactive, QPalette::WindowText, colour);
    widget->setPalette(p);
}

// Captions the tagger window's code sets in more than one place.
namespace TaggerCaption {
inline QString TagCheckedFiles()
{
    return QStringLiteral("Tag checked files");
}
inline QString MatchesPending()
{
    return QStringLiteral("Matches: ...");
}
} // namespace TaggerCaption

} // namespace stanzary
