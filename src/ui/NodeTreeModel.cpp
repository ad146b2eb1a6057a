#include "ui/NodeTreeModel.h"

#include "app/ImageIndex.h"
#include "ui/IconSet.h"
#include "ui/PlainText.h"

#include <QFont>
#include <QTreeView>

namespace stanzary {

QString imageMeaning(int image)
{
    switch (image) {
    case Icon::Artist: return QStringLiteral("artist");
    case Icon::LyricsOnly: return QStringLiteral("lyrics, no timestamps");
    case Icon::HasTimestamps: return QStringLiteral("timestamps downloaded");
    case Icon::KaraokeAvailable: return QStringLiteral("timestamps available for download");
    case Icon::UnfilteredLyricsOnly: return QStringLiteral("lyrics, no timestamps, unfiltered");
    case Icon::UnfilteredHasTimestamps: return QStringLiteral("timestamps downloaded, unfiltered");
    case Icon::UnfilteredKaraokeAvailable: return QStringLiteral("timestamps available for download, unfiltered");
    default: return QString();
    }
}

NodeTreeModel::NodeTreeModel(NodeCollection &nodes, QObject *parent) : QAbstractItemModel(parent), m_nodes(nodes)
{
    connect(&m_nodes, &NodeCollection::aboutToAdd, this, &NodeTreeModel::onAboutToAdd);
    connect(&m_nodes, &NodeCollection::added, this, &NodeTreeModel::onAdded);
    connect(&m_nodes, &NodeCollection::aboutToRemove, this, &NodeTreeModel::onAboutToRemove);
    connect(&m_nodes, &NodeCollection::removed, this, &NodeTreeModel::onRemoved);
    connect(&m_nodes, &NodeCollection::nodeChanged, this, &NodeTreeModel::onNodeChanged);
    connect(&m_nodes, &NodeCollection::aboutToReset, this, &NodeTreeModel::onAboutToReset);
    connect(&m_nodes, &NodeCollection::reset, this, &NodeTreeModel::onReset);
}

void NodeTreeModel::setCheckBoxesShown(bool shown)
{
    if (m_checkBoxes == shown)
        return;
    // Every row gains or loses its box: a layout change, which keeps the
    // view's expanded rows, selection and scroll position.
    emit layoutAboutToBeChanged();
    m_checkBoxes = shown;
    emit layoutChanged();
}

QModelIndex NodeTreeModel::indexOfId(int id) const
{
    if (!m_nodes.isAlive(id))
        return QModelIndex();
    return createIndex(m_nodes.rowOfId(id), 0, quintptr(id));
}

QModelIndex NodeTreeModel::indexOfPosition(int position) const
{
    if (position < 1 || position > m_nodes.count())
        return QModelIndex();
    return indexOfId(m_nodes.idAt(position));
}

int NodeTreeModel::positionOfIndex(const QModelIndex &index) const
{
    if (!index.isValid() || index.model() != this)
        return 0;
    return m_nodes.positionOfId(idOf(index));
}

QModelIndex NodeTreeModel::index(int row, int column, const QModelIndex &parent) const
{
    if (column != 0 || row < 0 || (parent.isValid() && parent.column() != 0))
        return QModelIndex();
    const int parentId = parent.isValid() ? idOf(parent) : -1;
    const int id = m_nodes.childIdAt(parentId, row);
    return id < 0 ? QModelIndex() : createIndex(row, 0, quintptr(id));
}

QModelIndex NodeTreeModel::parent(const QModelIndex &child) const
{
    if (!child.isValid())
        return QModelIndex();
    // The collection announces removals while the nodes are still there, so
    // every node a view asks about is alive.
    const int id = idOf(child);
    if (!m_nodes.isAlive(id))
        return QModelIndex();
    const int parentId = m_nodes.parentId(id);
    return parentId < 0 ? QModelIndex() : createIndex(m_nodes.rowOfId(parentId), 0, quintptr(parentId));
}

int NodeTreeModel::rowCount(const QModelIndex &parent) const
{
    if (parent.isValid() && parent.column() != 0)
        return 0;
    return m_nodes.childCountOfId(parent.isValid() ? idOf(parent) : -1);
}

int NodeTreeModel::columnCount(const QModelIndex &) const
{
    return 1;
}

bool NodeTreeModel::hasChildren(const QModelIndex &parent) const
{
    return rowCount(parent) > 0;
}

QVariant NodeTreeModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || !m_nodes.isAlive(idOf(index)))
        return QVariant();
    const TreeNode &node = m_nodes.node(idOf(index));
    switch (role) {
    case Qt::DisplayRole:
    case Qt::AccessibleTextRole: return node.text;
    case Qt::ToolTipRole: // a long name cut at the tree's edge reads whole here, as written
        return plainToolTip(node.text);
    case Qt::AccessibleDescriptionRole: return imageMeaning(node.image);
    case Qt::DecorationRole: {
        const QIcon icon = IconSet::icon(node.image);
        return icon.isNull() ? QVariant() : QVariant(icon);
    }
    case Qt::FontRole:
        if (node.bold) {
            // Only the weight is set, so the view's own font (family, size,
            // the host's script) still applies.
            QFont font;
            font.setBold(true);
            return font;
        }
        return QVariant();
    case Qt::CheckStateRole:
        if (!m_checkBoxes)
            return QVariant();
        return node.checked ? Qt::Checked : Qt::Unchecked;
    case KeyRole: return node.key;
    case ImageRole: return node.image;
    case PositionRole: return m_nodes.positionOfId(idOf(index));
    default: return QVariant();
    }
}

bool NodeTreeModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (role != Qt::CheckStateRole || !m_checkBoxes)
        return false;
    const int position = positionOfIndex(index);
    if (position == 0)
        return false;
    m_nodes.setChecked(position, static_cast<Qt::CheckState>(value.toInt()) == Qt::Checked);
    emit nodeCheckedByUser(position);
    return true;
}

Qt::ItemFlags NodeTreeModel::flags(const QModelIndex &index) const
{
    if (!index.isValid() || !m_nodes.isAlive(idOf(index)))
        return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (m_checkBoxes)
        f |= Qt::ItemIsUserCheckable;
    return f;
}

void NodeTreeModel::onAboutToAdd(int parentId, int row)
{
    beginInsertRows(indexOfId(parentId), row, row);
}

void NodeTreeModel::onAdded()
{
    endInsertRows();
}

void NodeTreeModel::onAboutToRemove(int parentId, int row)
{
    m_removing = true;
    beginRemoveRows(indexOfId(parentId), row, row);
}

void NodeTreeModel::onRemoved()
{
    endRemoveRows();
    m_removing = false;
}

void NodeTreeModel::onNodeChanged(int id)
{
    const QModelIndex i = indexOfId(id);
    if (i.isValid())
        emit dataChanged(i, i);
}

void NodeTreeModel::onAboutToReset()
{
    beginResetModel();
}

void NodeTreeModel::onReset()
{
    endResetModel();
}

void setUpNodeTreeView(QTreeView &view, NodeTreeModel &model)
{
    view.setModel(&model);
    view.setHeaderHidden(true);
    view.setUniformRowHeights(true);
    view.setSelectionMode(QAbstractItemView::SingleSelection);
    view.setSelectionBehavior(QAbstractItemView::SelectRows);
    view.setEditTriggers(QAbstractItemView::NoEditTriggers);
}

} // namespace stanzary
