#pragma once

#include "karaoke/RowEdits.h"

#include <QUndoCommand>

#include <functional>

namespace stanzary {

// One undoable change of the karaoke editor's rows on its QUndoStack: redo
// applies the edit, undo reverts it (RowEdits). Typing in one row merges
// into one command (mergeEdits), so that one undo takes the whole of it
// back. A command whose rows are no longer those it was built from is
// refused by the rows and then made obsolete, so the stack drops it.
//
// `changed` runs after every apply or revert with the edit and whether it
// was applied: the window shows the rows and the current row from it.
class RowsEditCommand : public QUndoCommand
{
public:
    using Changed = std::function<void(const RowsEdit &edit, bool applied)>;

    RowsEditCommand(clsKaraokeEdition &edition, RowsEdit edit, Changed changed);

    void redo() override;
    void undo() override;
    int id() const override { return int(m_edit.kind); }
    bool mergeWith(const QUndoCommand *other) override;

    const RowsEdit &edit() const { return m_edit; }

private:
    clsKaraokeEdition &m_edition;
    RowsEdit m_edit;
    Changed m_changed;
};

} // namespace stanzary
