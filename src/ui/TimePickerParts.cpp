#include "ui/TimePickerParts.h"

#include <QKeyEvent>
#include <QMouseEvent>

namespace stanzary {

TimePartField::TimePartField(int part, QWidget *parent) : QLabel(parent), m_part(part)
{
    setObjectName(QStringLiteral("myLabel"));
    setAlignment(Qt::AlignCenter);
    setAutoFillBackground(true);
    setFocusPolicy(Qt::NoFocus);
}

void TimePartField::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        emit pressed(m_part);
    event->accept();
}

StampTextField::StampTextField(QWidget *parent) : QLineEdit(parent)
{
    setObjectName(QStringLiteral("txtLyrics"));
    setMaxLength(2);
    setFrame(false);
    setFocusPolicy(Qt::ClickFocus);
    setContextMenuPolicy(Qt::DefaultContextMenu);
    // text() rather than the signal's argument: a correction made while an
    // edit is announced arrives before the edit's own textChanged.
    connect(this, &QLineEdit::textChanged, this, [this] { m_shown = text(); });
    // Typing is filtered key by key; this catches what arrives otherwise
    // (paste, drop, the selection's middle-click).
    connect(this, &QLineEdit::textEdited, this, &StampTextField::dropRefusedInsertions);
}

bool StampTextField::acceptsCharacter(QChar c)
{
    return c == u'.' || c.unicode() >= u'A';
}

void StampTextField::keyPressEvent(QKeyEvent *event)
{
    const bool plain = (event->modifiers() & ~(Qt::KeypadModifier | Qt::ShiftModifier)) == Qt::NoModifier;
    if (plain && !hasSelectedText()) {
        if (event->key() == Qt::Key_Left && cursorPosition() == 0) {
            emit leftFromStart();
            return;
        }
        if (event->key() == Qt::Key_Right && cursorPosition() == text().size()) {
            emit rightFromEnd();
            return;
        }
    }
    // Printable characters only: control characters are shortcuts (copy,
    // select all) and stay with the line edit.
    const QString typed = event->text();
    if (typed.size() == 1 && typed.at(0).isPrint() && !acceptsCharacter(typed.at(0))) {
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void StampTextField::dropRefusedInsertions(const QString &edited)
{
    const QString before = m_shown;
    qsizetype head = 0;
    while (head < edited.size() && head < before.size() && edited.at(head) == before.at(head))
        ++head;
    qsizetype tail = 0;
    while (tail < edited.size() - head && tail < before.size() - head
           && edited.at(edited.size() - 1 - tail) == before.at(before.size() - 1 - tail))
        ++tail;
    const QString inserted = edited.mid(head, edited.size() - head - tail);
    QString kept;
    for (QChar c : inserted) {
        if (acceptsCharacter(c))
            kept += c;
    }
    if (kept.size() == inserted.size())
        return;
    setText(edited.left(head) + kept + edited.right(tail));
    setCursorPosition(int(head + kept.size()));
}

} // namespace stanzary
