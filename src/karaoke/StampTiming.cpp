#include "karaoke/StampTiming.h"

namespace stanzary {

TappedTime tapTime(qint64 positionMs, int tapDelayMs)
{
    const qint64 step = nearestStep(positionMs - tapDelayMs);
    if (step > kLastStampStep)
        return TappedTime{TapStatus::PastLastStamp, StampTime{}};
    if (step < 0)
        return TappedTime{TapStatus::RaisedToStart, StampTime{}};
    return TappedTime{TapStatus::Set, stampAtStep(int(step))};
}

TapResult tapRow(const clsKaraokeEdition &edition, int current, qint64 positionMs, int tapDelayMs)
{
    const int row = qBound(0, current, edition.rowCount() - 1);
    const TappedTime tapped = tapTime(positionMs, tapDelayMs);
    TapResult result;
    result.status = tapped.status;
    result.time = tapped.time;
    result.edit = RowsEdit{RowsEditKind::Tap, row, {}, {}, row, row};
    result.nextRow = row;
    if (tapped.status == TapStatus::PastLastStamp)
        return result;

    KasRow changed = edition.row(row);
    changed.time = tapped.time;
    result.addedRow = row == edition.rowCount() - 1;
    result.nextRow = row + 1;
    result.edit.currentAfter = row + 1;
    if (!(changed == edition.row(row)) || result.addedRow) {
        result.edit.before = {edition.row(row)};
        result.edit.after = {changed};
        if (result.addedRow)
            result.edit.after.append(KasRow{});
    }
    return result;
}

NudgeResult nudgeRow(const clsKaraokeEdition &edition, int row, int steps)
{
    NudgeResult result;
    result.edit = RowsEdit{RowsEditKind::Nudge, qMax(row, 0), {}, {}, qMax(row, 0), qMax(row, 0)};
    if (row < 0 || row >= edition.rowCount())
        return result;
    const SteppedStamp moved = stepStamp(edition.row(row).time, StampPart::Frame, steps);
    result.stopped = moved.stopped;
    result.time = moved.time;
    if (moved.time != edition.row(row).time) {
        KasRow changed = edition.row(row);
        changed.time = moved.time;
        result.edit.before = {edition.row(row)};
        result.edit.after = {changed};
    }
    return result;
}

qint64 replayPosition(const StampTime &stamp)
{
    return qMax<qint64>(0, qint64(stampMilliseconds(stamp)) - kReplayLeadMs);
}

ShiftResult shiftRows(const clsKaraokeEdition &edition, int first, int tenths)
{
    ShiftResult result;
    const int from = qBound(0, first, edition.rowCount());
    result.edit = RowsEdit{RowsEditKind::Shift, from, {}, {}, first, first};
    if (tenths % 2 != 0) {
        result.status = ShiftStatus::NotAStep;
        return result;
    }
    QList<KasRow> before = edition.rows().mid(from);
    QList<KasRow> after = before;
    for (KasRow &r : after) {
        const SteppedStamp moved = stepStamp(r.time, StampPart::Frame, tenths / 2);
        r.time = moved.time;
        (moved.stopped ? result.stopped : result.shifted) += 1;
    }
    if (before != after) {
        result.edit.before = before;
        result.edit.after = after;
    }
    return result;
}

} // namespace stanzary
