#pragma once

#include "karaoke/StampFollower.h"

#include <QObject>

namespace stanzary {

class KaraokeEditorFrame;
class PlaybackBar;

// Follows playback in the karaoke editor: at every position the bar tells,
// the row whose stamp is the latest at or before it (StampFollower) is
// tinted and kept in view, and its lyric line (the line the .lrc export
// pairs the stamp with) is told for the lyrics box to highlight. Nothing is
// followed while the bar has no audio.
class PlaybackFollow : public QObject
{
    Q_OBJECT

public:
    PlaybackFollow(KaraokeEditorFrame &frame, PlaybackBar &bar, QObject *parent = nullptr);

    // Follows positionMs now (the bar's positions come here).
    void follow(qint64 positionMs);
    int followedRow() const { return m_row; }
    int followedLine() const { return m_line; }

signals:
    // The lyric line of the followed row, from 0 in the lyrics; -1 for none.
    void lineFollowed(int lineIndex);

private:
    void rowsChanged();
    void setRow(int row);
    int lineOf(int row) const;

    KaraokeEditorFrame &m_frame;
    PlaybackBar &m_bar;
    StampFollower m_follower;
    int m_row = -1;
    int m_line = -1;
};

} // namespace stanzary
