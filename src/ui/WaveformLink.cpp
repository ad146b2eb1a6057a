#include "ui/WaveformLink.h"

#include "audio/EnvelopeLoader.h"
#include "ui/KaraokeEditorFrame.h"
#include "ui/PlaybackArea.h"
#include "ui/PlaybackBar.h"
#include "ui/WaveformStrip.h"

namespace stanzary {

WaveformLink::WaveformLink(KaraokeEditorFrame &frame, PlaybackArea &area, QObject *parent)
    : QObject(parent), m_frame(frame), m_area(area)
{
    m_strip = new WaveformStrip;
    m_strip->hide();
    area.setStrip(m_strip);
    m_envelope = new EnvelopeLoader(nullptr, QString(), this);
    PlaybackBar *bar = area.bar();

    connect(m_envelope, &EnvelopeLoader::envelopeReady, m_strip, &WaveformStrip::setEnvelope);
    connect(m_envelope, &EnvelopeLoader::messageChanged, m_strip, &WaveformStrip::setMessage);
    connect(bar, &PlaybackBar::positionChanged, m_strip, &WaveformStrip::setPosition);
    connect(bar, &PlaybackBar::audioStateChanged, this, &WaveformLink::audioChanged);

    connect(&frame, &KaraokeEditorFrame::rowsChanged, this, &WaveformLink::showRows);
    connect(&frame, &KaraokeEditorFrame::currentRowChanged, this, &WaveformLink::showRows);

    connect(m_strip, &WaveformStrip::seekRequested, bar, &PlaybackBar::seekTo);
    connect(m_strip, &WaveformStrip::replayRequested, bar, &PlaybackBar::playFrom);
    connect(m_strip, &WaveformStrip::rowActivated, &frame, &KaraokeEditorFrame::setCurrentRow);
    connect(m_strip, &WaveformStrip::markMoved, &frame, &KaraokeEditorFrame::pushEdit);
    connect(m_strip, &WaveformStrip::sortRequested, &frame, &KaraokeEditorFrame::pushEdit);
    showRows();
}

void WaveformLink::audioChanged()
{
    const PlaybackBar *bar = m_area.bar();
    const QString source = bar->hasAudio() ? bar->source() : QString();
    m_strip->setDuration(source.isEmpty() ? 0 : bar->duration());
    m_strip->setVisible(!source.isEmpty());
    if (source == m_source)
        return;
    m_source = source;
    if (source.isEmpty()) {
        m_envelope->cancel();
        return;
    }
    m_strip->setPosition(bar->position());
    m_envelope->load(source);
}

void WaveformLink::showRows()
{
    m_strip->setStamps(m_frame.rowsInUse(), m_frame.currentRow());
}

} // namespace stanzary
