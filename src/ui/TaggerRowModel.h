#pragma once

#include "tagger/TagEntry.h"
#include "tagger/TaggerRow.h"

#include <QAbstractTableModel>
#include <QColor>
#include <QList>

#include <functional>

namespace stanzary {

// The tagger's rows as a table: "Files to tag" (the check box, no text),
// "Mp3 file" and "Lyrics file", with the icons, tool tips (the full paths),
// column tags and text colours of each row. The user checks rows through the
// check box; the window checks and unchecks many at once, changes a row's
// chosen lyrics and sorts. Rows keep their places until sorted or replaced;
// sorting is stable and is applied again to every new set of rows.
class TaggerRowModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum Column { FilesToTag = 0, Mp3File = 1, LyricsFile = 2, ColumnCount = 3 };
    enum Role {
        // The row tag (candidate entry indexes joined by ",") on the first
        // column; the column tag ("withoutid3" or empty, the chosen entry
        // index) on the other two.
        TagRole = Qt::UserRole + 1,
    };

    // Text colour of an MP3 file that holds a Lyrics3 tag, and of lyrics
    // chosen by more than one MP3 file.
    static QColor lyrics3Colour() { return QColor(80, 130, 130); }
    static QColor sharedLyricsColour() { return QColor(80, 80, 130); }

    explicit TaggerRowModel(QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;

    // Sorts by the column's text, ignoring case (the first column's texts are
    // all empty, which keeps the order); remembered for later rows.
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;
    int sortColumn() const { return m_sortColumn; }
    Qt::SortOrder sortOrder() const { return m_sortOrder; }

    // Replaces every row (one reset) and sorts them as the last sort did.
    void setRows(QList<TaggerRow> rows);
    void clear() { setRows({}); }
    const QList<TaggerRow> &rows() const { return m_rows; }
    const TaggerRow &row(int r) const { return m_rows.at(r); }

    int checkedCount() const { return m_checkedCount; }
    // Sets the check box of each of rows; returns how many changed.
    int setChecked(const QList<int> &rows, bool checked);
    // Makes entryIndex the row's chosen lyrics (its check box stays).
    void chooseEntry(int r, int entryIndex, const QList<TagEntry> &entries, const QString &lyricsFolder);

    // The rows for which test holds, ascending.
    QList<int> rowsWhere(const std::function<bool(const TaggerRow &)> &test) const;

signals:
    void checkedCountChanged(int count);
    // The user toggled a row's check box (not setChecked).
    void rowCheckToggled(int row, bool checked);

private:
    QString textOf(const TaggerRow &row, int column) const;

    QList<TaggerRow> m_rows;
    int m_checkedCount = 0;
    int m_sortColumn = FilesToTag;
    Qt::SortOrder m_sortOrder = Qt::AscendingOrder;
};

} // namespace stanzary
