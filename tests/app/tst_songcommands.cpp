#include "app/ImageIndex.h"
#include "app/SongCommands.h"
#include "app/basMain.h"
#include "lists/SongLists.h"

#include "FakeInstallation.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace stanzary;

class tst_SongCommands : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void karaokeSearchAddressChangesOnlySpaces()
    {
        QCOMPARE(karaokeSearchAddress(QStringLiteral("https://mirror.example/z"), QStringLiteral("Big  Band"),
                                      QStringLiteral("Rock & Roll")),
                 QStringLiteral(
                     "https://mirror.example/z/tunewright/getkaraoke.php?artist=Big%20%20Band&song=Rock%20&%20Roll"));
    }

    void onlyWebAddressesReachTheBrowser_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("http") << QStringLiteral(" http://site.example/a b.html ") << true;
        QTest::newRow("https upper case") << QStringLiteral("HTTPS://site.example/") << true;
        QTest::newRow("file") << QStringLiteral("file:///etc/passwd") << false;
        QTest::newRow("program") << QStringLiteral("/usr/bin/xterm") << false;
        QTest::newRow("javascript") << QStringLiteral("javascript:alert(1)") << false;
        QTest::newRow("no host") << QStringLiteral("http://") << false;
        QTest::newRow("empty") << QString() << false;
    }
    void onlyWebAddressesReachTheBrowser()
    {
        QFETCH(QString, address);
        QFETCH(bool, accepted);
        QCOMPARE(webAddress(address).has_value(), accepted);
    }

    void siteNamesBecomeWebAddresses()
    {
        QCOMPARE(siteAddress(QStringLiteral("www.site.example"))->toString(),
                 QStringLiteral("http://www.site.example"));
        QVERIFY(!siteAddress(QString()).has_value());
        QVERIFY(!siteAddress(QStringLiteral("../etc")).has_value());
    }

    void karaokeTextFollowsStateAndStartOption_data()
    {
        QTest::addColumn<bool>("checkAtStart");
        QTest::addColumn<int>("image");
        QTest::addColumn<bool>("kas");
        QTest::addColumn<QString>("text");
        QTest::newRow("timestamps") << true << int(Icon::HasTimestamps) << true << QStringLiteral("Timestamps found");
        QTest::newRow("available unfiltered")
            << true << int(Icon::UnfilteredKaraokeAvailable) << false
            << QStringLiteral("Timestamps are avaliable for download. Click 'Search Kar' button to get them!");
        QTest::newRow("lyrics only")
            << true << int(Icon::LyricsOnly) << false
            << QStringLiteral("Timestamps not found. You can create them, and also upload them to the server!");
        QTest::newRow("check off")
            << false << int(Icon::KaraokeAvailable) << false
            << QStringLiteral("Karaoke not found. It may be avaliable for download, or you can create it by yourself!");
    }
    void karaokeTextFollowsStateAndStartOption()
    {
        QFETCH(bool, checkAtStart);
        QFETCH(int, image);
        QFETCH(bool, kas);
        QFETCH(QString, text);
        QTemporaryDir tmp;
        test::FakeInstallation inst(tmp.path());
        inst.addLyrics(QStringLiteral("A/Act - Song.txt"), "words\r\n");
        if (kas)
            inst.addKas(QStringLiteral("A/Act - Song.txt"));
        basMain state;
        state.strLyricsPath = inst.lyricsPath();
        state.blnCheckTimestampsAtStart = checkAtStart;
        state.nodes.add(QStringLiteral("keyact"), QStringLiteral("Act"), Icon::Artist);
        state.nodes.add(QStringLiteral("A/Act - Song.txt"), QStringLiteral("Song"), image, QStringLiteral("keyact"));
        SelectSongNode(state, 2);
        QCOMPARE(state.strCurrentArtist, QStringLiteral("Act"));
        QCOMPARE(state.intCurrentParentIndex, 1);
        const LyricsDetails d = ShowLyricsDetails(state);
        QVERIFY(d.fileFound);
        QCOMPARE(d.lblKaraoke, text);
        QCOMPARE(d.loadKaraokeEditor, kas);
    }

    void deleteCountsAndKeepsTheRest()
    {
        QTemporaryDir tmp;
        test::FakeInstallation inst(tmp.path());
        const QString a = inst.addLyrics(QStringLiteral("A/Act - One.txt"));
        inst.addLyrics(QStringLiteral("A/Act - Two.txt"));
        inst.addKas(QStringLiteral("A/Act - One.txt"));
        basMain state;
        state.strLyricsPath = inst.lyricsPath();
        state.intLyricsCount = 2;
        state.intTimestampsDownloaded = 1;
        state.nodes.add(QStringLiteral("keyact"), QStringLiteral("Act"), Icon::Artist);
        state.nodes.add(QStringLiteral("A/Act - One.txt"), QStringLiteral("One"), Icon::HasTimestamps,
                        QStringLiteral("keyact"));
        state.nodes.add(QStringLiteral("A/Act - Two.txt"), QStringLiteral("Two"), Icon::LyricsOnly,
                        QStringLiteral("keyact"));
        SongLists lists;
        lists.LoadLists(inst.root(), state.codePage);
        SelectSongNode(state, 2);
        const DeleteOutcome out = DeleteCurrentSong(state, lists);
        QVERIFY(!out.nothingToDelete);
        QVERIFY(!QFile::exists(a));
        QVERIFY(QFile::exists(inst.lyricsPath() + QStringLiteral("A/Act - One.kas"))); // timestamps stay
        QCOMPARE(state.intLyricsCount, 1);
        QCOMPARE(state.intTimestampsDownloaded, 0);
        QCOMPARE(out.counts.percent, QStringLiteral("= 0% of your lyrics"));
        QCOMPARE(out.nodeToChoose, 1);
        QCOMPARE(lists.deleted.entries(), QStringList{QStringLiteral("Act - One")});
        QCOMPARE(test::readAll(inst.root() + QStringLiteral("deleted.txt")), QByteArray("Act - One\r\n"));
        // a second delete of the same, now missing, file changes nothing
        QVERIFY(DeleteCurrentSong(state, lists).nothingToDelete);
        QCOMPARE(state.intLyricsCount, 1);

        // a file that cannot be deleted keeps its song, counts and list as they were
        SelectSongNode(state, 2);
        const auto refuse = [](const QString &, QString *reason) {
            *reason = QStringLiteral("Permission denied");
            return false;
        };
        const DeleteOutcome refused = DeleteCurrentSong(state, lists, refuse);
        QVERIFY(refused.fileDeleteFailed);
        QCOMPARE(refused.failure, QStringLiteral("Permission denied"));
        QVERIFY(state.nodes.contains(QStringLiteral("A/Act - Two.txt")));
        QCOMPARE(state.intLyricsCount, 1);
        QCOMPARE(lists.deleted.size(), 1);
    }
};

QTEST_GUILESS_MAIN(tst_SongCommands)
#include "tst_songcommands.moc"
