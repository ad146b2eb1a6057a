// The karaoke editor in the main window: shown for the chosen song's
// timestamps, beside the lyrics, and never holding one song's stamps while
// another song is chosen; its unsaved edits are asked about like lyrics.

#include "MainWindowFixture.h"

#include "app/Config.h"
#include "app/ImageIndex.h"
#include "app/basMain.h"
#include "karaoke/KasFile.h"
#include "ui/ZephTimePicker.h"

#include <QApplication>
#include <QGroupBox>
#include <QPushButton>
#include <QSettings>

using namespace stanzary;
using stanzary::test::StartedApp;

namespace {

const QString kAlpha = QStringLiteral("B/Band - Alpha.txt");
const QString kBeta = QStringLiteral("B/Band - Beta.txt");
const QString kGamma = QStringLiteral("B/Band - Gamma.txt");
const QByteArray kBetaStamps = "@@Be@Pan;beta tail\r\n";
const QByteArray kGammaStamps = "AAGa;\r\n";

// Alpha without timestamps, Beta and Gamma with.
void threeSongs(test::FakeInstallation &i)
{
    i.addLyrics(kAlpha, "alpha words\r\n");
    i.addLyrics(kBeta, "Be an\r\n");
    i.addKas(kBeta, kBetaStamps);
    i.addLyrics(kGamma, "Ga\r\n");
    i.addKas(kGamma, kGammaStamps);
}

// n stamps two seconds apart, their texts "s0" to "s9" over and over.
QByteArray stamps(int n)
{
    QByteArray out;
    for (int i = 0; i < n; ++i) {
        const int t = i * 10;
        out += QByteArray(1, char('@' + t / 64)) + char('@' + t % 64) + 's' + char('0' + i % 10);
    }
    return out + ";\r\n";
}

enum Leaving { OtherSong, SameSong, Refresh, Closing };

} // namespace

class tst_MainKaraoke : public QObject
{
    Q_OBJECT

    QGroupBox *editor(const StartedApp &app) const { return app.child<QGroupBox>("frmKaraoke"); }
    QList<ZephTimePicker *> rows(const StartedApp &app) const
    {
        return editor(app)->findChildren<ZephTimePicker *>(QStringLiteral("ZephTimePicker1"));
    }
    QByteArray kasOf(const StartedApp &app, const QString &key) const
    {
        return test::readAll(KasPathFor(app.install.lyricsPath() + key));
    }

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void init() { QSettings(QStringLiteral("Zeph"), QStringLiteral("Zeph")).clear(); }

    void shownForASongWithTimestamps_data()
    {
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<bool>("autoLoad");
        QTest::addColumn<bool>("shown");
        QTest::newRow("song with timestamps") << kBeta << true << true;
        QTest::newRow("song without") << kAlpha << true << false;
        QTest::newRow("artist") << QStringLiteral("keyband") << true << false;
        QTest::newRow("auto-load off") << kBeta << false << false;
    }
    void shownForASongWithTimestamps()
    {
        QFETCH(QString, chosen);
        QFETCH(bool, autoLoad);
        QFETCH(bool, shown);
        StartedApp app(threeSongs);
        app.state().blnLoadKasEditor = autoLoad;
        app.clickSong(kAlpha);
        QApplication::processEvents(); // the layout follows once events run
        const QRect wholeWidth = app.lyricsBox()->geometry();
        app.clickSong(kBeta);
        app.click(chosen);
        QApplication::processEvents();
        QCOMPARE(editor(app)->isVisible(), shown);
        if (chosen == kBeta)
            QCOMPARE(app.label("lblKaraoke"), QStringLiteral("Timestamps found"));
        if (!shown) {
            // Across the whole width (an artist shows no playback bar above it).
            QCOMPARE(app.lyricsBox()->geometry().left(), wholeWidth.left());
            QCOMPARE(app.lyricsBox()->geometry().right(), wholeWidth.right());
            return;
        }
        QCOMPARE(rows(app).size(), 2);
        QCOMPARE(rows(app).at(1)->stampText(), QStringLiteral("00:03.2 an"));
        // The lyrics box keeps its right edge and starts right of the editor.
        const QRect box = app.lyricsBox()->geometry();
        QCOMPARE(box.right(), wholeWidth.right());
        QVERIFY(box.left() > editor(app)->geometry().right());
        QVERIFY(box.width() < wholeWidth.width() - editor(app)->width());
    }

