#pragma once

#include <QKeySequence>
#include <QObject>

class QAction;
class QWidget;

namespace stanzary {

class KaraokeEditorFrame;
class PlaybackArea;
class PlaybackBar;
class UserDialogs;

// The commands of timing a song by ear, as actions with keys and as buttons
// in the playback area's command row:
//
//   Ctrl+P  play / pause          Ctrl+T  tap: the current stamp is now
//   Ctrl+,  nudge earlier 0.2 s   Ctrl+.  nudge later 0.2 s
//   Ctrl+R  replay from 2 s before the current stamp
//   "Shift stamps...", "Calibrate..." (the tap delay)
//
// Every key holds Ctrl, so none of them types into the line-start field or
// the lyrics box; they work wherever the keyboard is in the main window.
// A tap sets the current row's stamp to the playback position less the tap
// delay, rounded to the nearest 0.2 s, and makes the next row current (a
// tap on the last row adds one); a nudge moves the current stamp by a step
// and replays from 2 s before it. Every change goes through the editor's
// undo stack. A moment past 13:59.8, which no stamp can hold, is told.
class TimingCommands : public QObject
{
    Q_OBJECT

public:
    // The actions belong to area (window-wide keys while it is shown).
    TimingCommands(KaraokeEditorFrame &frame, PlaybackArea &area, UserDialogs &dialogs, QObject *parent = nullptr);

    // The tap delay lives in *delayMs (the shared state's) once bound.
    void bindTapDelay(int *delayMs) { m_delay = delayMs ? delayMs : &m_ownDelayMs; }
    int tapDelay() const { return *m_delay; }
    void setTapDelay(int ms);

    void tap();
    void nudge(int steps);
    void replay();
    void shiftStamps();
    void calibrate();

    // The buttons and their actions, for the windows that offer more
    // commands in the same row (create stamps, import).
    QAction *addCommand(const char *name, const QString &text, const QString &tip, QKeySequence key = {},
                        bool withButton = true);

signals:
    // The user set the tap delay (calibrated).
    void tapDelayChanged(int ms);

private:
    bool canEditStamps();
    void tellPastLastStamp();

    KaraokeEditorFrame &m_frame;
    PlaybackArea &m_area;
    PlaybackBar &m_bar;
    UserDialogs &m_dialogs;
    int m_ownDelayMs = 0;
    int *m_delay = &m_ownDelayMs;
};

} // namespace stanzary
