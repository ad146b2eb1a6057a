#pragma once

#include "audio/AudioDecoder.h"

#include <QObject>

#include <atomic>
#include <memory>

class QThread;

namespace stanzary {

// Decodes a song on a thread of its own, so the window stays responsive:
// the sink receives the chunks on that thread, and finished() arrives on the
// thread this object lives in. One decoding at a time; starting another
// cancels the running one first. Destroying the object cancels and waits.
class BackgroundDecode : public QObject
{
    Q_OBJECT

public:
    // decoder: the decoder to use (a QtAudioDecoder when null).
    explicit BackgroundDecode(std::unique_ptr<AudioDecoder> decoder = nullptr, QObject *parent = nullptr);
    ~BackgroundDecode() override;

    void start(const QString &path, PcmSink sink);
    // Asks the running decoding to stop at its next chunk and waits for it.
    void cancel();
    bool isRunning() const;

signals:
    void finished(const stanzary::DecodeOutcome &outcome);

private:
    std::shared_ptr<AudioDecoder> m_decoder;
    std::shared_ptr<std::atomic<bool>> m_cancel;
    QThread *m_thread = nullptr;
    int m_run = 0; // which start() the next result belongs to
};

} // namespace stanzary
