// The options window and the About window.

#include "FindControl.h"
#include "MainWindowFixture.h"

#include "app/ImageIndex.h"
#include "app/basMain.h"
#include "ui/IconSet.h"
#include "ui/frmAbout.h"
#include "ui/frmOptions.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QPushButton>
#include <QSettings>
#include <QToolButton>

using namespace stanzary;
using stanzary::test::StartedApp;

namespace {

const QDateTime kNow(QDate(2024, 3, 10), QTime(0, 30));

void oneSong(test::FakeInstallation &i)
{
    i.addLyrics(QStringLiteral("B/Band - Alpha.txt"), "words\r\n");
    i.writeKaraokeIndex(QByteArray(12, 'k')); // 2.4 records
}

void storeConfig(const QString &key, const QString &value)
{
    QSettings(QStringLiteral("Zeph"), QStringLiteral("Zeph")).setValue(QStringLiteral("Config/") + key, value);
}

frmOptions *openOptions(const StartedApp &app)
{
    app.button("OptionsMenu")->trigger();
    frmOptions *options = app.app->optionsWindow();
    if (options && !QTest::qWaitForWindowExposed(options))
        return nullptr;
    return options;
}

frmAbout *openAbout(const StartedApp &app)
{
    app.button("About")->trigger();
    frmAbout *about = app.app->aboutWindow();
    if (about && !QTest::qWaitForWindowExposed(about))
        return nullptr;
    return about;
}

template <typename T>
T *control(QWidget *window, const char *name)
{
    return test::findControl<T>(window, name);
}

QString labelText(QWidget *window, const char *name)
{
    return control<QLabel>(window, name)->text();
}

QImage pictureOf(const QIcon &icon, const QWidget &on)
{
    return icon.pixmap(QSize(20, 20), on.devicePixelRatioF()).toImage();
}

} // namespace

