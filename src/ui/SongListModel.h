#pragma once

#include "lists/SongLists.h"

#include <QAbstractListModel>

namespace stanzary {

// Shows one SongList (not owned; it must outlive the model) to a list view,
// one row per entry, and follows its changes. Entries can be dragged out as
// plain text: the dragged entries in list order, one per line.
class SongListModel : public QAbstractListModel
{
    Q_OBJECT

public:
    explicit SongListModel(SongList &list, QObject *parent = nullptr);

    SongList &list() const { return m_list; }

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    QStringList mimeTypes() const override;
    QMimeData *mimeData(const QModelIndexList &indexes) const override;
    Qt::DropActions supportedDragActions() const override;

private:
    SongList &m_list;
};

} // namespace stanzary
