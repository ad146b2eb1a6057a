#include "store/CollectionScan.h"

#include "karaoke/KaraokeIndex.h"

#include "../../bench/CollectionGenerator.h"
#include "FakeInstallation.h"
#include "TestText.h"

#include <QFile>
#include <QLocale>
#include <QTemporaryDir>
#include <QtTest>

#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace stanzary;
using stanzary::test::FakeInstallation;

namespace {

using test::lines;

// "key text image" per node, children indented, by position.
QStringList describe(const NodeCollection &nodes)
{
    QStringList out;
    for (int p = 1; p <= nodes.count(); ++p) {
        const TreeNode &n = nodes.at(p);
        out << (nodes.parentOf(p) == 0 ? QString() : QStringLiteral("  ")) + n.key + u'|' + n.text + u'|'
                   + QString::number(n.image);
    }
    return out;
}

QByteArray indexFor(const QStringList &fileNames)
{
    QByteArray out;
    for (const QString &name : fileNames) {
        const AvailabilityKey key = availabilityKeyFor(name);
        out += QByteArray(reinterpret_cast<const char *>(key.data()), 5);
    }
    return out;
}

} // namespace

class tst_CollectionScan : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    std::unique_ptr<FakeInstallation> m_host;
    std::unique_ptr<basMain> m_state;

    void point(bool singleDir, bool checkTimestamps = true)
    {
        m_state->strHostPath = m_host->hostPath();
        m_state->strLyricsPath = m_host->lyricsPath();
        m_state->blnSingleDir = singleDir;
        m_state->blnCheckTimestampsAtStart = checkTimestamps;
    }

