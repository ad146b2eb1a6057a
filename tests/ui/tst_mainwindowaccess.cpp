// The main window as a user with any collection, any screen reader and any
// start-up situation meets it: names from files read as written, labels
// that tell assistive technology what they show, long values cut at a word,
// and clear words when something is missing.

#include "MainWindowFixture.h"

#include "app/basMain.h"
#include "lists/SongLists.h"
#include "ui/ElidedLabel.h"

#include "NamedPipe.h"

#include <QAccessible>
#include <QDir>
#include <QHeaderView>
#include <QMenu>
#include <QScrollBar>
#include <QSettings>
#include <QTextDocument>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>

using namespace stanzary;
using stanzary::test::StartedApp;

namespace {

QString accessibleName(QObject *object)
{
    QAccessibleInterface *a = QAccessible::queryAccessibleInterface(object);
    return a ? a->text(QAccessible::Name) : QString();
}

QString plainOfToolTip(const QString &toolTip)
{
    QTextDocument doc;
    doc.setHtml(toolTip);
    return doc.toPlainText();
}

void oneSong(test::FakeInstallation &i)
{
    i.addLyrics(QStringLiteral("B/Band - Alpha.txt"), "words\r\n");
}

} // namespace

class tst_MainWindowAccess : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void init() { QSettings(QStringLiteral("Zeph"), QStringLiteral("Zeph")).clear(); }

    void namesFromFilesReadAsWritten()
    {
        StartedApp app([](test::FakeInstallation &i) {
            i.addLyrics(QStringLiteral("A/A<i>x - <b>Bold & co.txt"),
                        "w\r\n* Downloaded from: http://site.example/<h1>big\r\n");
        });
        app.clickSong(QStringLiteral("A/A<i>x - <b>Bold & co.txt"));
        QCOMPARE(app.label("lblSong2"), QStringLiteral("<b>Bold & co"));
        for (const char *name : {"LblSong", "lblArtist", "lblSong2", "lblBrowser", "lblWebsite", "lblInfoTitles"})
            QVERIFY2(app.child<QLabel>(name)->textFormat() == Qt::PlainText, name);
    }

    void labelsTellWhatTheyShow()
    {
        StartedApp app([](test::FakeInstallation &i) {
            oneSong(i);
            i.addKas(QStringLiteral("B/Band - Alpha.txt"), "AAwo;\r\n");
        });
        QTest::keyClicks(app.searchBox(), QStringLiteral("alp"));
        QCOMPARE(accessibleName(app.countLine()), QStringLiteral("{1 artist} {1 song}"));
        QCOMPARE(accessibleName(app.child<QLabel>("lblLyricsCount")), QStringLiteral("Lyrics: 1"));
        QVERIFY(!accessibleName(app.child<QLabel>("imageCount3")).isEmpty());
        app.clickSong(QStringLiteral("B/Band - Alpha.txt"));
        QCOMPARE(accessibleName(app.child<QLabel>("lblArtist")), QStringLiteral("Artist: Band"));
        QCOMPARE(app.indexOf(QStringLiteral("B/Band - Alpha.txt")).data(Qt::AccessibleDescriptionRole).toString(),
                 QStringLiteral("timestamps downloaded, unfiltered"));
    }

    void elidesAtAWord_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("chars"); // room, in widths of "x"
        QTest::addColumn<QString>("shown");
        QTest::newRow("fits") << QStringLiteral("short one") << 40 << QStringLiteral("short one");
        QTest::newRow("at a blank") << QStringLiteral("Timestamps are avaliable for download") << 22
                                    << QStringLiteral("Timestamps are\u2026");
        QTest::newRow("address at a slash") << QStringLiteral("http://www.site.example/lyrics/page.html") << 30
                                            << QStringLiteral("http://www.site.example/\u2026");
    }
    void elidesAtAWord()
    {
        QFETCH(QString, text);
        QFETCH(int, chars);
        QFETCH(QString, shown);
        QFont font(QStringLiteral("DejaVu Sans Mono"));
        font.setStyleHint(QFont::Monospace);
        const QFontMetrics fm(font);
        QCOMPARE(elideAtWord(text, fm, fm.horizontalAdvance(QLatin1Char('x')) * chars), shown);
    }

    void aNarrowWindowShowsLongValuesWholeInTheirToolTips()
    {
        const QString longTitle = QStringLiteral("A Very Long Song Title That Goes On And On Past Any Edge");
        StartedApp app([&](test::FakeInstallation &i) {
            i.addLyrics(QStringLiteral("B/Band - ") + longTitle + QStringLiteral(".txt"));
        });
        app.clickSong(QStringLiteral("B/Band - ") + longTitle + QStringLiteral(".txt"));
        app.window()->resize(500, 500);
        QTest::qWait(20);
        auto *song = app.child<ElidedLabel>("lblSong2");
        QVERIFY(song->isElided());
        const QString shown = song->text();
        QVERIFY(shown.endsWith(QStringLiteral("\u2026")));
        QCOMPARE(longTitle.at(shown.size() - 1), QLatin1Char(' ')); // cut before a blank, not inside a word
        QCOMPARE(plainOfToolTip(song->toolTip()), longTitle);
        QCOMPARE(accessibleName(song), QStringLiteral("Song: ") + longTitle);
    }

    // At the first start's window size the karaoke line is read whole (it
    // takes a second line), and a long song name can be scrolled to in the
    // tree rather than being cut at its edge.
    void longTextsAreShownWholeAtTheFirstSize()
    {
        QSettings(QStringLiteral("Zeph"), QStringLiteral("Zeph"))
            .setValue(QStringLiteral("Config/CheckForAvaliableTimestamps"), QStringLiteral("False"));
        const QString longTitle =
            QStringLiteral("A Very Long Song Title That Goes On And On Past Any Edge Of The Tree");
        const QString key = QStringLiteral("B/Band - ") + longTitle + QStringLiteral(".txt");
        StartedApp app([&](test::FakeInstallation &i) { i.addLyrics(key); });
        app.clickSong(key);
        QApplication::processEvents();
        auto *karaoke = app.child<ElidedLabel>("lblKaraoke");
        QCOMPARE(karaoke->fullText(), QStringLiteral("Karaoke not found. It may be avaliable for download, or you can "
                                                     "create it by yourself!"));
        QVERIFY2(!karaoke->isElided(), qPrintable(karaoke->text()));
        QTRY_VERIFY(karaoke->height() >= karaoke->heightForWidth(karaoke->width())); // once laid out

        QTreeView *tree = app.tree();
        const QFontMetrics fm(tree->font());
        QTRY_VERIFY(tree->header()->sectionSize(0) >= fm.horizontalAdvance(longTitle) + tree->indentation());
        QVERIFY(tree->header()->sectionSize(0) > tree->viewport()->width());
        QTRY_VERIFY(tree->horizontalScrollBar()->maximum() > 0); // the range follows at the next layout
    }

    // When nothing is found the window says where it looked and how to point
    // it at an installation.
    void saysWhereItLookedWhenNothingIsFound_data()
    {
        QTest::addColumn<bool>("hostThere");
        QTest::addColumn<QStringList>("mentions");
        QTest::newRow("no host") << false
                                 << QStringList{QStringLiteral("Tunewright.exe"), QStringLiteral("WINEPREFIX"),
                                                QStringLiteral("system.reg"), QStringLiteral("[CachePath]")};
        QTest::newRow("no lyrics") << true << QStringList{QStringLiteral("lyrics"), QStringLiteral("[CachePath]")};
    }
    void saysWhereItLookedWhenNothingIsFound()
    {
        QFETCH(bool, hostThere);
        QFETCH(QStringList, mentions);
        StartedApp app([&](test::FakeInstallation &i) {
            if (!hostThere)
                QFile::remove(i.root() + QStringLiteral("Tunewright.exe"));
        });
        auto *notice = app.child<QLabel>("lblCollectionNotice");
        QVERIFY(notice->isVisible());
        QVERIFY(notice->text().contains(QDir::toNativeSeparators(app.install.root())));
        for (const QString &word : mentions)
            QVERIFY2(notice->text().contains(word), qPrintable(word));
        QCOMPARE(notice->textFormat(), Qt::PlainText);

        app.install.addLyrics(QStringLiteral("B/Band - Alpha.txt"));
        app.install.addLyrics(QStringLiteral("Band - Alpha.txt"));
        QTest::keyClick(app.tree(), Qt::Key_F5);
        QVERIFY(!notice->isVisible());
    }

    // A lyrics file whose name is not valid UTF-8 cannot be opened by its
    // name: the window says how many there are and in which folders, until
    // a scan no longer meets them.
    void tellsOfLyricsFilesItCannotList_data()
    {
        QTest::addColumn<bool>("twoFolders");
        QTest::newRow("one file") << false;
        QTest::newRow("two files in two folders") << true;
    }
    void tellsOfLyricsFilesItCannotList()
    {
        QFETCH(bool, twoFolders);
        QList<QByteArray> made; // removed by their bytes: no listing can name them
        const auto removeMade = [&] {
            for (auto it = made.crbegin(); it != made.crend(); ++it)
                ::remove(it->constData());
            made.clear();
        };
        const auto guard = qScopeGuard(removeMade);
        StartedApp app([&](test::FakeInstallation &i) {
            oneSong(i);
            const QByteArray lyrics = QFile::encodeName(i.lyricsPath());
            made.append(lyrics + "B/Band - Caf\xe9.txt");
            if (twoFolders) {
                made.append(lyrics + "L\xe9");
                QVERIFY(::mkdir(made.last().constData(), 0700) == 0);
                made.append(lyrics
                            + "L\xe9/L\xe9"
                              "a - Song.TXT");
            }
            for (const QByteArray &path : std::as_const(made)) {
                if (!path.endsWith("L\xe9"))
                    QVERIFY(::close(::open(path.constData(), O_CREAT | O_WRONLY, 0600)) == 0);
            }
        });
        auto *notice = app.child<QLabel>("lblCollectionNotice");
        QVERIFY(notice->isVisible());
        const QString text = notice->text();
        QVERIFY2(text.startsWith(twoFolders ? QStringLiteral("2 lyrics files could not be listed")
                                            : QStringLiteral("1 lyrics file could not be listed")),
                 qPrintable(text));
        QVERIFY(text.contains(QDir::toNativeSeparators(app.install.lyricsPath() + QStringLiteral("B/"))));
        QCOMPARE(text.contains(QStringLiteral("L\ufffd")), twoFolders);
        QVERIFY(text.contains(QStringLiteral("F5")));
        QCOMPARE(app.state().intLyricsCount, 1); // the songs that can be listed are there

        removeMade();
        QTest::keyClick(app.tree(), Qt::Key_F5);
        QVERIFY(!notice->isVisible());
    }

    void tellsOfAListFileItCannotRead()
    {
        StartedApp app([](test::FakeInstallation &i) {
            oneSong(i);
            QVERIFY(QDir(i.root()).mkdir(QStringLiteral("deleted.txt"))); // no regular file
        });
        QVERIFY(app.started);
        QCOMPARE(app.dialogs.messages().size(), 1);
        QVERIFY(app.dialogs.last().text.contains(QStringLiteral("deleted.txt: it is not a regular file")));
        QVERIFY(QFileInfo(app.install.root() + QStringLiteral("deleted.txt")).isDir()); // left as it was
    }

    void startsWhenItsLockCannotBeMade()
    {
        QTemporaryDir tmp;
        test::FakeInstallation elsewhere(tmp.path());
        const QString file = elsewhere.writeFile(QStringLiteral("plain-file"), "x");
        StartedApp app(oneSong, {}, file + QStringLiteral("/stanzary.lock"));
        QVERIFY(app.started);
        QCOMPARE(app.dialogs.messages().size(), 1);
        QVERIFY(app.dialogs.last().text.contains(QStringLiteral("lock file")));
    }

    void focusAloneChoosesNothing()
    {
        QSettings(QStringLiteral("Zeph"), QStringLiteral("Zeph"))
            .setValue(QStringLiteral("Config/EnableSearch"), QStringLiteral("False"));
        StartedApp app(oneSong);
        app.window()->activateWindow();
        app.tree()->setFocus(Qt::TabFocusReason);
        QVERIFY(app.tree()->hasFocus());
        QVERIFY(app.tree()->currentIndex().isValid()); // the view's own current node...
        QVERIFY(app.label("LblSong").isEmpty());       // ...is no choice
        QVERIFY(app.label("lblInfoTitles").isEmpty());
        QTest::keyClick(app.tree(), Qt::Key_Space); // the keyboard does choose
        QCOMPARE(app.label("LblSong"), QStringLiteral(" Band"));
    }

    // Help stays within reach in a main window that no one offers an options
    // window to: the Options button opens its drop-down.
    void optionsButtonOpensItsMenuWithoutOptionsWindow()
    {
        basMain state;
        SongLists lists;
        ScriptedUserDialogs dialogs;
        frmMain window(state, lists, dialogs);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        auto action = [&window](const char *key) { return window.findChild<QAction *>(QLatin1StringView(key)); };
        action("Options")->trigger();
        auto *menu = window.findChild<QMenu *>(QStringLiteral("menuOptions"));
        QVERIFY(QTest::qWaitFor([menu] { return menu->isVisible(); }, 2000));
        QVERIFY(!action("OptionsMenu")->isEnabled());
        QVERIFY(!action("About")->isEnabled());
        menu->hide();
        QVERIFY(action("Help")->isEnabled());
        action("Help")->trigger();
        QCOMPARE(dialogs.openedInShell().size(), 1);
        QVERIFY(dialogs.openedInShell().first().toString().endsWith(QStringLiteral("/faq/faq2.php?catnr=8")));
    }

    // A lyrics file that is there but cannot be read is told with its
    // reason, and the empty box can never be saved over it.
    void unreadableFileIsToldAndNeverSavedOver_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("reason");
        QTest::newRow("too large") << QStringLiteral("large") << QStringLiteral("It is larger than 16 MB.");
        QTest::newRow("a named pipe") << QStringLiteral("pipe") << QStringLiteral("It is not a regular file.");
        QTest::newRow("a folder") << QStringLiteral("folder") << QStringLiteral("It is not a regular file.");
        QTest::newRow("no permission") << QStringLiteral("unreadable") << QStringLiteral("Permission denied.");
    }
    void unreadableFileIsToldAndNeverSavedOver()
    {
        QFETCH(QString, kind);
        QFETCH(QString, reason);
        if (kind == QLatin1StringView("unreadable") && ::geteuid() == 0)
            QSKIP("root reads every file");
        StartedApp app(oneSong);
        const QString path = app.install.lyricsPath() + QStringLiteral("B/Band - Alpha.txt");
        if (kind == QLatin1StringView("large")) {
            QFile big(path);
            QVERIFY(big.open(QIODevice::ReadWrite) && big.resize(50 * 1024 * 1024)); // sparse: no time, no room
        } else if (kind == QLatin1StringView("pipe")) {
            QVERIFY(QFile::remove(path));
            test::makeNamedPipe(path);
        } else if (kind == QLatin1StringView("folder")) {
            QVERIFY(QFile::remove(path) && QDir().mkdir(path));
        } else {
            QVERIFY(QFile::setPermissions(path, QFile::WriteOwner));
        }
        const QFileInfo before(path);
        app.clickSong(QStringLiteral("B/Band - Alpha.txt"));
        QCOMPARE(app.dialogs.last().title, QStringLiteral("Tunewright Stanzary"));
        QVERIFY2(app.dialogs.last().text.startsWith(QStringLiteral("File can't be read:\n") + path
                                                    + QStringLiteral("\n\n") + reason),
                 qPrintable(app.dialogs.last().text));
        QVERIFY(app.lyricsBox()->isReadOnly());
        QVERIFY(app.lyricsBox()->placeholderText().contains(reason.chopped(1).mid(1)));

        // Typing does nothing; Save and Save As tell why there is nothing to
        // save, and neither asks for a name.
        QTest::keyClicks(app.lyricsBox(), QStringLiteral("typed"));
        app.dialogs.clearRecord();
        app.button("Save")->trigger();
        app.button("SaveAs")->trigger();
        QCOMPARE(app.dialogs.shown().size(), 2);
        for (const auto &told : app.dialogs.shown())
            QVERIFY2(told.kind == ScriptedUserDialogs::Kind::Message && told.text.contains(reason.chopped(1).mid(1)),
                     qPrintable(told.text));
        const QFileInfo after(path);
        QCOMPARE(after.size(), before.size());
        QCOMPARE(after.lastModified(), before.lastModified());
        QCOMPARE(after.isFile(), before.isFile());
        if (kind == QLatin1StringView("unreadable"))
            QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
    }

    // The window system appends a display name to every title when one is
    // set; titles must read exactly "Lists", "Stanzary", ...
    void titlesAreTheCaptionsAlone()
    {
        setApplicationIdentity();
        QCOMPARE(QGuiApplication::applicationDisplayName(), QCoreApplication::applicationName());
        QCOMPARE(QCoreApplication::organizationName(), QStringLiteral("Zeph"));
    }
};

QTEST_MAIN(tst_MainWindowAccess)
#include "tst_mainwindowaccess.moc"
