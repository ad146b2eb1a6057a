#include "app/SongCommands.h"
#include "audio/AudioBackend.h"
#include "audio/EnvelopeLoader.h"
#include "audio/QtAudioPlayer.h"
#include "karaoke/KasFile.h"
#include "karaoke/StampSteps.h"
#include "store/LyricsFile.h"
#include "ui/KaraokeEditorFrame.h"
#include "ui/PlaybackArea.h"
#include "ui/PlaybackBar.h"
#include "ui/ShiftDialog.h"
#include "ui/SongDetailsView.h"
#include "ui/TapCalibration.h"
#include "ui/TimingKeys.h"
#include "ui/UserDialogs.h"
#include "ui/WaveformStrip.h"
#include "ui/ZephTimePicker.h"

#include "SampleSongs.h"

#include <QAccessible>
#include <QApplication>
#include <QDialogButtonBox>
#include <QFile>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTimer>
#include <QToolButton>
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
    QString stampOf(int row) const { return frame()->row(row)->stampText().left(7); }
    static void press(QKeyCombination key)
    {
        QTest::keyClick(QApplication::focusWidget(), key.key(), key.keyboardModifiers());
    }
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
        QVERIFY(QTest::qWaitForWindowActive(m_view.get()));
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
        // The last stamp moved past the playhead: the row before is followed.
        const int last = int(song.lines.size()) - 1;
        QVERIFY(frame()->pushEdit(
            typeTimeEdit(frame()->edition(), last, stampAtStep(int(nearestStep(song.lines.at(last).startMs + 1000))))));
        QCOMPARE(frame()->followedRow(), last - 1);
        // A row whose text starts no line: followed, but no line lit.
        QVERIFY(frame()->pushEdit(typeTextEdit(frame()->edition(), last - 1, QStringLiteral("zz"))));
        QCOMPARE(frame()->followedRow(), last - 1);
        QCOMPARE(m_view->highlightedLine(), -1);
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

    // Ctrl+T at the line starts (the keyboard in the line-start field, as
    // when typing) stores the nearest step to the position less the tap
    // delay and moves on; a tap on the last row adds one. Ctrl+. moves the
    // current stamp a step later and replays from 2 s before it. Each is
    // one undo step.
    void tapsAndNudgesThroughTheKeys()
    {
        const test::SampleSong song = test::sampleSong(QStringLiteral("Amber Lanterns - Paper Boats"));
        showSong(song);
        m_view->timing()->setTapDelay(130);
        const int rows = frame()->rowCount();
        frame()->row(rows - 3)->SelectPart(ZephTimePicker::TextPart);
        QStringList tapped;
        for (int k = rows - 3; k < rows; ++k) {
            const qint64 at = song.lines.at(k).startMs + 117 + 41 * k; // a late tap
            bar()->seekTo(at);
            press(Qt::CTRL | Qt::Key_T);
            tapped << stampText(stampAtStep(int(nearestStep(at - 130))));
            QCOMPARE(stampOf(k), tapped.constLast());
            QCOMPARE(frame()->currentRow(), k + 1);
        }
        // A tap that gives a row the stamp it has moves on all the same.
        frame()->setCurrentRow(rows - 3);
        bar()->seekTo(song.lines.at(rows - 3).startMs + 117 + 41 * (rows - 3));
        press(Qt::CTRL | Qt::Key_T);
        QCOMPARE(frame()->currentRow(), rows - 2);
        QCOMPARE(frame()->rowCount(), rows + 1); // the last tap added a row
        QCOMPARE(frame()->row(rows)->stampText(), QStringLiteral("00:00.0"));

        frame()->setCurrentRow(rows - 1);
        press(Qt::CTRL | Qt::Key_Period);
        const StampTime later =
            stampAtStep(int(nearestStep(song.lines.at(rows - 1).startMs + 117 + 41 * (rows - 1) - 130)) + 1);
        QCOMPARE(stampOf(rows - 1), stampText(later));
        QVERIFY(bar()->isPlaying());
        bar()->pause();
        QVERIFY(bar()->position() >= qint64(stampMilliseconds(later)) - 2000);

        frame()->row(0)->setFocus();
        press(Qt::CTRL | Qt::Key_Z); // the nudge
        QCOMPARE(stampOf(rows - 1), tapped.constLast());
        press(Qt::CTRL | Qt::Key_Z); // the last tap, with its added row
        QCOMPARE(frame()->rowCount(), rows);
        QCOMPARE(stampOf(rows - 2), tapped.at(1));

        // Ctrl+R replays from 2 s before the current stamp; Ctrl+, moves it a
        // step earlier; Ctrl+P plays.
        const StampTime current = frame()->edition().row(frame()->currentRow()).time;
        bar()->seekTo(0);
        press(Qt::CTRL | Qt::Key_R);
        QVERIFY(bar()->isPlaying());
        QVERIFY2(bar()->position() >= replayPosition(current) && bar()->position() < replayPosition(current) + 1000,
                 qPrintable(QString::number(bar()->position())));
        press(Qt::CTRL | Qt::Key_Comma);
        QCOMPARE(stampOf(frame()->currentRow()), stampText(stampAtStep(stampStep(current) - 1)));
        bar()->pause();
        QVERIFY(QTest::qWaitFor([this] { return !bar()->isPlaying(); }));
        press(Qt::CTRL | Qt::Key_P);
        QVERIFY(QTest::qWaitFor([this] { return bar()->isPlaying(); }));
        bar()->pause();

        // A tap later than a timestamp file can hold sets nothing and says so.
        emit m_player->positionChanged(15 * 60 * 1000);
        const QList<KasRow> before = frame()->edition().rows();
        press(Qt::CTRL | Qt::Key_T);
        QCOMPARE(frame()->edition().rows(), before);
        QVERIFY2(m_dialogs.last().text.startsWith(QStringLiteral("The song is past 13:59.8 here.")),
                 qPrintable(m_dialogs.last().text));
    }

    // "Shift stamps..." moves the current stamp and those after it and says
    // how many stopped at the limit; one undo step brings them back.
    void shiftTellsTheStopped()
    {
        const test::SampleSong song = test::sampleSong(QStringLiteral("Amber Lanterns - Paper Boats"));
        showSong(song);
        QStringList before;
        for (int i = 0; i < frame()->rowCount(); ++i)
            before << stampOf(i);
        frame()->setCurrentRow(1);
        QTimer::singleShot(0, this, [] {
            auto *dialog = qobject_cast<ShiftDialog *>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            dialog->setFromCurrent(true);
            auto *tenths = dialog->findChild<QSpinBox *>(QStringLiteral("spnShiftTenths"));
            tenths->setValue(-163); // odd: refused
            QVERIFY(!dialog->findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Ok)->isEnabled());
            tenths->setValue(-164);
            dialog->accept();
        });
        m_view->timing()->shiftStamps();
        QCOMPARE(stampOf(0), before.at(0));
        QCOMPARE(stampOf(1), QStringLiteral("00:00.0")); // 00:16.2 less 16.4 s
        QCOMPARE(stampOf(2), stampText(stampAtStep(stampStep(StampTime{0, 19, 8}) - 82)));
        QCOMPARE(m_dialogs.last().text, QStringLiteral("%1 stamps were moved 16.4 s earlier. 1 stamp stopped at "
                                                       "00:00.0.")
                                            .arg(frame()->rowCount() - 2));
        frame()->undo();
        for (int i = 0; i < frame()->rowCount(); ++i)
            QCOMPARE(stampOf(i), before.at(i));
    }

    // The calibration's click plays in the real player, and taps are counted.
    void calibrationPlaysTheClick()
    {
        QtAudioPlayer player;
        TapCalibration dialog(150, nullptr, &player);
        dialog.show();
        QVERIFY(!dialog.findChild<QPushButton *>(QStringLiteral("cmdCalibrationTap"))->isEnabled()); // no click yet
        dialog.start();
        QVERIFY(QTest::qWaitFor([&] { return player.isPlaying(); }, 30000));
        QCOMPARE(player.duration() / 100,
                 (TapCalibration::kFirstClickMs + TapCalibration::kClicks * TapCalibration::kClickIntervalMs) / 100);
        for (int i = 0; i < 3; ++i)
            QTest::mousePress(dialog.findChild<QPushButton *>(QStringLiteral("cmdCalibrationTap")), Qt::LeftButton);
        auto *result = dialog.findChild<QLabel *>(QStringLiteral("lblCalibration"));
        QVERIFY(result->text().startsWith(QStringLiteral("Taps: 3")));
        dialog.start(); // once more: the taps start anew
        QCOMPARE(result->text(), QStringLiteral("No taps yet."));
    }

    // "Calibrate..." takes the delay the dialog measured when it is accepted
    // and says so.
    void calibrationSetsTheTapDelay()
    {
        showSong(test::sampleSong(QStringLiteral("Amber Lanterns - Paper Boats")));
        QTimer::singleShot(0, this, [] {
            auto *dialog = qobject_cast<TapCalibration *>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            const auto closing = qScopeGuard([dialog] { dialog->close(); }); // cancels unless accepted
            dialog->findChild<QPushButton *>(QStringLiteral("cmdStartClicks"))->click();
            auto *tap = dialog->findChild<QPushButton *>(QStringLiteral("cmdCalibrationTap"));
            QVERIFY(QTest::qWaitFor([tap] { return tap->isEnabled(); }, 30000));
            auto *player = dialog->findChild<AudioPlayer *>();
            for (int i = 0; i < 6; ++i) { // the player says where it is just before each tap
                emit player->positionChanged(TapCalibration::kFirstClickMs + i * TapCalibration::kClickIntervalMs + 90);
                dialog->tap();
            }
            QCOMPARE(dialog->measured(), 90);
            QVERIFY(dialog->findChild<QLabel *>(QStringLiteral("lblCalibration"))
                        ->text()
                        .endsWith(QStringLiteral("Tap delay: 90 ms.")));
            dialog->findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Ok)->click();
        });
        m_view->timing()->calibrate();
        QCOMPARE(m_view->timing()->tapDelay(), 90);
        QCOMPARE(m_dialogs.last().text, QStringLiteral("The tap delay is now 90 ms."));
    }

    // The click track is a WAV file whose clicks sound where the dialog
    // counts them, in silence.
    void theClickTrackClicksOnTheBeat()
    {
        const QByteArray wav = TapCalibration::clickTrack();
        const auto le = [&](int at, int bytes) {
            quint32 v = 0;
            for (int i = bytes - 1; i >= 0; --i)
                v = v << 8 | quint8(wav.at(at + i));
            return v;
        };
        QCOMPARE(wav.left(4), QByteArray("RIFF"));
        QCOMPARE(le(4, 4), quint32(wav.size() - 8));
        QCOMPARE(wav.mid(36, 4), QByteArray("data"));
        QCOMPARE(le(40, 4), quint32(wav.size() - 44));
        const quint32 rate = le(24, 4);
        const auto sample = [&](qint64 ms) { return qint16(le(44 + 2 * int(ms * rate / 1000), 2)); };
        for (int c : {0, TapCalibration::kClicks - 1}) {
            const qint64 click = TapCalibration::kFirstClickMs + c * TapCalibration::kClickIntervalMs;
            QCOMPARE(sample(click - 1), 0);
            QVERIFY(sample(click + 1) != 0);
        }
        QCOMPARE(sample(TapCalibration::kFirstClickMs / 2), 0);
    }

    // The strip above the bar shows the song's envelope and the rows' marks;
    // a mark moved on it is one undo step of the editor.
    void theWaveformMovesStampsOnTheUndoStack()
    {
        QSignalSpy read(m_view->findChild<EnvelopeLoader *>(), &EnvelopeLoader::envelopeReady);
        showSong(test::sampleSong(QStringLiteral("Amber Lanterns - Paper Boats")));
        QTRY_COMPARE_WITH_TIMEOUT(read.count(), 1, 30000);
        auto *strip = m_view->findChild<WaveformStrip *>(QStringLiteral("picWaveform"));
        QVERIFY(strip && strip->isVisible());
        QVERIFY(strip->height() >= 3 * strip->fontMetrics().height()); // two label lanes and the wave
        QTRY_VERIFY_WITH_TIMEOUT(strip->message().isEmpty(), 30000);
        QCOMPARE(strip->songMs(), bar()->duration());
        const QString before = stampOf(1);
        const StampTime moved = stampAtStep(stampStep(frame()->edition().rows().at(1).time) + 1);
        frame()->setCurrentRow(1);
        QCOMPARE(strip->currentRow(), 1);
        strip->setFocus();
        QTest::keyClick(strip, Qt::Key_Right, Qt::ControlModifier);
        QCOMPARE(stampOf(1), stampText(moved));
        QVERIFY2(strip->spokenState().contains(stampText(moved)), qPrintable(strip->spokenState()));
        frame()->undo();
        QCOMPARE(stampOf(1), before);

        // S on the strip sorts stamps out of order, one undo step too.
        QVERIFY(frame()->pushEdit(typeTimeEdit(frame()->edition(), 2, StampTime{0, 0, 2})));
        const QString third = stampOf(2);
        strip->setFocus();
        QTest::keyClick(strip, Qt::Key_S);
        QCOMPARE(stampOf(0), third); // the first row's stamp is later
        frame()->undo();
        QCOMPARE(stampOf(2), third);
    }

    // The timing row has a button for each command but Play (the bar has
    // its own), each naming its key in its tip.
    void theTimingRowNamesTheKeys()
    {
        const QHBoxLayout *row = m_view->findChild<PlaybackArea *>()->commandRow();
        QStringList buttons;
        for (int i = 0; i < row->count(); ++i) {
            const auto *button = qobject_cast<QToolButton *>(row->itemAt(i)->widget());
            if (!button)
                continue;
            buttons << button->text();
            const QKeySequence key = button->defaultAction()->shortcut();
            QVERIFY2(key.isEmpty() || button->toolTip().endsWith(u" (" + key.toString(QKeySequence::NativeText) + u')'),
                     qPrintable(button->toolTip()));
        }
        QCOMPARE(buttons.join(u'|'), QStringLiteral("Tap|Earlier|Later|Replay|Shift stamps...|Calibrate...|Create "
                                                    "stamps|Import .lrc..."));
    }

    // "Import .lrc..." offers the .lrc file beside the audio file: Yes takes
    // it (or tells why it cannot), No asks for another, Cancel does neither.
    void importOffersTheLrcBesideTheAudio_data()
    {
        QTest::addColumn<QByteArray>("lrc");
        QTest::addColumn<int>("answer");
        QTest::addColumn<QString>("firstStamp");
        QTest::addColumn<bool>("chooserShown");
        QTest::addColumn<QString>("told");
        const QByteArray lrc = "[00:01.00]Paper one\n[00:02.50]Paper two\n";
        QTest::newRow("yes") << lrc << int(Answer::Yes) << "00:01.0" << false << "";
        QTest::newRow("no, then no other chosen") << lrc << int(Answer::No) << "" << true << "";
        QTest::newRow("cancel") << lrc << int(Answer::Cancel) << "" << false << "";
        QTest::newRow("yes, to a file without stamps") << QByteArray("no time here\n").repeated(12) << int(Answer::Yes)
                                                       << "" << false << "\"Boats.lrc\" holds no stamp";
    }
    void importOffersTheLrcBesideTheAudio()
    {
        QFETCH(QByteArray, lrc);
        QFETCH(int, answer);
        QFETCH(QString, firstStamp);
        QFETCH(bool, chooserShown);
        QFETCH(QString, told);
        const test::SampleSong song = test::sampleSong(QStringLiteral("Amber Lanterns - Paper Boats"));
        showSong(song);
        const QString loaded = stampOf(0);
        QTemporaryDir dir;
        const QString mp3 = dir.filePath(QStringLiteral("Boats.mp3"));
        QVERIFY(QFile::copy(song.mp3, mp3));
        QFile beside(dir.filePath(QStringLiteral("Boats.lrc")));
        QVERIFY(beside.open(QIODevice::WriteOnly));
        beside.write(lrc);
        beside.close();
        m_view->showSongAudio({mp3});
        QVERIFY(QTest::qWaitFor([&] { return bar()->hasAudio() && bar()->source() == mp3; }, 30000));
        m_dialogs.clearRecord();
        m_dialogs.queueAnswer(Answer(answer));
        if (chooserShown)
            m_dialogs.queueFile(QString());
        m_view->findChild<QAction *>(QStringLiteral("actImportLrc"))->trigger();
        QCOMPARE(stampOf(0), firstStamp.isEmpty() ? loaded : firstStamp);
        bool chooser = false;
        for (const ScriptedUserDialogs::Shown &shown : m_dialogs.shown())
            chooser = chooser || shown.kind == ScriptedUserDialogs::Kind::File;
        QCOMPARE(chooser, chooserShown);
        if (!told.isEmpty())
            QVERIFY2(m_dialogs.last().text.startsWith(told) && !m_dialogs.last().text.contains(u"more"),
                     qPrintable(m_dialogs.last().text)); // twelve lines, each told
        QVERIFY(m_dialogs.scriptErrors().isEmpty());
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
        QVERIFY(m_view->findChild<WaveformStrip *>(QStringLiteral("picWaveform"))->isHidden());
        const int beeps = m_dialogs.beeps();
        m_view->timing()->replay(); // nothing to play: a beep
        QCOMPARE(m_dialogs.beeps(), beeps + 1);
    }

    // A song without stamps after one with them: the hidden editor still holds
    // the first song's rows, and nothing of its playback uses them (no mark on
    // the strip, no line followed, Replay beeps); back on the first song they
    // are all there again.
    void aSongWithoutStampsUsesNoneOfTheLastSongs()
    {
        const test::SampleSong timed = test::sampleSong(QStringLiteral("Amber Lanterns - Paper Boats"));
        const test::SampleSong untimed = test::sampleSong(QStringLiteral("Amber Lanterns - Quiet Engine"));
        QVERIFY(timed.hasTimestamps && !untimed.hasTimestamps);
        auto *strip = m_view->findChild<WaveformStrip *>(QStringLiteral("picWaveform"));
        showSong(timed);
        showSong(untimed);
        QVERIFY(strip->isVisible());
        QVERIFY2(!strip->spokenState().contains(QStringLiteral("Stamp")), qPrintable(strip->spokenState()));
        for (const test::SampleLine &line : timed.lines) {
            bar()->seekTo(line.startMs + 100);
            QCOMPARE(frame()->followedRow(), -1);
            QCOMPARE(m_view->highlightedLine(), -1);
        }
        const int beeps = m_dialogs.beeps();
        QTest::mouseClick(m_view->findChild<QWidget *>(QStringLiteral("cmdReplay")), Qt::LeftButton);
        QCOMPARE(m_dialogs.beeps(), beeps + 1);
        QVERIFY(!bar()->isPlaying());

        showSong(timed);
        frame()->setCurrentRow(0);
        QVERIFY2(strip->spokenState().contains(stampOf(0)), qPrintable(strip->spokenState()));
        bar()->seekTo(timed.lines.first().startMs + 100);
        QCOMPARE(frame()->followedRow(), 0);
    }
};

QTEST_MAIN(tst_EditorPlayback)
#include "tst_editorplayback.moc"
