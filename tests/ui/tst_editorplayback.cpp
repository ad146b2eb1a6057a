#include "app/SongCommands.h"
#include "audio/AudioBackend.h"
#include "audio/QtAudioPlayer.h"
#include "karaoke/KasFile.h"
#include "store/LyricsFile.h"
#include "ui/KaraokeEditorFrame.h"
#include "ui/PlaybackBar.h"
#include "ui/SongDetailsView.h"
#include "ui/UserDialogs.h"
#include "ui/ZephTimePicker.h"

#include "SampleSongs.h"

#include <QAccessible>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QtTest>

#include <memory>

using namespace stanzary;

// The karaoke editor with the real player (Qt Multimedia) on the sound
// server the tests run with (a PulseAudio null sink: scripts/null-audio.sh).
class tst_EditorPlayback : public QObject
{
    Q_OBJECT

    ScriptedUserDialogs m_dialogs;
    std::unique_ptr<QtAudioPlayer> m_player;
    std::unique_ptr<SongDetailsView> m_view;

    KaraokeEditorFrame *frame() const { return m_view->karaokeFrame(); }
    PlaybackBar *bar() const { return m_view->playbackBar(); }

    // The sample song shown as the main window shows a song, its audio loaded.
    void showSong(const test::SampleSong &song)
    {
        LyricsDetails d;
        d.fileFound = true;
        d.text = readLyricsText(song.lyricsPath, CodePage()).value_or(QString());
        d.loadKaraokeEditor = song.hasTimestamps;
        d.hideKaraokeEditor = !song.hasTimestamps;
        m_view->showSong(QStringLiteral("Artist"), QStringLiteral("Song"), d);
        m_view->showKaraokeFor(KasPathFor(song.lyricsPath), d, true, CodePage());
        m_view->showSongAudio({song.mp3});
        QVERIFY(QTest::qWaitFor([this] { return bar()->hasAudio(); }, 30000));
    }

private slots:
    void initTestCase()
    {
        startAudio();
        QVERIFY2(hasSoundOutput(), "No sound output device: run the tests through scripts/null-audio.sh, which "
                                   "starts PulseAudio with a null sink.");
    }

    void init()
    {
        m_player = std::make_unique<QtAudioPlayer>();
        m_view = std::make_unique<SongDetailsView>(m_dialogs);
        m_view->setAudioPlayer(m_player.get());
        m_view->resize(900, 600);
        m_view->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_view.get()));
    }
    void cleanup()
    {
        m_view.reset();
        m_player.reset();
    }

    // At each line's start the row of its stamp is highlighted (a screen
    // reader hears "Playing"), and so is the line in the lyrics box; before
    // the first stamp nothing is.
    void theRowAndTheLineFollowPlayback_data()
    {
        QTest::addColumn<QString>("name");
        for (const test::SampleSong &song : test::sampleSongs()) {
            if (song.hasTimestamps)
                QTest::newRow(qPrintable(song.name)) << song.name;
        }
    }
    void theRowAndTheLineFollowPlayback()
    {
        QFETCH(QString, name);
        const test::SampleSong song = test::sampleSong(name);
        showSong(song);
        auto *lyrics = m_view->findChild<QPlainTextEdit *>(QStringLiteral("lyrics"));
        bar()->seekTo(song.lines.first().startMs - 300);
        QCOMPARE(frame()->followedRow(), -1);
        QCOMPARE(m_view->highlightedLine(), -1);
        for (int k = 0; k < song.lines.size(); ++k) {
            bar()->seekTo(song.lines.at(k).startMs + 100);
            QCOMPARE(frame()->followedRow(), k);
            QCOMPARE(QAccessible::queryAccessibleInterface(frame()->row(k))->text(QAccessible::Description),
                     QStringLiteral("Playing"));
            const int line = m_view->highlightedLine();
            QCOMPARE(lyrics->document()->findBlockByNumber(line).text(), song.lines.at(k).text);
            QCOMPARE(lyrics->extraSelections().size(), 1);
            QCOMPARE(lyrics->extraSelections().first().cursor.block().blockNumber(), line);
        }
    }

    // Played for real, the position advances and the highlight with it; the
    // time label shows the position.
    void playingMovesTheHighlight()
    {
        const test::SampleSong song = test::sampleSong(QStringLiteral("Amber Lanterns - Paper Boats"));
        showSong(song);
        bar()->seekTo(song.lines.at(1).startMs - 400);
        QCOMPARE(frame()->followedRow(), 0);
        bar()->play();
        QVERIFY(QTest::qWaitFor([this] { return frame()->followedRow() == 1; }, 10000));
        bar()->pause();
        QVERIFY(QTest::qWaitFor([this] { return !bar()->isPlaying(); }));
        QVERIFY(bar()->position() >= song.lines.at(1).startMs);
        auto *time = m_view->findChild<QLabel *>(QStringLiteral("lblPlayTime"));
        QCOMPARE(time->text(), PlaybackBar::timeText(bar()->position()) + QStringLiteral(" / 00:54.8"));
    }

    // No audio file found: the bar says so, Play is off, the stamps stay editable.
    void withoutAudioTheBarSaysSo()
    {
        const test::SampleSong song = test::sampleSong(QStringLiteral("Amber Lanterns - Paper Boats"));
        showSong(song);
        m_view->showSongAudio({});
        auto *audio = m_view->findChild<QLabel *>(QStringLiteral("lblAudio"));
        QVERIFY2(audio->text().startsWith(QStringLiteral("No audio file was found")), qPrintable(audio->text()));
        QVERIFY(!m_view->findChild<QWidget *>(QStringLiteral("cmdPlay"))->isEnabled());
        QVERIFY(m_view->findChild<QWidget *>(QStringLiteral("cmdChooseAudio"))->isEnabled());
        QVERIFY(frame()->row(0)->isEnabled());
        QCOMPARE(frame()->followedRow(), -1);
    }
};

QTEST_MAIN(tst_EditorPlayback)
#include "tst_editorplayback.moc"
