#include "MainWindowFixture.h"

#include "app/basMain.h"
#include "lists/SongLists.h"
#include "ui/frmAbout.h"
#include "ui/frmOptions.h"
#include "ui/frmTags.h"
#include "ui/frmlists.h"

#include <QAbstractButton>
#include <QDir>
#include <QDirIterator>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QSettings>

using namespace stanzary;
using stanzary::test::StartedApp;

namespace {

const QByteArray kTrailer = "Verse one\r\nline two\r\n\r\n----------------\r\n"
                            "* Downloaded from: http://www.lyricsplace.example/x/y.html\r\n";

// Three songs, one with a timestamp file: 33.3%.
void threeSongs(test::FakeInstallation &i)
{
    i.addLyrics(QStringLiteral("B/Band - Alpha.txt"), kTrailer);
    i.addLyrics(QStringLiteral("B/Band - Beta.txt"), "plain words\r\n[x] filter used\r\n");
    i.addKas(QStringLiteral("B/Band - Beta.txt"), "AAhe;tail\r\n");
    i.addLyrics(QStringLiteral("S/Solo - Only One.txt"), "alone\r\n");
}

} // namespace

class tst_frmMain : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void init() { QSettings(QStringLiteral("Zeph"), QStringLiteral("Zeph")).clear(); }

    void startsWithCountsAndPercentage()
    {
        StartedApp app(threeSongs);
        QVERIFY(app.started);
        QCOMPARE(app.window()->windowTitle(), QStringLiteral("ZEPH - Tunewright Stanzary"));
        QCOMPARE(app.label("lblLyricsCount"), QStringLiteral("Lyrics: 3"));
        QCOMPARE(app.label("lblTimestampsSmall"), QStringLiteral("1 downloaded"));
        QCOMPARE(app.label("lblAvaliableCount"), QStringLiteral("+ 0 avaliable for download"));
        QCOMPARE(app.label("lblPercent"), QStringLiteral("= 33.3% of your lyrics"));
        QCOMPARE(app.tree()->model()->rowCount(), 2);
        QVERIFY(app.searchBox()->isEnabled());
        // first start: the default geometry and splitter (twips / 15)
        QCOMPARE(app.window()->size(), QSize(833, 567));
        QCOMPARE(qRound(app.window()->splitPosition()), 3495);
    }

    void emptyCollectionDisablesSearch()
    {
        StartedApp app([](test::FakeInstallation &) {});
        QVERIFY(app.started);
        QCOMPARE(app.label("lblLyricsCount"), QStringLiteral("Lyrics: Not found"));
        QCOMPARE(app.label("lblTimestampsBig"), QStringLiteral("Timestamps: -"));
        QCOMPARE(app.label("lblPercent"), QStringLiteral("-"));
        QVERIFY(!app.searchBox()->isEnabled());
        QVERIFY(!app.button("SearchKaraoke")->isEnabled());
    }

    void secondInstanceBeepsAndShowsNothing()
    {
        StartedApp first(threeSongs);
        QVERIFY(first.started);
        StartedApp second(threeSongs);
        QVERIFY(!second.started);
        QCOMPARE(second.dialogs.beeps(), 1);
        QVERIFY(second.window() == nullptr);
    }

    void commandLineShowsTheSong()
    {
        StartedApp app(threeSongs, {QStringLiteral("/song"), QStringLiteral("band"), QStringLiteral("-"),
                                    QStringLiteral("BETA"), QStringLiteral("/min")});
        QCOMPARE(app.state().strCurrentSong, QStringLiteral("Beta"));
        QCOMPARE(app.label("lblKaraoke"), QStringLiteral("Timestamps found"));
        QVERIFY(app.tree()->isExpanded(app.indexOf(QStringLiteral("keyband"))));
        QCOMPARE(app.tree()->currentIndex(), app.indexOf(QStringLiteral("B/Band - Beta.txt")));
    }

    void searchNarrowsAndClearingRestores()
    {
        StartedApp app(threeSongs);
        QTest::keyClicks(app.searchBox(), QStringLiteral("alp"));
        QCOMPARE(app.state().nodes.count(), 2);
        QVERIFY(app.countLine()->isVisible());
        QCOMPARE(app.countLine()->text(), QStringLiteral("{1 artist} {1 song}"));
        // F5 scans again and keeps the search in effect
        app.install.addLyrics(QStringLiteral("P/Palp - New.txt"));
        QTest::keyClick(app.tree(), Qt::Key_F5);
        QCOMPARE(app.state().nodes.count(), 4);
        QCOMPARE(app.countLine()->text(), QStringLiteral("{2 artists} {2 songs}"));
        app.searchBox()->clear();
        QCOMPARE(app.state().nodes.count(), 7);
        QVERIFY(!app.countLine()->isVisible());
    }

    void withoutRealTimeSearchOnlyEnterFilters()
    {
        QSettings(QStringLiteral("Zeph"), QStringLiteral("Zeph"))
            .setValue(QStringLiteral("Config/RealTimeSearch"), QStringLiteral("False"));
        StartedApp app(threeSongs);
        QTest::keyClicks(app.searchBox(), QStringLiteral("solo"));
        QCOMPARE(app.state().nodes.count(), 5);
        QTest::keyClick(app.searchBox(), Qt::Key_Return);
        QCOMPARE(app.state().nodes.count(), 2);
        QCOMPARE(app.countLine()->text(), QStringLiteral("{1 artist} {1 song}"));
    }

    void clickingArtistAndSongs()
    {
        StartedApp app(threeSongs);
        app.click(QStringLiteral("keyband"));
        QCOMPARE(app.label("lblInfoTitles"), QStringLiteral("2 lyrics avaliable"));
        QCOMPARE(app.label("LblSong"), QStringLiteral(" Band"));
        QVERIFY(app.tree()->isExpanded(app.indexOf(QStringLiteral("keyband"))));
        QVERIFY(!app.button("Delete")->isEnabled());

        app.click(QStringLiteral("B/Band - Alpha.txt"));
        QCOMPARE(app.label("LblSong"), QStringLiteral(" Band - Alpha"));
        QCOMPARE(app.label("lblWebsite"), QStringLiteral("www.lyricsplace.example"));
        QCOMPARE(app.label("lblBrowser"), QStringLiteral("http://www.lyricsplace.example/x/y.html"));
        QCOMPARE(app.label("lblFilter"), QStringLiteral("Not Used"));
        QCOMPARE(app.label("lblKaraoke"),
                 QStringLiteral("Timestamps not found. You can create them, and also upload them to the server!"));
        QVERIFY(app.button("OpenInBrowser")->isEnabled());
        QVERIFY(app.button("Delete")->isEnabled());
        QVERIFY(app.lyricsBox()->toPlainText().startsWith(QStringLiteral("Verse one\nline two")));

        app.click(QStringLiteral("B/Band - Beta.txt"));
        QCOMPARE(app.label("lblWebsite"), QStringLiteral("No page information found"));
        QCOMPARE(app.label("lblBrowser"), QStringLiteral("No page information found"));
        QCOMPARE(app.label("lblFilter"), QStringLiteral("Used"));
        QVERIFY(!app.button("OpenInBrowser")->isEnabled());
        QVERIFY(!app.button("VisitSite")->isEnabled());

        // a click on the expanded artist collapses it; the keyboard does not toggle
        app.click(QStringLiteral("keyband"));
        QVERIFY(!app.tree()->isExpanded(app.indexOf(QStringLiteral("keyband"))));
        app.tree()->setFocus();
        QTest::keyClick(app.tree(), Qt::Key_Down);
        QTest::keyClick(app.tree(), Qt::Key_Up);
        QVERIFY(!app.tree()->isExpanded(app.indexOf(QStringLiteral("keyband"))));
    }

    void vanishedFileIsReported()
    {
        StartedApp app(threeSongs);
        QFile::remove(app.install.lyricsPath() + QStringLiteral("S/Solo - Only One.txt"));
        app.clickSong(QStringLiteral("S/Solo - Only One.txt"));
        QCOMPARE(app.dialogs.last().text, QStringLiteral("File wasn't found"));
        QCOMPARE(app.dialogs.last().title, QStringLiteral("Tunewright Stanzary"));
        QCOMPARE(app.label("lblFilter"), QStringLiteral("Not Used"));
        QVERIFY(app.lyricsBox()->toPlainText().isEmpty());
    }

    void saveWritesTheBoxWithTheFilterMark()
    {
        StartedApp app(threeSongs);
        const QString path = app.install.lyricsPath() + QStringLiteral("S/Solo - Only One.txt");
        app.clickSong(QStringLiteral("S/Solo - Only One.txt"));
        app.lyricsBox()->setPlainText(QStringLiteral("alone again\ncaf\u00e9"));
        QTest::keySequence(app.window(), QKeySequence::Save);
        QCOMPARE(test::readAll(path), QByteArray("alone again\r\ncaf\xe9\xa0\r\n"));
        QVERIFY(!app.lyricsBox()->document()->isModified());

        test::setReadOnly(path, true);
        app.lyricsBox()->setPlainText(QStringLiteral("changed"));
        app.button("Save")->trigger();
        QCOMPARE(app.dialogs.last().text, QStringLiteral("File is read-only"));
        QCOMPARE(app.dialogs.last().title, QStringLiteral("Stanzary"));
        QCOMPARE(test::readAll(path), QByteArray("alone again\r\ncaf\xe9\xa0\r\n"));
        test::setReadOnly(path, false);

        // a character the code page cannot hold is refused, not written as "?"
        app.lyricsBox()->setPlainText(QStringLiteral("\u0416"));
        app.button("Save")->trigger();
        QCOMPARE(test::readAll(path), QByteArray("alone again\r\ncaf\xe9\xa0\r\n"));
        QCOMPARE(app.dialogs.last().icon, MessageIcon::Critical);
    }

    void saveWithoutSongBeeps()
    {
        StartedApp app(threeSongs);
        app.button("Save")->trigger();
        QCOMPARE(app.dialogs.beeps(), 1);
    }

    void unsavedEditsAreAskedFor()
    {
        StartedApp app(threeSongs);
        const QString alpha = QStringLiteral("B/Band - Alpha.txt");
        app.clickSong(alpha);
        app.lyricsBox()->selectAll();
        QTest::keyClicks(app.lyricsBox(), QStringLiteral("edited"));
        app.dialogs.queueAnswer(Answer::Cancel);
        app.click(QStringLiteral("B/Band - Beta.txt"));
        QCOMPARE(app.dialogs.shown().size(), 1);
        QCOMPARE(app.dialogs.last().text, QStringLiteral("Save changes to Band - Alpha?"));
        QCOMPARE(app.state().strCurrentKey, alpha);
        QCOMPARE(app.tree()->currentIndex(), app.indexOf(alpha));

        app.dialogs.queueAnswer(Answer::Yes);
        app.click(QStringLiteral("B/Band - Beta.txt"));
        QCOMPARE(app.state().strCurrentSong, QStringLiteral("Beta"));
        QCOMPARE(test::readAll(app.install.lyricsPath() + alpha), QByteArray("edited\xa0\r\n"));
    }

    void deletingOneOfTwoAndTheOnlySong()
    {
        StartedApp app(threeSongs);
        app.clickSong(QStringLiteral("B/Band - Beta.txt"));
        app.button("Delete")->trigger();
        QVERIFY(!QFile::exists(app.install.lyricsPath() + QStringLiteral("B/Band - Beta.txt")));
        // in the trash, so that a mistaken delete can be undone
        const QString trash =
            QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/Trash/files/");
        QVERIFY(!QDir(trash).entryList({QStringLiteral("Band - Beta.txt*")}).isEmpty());
        QCOMPARE(app.label("lblLyricsCount"), QStringLiteral("Lyrics: 2"));
        QCOMPARE(app.label("lblTimestampsSmall"), QStringLiteral("0 downloaded"));
        QCOMPARE(app.label("lblPercent"), QStringLiteral("= 0% of your lyrics"));
        QCOMPARE(app.state().nodes.childCount(app.state().nodes.positionOf(QStringLiteral("keyband"))), 1);
        QCOMPARE(app.label("lblInfoTitles"), QStringLiteral("1 lyrics avaliable")); // the artist is chosen
        QCOMPARE(app.app->lists().deleted.entries(), QStringList{QStringLiteral("Band - Beta")});

        app.clickSong(QStringLiteral("S/Solo - Only One.txt"));
        QTest::keyClick(app.tree(), Qt::Key_Delete); // the key does what the button does
        QVERIFY(!app.state().nodes.contains(QStringLiteral("keysolo")));
        QCOMPARE(app.state().nodes.count(), 2);

        // cleared search: the deleted songs stay gone
        QTest::keyClicks(app.searchBox(), QStringLiteral("o"));
        app.searchBox()->clear();
        QCOMPARE(app.state().nodes.count(), 2);

        app.clickSong(QStringLiteral("B/Band - Alpha.txt"));
        app.button("Delete")->trigger();
        QCOMPARE(app.label("lblLyricsCount"), QStringLiteral("Lyrics: 0"));
        QVERIFY(!app.searchBox()->isEnabled());
        QVERIFY(!app.button("SearchKaraoke")->isEnabled());
    }

    void deleteAfterSearchRemovesTheRightSong()
    {
        StartedApp app(threeSongs);
        app.clickSong(QStringLiteral("S/Solo - Only One.txt"));
        QTest::keyClicks(app.searchBox(), QStringLiteral("one")); // positions move
        app.button("Delete")->trigger();
        QVERIFY(QFile::exists(app.install.lyricsPath() + QStringLiteral("B/Band - Alpha.txt")));
        QVERIFY(!QFile::exists(app.install.lyricsPath() + QStringLiteral("S/Solo - Only One.txt")));
        app.searchBox()->clear();
        QCOMPARE(app.state().nodes.count(), 3);
        QVERIFY(app.state().nodes.contains(QStringLiteral("B/Band - Alpha.txt")));
    }

    void markAndReleaseForRedownload()
    {
        StartedApp app(threeSongs);
        SongList &redownload = app.app->lists().redownload;
        app.clickSong(QStringLiteral("B/Band - Alpha.txt"));
        app.button("MarkRedownload")->trigger();
        QCOMPARE(redownload.entries(), QStringList{QStringLiteral("Band - Alpha")});
        app.click(QStringLiteral("B/Band - Beta.txt"));
        QVERIFY(!app.button("MarkRedownload")->isChecked());
        app.click(QStringLiteral("B/Band - Alpha.txt"));
        QVERIFY(app.button("MarkRedownload")->isChecked());
        app.button("MarkRedownload")->trigger();
        QVERIFY(redownload.isEmpty());
        // the lists window's Clear releases the button
        app.button("MarkRedownload")->trigger();
        app.app->listsWindow()->findChild<QPushButton *>(QStringLiteral("cmdClear"))->click();
        QVERIFY(!app.button("MarkRedownload")->isChecked());
    }

    void aListThatCannotBeWrittenIsReported()
    {
        StartedApp app([](test::FakeInstallation &i) {
            threeSongs(i);
            i.writeFile(QStringLiteral("redownload.txt"), "Old - Entry\r\n");
            test::setReadOnly(i.root() + QStringLiteral("redownload.txt"), true);
        });
        app.clickSong(QStringLiteral("B/Band - Alpha.txt"));
        app.button("MarkRedownload")->trigger();
        QCOMPARE(app.dialogs.last().icon, MessageIcon::Critical);
        QVERIFY(app.dialogs.last().text.startsWith(QStringLiteral("The list could not be saved to")));
        QCOMPARE(test::readAll(app.install.root() + QStringLiteral("redownload.txt")), QByteArray("Old - Entry\r\n"));
    }

    void webAddressesFromFilesAreChecked()
    {
        StartedApp app([](test::FakeInstallation &i) {
            i.addLyrics(QStringLiteral("E/Evil - Song.txt"), "x\r\n* Downloaded from: file:///etc/passwd\r\n");
            i.addLyrics(QStringLiteral("G/Good - Song.txt"), "x\r\n* Downloaded from: https://site.example/p\r\n");
        });
        app.clickSong(QStringLiteral("E/Evil - Song.txt"));
        app.button("OpenInBrowser")->trigger();
        QVERIFY(app.dialogs.openedInShell().isEmpty());
        QCOMPARE(app.dialogs.last().text, QStringLiteral("Error opening in browser"));
        QCOMPARE(app.dialogs.last().title, QStringLiteral("Error"));

        app.clickSong(QStringLiteral("G/Good - Song.txt"));
        app.button("OpenInBrowser")->trigger();
        app.button("VisitSite")->trigger();
        app.button("SearchKaraoke")->trigger();
        const QList<QUrl> opened = app.dialogs.openedInShell();
        QCOMPARE(opened.size(), 3);
        QCOMPARE(opened.at(0), QUrl(QStringLiteral("https://site.example/p")));
        QCOMPARE(opened.at(1), QUrl(QStringLiteral("http://site.example")));
        QVERIFY(opened.at(2).toString().endsWith(QStringLiteral("/tunewright/getkaraoke.php?artist=Good&song=Song")));
    }

    void storedGeometryAndOptionsShapeTheWindow()
    {
        {
            QSettings settings(QStringLiteral("Zeph"), QStringLiteral("Zeph"));
            settings.setValue(QStringLiteral("Config/FrmWidth"), QStringLiteral("9000"));
            settings.setValue(QStringLiteral("Config/SplitPos"), QStringLiteral("9000"));
            settings.setValue(QStringLiteral("Config/EnableSearch"), QStringLiteral("False"));
            settings.setValue(QStringLiteral("Config/CheckForAvaliableTimestamps"), QStringLiteral("False"));
        }
        StartedApp app(threeSongs);
        QCOMPARE(app.window()->width(), 600);
        QCOMPARE(qRound(app.window()->splitPosition()), 3000); // a third of the width
        QVERIFY(!app.searchBox()->isVisible());
        QVERIFY(!app.searchBox()->isEnabled());
        QVERIFY(!app.child<QLabel>("lblPercent")->isVisible());
        QCOMPARE(app.label("lblTimestampsBig"), QStringLiteral("Timestamps: 1"));
        // the splitter stays within a tenth and nine tenths of the width
        app.window()->DoSplit(500);
        QCOMPARE(qRound(app.window()->splitPosition()), 3000);
        app.window()->DoSplit(4500);
        QCOMPARE(qRound(app.window()->splitPosition()), 4500);
        app.window()->DoSplit(8500);
        QCOMPARE(qRound(app.window()->splitPosition()), 4500);
    }

    void storedGeometryOutOfReachIsBroughtBack()
    {
        {
            QSettings settings(QStringLiteral("Zeph"), QStringLiteral("Zeph"));
            settings.setValue(QStringLiteral("Config/FrmLeft"), QStringLiteral("1e30"));
            settings.setValue(QStringLiteral("Config/FrmTop"), QStringLiteral("-2000000"));
        }
        StartedApp app(threeSongs);
        const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
        QVERIFY(screen.intersects(QRect(app.window()->pos(), app.window()->size())));
    }

    void maximisedWindowOpensMaximised()
    {
        QSettings(QStringLiteral("Zeph"), QStringLiteral("Zeph"))
            .setValue(QStringLiteral("Config/FrmMaximized"), QStringLiteral("True"));
        StartedApp app(threeSongs);
        QVERIFY(app.window()->isMaximized());
    }

    void cyrillicCollectionReadsCorrectly()
    {
        StartedApp app([](test::FakeInstallation &i) {
            i.writeSettings("[SingleDir]=0\r\n[FontCharset]=204\r\n");
            i.addLyrics(QStringLiteral("K/Kino - Song.txt"), "\xcf\xf0\xe8\xe2\xe5\xf2\r\n");
        });
        app.clickSong(QStringLiteral("K/Kino - Song.txt"));
        QCOMPARE(app.lyricsBox()->toPlainText(), QStringLiteral("\u041f\u0440\u0438\u0432\u0435\u0442\n"));
    }

    void everyControlCanBeFoundByName()
    {
        StartedApp app(threeSongs);
        const QList<QWidget *> widgets = app.window()->findChildren<QWidget *>();
        for (QWidget *w : widgets) {
            const bool interactive = qobject_cast<QAbstractButton *>(w) || qobject_cast<QLineEdit *>(w)
                                     || qobject_cast<QAbstractItemView *>(w) || qobject_cast<QPlainTextEdit *>(w);
            if (!interactive || !w->isVisibleTo(app.window()))
                continue;
            QString name = w->accessibleName();
            if (auto *b = qobject_cast<QAbstractButton *>(w); b && name.isEmpty())
                name = b->text();
            QVERIFY2(!name.isEmpty(), qPrintable(w->objectName() + QStringLiteral(" has no accessible name")));
        }
        QCOMPARE(app.tree()->accessibleName(), QStringLiteral("Lyrics"));
    }

    // With STANZARY_SHOTS=<folder>, pictures of the window on the sample
    // installation for a person to look at.
    void screenshotsOfTheSample()
    {
        const QString shots = qEnvironmentVariable("STANZARY_SHOTS");
        if (shots.isEmpty())
            QSKIP("set STANZARY_SHOTS to a folder to write screenshots");
        const QString examples = qEnvironmentVariable("STANZARY_EXAMPLES") + QStringLiteral("/Tunewright/");
        StartedApp app([&](test::FakeInstallation &i) {
            QDirIterator it(examples, QDir::Files, QDirIterator::Subdirectories);
            while (it.hasNext()) {
                const QString file = it.next();
                i.writeFile(QDir(examples).relativeFilePath(file), test::readAll(file));
            }
        });
        QTest::qWait(50);
        app.window()->grab().save(shots + QStringLiteral("/main-sample.png"));
        app.clickSong(QStringLiteral("B/Bright Harbor - Lighthouse Keeper's Daughter.txt"));
        QTest::qWait(50);
        app.window()->grab().save(shots + QStringLiteral("/main-song.png"));
        QTest::keyClicks(app.searchBox(), QStringLiteral("ra"));
        QTest::qWait(50);
        app.window()->grab().save(shots + QStringLiteral("/main-search.png"));
        app.button("MarkRedownload")->trigger();
        app.button("Lists")->trigger();
        QVERIFY(QTest::qWaitForWindowExposed(app.app->listsWindow()));
        QTest::qWait(50);
        app.app->listsWindow()->grab().save(shots + QStringLiteral("/lists.png"));
    }

    void closingSavesConfigurationAndLists()
    {
        {
            StartedApp app(threeSongs);
            app.clickSong(QStringLiteral("B/Band - Alpha.txt"));
            app.button("MarkRedownload")->trigger();
            app.window()->resize(1000, 700);
            app.window()->close();
        }
        QSettings settings(QStringLiteral("Zeph"), QStringLiteral("Zeph"));
        QCOMPARE(settings.value(QStringLiteral("Config/FrmWidth")).toString(), QStringLiteral("15000"));
        QCOMPARE(settings.value(QStringLiteral("Config/FrmMaximized")).toString(), QStringLiteral("False"));
        StartedApp again(threeSongs);
        QCOMPARE(again.window()->size(), QSize(1000, 700));
    }

    // Closing the main window closes every other window; the program then
    // ends cleanly with all of them made.
    void closingClosesEveryWindow()
    {
        StartedApp app(threeSongs);
        app.clickSong(QStringLiteral("B/Band - Alpha.txt"));
        for (const char *key : {"DI", "Options", "About", "Lyrics3"})
            app.button(key)->trigger();
        const QList<QWidget *> others{app.app->listsWindow(), app.app->optionsWindow(), app.app->aboutWindow(),
                                      app.app->taggerWindow()};
        for (QWidget *other : others)
            QVERIFY(other && other->isVisible());
        app.window()->close();
        for (QWidget *other : others)
            QVERIFY2(!other->isVisible(), qPrintable(other->objectName()));
        app.app.reset();
    }
};

QTEST_MAIN(tst_frmMain)
#include "tst_frmmain.moc"
