#include "karaoke/SoundEnvelope.h"

#include <cmath>

namespace stanzary {

int SoundEnvelope::peak(qint64 fromMs, qint64 toMs) const
{
    const qint64 first = qMax<qint64>(0, fromMs / kBinMs);
    const qint64 end = qMin<qint64>(levels.size(), qMax(toMs / kBinMs, first + 1));
    int most = 0;
    for (qint64 b = first; b < end; ++b)
        most = qMax(most, int(quint8(levels.at(b))));
    return most;
}

quint8 envelopeLevel(float peak)
{
    if (!(peak > 0.0f))
        return 0;
    const double db = 20.0 * std::log10(double(qMin(peak, 1.0f)));
    if (db <= SoundEnvelope::kFloorDb)
        return 0;
    return quint8(qBound(1.0, std::round(255.0 * (1.0 - db / SoundEnvelope::kFloorDb)), 255.0));
}

void EnvelopeBuilder::add(int sampleRate, int channels, const float *samples, qsizetype count)
{
    if (sampleRate <= 0 || channels <= 0)
        return;
    m_sampleRate = sampleRate;
    const qint64 frames = count / channels;
    const qint64 framesPerBinTimes1000 = qint64(sampleRate) * SoundEnvelope::kBinMs;
    qint64 frame = 0;
    while (frame < frames) {
        const qint64 at = m_frames + frame;
        const qint64 bin = at * 1000 / framesPerBinTimes1000;
        // The first frame of the next bin.
        const qint64 nextBin = ((bin + 1) * framesPerBinTimes1000 + 999) / 1000;
        const qint64 upto = qMin(frames, nextBin - m_frames);
        float most = 0.0f;
        const float *from = samples + frame * channels;
        const float *to = samples + upto * channels;
        for (const float *s = from; s != to; ++s)
            most = qMax(most, std::fabs(*s));
        if (bin >= m_peaks.size())
            m_peaks.resize(bin + 1, 0.0f);
        m_peaks[bin] = qMax(m_peaks.at(bin), most);
        frame = upto;
    }
    m_frames += frames;
}

SoundEnvelope EnvelopeBuilder::envelope() const
{
    SoundEnvelope envelope;
    envelope.durationMs = m_sampleRate > 0 ? m_frames * 1000 / m_sampleRate : 0;
    envelope.levels.resize(m_peaks.size());
    for (qsizetype b = 0; b < m_peaks.size(); ++b)
        envelope.levels[b] = char(envelopeLevel(m_peaks.at(b)));
    return envelope;
}

} // namespace stanzary
