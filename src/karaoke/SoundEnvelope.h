#pragma once

#include <QByteArray>
#include <QList>
#include <QMetaType>

namespace stanzary {

// A picture of a song's loudness for the waveform strip: for every 10 ms of
// the song, its loudest sample (all channels together) as one byte on a
// decibel scale, 0 for anything at or below -60 dBFS (silence) up to 255
// for full scale. Peaks rather than averages, so the attack of a line after
// a pause shows in the bin where it begins. A five-minute song is 30,000
// bytes.
struct SoundEnvelope
{
    static constexpr int kBinMs = 10;
    static constexpr double kFloorDb = -60.0;

    QByteArray levels;
    qint64 durationMs = 0;

    bool isEmpty() const { return levels.isEmpty(); }
    // The loudest level of the bins from fromMs up to (not including) toMs;
    // the bin at fromMs when the two are in one bin. 0 outside the song.
    int peak(qint64 fromMs, qint64 toMs) const;
    friend bool operator==(const SoundEnvelope &, const SoundEnvelope &) = default;
};

// One byte of level for a linear peak (0 to 1).
quint8 envelopeLevel(float peak);

// Builds an envelope from decoded samples handed over in order: floats from
// -1 to 1, channels interleaved. Not thread-safe; one builder per decoding.
class EnvelopeBuilder
{
public:
    void add(int sampleRate, int channels, const float *samples, qsizetype count);
    // The envelope so far; the song's length is the frames added.
    SoundEnvelope envelope() const;

private:
    QList<float> m_peaks;
    qint64 m_frames = 0;
    int m_sampleRate = 0;
};

} // namespace stanzary

Q_DECLARE_METATYPE(stanzary::SoundEnvelope)
