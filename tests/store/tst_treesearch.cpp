#include "app/ImageIndex.h"
#include "store/CollectionScan.h"
#include "store/TreeSearch.h"

#include "../../bench/CollectionGenerator.h"
#include "FakeInstallation.h"
#include "ReferenceFilter.h"
#include "TestText.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace stanzary;

namespace {

using test::lines;

struct Song
{
    const char *artist;
    const char *title;
};

// Adds songs in the given order, as a scan would meet them: a song's artist
// node is made the first time the artist is met.
void addSongs(NodeCollection &nodes, std::initializer_list<Song> songs)
{
    for (const Song &s : songs) {
        const QString artist = QString::fromUtf8(s.artist);
        const QString key = QStringLiteral("key") + artist.toLower();
        if (!nodes.contains(key))
            nodes.add(key, artist, Icon::Artist);
        const QString title = QString::fromUtf8(s.title);
        nodes.add(artist + QStringLiteral(" - ") + title + QStringLiteral(".txt"), title, Icon::LyricsOnly, key);
    }
}

// Every node by position: parent position, key, and the flags a pass may touch.
QStringList byPosition(const NodeCollection &n)
{
    QStringList out;
    for (int p = 1; p <= n.count(); ++p) {
        const TreeNode &t = n.at(p);
        out << QStringLiteral("%1 %2 img%3%4%5%6 %7")
                   .arg(n.parentOf(p))
                   .arg(t.key)
                   .arg(t.image)
                   .arg(t.bold ? QStringLiteral(" bold") : QString(),
                        t.checked ? QStringLiteral(" checked") : QString(),
                        t.expanded ? QStringLiteral(" open") : QString(), t.tag);
    }
    return out;
}

// The tree as a view shows it: root rows, each followed by its children's
// rows; a bold node is marked "*".
QStringList displayed(const NodeCollection &n)
{
    QStringList out;
    for (int row = 0; row < n.childCountOfId(-1); ++row) {
        const int artist = n.childIdAt(-1, row);
        out << n.node(artist).text + (n.node(artist).bold ? QStringLiteral("*") : QString());
        for (int c = 0; c < n.childCountOfId(artist); ++c) {
            const TreeNode &song = n.node(n.childIdAt(artist, c));
            out << QStringLiteral("  ") + song.text + (song.bold ? QStringLiteral("*") : QString());
        }
    }
    return out;
}

// The same songs, every artist's songs made consecutive (artists in root
// order, songs in child order): the walk judges such a collection rightly.
void consecutiveCopy(const NodeCollection &from, NodeCollection &to)
{
    for (int row = 0; row < from.childCountOfId(-1); ++row) {
        const int artist = from.childIdAt(-1, row);
        to.add(from.node(artist).key, from.node(artist).text, from.node(artist).image);
        for (int c = 0; c < from.childCountOfId(artist); ++c) {
            const TreeNode &song = from.node(from.childIdAt(artist, c));
            to.add(song.key, song.text, song.image, from.node(artist).key);
        }
    }
}

// The search box driven by the reference walk: restore on a shorter text,
// then narrow the current tree.
FilterResult referenceFilterTree(basMain &state, SearchState &search, const QString &text)
{
    if (text.size() < search.intLastSearchLen)
        RestoreTree(state);
    search.intLastSearchLen = static_cast<int>(text.size());
    if (text.isEmpty())
        return {false, QString()};
    const FilterCounts c = test::referenceFilterNodes(state.nodes, text);
    return {true, searchCountLine(c.artists, c.songs)};
}

} // namespace

class tst_TreeSearch : public QObject
{
    Q_OBJECT

    static void loveTree(basMain &s)
    {
        addSongs(s.nodes, {{"Lovers", "A"}, {"Lovers", "B"}, {"X", "Love Song"}, {"X", "Hate Song"}});
        SnapshotTree(s);
    }

private slots:
    void countLine_data()
    {
        QTest::addColumn<int>("artists");
        QTest::addColumn<int>("songs");
        QTest::addColumn<QString>("line");
        QTest::newRow("none") << 0 << 0 << QStringLiteral("{0 artist} {0 song}");
        QTest::newRow("one") << 1 << 1 << QStringLiteral("{1 artist} {1 song}");
        QTest::newRow("plural") << 2 << 3 << QStringLiteral("{2 artists} {3 songs}");
        QTest::newRow("mixed") << 1 << 2 << QStringLiteral("{1 artist} {2 songs}");
    }
    void countLine()
    {
        QFETCH(int, artists);
        QFETCH(int, songs);
        QFETCH(QString, line);
        QCOMPARE(searchCountLine(artists, songs), line);
    }

