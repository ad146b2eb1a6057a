#include "audio/EnvelopeLoader.h"

#include "audio/BackgroundDecode.h"
#include "audio/QtAudioDecoder.h"

#include <QMutex>

#include <utility>

namespace stanzary {

// What the decoding thread and the window thread share: the cache, and the
// envelope of the last decoding that finished.
struct EnvelopeLoader::Shared
{
    explicit Shared(const QString &folder) : cache(folder.isEmpty() ? EnvelopeCache::defaultFolder() : folder) {}
    const EnvelopeCache cache;
    QMutex mutex;
    SoundEnvelope made;
};

namespace {

// Decodes with another decoder, reduces the samples to an envelope as they
// come, and writes the cache when the file was decoded whole and has not
// changed meanwhile. Runs on the decoding thread.
class EnvelopeDecoder : public AudioDecoder
{
public:
    EnvelopeDecoder(std::unique_ptr<AudioDecoder> decoder, std::shared_ptr<EnvelopeLoader::Shared> shared)
        : m_decoder(std::move(decoder)), m_shared(std::move(shared))
    {}

    DecodeOutcome decode(const QString &path, const PcmSink &sink) override
    {
        const AudioFileKey key = audioFileKey(path);
        EnvelopeBuilder builder;
        const DecodeOutcome outcome = m_decoder->decode(path, [&](const PcmChunk &chunk) {
            builder.add(chunk.sampleRate, chunk.channels, chunk.samples.constData(), chunk.samples.size());
            return sink(chunk);
        });
        if (!outcome.ok)
            return outcome;
        const SoundEnvelope envelope = builder.envelope();
        if (key.isValid() && audioFileKey(path) == key)
            m_shared->cache.write(key, envelope); // a cache that cannot be written costs a decoding next time
        const QMutexLocker lock(&m_shared->mutex);
        m_shared->made = envelope;
        return outcome;
    }

private:
    std::unique_ptr<AudioDecoder> m_decoder;
    std::shared_ptr<EnvelopeLoader::Shared> m_shared;
};

} // namespace

EnvelopeLoader::EnvelopeLoader(std::unique_ptr<AudioDecoder> decoder, const QString &cacheFolder, QObject *parent)
    : QObject(parent), m_shared(std::make_shared<Shared>(cacheFolder))
{
    qRegisterMetaType<SoundEnvelope>();
    if (!decoder)
        decoder = std::make_unique<QtAudioDecoder>();
    m_decode = new BackgroundDecode(std::make_unique<EnvelopeDecoder>(std::move(decoder), m_shared), this);
    connect(m_decode, &BackgroundDecode::finished, this, &EnvelopeLoader::onFinished);
}

EnvelopeLoader::~EnvelopeLoader()
{
    cancel();
}

void EnvelopeLoader::load(const QString &path)
{
    cancel();
    if (const std::optional<SoundEnvelope> cached = m_shared->cache.read(audioFileKey(path))) {
        emit messageChanged(QString());
        emit envelopeReady(*cached);
        return;
    }
    emit messageChanged(loadingText());
    m_decode->start(path, nullptr);
}

void EnvelopeLoader::cancel()
{
    m_decode->cancel();
}

bool EnvelopeLoader::isLoading() const
{
    return m_decode->isRunning();
}

void EnvelopeLoader::onFinished(const DecodeOutcome &outcome)
{
    if (outcome.cancelled)
        return;
    if (!outcome.ok) {
        emit messageChanged(QStringLiteral("No waveform: %1").arg(outcome.error));
        return;
    }
    SoundEnvelope envelope;
    {
        const QMutexLocker lock(&m_shared->mutex);
        envelope = std::exchange(m_shared->made, SoundEnvelope());
    }
    emit messageChanged(QString());
    emit envelopeReady(envelope);
}

} // namespace stanzary
