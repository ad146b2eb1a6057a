#pragma once

#include <QAbstractSlider>

namespace stanzary {

// The time picker's spinner `myScroll`: a vertical pair of arrow buttons
// over a value range, "up" increasing the value. It never takes the keyboard
// focus; the picker that holds it passes its arrow keys on (stepUp and
// stepDown). A press on an arrow steps once and repeats while held; a wheel
// notch steps once.
class TimeSpinner : public QAbstractSlider
{
    Q_OBJECT

public:
    explicit TimeSpinner(QWidget *parent = nullptr);

    void stepUp();
    void stepDown();

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    enum class Half { None, Up, Down };
    Half halfAt(const QPoint &pos) const;
    QRect halfRect(Half half) const;
    void paintHalf(class QPainter &painter, Half half) const;

    Half m_pressed = Half::None;
    int m_wheelDelta = 0; // eighths of a degree not yet turned into a step
};

} // namespace stanzary
