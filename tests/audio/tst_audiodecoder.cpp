#include "audio/AudioBackend.h"
#include "audio/BackgroundDecode.h"
#include "audio/QtAudioDecoder.h"

#include "NamedPipe.h"
#include "SampleSongs.h"

#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

#include <cmath>

using namespace stanzary;

namespace {

constexpr int kWindowMs = 5;

// The loudest sample of each 5 ms of the song, all channels together.
struct Envelope
{
    QList<float> peaks;
    float peak(qint64 fromMs, qint64 toMs) const
    {
        float most = 0;
        for (qint64 w = qMax<qint64>(0, fromMs / kWindowMs); w < qMin<qint64>(peaks.size(), toMs / kWindowMs); ++w)
            most = qMax(most, peaks.at(w));
        return most;
    }
    // The first window from fromMs on whose peak reaches level, in ms; -1 if none.
    qint64 firstAbove(qint64 fromMs, float level) const
    {
        for (qint64 w = qMax<qint64>(0, fromMs / kWindowMs); w < peaks.size(); ++w) {
            if (peaks.at(w) >= level)
                return w * kWindowMs;
        }
        return -1;
    }
};

} // namespace

// Decoding a song off the window thread with Qt Multimedia, sample-exact:
// every line of the sample songs is heard where it starts, silence between.
class tst_AudioDecoder : public QObject
{
    Q_OBJECT

    QTemporaryDir m_tmp;

private slots:
    void initTestCase() { startAudio(); }

    void decodesWhereEveryLineStarts_data()
    {
        QTest::addColumn<QString>("name");
        for (const test::SampleSong &song : test::sampleSongs())
            QTest::newRow(qPrintable(song.name)) << song.name;
    }
    void decodesWhereEveryLineStarts()
    {
        QFETCH(QString, name);
        const test::SampleSong song = test::sampleSong(name);

        Envelope envelope;
        Qt::HANDLE decodingThread = nullptr;
        qint64 frames = 0;
        BackgroundDecode decode;
        QSignalSpy finished(&decode, &BackgroundDecode::finished);
        decode.start(song.mp3, [&](const PcmChunk &chunk) {
            decodingThread = QThread::currentThreadId();
            for (qsizetype i = 0; i < chunk.samples.size(); ++i) {
                const qint64 window = (frames + i / chunk.channels) * 1000 / chunk.sampleRate / kWindowMs;
                if (window >= envelope.peaks.size())
                    envelope.peaks.resize(window + 1);
                envelope.peaks[window] = qMax(envelope.peaks.at(window), std::abs(chunk.samples.at(i)));
            }
            frames += chunk.frames();
            return true;
        });
        QVERIFY(finished.wait(60000));
        QCOMPARE(audioBackendName(), QStringLiteral("ffmpeg"));
        const DecodeOutcome outcome = finished.first().first().value<DecodeOutcome>();
        QVERIFY2(outcome.ok, qPrintable(outcome.error));
        QVERIFY(decodingThread && decodingThread != QThread::currentThreadId());
        QCOMPARE(outcome.frames, frames);
        QVERIFY2(qAbs(outcome.durationMs() - song.durationMs) <= 30, qPrintable(QString::number(outcome.durationMs())));

        // Each line's sound begins within 25 ms of its start (a decoder that
        // keeps the encoder's delay is 50 ms late), and the pauses are quiet.
        for (qsizetype k = 0; k < song.lines.size(); ++k) {
            const test::SampleLine &line = song.lines.at(k);
            const qint64 onset = envelope.firstAbove(line.startMs - 300, 0.02f);
            QVERIFY2(
                qAbs(onset - line.startMs) <= 25,
                qPrintable(
                    QStringLiteral("%1 heard at %2 ms, starts at %3 ms").arg(line.text).arg(onset).arg(line.startMs)));
            const qint64 nextStart = k + 1 < song.lines.size() ? song.lines.at(k + 1).startMs : song.durationMs;
            QVERIFY2(envelope.peak(line.endMs + 80, nextStart - 80) < 0.01f, qPrintable(line.text));
        }
    }

    // A decoding asked to stop ends at once and tells nothing.
    void cancelledDecodingEndsQuietly()
    {
        const test::SampleSong song = test::sampleSongs().first();
        BackgroundDecode decode;
        QSignalSpy finished(&decode, &BackgroundDecode::finished);
        std::atomic<int> chunks{0};
        decode.start(song.mp3, [&](const PcmChunk &) {
            ++chunks;
            return true;
        });
        QTRY_VERIFY_WITH_TIMEOUT(chunks.load() > 0, 30000);
        decode.cancel();
        QVERIFY(!decode.isRunning());
        QTest::qWait(100);
        QCOMPARE(finished.size(), 0);

        // The sink stopping it: the outcome says cancelled.
        QtAudioDecoder decoder;
        const DecodeOutcome outcome = decoder.decode(song.mp3, [](const PcmChunk &) { return false; });
        QVERIFY(outcome.cancelled && !outcome.ok);
    }

    void refusesWhatIsNotAudio_data()
    {
        QTest::addColumn<QString>("file");
        QTest::newRow("missing") << QStringLiteral("missing.mp3");
        QTest::newRow("named pipe") << QStringLiteral("pipe.mp3");
        QTest::newRow("text") << QStringLiteral("text.mp3");
    }
    void refusesWhatIsNotAudio()
    {
        QFETCH(QString, file);
        const QString path = QDir(m_tmp.path()).filePath(file);
        if (file == QStringLiteral("pipe.mp3") && !QFileInfo::exists(path))
            test::makeNamedPipe(path);
        if (file == QStringLiteral("text.mp3")) {
            QFile text(path);
            QVERIFY(text.open(QIODevice::WriteOnly));
            text.write(QByteArray(4000, 'x'));
        }
        DecodeOutcome outcome;
        QVERIFY(test::finishesWithoutWaiting(path, [&] {
            QtAudioDecoder decoder(3000);
            outcome = decoder.decode(path, [](const PcmChunk &) { return true; });
        }));
        QVERIFY(!outcome.ok);
        QVERIFY2(outcome.error.contains(file), qPrintable(outcome.error));
    }
};

QTEST_GUILESS_MAIN(tst_AudioDecoder)
#include "tst_audiodecoder.moc"
