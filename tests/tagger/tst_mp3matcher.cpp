#include "app/ImageIndex.h"
#include "store/NodeCollection.h"
#include "store/SongNames.h"
#include "tagger/Mp3FolderScan.h"
#include "tagger/Mp3Matcher.h"

#include "FakeInstallation.h"
#include "Mp3Bytes.h"
#include "PlainMatcher.h"
#include "TestText.h"
#include "app/basMain.h"
#include "tagger/SongAudio.h"

#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

#include <chrono>
#include <future>
#include <numeric>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace stanzary;

namespace {

using test::s;

QList<TagEntry> entriesOf(const QStringList &names)
{
    QList<TagEntry> out;
    for (const QString &n : names)
        out.append({n.split(u' '), n + QStringLiteral(".txt"), 0, 0});
    return out;
}

// The tree as the collection scan builds it: one artist node per artist, its
// songs below it, keys "Artist - Song.txt".
void addSong(NodeCollection &nodes, const QString &artist, const QString &song)
{
    const QString artistKey = QStringLiteral("key") + artist.toLower();
    if (!nodes.contains(artistKey))
        nodes.add(artistKey, artist, 9);
    nodes.add(listEntry(artist, song) + QStringLiteral(".txt"), song, 10, artistKey);
}

// An ID3v2.3 tag with a title.
QByteArray id3v2(const QByteArray &title)
{
    return test::id3v2Tag(3, test::id3v2Frame("TIT2", '\0' + title));
}

const QByteArray Filtered = "words\r\nmore words\r\n[Tunewright] filter used\r\n";
const QByteArray Unfiltered = "words\r\nmore words, and no mark at the end of them\r\n";

} // namespace

class tst_Mp3Matcher : public QObject
{
    Q_OBJECT

    QTemporaryDir m_flagDir;
    QHash<QString, TaggerRow> m_flagRows;

    void scanFlagFolder()
    {
        test::FakeInstallation inst(m_flagDir.path());
        NodeCollection nodes;
        for (const char *name :
             {"Blue Lake - Night Train", "Quiet Owls - Ember", "Marsh Reed - Grey", "Velvet Fox - Shared",
              "Tin Drum - Tagged", "Iron Gate - Higher", "Cold Brook - Inside"}) {
            addSong(nodes, GetArtist(s(name)), GetSong(s(name)));
            inst.addLyrics(s(name) + s(".txt"), QByteArray(name) == "Marsh Reed - Grey" ? Unfiltered : Filtered);
        }
        const QByteArray v2 = "LYRICSBEGININD00003100000022LYRICS200";
        const QByteArray tagInside =
            "LYRICSBEGININD00003100LYR00163" + QByteArray(50, 'a') + "TAG" + QByteArray(110, 'b') + "000193LYRICS200";
        inst.writeFile(s("m/blue lake night train.mp3"), test::audioBytes(900));
        inst.writeFile(s("m/quiet owls ember.mp3"), test::audioBytes(900) + test::id3v1Record("x", "y"));
        inst.writeFile(s("m/marsh reed grey.mp3"), test::audioBytes(900) + test::id3v1Record("x", "y"));
        inst.writeFile(s("m/velvet fox shared 1.mp3"), test::audioBytes(900) + test::id3v1Record("x", "y"));
        inst.writeFile(s("m/velvet fox shared 2.mp3"), test::audioBytes(900) + test::id3v1Record("x", "y"));
        inst.writeFile(s("m/tin drum tagged.mp3"), test::audioBytes(900) + v2 + test::id3v1Record("x", "y"));
        inst.writeFile(s("m/iron gate higher.mp3"),
                       test::audioBytes(900) + QByteArray(v2).replace("200", "300") + test::id3v1Record("x", "y"));
        inst.writeFile(s("m/cold brook inside.mp3"), test::audioBytes(900) + tagInside);
        QList<TagEntry> entries = BuildTagEntries(nodes);
        const ScanResult r =
            ScanFolder(inst.root() + s("m/"), entries, EntryWordIndex(entries), inst.lyricsPath(), CodePage());
        for (const TaggerRow &row : r.rows)
            m_flagRows.insert(row.mp3Name, row);
    }

private slots:
    void entriesFromTheNodeCollection()
    {
        NodeCollection nodes;
        addSong(nodes, s("Blue  Lake"), s("Night Train"));
        addSong(nodes, s("Zed"), s("Go"));
        nodes.add(QStringLiteral("keylonely"), QStringLiteral("Lonely"), 9); // artist without songs
        addSong(nodes, s("Blue  Lake"), s("Dawn"));                          // after another artist
        const QList<TagEntry> e = BuildTagEntries(nodes);
        QCOMPARE(e.size(), 3);
        QCOMPARE(e.at(0).Words, (QStringList{s("Blue"), QString(), s("Lake"), s("-"), s("Night"), s("Train")}));
        QCOMPARE(e.at(0).Key, s("Blue  Lake - Night Train.txt"));
        QCOMPARE(e.at(1).Words.join(u' '), s("Zed - Go"));
        QCOMPARE(e.at(2).Words.join(u' '), s("Blue  Lake - Dawn"));
        QCOMPARE(e.at(2).MatchCount, 0);
    }

