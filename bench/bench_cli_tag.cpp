// stanzary-cli tag on a folder of MP3 files against a collection, against the
// same work done by the core in this process: the collection scan
// (BuildTree), the folder scan (ScanFolder) and the tagging of the checked
// rows (TagCheckedFiles), with the same journal writes and syncs. The
// command line adds its process start, the configuration, the lock of the
// folders and printing the log. Also the peak memory (maximum resident set)
// of stanzary-cli, and of a process that does only the core's work (this
// program started again with --core-only).
//
//   cmake --build <build> --target run-bench_cli_tag
//   <build>/bench/bench_cli_tag [--songs 30000] [--files 5000] [--repeat 1]
//
// Each time is the best of --repeat runs; before each run the MP3 files get
// their old bytes back (not timed). The journal's syncs are most of the
// tagging's time on a real disk: both sides pay the same ones.

#include "BenchArguments.h"
#include "BenchTiming.h"
#include "Mp3FolderGenerator.h"

#include "app/Config.h"
#include "app/basMain.h"
#include "store/CollectionScan.h"
#include "store/HostStore.h"
#include "tagger/EntryWordIndex.h"
#include "tagger/Mp3FolderScan.h"
#include "tagger/Mp3Matcher.h"
#include "tagger/RowTagging.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace stanzary;
using namespace stanzary::bench;

namespace {

// The core's work: what stanzary-cli tag does, without the program around
// it. The rows tagged.
int tagWithTheCore(const QString &installation, const QString &folder, const QString &journal)
{
    basMain state;
    FindHostPath(state, installation);
    LoadConfig(state);
    BuildTree(state);
    QList<TagEntry> entries = BuildTagEntries(state.nodes);
    const EntryWordIndex index(entries);
    const ScanResult scan = ScanFolder(folder, entries, index, state.strLyricsPath, state.codePage);
    TaggingSetup setup;
    setup.codePage = state.codePage;
    setup.site = state.strMakerSite;
    setup.journal = TailJournal(journal);
    return int(TagCheckedFiles(scan.rows, setup).rows.size());
}

struct ChildRun
{
    double ms = 0;
    long peakKb = 0;
    int status = -1;
};

// Runs program with arguments, its output thrown away, and measures its wall
// time and peak memory.
ChildRun runProgram(const QString &program, const QStringList &arguments)
{
    std::vector<QByteArray> bytes{QFile::encodeName(program)};
    for (const QString &a : arguments)
        bytes.push_back(a.toUtf8());
    std::vector<char *> argv;
    for (QByteArray &b : bytes)
        argv.push_back(b.data());
    argv.push_back(nullptr);
    ChildRun run;
    pid_t pid = -1;
    run.ms = elapsedMs([&] {
        pid = ::fork();
        if (pid == 0) {
            const int null = ::open("/dev/null", O_WRONLY);
            ::dup2(null, STDOUT_FILENO);
            ::dup2(null, STDERR_FILENO);
            ::execv(argv.front(), argv.data());
            ::_exit(127);
        }
        int status = 0;
        rusage usage = {};
        while (::wait4(pid, &status, 0, &usage) < 0 && errno == EINTR) {}
        run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        run.peakKb = usage.ru_maxrss;
    });
    return run;
}

QMap<QString, QByteArray> snapshot(const QString &folder)
{
    QMap<QString, QByteArray> files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        QFile f(path);
        f.open(QIODevice::ReadOnly);
        files.insert(path, f.readAll());
    }
    return files;
}

void restore(const QMap<QString, QByteArray> &files)
{
    for (auto it = files.cbegin(); it != files.cend(); ++it) {
        QFile f(it.key());
        f.open(QIODevice::WriteOnly | QIODevice::Truncate);
        f.write(it.value());
    }
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QStandardPaths::setTestModeEnabled(true);
    const QStringList args = app.arguments();
    if (args.value(1) == u"--core-only")
        return tagWithTheCore(args.value(2), args.value(3), args.value(4)) > 0 ? 0 : 1;

    const int songs = std::max(1, argValue(args, QStringLiteral("--songs"), 30000));
    const int files = std::max(1, argValue(args, QStringLiteral("--files"), 5000));
    const int repeat = std::max(1, argValue(args, QStringLiteral("--repeat"), 1));

    QTemporaryDir tmp;
    const QString installation = tmp.filePath(QStringLiteral("Tunewright/"));
    const QString folder = tmp.filePath(QStringLiteral("mp3/"));
    QDir().mkpath(installation);
    QFile(installation + QStringLiteral("Tunewright.exe")).open(QIODevice::WriteOnly);
    QFile settings(installation + QStringLiteral("settings.txt"));
    settings.open(QIODevice::WriteOnly);
    settings.write("[SingleDir]=1\r\n");
    settings.close();
    {
        NodeCollection nodes;
        Collection collection(nodes);
        Generator generator(7);
        buildCollection(collection, generator, songs, installation + QStringLiteral("lyrics/"));
        buildMp3Folder(collection, generator, files, folder);
    }
    // The program beside Tunewright.exe finds it there, as the demo does;
    // its settings and journal are in a home of its own.
    const QString program = installation + QStringLiteral("stanzary-cli");
    QFile::copy(QStringLiteral(STANZARY_CLI_PROGRAM), program);
    const QString home = tmp.filePath(QStringLiteral("home"));
    QDir().mkpath(home + QStringLiteral("/run"));
    QFile::setPermissions(home + QStringLiteral("/run"),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    qputenv("HOME", QFile::encodeName(home));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home + QStringLiteral("/.config")));
    qputenv("XDG_DATA_HOME", QFile::encodeName(home + QStringLiteral("/.local/share")));
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(home + QStringLiteral("/run")));
    qputenv("WINEPREFIX", QFile::encodeName(home + QStringLiteral("/no-prefix")));
    const QMap<QString, QByteArray> untagged = snapshot(folder);
    const QString journal = tmp.filePath(QStringLiteral("journal"));

    double coreMs = 1e300;
    double cliMs = 1e300;
    long cliPeakKb = 0;
    int tagged = 0;
    for (int r = 0; r < repeat; ++r) {
        restore(untagged);
        coreMs = std::min(coreMs, elapsedMs([&] { tagged = tagWithTheCore(installation, folder, journal); }));
        restore(untagged);
        const ChildRun cli = runProgram(program, {QStringLiteral("tag"), folder});
        if (cli.status != 0)
            std::printf("stanzary-cli tag ended with status %d\n", cli.status);
        cliMs = std::min(cliMs, cli.ms);
        cliPeakKb = std::max(cliPeakKb, cli.peakKb);
    }
    restore(untagged);
    const ChildRun coreOnly = runProgram(QCoreApplication::applicationFilePath(),
                                         {QStringLiteral("--core-only"), installation, folder, journal});

    std::printf("stanzary-cli tag: %d songs, %d MP3 files, %d rows tagged (best of %d)\n", songs, files, tagged,
                repeat);
    std::printf("  core scan + tagging in this process  %9.1f ms   (baseline)\n", coreMs);
    std::printf("  stanzary-cli tag                     %9.1f ms   ratio %.3f (target 1.1)\n", cliMs, cliMs / coreMs);
    std::printf("  peak memory: stanzary-cli %.1f MB, the core's work alone %.1f MB (ratio %.2f)\n",
                double(cliPeakKb) / 1024, double(coreOnly.peakKb) / 1024,
                double(cliPeakKb) / double(std::max(1L, coreOnly.peakKb)));
    return 0;
}
