#include "ui/PlaybackFollow.h"

#include "tagger/LyricsPairing.h"
#include "ui/KaraokeEditorFrame.h"
#include "ui/PlaybackBar.h"

namespace stanzary {

PlaybackFollow::PlaybackFollow(KaraokeEditorFrame &frame, PlaybackBar &bar, QObject *parent)
    : QObject(parent), m_frame(frame), m_bar(bar)
{
    connect(&bar, &PlaybackBar::positionChanged, this, &PlaybackFollow::follow);
    connect(&frame, &KaraokeEditorFrame::rowsChanged, this, &PlaybackFollow::rowsChanged);
    rowsChanged();
}

void PlaybackFollow::rowsChanged()
{
    m_follower = StampFollower(m_frame.rowsInUse());
    const int row = m_row;
    m_row = -2; // shown anew: the row's stamp or its line may have changed
    setRow(row);
    if (m_bar.hasAudio())
        follow(m_bar.position());
}

void PlaybackFollow::follow(qint64 positionMs)
{
    setRow(m_bar.hasAudio() ? m_follower.rowAt(positionMs) : -1);
}

void PlaybackFollow::setRow(int row)
{
    if (row == m_row)
        return;
    m_row = row;
    m_frame.setFollowedRow(row);
    const int line = lineOf(row);
    if (line != m_line) {
        m_line = line;
        emit lineFollowed(line);
    }
}

int PlaybackFollow::lineOf(int row) const
{
    if (row < 0)
        return -1;
    QList<KasRecord> records;
    if (!m_frame.edition().recordsForSave(records).ok())
        return -1;
    const StampPairing pairing = pairStamps(records, lyricLines(m_frame.currentLyricsText()), m_frame.codePage());
    for (const PairedStamp &paired : pairing.paired) {
        if (paired.index == row)
            return int(paired.lineIndex);
    }
    return -1;
}

} // namespace stanzary
