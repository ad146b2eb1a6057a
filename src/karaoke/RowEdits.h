#pragma once

#include "karaoke/KaraokeEdition.h"

#include <QList>
#include <QString>

namespace stanzary {

// Undoable changes of the karaoke editor's rows, without the undo stack.
//
// Every change the editor makes to its rows (a typed time or text, a tap, a
// nudge, a shift, Add, Del, an import) is one RowsEdit: at row `at`, the rows
// `before` are replaced by the rows `after`. An edit holds whole rows, so
// undoing brings back every byte of them, the time code a row was loaded
// with included, and it holds which row was current before and after, so
// undo and redo put the user back where the change was made.
//
// The edits are built from the rows as they are (nothing changes then) and
// applied or reverted by applyEdit and revertEdit. The windows keep them on
// their undo stack (QUndoStack, one command class holding a RowsEdit whose
// redo applies it and undo reverts it); the core knows no stack, so it stays
// free of QtGui. Saving is still the only write: an edit changes the rows in
// memory only.
enum class RowsEditKind { TypeTime, TypeText, Tap, Nudge, Shift, Add, Del, Import };

struct RowsEdit
{
    RowsEditKind kind = RowsEditKind::TypeTime;
    int at = 0;
    QList<KasRow> before;
    QList<KasRow> after;
    int currentBefore = 0;
    int currentAfter = 0;

    // Nothing would change (a refused change, or a value set to itself).
    bool isEmpty() const { return before == after; }
    // What the undo and redo commands say, as in "Undo Tap".
    QString text() const;
};

// Applies the edit (redo) or takes it back (undo). Refused (false, nothing
// changed) when the rows the edit replaces are not those it was built from,
// so a stack out of step with the rows cannot mix them up.
bool applyEdit(clsKaraokeEdition &edition, const RowsEdit &edit);
bool revertEdit(clsKaraokeEdition &edition, const RowsEdit &edit);

// Joins next into first when both are typing in the same row (a time
// stepped several times, two characters typed), so that one undo takes
// back the whole of it; false leaves both as they are.
bool mergeEdits(RowsEdit &first, const RowsEdit &next);

// The edits of the editor's commands, built from the rows as they are. A
// row index outside the rows, or a change that does not change anything,
// gives an empty edit.

// A time or text typed into row `row` (the text at most 2 characters; a time
// must have a time code).
RowsEdit typeTimeEdit(const clsKaraokeEdition &edition, int row, const StampTime &time);
RowsEdit typeTextEdit(const clsKaraokeEdition &edition, int row, const QString &text);

// "Add": an empty row (00:00.0, no text) below row `current` (the last row
// when current is beyond it). The current row stays where it was.
RowsEdit addEdit(const clsKaraokeEdition &edition, int current);

// "Del": row `current` goes; refused (empty) for row 0 and for the only
// row ("Can't delete first stamp"). A row beyond the last deletes the last.
RowsEdit delEdit(const clsKaraokeEdition &edition, int current);

// Every row replaced by rows (an import); the first row becomes current.
// Empty when rows is empty or the same as now.
RowsEdit replaceAllEdit(const clsKaraokeEdition &edition, const QList<KasRow> &rows, int current,
                        RowsEditKind kind = RowsEditKind::Import);

} // namespace stanzary