    // With auto-load switched off, the rows of the earlier song must not be
    // left under another song, where Save would write them into its file.
    void anotherSongsStampsAreNeverShown()
    {
        StartedApp app(threeSongs);
        app.clickSong(kBeta);
        QVERIFY(editor(app)->isVisible());
        app.state().blnLoadKasEditor = false;
        app.click(kGamma);
        QVERIFY(!editor(app)->isVisible());
        app.click(kBeta); // the editor's own song: left as it is
        QVERIFY(!editor(app)->isVisible());
        QCOMPARE(kasOf(app, kGamma), kGammaStamps);
    }

    // An MP3 folder added and a song's audio file chosen are stored at once:
    // a program killed later keeps them (no shutdown runs here).
    void audioChoicesAreStoredAtOnce_data()
    {
        QTest::addColumn<bool>("folder");
        QTest::newRow("MP3 folder") << true;
        QTest::newRow("audio file") << false;
    }
    void audioChoicesAreStoredAtOnce()
    {
        QFETCH(bool, folder);
        StartedApp app(threeSongs);
        app.clickSong(kAlpha);
        const QString music = qEnvironmentVariable("STANZARY_EXAMPLES") + QStringLiteral("/Music");
        const QString mp3 = music + QStringLiteral("/Amber Lanterns - Quiet Engine.mp3");
        if (folder)
            app.dialogs.queueFolder(music);
        else
            app.dialogs.queueFile(mp3);
        QTest::mouseClick(app.child<QPushButton>(folder ? "cmdAddMp3Folder" : "cmdChooseAudio"), Qt::LeftButton);
        QVERIFY(app.dialogs.scriptErrors().isEmpty());
        basMain stored;
        LoadConfig(stored);
        if (folder)
            QCOMPARE(stored.Mp3Folders, QStringList{music});
        else
            QCOMPARE(stored.SongAudioFiles.value(kAlpha), mp3);
    }

    void unsavedStampEditsAreAsked_data()
    {
        QTest::addColumn<int>("leaving");
        QTest::addColumn<int>("answer");
        QTest::addColumn<QByteArray>("betaFile");
        QTest::addColumn<bool>("stays");
        const QByteArray edited = "@@Be@Qan;beta tail\r\n";
        QTest::newRow("other song, saved") << int(OtherSong) << int(Answer::Yes) << edited << false;
        QTest::newRow("other song, cancelled") << int(OtherSong) << int(Answer::Cancel) << kBetaStamps << true;
        QTest::newRow("same song, not asked") << int(SameSong) << -1 << kBetaStamps << true;
        QTest::newRow("F5, thrown away") << int(Refresh) << int(Answer::No) << kBetaStamps << false;
        QTest::newRow("F5, saved") << int(Refresh) << int(Answer::Yes) << edited << false;
        QTest::newRow("closing, cancelled") << int(Closing) << int(Answer::Cancel) << kBetaStamps << true;
        QTest::newRow("closing, saved") << int(Closing) << int(Answer::Yes) << edited << false;
    }
    void unsavedStampEditsAreAsked()
    {
        QFETCH(int, leaving);
        QFETCH(int, answer);
        QFETCH(QByteArray, betaFile);
        QFETCH(bool, stays);
        StartedApp app(threeSongs);
        app.clickSong(kBeta);
        ZephTimePicker *second = rows(app).at(1);
        second->SelectPart(ZephTimePicker::FramePart);
        QTest::keyClick(second, Qt::Key_Up); // 00:03.4
        if (answer >= 0)
            app.dialogs.queueAnswer(Answer(answer));
        switch (leaving) {
        case OtherSong: app.click(kGamma); break;
        case SameSong: app.click(kBeta); break;
        case Refresh: QTest::keyClick(app.tree(), Qt::Key_F5); break;
        case Closing: app.window()->close(); break;
        }
        if (answer >= 0) {
            QCOMPARE(app.dialogs.shown().size() >= 1, true);
            QCOMPARE(app.dialogs.shown().first().text, QStringLiteral("Save changes to Band - Beta?"));
        } else {
            QVERIFY(app.dialogs.shown().isEmpty());
        }
        QCOMPARE(kasOf(app, kBeta), betaFile);
        QCOMPARE(app.state().strCurrentKey == kBeta, stays || leaving == Refresh || leaving == Closing);
        if (leaving == Closing)
            QCOMPARE(app.window()->isVisible(), stays);
        // What stays on screen is the user's edit, or the file as it is.
        if (app.window()->isVisible() && app.state().strCurrentKey == kBeta)
            QCOMPARE(rows(app).at(1)->stampText(),
                     stays || answer == int(Answer::Yes) ? QStringLiteral("00:03.4 an") : QStringLiteral("00:03.2 an"));
        QVERIFY(app.dialogs.scriptErrors().isEmpty());
    }

