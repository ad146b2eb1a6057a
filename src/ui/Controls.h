#pragma once

#include <QAnyStringView>
#include <QString>

class QGroupBox;
class QLabel;
class QPushButton;
class QWidget;

namespace stanzary {

// The small controls the windows make the same way, each named (its
// objectName, as automation finds it) and owned by parent.

// A label that shows text as plain text (a name from a file keeps its
// markup-like parts) and is read by what it shows: no accessible name of
// its own, which would stay when the text changes.
QLabel *makeLabel(QWidget *parent, QAnyStringView name, const QString &text = QString(), bool wrap = false);

// A button that is read by its caption and never becomes the window's default
// button (Enter in a text box does not press it).
QPushButton *makeButton(QWidget *parent, QAnyStringView name, const QString &caption);

// A frame with a title around a group of controls.
QGroupBox *makeFrame(QWidget *parent, QAnyStringView name, const QString &title);

// An icon of the icon set (see IconSet) at 16 pixels in a label of 18; a
// picture only, so it is named, and tipped, by what it means.
QLabel *makeIconLabel(QWidget *parent, QAnyStringView name, int image, const QString &meaning);

} // namespace stanzary
