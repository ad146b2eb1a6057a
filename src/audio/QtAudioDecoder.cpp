#include "audio/QtAudioDecoder.h"

#include "audio/AudioBackend.h"
#include "audio/AudioFile.h"

#include <QAudioBuffer>
#include <QAudioDecoder>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QTimer>

namespace stanzary {

namespace {

PcmChunk toChunk(const QAudioBuffer &buffer)
{
    const QAudioFormat format = buffer.format();
    PcmChunk chunk;
    chunk.startUs = buffer.startTime();
    chunk.sampleRate = format.sampleRate();
    chunk.channels = format.channelCount();
    const qsizetype count = qsizetype(buffer.frameCount()) * chunk.channels;
    chunk.samples.resize(count);
    float *out = chunk.samples.data();
    switch (format.sampleFormat()) {
    case QAudioFormat::Float: std::copy_n(buffer.constData<float>(), count, out); break;
    case QAudioFormat::Int16: {
        const qint16 *in = buffer.constData<qint16>();
        for (qsizetype i = 0; i < count; ++i)
            out[i] = float(in[i]) / 32768.0f;
        break;
    }
    default: {
        const char *in = buffer.constData<char>();
        const int bytes = format.bytesPerSample();
        for (qsizetype i = 0; i < count; ++i)
            out[i] = format.normalizedSampleValue(in + i * bytes);
        break;
    }
    }
    return chunk;
}

} // namespace

QtAudioDecoder::QtAudioDecoder(int stallMs) : m_stallMs(stallMs)
{
    chooseAudioBackend();
}

DecodeOutcome QtAudioDecoder::decode(const QString &path, const PcmSink &sink)
{
    DecodeOutcome outcome;
    const std::unique_ptr<QFile> file = openAudioFile(path, outcome.error);
    if (!file)
        return outcome;

    QAudioDecoder decoder;
    QEventLoop loop;
    QTimer stall;
    stall.setSingleShot(true);
    stall.setInterval(m_stallMs);
    bool done = false;
    const auto finish = [&] {
        if (done)
            return;
        done = true;
        decoder.stop();
        loop.quit();
    };

    QObject::connect(&decoder, &QAudioDecoder::bufferReady, &loop, [&] {
        while (!done && decoder.bufferAvailable()) {
            const QAudioBuffer buffer = decoder.read();
            if (!buffer.isValid())
                continue;
            const PcmChunk chunk = toChunk(buffer);
            outcome.sampleRate = chunk.sampleRate;
            outcome.channels = chunk.channels;
            outcome.frames += chunk.frames();
            if (!sink(chunk)) {
                outcome.cancelled = true;
                finish();
            }
        }
        stall.start();
    });
    QObject::connect(&decoder, &QAudioDecoder::finished, &loop, [&] {
        outcome.ok = !outcome.cancelled && outcome.error.isEmpty();
        finish();
    });
    QObject::connect(&decoder, qOverload<QAudioDecoder::Error>(&QAudioDecoder::error), &loop, [&] {
        outcome.error =
            QStringLiteral("\"%1\" could not be decoded: %2").arg(QFileInfo(path).fileName(), decoder.errorString());
        finish();
    });
    QObject::connect(&stall, &QTimer::timeout, &loop, [&] {
        outcome.error = QStringLiteral("\"%1\" could not be decoded: no sound came from it for %2 seconds.")
                            .arg(QFileInfo(path).fileName())
                            .arg(m_stallMs / 1000);
        finish();
    });

    decoder.setSourceDevice(file.get());
    decoder.start();
    stall.start();
    if (!done)
        loop.exec();
    if (outcome.cancelled)
        outcome.ok = false;
    return outcome;
}

} // namespace stanzary
