#include "audio/BackgroundDecode.h"

#include "audio/AudioBackend.h"
#include "audio/QtAudioDecoder.h"

#include <QThread>

namespace stanzary {

BackgroundDecode::BackgroundDecode(std::unique_ptr<AudioDecoder> decoder, QObject *parent)
    : QObject(parent), m_decoder(decoder ? std::move(decoder) : std::make_unique<QtAudioDecoder>())
{
    qRegisterMetaType<DecodeOutcome>();
    startAudio(); // here, never first on the decoding thread
}

BackgroundDecode::~BackgroundDecode()
{
    cancel();
}

bool BackgroundDecode::isRunning() const
{
    return m_thread && m_thread->isRunning();
}

void BackgroundDecode::cancel()
{
    if (!m_thread)
        return;
    m_cancel->store(true);
    m_thread->wait();
    delete m_thread;
    m_thread = nullptr;
}

void BackgroundDecode::start(const QString &path, PcmSink sink)
{
    cancel();
    m_cancel = std::make_shared<std::atomic<bool>>(false);
    const int run = ++m_run;
    // The destructor waits for the thread, so this outlives it; a result
    // queued by a run that was cancelled or replaced is dropped on arrival.
    m_thread = QThread::create([this, decoder = m_decoder, cancelled = m_cancel, path, sink = std::move(sink), run] {
        const DecodeOutcome outcome =
            decoder->decode(path, [&](const PcmChunk &chunk) { return !cancelled->load() && (!sink || sink(chunk)); });
        QMetaObject::invokeMethod(
            this,
            [this, outcome, run] {
                if (run == m_run && !m_cancel->load())
                    emit finished(outcome);
            },
            Qt::QueuedConnection);
    });
    m_thread->setObjectName(QStringLiteral("Decoding"));
    m_thread->start();
}

} // namespace stanzary
