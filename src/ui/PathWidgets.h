#pragma once

#include <QLabel>
#include <QPushButton>

namespace stanzary {

// A label and a button that show a long text (a file name, a folder path) cut
// in the middle with "..." when it does not fit, instead of widening the
// window. text() stays the whole text; the size hint does not grow with it.

class PathLabel : public QLabel
{
    Q_OBJECT

public:
    explicit PathLabel(QWidget *parent = nullptr);
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
};

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
