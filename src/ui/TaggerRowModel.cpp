#include "ui/TaggerRowModel.h"

#include "tagger/Mp3Matcher.h"
#include "ui/IconSet.h"
#include "ui/PlainText.h"

#include <algorithm>
#include <numeric>

namespace stanzary {

TaggerRowModel::TaggerRowModel(QObject *parent) : QAbstractTableModel(parent) {}

int TaggerRowModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int TaggerRowModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QString TaggerRowModel::textOf(const TaggerRow &row, int column) const
{
    switch (column) {
    case Mp3File: return row.mp3Name;
    case LyricsFile: return row.lyricsName;
    default: return QString();
    }
}

QVariant TaggerRowModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_rows.size())
        return {};
    const TaggerRow &row = m_rows.at(index.row());
    const int column = index.column();
    switch (role) {
    case Qt::DisplayRole: return textOf(row, column);
    case Qt::ToolTipRole:
        if (column == Mp3File)
            return plainToolTip(row.mp3Path);
        if (column == LyricsFile)
            return plainToolTip(row.lyricsPath);
        return {};
    case Qt::DecorationRole:
        if (column == Mp3File)
            return IconSet::icon(row.mp3Image());
        if (column == LyricsFile)
            return IconSet::icon(row.lyricsImage());
        return {};
    case Qt::ForegroundRole:
        if (column == Mp3File && row.hasLyrics3)
            return lyrics3Colour();
        if (column == LyricsFile && row.sharedLyrics)
            return sharedLyricsColour();
        return {};
    case Qt::CheckStateRole:
        if (column == FilesToTag)
            return row.checked ? Qt::Checked : Qt::Unchecked;
        return {};
    case TagRole:
        if (column == FilesToTag)
            return JoinIndexes(row.candidates, QStringLiteral(","));
        if (column == Mp3File)
            return row.mp3Tag();
        return row.chosen;
    case Qt::AccessibleTextRole:
        if (column == FilesToTag)
            return row.checked ? QStringLiteral("checked") : QStringLiteral("not checked");
        return textOf(row, column);
    default: return {};
    }
}

QVariant TaggerRowModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    switch (section) {
    case FilesToTag: return QStringLiteral("Files to tag");
    case Mp3File: return QStringLiteral("Mp3 file");
    case LyricsFile: return QStringLiteral("Lyrics file");
    default: return {};
    }
}

Qt::ItemFlags TaggerRowModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
    if (index.column() == FilesToTag)
        f |= Qt::ItemIsUserCheckable;
    return f;
}

bool TaggerRowModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (!index.isValid() || index.column() != FilesToTag || role != Qt::CheckStateRole)
        return false;
    const bool checked = value.toInt() == Qt::Checked;
    if (setChecked({index.row()}, checked) == 0)
        return false;
    emit rowCheckToggled(index.row(), checked);
    return true;
}

int TaggerRowModel::setChecked(const QList<int> &rows, bool checked)
{
    int changed = 0;
    int first = int(m_rows.size());
    int last = -1;
    for (const int r : rows) {
        if (r < 0 || r >= m_rows.size() || m_rows.at(r).checked == checked)
            continue;
        m_rows[r].checked = checked;
        ++changed;
        first = std::min(first, r);
        last = std::max(last, r);
    }
    if (changed == 0)
        return 0;
    m_checkedCount += checked ? changed : -changed;
    emit dataChanged(index(first, FilesToTag), index(last, FilesToTag), {Qt::CheckStateRole, Qt::AccessibleTextRole});
    emit checkedCountChanged(m_checkedCount);
    return changed;
}

void TaggerRowModel::chooseEntry(int r, int entryIndex, const QList<TagEntry> &entries, const QString &lyricsFolder)
{
    if (r < 0 || r >= m_rows.size() || entryIndex < 0 || entryIndex >= entries.size())
        return;
    ChooseEntry(m_rows[r], entryIndex, entries, lyricsFolder);
    emit dataChanged(index(r, LyricsFile), index(r, LyricsFile));
}

QList<int> TaggerRowModel::rowsWhere(const std::function<bool(const TaggerRow &)> &test) const
{
    QList<int> out;
    for (int r = 0; r < m_rows.size(); ++r) {
        if (test(m_rows.at(r)))
            out.append(r);
    }
    return out;
}

void TaggerRowModel::setRows(QList<TaggerRow> rows)
{
    beginResetModel();
    m_rows = std::move(rows);
    m_checkedCount = int(std::count_if(m_rows.cbegin(), m_rows.cend(), [](const TaggerRow &r) { return r.checked; }));
    endResetModel();
    if (m_sortColumn != FilesToTag)
        sort(m_sortColumn, m_sortOrder);
    emit checkedCountChanged(m_checkedCount);
}

void TaggerRowModel::sort(int column, Qt::SortOrder order)
{
    if (column < 0 || column >= ColumnCount)
        return;
    m_sortColumn = column;
    m_sortOrder = order;
    if (column == FilesToTag || m_rows.size() < 2)
        return; // every text is empty: a stable sort keeps the order

    std::vector<int> permutation(m_rows.size());
    std::iota(permutation.begin(), permutation.end(), 0);
    // Each text folded once, then compared as it is; equal folded texts in
    // the order lessIgnoringCase gives them.
    std::vector<QString> folded(m_rows.size());
    for (qsizetype r = 0; r < m_rows.size(); ++r)
        folded[r] = textOf(m_rows.at(r), column).toCaseFolded();
    const auto less = [&](int a, int b) {
        const int byFolded = QString::compare(folded[a], folded[b], Qt::CaseSensitive);
        if (byFolded != 0)
            return byFolded < 0;
        return QString::compare(textOf(m_rows.at(a), column), textOf(m_rows.at(b), column), Qt::CaseSensitive) < 0;
    };
    std::stable_sort(permutation.begin(), permutation.end(),
                     [&](int a, int b) { return order == Qt::AscendingOrder ? less(a, b) : less(b, a); });

    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    QList<TaggerRow> sorted;
    sorted.reserve(m_rows.size());
    std::vector<int> newRowOf(m_rows.size());
    for (int i = 0; i < int(permutation.size()); ++i) {
        sorted.append(m_rows.at(permutation[i]));
        newRowOf[permutation[i]] = i;
    }
    m_rows = std::move(sorted);
    const QModelIndexList persistent = persistentIndexList();
    QModelIndexList moved;
    moved.reserve(persistent.size());
    for (const QModelIndex &old : persistent)
        moved.append(index(newRowOf[old.row()], old.column()));
    changePersistentIndexList(persistent, moved);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

} // namespace stanzary
