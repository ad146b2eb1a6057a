#include "ui/EditorUndo.h"

namespace stanzary {

RowsEditCommand::RowsEditCommand(clsKaraokeEdition &edition, RowsEdit edit, Changed changed)
    : QUndoCommand(edit.text()), m_edition(edition), m_edit(std::move(edit)), m_changed(std::move(changed))
{}

void RowsEditCommand::redo()
{
    if (!applyEdit(m_edition, m_edit)) {
        setObsolete(true);
        return;
    }
    m_changed(m_edit, true);
}

void RowsEditCommand::undo()
{
    if (!revertEdit(m_edition, m_edit)) {
        setObsolete(true);
        return;
    }
    m_changed(m_edit, false);
}

bool RowsEditCommand::mergeWith(const QUndoCommand *other)
{
    if (other->id() != id())
        return false;
    if (!mergeEdits(m_edit, static_cast<const RowsEditCommand *>(other)->m_edit))
        return false;
    setText(m_edit.text());
    // Typed back to what it was: nothing is left to undo.
    setObsolete(m_edit.isEmpty());
    return true;
}

} // namespace stanzary
