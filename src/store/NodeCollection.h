#pragma once

#include <QHash>
#include <QList>
#include <QObject>
#include <QString>

#include <vector>

namespace stanzary {

// What one node of the tree carries.
struct TreeNode
{
    QString key;
    QString text;
    int image = 0;
    bool bold = false;
    bool checked = false;
    bool expanded = false;
    QString tag;
};

// The tree's node collection, kept the way a classic tree control keeps it:
// positions count from 1 in insertion order (not display order), keys are
// unique (case-sensitive), a node's children keep their insertion order, and
// removing a node removes its descendants, later positions moving down.
//
// Every node also has a stable id (never reused until clear()), which is what
// an item model hands to its views. Changes are announced through signals;
// inside a bulk scope no per-node signal is sent and the scope ends in one
// reset.
class NodeCollection : public QObject
{
    Q_OBJECT

public:
    explicit NodeCollection(QObject *parent = nullptr);

    // Number of nodes.
    int count() const { return static_cast<int>(m_order.size()); }

    // Adds a node at the end of the root level (empty parentKey) or as the last
    // child of the node with parentKey. Returns its position, or 0 when the key
    // exists already or the parent does not.
    int add(const QString &key, const QString &text, int image, const QString &parentKey = QString());

    // Position of the node with key, or 0.
    int positionOf(const QString &key) const;
    bool contains(const QString &key) const { return m_idOfKey.contains(key); }

    // Node at a position from 1 to count(). Positions outside that are a
    // programming error (asserted).
    const TreeNode &at(int position) const;

    // Position of the node's parent, 0 for a root node.
    int parentOf(int position) const;
    int childCount(int position) const;
    // Positions of the node's children, in insertion order.
    QList<int> children(int position) const;

    void setText(int position, const QString &text);
    void setImage(int position, int image);
    void setBold(int position, bool bold);
    void setChecked(int position, bool checked);
    void setExpanded(int position, bool expanded);
    void setTag(int position, const QString &tag);

    // Removes the node and its descendants; later positions move down.
    void remove(int position);
    // Removes every node whose flag is set (index 0 is position 1) and, with
    // each, its descendants, in one pass.
    void removeMarked(const std::vector<bool> &marked);
    void clear();
    // Makes room for nodes nodes in all, so that adding them moves nothing.
    void reserve(qsizetype nodes);

    // Bulk-update scope (the tree's redraw switch): nested scopes are counted;
    // the outermost end sends one reset.
    void beginBulk();
    void endBulk();
    bool inBulk() const { return m_bulkDepth > 0; }

    class BulkScope
    {
    public:
        explicit BulkScope(NodeCollection &nodes) : m_nodes(nodes) { m_nodes.beginBulk(); }
        ~BulkScope() { m_nodes.endBulk(); }
        BulkScope(const BulkScope &) = delete;
        BulkScope &operator=(const BulkScope &) = delete;

    private:
        NodeCollection &m_nodes;
    };

    // Id-based access for item models. Root is id -1.
    int idAt(int position) const;
    int positionOfId(int id) const;
    bool isAlive(int id) const;
    const TreeNode &node(int id) const;
    int parentId(int id) const;
    int childCountOfId(int id) const;     // id -1: number of root nodes
    int childIdAt(int id, int row) const; // id -1: root nodes; -1 when out of range
    int rowOfId(int id) const;            // row among its siblings

signals:
    void aboutToAdd(int parentId, int row);
    void added();
    void aboutToRemove(int parentId, int row);
    void removed();
    void nodeChanged(int id);
    void aboutToReset();
    void reset();

private:
    struct Record
    {
        TreeNode data;
        int parent = -1;     // id of the parent, -1 at root level
        QList<int> children; // ids in insertion order
        bool alive = true;
    };

    Record &recordAt(int position);
    const Record &recordAt(int position) const;
    void ensureIndexes() const;
    void notifyChanged(int id);
    QList<int> &siblingsOf(int parentId);
    const QList<int> &siblingsOf(int parentId) const;

    std::vector<Record> m_records; // by id
    std::vector<int> m_order;      // ids by position - 1
    QList<int> m_roots;            // ids of root nodes in insertion order
    QHash<QString, int> m_idOfKey;
    int m_bulkDepth = 0;
    // The parent add() found last, by key (-1: none, after any removal).
    QString m_lastParentKey;
    int m_lastParentId = -1;

    // Caches rebuilt after removals: id -> position - 1, id -> row.
    mutable std::vector<int> m_positionOfId;
    mutable std::vector<int> m_rowOfId;
    mutable bool m_indexesDirty = false;
};

} // namespace stanzary
