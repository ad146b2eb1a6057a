#include "audio/AudioBackend.h"
#include "audio/EnvelopeLoader.h"
#include "audio/QtAudioDecoder.h"

#include "NamedPipe.h"

#include <QDataStream>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

#include <atomic>
#include <cmath>

using namespace stanzary;

namespace {

// A WAV file of 16-bit samples: silence, then a 440 Hz tone at half scale
// from toneMs to the end.
QByteArray toneWav(int sampleRate, int channels, int toneMs, int lengthMs)
{
    QByteArray pcm;
    QDataStream out(&pcm, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    const qint64 frames = qint64(lengthMs) * sampleRate / 1000;
    const qint64 toneFrame = qint64(toneMs) * sampleRate / 1000;
    for (qint64 f = 0; f < frames; ++f) {
        const double t = double(f - toneFrame) / sampleRate;
        const qint16 v = f < toneFrame ? 0 : qint16(16000 * std::sin(2 * M_PI * 440 * t));
        for (int c = 0; c < channels; ++c)
            out << v;
    }
    QByteArray wav;
    QDataStream head(&wav, QIODevice::WriteOnly);
    head.setByteOrder(QDataStream::LittleEndian);
    head.writeRawData("RIFF", 4);
    head << quint32(36 + pcm.size());
    head.writeRawData("WAVEfmt ", 8);
    head << quint32(16) << quint16(1) << quint16(channels) << quint32(sampleRate) << quint32(sampleRate * channels * 2)
         << quint16(channels * 2) << quint16(16);
    head.writeRawData("data", 4);
    head << quint32(pcm.size());
    return wav + pcm;
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write the test's file");
}

// The first bin whose level reaches half of full, in ms; -1 when none does.
qint64 rise(const SoundEnvelope &envelope)
{
    for (qsizetype b = 0; b < envelope.levels.size(); ++b) {
        if (quint8(envelope.levels.at(b)) >= 128)
            return b * SoundEnvelope::kBinMs;
    }
    return -1;
}

// Qt Multimedia's decoder, counting its decodings and where they ran.
class CountingDecoder : public AudioDecoder
{
public:
    CountingDecoder(std::atomic<int> &count, std::atomic<Qt::HANDLE> &thread, int stallMs)
        : m_count(count), m_thread(thread), m_decoder(stallMs)
    {}
    DecodeOutcome decode(const QString &path, const PcmSink &sink) override
    {
        ++m_count;
        m_thread = QThread::currentThreadId();
        return m_decoder.decode(path, sink);
    }

private:
    std::atomic<int> &m_count;
    std::atomic<Qt::HANDLE> &m_thread;
    QtAudioDecoder m_decoder;
};

} // namespace

// The envelope of a song for the waveform strip: made off the window
// thread, where the sound really is, kept in the cache until the file
// changes, and a message when the file cannot be decoded.
class tst_EnvelopeLoader : public QObject
{
    Q_OBJECT

    QTemporaryDir m_tmp;
    std::atomic<int> m_decodings{0};
    std::atomic<Qt::HANDLE> m_thread{nullptr};

    QString cacheFolder() const { return m_tmp.filePath(QStringLiteral("cache")); }

    std::unique_ptr<EnvelopeLoader> loader(int stallMs = QtAudioDecoder::kStallMs)
    {
        return std::make_unique<EnvelopeLoader>(std::make_unique<CountingDecoder>(m_decodings, m_thread, stallMs),
                                                cacheFolder());
    }

    // Loads path and waits for the envelope; fails the test on a message.
    SoundEnvelope loaded(EnvelopeLoader &loader, const QString &path)
    {
        QSignalSpy ready(&loader, &EnvelopeLoader::envelopeReady);
        QSignalSpy message(&loader, &EnvelopeLoader::messageChanged);
        loader.load(path);
        if (!ready.isEmpty() || ready.wait(30000))
            return ready.first().first().value<SoundEnvelope>();
        qWarning() << "no envelope:" << message;
        return SoundEnvelope();
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_tmp.isValid());
        startAudio();
    }

    void toneRisesWhereItStarts_data()
    {
        QTest::addColumn<QString>("format");
        QTest::addColumn<int>("rate");
        QTest::addColumn<int>("channels");
        QTest::addColumn<int>("toneMs");
        QTest::newRow("WAV, mono") << "wav" << 44100 << 1 << 1234;
        QTest::newRow("WAV, stereo, 48 kHz") << "wav" << 48000 << 2 << 2005;
        QTest::newRow("MP3 made by ffmpeg") << "mp3" << 44100 << 2 << 1503;
    }
    void toneRisesWhereItStarts()
    {
        QFETCH(QString, format);
        QFETCH(int, rate);
        QFETCH(int, channels);
        QFETCH(int, toneMs);
        const QString wav =
            m_tmp.filePath(QStringLiteral("tone-%1.wav").arg(QString::fromLatin1(QTest::currentDataTag())));
        writeFile(wav, toneWav(rate, channels, toneMs, toneMs + 1500));
        QString song = wav;
        if (format == QStringLiteral("mp3")) {
            // The same tone, encoded once by ffmpeg (64 kbit/s) and kept beside the test.
            song = m_tmp.filePath(QStringLiteral("tone.mp3"));
            QVERIFY(QFile::copy(qEnvironmentVariable("STANZARY_TEST_DATA") + QStringLiteral("/tone-1503ms.mp3"), song));
        }
        const int before = m_decodings;
        const SoundEnvelope envelope = loaded(*loader(), song);
        QCOMPARE(m_decodings, before + 1);
        QVERIFY(m_thread.load() != QThread::currentThreadId());
        QVERIFY2(qAbs(rise(envelope) - toneMs) <= SoundEnvelope::kBinMs, qPrintable(QString::number(rise(envelope))));
        QCOMPARE(envelope.peak(0, toneMs - 2 * SoundEnvelope::kBinMs), 0);
        QVERIFY(qAbs(envelope.durationMs - (toneMs + 1500)) <= 30);
    }