    // "Create stamps" for a song without a timestamp file: a row per lyric
    // line; Save creates the file (records, ";", CR LF) and the tree and the
    // counts show it as a scan would.
    void createdStampsAreSavedAsANewFile()
    {
        const QString song = QStringLiteral("N/New - Song.txt");
        StartedApp app([&](test::FakeInstallation &i) {
            threeSongs(i);
            i.addLyrics(song, "First line\r\n\r\nSecond one\r\n");
        });
        app.clickSong(song);
        QVERIFY(editor(app)->isHidden());
        QTest::mouseClick(app.child<QWidget>("cmdCreateStamps"), Qt::LeftButton);
        QVERIFY(editor(app)->isVisible());
        QCOMPARE(rows(app).size(), 2);
        QCOMPARE(rows(app).at(1)->stampText(), QStringLiteral("00:00.0 Se"));
        QVERIFY(rows(app).at(0)->isAncestorOf(QApplication::focusWidget())); // ready to tap the first line
        rows(app).at(1)->SelectPart(ZephTimePicker::SecondPart);
        for (int i = 0; i < 3; ++i)
            QTest::keyClick(rows(app).at(1), Qt::Key_Up);
        QTest::mouseClick(app.child<QPushButton>("cmdSave"), Qt::LeftButton);
        QCOMPARE(kasOf(app, song), QByteArray("@@Fi@OSe;\r\n"));
        // Its lyrics have no filter mark: the unfiltered song's icon with timestamps.
        QCOMPARE(app.state().nodes.at(app.state().nodes.positionOf(song)).image, Icon::UnfilteredHasTimestamps);
        QCOMPARE(app.child<QLabel>("lblTimestampsSmall")->text(), QStringLiteral("3 downloaded"));
        QCOMPARE(app.child<QLabel>("lblKaraoke")->text(), QStringLiteral("Timestamps found"));
        QVERIFY(!app.child<QWidget>("cmdCreateStamps")->isEnabled());
    }

    // "Import .lrc..." takes the readable lines and tells the others; one
    // undo brings the stamps back.
    void importTellsUnreadableLines()
    {
        StartedApp app(threeSongs);
        const QString lrc = app.install.root() + QStringLiteral("/beta.lrc");
        QFile file(lrc);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("[ti:Beta]\n[00:01.00]Be here\nno time here\n[00:02.50]an other\n");
        file.close();
        app.clickSong(kBeta);
        app.dialogs.queueFile(lrc);
        QTest::mouseClick(app.child<QWidget>("cmdImportLrc"), Qt::LeftButton);
        QCOMPARE(rows(app).size(), 2);
        QCOMPARE(rows(app).at(0)->stampText(), QStringLiteral("00:01.0 Be"));
        QCOMPARE(rows(app).at(1)->stampText(), QStringLiteral("00:02.6 an"));
        QVERIFY2(app.dialogs.last().text.contains(QStringLiteral("Line 3"))
                     && !app.dialogs.last().text.contains(QStringLiteral("more")),
                 qPrintable(app.dialogs.last().text));
        rows(app).at(0)->setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(rows(app).at(1)->stampText(), QStringLiteral("00:03.2 an"));
        QCOMPARE(kasOf(app, kBeta), kBetaStamps);
    }

    // With STANZARY_SHOTS=<folder>, the main window with a short and a long
    // stamp list (run once more with QT_SCALE_FACTOR=1.5).
    void screenshots()
    {
        const QString shots = qEnvironmentVariable("STANZARY_SHOTS");
        if (shots.isEmpty())
            QSKIP("set STANZARY_SHOTS to a folder to write screenshots");
        const QString scale = qEnvironmentVariable("QT_SCALE_FACTOR", QStringLiteral("1"));
        StartedApp app([](test::FakeInstallation &i) {
            threeSongs(i);
            i.addLyrics(QStringLiteral("L/Long Road - Many Lines.txt"), "s0 one\r\ns1 two\r\n");
            i.addKas(QStringLiteral("L/Long Road - Many Lines.txt"), stamps(40));
        });
        app.clickSong(kBeta);
        rows(app).at(1)->SelectPart(ZephTimePicker::SecondPart);
        QApplication::processEvents();
        app.window()->grab().save(shots + QStringLiteral("/main-stamps-short-%1x.png").arg(scale));
        app.clickSong(QStringLiteral("L/Long Road - Many Lines.txt"));
        rows(app).at(3)->SelectPart(ZephTimePicker::TextPart);
        QApplication::processEvents();
        app.window()->grab().save(shots + QStringLiteral("/main-stamps-long-%1x.png").arg(scale));
    }
};

QTEST_MAIN(tst_MainKaraoke)
#include "tst_mainkaraoke.moc"
