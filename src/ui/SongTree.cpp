#include "ui/SongTree.h"

#include "ui/NodeTreeModel.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QScopedValueRollback>
#include <QShortcut>

namespace stanzary {

SongTree::SongTree(NodeTreeModel &model, QWidget *parent) : QTreeView(parent), m_model(model)
{
    setObjectName(QStringLiteral("lista"));
    setAccessibleName(QStringLiteral("Lyrics"));
    setUpNodeTreeView(*this, model);
    setExpandsOnDoubleClick(false);
    setIconSize(QSize(16, 16));
    header()->setStretchLastSection(true);

    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this, &SongTree::onSelectionChanged);
    connect(this, &QTreeView::pressed, this, &SongTree::onPressed);
    connect(this, &QTreeView::expanded, this, [this](const QModelIndex &index) {
        if (const int p = m_model.positionOfIndex(index)) {
            m_model.nodes().setExpanded(p, true);
            emit artistExpanded(p);
        }
    });
    connect(this, &QTreeView::collapsed, this, [this](const QModelIndex &index) {
        if (const int p = m_model.positionOfIndex(index))
            m_model.nodes().setExpanded(p, false);
    });
    connect(&m_model, &QAbstractItemModel::modelReset, this, &SongTree::restoreExpansion);

    m_fitNames = new QTimer(this);
    m_fitNames->setSingleShot(true);
    m_fitNames->setInterval(0);
    connect(m_fitNames, &QTimer::timeout, this, [this] {
        // The view measures the shown rows around the visible ones (a bounded
        // number, however large the collection); the last section still
        // fills the view when the names are shorter.
        header()->setMinimumSectionSize(std::max(sizeHintForColumn(0), 0));
    });
    connect(&m_model, &QAbstractItemModel::modelReset, this, &SongTree::fitNamesLater);
    connect(&m_model, &QAbstractItemModel::layoutChanged, this, &SongTree::fitNamesLater);
    connect(&m_model, &QAbstractItemModel::rowsInserted, this, &SongTree::fitNamesLater);
    connect(&m_model, &QAbstractItemModel::rowsRemoved, this, &SongTree::fitNamesLater);
    connect(&m_model, &QAbstractItemModel::dataChanged, this, &SongTree::fitNamesLater);
    connect(this, &QTreeView::expanded, this, &SongTree::fitNamesLater);
    connect(this, &QTreeView::collapsed, this, &SongTree::fitNamesLater);
    auto *del = new QShortcut(QKeySequence::Delete, this, nullptr, nullptr, Qt::WidgetShortcut);
    connect(del, &QShortcut::activated, this, &SongTree::deleteRequested);
}

void SongTree::selectPosition(int position)
{
    const QScopedValueRollback<bool> programmatic(m_programmatic, true);
    const QModelIndex index = m_model.indexOfPosition(position);
    setCurrentIndex(index);
    if (index.isValid())
        scrollTo(index);
}

void SongTree::setExpandedAt(int position, bool expanded)
{
    setExpanded(m_model.indexOfPosition(position), expanded);
}

bool SongTree::isExpandedAt(int position) const
{
    return isExpanded(m_model.indexOfPosition(position));
}

void SongTree::keyReleaseEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_F5) {
        emit refreshRequested();
        event->accept();
        return;
    }
    QTreeView::keyReleaseEvent(event);
}

bool SongTree::viewportEvent(QEvent *event)
{
    if (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick)
        m_mouseDown = true;
    else if (event->type() == QEvent::MouseButtonRelease)
        m_mouseDown = false;
    return QTreeView::viewportEvent(event);
}

void SongTree::onSelectionChanged(const QItemSelection &selected)
{
    // Mouse presses are reported by onPressed, which follows. The view's own
    // moves (a current node set when the focus comes in, which selects
    // nothing; a neighbour chosen while a node goes) are no choice of the
    // user's.
    if (m_programmatic || m_mouseDown || m_model.isRemoving() || selected.isEmpty())
        return;
    const QModelIndex chosen = selected.indexes().constFirst();
    emit nodeChosen(m_model.positionOfIndex(chosen), false);
}

void SongTree::onPressed(const QModelIndex &index)
{
    if (m_programmatic || !index.isValid())
        return;
    emit nodeChosen(m_model.positionOfIndex(index), true);
    // A message box shown meanwhile swallows the button's release.
    m_mouseDown = false;
}

void SongTree::fitNamesLater()
{
    m_fitNames->start();
}

void SongTree::restoreExpansion()
{
    const NodeCollection &nodes = m_model.nodes();
    for (int p = 1; p <= nodes.count(); ++p) {
        if (nodes.at(p).expanded && nodes.childCount(p) > 0)
            setExpanded(m_model.indexOfPosition(p), true);
    }
}

} // namespace stanzary
