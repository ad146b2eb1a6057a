// The collection scan against the floor of listing the same folders.
//
// A generated collection of 30,000 songs in first-letter subfolders, a third
// with timestamp files, and a karaoke index of 200,000 records. Prints the
// time to list the folders alone, BuildTree's time (best of several runs,
// each on a cleared tree, alternating with the listing) and their ratio.
// Target: BuildTree within 3 times the listing floor.
//
//   cmake --build <build> --target run-bench_scan

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

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
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
    for (int run = 0; run < 11; ++run) {
        floorMs = std::min(floorMs, elapsedMs(listAll));
        state.nodes.clear();
        scanMs = std::min(scanMs, elapsedMs([&] { BuildTree(state); }));
    }

    std::printf("collection: %d songs (%d with timestamps, %d available), %d nodes, %lld files listed\n",
                state.intLyricsCount, state.intTimestampsDownloaded, state.intTimestampsAvaliable, state.nodes.count(),
                static_cast<long long>(listed));
    std::printf("listing floor (folders listed alone): %8.2f ms\n", floorMs);
    std::printf("BuildTree (index load included):     %8.2f ms\n", scanMs);
    std::printf("ratio BuildTree / floor:              %8.2f   (target <= 3)\n", scanMs / floorMs);
    return state.intLyricsCount == generator.songs().size() ? 0 : 1;
}
