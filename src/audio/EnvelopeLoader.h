#pragma once

#include "audio/AudioDecoder.h"
#include "karaoke/EnvelopeCache.h"

#include <QObject>

#include <memory>

namespace stanzary {

class BackgroundDecode;

// Gets the envelope of a song for the waveform strip. From the cache at
// once when it holds one made from the file as it is now; otherwise the
// file is decoded on a thread of its own (BackgroundDecode), which reduces
// the samples to the envelope as they come and writes the cache file, so the
// window thread only ever receives the finished envelope. A file that cannot
// be decoded gives a message for the strip, and nothing is cached for it
// (the next visit tries again).
class EnvelopeLoader : public QObject
{
    Q_OBJECT

public:
    // decoder: a QtAudioDecoder when null. cacheFolder: EnvelopeCache's
    // default when empty.
    explicit EnvelopeLoader(std::unique_ptr<AudioDecoder> decoder = nullptr, const QString &cacheFolder = QString(),
                            QObject *parent = nullptr);
    ~EnvelopeLoader() override;

    // Starts on the song at path, dropping the one loading. From the cache,
    // envelopeReady is emitted before this returns; otherwise
    // messageChanged(loadingText()) is, and later envelopeReady or
    // messageChanged with the reason.
    void load(const QString &path);
    // Stops loading; nothing more is emitted for the song.
    void cancel();
    bool isLoading() const;

    static QString loadingText() { return QStringLiteral("Reading the song's sound..."); }

    // What the decoding thread shares with this object (inside only).
    struct Shared;

signals:
    void envelopeReady(const stanzary::SoundEnvelope &envelope);
    // What the strip shows instead of the envelope; empty once it is there.
    void messageChanged(const QString &message);

private:
    void onFinished(const DecodeOutcome &outcome);

    std::shared_ptr<Shared> m_shared;
    BackgroundDecode *m_decode = nullptr;
};

} // namespace stanzary
