// Joining lyrics and Save As, as a user meets them in the main window.

#include "MainWindowFixture.h"

#include "app/basMain.h"
#include "ui/frmAbout.h"
#include "ui/frmOptions.h"
#include "ui/frmlists.h"

#include <QApplication>
#include <QDir>
#include <QSettings>
#include <QToolButton>

#include <algorithm>

using namespace stanzary;
using stanzary::test::StartedApp;

namespace {

const QDateTime kJoinTime(QDate(2004, 9, 7), QTime(14, 5));
const QString kJoinedName = QStringLiteral("3 Lyrics Joined at 09-07-2004 14-5.txt");

void twoArtists(test::FakeInstallation &i)
{
    i.addLyrics(QStringLiteral("B/Band - Alpha.txt"), "alpha words\r\n");
    i.addLyrics(QStringLiteral("B/Band - Beta.txt"), "beta words");
    i.addLyrics(QStringLiteral("S/Solo - Only One.txt"), "alone");
}

void singleFolder(test::FakeInstallation &i)
{
    i.writeSettings("[SingleDir]=1\r\n");
    i.addLyrics(QStringLiteral("Band - Alpha.txt"), "alpha words\r\n");
}

// Ticks a node's check box as the tree does when the user clicks it.
void tick(const StartedApp &app, const QString &key, bool checked = true)
{
    app.tree()->model()->setData(app.indexOf(key), checked ? Qt::Checked : Qt::Unchecked, Qt::CheckStateRole);
}

// The caption the button shows after a press.
QString pressJoin(const StartedApp &app)
{
    app.button("JoinLyrics")->trigger();
    return app.child<QToolButton>("tlbMain_JoinLyrics")->text();
}

} // namespace

