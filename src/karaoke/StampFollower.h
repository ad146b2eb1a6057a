#pragma once

#include "karaoke/KaraokeEdition.h"

#include <QList>

namespace stanzary {

// Which row follows playback: the row whose stamp is the latest one at or
// before the position. The rows keep their order (the file's); only the
// lookup is by time.
//
// A stamp out of order therefore lights its row at its own time, and every
// other row still follows at its own: with 00:10 / 00:20 / 00:05 / 00:30 the
// third row follows from 00:05 to 00:10, then the first, the second and the
// fourth. So a wrong stamp shows itself where it is instead of holding back
// or skipping the rows around it. Of equal stamps the lowest row in the list
// follows (the one that comes last in the file).
//
// Built once per change of the rows (n log n), asked per position in
// logarithmic time, so hundreds of rows follow at any rate of position
// changes.
class StampFollower
{
public:
    StampFollower() = default;
    explicit StampFollower(const QList<KasRow> &rows);

    // The row that follows positionMs, or -1 before the earliest stamp (and
    // when there are no rows).
    int rowAt(qint64 positionMs) const;

private:
    struct Due
    {
        qint64 ms;
        int row;
    };
    QList<Due> m_byTime; // by stamp, then by row
};

} // namespace stanzary
