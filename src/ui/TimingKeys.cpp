#include "ui/TimingKeys.h"

#include "app/basMain.h"
#include "karaoke/StampTiming.h"
#include "ui/KaraokeEditorFrame.h"
#include "ui/PlaybackArea.h"
#include "ui/PlaybackBar.h"
#include "ui/ShiftDialog.h"
#include "ui/TapCalibration.h"
#include "ui/UserDialogs.h"

#include <QAction>
#include <QHBoxLayout>
#include <QToolButton>

namespace stanzary {

TimingCommands::TimingCommands(KaraokeEditorFrame &frame, PlaybackArea &area, UserDialogs &dialogs, QObject *parent)
    : QObject(parent), m_frame(frame), m_area(area), m_bar(*area.bar()), m_dialogs(dialogs),
      m_ownDelayMs(basMain::kDefaultTapDelayMs)
{
    // The bar's own button shows Play or Pause; the action is its key.
    QAction *play = addCommand("actPlayPause", QStringLiteral("Play"), QStringLiteral("Play or pause the song"),
                               QKeySequence(Qt::CTRL | Qt::Key_P), false);
    connect(play, &QAction::triggered, &m_bar, [this] {
        if (m_bar.isEnabled())
            m_bar.togglePlay();
    });
    connect(addCommand("actTap", QStringLiteral("Tap"),
                       QStringLiteral("Tap when the current line starts: its stamp is the playback position less "
                                      "the tap delay; the next line becomes current"),
                       QKeySequence(Qt::CTRL | Qt::Key_T)),
            &QAction::triggered, this, &TimingCommands::tap);
    connect(addCommand("actEarlier", QStringLiteral("Earlier"),
                       QStringLiteral("Move the current stamp 0.2 s earlier and replay from 2 s before it"),
                       QKeySequence(Qt::CTRL | Qt::Key_Comma)),
            &QAction::triggered, this, [this] { nudge(-1); });
    connect(addCommand("actLater", QStringLiteral("Later"),
                       QStringLiteral("Move the current stamp 0.2 s later and replay from 2 s before it"),
                       QKeySequence(Qt::CTRL | Qt::Key_Period)),
            &QAction::triggered, this, [this] { nudge(1); });
    connect(addCommand("actReplay", QStringLiteral("Replay"), QStringLiteral("Play from 2 s before the current stamp"),
                       QKeySequence(Qt::CTRL | Qt::Key_R)),
            &QAction::triggered, this, &TimingCommands::replay);
    connect(addCommand("actShiftStamps", QStringLiteral("Shift stamps..."),
                       QStringLiteral("Move all stamps, or the current one and those after it, earlier or later")),
            &QAction::triggered, this, &TimingCommands::shiftStamps);
    connect(addCommand("actCalibrate", QStringLiteral("Calibrate..."),
                       QStringLiteral("Measure your tap delay by tapping along with a steady click")),
            &QAction::triggered, this, &TimingCommands::calibrate);
}

QAction *TimingCommands::addCommand(const char *name, const QString &text, const QString &tip, QKeySequence key,
                                    bool withButton)
{
    auto *action = new QAction(text, &m_area);
    action->setIconText(text); // "Shift stamps..." keeps its dots on the button
    action->setObjectName(QLatin1StringView(name));
    action->setShortcut(key);
    action->setShortcutContext(Qt::WindowShortcut);
    const QString withKey =
        key.isEmpty() ? tip : tip + QStringLiteral(" (") + key.toString(QKeySequence::NativeText) + u')';
    action->setToolTip(withKey);
    m_area.addAction(action);
    if (!withButton)
        return action;
    auto *button = new QToolButton(&m_area);
    button->setObjectName(QStringLiteral("cmd") + QLatin1StringView(name).mid(3));
    button->setDefaultAction(action);
    button->setToolButtonStyle(Qt::ToolButtonTextOnly);
    button->setAccessibleDescription(withKey);
    QHBoxLayout *row = m_area.commandRow();
    row->insertWidget(row->count() - 1, button); // before the stretch at the end
    return action;
}

void TimingCommands::setTapDelay(int ms)
{
    *m_delay = qBound(0, ms, basMain::kMaxTapDelayMs);
}

bool TimingCommands::canEditStamps()
{
    if (m_frame.isVisibleTo(m_frame.window()) && m_frame.isEditable())
        return true;
    m_dialogs.beep();
    return false;
}

void TimingCommands::tellPastLastStamp()
{
    m_bar.pause();
    m_dialogs.information(QString(), QStringLiteral("The song is past 13:59.8 here. A stamp cannot be later than "
                                                    "that, so none was set."));
}

void TimingCommands::tap()
{
    if (!canEditStamps() || !m_bar.hasAudio()) {
        if (!m_bar.hasAudio())
            m_dialogs.beep();
        return;
    }
    const TapResult result = tapRow(m_frame.edition(), m_frame.currentRow(), m_bar.position(), tapDelay());
    if (result.status == TapStatus::PastLastStamp) {
        tellPastLastStamp();
        return;
    }
    if (!m_frame.pushEdit(result.edit))
        m_frame.setCurrentRow(result.nextRow);
}

void TimingCommands::nudge(int steps)
{
    if (!canEditStamps())
        return;
    const NudgeResult result = nudgeRow(m_frame.edition(), m_frame.currentRow(), steps);
    if (!m_frame.pushEdit(result.edit))
        m_dialogs.beep(); // at 00:00.0 or 13:59.8 already
    if (m_bar.hasAudio())
        m_bar.playFrom(replayPosition(result.time));
}

void TimingCommands::replay()
{
    if (!m_bar.hasAudio() || m_frame.rowsInUse().isEmpty()) {
        m_dialogs.beep();
        return;
    }
    m_bar.playFrom(replayPosition(m_frame.edition().row(m_frame.currentRow()).time));
}

void TimingCommands::shiftStamps()
{
    if (!canEditStamps())
        return;
    ShiftDialog dialog(m_frame.currentRow(), m_frame.window());
    if (dialog.exec() != QDialog::Accepted)
        return;
    const ShiftResult result = shiftRows(m_frame.edition(), dialog.firstRow(), dialog.tenths());
    m_frame.pushEdit(result.edit);
    m_dialogs.information(QString(), shiftOutcomeText(result, dialog.tenths()));
}

void TimingCommands::calibrate()
{
    m_bar.pause();
    TapCalibration dialog(tapDelay(), m_frame.window());
    if (dialog.exec() != QDialog::Accepted || !dialog.measured())
        return;
    setTapDelay(*dialog.measured());
    m_dialogs.information(QString(), QStringLiteral("The tap delay is now %1 ms.").arg(tapDelay()));
    emit tapDelayChanged(tapDelay());
}

} // namespace stanzary
