#include "audio/AudioBackend.h"
#include "audio/QtAudioPlayer.h"
#include "karaoke/PlaybackClock.h"
#include "karaoke/StampCreation.h"
#include "karaoke/StampTiming.h"
#include "store/LyricsFile.h"

#include "NamedPipe.h"
#include "SampleSongs.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

using namespace stanzary;

namespace {

constexpr int kWaitMs = 30000;

bool loaded(AudioPlayer &player, const QString &path)
{
    player.load(path);
    return QTest::qWaitFor([&] { return player.status() != AudioPlayer::Status::Loading; }, kWaitMs)
           && player.status() == AudioPlayer::Status::Ready;
}

// The child of refusesToPlayWithoutASoundDevice: plays into no sound server
// and prints what the player says. Exit code 0 when it refused to play.
int playWithoutSoundDevice(const QString &mp3)
{
    QtAudioPlayer player;
    QString told;
    QObject::connect(&player, &AudioPlayer::errorOccurred, &player, [&](const QString &m) { told = m; });
    if (hasSoundOutput() || !loaded(player, mp3))
        return 2;
    player.play();
    QTest::qWait(1500);
    QTextStream(stdout) << told << Qt::endl;
    return told == noSoundDeviceText() && !player.isPlaying() ? 0 : 1;
}

} // namespace

// The real player (Qt Multimedia, FFmpeg backend) against the sound server
// the tests run with (a PulseAudio null sink: scripts/null-audio.sh). No
// assertion depends on how fast this machine is: positions are checked for
// their order and against bounds a loaded machine keeps.
class tst_AudioPlayer : public QObject
{
    Q_OBJECT

    QTemporaryDir m_tmp;
    test::SampleSong m_song = test::sampleSong(QStringLiteral("Amber Lanterns - Quiet Engine"));

private slots:
    void initTestCase()
    {
        startAudio();
        QVERIFY2(hasSoundOutput(),
                 "No sound output device. The audio tests need a sound server: run them through "
                 "scripts/null-audio.sh (scripts/test.sh and .ci/run do), which starts PulseAudio with a null sink.");
        QCOMPARE(audioBackendName(), QStringLiteral("ffmpeg"));
    }

    // Every sample song plays (names beyond ASCII too); the reported
    // position rises, never ahead of the wall clock, and holds when paused.
    void playsAndThePositionAdvances_data()
    {
        QTest::addColumn<QString>("name");
        for (const test::SampleSong &song : test::sampleSongs())
            QTest::newRow(qPrintable(song.name)) << song.name;
    }
    void playsAndThePositionAdvances()
    {
        QFETCH(QString, name);
        const test::SampleSong song = test::sampleSong(name);
        QtAudioPlayer player;
        QList<qint64> reported;
        connect(&player, &AudioPlayer::positionChanged, this, [&](qint64 ms) { reported.append(ms); });
        QVERIFY2(loaded(player, song.mp3), qPrintable(player.errorString()));
        QVERIFY2(qAbs(player.duration() - song.durationMs) <= 100, qPrintable(QString::number(player.duration())));

        QElapsedTimer wall;
        wall.start();
        player.play();
        QVERIFY(QTest::qWaitFor([&] { return player.position() >= 1000; }, kWaitMs));
        QVERIFY(player.isPlaying());
        QVERIFY2(player.position() <= wall.elapsed() + 300, qPrintable(QString::number(player.position())));
        // Reports may step back by a millisecond (rounding), never more.
        for (qsizetype i = 1; i < reported.size(); ++i)
            QVERIFY2(reported.at(i) >= reported.at(i - 1) - 5, qPrintable(QDebug::toString(reported)));

        player.pause();
        QVERIFY(QTest::qWaitFor([&] { return !player.isPlaying(); }, kWaitMs));
        QTest::qWait(200);
        const qint64 paused = player.position();
        QTest::qWait(300);
        QCOMPARE(player.position(), paused);
    }

    // A seek lands within a step of the line start, and a tap there stores it.
    void seekLandsOnALineStartAndATapStoresIt()
    {
        QtAudioPlayer player;
        QVERIFY(loaded(player, m_song.mp3));
        clsKaraokeEdition edition;
        edition.startNewFile(stampsForLyrics(*readLyricsText(m_song.lyricsPath, CodePage()), CodePage()).rows);
        QCOMPARE(edition.rowCount(), m_song.lines.size());
        for (int k = int(m_song.lines.size()) - 1; k >= 0; k -= 3) {
            const qint64 start = m_song.lines.at(k).startMs;
            player.seek(start);
            QVERIFY2(QTest::qWaitFor([&] { return qAbs(player.position() - start) <= kStampStepMs; }, kWaitMs),
                     qPrintable(QStringLiteral("asked %1, at %2").arg(start).arg(player.position())));
            const TapResult tap = tapRow(edition, k, player.position(), 0);
            QVERIFY(qAbs(stampStep(tap.time) - nearestStep(start)) <= 1);
        }
        player.play();
        QVERIFY(QTest::qWaitFor([&] { return player.position() > m_song.lines.first().startMs; }, kWaitMs));
    }

