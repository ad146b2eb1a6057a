#pragma once

#include <QLabel>
#include <QLineEdit>

namespace stanzary {

// One number field of the time picker (`myLabel` 0 to 2): minutes, seconds
// or tenths, shown as digits. A press selects it; the picker does the rest.
class TimePartField : public QLabel
{
    Q_OBJECT

public:
    TimePartField(int part, QWidget *parent);
    int part() const { return m_part; }

signals:
    void pressed(int part);

protected:
    void mousePressEvent(QMouseEvent *event) override;

private:
    int m_part;
};

// The time picker's two-character text field `txtLyrics`. Typed or pasted
// characters below "A" are refused, except "."; digits and spaces therefore
// cannot be entered (a stamp's text is the start of a lyric line, and the
// loaded prefixes keep whatever they hold). Left at the first position and
// Right after the last character leave the field for the number parts.
class StampTextField : public QLineEdit
{
    Q_OBJECT

public:
    explicit StampTextField(QWidget *parent);

    // True for a character the field takes from the keyboard.
    static bool acceptsCharacter(QChar c);

signals:
    void leftFromStart();
    void rightFromEnd();

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    void dropRefusedInsertions(const QString &edited);
    QString m_shown; // the text before the latest edit
};

} // namespace stanzary
