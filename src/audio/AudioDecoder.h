#pragma once

#include <QList>
#include <QString>

#include <functional>

namespace stanzary {

// Decoding a song file to samples, for pictures of its sound (a waveform)
// and measurements. The interface lets tests stand in a decoder of their
// own; QtAudioDecoder decodes with Qt Multimedia.

// A piece of the decoded song: samples as floats from -1 to 1, the channels
// interleaved, starting startUs microseconds into the song.
struct PcmChunk
{
    qint64 startUs = 0;
    int sampleRate = 0;
    int channels = 0;
    QList<float> samples;
    qint64 frames() const { return channels > 0 ? samples.size() / channels : 0; }
};

// Takes each chunk, on the thread that decodes; false stops the decoding
// (the outcome then says cancelled).
using PcmSink = std::function<bool(const PcmChunk &chunk)>;

struct DecodeOutcome
{
    bool ok = false;
    bool cancelled = false;
    QString error; // for the user, when neither ok nor cancelled
    qint64 frames = 0;
    int sampleRate = 0;
    int channels = 0;
    qint64 durationMs() const { return sampleRate > 0 ? frames * 1000 / sampleRate : 0; }
};

class AudioDecoder
{
public:
    virtual ~AudioDecoder() = default;
    // Decodes the whole file, handing each chunk to sink in order, and
    // returns when it is done, failed or was stopped. Blocks the calling
    // thread: call it off the window thread (BackgroundDecode does).
    virtual DecodeOutcome decode(const QString &path, const PcmSink &sink) = 0;
};

} // namespace stanzary
