#include "karaoke/StampOrder.h"

#include "karaoke/StampSteps.h"

#include <algorithm>

namespace stanzary {

namespace {

QList<int> stampedRows(const QList<KasRow> &rows)
{
    QList<int> stamped;
    for (int i = 0; i < rows.size(); ++i) {
        if (hasStamp(rows, i))
            stamped.append(i);
    }
    return stamped;
}

int stepOf(const QList<KasRow> &rows, int row)
{
    return stampStep(rows.at(row).time);
}

} // namespace

bool hasStamp(const QList<KasRow> &rows, int row)
{
    if (row < 0 || row >= rows.size())
        return false;
    return row == 0 || rows.at(row).time != StampTime{};
}

QList<int> outOfOrderRows(const QList<KasRow> &rows)
{
    const QList<int> stamped = stampedRows(rows);
    const qsizetype n = stamped.size();
    // longest[i]: the longest run in order that starts at stamped row i.
    QList<int> longest(n, 1);
    for (qsizetype i = n - 1; i >= 0; --i) {
        for (qsizetype j = i + 1; j < n; ++j) {
            if (stepOf(rows, stamped.at(j)) >= stepOf(rows, stamped.at(i)))
                longest[i] = qMax(longest.at(i), longest.at(j) + 1);
        }
    }
    const int length = n > 0 ? *std::max_element(longest.cbegin(), longest.cend()) : 0;
    // Walk the run from its earliest possible row on; the rest is out of order.
    QList<int> out;
    int wanted = length;
    int floor = 0;
    for (qsizetype i = 0; i < n; ++i) {
        const int step = stepOf(rows, stamped.at(i));
        if (wanted > 0 && longest.at(i) == wanted && step >= floor) {
            --wanted;
            floor = step;
        } else {
            out.append(stamped.at(i));
        }
    }
    return out;
}

StampLimits stampLimits(const QList<KasRow> &rows, int row)
{
    StampLimits limits;
    int previous = row - 1;
    while (previous >= 0 && !hasStamp(rows, previous))
        --previous;
    int next = row + 1;
    while (next < rows.size() && !hasStamp(rows, next))
        ++next;
    const int first = previous >= 0 ? qMin(stepOf(rows, previous), kLastStampStep) : 0;
    const int last = next < rows.size() ? qMin(stepOf(rows, next), kLastStampStep) : kLastStampStep;
    if (first <= last)
        limits = StampLimits{first, last};
    return limits;
}

DraggedStamp dragStamp(const QList<KasRow> &rows, int row, qint64 wantedMs, int current)
{
    DraggedStamp result;
    result.edit = RowsEdit{RowsEditKind::Drag, qMax(row, 0), {}, {}, current, current};
    if (row < 0 || row >= rows.size())
        return result;
    const StampLimits limits = stampLimits(rows, row);
    const qint64 wanted = nearestStep(wantedMs);
    const int step = int(qBound(qint64(limits.first), wanted, qint64(limits.last)));
    result.time = stampAtStep(step);
    result.stopped = step != wanted;
    if (result.time != rows.at(row).time) {
        KasRow moved = rows.at(row);
        moved.time = result.time;
        result.edit.before = {rows.at(row)};
        result.edit.after = {moved};
        result.edit.currentAfter = row;
    }
    return result;
}

RowsEdit sortEdit(const QList<KasRow> &rows, int current)
{
    const QList<int> places = stampedRows(rows);
    QList<int> byTime = places;
    std::stable_sort(byTime.begin(), byTime.end(), [&](int a, int b) { return stepOf(rows, a) < stepOf(rows, b); });
    QList<KasRow> sorted = rows;
    int currentAfter = current;
    for (qsizetype i = 0; i < places.size(); ++i) {
        sorted[places.at(i)] = rows.at(byTime.at(i));
        if (byTime.at(i) == current)
            currentAfter = places.at(i);
    }
    qsizetype first = 0;
    while (first < rows.size() && rows.at(first) == sorted.at(first))
        ++first;
    if (first == rows.size())
        return RowsEdit{RowsEditKind::Sort, 0, {}, {}, current, current};
    qsizetype last = rows.size() - 1;
    while (rows.at(last) == sorted.at(last))
        --last;
    const qsizetype count = last - first + 1;
    return RowsEdit{RowsEditKind::Sort,       int(first), rows.mid(first, count),
                    sorted.mid(first, count), current,    currentAfter};
}

} // namespace stanzary