    void findEntries_data()
    {
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QList<int>>("found");
        const QStringList lake{s("Blue Lake - Night Train"), s("Blue Lake - Day Train")};
        QTest::newRow("case and dash ignored") << lake << s("blue lake-night train") << QList<int>{0};
        QTest::newRow("any order, inside words") << lake << s("TRAINSPOTTING at bluelakes by night") << QList<int>{0};
        QTest::newRow("a word missing") << lake << s("blue lake train") << QList<int>{};
        QTest::newRow("both") << lake << s("Blue Lake night day train") << QList<int>{0, 1};
        const QStringList apostrophe{s("Don_t Stop - Now"), s("Don't Stop - Now")};
        QTest::newRow("apostrophe becomes underscore") << apostrophe << s("Don't stop now") << QList<int>{0};
        QTest::newRow("NUL removed") << lake << s("Blue Lake Nig") + QChar(0) + s("ht Train") << QList<int>{0};
        QTest::newRow("first LAME3 removed") << QStringList{s("Lame3 - X")} << s("LAME3 x") << QList<int>{};
        QTest::newRow("second LAME3 stays") << QStringList{s("Lame3 - X")} << s("LAME3 x LAME3") << QList<int>{0};
        QTest::newRow("lower-case lame3 stays") << QStringList{s("Lame3 - X")} << s("lame3 x") << QList<int>{0};
        QTest::newRow("first ID3 removed") << QStringList{s("ID3 - Song")} << s("ID3song") << QList<int>{};
        QTest::newRow("accents ignore case")
            << QStringList{s("\u00c9t\u00e9 - No\u00ebl")} << s("\u00e9T\u00c9 NO\u00cbL") << QList<int>{0};
        QTest::newRow("no words matches all") << QStringList{s("X - Y"), s(" - ")} << s("anything") << QList<int>{1};
        QTest::newRow("repeated word") << QStringList{s("La La - La")} << s("la") << QList<int>{0};
        QTest::newRow("overlapping words") << QStringList{s("abc - bcd")} << s("abcd") << QList<int>{0};
    }
    void findEntries()
    {
        QFETCH(QStringList, names);
        QFETCH(QString, text);
        QFETCH(QList<int>, found);
        QList<TagEntry> entries = entriesOf(names);
        const EntryWordIndex index(entries);
        QCOMPARE(FindEntries(entries, index, text), found);
        QCOMPARE(FindEntries(entries, index, text), found);
        for (int e = 0; e < entries.size(); ++e)
            QCOMPARE(entries.at(e).MatchCount, found.contains(e) ? 2 : 0);
        QCOMPARE(test::PlainCandidates(entries, PrepareMatchText(text)), found);
    }