class tst_JoinAndSaveAs : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void init() { QSettings(QStringLiteral("Zeph"), QStringLiteral("Zeph")).clear(); }

    void joiningTakesTwoPresses()
    {
        StartedApp app(twoArtists);
        app.state().now = [] { return kJoinTime; };
        QCOMPARE(app.button("JoinLyrics")->text(), QStringLiteral("Join Lyrics"));
        QVERIFY(app.button("JoinLyrics")->isEnabled());
        QVERIFY(!app.indexOf(QStringLiteral("keyband")).data(Qt::CheckStateRole).isValid());

        QCOMPARE(pressJoin(app), QStringLiteral("Joining..."));
        QCOMPARE(app.dialogs.last().text, QStringLiteral("Start selecting which artists/lyrics you would like to\n"
                                                         "merge into a single text file (so you can print them)\n\n"
                                                         "When you are done, repress the 'Joining...' button"));
        QCOMPARE(app.dialogs.last().icon, MessageIcon::Information);
        tick(app, QStringLiteral("keyband")); // ticks both songs
        QCOMPARE(app.indexOf(QStringLiteral("B/Band - Beta.txt")).data(Qt::CheckStateRole).toInt(), int(Qt::Checked));
        // The keyboard ticks too.
        app.tree()->expandAll();
        app.tree()->setFocus();
        app.tree()->setCurrentIndex(app.indexOf(QStringLiteral("S/Solo - Only One.txt")));
        QTest::keyClick(app.tree(), Qt::Key_Space);
        QCOMPARE(app.indexOf(QStringLiteral("S/Solo - Only One.txt")).data(Qt::CheckStateRole).toInt(),
                 int(Qt::Checked));

        app.dialogs.queueChoice(0); // "Yes": open it
        QCOMPARE(pressJoin(app), QStringLiteral("Join lyrics"));
        QVERIFY(!app.indexOf(QStringLiteral("keyband")).data(Qt::CheckStateRole).isValid());
        QCOMPARE(app.dialogs.last().text, QStringLiteral("File was saved as:\n") + kJoinedName
                                              + QStringLiteral("\ninto your Tunewright folder\n\n"
                                                               "Do you want to open it now?"));
        QCOMPARE(app.dialogs.last().title, QStringLiteral("Tunewright Stanzary"));
        const QString path = app.install.hostPath() + kJoinedName;
        QCOMPARE(app.dialogs.openedInShell(), QList<QUrl>{QUrl::fromLocalFile(path)});
        QVERIFY(test::readAll(path).startsWith(":: Band - Alpha\r\n---------------\r\nalpha words\r\n\r\n"));
        QVERIFY(app.dialogs.scriptErrors().isEmpty());

        // The ticks stay for the next join.
        pressJoin(app);
        QCOMPARE(app.indexOf(QStringLiteral("S/Solo - Only One.txt")).data(Qt::CheckStateRole).toInt(),
                 int(Qt::Checked));
    }

    // What the second press tells, top to bottom, after Band's songs were
    // ticked.
    void secondPressTells_data()
    {
        QTest::addColumn<QString>("situation");
        QTest::addColumn<QStringList>("told");
        const QString saved = QStringLiteral("File was saved as:\n2 Lyrics Joined at 09-07-2004 14-5.txt\n"
                                             "into your Tunewright folder\n\nDo you want to open it now?");
        QTest::newRow("all there") << QStringLiteral("") << QStringList{saved};
        QTest::newRow("a file gone") << QStringLiteral("gone")
                                     << QStringList{QStringLiteral("One or more files couldn't be found"), saved};
        QTest::newRow("read-only target")
            << QStringLiteral("read-only") << QStringList{QStringLiteral("Could not create/overwrite file")};
        QTest::newRow("unsaved edits of a joined song")
            << QStringLiteral("edited")
            << QStringList{QStringLiteral("File was saved as:\n2 Lyrics Joined at 09-07-2004 14-5.txt\n"
                                          "into your Tunewright folder\n\nThe changes to Band - Alpha that are not "
                                          "saved yet are not in it.\n\nDo you want to open it now?")};
        QTest::newRow("nothing ticked") << QStringLiteral("unticked") << QStringList{};
        // Without Tunewright the file goes to the program's folder, named.
        QTest::newRow("no Tunewright") << QStringLiteral("no host")
                                       << QStringList{
                                              QStringLiteral("File was saved as:\n2 Lyrics Joined at 09-07-2004 "
                                                             "14-5.txt\ninto Stanzary's folder\n<folder>\n\n"
                                                             "Do you want to open it now?")};
    }
    void secondPressTells()
    {
        QFETCH(QString, situation);
        QFETCH(QStringList, told);
        StartedApp app([&](test::FakeInstallation &i) {
            twoArtists(i);
            if (situation == QLatin1StringView("no host"))
                QFile::remove(i.root() + QStringLiteral("Tunewright.exe"));
        });
        QCOMPARE(app.state().strHostPath.isEmpty(), situation == QLatin1StringView("no host"));
        app.state().now = [] { return kJoinTime; };
        const QString target = app.install.hostPath() + QStringLiteral("2 Lyrics Joined at 09-07-2004 14-5.txt");
        told.replaceInStrings(QStringLiteral("<folder>"), QDir::toNativeSeparators(QFileInfo(target).absolutePath()));
        if (situation == QLatin1StringView("edited")) {
            app.clickSong(QStringLiteral("B/Band - Alpha.txt"));
            QTest::keyClicks(app.lyricsBox(), QStringLiteral("more"));
        }
        pressJoin(app);
        tick(app, QStringLiteral("keyband"));
        if (situation == QLatin1StringView("gone"))
            QFile::remove(app.install.lyricsPath() + QStringLiteral("B/Band - Beta.txt"));
        if (situation == QLatin1StringView("read-only")) {
            app.install.writeFile(QFileInfo(target).fileName(), "old");
            test::setReadOnly(target, true);
        }
        if (situation == QLatin1StringView("unticked"))
            tick(app, QStringLiteral("keyband"), false);
        app.dialogs.clearRecord();
        pressJoin(app);
        QStringList shown;
        for (const auto &box : app.dialogs.shown()) {
            shown.append(box.text);
            QCOMPARE(box.title, QStringLiteral("Tunewright Stanzary"));
        }
        QCOMPARE(shown, told);
        QCOMPARE(QFileInfo::exists(target), situation != QLatin1StringView("unticked"));
        if (situation == QLatin1StringView("read-only"))
            QCOMPARE(test::readAll(target), QByteArray("old"));
        if (situation == QLatin1StringView("edited")) // joined as saved; the box keeps the edits
            QVERIFY(!test::readAll(target).contains("more"));
    }

    // Save As from the shown song Band - Alpha, whose box reads "new words".
    void saveAs_data()
    {
        QTest::addColumn<bool>("single");
        QTest::addColumn<QString>("artist"); // null: the box is cancelled
        QTest::addColumn<QString>("song");
        QTest::addColumn<int>("overwrite");  // the answer to the overwrite question; -1: not asked
        QTest::addColumn<QString>("target"); // below the lyrics folder
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("told"); // the last box
        const QByteArray words = "new words\xa0\r\n";
        const QString old = QStringLiteral("alpha words\r\n");
        const QString saved = QStringLiteral("Lyrics for song:\nnova - Blue Lake\n\nwere saved. Update your list to "
                                             "get it listed");
        const QString songPrompt = QStringLiteral("SONG TITLE");
        QTest::newRow("a new subfolder, spaces trimmed")
            << false << QStringLiteral("  nova ") << QStringLiteral(" Blue Lake  ") << -1
            << QStringLiteral("n/nova - Blue Lake.txt") << words << saved;
        QTest::newRow("single folder") << true << QStringLiteral("nova") << QStringLiteral("Blue Lake") << -1
                                       << QStringLiteral("nova - Blue Lake.txt") << words << saved;
        QTest::newRow("defaults, overwritten")
            << false << QStringLiteral("Band") << QStringLiteral("Alpha") << int(Answer::Yes)
            << QStringLiteral("B/Band - Alpha.txt") << words
            << QStringLiteral("Lyrics for song:\nBand - Alpha\n\nwere saved. Update your list to get it listed");
        QTest::newRow("defaults, kept") << false << QStringLiteral("Band") << QStringLiteral("Alpha") << int(Answer::No)
                                        << QStringLiteral("B/Band - Alpha.txt") << old.toLatin1()
                                        << QStringLiteral("This lyrics already exists. Do you wish to overwrite?");
        QTest::newRow("artist cancelled")
            << false << QString() << QString() << -1 << QStringLiteral("B/Band - Alpha.txt") << old.toLatin1()
            << QStringLiteral("ARTIST/BAND name");
        QTest::newRow("song left empty") << false << QStringLiteral("nova") << QStringLiteral("   ") << -1
                                         << QStringLiteral("n/nova - .txt") << QByteArray() << songPrompt;
        QTest::newRow("read-only target")
            << false << QStringLiteral("Band") << QStringLiteral("Alpha") << int(Answer::Yes)
            << QStringLiteral("B/Band - Alpha.txt") << old.toLatin1() << QStringLiteral("File is read-only");
    }
    void saveAs()
    {
        QFETCH(bool, single);
        QFETCH(QString, artist);
        QFETCH(QString, song);
        QFETCH(int, overwrite);
        QFETCH(QString, target);
        QFETCH(QByteArray, content);
        QFETCH(QString, told);
        StartedApp app(single ? singleFolder : twoArtists);
        const QString shownKey = single ? QStringLiteral("Band - Alpha.txt") : QStringLiteral("B/Band - Alpha.txt");
        app.clickSong(shownKey);
        app.lyricsBox()->setPlainText(QStringLiteral("new words"));
        const QString path = app.install.lyricsPath() + target;
        if (told == QLatin1StringView("File is read-only"))
            test::setReadOnly(path, true);
        app.dialogs.queueInput(artist.isNull() ? std::nullopt : std::optional<QString>(artist));
        app.dialogs.queueInput(song.isNull() ? std::nullopt : std::optional<QString>(song));
        if (overwrite >= 0)
            app.dialogs.queueAnswer(Answer(overwrite));
        app.dialogs.clearRecord();
        app.button("SaveAs")->trigger();

        const auto &first = app.dialogs.shown().first();
        QCOMPARE(first.title, QStringLiteral("New lyrics"));
        QCOMPARE(first.text, QStringLiteral("ARTIST/BAND name"));
        QCOMPARE(first.defaultText, QStringLiteral("Band"));
        QCOMPARE(app.dialogs.last().text, told);
        QCOMPARE(test::readAll(path), content);
        // The tree and the shown song stay as they were.
        QCOMPARE(app.state().strCurrentKey, shownKey);
        QCOMPARE(app.state().nodes.count(), single ? 2 : 5);
    }

    // Save As onto another song keeps the box's edits for the shown one.
    void saveAsElsewhereKeepsTheShownSongsEdits()
    {
        StartedApp app(twoArtists);
        app.clickSong(QStringLiteral("B/Band - Alpha.txt"));
        QTest::keyClicks(app.lyricsBox(), QStringLiteral("x"));
        app.dialogs.queueInput(QStringLiteral("Band"));
        app.dialogs.queueInput(QStringLiteral("Copy"));
        app.button("SaveAs")->trigger();
        QVERIFY(QFile::exists(app.install.lyricsPath() + QStringLiteral("B/Band - Copy.txt")));
        QVERIFY(app.lyricsBox()->document()->isModified());
        QCOMPARE(test::readAll(app.install.lyricsPath() + QStringLiteral("B/Band - Alpha.txt")),
                 QByteArray("alpha words\r\n"));
    }

    // With no song chosen the box takes new lyrics, which stay while an
    // artist is chosen and are stored with Save As; a name a file cannot
    // hold is told as soon as it is typed, and asked again.
    void newLyricsAreSavedWithSaveAs()
    {
        StartedApp app(twoArtists);
        QVERIFY(!app.lyricsBox()->isReadOnly());
        QVERIFY(app.lyricsBox()->placeholderText().contains(QStringLiteral("Save As...")));
        QTest::keyClicks(app.lyricsBox(), QStringLiteral("fresh words"));
        app.click(QStringLiteral("keyband"));
        QCOMPARE(app.lyricsBox()->toPlainText(), QStringLiteral("fresh words"));

        app.dialogs.queueInput(QStringLiteral("AC/DC"));
        app.dialogs.queueInput(QStringLiteral("Nova"));
        app.dialogs.queueInput(QStringLiteral("Blue Lake"));
        app.dialogs.clearRecord();
        app.button("Save")->trigger(); // new lyrics have no file yet: Save is Save As
        const auto &shown = app.dialogs.shown();
        QCOMPARE(shown.size(), 5);
        QCOMPARE(shown.at(0).defaultText, QString()); // no song's name to start from
        QCOMPARE(shown.at(1).text, QStringLiteral("A lyrics file name cannot hold \"/\". Type the name without it."));
        QCOMPARE(shown.at(2).text, QStringLiteral("ARTIST/BAND name"));
        QCOMPARE(shown.at(2).defaultText, QStringLiteral("AC/DC"));
        QCOMPARE(shown.at(3).text, QStringLiteral("SONG TITLE"));
        QCOMPARE(shown.at(4).text, QStringLiteral("Lyrics for song:\nNova - Blue Lake\n\nwere saved. Update your list "
                                                  "to get it listed"));
        QCOMPARE(test::readAll(app.install.lyricsPath() + QStringLiteral("N/Nova - Blue Lake.txt")),
                 QByteArray("fresh words\xa0\r\n"));
        QVERIFY(!app.lyricsBox()->document()->isModified());
        app.clickSong(QStringLiteral("B/Band - Alpha.txt")); // saved: nothing to ask
        QCOMPARE(app.dialogs.shown().size(), 5);
        QVERIFY(app.dialogs.scriptErrors().isEmpty());
    }

    // New lyrics not saved yet are asked about before a song's text or the
    // closing window takes them away.
    void newLyricsAreNotLostSilently_data()
    {
        QTest::addColumn<bool>("closing");
        QTest::addColumn<Answer>("answer");
        QTest::newRow("song chosen, cancelled") << false << Answer::Cancel;
        QTest::newRow("song chosen, dropped") << false << Answer::No;
        QTest::newRow("song chosen, saved") << false << Answer::Yes;
        QTest::newRow("closing, cancelled") << true << Answer::Cancel;
        QTest::newRow("closing, saved") << true << Answer::Yes;
    }
    void newLyricsAreNotLostSilently()
    {
        QFETCH(bool, closing);
        QFETCH(Answer, answer);
        StartedApp app(twoArtists);
        QTest::keyClicks(app.lyricsBox(), QStringLiteral("fresh words"));
        app.dialogs.queueAnswer(answer);
        if (answer == Answer::Yes) {
            app.dialogs.queueInput(QStringLiteral("Nova"));
            app.dialogs.queueInput(QStringLiteral("Blue Lake"));
        }
        if (closing)
            app.window()->close();
        else
            app.clickSong(QStringLiteral("B/Band - Alpha.txt"));
        QCOMPARE(app.dialogs.shown().first().text, QStringLiteral("Save the new lyrics you typed? Otherwise they are "
                                                                  "lost."));
        QCOMPARE(QFile::exists(app.install.lyricsPath() + QStringLiteral("N/Nova - Blue Lake.txt")),
                 answer == Answer::Yes);
        const bool stayed = answer == Answer::Cancel;
        QCOMPARE(app.window()->isVisible(), !closing || stayed);
        if (!closing) {
            QCOMPARE(app.lyricsBox()->toPlainText(),
                     stayed ? QStringLiteral("fresh words") : QStringLiteral("alpha words\n"));
            QCOMPARE(app.state().strCurrentFile.isEmpty(), stayed);
        }
        QVERIFY(app.dialogs.scriptErrors().isEmpty());
    }

    void everyMenuItemDoesItsCommand()
    {
        StartedApp app(twoArtists);
        app.button("SaveAs")->trigger(); // no song shown: nothing to save
        app.button("Save")->trigger();
        QCOMPARE(app.dialogs.beeps(), 2);

        app.button("DI")->trigger();
        QVERIFY(app.app->listsWindow()->isVisible());
        QVERIFY(!app.state().blnShowRedownloadList);
        app.button("MR")->trigger();
        QVERIFY(app.state().blnShowRedownloadList);

        for (const char *key : {"Options", "OptionsMenu"}) {
            QVERIFY(app.button(key)->isEnabled());
            app.button(key)->trigger();
            QVERIFY(app.app->optionsWindow() && app.app->optionsWindow()->isVisible());
            app.app->optionsWindow()->close();
        }
        app.button("Legend")->trigger();
        frmAbout *about = app.app->aboutWindow();
        QVERIFY(about && about->isVisible());
        app.button("About")->trigger();
        QCOMPARE(app.app->aboutWindow(), about);
        const QWidgetList windows = QApplication::topLevelWidgets();
        QCOMPARE(std::count_if(windows.cbegin(), windows.cend(),
                               [](QWidget *w) { return w->objectName() == QLatin1StringView("frmAbout"); }),
                 1);

        app.button("Help")->trigger();
        QCOMPARE(app.dialogs.openedInShell().constLast(),
                 QUrl(app.state().strMakerSite + QStringLiteral("/tunewright/faq/faq2.php?catnr=8")));
        QVERIFY(app.dialogs.scriptErrors().isEmpty());
    }

    // With STANZARY_SHOTS=<folder>, the tree while songs are being picked.
    void screenshotOfJoining()
    {
        const QString shots = qEnvironmentVariable("STANZARY_SHOTS");
        if (shots.isEmpty())
            QSKIP("set STANZARY_SHOTS to a folder to write screenshots");
        StartedApp app(twoArtists);
        pressJoin(app);
        tick(app, QStringLiteral("keyband"));
        app.tree()->expandAll();
        QTest::qWait(50);
        app.window()->grab().save(shots + QStringLiteral("/main-joining.png"));
    }
};

QTEST_MAIN(tst_JoinAndSaveAs)
#include "tst_joinandsaveas.moc"
