#pragma once

#include <QObject>
#include <QString>

namespace stanzary {

class EnvelopeLoader;
class KaraokeEditorFrame;
class PlaybackArea;
class WaveformStrip;

// Puts the waveform strip above the karaoke editor's playback bar and keeps
// it in step: the envelope of the audio the bar has loaded (made or read from
// the cache by an EnvelopeLoader), the bar's position and the song's length,
// the editor's rows and current row. What the user does on the strip goes
// back the editor's way: a dragged mark or a sort is pushed on its undo
// stack, a double-clicked mark becomes the current row and replays, a click
// seeks. The strip shows only while the bar has a song's audio.
class WaveformLink : public QObject
{
    Q_OBJECT

public:
    WaveformLink(KaraokeEditorFrame &frame, PlaybackArea &area, QObject *parent = nullptr);

    WaveformStrip *strip() const { return m_strip; }

private:
    void audioChanged();
    void showRows();

    KaraokeEditorFrame &m_frame;
    PlaybackArea &m_area;
    WaveformStrip *m_strip = nullptr;
    EnvelopeLoader *m_envelope = nullptr;
    QString m_source; // the audio whose envelope the strip has or waits for
};

} // namespace stanzary
