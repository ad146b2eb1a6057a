#pragma once

#include "store/NodeCollection.h"

#include <QAbstractItemModel>

class QTreeView;

namespace stanzary {

// The tree's item model: a read-only adapter that shows a NodeCollection
// (which the model does not own and which must outlive it) to a QTreeView.
// One column; each index carries the node's stable id. Text, icon (from the
// main image list by the node's image), bold font and, while check boxes are
// shown, the check state come from the node. Ticking a box changes the
// node's checked flag and then announces nodeCheckedByUser(); nothing else
// is editable. Expansion is the view's business: the window keeps the view's
// expanded rows and the nodes' expanded flags in step.
class NodeTreeModel : public QAbstractItemModel
{
    Q_OBJECT

public:
    enum Role {
        KeyRole = Qt::UserRole + 1, // QString: the node's key
        ImageRole,                  // int: the node's image index
        PositionRole,               // int: the node's position (from 1)
    };

    explicit NodeTreeModel(NodeCollection &nodes, QObject *parent = nullptr);

    NodeCollection &nodes() const { return m_nodes; }

    // The switch for check boxes (on while lyrics are being joined). Turning
    // it on or off keeps the nodes' checked flags.
    void setCheckBoxesShown(bool shown);
    bool checkBoxesShown() const { return m_checkBoxes; }

    // True while a node is being removed: the view then moves its current
    // row by itself, which is no choice of the user's.
    bool isRemoving() const { return m_removing; }

    // Position (from 1) <-> index. An invalid index or a removed node gives
    // position 0; a position outside 1..count() gives an invalid index.
    QModelIndex indexOfPosition(int position) const;
    int positionOfIndex(const QModelIndex &index) const;
    QModelIndex indexOfId(int id) const;

    QModelIndex index(int row, int column, const QModelIndex &parent = QModelIndex()) const override;
    QModelIndex parent(const QModelIndex &child) const override;
    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    bool hasChildren(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

signals:
    // The user ticked or cleared the node at position (its flag is set already).
    void nodeCheckedByUser(int position);

private:
    static int idOf(const QModelIndex &index) { return static_cast<int>(index.internalId()); }

    void onAboutToAdd(int parentId, int row);
    void onAdded();
    void onAboutToRemove(int parentId, int row);
    void onRemoved();
    void onNodeChanged(int id);
    void onAboutToReset();
    void onReset();

    NodeCollection &m_nodes;
    bool m_checkBoxes = false;
    bool m_removing = false;
};

// What a node's image tells, in words ("timestamps downloaded, unfiltered"),
// for assistive technology; empty for an image the tree does not use.
QString imageMeaning(int image);

// Sets a tree view up the way the program's tree works: this model, one
// column without header, uniform row heights (fast with tens of thousands
// of nodes), single selection, no editing.
void setUpNodeTreeView(QTreeView &view, NodeTreeModel &model);

} // namespace stanzary