private slots:
    void init()
    {
        QLocale::setDefault(QLocale::c());
        QVERIFY(m_dir.isValid());
        m_host = std::make_unique<FakeInstallation>(m_dir.path() + QStringLiteral("/host"));
        m_state = std::make_unique<basMain>();
    }
    void cleanup()
    {
        m_state.reset();
        QDir(m_dir.path() + QStringLiteral("/host")).removeRecursively();
    }

    void mixedCaseArtistIsOneNode()
    {
        m_host->addLyrics(QStringLiteral("Some Band - One.txt"));
        m_host->addLyrics(QStringLiteral("some band - Two.txt"));
        point(true);
        BuildTree(*m_state);
        QCOMPARE(describe(m_state->nodes),
                 lines({"keysome band|Some Band|9", "  Some Band - One.txt|One|10", "  some band - Two.txt|Two|10"}));
    }

    // Names in bytes that do not decode (Latin-1 under UTF-8) cannot be
    // opened by their text: the scan counts them and tells where they are,
    // also the files of a subfolder whose own name does not decode.
    void undecodableNamesAreCountedWithTheirFolders_data()
    {
        QTest::addColumn<bool>("singleDir");
        QTest::newRow("subfolders") << false;
        QTest::newRow("single folder") << true;
    }
    void undecodableNamesAreCountedWithTheirFolders()
    {
        QFETCH(bool, singleDir);
        const QString sub = singleDir ? QString() : QStringLiteral("A/");
        m_host->addLyrics(sub + QStringLiteral("Band - Song.txt"));
        const QByteArray folder = QFile::encodeName(m_host->lyricsPath() + sub);
        test::RawNamedFiles made;
        made.file(folder + "Caf\xe9 - One.txt");
        made.file(folder + "Caf\xe9 - Two.TXT");
        made.file(folder + "Caf\xe9 - Two.kas");
        if (!singleDir) {
            made.folder(folder + "../L\xe9");
            made.file(folder + "../L\xe9/Band - Three.txt");
        }
        point(singleDir);
        BuildTree(*m_state);
        QCOMPARE(m_state->intLyricsCount, 1);
        QStringList folders{m_host->lyricsPath() + sub};
        if (!singleDir)
            folders.prepend(m_host->lyricsPath() + QStringLiteral("L\ufffd/"));
        QCOMPARE(m_state->unlistedLyrics.count, singleDir ? 2 : 3);
        QCOMPARE(m_state->unlistedLyrics.folders, folders);
    }

    void artistContinuesInNextFolder()
    {
        m_host->addLyrics(QStringLiteral("A/Band - X.txt"));
        m_host->addLyrics(QStringLiteral("B/Band - Y.txt"));
        point(false);
        BuildTree(*m_state);
        QCOMPARE(describe(m_state->nodes), lines({"keyband|Band|9", "  A/Band - X.txt|X|10", "  B/Band - Y.txt|Y|10"}));
        QCOMPARE(m_state->intLyricsCount, 2);
    }

    void artistMetAgainAfterAnotherJoinsItsNode()
    {
        // Scan order: "Band - X", "Band 2 - Y", "Band-Z": Band is met twice.
        m_host->addLyrics(QStringLiteral("Band-Z.txt"));
        m_host->addLyrics(QStringLiteral("Band 2 - Y.txt"));
        m_host->addLyrics(QStringLiteral("Band - X.txt"));
        point(true);
        BuildTree(*m_state);
        QCOMPARE(describe(m_state->nodes), lines({"keyband|Band|9", "  Band - X.txt|X|10", "keyband 2|Band 2|9",
                                                  "  Band 2 - Y.txt|Y|10", "  Band-Z.txt|Z|10"}));
        QCOMPARE(m_state->nodes.children(1), (QList<int>{2, 5}));
        QCOMPARE(m_state->intLyricsCount, 3);
    }

    void namesWithoutDashAndEmptyTitles()
    {
        m_host->addLyrics(QStringLiteral("Readme.txt"));
        m_host->addLyrics(QStringLiteral("Intro -.txt"));
        m_host->addLyrics(QStringLiteral("Band - Song.TXT"));
        m_host->addLyrics(QStringLiteral("Band - Tune.mp3"));
        m_host->addLyrics(QStringLiteral(".Hidden - Song.txt"));
        m_host->addLyrics(QStringLiteral(" Spaced  -  Out - Live .txt"));
        point(true);
        BuildTree(*m_state);
        QCOMPARE(describe(m_state->nodes),
                 lines({"keyspaced|Spaced|9", "   Spaced  -  Out - Live .txt|Out - Live|10", "keyband|Band|9",
                        "  Band - Song.TXT|Song|10", "keyintro|Intro|9", "  Intro -.txt||10"}));
        QCOMPARE(m_state->intLyricsCount, 3);
    }

    void upperCaseTwinsKeepBothSongs()
    {
        // "STRASSE" and "Straße" agree in upper case but not in lower case.
        if (QStringLiteral("Straße").toUpper() != QStringLiteral("STRASSE"))
            QSKIP("this Qt does not map ß to SS in upper case");
        m_host->addLyrics(QStringLiteral("STRASSE - A.txt"));
        m_host->addLyrics(QStringLiteral("Straße - B.txt"));
        point(true);
        BuildTree(*m_state);
        QCOMPARE(m_state->intLyricsCount, 2);
        QVERIFY(m_state->nodes.contains(QStringLiteral("STRASSE - A.txt")));
        QVERIFY(m_state->nodes.contains(QStringLiteral("Straße - B.txt")));
        for (int p = 1; p <= m_state->nodes.count(); ++p)
            QVERIFY(m_state->nodes.childCount(p) > 0 || m_state->nodes.parentOf(p) != 0);
    }

    void folderModes_data()
    {
        QTest::addColumn<bool>("singleDir");
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QStringList>("expected");
        QTest::addColumn<bool>("singleDirAfter");
        QTest::newRow("no subfolders switches to single-folder mode")
            << false << lines({"Band - X.txt"}) << lines({"keyband|Band|9", "  Band - X.txt|X|10"}) << true;
        QTest::newRow("subfolder mode ignores top-level files")
            << false << lines({"Top - Level.txt", "b/Band - X.txt", "C/Cat - Y.txt"})
            << lines({"keyband|Band|9", "  b/Band - X.txt|X|10", "keycat|Cat|9", "  C/Cat - Y.txt|Y|10"}) << false;
        QTest::newRow("empty artist first in the scan still gets its node")
            << true << lines({"- Intro.txt", "Band - X.txt"})
            << lines({"key||9", "  - Intro.txt|Intro|10", "keyband|Band|9", "  Band - X.txt|X|10"}) << true;
        QTest::newRow("single-folder mode ignores subfolders")
            << true << lines({"Top - Level.txt", "B/Band - X.txt"})
            << lines({"keytop|Top|9", "  Top - Level.txt|Level|10"}) << true;
    }
    void folderModes()
    {
        QFETCH(bool, singleDir);
        QFETCH(QStringList, files);
        QFETCH(QStringList, expected);
        QFETCH(bool, singleDirAfter);
        for (const QString &f : files)
            m_host->addLyrics(f);
        point(singleDir);
        BuildTree(*m_state);
        QCOMPARE(describe(m_state->nodes), expected);
        QCOMPARE(m_state->blnSingleDir, singleDirAfter);
    }

    void iconsAndCounters()
    {
        m_host->addLyrics(QStringLiteral("Band - Kas.txt"));
        m_host->addKas(QStringLiteral("Band - Kas.txt"));
        m_host->addLyrics(QStringLiteral("Band - Upper.txt"));
        m_host->writeFile(QStringLiteral("lyrics/Band - UPPER.KAS"), QByteArrayLiteral(";\r\n"));
        m_host->addLyrics(QStringLiteral("Band - Listed.txt"));
        m_host->addLyrics(QStringLiteral("Band - Both.txt"));
        m_host->addKas(QStringLiteral("Band - Both.txt"));
        m_host->addLyrics(QStringLiteral("Band - Plain.txt"));
        m_host->writeFile(QStringLiteral("lyrics/.Band - Plain.kas"), QByteArrayLiteral(";\r\n")); // hidden: not there
        m_host->writeKaraokeIndex(indexFor(lines({"band - listed.TXT", "Band - Both.txt"})));
        point(true);
        const CountPanelTexts texts = BuildTree(*m_state);
        const NodeCollection &n = m_state->nodes;
        QCOMPARE(n.at(n.positionOf(QStringLiteral("Band - Kas.txt"))).image, 7);
        QCOMPARE(n.at(n.positionOf(QStringLiteral("Band - Upper.txt"))).image, 7);
        QCOMPARE(n.at(n.positionOf(QStringLiteral("Band - Listed.txt"))).image, 6);
        QCOMPARE(n.at(n.positionOf(QStringLiteral("Band - Both.txt"))).image, 7);
        QCOMPARE(n.at(n.positionOf(QStringLiteral("Band - Plain.txt"))).image, 10);
        QCOMPARE(m_state->intLyricsCount, 5);
        QCOMPARE(m_state->intTimestampsDownloaded, 3);
        QCOMPARE(m_state->intTimestampsAvaliable, 1);
        QCOMPARE(texts.lyricsCount, QStringLiteral("Lyrics: 5"));
        QCOMPARE(texts.downloadedCount, QStringLiteral("3 downloaded"));
        QCOMPARE(texts.availableCount, QStringLiteral("+ 1 avaliable for download"));
        QCOMPARE(texts.percent, QStringLiteral("= 80% of your lyrics"));
        QVERIFY(texts.timestampsCount.isNull());
        QCOMPARE(m_state->strIndexRecordCount, QStringLiteral("2"));
        QVERIFY(!texts.collectionEmpty);
    }

    void availabilityOffAtStart()
    {
        m_host->addLyrics(QStringLiteral("Band - Listed.txt"));
        m_host->addLyrics(QStringLiteral("Band - Kas.txt"));
        m_host->addKas(QStringLiteral("Band - Kas.txt"));
        m_host->writeKaraokeIndex(indexFor(lines({"Band - Listed.txt"})));
        point(true, false);
        const CountPanelTexts texts = BuildTree(*m_state);
        QCOMPARE(m_state->nodes.at(m_state->nodes.positionOf(QStringLiteral("Band - Listed.txt"))).image, 10);
        QCOMPARE(m_state->intTimestampsAvaliable, 0);
        QCOMPARE(texts.timestampsCount, QStringLiteral("Timestamps: 1"));
        QVERIFY(texts.downloadedCount.isNull());
        QVERIFY(texts.availableCount.isNull());
        QVERIFY(texts.percent.isNull());
        QVERIFY(m_state->strIndexRecordCount.isNull());
    }

    void noIndexWithoutAHost()
    {
        // Host not found: a "kl.dbx" in the working folder is not the host's.
        m_host->addLyrics(QStringLiteral("Band - Listed.txt"));
        m_host->writeKaraokeIndex(indexFor(lines({"Band - Listed.txt"})));
        point(true);
        m_state->strHostPath.clear();
        const QString saved = QDir::currentPath();
        QVERIFY(QDir::setCurrent(m_host->root()));
        BuildTree(*m_state);
        QDir::setCurrent(saved);
        QCOMPARE(m_state->nodes.at(2).image, 10);
        QCOMPARE(m_state->intTimestampsAvaliable, 0);
        QCOMPARE(m_state->strIndexRecordCount, QStringLiteral("0"));
    }

    void snapshotIsTheScannedTree()
    {
        // Pending events run at the end of a scan; a handler that changes the
        // tree then (a search typed meanwhile) must not shape the snapshot.
        m_host->addLyrics(QStringLiteral("Band - X.txt"));
        m_host->addLyrics(QStringLiteral("Cat - Y.txt"));
        point(true);
        QMetaObject::invokeMethod(
            &m_state->nodes, [this] { m_state->nodes.clear(); }, Qt::QueuedConnection);
        BuildTree(*m_state);
        QCOMPARE(m_state->NodeSnapshot.size(), 4);
    }

    void percentages_data()
    {
        QTest::addColumn<int>("songs");
        QTest::addColumn<int>("withKas");
        QTest::addColumn<QString>("percent");
        QTest::newRow("3 songs, 1 stamped") << 3 << 1 << QStringLiteral("= 33.3% of your lyrics");
        QTest::newRow("8 songs, 1 stamped") << 8 << 1 << QStringLiteral("= 12.5% of your lyrics");
        QTest::newRow("3 songs, 2 stamped") << 3 << 2 << QStringLiteral("= 66.6% of your lyrics");
        QTest::newRow("2 songs, none") << 2 << 0 << QStringLiteral("= 0% of your lyrics");
    }
    void percentages()
    {
        QFETCH(int, songs);
        QFETCH(int, withKas);
        QFETCH(QString, percent);
        for (int i = 0; i < songs; ++i) {
            const QString key = QStringLiteral("Band - Song %1.txt").arg(i);
            m_host->addLyrics(key);
            if (i < withKas)
                m_host->addKas(key);
        }
        point(true);
        QCOMPARE(BuildTree(*m_state).percent, percent);
    }

    void percentText_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("33.3") << 100.0 / 3 << QStringLiteral("33.3");
        QTest::newRow("14.2") << 100.0 / 7 << QStringLiteral("14.2");
        QTest::newRow("6.25") << 6.25 << QStringLiteral("6.25");
        QTest::newRow("100") << 100.0 << QStringLiteral("100");
        QTest::newRow("7") << 7.000000000000001 << QStringLiteral("7");
        QTest::newRow("66.6 cut, not rounded") << 200.0 / 3 << QStringLiteral("66.6");
        QTest::newRow("small, no exponent") << 0.00001 << QStringLiteral("0.00");
        QTest::newRow("zero") << 0.0 << QStringLiteral("0");
    }
    void percentText()
    {
        QFETCH(double, value);
        QFETCH(QString, text);
        QCOMPARE(PercentText(value), text);
    }

    void percentUsesTheLocaleSeparator()
    {
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        QCOMPARE(PercentText(12.5), QStringLiteral("12,5"));
        QLocale::setDefault(QLocale::c());
    }

    void missingLyricsFolder()
    {
        basMain &s = *m_state;
        s.NodeSnapshot.append(TreeNodeRecord{QStringLiteral("Old"), QStringLiteral("keyold"), 9, false, QString()});
        point(false);
        s.strLyricsPath = m_host->root() + QStringLiteral("nowhere/");
        int calls = 0;
        CountPanelTexts shown;
        TreeScanCallbacks callbacks;
        callbacks.showCounts = [&](const CountPanelTexts &t) {
            ++calls;
            shown = t;
        };
        int countsBeforeEvents = -1;
        callbacks.letPendingEventsRun = [&] { countsBeforeEvents = calls; };
        const CountPanelTexts texts = BuildTree(s, callbacks);
        QCOMPARE(calls, 1);
        QCOMPARE(countsBeforeEvents, 1); // the window paints the finished counts
        QCOMPARE(shown.lyricsCount, texts.lyricsCount);
        QCOMPARE(s.nodes.count(), 0);
        QVERIFY(texts.collectionEmpty);
        QCOMPARE(texts.lyricsCount, QStringLiteral("Lyrics: Not found"));
        QCOMPARE(texts.timestampsCount, QStringLiteral("Timestamps: -"));
        QCOMPARE(texts.downloadedCount, QStringLiteral("-"));
        QCOMPARE(texts.availableCount, QStringLiteral("-"));
        QCOMPARE(texts.percent, QStringLiteral("-"));
        QVERIFY(s.NodeSnapshot.isEmpty());
        QVERIFY(!s.blnSingleDir);
    }

    void snapshotFollowsTheTree()
    {
        m_host->addLyrics(QStringLiteral("a/Band - X.txt"));
        m_host->addKas(QStringLiteral("a/Band - X.txt"));
        m_host->addLyrics(QStringLiteral("c/Cat - Y.txt"));
        point(false);
        BuildTree(*m_state);
        const QList<TreeNodeRecord> &snap = m_state->NodeSnapshot;
        QCOMPARE(snap.size(), 4);
        QCOMPARE(snap[0].NodeKey, QStringLiteral("keyband"));
        QCOMPARE(snap[0].NodeText, QStringLiteral("Band"));
        QCOMPARE(snap[0].NodeImage, 9);
        QVERIFY(!snap[0].IsSong);
        QVERIFY(snap[0].ParentKey.isEmpty());
        QCOMPARE(snap[1].NodeKey, QStringLiteral("a/Band - X.txt"));
        QCOMPARE(snap[1].NodeImage, 7);
        QVERIFY(snap[1].IsSong);
        QCOMPARE(snap[1].ParentKey, QStringLiteral("keyband"));
        QCOMPARE(snap[3].ParentKey, QStringLiteral("keycat"));
    }

    void rescanStartsAfresh()
    {
        m_host->addLyrics(QStringLiteral("Band - X.txt"));
        point(true);
        BuildTree(*m_state);
        m_state->nodes.setTag(1, QStringLiteral("filterchecked"));
        m_host->addLyrics(QStringLiteral("Cat - Y.txt"));
        RescanTree(*m_state);
        QCOMPARE(describe(m_state->nodes),
                 lines({"keyband|Band|9", "  Band - X.txt|X|10", "keycat|Cat|9", "  Cat - Y.txt|Y|10"}));
        QVERIFY(m_state->nodes.at(1).tag.isEmpty());
        QCOMPARE(m_state->intLyricsCount, 2);
        QCOMPARE(m_state->NodeSnapshot.size(), 4);
    }

    void deleteBookkeeping_data()
    {
        QTest::addColumn<bool>("checkAtStart");
        QTest::addColumn<bool>("hadKas");
        QTest::addColumn<int>("image");
        QTest::addColumn<QStringList>("expected"); // lyrics, big, small, avaliable, percent
        QTest::newRow("stamped song") << true << true << 7
                                      << lines({"Lyrics: 2", "", "0 downloaded", "+ 1 avaliable for download",
                                                "= 50% of your lyrics"});
        QTest::newRow("available song, unfiltered icon")
            << true << false << 16
            << lines({"Lyrics: 2", "", "1 downloaded", "+ 0 avaliable for download", "= 50% of your lyrics"});
        QTest::newRow("availability off") << false << true << 7 << lines({"Lyrics: 2", "Timestamps: 0", "", "", ""});
    }
    void deleteBookkeeping()
    {
        QFETCH(bool, checkAtStart);
        QFETCH(bool, hadKas);
        QFETCH(int, image);
        QFETCH(QStringList, expected);
        basMain &s = *m_state;
        s.blnCheckTimestampsAtStart = checkAtStart;
        s.intLyricsCount = 3;
        s.intTimestampsDownloaded = 1;
        s.intTimestampsAvaliable = checkAtStart ? 1 : 0;
        const CountPanelTexts t = countDeletedSong(s, hadKas, image);
        QCOMPARE((QStringList{t.lyricsCount, t.timestampsCount, t.downloadedCount, t.availableCount, t.percent}),
                 expected);
        QVERIFY(!t.collectionEmpty);
    }

    void deletingTheLastSong()
    {
        basMain &s = *m_state;
        s.intLyricsCount = 1;
        s.intTimestampsDownloaded = 1;
        const CountPanelTexts t = countDeletedSong(s, true, 7);
        QCOMPARE(t.lyricsCount, QStringLiteral("Lyrics: 0"));
        QCOMPARE(t.percent, QStringLiteral("-"));
        QVERIFY(t.collectionEmpty);
        QCOMPARE(s.intTimestampsDownloaded, 0);
    }

    void generatedCollectionScansAsGenerated()
    {
        bench::GeneratorOptions options;
        options.songs = 400;
        options.indexRecords = 1000;
        options.nonConsecutiveOneIn = 7;
        options.seed = 11;
        const bench::CollectionGenerator generator(options);
        generator.writeTo(m_host->hostPath(), m_host->lyricsPath());
        point(false);
        BuildTree(*m_state);
        NodeCollection expected;
        generator.fillNodes(expected);
        QCOMPARE(describe(m_state->nodes), describe(expected));
        int kas = 0, listed = 0;
        for (const bench::GeneratedSong &song : generator.songs()) {
            kas += song.hasKas ? 1 : 0;
            listed += song.inIndex ? 1 : 0;
        }
        QCOMPARE(m_state->intLyricsCount, static_cast<int>(generator.songs().size()));
        QCOMPARE(m_state->intTimestampsDownloaded, kas);
        QCOMPARE(m_state->intTimestampsAvaliable, listed);
    }
};

QTEST_GUILESS_MAIN(tst_CollectionScan)
#include "tst_collectionscan.moc"
