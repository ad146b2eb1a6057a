#include "store/NodeCollection.h"

#include <algorithm>

namespace stanzary {

NodeCollection::NodeCollection(QObject *parent) : QObject(parent) {}

int NodeCollection::add(const QString &key, const QString &text, int image, const QString &parentKey)
{
    int parent = -1;
    if (!parentKey.isEmpty()) {
        // A scan adds the songs of one parent one after another: the last
        // parent found saves hashing its key again.
        if (m_lastParentId < 0 || parentKey != m_lastParentKey) {
            const auto it = m_idOfKey.constFind(parentKey);
            if (it == m_idOfKey.constEnd())
                return 0;
            m_lastParentKey = parentKey;
            m_lastParentId = it.value();
        }
        parent = m_lastParentId;
    }
    // One hash of the key: a new key gets the slot, an existing one keeps it.
    const int id = static_cast<int>(m_records.size());
    const qsizetype keysBefore = m_idOfKey.size();
    int &slot = m_idOfKey[key];
    if (m_idOfKey.size() == keysBefore)
        return 0;
    slot = id;

    ensureIndexes();
    QList<int> &siblings = siblingsOf(parent);
    const int row = static_cast<int>(siblings.size());
    if (!inBulk())
        emit aboutToAdd(parent, row);

    Record rec;
    rec.data.key = key;
    rec.data.text = text;
    rec.data.image = image;
    rec.parent = parent;
    m_records.push_back(std::move(rec));
    siblingsOf(parent).append(id); // m_records may have moved: look the list up again
    m_order.push_back(id);
    m_positionOfId.push_back(static_cast<int>(m_order.size()) - 1);
    m_rowOfId.push_back(row);

    if (!inBulk())
        emit added();
    return count();
}

int NodeCollection::positionOf(const QString &key) const
{
    const auto it = m_idOfKey.constFind(key);
    return it == m_idOfKey.constEnd() ? 0 : positionOfId(it.value());
}

NodeCollection::Record &NodeCollection::recordAt(int position)
{
    Q_ASSERT(position >= 1 && position <= count());
    return m_records[static_cast<size_t>(m_order[static_cast<size_t>(position - 1)])];
}

const NodeCollection::Record &NodeCollection::recordAt(int position) const
{
    Q_ASSERT(position >= 1 && position <= count());
    return m_records[static_cast<size_t>(m_order[static_cast<size_t>(position - 1)])];
}

const TreeNode &NodeCollection::at(int position) const
{
    return recordAt(position).data;
}

int NodeCollection::parentOf(int position) const
{
    const int parent = recordAt(position).parent;
    return parent < 0 ? 0 : positionOfId(parent);
}

int NodeCollection::childCount(int position) const
{
    return static_cast<int>(recordAt(position).children.size());
}

QList<int> NodeCollection::children(int position) const
{
    QList<int> out;
    const Record &rec = recordAt(position);
    out.reserve(rec.children.size());
    for (int id : rec.children)
        out.append(positionOfId(id));
    return out;
}

void NodeCollection::notifyChanged(int id)
{
    if (!inBulk())
        emit nodeChanged(id);
}

void NodeCollection::setText(int position, const QString &text)
{
    recordAt(position).data.text = text;
    notifyChanged(idAt(position));
}

void NodeCollection::setImage(int position, int image)
{
    Record &rec = recordAt(position);
    if (rec.data.image == image)
        return;
    rec.data.image = image;
    notifyChanged(idAt(position));
}

void NodeCollection::setBold(int position, bool bold)
{
    Record &rec = recordAt(position);
    if (rec.data.bold == bold)
        return;
    rec.data.bold = bold;
    notifyChanged(idAt(position));
}

void NodeCollection::setChecked(int position, bool checked)
{
    Record &rec = recordAt(position);
    if (rec.data.checked == checked)
        return;
    rec.data.checked = checked;
    notifyChanged(idAt(position));
}

void NodeCollection::setExpanded(int position, bool expanded)
{
    Record &rec = recordAt(position);
    if (rec.data.expanded == expanded)
        return;
    rec.data.expanded = expanded;
    notifyChanged(idAt(position));
}

void NodeCollection::setTag(int position, const QString &tag)
{
    recordAt(position).data.tag = tag;
}

void NodeCollection::remove(int position)
{
    std::vector<bool> marked(static_cast<size_t>(count()), false);
    marked[static_cast<size_t>(position - 1)] = true;
    removeMarked(marked);
}

void NodeCollection::removeMarked(const std::vector<bool> &marked)
{
    ensureIndexes();
    // Find the chosen nodes and their descendants first, while every node is
    // still alive for the observers' questions. Parents come before their
    // children in insertion order, so one forward pass suffices.
    std::vector<bool> doomed(m_records.size(), false);
    std::vector<int> removedRoots; // top-most removed ids, for the signals
    for (size_t pos = 0; pos < m_order.size(); ++pos) {
        const int id = m_order[pos];
        const Record &rec = m_records[static_cast<size_t>(id)];
        const bool parentDoomed = rec.parent >= 0 && doomed[static_cast<size_t>(rec.parent)];
        const bool chosen = pos < marked.size() && marked[pos];
        if (parentDoomed || chosen) {
            if (!parentDoomed)
                removedRoots.push_back(id);
            doomed[static_cast<size_t>(id)] = true;
        }
    }
    if (removedRoots.empty())
        return;

    const bool single = removedRoots.size() == 1 && !inBulk();
    if (single) {
        const int id = removedRoots.front();
        emit aboutToRemove(m_records[static_cast<size_t>(id)].parent, m_rowOfId[static_cast<size_t>(id)]);
    } else if (!inBulk()) {
        emit aboutToReset();
    }

    for (int id : std::as_const(m_order)) {
        if (!doomed[static_cast<size_t>(id)])
            continue;
        Record &rec = m_records[static_cast<size_t>(id)];
        m_idOfKey.remove(rec.data.key);
        rec.children.clear();
        rec.data = TreeNode();
        rec.alive = false;
    }
    auto dead = [this](int id) { return !m_records[static_cast<size_t>(id)].alive; };
    m_order.erase(std::remove_if(m_order.begin(), m_order.end(), dead), m_order.end());
    m_roots.removeIf(dead);
    m_lastParentId = -1;
    for (int id : std::as_const(m_order))
        m_records[static_cast<size_t>(id)].children.removeIf(dead);
    m_indexesDirty = true;

    if (single)
        emit removed();
    else if (!inBulk())
        emit reset();
}

void NodeCollection::clear()
{
    if (!inBulk())
        emit aboutToReset();
    m_records.clear();
    m_order.clear();
    m_roots.clear();
    m_idOfKey.clear();
    m_positionOfId.clear();
    m_rowOfId.clear();
    m_indexesDirty = false;
    m_lastParentId = -1;
    if (!inBulk())
        emit reset();
}

void NodeCollection::reserve(qsizetype nodes)
{
    const size_t n = static_cast<size_t>(std::max<qsizetype>(nodes, 0));
    m_records.reserve(n);
    m_order.reserve(n);
    m_positionOfId.reserve(n);
    m_rowOfId.reserve(n);
    m_idOfKey.reserve(qsizetype(n));
}

void NodeCollection::beginBulk()
{
    if (m_bulkDepth++ == 0)
        emit aboutToReset();
}

void NodeCollection::endBulk()
{
    Q_ASSERT(m_bulkDepth > 0);
    if (--m_bulkDepth == 0)
        emit reset();
}

void NodeCollection::ensureIndexes() const
{
    if (!m_indexesDirty)
        return;
    m_positionOfId.assign(m_records.size(), -1);
    m_rowOfId.assign(m_records.size(), -1);
    for (size_t pos = 0; pos < m_order.size(); ++pos)
        m_positionOfId[static_cast<size_t>(m_order[pos])] = static_cast<int>(pos);
    for (int row = 0; row < m_roots.size(); ++row)
        m_rowOfId[static_cast<size_t>(m_roots[row])] = row;
    for (int id : m_order) {
        const QList<int> &kids = m_records[static_cast<size_t>(id)].children;
        for (int row = 0; row < kids.size(); ++row)
            m_rowOfId[static_cast<size_t>(kids[row])] = row;
    }
    m_indexesDirty = false;
}

QList<int> &NodeCollection::siblingsOf(int parentId)
{
    return parentId < 0 ? m_roots : m_records[static_cast<size_t>(parentId)].children;
}

const QList<int> &NodeCollection::siblingsOf(int parentId) const
{
    return parentId < 0 ? m_roots : m_records[static_cast<size_t>(parentId)].children;
}

int NodeCollection::idAt(int position) const
{
    Q_ASSERT(position >= 1 && position <= count());
    return m_order[static_cast<size_t>(position - 1)];
}

int NodeCollection::positionOfId(int id) const
{
    if (!isAlive(id))
        return 0;
    ensureIndexes();
    return m_positionOfId[static_cast<size_t>(id)] + 1;
}

bool NodeCollection::isAlive(int id) const
{
    return id >= 0 && static_cast<size_t>(id) < m_records.size() && m_records[static_cast<size_t>(id)].alive;
}

const TreeNode &NodeCollection::node(int id) const
{
    Q_ASSERT(isAlive(id));
    return m_records[static_cast<size_t>(id)].data;
}

int NodeCollection::parentId(int id) const
{
    return isAlive(id) ? m_records[static_cast<size_t>(id)].parent : -1;
}

int NodeCollection::childCountOfId(int id) const
{
    if (id < 0)
        return static_cast<int>(m_roots.size());
    return isAlive(id) ? static_cast<int>(m_records[static_cast<size_t>(id)].children.size()) : 0;
}

int NodeCollection::childIdAt(int id, int row) const
{
    if (id >= 0 && !isAlive(id))
        return -1;
    const QList<int> &list = siblingsOf(id);
    return row >= 0 && row < list.size() ? list[row] : -1;
}

int NodeCollection::rowOfId(int id) const
{
    if (!isAlive(id))
        return -1;
    ensureIndexes();
    return m_rowOfId[static_cast<size_t>(id)];
}

} // namespace stanzary