    // At a slower rate the song plays slower than the wall clock.
    void slowerRatesPlaySlower_data()
    {
        QTest::addColumn<double>("rate");
        QTest::newRow("0.5") << 0.5;
        QTest::newRow("0.75") << 0.75;
    }
    void slowerRatesPlaySlower()
    {
        QFETCH(double, rate);
        QtAudioPlayer player;
        QVERIFY(loaded(player, m_song.mp3));
        player.setPlaybackRate(rate);
        QCOMPARE(player.playbackRate(), rate);
        player.play();
        QVERIFY(QTest::qWaitFor([&] { return player.position() >= 300; }, kWaitMs));
        QElapsedTimer wall;
        wall.start();
        const qint64 from = player.position();
        QTest::qWait(1500);
        const qint64 advance = player.position() - from;
        QVERIFY(advance > 0);
        QVERIFY2(advance <= qint64(rate * double(wall.elapsed())) + 250,
                 qPrintable(QStringLiteral("%1 ms of song in %2 ms").arg(advance).arg(wall.elapsed())));
    }

    // Timing by ear: rows made from the lyrics, a tap as each of the first
    // lines starts to play, saved. A tap never stores a time before its line
    // began, nor after where the player is once the tap is done.
    void tapsWhilePlayingStampEveryLine()
    {
        QtAudioPlayer player;
        PlaybackClock clock;
        connect(&player, &AudioPlayer::positionChanged, this, [&](qint64 ms) { clock.reportPosition(ms); });
        connect(&player, &AudioPlayer::playingChanged, this, [&](bool playing) { clock.setPlaying(playing); });
        QVERIFY(loaded(player, m_song.mp3));
        clsKaraokeEdition edition;
        edition.startNewFile(stampsForLyrics(*readLyricsText(m_song.lyricsPath, CodePage()), CodePage()).rows);

        player.play();
        constexpr int kTapped = 4;
        int row = 0;
        for (const test::SampleLine &line : m_song.lines.first(kTapped)) {
            QVERIFY(QTest::qWaitFor([&] { return clock.position() >= line.startMs; }, kWaitMs));
            const TapResult tap = tapRow(edition, row, clock.position(), 0);
            const qint64 playerAfter = player.position();
            QVERIFY(applyEdit(edition, tap.edit));
            QVERIFY2(stampStep(tap.time) >= nearestStep(line.startMs)
                         && stampStep(tap.time) <= nearestStep(playerAfter + PlaybackClock::kMaxCarryMs),
                     qPrintable(QStringLiteral("%1: line at %2 ms, stamp %3, player at %4 ms")
                                    .arg(line.text)
                                    .arg(line.startMs)
                                    .arg(stampText(tap.time))
                                    .arg(playerAfter)));
            row = tap.nextRow;
        }
        const QString kas = QDir(m_tmp.path()).filePath(QStringLiteral("Quiet Engine.kas"));
        QVERIFY(edition.SaveKasFile(kas).ok());
        clsKaraokeEdition saved;
        QVERIFY(saved.LoadKasFile(kas).ok());
        QCOMPARE(saved.rowCount(), m_song.lines.size());
        for (int i = 1; i < saved.rowCount(); ++i) {
            if (i < kTapped)
                QVERIFY(stampStep(saved.row(i - 1).time) < stampStep(saved.row(i).time));
            else
                QCOMPARE(saved.row(i).time, StampTime{});
        }
    }

    void refusesFilesThatAreNotAudio_data()
    {
        QTest::addColumn<QString>("file");
        QTest::newRow("missing") << QStringLiteral("missing.mp3");
        QTest::newRow("named pipe") << QStringLiteral("pipe.mp3");
        QTest::newRow("text") << QStringLiteral("text.mp3");
    }
    void refusesFilesThatAreNotAudio()
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
        QtAudioPlayer player;
        QSignalSpy errors(&player, &AudioPlayer::errorOccurred);
        QVERIFY(!loaded(player, path));
        QCOMPARE(player.status(), AudioPlayer::Status::Failed);
        QTest::qWait(200);
        QCOMPARE(errors.size(), 1);
        QVERIFY2(player.errorString().contains(file), qPrintable(player.errorString()));
        player.play();
        QVERIFY(!player.isPlaying());
    }

    // Without a sound server Qt's FFmpeg backend would crash playing; the
    // player refuses and says why. Run in a child without a sound server.
    void refusesToPlayWithoutASoundDevice()
    {
        QTemporaryDir runtime;
        QVERIFY(QFile::setPermissions(runtime.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        const QString noAutospawn = QDir(runtime.path()).filePath(QStringLiteral("client.conf"));
        QFile conf(noAutospawn);
        QVERIFY(conf.open(QIODevice::WriteOnly));
        conf.write("autospawn = no\n");
        conf.close();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
        env.insert(QStringLiteral("PULSE_SERVER"), QStringLiteral("unix:") + runtime.path() + QStringLiteral("/none"));
        env.insert(QStringLiteral("PULSE_CLIENTCONFIG"), noAutospawn);
        QProcess child;
        child.setProcessEnvironment(env);
        child.start(QCoreApplication::applicationFilePath(),
                    {QStringLiteral("--play-without-sound-device"), m_song.mp3});
        QVERIFY(child.waitForFinished(120000));
        const QByteArray said = child.readAllStandardOutput();
        QCOMPARE(child.exitStatus(), QProcess::NormalExit);
        QVERIFY2(child.exitCode() == 0, said.constData());
    }
};

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    if (argc == 3 && qstrcmp(argv[1], "--play-without-sound-device") == 0)
        return playWithoutSoundDevice(QString::fromLocal8Bit(argv[2]));
    tst_AudioPlayer test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_audioplayer.moc"