class tst_OptionsAndAbout : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void init() { QSettings(QStringLiteral("Zeph"), QStringLiteral("Zeph")).clear(); }

    void showsWhereAndHowLyricsAreKept()
    {
        StartedApp app(oneSong);
        frmOptions *options = openOptions(app);
        QVERIFY(options);
        QCOMPARE(options->windowTitle(), QStringLiteral("Options"));
        QCOMPARE(labelText(options, "lblMainLyricsFolder"), app.install.lyricsPath());
        QCOMPARE(control<QLabel>(options, "lblMainLyricsFolder")->toolTip(), app.install.lyricsPath());
        QCOMPARE(labelText(options, "lblCacheStyle"), QStringLiteral("Subfolders"));
        QCOMPARE(labelText(options, "lblIndexCount"), QStringLiteral("Avaliable timestamps for download: 2.4"));
        for (const char *box :
             {"chkLoadKasEditor", "chkAvaliableStamp", "chkUnfilteredSongs", "chkEnableSearch", "chkRealTimeSearch"})
            QVERIFY2(control<QCheckBox>(options, box)->isChecked(), box);
    }

    // The age in calendar days, by the program's clock.
    void indexAge_data()
    {
        QTest::addColumn<QDateTime>("modified"); // invalid: no index
        QTest::addColumn<QString>("age");
        QTest::newRow("today") << kNow.addSecs(-20 * 60) << QStringLiteral("Your karaoke index is 0 day old");
        QTest::newRow("yesterday, an hour ago")
            << kNow.addSecs(-3600) << QStringLiteral("Your karaoke index is 1 day old");
        QTest::newRow("two days ago") << kNow.addDays(-2) << QStringLiteral("Your karaoke index is 2 days old");
        QTest::newRow("no index") << QDateTime() << QStringLiteral("Your karaoke index is 0 day old");
    }
    void indexAge()
    {
        QFETCH(QDateTime, modified);
        QFETCH(QString, age);
        StartedApp app(oneSong);
        const QString index = app.install.hostPath() + QStringLiteral("kl.dbx");
        if (modified.isValid()) {
            QFile file(index);
            QVERIFY(file.open(QIODevice::ReadWrite));
            QVERIFY(file.setFileTime(modified, QFileDevice::FileModificationTime));
        } else {
            QVERIFY(QFile::remove(index));
        }
        app.state().now = [] { return kNow; };
        frmOptions *options = openOptions(app);
        QVERIFY(options);
        QCOMPARE(labelText(options, "lblIndexAge"), age);
    }

    // A click sets its option at once, and the configuration keeps it.
    void boxesSetTheirOptions_data()
    {
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("key");
        QTest::newRow("editor") << QStringLiteral("chkLoadKasEditor") << QStringLiteral("LoadKasEditor");
        QTest::newRow("availability") << QStringLiteral("chkAvaliableStamp")
                                      << QStringLiteral("CheckForAvaliableTimestamps");
        QTest::newRow("unfiltered") << QStringLiteral("chkUnfilteredSongs") << QStringLiteral("CheckUnfilteredSongs");
        QTest::newRow("search") << QStringLiteral("chkEnableSearch") << QStringLiteral("EnableSearch");
        QTest::newRow("real time") << QStringLiteral("chkRealTimeSearch") << QStringLiteral("RealTimeSearch");
    }
    void boxesSetTheirOptions()
    {
        QFETCH(QString, box);
        QFETCH(QString, key);
        {
            StartedApp app(oneSong);
            frmOptions *options = openOptions(app);
            QVERIFY(options);
            auto *check = options->findChild<QCheckBox *>(box);
            QTest::mouseClick(check, Qt::LeftButton, {}, QPoint(8, check->height() / 2)); // on the box
            QVERIFY(!check->isChecked());
            options->close();
            app.window()->close();
        }
        const QSettings settings(QStringLiteral("Zeph"), QStringLiteral("Zeph"));
        for (const QString &k :
             {QStringLiteral("LoadKasEditor"), QStringLiteral("CheckForAvaliableTimestamps"),
              QStringLiteral("CheckUnfilteredSongs"), QStringLiteral("EnableSearch"), QStringLiteral("RealTimeSearch")})
            QCOMPARE(settings.value(QStringLiteral("Config/") + k).toString(),
                     k == key ? QStringLiteral("False") : QStringLiteral("True"));
    }

    void searchOffGreysRealTimeSearch()
    {
        StartedApp app(oneSong);
        frmOptions *options = openOptions(app);
        QVERIFY(options);
        auto *realTime = control<QCheckBox>(options, "chkRealTimeSearch");
        control<QCheckBox>(options, "chkEnableSearch")->click();
        QVERIFY(!app.state().blnEnableSearch);
        QVERIFY(!realTime->isEnabled());
        QVERIFY(realTime->isChecked());
        QVERIFY(app.state().blnRealTimeSearch);
        // The search feature itself changes at the next start, as the
        // footnote says: a scan now leaves the search box working.
        control<QPushButton>(options, "cmdUpdateList")->click();
        QTest::keyClick(app.tree(), Qt::Key_F5);
        QVERIFY(app.searchBox()->isVisible());
        QVERIFY(app.searchBox()->isEnabled());
        // Reopened, it reads the state again.
        options->close();
        options = openOptions(app);
        QVERIFY(!realTime->isEnabled());
        control<QCheckBox>(options, "chkEnableSearch")->click();
        QVERIFY(realTime->isEnabled());
    }

    void availabilityOffAtStartShowsNoCount()
    {
        storeConfig(QStringLiteral("CheckForAvaliableTimestamps"), QStringLiteral("False"));
        StartedApp app(oneSong);
        frmOptions *options = openOptions(app);
        QVERIFY(options);
        QCOMPARE(labelText(options, "lblIndexCount"), QStringLiteral("Avaliable timestamps for download: "));
        QVERIFY(!control<QCheckBox>(options, "chkAvaliableStamp")->isChecked());
    }

    void manualUpdateScansAgain()
    {
        StartedApp app(oneSong);
        frmOptions *options = openOptions(app);
        QVERIFY(options);
        app.install.addLyrics(QStringLiteral("N/Nova - Blue Lake.txt"));
        app.install.writeKaraokeIndex(QByteArray(15, 'k'));
        auto *update = control<QPushButton>(options, "cmdUpdateList");
        update->click();
        QCOMPARE(app.state().nodes.count(), 4);
        QCOMPARE(labelText(options, "lblIndexCount"), QStringLiteral("Avaliable timestamps for download: 3"));

        // Unsaved edits are asked about first; Cancel keeps the tree.
        app.clickSong(QStringLiteral("B/Band - Alpha.txt"));
        QTest::keyClicks(app.lyricsBox(), QStringLiteral("edit"));
        app.install.addLyrics(QStringLiteral("Z/Zed - One.txt"));
        app.dialogs.queueAnswer(Answer::Cancel);
        update->click();
        QCOMPARE(app.dialogs.last().text, QStringLiteral("Save changes to Band - Alpha?"));
        QCOMPARE(app.state().nodes.count(), 4);
    }

    // The stored maker's site leads every web address the program makes.
    void everyWebPathFollowsTheMakerSite()
    {
        storeConfig(QStringLiteral("MakerSite"), QStringLiteral("https://mirror.example/z/"));
        StartedApp app(oneSong);
        app.clickSong(QStringLiteral("B/Band - Alpha.txt"));
        app.button("SearchKaraoke")->trigger();
        app.button("Help")->trigger();
        control<QToolButton>(openOptions(app), "imgHelp")->click();
        control<QPushButton>(openAbout(app), "cmdCheck")->click();
        const QString site = QStringLiteral("https://mirror.example/z/tunewright/");
        QCOMPARE(app.dialogs.openedInShell(),
                 (QList<QUrl>{QUrl(site + QStringLiteral("getkaraoke.php?artist=Band&song=Alpha")),
                              QUrl(site + QStringLiteral("faq/faq2.php?catnr=8")),
                              QUrl(site + QStringLiteral("faq/faq1.php?faqnr=69")),
                              QUrl(site + QStringLiteral("zephnews.php?vid=0.5.0rc1"))}));
    }

    // The About window's version and information, each shown in its frame.
    void aboutShowsVersionAndInformation_data()
    {
        QTest::addColumn<QString>("frame");
        QTest::addColumn<QString>("label");
        QTest::addColumn<QString>("text");
        QTest::newRow("version") << QStringLiteral("Version") << QStringLiteral("lblVersion")
                                 << QStringLiteral("0.5.0 RC1");
        QTest::newRow("release date") << QStringLiteral("Version") << QStringLiteral("lblReleaseDate")
                                      << QStringLiteral("September 7, 2004");
        QTest::newRow("what it is") << QStringLiteral("Information") << QStringLiteral("Label6")
                                    << QStringLiteral("Stanzary is an Tunewright' plugin created to help you to "
                                                      "manage and organize your lyrics collection.");
        QTest::newRow("risk") << QStringLiteral("Information") << QStringLiteral("Label14")
                              << QStringLiteral("Use at your own risk!");
        QTest::newRow("thanks") << QStringLiteral("Information") << QStringLiteral("Label12")
                                << QStringLiteral("Thanks to everyone who tried the release candidates and told "
                                                  "us what went wrong.");
    }
    void aboutShowsVersionAndInformation()
    {
        QFETCH(QString, frame);
        QFETCH(QString, label);
        QFETCH(QString, text);
        StartedApp app(oneSong);
        frmAbout *about = openAbout(app);
        QVERIFY(about);
        auto *shown = about->findChild<QLabel *>(label);
        QVERIFY(shown && shown->isVisible());
        QCOMPARE(shown->text(), text);
        auto *box = qobject_cast<QGroupBox *>(shown->parentWidget());
        QVERIFY(box);
        QCOMPARE(box->title(), frame);
    }

    // Each row of the legend shows the image list's picture for its kind of
    // song.
    void legendPairsPicturesWithTexts_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("image");
        QTest::addColumn<QString>("text");
        QTest::newRow("0") << 0 << int(Icon::HasTimestamps) << QStringLiteral("Filtered song with karaoke downloaded");
        QTest::newRow("1") << 1 << int(Icon::UnfilteredHasTimestamps)
                           << QStringLiteral("Unfiltered song with karaoke downloaded");
        QTest::newRow("2") << 2 << int(Icon::KaraokeAvailable)
                           << QStringLiteral("Filtered song with karaoke avaliable");
        QTest::newRow("3") << 3 << int(Icon::UnfilteredKaraokeAvailable)
                           << QStringLiteral("Unfiltered song with karaoke avaliable");
        QTest::newRow("4") << 4 << int(Icon::LyricsOnly)
                           << QStringLiteral("Filtered song without karaoke Why don't you create?");
        QTest::newRow("5") << 5 << int(Icon::LyricsUnfiltered)
                           << QStringLiteral("Unfiltered song without karaoke. Create!");
    }
    void legendPairsPicturesWithTexts()
    {
        QFETCH(int, row);
        QFETCH(int, image);
        QFETCH(QString, text);
        StartedApp app(oneSong);
        frmAbout *about = openAbout(app);
        QVERIFY(about);
        QCOMPARE(about->windowTitle(), QStringLiteral("About ZEPH"));
        auto *picture = about->findChild<QLabel *>(QStringLiteral("img%1").arg(row));
        QVERIFY(picture);
        QCOMPARE(picture->pixmap().toImage(), pictureOf(IconSet::icon(image), *picture));
        QCOMPARE(about->findChild<QLabel *>(QStringLiteral("lblLegend%1").arg(row))->text(), text);
        QCOMPARE(picture->accessibleName(), text);
    }

    // Each caption is read with what it names: that stands on the caption's
    // line, a short gap after the caption's text or picture, also in a widened
    // window (a column that takes the spare width would push it far away); a line that
    // continues another starts below it at its left edge.
    void captionsStandBesideWhatTheyName_data()
    {
        QTest::addColumn<bool>("about");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("named");
        QTest::addColumn<bool>("below");
        QTest::newRow("version") << true << QStringLiteral("Label3") << QStringLiteral("lblVersion") << false;
        QTest::newRow("release date") << true << QStringLiteral("Label2") << QStringLiteral("lblReleaseDate") << false;
        QTest::newRow("first legend") << true << QStringLiteral("img0") << QStringLiteral("lblLegend0") << false;
        QTest::newRow("last legend") << true << QStringLiteral("img5") << QStringLiteral("lblLegend5") << false;
        QTest::newRow("lyrics folder") << false << QStringLiteral("Label8") << QStringLiteral("lblMainLyricsFolder")
                                       << false;
        QTest::newRow("cache") << false << QStringLiteral("Label3") << QStringLiteral("lblCacheStyle") << false;
        QTest::newRow("index age") << false << QStringLiteral("Label5") << QStringLiteral("lblIndexAge") << false;
        QTest::newRow("index count") << false << QStringLiteral("lblIndexAge") << QStringLiteral("lblIndexCount")
                                     << true;
    }
    void captionsStandBesideWhatTheyName()
    {
        QFETCH(bool, about);
        QFETCH(QString, caption);
        QFETCH(QString, named);
        QFETCH(bool, below);
        StartedApp app(oneSong);
        QWidget *window = about ? static_cast<QWidget *>(openAbout(app)) : openOptions(app);
        QVERIFY(window);
        window->resize(window->width() + 200, window->height()); // widened by the user
        QApplication::processEvents();
        auto *c = window->findChild<QLabel *>(caption);
        auto *n = window->findChild<QLabel *>(named);
        QVERIFY(c && n && c->isVisible() && n->isVisible());
        const QRect cr(c->mapTo(window, c->contentsRect().topLeft()), c->contentsRect().size());
        const QRect nr(n->mapTo(window, n->contentsRect().topLeft()), n->contentsRect().size());
        const int line = c->fontMetrics().height();
        if (below) {
            QCOMPARE(nr.left(), cr.left());
            QVERIFY(nr.top() > cr.bottom() && nr.top() - cr.bottom() < line);
            return;
        }
        // Where the caption's ink ends: its picture, or its text from the left.
        const int shownWidth = c->pixmap().isNull() ? c->fontMetrics().horizontalAdvance(c->text()) : cr.width();
        const int gap = nr.left() - (cr.left() + shownWidth);
        QVERIFY2(gap > 0 && gap < 2 * line, qPrintable(QStringLiteral("gap %1").arg(gap)));
        QVERIFY(nr.top() <= cr.center().y() && cr.center().y() <= nr.bottom());
    }

    // With STANZARY_SHOTS=<folder>, pictures of both windows.
    void screenshots()
    {
        const QString shots = qEnvironmentVariable("STANZARY_SHOTS");
        if (shots.isEmpty())
            QSKIP("set STANZARY_SHOTS to a folder to write screenshots");
        StartedApp app(oneSong);
        frmOptions *options = openOptions(app);
        QTest::qWait(50);
        options->grab().save(shots + QStringLiteral("/options.png"));
        frmAbout *about = openAbout(app);
        QTest::qWait(50);
        about->grab().save(shots + QStringLiteral("/about.png"));
    }
};

QTEST_MAIN(tst_OptionsAndAbout)
#include "tst_optionsandabout.moc"
