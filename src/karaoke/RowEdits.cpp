#include "karaoke/RowEdits.h"

namespace stanzary {

namespace {

bool holds(const clsKaraokeEdition &edition, int at, const QList<KasRow> &rows)
{
    if (at < 0 || at + rows.size() > edition.rowCount())
        return false;
    for (qsizetype i = 0; i < rows.size(); ++i) {
        if (!(edition.row(at + int(i)) == rows.at(i)))
            return false;
    }
    return true;
}

bool isRow(const clsKaraokeEdition &edition, int row)
{
    return row >= 0 && row < edition.rowCount();
}

// An edit of one row, or an empty one when nothing changes.
RowsEdit oneRowEdit(RowsEditKind kind, const clsKaraokeEdition &edition, int row, const KasRow &changed)
{
    RowsEdit edit{kind, row, {edition.row(row)}, {changed}, row, row};
    if (edit.isEmpty())
        return RowsEdit{kind, row, {}, {}, row, row};
    return edit;
}

} // namespace

QString RowsEdit::text() const
{
    switch (kind) {
    case RowsEditKind::TypeTime: return QStringLiteral("Change Stamp Time");
    case RowsEditKind::TypeText: return QStringLiteral("Change Line Start");
    case RowsEditKind::Tap: return QStringLiteral("Tap");
    case RowsEditKind::Nudge: return QStringLiteral("Nudge");
    case RowsEditKind::Shift: return QStringLiteral("Shift Stamps");
    case RowsEditKind::Add: return QStringLiteral("Add Stamp");
    case RowsEditKind::Del: return QStringLiteral("Delete Stamp");
    case RowsEditKind::Import: return QStringLiteral("Import");
    }
    return QString();
}

bool applyEdit(clsKaraokeEdition &edition, const RowsEdit &edit)
{
    if (!holds(edition, edit.at, edit.before))
        return false;
    return edition.replaceRows(edit.at, int(edit.before.size()), edit.after);
}

bool revertEdit(clsKaraokeEdition &edition, const RowsEdit &edit)
{
    if (!holds(edition, edit.at, edit.after))
        return false;
    return edition.replaceRows(edit.at, int(edit.after.size()), edit.before);
}

bool mergeEdits(RowsEdit &first, const RowsEdit &next)
{
    const bool typing = first.kind == RowsEditKind::TypeTime || first.kind == RowsEditKind::TypeText;
    if (!typing || next.kind != first.kind || next.at != first.at || first.before.size() != 1 || first.after.size() != 1
        || next.before.size() != 1 || next.after.size() != 1 || !(next.before.first() == first.after.first()))
        return false;
    first.after = next.after;
    first.currentAfter = next.currentAfter;
    return true;
}

RowsEdit typeTimeEdit(const clsKaraokeEdition &edition, int row, const StampTime &time)
{
    if (!isRow(edition, row) || !TimeToCode(time))
        return RowsEdit{RowsEditKind::TypeTime, qMax(row, 0), {}, {}, qMax(row, 0), qMax(row, 0)};
    KasRow changed = edition.row(row);
    changed.time = time;
    return oneRowEdit(RowsEditKind::TypeTime, edition, row, changed);
}

RowsEdit typeTextEdit(const clsKaraokeEdition &edition, int row, const QString &text)
{
    if (!isRow(edition, row) || text.size() > 2)
        return RowsEdit{RowsEditKind::TypeText, qMax(row, 0), {}, {}, qMax(row, 0), qMax(row, 0)};
    KasRow changed = edition.row(row);
    changed.Text = text;
    return oneRowEdit(RowsEditKind::TypeText, edition, row, changed);
}

RowsEdit addEdit(const clsKaraokeEdition &edition, int current)
{
    const int row = qBound(0, current, edition.rowCount() - 1);
    return RowsEdit{RowsEditKind::Add, row + 1, {}, {KasRow{}}, row, row};
}

RowsEdit delEdit(const clsKaraokeEdition &edition, int current)
{
    if (current <= 0 || edition.rowCount() == 1)
        return RowsEdit{RowsEditKind::Del, 0, {}, {}, qMax(current, 0), qMax(current, 0)};
    const int row = qMin(current, edition.rowCount() - 1);
    return RowsEdit{RowsEditKind::Del, row, {edition.row(row)}, {}, current, qMin(current, edition.rowCount() - 2)};
}

RowsEdit replaceAllEdit(const clsKaraokeEdition &edition, const QList<KasRow> &rows, int current, RowsEditKind kind)
{
    if (rows.isEmpty() || rows == edition.rows())
        return RowsEdit{kind, 0, {}, {}, current, current};
    return RowsEdit{kind, 0, edition.rows(), rows, current, 0};
}

} // namespace stanzary