    // The word index against the plain search on random texts and words made
    // of a few letters (so that words occur inside words and overlap), with
    // accents, case pairs and characters outside the BMP.
    void indexAgreesWithThePlainSearchAndScores_data()
    {
        QTest::addColumn<int>("cs");
        QTest::newRow("ignoring case") << int(Qt::CaseInsensitive);
        QTest::newRow("case-sensitive") << int(Qt::CaseSensitive);
    }
    void indexAgreesWithThePlainSearchAndScores()
    {
        QFETCH(int, cs);
        // Symbols, not UTF-16 units: a surrogate pair is never split.
        QStringList alphabet;
        for (const QChar c : s("abAB\u00e9\u00c9\u00df\u00ff\u0178-' "))
            alphabet << QString(c);
        alphabet << QString::fromUcs4(U"\U00010400") << QString::fromUcs4(U"\U00010428");
        QRandomGenerator rng(1234);
        auto randomText = [&](int maxLength) {
            QString t;
            const int n = int(rng.bounded(maxLength + 1));
            for (int i = 0; i < n; ++i)
                t += alphabet.at(int(rng.bounded(int(alphabet.size()))));
            return t;
        };
        qsizetype found = 0;
        for (int round = 0; round < 20; ++round) {
            QStringList names;
            for (int i = 0; i < 60; ++i)
                names << randomText(4) + s(" - ") + randomText(round % 2 ? 6 : 12);
            QList<TagEntry> entries = entriesOf(names);
            const EntryWordIndex index(entries, Qt::CaseSensitivity(cs));
            for (int t = 0; t < 50; ++t) {
                // Long texts too: QString searches those differently.
                const QString text = randomText(t % 10 == 0 ? 700 : 30);
                const QList<int> candidates = index.candidates(text);
                QCOMPARE(candidates, test::PlainCandidates(entries, text, Qt::CaseSensitivity(cs)));
                found += candidates.size();
                QList<int> all(entries.size());
                std::iota(all.begin(), all.end(), 0);
                const QList<int> scores = index.scores(text, all);
                for (const int e : all)
                    QCOMPARE(scores.at(e), EntryScore(entries, e, text, Qt::CaseSensitivity(cs)));
            }
        }
        QVERIFY2(found > 5000, "too few matches to tell anything");
    }