    void loveFindsArtistAndSong()
    {
        basMain s;
        loveTree(s);
        SearchState search;
        const FilterResult r = FilterTree(s, search, QStringLiteral("love"));
        QVERIFY(r.showLabel);
        QCOMPARE(r.countLine, QStringLiteral("{2 artists} {3 songs}"));
        QCOMPARE(displayed(s.nodes), lines({"Lovers*", "  A", "  B", "X", "  Love Song*"}));
        QCOMPARE(search.intLastSearchLen, 4);
    }

    void noMatchEmptiesTheTree()
    {
        basMain s;
        loveTree(s);
        SearchState search;
        QCOMPARE(FilterTree(s, search, QStringLiteral("qqq")).countLine, QStringLiteral("{0 artist} {0 song}"));
        QCOMPARE(s.nodes.count(), 0);
    }

    void emptyTextRestoresAndHides()
    {
        basMain s;
        loveTree(s);
        const QStringList full = byPosition(s.nodes);
        SearchState search;
        FilterTree(s, search, QStringLiteral("love"));
        s.nodes.setChecked(1, true);
        const FilterResult r = FilterTree(s, search, QString());
        QVERIFY(!r.showLabel);
        QCOMPARE(byPosition(s.nodes), full); // not bold, not checked, no tag
        QCOMPARE(search.intLastSearchLen, 0);
    }

    void longerAndSameLengthTextsNarrow()
    {
        basMain s;
        addSongs(s.nodes, {{"Band", "Ab"}, {"Band", "Ba"}, {"Band", "Cb"}, {"Other", "Bb"}});
        SnapshotTree(s);
        SearchState search;
        FilterTree(s, search, QStringLiteral("a"));
        QCOMPARE(displayed(s.nodes), lines({"Band*", "  Ab*", "  Ba*", "  Cb"}));
        // Same length: applied to the result of "a", so Other's "Bb" stays away.
        QCOMPARE(FilterTree(s, search, QStringLiteral("b")).countLine, QStringLiteral("{1 artist} {3 songs}"));
        QCOMPARE(displayed(s.nodes), lines({"Band*", "  Ab*", "  Ba*", "  Cb*"}));
        FilterTree(s, search, QStringLiteral("ba"));
        QCOMPARE(displayed(s.nodes), lines({"Band*", "  Ab", "  Ba*", "  Cb"}));
        // Shorter: the full tree is searched again.
        FilterTree(s, search, QStringLiteral("b"));
        QCOMPARE(displayed(s.nodes), lines({"Band*", "  Ab*", "  Ba*", "  Cb*", "Other", "  Bb*"}));
    }

