#pragma once

#include "karaoke/RowEdits.h"
#include "karaoke/StampSteps.h"

namespace stanzary {

// Timing a song by ear: the rules of tapping, nudging, replaying and
// shifting stamps. Moments are milliseconds of the song as the player counts
// them. Every rule is a pure function of the rows and the moment; the edits
// it returns change the rows only when applied (RowEdits).

// How long before a stamp "Replay" starts the song.
constexpr qint64 kReplayLeadMs = 2000;

enum class TapStatus {
    Set,           // the nearest step to the moment
    RaisedToStart, // the moment lay before 00:00.0; the stamp is 00:00.0
    PastLastStamp, // the moment rounds past 13:59.8: no stamp can hold it, nothing is set
};

struct TappedTime
{
    TapStatus status = TapStatus::Set;
    StampTime time; // meaningless for PastLastStamp
};

// The stamp a tap stores: the playback position less the user's tap delay
// (the time from hearing a line start to pressing the key), rounded to the
// nearest step of 0.2 s.
TappedTime tapTime(qint64 positionMs, int tapDelayMs);

struct TapResult
{
    TapStatus status = TapStatus::Set;
    StampTime time;
    // The row's new time and, on the last row, the empty row added below it.
    // Empty for PastLastStamp, and when neither happens (same time again).
    RowsEdit edit;
    int nextRow = 0;       // the row that becomes current: the one below, or the row itself for PastLastStamp
    bool addedRow = false; // the tap was on the last row, so a row is added below it
};

// A tap on row `current` (the last row when current is beyond it).
TapResult tapRow(const clsKaraokeEdition &edition, int current, qint64 positionMs, int tapDelayMs);

struct NudgeResult
{
    RowsEdit edit;        // empty when the stamp cannot move (at a limit)
    bool stopped = false; // a limit kept the stamp from moving the whole way
    StampTime time;       // the row's time after the nudge
};

// Moves row `row`'s stamp by `steps` steps of 0.2 s (negative: earlier).
NudgeResult nudgeRow(const clsKaraokeEdition &edition, int row, int steps);

// Where "Replay" starts for a stamp: 2 s before it, never before the start.
qint64 replayPosition(const StampTime &stamp);

enum class ShiftStatus {
    Done,
    NotAStep, // an odd number of tenths: stamps move in steps of 0.2 s
};

struct ShiftResult
{
    ShiftStatus status = ShiftStatus::Done;
    RowsEdit edit;   // the shifted rows; empty when no stamp moved
    int shifted = 0; // rows that moved the whole way
    int stopped = 0; // rows held at 00:00.0 or 13:59.8 (or brought back from beyond it)
};

// Moves the stamps of row `first` and every row after it (first = 0: all
// rows) by a signed number of tenths of a second, each stopping at 00:00.0
// and 13:59.8 (stepStamp's frame steps).
ShiftResult shiftRows(const clsKaraokeEdition &edition, int first, int tenths);

} // namespace stanzary
