#pragma once

#include "karaoke/KasFile.h"

#include <QString>

namespace stanzary {

// The arithmetic of stamp times. A timestamp file counts fifths of a second:
// one step is 0.2 s, so frames (tenths) are always even. The editor reaches
// the steps 0 (00:00.0) to kLastStampStep (13:59.8); a file may hold later
// times, which the editor shows as 13:59.8 and keeps while they are not
// changed.
//
// stepStamp is the one rule for moving a stamp: the time picker's spinner,
// the nudge keys and the shift of many stamps all go through it.

constexpr int kStampStepMs = 200;
constexpr int kLastStampStep = 13 * 300 + 59 * 5 + 4; // 13:59.8
constexpr qint64 kLastStampMs = qint64(kLastStampStep) * kStampStepMs;

// The parts of a stamp that the picker steps: a minute is 300 steps, a
// second 5, a frame part step (0.2 s) 1.
enum class StampPart { Minute, Second, Frame };

// A time as steps from 00:00.0: Minute * 300 + Second * 5 + Frame / 2 (an
// odd frame counts as the even one below it).
int stampStep(const StampTime &time);
// Steps to a time; negative steps give 00:00.0. Steps beyond 13:59.8 give
// the later times a file can hold (minutes above 13).
StampTime stampAtStep(int step);

// A stamp's time in milliseconds.
quint32 stampMilliseconds(const StampTime &time);

// The step nearest to a moment in milliseconds; a moment halfway between
// two steps goes to the later one. Not limited to the editor's range.
qint64 nearestStep(qint64 ms);

// "mm:ss.t", as the picker shows a time.
QString stampText(const StampTime &time);

struct SteppedStamp
{
    StampTime time;
    // The time did not move the whole way: a limit (00:00.0, 13:59.8) held
    // it back, or it lay beyond 13:59.8 and was first brought back to it.
    bool stopped = false;
};

// Moves a time by a signed number of steps of one part, carrying into the
// other parts: 00:59.8 and one frame step is 01:00.0, 00:59.4 and one
// second is 01:00.4. The time never leaves 00:00.0 to 13:59.8: a frame
// step stops at the limit; a second or minute step that does not fit whole
// is not taken (13:59.4 and one second stays 13:59.4, as the picker's
// seconds stop at 59 in the last minute). A time beyond 13:59.8 is taken
// as 13:59.8, the time the editor shows for it.
SteppedStamp stepStamp(const StampTime &time, StampPart part, int steps);

} // namespace stanzary