    void countOccurrences_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("word");
        QTest::addColumn<int>("cs");
        QTest::addColumn<int>("count");
        QTest::newRow("overlapping") << s("aaa") << s("aa") << int(Qt::CaseInsensitive) << 2;
        QTest::newRow("ignoring case") << s("Sun sun SUN") << s("sun") << int(Qt::CaseInsensitive) << 3;
        QTest::newRow("with case") << s("Sun sun SUN") << s("sun") << int(Qt::CaseSensitive) << 1;
        QTest::newRow("none") << s("abc") << s("x") << int(Qt::CaseInsensitive) << 0;
        QTest::newRow("empty word") << s("abc") << QString() << int(Qt::CaseInsensitive) << 0;
    }
    void countOccurrences()
    {
        QFETCH(QString, text);
        QFETCH(QString, word);
        QFETCH(int, cs);
        QFETCH(int, count);
        QCOMPARE(CountOccurrences(text, word, Qt::CaseSensitivity(cs)), count);
    }

    void scoresAndTheBestEntry()
    {
        QList<TagEntry> e = entriesOf({s("Band - a"), s("Band - Sky Lark"), s("Band - Sky Lark")});
        const QString name = s("Band - Sky Lark.mp3");
        QCOMPARE(EntryScore(e, 0, name, Qt::CaseInsensitive), 1 + 2); // "a" in Band and Lark
        QCOMPARE(EntryScore(e, 1, name, Qt::CaseInsensitive), 3);
        e[0].Score = 3;
        e[1].Score = 3;
        e[2].Score = 3;
        QCOMPARE(BestEntry(e, {0, 1, 2}), 0); // equal: the earliest
        QCOMPARE(BestEntry(e, {2, 1}), 2);
        e[2].Score = 4;
        QCOMPARE(BestEntry(e, {0, 1, 2}), 2); // strictly greater replaces
        QCOMPARE(BestEntry(e, {}), -1);
    }

    void joinAndSplitIndexes()
    {
        QCOMPARE(JoinIndexes({3, 7, 12}, s(",")), s("3,7,12"));
        QCOMPARE(JoinIndexes({}, s(",")), QString());
        QCOMPARE(SplitIndexes(s("3,7,12"), s(",")), (QList<int>{3, 7, 12}));
        QCOMPARE(SplitIndexes(s("40000"), s(",")), QList<int>{40000});
        QCOMPARE(SplitIndexes(s("1,x,,2"), s(",")), (QList<int>{1, 2}));
        QVERIFY(IsEmptyList(SplitIndexes(QString(), s(","))));
    }

    void finalStatus_data()
    {
        QTest::addColumn<int>("rows");
        QTest::addColumn<int>("parsed");
        QTest::addColumn<QString>("status");
        QTest::newRow("third") << 3 << 9 << s("Matches: 3 / 9 (33.3%)");
        QTest::newRow("all") << 9 << 9 << s("Matches: 9 / 9 (100%)");
        QTest::newRow("two thirds cut") << 2 << 3 << s("Matches: 2 / 3 (66.6%)");
        QTest::newRow("none matched") << 0 << 4 << s("Matches: 0 / 4 (0%)");
        QTest::newRow("small share") << 1 << 30000 << s("Matches: 1 / 30000 (0.00%)");
        QTest::newRow("nothing parsed") << 0 << 0 << s("Matches: 0 / 0");
    }
    void finalStatus()
    {
        QFETCH(int, rows);
        QFETCH(int, parsed);
        QFETCH(QString, status);
        QCOMPARE(FinalMatchesStatus(rows, parsed), status);
    }

    void filterMark_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<bool>("filtered");
        QTest::newRow("mark at the end") << Filtered << true;
        QTest::newRow("no mark") << Unfiltered << false;
        QTest::newRow("mark before the last 51 bytes") << Filtered + QByteArray(40, 'x') << false;
        QTest::newRow("no-break space") << QByteArray(Unfiltered + "\xa0\r\n") << true;
        QTest::newRow("short file with mark") << QByteArray("] filter used") << true;
        QTest::newRow("short file without") << QByteArray("la") << false;
        QTest::newRow("empty file") << QByteArray() << false;
        // The window is exactly the last 51 bytes.
        const QByteArray x50(50, 'x');
        QTest::newRow("no-break space 51 bytes from the end") << Unfiltered + '\xa0' + x50 << true;
        QTest::newRow("no-break space 52 bytes from the end") << Unfiltered + '\xa0' + x50 + 'x' << false;
        QTest::newRow("mark starting 51 bytes from the end")
            << Unfiltered + "] filter used" + QByteArray(38, 'x') << true;
        QTest::newRow("mark starting 52 bytes from the end")
            << Unfiltered + "] filter used" + QByteArray(39, 'x') << false;
        QTest::newRow("51-byte file, mark first") << '\xa0' + x50 << true;
        QTest::newRow("50-byte file, mark first") << '\xa0' + QByteArray(49, 'x') << true;
    }
    void filterMark()
    {
        QFETCH(QByteArray, content);
        QFETCH(bool, filtered);
        QTemporaryDir tmp;
        const QString path = test::FakeInstallation(tmp.path()).writeFile(s("l.txt"), content);
        QCOMPARE(HasFilterMark(path), filtered);
        QVERIFY(!HasFilterMark(tmp.filePath(s("gone.txt"))));
    }

    // Every flag of a row, where it must be set and where it must not.
    void rowFlags_data()
    {
        QTest::addColumn<QString>("mp3Name");
        QTest::addColumn<bool>("shared");
        QTest::addColumn<bool>("hasLyrics3");
        QTest::addColumn<bool>("withoutId3v1");
        QTest::addColumn<bool>("filtered");
        QTest::addColumn<bool>("checked");
        QTest::newRow("safe, no record") << s("blue lake night train.mp3") << false << false << true << true << true;
        QTest::newRow("safe, record") << s("quiet owls ember.mp3") << false << false << false << true << true;
        QTest::newRow("unfiltered") << s("marsh reed grey.mp3") << false << false << false << false << false;
        QTest::newRow("shared") << s("velvet fox shared 1.mp3") << true << false << false << true << false;
        QTest::newRow("Lyrics3 v2") << s("tin drum tagged.mp3") << false << true << false << true << false;
        QTest::newRow("higher Lyrics3 version") << s("iron gate higher.mp3") << false << true << false << true << false;
        QTest::newRow("\"TAG\" inside Lyrics3") << s("cold brook inside.mp3") << false << true << true << true << false;
    }
    void rowFlags()
    {
        QFETCH(QString, mp3Name);
        QFETCH(bool, shared);
        QFETCH(bool, hasLyrics3);
        QFETCH(bool, withoutId3v1);
        QFETCH(bool, filtered);
        QFETCH(bool, checked);
        if (m_flagRows.isEmpty())
            scanFlagFolder();
        QVERIFY(m_flagRows.contains(mp3Name));
        const TaggerRow row = m_flagRows.value(mp3Name);
        QCOMPARE(row.sharedLyrics, shared);
        QCOMPARE(row.hasLyrics3, hasLyrics3);
        QCOMPARE(row.withoutId3v1, withoutId3v1);
        QCOMPARE(row.mp3Tag().isEmpty(), !withoutId3v1);
        QCOMPARE(row.filtered, filtered);
        QCOMPARE(row.checked, checked);
    }

    // The karaoke editor's audio for a song: the files the tagger's matching
    // gives it, in every remembered folder (each folder once).
    void songAudioIsFoundAmongTheFolders()
    {
        QTemporaryDir tmp;
        test::FakeInstallation inst(tmp.path());
        basMain state;
        state.strLyricsPath = inst.lyricsPath();
        for (const auto &[artist, song] :
             QList<QPair<QString, QString>>{{s("Velvet Fox"), s("Shared")}, {s("Blue Lake"), s("Night Train")}}) {
            addSong(state.nodes, artist, song);
            inst.addLyrics(listEntry(artist, song) + s(".txt"), Filtered);
        }
        const QString one = inst.writeFile(s("one/a/velvet fox shared 1.mp3"), test::audioBytes(300));
        const QString two = inst.writeFile(s("two/velvet fox shared 2.mp3"), test::audioBytes(300));
        const QString train = inst.writeFile(s("two/blue lake night train.mp3"), test::audioBytes(300));
        QVERIFY(rememberMp3Folder(state, inst.root() + s("/one")));
        QVERIFY(!rememberMp3Folder(state, inst.root() + s("/one/")));
        QVERIFY(rememberMp3Folder(state, inst.root() + s("/two")));
        SongAudioFinder finder;
        QCOMPARE(finder.filesFor(state, s("Velvet Fox - Shared.txt")), (QStringList{one, two}));
        QCOMPARE(finder.filesFor(state, s("Blue Lake - Night Train.txt")), QStringList{train});
        state.Mp3Folders.removeFirst();
        QCOMPARE(finder.filesFor(state, s("Velvet Fox - Shared.txt")), QStringList{two});
    }

    void scanFolder()
    {
        QTemporaryDir tmp;
        test::FakeInstallation inst(tmp.path());
        NodeCollection nodes;
        const QList<QPair<QString, QString>> songs{{s("Blue Lake"), s("Night Train")},  {s("Quiet Owls"), s("Ember")},
                                                   {s("Harbor Lights"), s("Low Tide")}, {s("Velvet Fox"), s("Shared")},
                                                   {s("Marsh Reed"), s("Grey")},        {s("Deep Cellar"), s("Hidden")},
                                                   {s("Tin Drum"), s("Tagged")}};
        for (const auto &[artist, song] : songs) {
            addSong(nodes, artist, song);
            inst.addLyrics(listEntry(artist, song) + s(".txt"), artist == s("Marsh Reed") ? Unfiltered : Filtered);
        }
        QList<TagEntry> entries = BuildTagEntries(nodes);
        const EntryWordIndex index(entries);
        const QString mp3s = inst.root() + s("mp3/");
        inst.writeFile(s("mp3/blue lake-night train.mp3"), test::audioBytes(2000)); // name, no tags
        inst.writeFile(s("mp3/Track01.MP3"),
                       test::audioBytes(800) + test::id3v1Record("Ember", "Quiet Owls")); // ID3v1, upper case
        inst.writeFile(s("mp3/sub/track02.mp3"), id3v2("Harbor Lights Low Tide") + test::audioBytes(900)); // ID3v2
        inst.writeFile(s("mp3/sub/deeper/Deep Cellar - Hidden.mp3"), test::audioBytes(100));               // too deep
        inst.writeFile(s("mp3/a/velvet fox shared 1.mp3"), test::audioBytes(300));
        inst.writeFile(s("mp3/a/velvet fox shared 2.mp3"), test::audioBytes(300));
        inst.writeFile(s("mp3/marsh reed grey.mp3"), test::audioBytes(40)); // short, unfiltered
        inst.writeFile(s("mp3/tin drum tagged.mp3"), test::audioBytes(600) + "LYRICSBEGININD00003100000022LYRICS200"
                                                         + test::id3v1Record("x", "y")); // holds Lyrics3
        inst.writeFile(s("mp3/nothing here.mp3"), test::audioBytes(700));
        inst.writeFile(s("mp3/Blue Lake - Night Train.txt"), "not an mp3");

        QStringList statuses;
        int eventPasses = 0;
        qsizetype statusesAfterFirstPass = -1;
        ScanCallbacks callbacks{
            {[&] { ++eventPasses; }, [&](const QString &t) { statuses << t; }, {}, [] { return false; }},
            [&] { statusesAfterFirstPass = statuses.size(); }};
        const ScanResult r = ScanFolder(mp3s, entries, index, inst.lyricsPath(), CodePage(), callbacks);

        QCOMPARE(r.filesParsed, 8);
        QCOMPARE(eventPasses, 8);
        QCOMPARE(r.rows.size(), 7);
        QCOMPARE(r.status, s("Matches: 7 / 8 (87.5%)"));
        QCOMPARE(statuses.first(), s("Matches: 1 / 1"));
        QCOMPARE(statuses.value(statusesAfterFirstPass - 1), s("Matches: 7 / 8"));
        QCOMPARE(statuses.value(statusesAfterFirstPass), s("Parsing: 1/7"));
        QVERIFY(statuses.contains(s("Parsing: 7/7")));
        QCOMPARE(statuses.last(), r.status);

        QHash<QString, TaggerRow> byName;
        for (const TaggerRow &row : r.rows)
            byName.insert(row.mp3Name, row);
        QVERIFY(!byName.contains(s("Deep Cellar - Hidden.mp3")));
        const TaggerRow name = byName.value(s("blue lake-night train.mp3"));
        QCOMPARE(name.lyricsName, s("Blue Lake - Night Train"));
        QCOMPARE(name.lyricsPath, inst.lyricsPath() + s("Blue Lake - Night Train.txt"));
        QVERIFY(name.withoutId3v1 && name.filtered && name.checked && !name.hasLyrics3);
        QCOMPARE(name.mp3Tag(), s("withoutid3"));
        const TaggerRow upper = byName.value(s("Track01.MP3"));
        QCOMPARE(upper.mp3Path, mp3s + s("Track01.MP3"));
        QCOMPARE(upper.lyricsName, s("Quiet Owls - Ember"));
        QVERIFY(!upper.withoutId3v1 && upper.checked);
        QCOMPARE(byName.value(s("track02.mp3")).lyricsName, s("Harbor Lights - Low Tide"));
        for (const char *shared : {"velvet fox shared 1.mp3", "velvet fox shared 2.mp3"}) {
            const TaggerRow row = byName.value(s(shared));
            QVERIFY(row.sharedLyrics && !row.checked);
        }
        const TaggerRow grey = byName.value(s("marsh reed grey.mp3"));
        QVERIFY(!grey.filtered && !grey.checked);
        QCOMPARE(grey.lyricsImage(), int(Icon::LyricsUnfiltered));
        const TaggerRow tagged = byName.value(s("tin drum tagged.mp3"));
        QVERIFY(tagged.hasLyrics3 && !tagged.checked && tagged.filtered);
        QCOMPARE(r.checkedCount, 3);
        QCOMPARE(entries.at(3).MatchCount, 2);

        // The plain search gives the same rows.
        QList<TagEntry> plainEntries = BuildTagEntries(nodes);
        QVERIFY(test::sameRows(test::PlainScanFolder(mp3s, plainEntries, inst.lyricsPath(), CodePage()).rows, r.rows));

        // A lyrics file gone since the entries were built: unfiltered, not checked.
        QFile::remove(inst.lyricsPath() + s("Blue Lake - Night Train.txt"));
        const ScanResult again = ScanFolder(mp3s, entries, index, inst.lyricsPath(), CodePage());
        QCOMPARE(again.rows.size(), 7);
        QCOMPARE(again.checkedCount, 2);
        QCOMPARE(entries.at(3).MatchCount, 2); // counted anew, not added up
    }

    void penaltyAndTies()
    {
        QTemporaryDir tmp;
        test::FakeInstallation inst(tmp.path());
        NodeCollection nodes;
        addSong(nodes, s("Band"), s("a"));
        addSong(nodes, s("Band"), s("Sky Lark"));
        addSong(nodes, s("Twin"), s("Echo"));
        nodes.add(s("Twin - Echo (2).txt"), s("Echo"), 10, s("keytwin")); // the same words again
        QList<TagEntry> entries = BuildTagEntries(nodes);
        const EntryWordIndex index(entries);
        inst.writeFile(s("m/Band - Sky Lark.mp3"), test::audioBytes(10));
        inst.writeFile(s("m/Band - Rain.mp3"), test::audioBytes(10));
        inst.writeFile(s("m/Band - Sun.mp3"), test::audioBytes(10));
        inst.writeFile(s("m/Twin Echo.mp3"), test::audioBytes(10));
        const ScanResult r = ScanFolder(inst.root() + s("m/"), entries, index, inst.lyricsPath(), CodePage());
        QCOMPARE(entries.at(0).MatchCount, 3);
        QHash<QString, TaggerRow> byName;
        for (const TaggerRow &row : r.rows)
            byName.insert(row.mp3Name, row);
        // Without the penalty "Band - a" (score 3, earlier) would win over "Sky Lark" (3).
        QCOMPARE(byName.value(s("Band - Sky Lark.mp3")).candidates, (QList<int>{0, 1}));
        QCOMPARE(byName.value(s("Band - Sky Lark.mp3")).chosen, 1);
        QCOMPARE(byName.value(s("Band - Sky Lark.mp3")).mp3Image(), int(Icon::Mp3SeveralCandidates));
        QCOMPARE(byName.value(s("Band - Rain.mp3")).chosen, 0);
        QCOMPARE(byName.value(s("Band - Rain.mp3")).mp3Image(), int(Icon::Mp3OneCandidate));
        QCOMPARE(byName.value(s("Twin Echo.mp3")).candidates, (QList<int>{2, 3}));
        QCOMPARE(byName.value(s("Twin Echo.mp3")).chosen, 2); // equal scores: the lower index
    }

    void stopAfterTheFirstFile()
    {
        QTemporaryDir tmp;
        test::FakeInstallation inst(tmp.path());
        NodeCollection nodes;
        addSong(nodes, s("Blue Lake"), s("Night Train"));
        inst.addLyrics(s("Blue Lake - Night Train.txt"), Filtered);
        QList<TagEntry> entries = BuildTagEntries(nodes);
        const EntryWordIndex index(entries);
        for (int i = 0; i < 4; ++i)
            inst.writeFile(s("m/blue lake night train %1.mp3").arg(i), test::audioBytes(10));
        int asked = 0;
        ScanCallbacks callbacks{{{}, {}, {}, [&] { return ++asked >= 1; }}, {}};
        const ScanResult r = ScanFolder(inst.root() + s("m"), entries, index, inst.lyricsPath(), CodePage(), callbacks);
        QVERIFY(r.stopped);
        QCOMPARE(r.filesParsed, 1);
        QCOMPARE(r.rows.size(), 1);
        QCOMPARE(r.rows.first().lyricsName, s("Blue Lake - Night Train")); // second pass ran
        QCOMPARE(r.status, s("Matches: 1 / 1 (100%)"));
    }

    // A link to a named pipe looks like a file. The scan (and the filter
    // mark test of a lyrics file) must pass over it, not wait for a writer;
    // the listing leaves it out, as it is no MP3 file.
    void namedPipeIsPassedOver()
    {
        QTemporaryDir tmp;
        test::FakeInstallation inst(tmp.path());
        inst.writeFile(s("m/some song.mp3"), test::audioBytes(10));
        inst.addLyrics(s("Some - Song.txt"), Filtered);
        const QByteArray pipe = QFile::encodeName(tmp.filePath(s("pipe")));
        QCOMPARE(::mkfifo(pipe.constData(), 0600), 0);
        QVERIFY(QFile::link(tmp.filePath(s("pipe")), inst.root() + s("m/piped song.mp3")));
        QVERIFY(QFile::link(tmp.filePath(s("pipe")), inst.lyricsPath() + s("Piped - Song.txt")));
        QList<TagEntry> entries = entriesOf({s("Some - Song"), s("Piped - Song")});
        const EntryWordIndex index(entries);
        auto scan = std::async(std::launch::async, [&] {
            const bool piped = HasFilterMark(inst.lyricsPath() + s("Piped - Song.txt"));
            return std::make_pair(piped,
                                  ScanFolder(inst.root() + s("m/"), entries, index, inst.lyricsPath(), CodePage()));
        });
        const bool finished = scan.wait_for(std::chrono::seconds(10)) == std::future_status::ready;
        while (scan.wait_for(std::chrono::milliseconds(50)) != std::future_status::ready) {
            // Stuck in an open: be the writer it waits for, so the test can end.
            const int fd = ::open(pipe.constData(), O_WRONLY | O_NONBLOCK);
            if (fd >= 0)
                ::close(fd);
        }
        QVERIFY2(finished, "waited on a named pipe");
        const auto [piped, r] = scan.get();
        QVERIFY(!piped);
        QCOMPARE(r.filesParsed, 1);
        QCOMPARE(r.rows.size(), 1);
        QCOMPARE(r.rows.first().mp3Name, s("some song.mp3"));
    }

    void emptyScans()
    {
        QTemporaryDir tmp;
        test::FakeInstallation inst(tmp.path());
        inst.writeFile(s("m/some song.mp3"), test::audioBytes(10));
        QList<TagEntry> none;
        const ScanResult noSongs =
            ScanFolder(inst.root() + s("m/"), none, EntryWordIndex(none), inst.lyricsPath(), CodePage());
        QVERIFY(noSongs.rows.isEmpty());
        QCOMPARE(noSongs.filesParsed, 1);

        QList<TagEntry> entries = entriesOf({s("Some - Song")});
        const EntryWordIndex index(entries);
        const QStringList folders{inst.root() + s("gone/"), inst.root() + s("empty/"), QString()};
        for (const QString &folder : folders) {
            QDir().mkpath(inst.root() + s("empty"));
            QStringList statuses;
            const ScanResult r = ScanFolder(folder, entries, index, inst.lyricsPath(), CodePage(),
                                            {{{}, [&](const QString &t) { statuses << t; }, {}, {}}, {}});
            QVERIFY(r.rows.isEmpty());
            QCOMPARE(r.status, s("Matches: 0 / 0"));
            QCOMPARE(statuses, QStringList{s("Matches: 0 / 0")});
        }
    }
};

QTEST_GUILESS_MAIN(tst_Mp3Matcher)
#include "tst_mp3matcher.moc"
