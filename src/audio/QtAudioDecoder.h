#pragma once

#include "audio/AudioDecoder.h"

namespace stanzary {

// Decodes with Qt Multimedia's QAudioDecoder, in the calling thread: it
// runs an event loop of its own there until the file is decoded. A file
// that is not a regular file is refused before the decoder sees it (a named
// pipe is never waited on); a decoder that gives nothing for stallMs is
// stopped and the outcome says so. Qt Multimedia must have been set up on
// the main thread first (startAudio; BackgroundDecode does it).
//
// The file is read through a file this class opens, not by its name: Qt
// 6.4's FFmpeg decoder waits forever, telling nothing, on a name with
// letters beyond ASCII. It also tells nothing for a file that is not audio,
// which the stall limit then ends.
class QtAudioDecoder : public AudioDecoder
{
public:
    static constexpr int kStallMs = 10000;

    explicit QtAudioDecoder(int stallMs = kStallMs);
    DecodeOutcome decode(const QString &path, const PcmSink &sink) override;

private:
    int m_stallMs;
};

} // namespace stanzary
