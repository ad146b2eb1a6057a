#include "ui/SongListModel.h"

#include <QMimeData>

#include <algorithm>

namespace stanzary {

SongListModel::SongListModel(SongList &list, QObject *parent) : QAbstractListModel(parent), m_list(list)
{
    // Lists are short and change a few entries at a time: a reset is enough.
    connect(&m_list, &SongList::changed, this, [this] {
        beginResetModel();
        endResetModel();
    });
}

int SongListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_list.size();
}

QVariant SongListModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_list.size())
        return QVariant();
    if (role == Qt::DisplayRole || role == Qt::AccessibleTextRole)
        return m_list.at(index.row());
    return QVariant();
}

Qt::ItemFlags SongListModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled | Qt::ItemNeverHasChildren;
}

QStringList SongListModel::mimeTypes() const
{
    return {QStringLiteral("text/plain")};
}

QMimeData *SongListModel::mimeData(const QModelIndexList &indexes) const
{
    QList<int> rows;
    for (const QModelIndex &i : indexes) {
        if (i.isValid() && i.row() < m_list.size())
            rows.append(i.row());
    }
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    QStringList lines;
    for (int row : std::as_const(rows))
        lines.append(m_list.at(row));
    auto *mime = new QMimeData;
#ifdef Q_OS_WIN
    mime->setText(lines.join(QStringLiteral("\r\n")));
#else
    mime->setText(lines.join(u'\n'));
#endif
    return mime;
}

Qt::DropActions SongListModel::supportedDragActions() const
{
    return Qt::CopyAction; // dragging out never takes an entry away
}

} // namespace stanzary
