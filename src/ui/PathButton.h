#pragma once

#include <QPushButton>

namespace stanzary {

// A button that shows a long text (a folder path) cut in the middle with
// "..." when it does not fit, so that both the start and the last folders
// stay readable, instead of widening the window. text() stays the whole
// text; the size hint does not grow with it.
class PathButton : public QPushButton
{
    Q_OBJECT

public:
    explicit PathButton(QWidget *parent = nullptr);
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
};

} // namespace stanzary
