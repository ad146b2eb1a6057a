// The collection scan against the floor of listing the same folders.
//
// A generated collection of 30,000 songs in first-letter subfolders, a third
// with timestamp files, and a karaoke index of 200,000 records. Prints the
// time to list the folders alone, BuildTree's time (best of several runs,
// each on a cleared tree, alternating with the listing) and their ratio.
// Target: BuildTree within 2 times the listing floor. BuildTree reads the
// folders on a thread of its own while it sorts and adds the songs of those
// read, so the ratio needs a second core that is free.
//
// The scan must also give what the generator says the collection is: every
// node (position, key, text, image, parent), the three counters and the
// snapshot, which is worked out here from the expected nodes. Any difference
// is printed and the program fails.
//
//   cmake --build <build> --target run-bench_scan
//   bench_scan [runs]      (11 by default; more for a profiler)

#include "BenchTiming.h"
#include "CollectionGenerator.h"

#include "app/basMain.h"
#include "platform/DirListing.h"
#include "store/CollectionScan.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include <chrono>
#include <cstdio>
#include <functional>

using namespace stanzary;
using bench::elapsedMs;

namespace {

// One line per node in position order: key, text, image and the parent's position.
QStringList describeNodes(const NodeCollection &nodes)
{
    QStringList out;
    for (int p = 1; p <= nodes.count(); ++p) {
        const TreeNode &n = nodes.at(p);
        out << n.key + u'|' + n.text + u'|' + QString::number(n.image) + u'|' + QString::number(nodes.parentOf(p));
    }
    return out;
}

QStringList describeSnapshot(const QList<TreeNodeRecord> &snapshot)
{
    QStringList out;
    for (const TreeNodeRecord &r : snapshot)
        out << r.NodeKey + u'|' + r.NodeText + u'|' + QString::number(r.NodeImage) + u'|'
                   + (r.IsSong ? QStringLiteral("song|") : QStringLiteral("artist|")) + r.ParentKey;
    return out;
}

// The snapshot of a tree of artists and their songs: a node without children
// is a song and carries its artist's key in lower case.
QList<TreeNodeRecord> expectedSnapshot(const NodeCollection &nodes)
{
    QList<TreeNodeRecord> out;
    for (int p = 1; p <= nodes.count(); ++p) {
        const TreeNode &n = nodes.at(p);
        TreeNodeRecord r;
        r.NodeText = n.text;
        r.NodeKey = n.key;
        r.NodeImage = n.image;
        r.IsSong = nodes.children(p).isEmpty();
        if (r.IsSong && nodes.parentOf(p) > 0)
            r.ParentKey = nodes.at(nodes.parentOf(p)).key.toLower();
        out << r;
    }
    return out;
}

// Prints the first difference of two descriptions; true when they are equal.
bool sameLines(const char *what, const QStringList &got, const QStringList &expected)
{
    for (qsizetype i = 0; i < std::max(got.size(), expected.size()); ++i) {
        const QString a = got.value(i, QStringLiteral("(none)"));
        const QString b = expected.value(i, QStringLiteral("(none)"));
        if (a != b) {
            std::printf("%s differ at %lld:\n  scan:     %s\n  expected: %s\n", what, static_cast<long long>(i + 1),
                        qPrintable(a), qPrintable(b));
            return false;
        }
    }
    return true;
}

// Whether the scan in state gave the generated collection.
bool scanIsAsGenerated(const basMain &state, const bench::CollectionGenerator &generator)
{
    NodeCollection expected;
    generator.fillNodes(expected);
    int kas = 0, listed = 0;
    for (const bench::GeneratedSong &song : generator.songs()) {
        kas += song.hasKas ? 1 : 0;
        listed += song.inIndex ? 1 : 0;
    }
    bool same = sameLines("nodes", describeNodes(state.nodes), describeNodes(expected));
    same = sameLines("snapshots", describeSnapshot(state.NodeSnapshot), describeSnapshot(expectedSnapshot(expected)))
           && same;
    const QStringList counts = {QString::number(state.intLyricsCount), QString::number(state.intTimestampsDownloaded),
                                QString::number(state.intTimestampsAvaliable)};
    const QStringList expectedCounts = {QString::number(generator.songs().size()), QString::number(kas),
                                        QString::number(listed)};
    return sameLines("counts (songs, with timestamps, available)", counts, expectedCounts) && same;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, QCoreApplication::arguments().at(1).toInt()) : 11;
    QTemporaryDir dir;
    if (!dir.isValid()) {
        std::fprintf(stderr, "no temporary folder\n");
        return 1;
    }
    const QString host = dir.path() + QStringLiteral("/");
    const QString lyrics = host + QStringLiteral("lyrics/");

    bench::GeneratorOptions options; // 30,000 songs, subfolders, a third stamped, 200,000 records
    const bench::CollectionGenerator generator(options);
    generator.writeTo(host, lyrics);

    qsizetype listed = 0;
    auto listAll = [&] {
        listed = 0;
        const QStringList subfolders = listSubfolders(lyrics);
        for (const QString &sub : subfolders)
            listed += listFiles(lyrics + sub + u'/').size();
    };
    listAll(); // warm the cache

    basMain state;
    state.strHostPath = host;
    state.strLyricsPath = lyrics;
    state.blnSingleDir = false;
    state.blnCheckTimestampsAtStart = true;

    // Floor and scan alternate, so that both see the same machine load; the
    // best run of each counts.
    double floorMs = 1e300;
    double scanMs = 1e300;
    for (int run = 0; run < runs; ++run) {
        floorMs = std::min(floorMs, elapsedMs(listAll));
        state.nodes.clear();
        scanMs = std::min(scanMs, elapsedMs([&] { BuildTree(state); }));
    }

    std::printf("collection: %d songs (%d with timestamps, %d available), %d nodes, %lld files listed\n",
                state.intLyricsCount, state.intTimestampsDownloaded, state.intTimestampsAvaliable, state.nodes.count(),
                static_cast<long long>(listed));
    std::printf("listing floor (folders listed alone): %8.2f ms\n", floorMs);
    std::printf("BuildTree (index load included):     %8.2f ms\n", scanMs);
    std::printf("ratio BuildTree / floor:              %8.2f   (target <= 2)\n", scanMs / floorMs);
    const bool same = scanIsAsGenerated(state, generator);
    std::printf("tree, counts and snapshot as generated: %s\n", same ? "yes" : "NO");
    return same ? 0 : 1;
}
