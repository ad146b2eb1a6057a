#pragma once

#include "karaoke/RowEdits.h"
#include "karaoke/StampSteps.h"

#include <QList>

namespace stanzary {

// The order of the stamps against the order of the rows.
//
// The rows keep the timestamp file's order, which is the order of the lyric
// lines they start (a stamp is paired with the next line that begins with
// its two characters). So the stamps should never go back in time from one
// row to the next; a stamp that does is out of order. These rules let the
// waveform strip show such stamps, keep a dragged stamp from passing its
// neighbours, and sort the rows by their stamps as one undoable edit.
//
// A row after the first whose time is 00:00.0 waits for its stamp (the rows
// made for a song without a timestamp file, or the empty row a tap on the
// last row adds): it has no mark on the strip, sets no limit to its
// neighbours and is never out of order. Row 0 always has a stamp.
bool hasStamp(const QList<KasRow> &rows, int row);

// The rows whose stamps contradict the order of the rows, in row order:
// every stamped row outside the longest run of stamped rows whose stamps
// never go back in time. Of several runs that long, the one made of the
// earliest rows is kept, so with 00:10, 00:20, 00:15, 00:30 the row at
// 00:15 is out of order, and with 00:10, 00:50, 00:20, 00:30 only 00:50 is.
QList<int> outOfOrderRows(const QList<KasRow> &rows);

// Where row `row`'s stamp may go, in steps of 0.2 s (stampStep): from the
// previous stamped row's stamp to the next one's (equal times are allowed),
// within 00:00.0 to 13:59.8. When those two neighbours are themselves out
// of order, no position lies between them, and they set no limit.
struct StampLimits
{
    int first = 0;
    int last = kLastStampStep;
};
StampLimits stampLimits(const QList<KasRow> &rows, int row);

struct DraggedStamp
{
    StampTime time;       // where the stamp lands
    bool stopped = false; // a neighbour or the range held it before wantedMs
    // Row `row` with its new time; it becomes the current row. Empty when
    // the stamp does not move or the row does not exist.
    RowsEdit edit;
};

// Row `row`'s stamp moved to the moment wantedMs (a mark dragged on the
// strip, or moved by its keys): the nearest step, held within stampLimits.
// current is the row current before the move.
DraggedStamp dragStamp(const QList<KasRow> &rows, int row, qint64 wantedMs, int current);

// "Sort Stamps": the stamped rows put in the order of their stamps, each
// row's text and time code travelling with its stamp (a row is moved, never
// given another row's time); rows with equal stamps keep their order, and
// rows waiting for a stamp keep their places. The current row stays the
// same row wherever it moves. Empty when the stamps are in order.
RowsEdit sortEdit(const QList<KasRow> &rows, int current);

} // namespace stanzary
