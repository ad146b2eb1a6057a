#include "audio/AudioBackend.h"
#include "audio/EnvelopeLoader.h"
#include "karaoke/StampSteps.h"
#include "ui/WaveformStrip.h"

#include "SampleSongs.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

using namespace stanzary;

// The waveform strip on a sample song's real envelope, for a person to look
// at: with STANZARY_SHOTS=<folder> it writes the pictures there (run it
// again with QT_SCALE_FACTOR=1.5 for the larger scale).
class tst_WaveformPictures : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { startAudio(); }

    // With STANZARY_SHOTS=<folder>, pictures of the strip on a sample song
    // for a person to look at (run again with QT_SCALE_FACTOR=1.5).
    void screenshotsOfASampleSong()
    {
        const QString shots = qEnvironmentVariable("STANZARY_SHOTS");
        if (shots.isEmpty())
            QSKIP("set STANZARY_SHOTS to a folder to write screenshots");
        const test::SampleSong song = test::sampleSong(QStringLiteral("Amber Lanterns - Paper Boats"));
        clsKaraokeEdition edition;
        QVERIFY(edition.LoadKasFile(KasPathFor(song.lyricsPath)).ok());
        QTemporaryDir cache;
        EnvelopeLoader loader(nullptr, cache.path());
        QSignalSpy ready(&loader, &EnvelopeLoader::envelopeReady);
        loader.load(song.mp3);
        QVERIFY(ready.wait(30000));

        QWidget window;
        auto *strip = new WaveformStrip(&window);
        strip->setGeometry(0, 0, 800, strip->sizeHint().height());
        window.resize(800, strip->height());
        strip->setEnvelope(ready.first().first().value<SoundEnvelope>());
        strip->setDuration(song.durationMs);
        strip->setStamps(edition.rows(), 3);
        strip->setPosition(22800);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        strip->setFocus();
        const QString scale = QString::number(strip->devicePixelRatioF());
        const auto shoot = [&](const QString &name) {
            QTest::qWait(20);
            QVERIFY(strip->grab().save(QStringLiteral("%1/waveform-%2-%3x.png").arg(shots, name, scale)));
        };
        shoot(QStringLiteral("marks"));

        // A drag in progress: the mark of row 3 taken 1.3 s later.
        const int x = int(strip->xOf(stampMilliseconds(edition.row(2).time)));
        QTest::mousePress(strip, Qt::LeftButton, {}, QPoint(x, strip->height() / 2));
        QTest::mouseMove(strip, QPoint(x + 20, strip->height() / 2));
        QTest::mouseMove(strip, QPoint(x + 130, strip->height() / 2));
        shoot(QStringLiteral("drag"));
        QTest::keyClick(strip, Qt::Key_Escape);
        QTest::mouseRelease(strip, Qt::LeftButton, {}, QPoint(x + 130, strip->height() / 2));

        QList<KasRow> rows = edition.rows();
        rows[3].time = stampAtStep(95);
        strip->setStamps(rows, 2);
        strip->setPosition(21500);
        shoot(QStringLiteral("out-of-order"));

        QPalette dark;
        dark.setColor(QPalette::Window, QColor(45, 45, 48));
        dark.setColor(QPalette::WindowText, QColor(230, 230, 230));
        dark.setColor(QPalette::Base, QColor(30, 30, 30));
        dark.setColor(QPalette::Text, QColor(230, 230, 230));
        dark.setColor(QPalette::Highlight, QColor(60, 120, 216));
        dark.setColor(QPalette::HighlightedText, Qt::white);
        strip->setPalette(dark);
        shoot(QStringLiteral("out-of-order-dark"));

        strip->setPalette(QPalette());
        strip->setEnvelope(SoundEnvelope());
        strip->setMessage(QStringLiteral(
            "No waveform: \"Paper Boats.mp3\" could not be decoded: no sound came from it for 10 seconds."));
        strip->setWindowMs(song.durationMs);
        shoot(QStringLiteral("message-whole-song"));
    }
};

QTEST_MAIN(tst_WaveformPictures)
#include "tst_waveformpictures.moc"