    void artistWithSongsApart_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("expected");
        QTest::addColumn<QString>("countLine");
        QTest::newRow("song of the artist met again")
            << QStringLiteral("yes") << lines({"Band", "  Yes*"}) << QStringLiteral("{1 artist} {1 song}");
        QTest::newRow("artist name keeps its later songs")
            << QStringLiteral("band") << lines({"Band*", "  X", "  Yes"}) << QStringLiteral("{1 artist} {2 songs}");
        QTest::newRow("other artist not kept by a stranger's song")
            << QStringLiteral("e") << lines({"Band", "  Yes*"}) << QStringLiteral("{1 artist} {1 song}");
    }
    void artistWithSongsApart()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, expected);
        QFETCH(QString, countLine);
        // Band's song "Yes" comes after Cat, as when Band is met again in a
        // later folder.
        basMain s;
        addSongs(s.nodes, {{"Band", "X"}, {"Cat", "C"}, {"Band", "Yes"}});
        SnapshotTree(s);
        SearchState search;
        QCOMPARE(FilterTree(s, search, text).countLine, countLine);
        QCOMPARE(displayed(s.nodes), expected);
        for (int p = 1; p <= s.nodes.count(); ++p)
            QVERIFY(s.nodes.parentOf(p) != 0 || s.nodes.childCount(p) > 0);
    }

    void walkLosesTheArtistsLaterSong()
    {
        // The fault the one-pass filter mends: the walk judges "Z" by "Band 2".
        basMain s;
        addSongs(s.nodes, {{"Band", "X"}, {"Band 2", "Y"}, {"Band", "Z"}});
        basMain walked;
        addSongs(walked.nodes, {{"Band", "X"}, {"Band 2", "Y"}, {"Band", "Z"}});
        filterNodes(s.nodes, QStringLiteral("z"));
        test::referenceFilterNodes(walked.nodes, QStringLiteral("z"));
        QCOMPARE(displayed(s.nodes), lines({"Band", "  Z*"}));
        QCOMPARE(walked.nodes.count(), 0);
    }

    void matchesTheWalkOnGeneratedCollections_data()
    {
        QTest::addColumn<quint32>("seed");
        QTest::addColumn<QStringList>("keystrokes");
        const QStringList sequences[] = {lines({"n", "ni", "nig", "nigh", "night"}),
                                         lines({"opal"}),
                                         lines({"ka", "kal", "ka", "k"}),
                                         lines({"e", "x", "ex"}),
                                         lines({"ri", "riv", ""}),
                                         lines({"o", "on", "one"}),
                                         lines({"zzz", "z", ""}),
                                         lines({"silver", "s", "si", "sil"})};
        for (quint32 seed : {1u, 2u, 3u}) {
            int i = 0;
            for (const QStringList &keys : sequences)
                QTest::addRow("seed %u, sequence %d", seed, i++) << seed << keys;
        }
    }
    void matchesTheWalkOnGeneratedCollections()
    {
        QFETCH(quint32, seed);
        QFETCH(QStringList, keystrokes);
        bench::GeneratorOptions options;
        options.songs = 600;
        options.subfolders = seed % 2 == 1;
        options.commonWordShare = 0.3;
        options.rareWordShare = 0.05;
        options.seed = seed;
        const bench::CollectionGenerator generator(options);
        basMain fast, walk;
        generator.fillNodes(fast.nodes);
        generator.fillNodes(walk.nodes);
        // Flags a pass must leave alone on the nodes it keeps.
        for (int p = 1; p <= fast.nodes.count(); p += 7) {
            for (basMain *s : {&fast, &walk}) {
                s->nodes.setChecked(p, true);
                s->nodes.setExpanded(p, true);
                s->nodes.setTag(p, QStringLiteral("filterchecked"));
            }
        }
        SnapshotTree(fast);
        SnapshotTree(walk);
        SearchState fastSearch, walkSearch;
        for (const QString &text : std::as_const(keystrokes)) {
            const FilterResult a = FilterTree(fast, fastSearch, text);
            const FilterResult b = referenceFilterTree(walk, walkSearch, text);
            QCOMPARE(a.countLine, b.countLine);
            QCOMPARE(a.showLabel, b.showLabel);
            QCOMPARE(byPosition(fast.nodes), byPosition(walk.nodes));
        }
    }

    void judgesApartSongsAsIfTheyWereTogether_data()
    {
        QTest::addColumn<QString>("text");
        for (const char *t : {"night", "opal", "ka", "2", "a", "e", "ri"})
            QTest::newRow(t) << QString::fromUtf8(t);
    }
    void judgesApartSongsAsIfTheyWereTogether()
    {
        QFETCH(QString, text);
        bench::GeneratorOptions options;
        options.songs = 800;
        options.nonConsecutiveOneIn = 3;
        options.rareWordShare = 0.05;
        options.seed = 5;
        const bench::CollectionGenerator generator(options);
        NodeCollection apart, together;
        generator.fillNodes(apart);
        consecutiveCopy(apart, together);
        QVERIFY(byPosition(apart) != byPosition(together)); // the collection really has split artists
        const FilterCounts a = filterNodes(apart, text);
        const FilterCounts b = test::referenceFilterNodes(together, text);
        QCOMPARE(a.artists, b.artists);
        QCOMPARE(a.songs, b.songs);
        QCOMPARE(displayed(apart), displayed(together));
    }

    void findSpecificSong_data()
    {
        QTest::addColumn<QString>("artist");
        QTest::addColumn<QString>("song");
        QTest::addColumn<QString>("foundKey");
        QTest::newRow("case ignored") << QStringLiteral("SOME BAND") << QStringLiteral("some song")
                                      << QStringLiteral("Some Band - Some Song.txt");
        QTest::newRow("blank after artist") << QStringLiteral("Some Band ") << QStringLiteral("Some Song") << QString();
        QTest::newRow("song of another artist") << QStringLiteral("Other") << QStringLiteral("Some Song") << QString();
        QTest::newRow("empty artist") << QString() << QStringLiteral("Some Song") << QString();
        QTest::newRow("empty song") << QStringLiteral("Some Band") << QString() << QString();
        QTest::newRow("later song") << QStringLiteral("some band") << QStringLiteral("LIVE")
                                    << QStringLiteral("Some Band - Live.txt");
    }
    void findSpecificSong()
    {
        QFETCH(QString, artist);
        QFETCH(QString, song);
        QFETCH(QString, foundKey);
        NodeCollection n;
        addSongs(n, {{"Some Band", "Some Song"}, {"Other", "Else"}, {"Some Band", "Live"}});
        const int p = stanzary::findSpecificSong(n, artist, song);
        QCOMPARE(p == 0 ? QString() : n.at(p).key, foundKey);
    }

    void checkPropagatesFromArtistOnly()
    {
        NodeCollection n;
        addSongs(n, {{"Band", "A"}, {"Band", "B"}, {"Cat", "C"}});
        n.setChecked(1, true);
        propagateCheck(n, 1);
        QVERIFY(n.at(2).checked && n.at(3).checked);
        QVERIFY(!n.at(5).checked);
        n.setChecked(2, false);
        propagateCheck(n, 2);
        QVERIFY(n.at(1).checked);
        QVERIFY(n.at(3).checked);
        n.setChecked(1, false);
        propagateCheck(n, 1);
        QVERIFY(!n.at(3).checked);
    }

    void expansionCheckReadsOncePerArtist()
    {
        QTemporaryDir dir;
        test::FakeInstallation host(dir.path());
        const QByteArray marked = QByteArrayLiteral("la\r\n[x] filter used\r\n");
        const QByteArray plain = QByteArrayLiteral("la\r\n[x] Filter used\r\n");
        host.addLyrics(QStringLiteral("Band - Kept.txt"), marked);
        host.addLyrics(QStringLiteral("Band - Plain.txt"), plain);
        host.addLyrics(QStringLiteral("Band - Stamped.txt"), plain);
        host.addKas(QStringLiteral("Band - Stamped.txt"));
        host.addLyrics(QStringLiteral("Band - Listed.txt"), plain);
        host.addLyrics(QStringLiteral("Band - Vanished.txt"), plain);
        host.writeKaraokeIndex(QByteArray());
        basMain s;
        s.strHostPath = host.hostPath();
        s.strLyricsPath = host.lyricsPath();
        s.blnSingleDir = true;
        BuildTree(s);
        NodeCollection &n = s.nodes;
        n.setImage(n.positionOf(QStringLiteral("Band - Listed.txt")), Icon::KaraokeAvailable);
        QFile::remove(host.lyricsPath() + QStringLiteral("Band - Vanished.txt"));
        SnapshotTree(s);

        auto image = [&](const char *key) { return n.at(n.positionOf(QString::fromUtf8(key))).image; };
        checkUnfilteredSongs(s, 2); // a song: nothing happens
        QVERIFY(n.at(1).tag.isEmpty());
        checkUnfilteredSongs(s, 1);
        QCOMPARE(n.at(1).tag, QStringLiteral("filterchecked"));
        QCOMPARE(image("Band - Kept.txt"), 10);
        QCOMPARE(image("Band - Plain.txt"), 2);
        QCOMPARE(image("Band - Stamped.txt"), 15);
        QCOMPARE(image("Band - Listed.txt"), 16);
        QCOMPARE(image("Band - Vanished.txt"), 10);

        // A second expansion reads nothing: the changed file is not seen.
        host.addLyrics(QStringLiteral("Band - Kept.txt"), plain);
        checkUnfilteredSongs(s, 1);
        QCOMPARE(image("Band - Kept.txt"), 10);

        // After a restore the artist is checked again, from the scan's images.
        RestoreTree(s);
        QVERIFY(n.at(1).tag.isEmpty());
        checkUnfilteredSongs(s, 1);
        QCOMPARE(image("Band - Kept.txt"), 2);
        QCOMPARE(image("Band - Listed.txt"), 16);
    }

    void expansionCheckOff()
    {
        QTemporaryDir dir;
        test::FakeInstallation host(dir.path());
        host.addLyrics(QStringLiteral("Band - Plain.txt"), QByteArrayLiteral("la\r\n"));
        basMain s;
        s.strLyricsPath = host.lyricsPath();
        s.blnSingleDir = true;
        s.blnCheckTimestampsAtStart = false;
        s.blnCheckUnfilteredSongs = false;
        BuildTree(s);
        checkUnfilteredSongs(s, 1);
        QCOMPARE(s.nodes.at(2).image, 10);
        QVERIFY(s.nodes.at(1).tag.isEmpty());
    }

    void deletedSongStaysDeletedAfterRestore()
    {
        basMain s;
        addSongs(s.nodes, {{"Band", "A"}, {"Band", "B"}, {"Solo", "Only"}});
        SnapshotTree(s);
        SearchState search;
        FilterTree(s, search, QStringLiteral("a"));
        // Delete "Band - A" and "Solo - Only" while the tree is filtered.
        removeFromSnapshot(s, QStringLiteral("Band - A.txt"));
        removeFromSnapshot(s, QStringLiteral("Solo - Only.txt"));
        removeFromSnapshot(s, QStringLiteral("No - Such.txt"));
        FilterTree(s, search, QString());
        QCOMPARE(displayed(s.nodes), lines({"Band", "  B"}));
        QCOMPARE(s.NodeSnapshot.size(), 2);
    }
};

QTEST_GUILESS_MAIN(tst_TreeSearch)
#include "tst_treesearch.moc"