    // A second visit reads the cache at once; a changed file or a damaged
    // cache file is decoded again (and the cache made anew).
    void cacheIsUsedUntilTheFileChanges_data()
    {
        QTest::addColumn<QString>("change");
        QTest::newRow("nothing") << "";
        QTest::newRow("the song rewritten") << "song";
        QTest::newRow("the song touched") << "touch";
        QTest::newRow("cache: a byte changed") << "byte";
        QTest::newRow("cache: cut short") << "cut";
        QTest::newRow("cache: a named pipe") << "pipe";
    }
    void cacheIsUsedUntilTheFileChanges()
    {
        QFETCH(QString, change);
        const QString song =
            m_tmp.filePath(QStringLiteral("cached-%1.wav").arg(QString::fromLatin1(QTest::currentDataTag())));
        writeFile(song, toneWav(44100, 1, 500, 3000));
        const SoundEnvelope first = loaded(*loader(), song);
        const QString cacheFile = EnvelopeCache(cacheFolder()).fileFor(song);
        QVERIFY(QFileInfo(cacheFile).isFile());

        int toneMs = 500;
        QFile file(change == QStringLiteral("song") || change == QStringLiteral("touch") ? song : cacheFile);
        if (change == QStringLiteral("song")) {
            toneMs = 800;
            writeFile(song, toneWav(44100, 1, toneMs, 3000));
        } else if (change == QStringLiteral("touch")) {
            QVERIFY(file.open(QIODevice::ReadWrite));
            QVERIFY(file.setFileTime(QDateTime::currentDateTime().addSecs(5), QFileDevice::FileModificationTime));
        } else if (change == QStringLiteral("byte")) {
            QVERIFY(file.open(QIODevice::ReadWrite));
            QVERIFY(file.seek(file.size() / 2));
            const char byte = file.peek(1).at(0);
            QVERIFY(file.putChar(char(byte ^ 1)));
        } else if (change == QStringLiteral("cut")) {
            QVERIFY(file.resize(file.size() - 3));
        } else if (change == QStringLiteral("pipe")) {
            QVERIFY(file.remove());
            test::makeNamedPipe(cacheFile);
        }
        file.close();

        const int before = m_decodings;
        std::unique_ptr<EnvelopeLoader> again = loader();
        QSignalSpy ready(again.get(), &EnvelopeLoader::envelopeReady);
        again->load(song);
        QCOMPARE(ready.size(), change.isEmpty() ? 1 : 0); // from the cache: at once
        QVERIFY(ready.size() == 1 || ready.wait(30000));
        const SoundEnvelope second = ready.first().first().value<SoundEnvelope>();
        QCOMPARE(m_decodings, before + (change.isEmpty() ? 0 : 1));
        QVERIFY(qAbs(rise(second) - toneMs) <= SoundEnvelope::kBinMs);
        if (toneMs == 500)
            QCOMPARE(second, first);
        if (change != QStringLiteral("pipe"))
            QCOMPARE(EnvelopeCache(cacheFolder()).read(audioFileKey(song)), std::optional<SoundEnvelope>(second));
    }

    void undecodableFileGivesAMessage_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("missing") << "missing.mp3";
        QTest::newRow("not audio") << "text.mp3";
    }
    void undecodableFileGivesAMessage()
    {
        QFETCH(QString, name);
        const QString path = m_tmp.filePath(name);
        if (name == QStringLiteral("text.mp3"))
            writeFile(path, QByteArray(4000, 'x'));
        std::unique_ptr<EnvelopeLoader> failing = loader(1500);
        QSignalSpy ready(failing.get(), &EnvelopeLoader::envelopeReady);
        QSignalSpy message(failing.get(), &EnvelopeLoader::messageChanged);
        failing->load(path);
        QCOMPARE(message.size(), 1);
        QCOMPARE(message.first().first().toString(), EnvelopeLoader::loadingText());
        QVERIFY(message.wait(30000));
        const QString text = message.last().first().toString();
        QVERIFY2(text.startsWith(QStringLiteral("No waveform: ")) && text.contains(name), qPrintable(text));
        QCOMPARE(ready.size(), 0);
        QVERIFY(!QFileInfo::exists(EnvelopeCache(cacheFolder()).fileFor(path)));
    }
};

QTEST_GUILESS_MAIN(tst_EnvelopeLoader)
#include "tst_envelopeloader.moc"
