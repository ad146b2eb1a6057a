// Matching a folder of MP3 files to the collection: the word index against the
// plain search (every entry's words searched in every file's text), and both
// against the read floor (the time to list the folders and read just the bytes
// the scan needs with bare system calls).
//
//   cmake --build <build> --target run-bench_tagger
//   <build>/bench/bench_tagger [--files 5000] [--songs 30000] [--repeat 3] [--skip-plain]
//
// The word-index scan and the floor are the best of --repeat runs; the plain
// scan runs once. --skip-plain leaves it out (it takes minutes) for quick runs.
//
// Everything is generated into a temporary folder: songs with lyrics files,
// small MP3 files named after songs or not, with ID3v1 records, some ID3v2
// headers, some Lyrics3 tags. Caches are warm for every measurement.

#include "BenchArguments.h"
#include "platform/CodePage.h"
#include "store/NodeCollection.h"
#include "store/SongNames.h"
#include "tagger/EntryWordIndex.h"
#include "tagger/Mp3FolderScan.h"
#include "tagger/Mp3Matcher.h"

#include "Mp3FolderGenerator.h"

#include "../tests/support/PlainMatcher.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <functional>

using namespace stanzary;
using namespace stanzary::bench;

namespace {

using Clock = std::chrono::steady_clock;

double secondsOf(const std::function<void()> &run)
{
    const auto t0 = Clock::now();
    run();
    return std::chrono::duration<double>(Clock::now() - t0).count();
}

double bestOf(int times, const std::function<void()> &run)
{
    double best = 1e300;
    for (int i = 0; i < times; ++i)
        best = std::min(best, secondsOf(run));
    return best;
}

// The floor: list the folders, then for every MP3 file read its first 500 and
// last 137 bytes, and for every row the last 51 bytes of its lyrics file.
std::size_t readFloor(const QString &folder, const QStringList &lyricsFiles)
{
    std::size_t total = 0;
    char buf[512];
    auto readFile = [&](const QByteArray &path, bool head, int tail) {
        const int fd = ::open(path.constData(), O_RDONLY);
        if (fd < 0)
            return;
        struct stat st = {};
        ::fstat(fd, &st);
        if (head)
            total += std::size_t(std::max<ssize_t>(0, ::pread(fd, buf, 500, 0)));
        if (st.st_size > tail || !head)
            total += std::size_t(
                std::max<ssize_t>(0, ::pread(fd, buf, std::size_t(tail), std::max<off_t>(0, st.st_size - tail))));
        ::close(fd);
    };
    QList<QByteArray> dirs{QFile::encodeName(folder)};
    for (int d = 0; d < dirs.size(); ++d) {
        DIR *dir = ::opendir(dirs.at(d).constData());
        if (!dir)
            continue;
        while (const dirent *e = ::readdir(dir)) {
            if (e->d_name[0] == '.')
                continue;
            const QByteArray path = dirs.at(d) + e->d_name;
            if (e->d_type == DT_DIR && d == 0)
                dirs << path + '/';
            else if (e->d_type == DT_REG && std::strlen(e->d_name) > 4
                     && ::strcasecmp(e->d_name + std::strlen(e->d_name) - 4, ".mp3") == 0)
                readFile(path, true, 137);
        }
        ::closedir(dir);
    }
    for (const QString &l : lyricsFiles)
        readFile(QFile::encodeName(l), false, 51);
    return total;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const int fileCount = argValue(args, QStringLiteral("--files"), 5000);
    const int songCount = argValue(args, QStringLiteral("--songs"), 30000);

    QTemporaryDir tmp;
    const QString lyricsFolder = tmp.path() + QStringLiteral("/lyrics/");
    const QString mp3Folder = tmp.path() + QStringLiteral("/mp3/");
    Generator g(20240607);
    NodeCollection nodes;
    Collection c(nodes);
    buildCollection(c, g, songCount, lyricsFolder);
    buildMp3Folder(c, g, fileCount, mp3Folder);
    const CodePage cp;
    std::printf("bench_tagger: %d MP3 files against %d songs\n", fileCount, int(c.songs.size()));

    QList<TagEntry> entries = BuildTagEntries(c.nodes);
    EntryWordIndex index;
    const double indexBuild = secondsOf([&] { index = EntryWordIndex(entries); });

    ScanResult ours;
    readFloor(mp3Folder, {}); // warm the caches
    const int repeat = std::max(1, argValue(args, QStringLiteral("--repeat"), 3));
    const double oursTime = bestOf(repeat, [&] { ours = ScanFolder(mp3Folder, entries, index, lyricsFolder, cp); });
    QStringList lyricsFiles;
    for (const TaggerRow &row : std::as_const(ours.rows))
        lyricsFiles << row.lyricsPath;
    std::size_t floorBytes = 0;
    const double floorTime = bestOf(repeat, [&] { floorBytes = readFloor(mp3Folder, lyricsFiles); });

    QList<TagEntry> plainEntries = BuildTagEntries(c.nodes);
    ScanResult plain;
    const bool skipPlain = args.contains(QStringLiteral("--skip-plain"));
    const double plainTime =
        skipPlain ? 0.0 : secondsOf([&] { plain = test::PlainScanFolder(mp3Folder, plainEntries, lyricsFolder, cp); });
    if (skipPlain)
        plain = ours;

    const bool same =
        test::sameRows(plain.rows, ours.rows) && plain.status == ours.status && plain.checkedCount == ours.checkedCount;
    std::printf("rows: %d of %d files, %d checked, %s\n", int(ours.rows.size()), ours.filesParsed, ours.checkedCount,
                qPrintable(ours.status));
    std::printf("word index build (once per window):   %9.1f ms (%d distinct words)\n", indexBuild * 1e3,
                index.wordCount());
    std::printf("plain scan (every word in every text): %9.1f ms\n", plainTime * 1e3);
    std::printf("word-index scan:                       %9.1f ms\n", oursTime * 1e3);
    std::printf("read floor (%zu bytes):              %9.1f ms\n", floorBytes, floorTime * 1e3);
    std::printf("plain / word index:  %7.1fx  (target >= 50x)\n", plainTime / oursTime);
    std::printf("word index / floor:  %7.2fx  (target <= 3x)\n", oursTime / floorTime);
    std::printf("(word index + its build) / floor: %.2fx\n", (oursTime + indexBuild) / floorTime);
    std::printf("identical rows: %s\n", skipPlain ? "not compared (--skip-plain)" : same ? "yes" : "NO");
    return same ? 0 : 1;
}
