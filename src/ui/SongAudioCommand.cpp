#include "ui/SongAudioCommand.h"

#include "app/Config.h"
#include "app/basMain.h"
#include "ui/PlaybackBar.h"
#include "ui/SongDetailsView.h"
#include "ui/TimingKeys.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace stanzary {

SongAudioCommand::SongAudioCommand(basMain &state, SongDetailsView &details, QObject *parent)
    : QObject(parent), m_state(state), m_details(details)
{
    details.timing()->bindTapDelay(&state.intTapDelayMs);
    PlaybackBar *bar = details.playbackBar();
    connect(bar, &PlaybackBar::audioChosen, this, [this](const QString &path) {
        if (m_state.strCurrentKey.isEmpty())
            return;
        m_state.SongAudioFiles.insert(m_state.strCurrentKey, path);
        SaveTimingSettings(m_state);
    });
    connect(bar, &PlaybackBar::folderAdded, this, [this](const QString &folder) {
        if (!rememberMp3Folder(m_state, folder))
            return;
        SaveTimingSettings(m_state);
        if (!m_state.strCurrentFile.isEmpty())
            showCurrentSong();
    });
}

QStringList SongAudioCommand::filesFor(const QString &songKey)
{
    const QString chosen = m_state.SongAudioFiles.value(songKey);
    if (!chosen.isEmpty() && QFileInfo(chosen).isFile())
        return {chosen};
    ScanCallbacks callbacks;
    callbacks.letPendingEventsRun = [] { QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents); };
    return m_finder.filesFor(m_state, songKey, callbacks);
}

void SongAudioCommand::showCurrentSong()
{
    m_details.showSongAudio(filesFor(m_state.strCurrentKey));
}

} // namespace stanzary
