#pragma once

#include <QItemSelection>
#include <QTimer>
#include <QTreeView>

namespace stanzary {

class NodeTreeModel;

// The tree `lista` of artists and songs over the node collection's model.
// It reports what the user does by node position (counted from 1): choosing
// a node with the mouse or the keyboard, expanding an artist, F5 and the
// Delete key. Selections the window makes itself (selectPosition) report
// nothing. Keeps the nodes' expanded flags in step with the view, and
// restores the expanded artists after the model was reset. Names are never
// cut: the tree is as wide as its widest shown name and scrolls sideways
// when the column is narrower.
class SongTree : public QTreeView
{
    Q_OBJECT

public:
    SongTree(NodeTreeModel &model, QWidget *parent = nullptr);

    // Makes the node the current, selected one and scrolls to it, without
    // reporting a choice. 0 clears the current node.
    void selectPosition(int position);
    void setExpandedAt(int position, bool expanded);
    bool isExpandedAt(int position) const;

signals:
    // The user chose the node; fromMouse tells a click from a keyboard move.
    void nodeChosen(int position, bool fromMouse);
    void artistExpanded(int position);
    void refreshRequested(); // F5
    void deleteRequested();  // the Delete key

protected:
    void keyReleaseEvent(QKeyEvent *event) override;
    bool viewportEvent(QEvent *event) override;

private:
    void onSelectionChanged(const QItemSelection &selected);
    void onPressed(const QModelIndex &index);
    void restoreExpansion();
    // Widens the names' column to the widest name shown, once the changes
    // of this event have all arrived.
    void fitNamesLater();

    QTimer *m_fitNames = nullptr;
    NodeTreeModel &m_model;
    bool m_mouseDown = false;    // blnTreeMouseDown
    bool m_programmatic = false; // a selection the window makes
};

} // namespace stanzary
