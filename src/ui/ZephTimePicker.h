#pragma once

#include <QColor>
#include <QWidget>

class QLabel;

namespace stanzary {

class StampTextField;
class TimePartField;
class TimeSpinner;

// One stamp of the karaoke editor: a time mm:ss.t (minutes 0 to 13, seconds
// 0 to 59, tenths 0 to 8 in steps of 2) and the two-character start of the
// lyric line it belongs to. Left to right: the spinner `myScroll`, the
// number fields `myLabel` 0 to 2 with the separators `lblPoints`, and the
// text field `txtLyrics` at the right edge.
//
// A number part is selected with a click, with Left and Right, or by the
// focus coming back (the part selected last, minutes at first); Up and Down,
// the spinner or the mouse wheel over the digits step it, carrying into the
// next part so that every time stays between 00:00.0 and 13:59.8. Home and
// End give the part its smallest and largest value; digits typed into it
// replace its value (two for minutes and seconds, after which the next part
// is selected; an odd tenth is refused). The text field is the text part:
// a click into it or Left and Right select it, and moves the keyboard focus
// there. The control is one tab stop.
//
// Setters refuse values out of range and then notify nothing; every change
// of a property, typed text included, is notified under its own name.
class ZephTimePicker : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(int Minute READ Minute WRITE setMinute NOTIFY MinuteChanged)
    Q_PROPERTY(int Second READ Second WRITE setSecond NOTIFY SecondChanged)
    Q_PROPERTY(int Frame READ Frame WRITE setFrame NOTIFY FrameChanged)
    Q_PROPERTY(QString Text READ Text WRITE setText NOTIFY TextChanged)
    Q_PROPERTY(bool ShowTextBox READ ShowTextBox WRITE setShowTextBox NOTIFY ShowTextBoxChanged)
    Q_PROPERTY(QColor TxtForeColor READ TxtForeColor WRITE setTxtForeColor NOTIFY TxtForeColorChanged)

public:
    enum Part { NoPart = -1, MinutePart = 0, SecondPart = 1, FramePart = 2, TextPart = 3 };
    Q_ENUM(Part)

    explicit ZephTimePicker(QWidget *parent = nullptr);
    ~ZephTimePicker() override;

    int Minute() const { return m_values[MinutePart]; }
    int Second() const { return m_values[SecondPart]; }
    int Frame() const { return m_values[FramePart]; }
    QString Text() const;
    bool ShowTextBox() const { return m_showTextBox; }
    // The text field's text colour; the palette's text colour until set.
    QColor TxtForeColor() const;

    void setMinute(int minute);        // below 14
    void setSecond(int second);        // below 60
    void setFrame(int frame);          // below 9 and even
    void setText(const QString &text); // at most 2 characters
    void setShowTextBox(bool show);
    void setTxtForeColor(const QColor &color);

    // Highlights a number part and gives the control the focus, or moves
    // the focus into the text field for the text part.
    void SelectPart(Part part);
    Part selectedPart() const { return m_selected; }

    // The part as shown ("01", "4", the text) and its name ("Minutes"), for
    // screen readers; the whole stamp as a row reads ("00:13.4 se"). A
    // screen reader hears the control as its accessible name followed by
    // the stamp ("Stamp 3: 00:13.4 se").
    QString partText(Part part) const;
    static QString partName(Part part);
    // The largest value of a number part (the smallest is 0).
    static int partMaximum(Part part);
    QString stampText() const;
    QWidget *partWidget(Part part) const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    void MinuteChanged(int minute);
    void SecondChanged(int second);
    void FrameChanged(int frame);
    void TextChanged(const QString &text);
    void ShowTextBoxChanged(bool show);
    void TxtForeColorChanged(const QColor &color);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void changeEvent(QEvent *event) override;
    bool focusNextPrevChild(bool next) override;

private:
    static bool isNumberPart(Part part) { return part >= MinutePart && part <= FramePart; }
    void buildParts();
    void applyMetrics();
    void applyFieldColours();
    void SetPartValue(Part part, int value);
    void configureSpinner(Part part);
    void onSpinnerChanged();
    // The selected number part takes value, through the spinner like a step.
    void setSelectedValue(int value);
    void typeDigit(int digit);
    void onFocusChanged(QWidget *old, QWidget *now);
    void focusEntered(QWidget *now);
    void focusLeft();
    bool contains(const QWidget *w) const;
    void notifyAccessibility(Part part, bool focusMoved);

    int m_values[3] = {0, 0, 0};
    Part m_selected = NoPart;
    bool m_busy = false;     // the spinner is being reconfigured: its changes are ignored
    bool m_choosing = false; // SelectPart is moving the focus itself
    bool m_focusInside = false;
    bool m_showTextBox = true;
    int m_typed = -1; // the digit typed into the selected part so far; -1 before the first
    QColor m_txtForeColor;
    int m_designHeight = 18;

    TimeSpinner *m_spinner = nullptr;
    TimePartField *m_fields[3] = {nullptr, nullptr, nullptr};
    QLabel *m_colon = nullptr;
    QLabel *m_point = nullptr;
    StampTextField *m_text = nullptr;
};

} // namespace stanzary
