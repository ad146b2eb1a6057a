#pragma once

#include <QString>

class QWidget;

namespace stanzary {

// Texts from files - names, paths, page addresses - where Qt would take
// markup: a tool tip, an item's tool tip. Qt shows a tool tip that looks like
// markup as rich text, so a folder named "<b>Live</b>" would read "Live" in
// bold; through this it reads as written. A text that cannot be taken for
// markup comes back unchanged, and an empty one stays empty (no tip).
// Labels that show such texts use Qt::PlainText (ElidedLabel does).
QString plainToolTip(const QString &text);

// widget's tool tip, showing text as written.
void setPlainToolTip(QWidget *widget, const QString &text);

} // namespace stanzary
