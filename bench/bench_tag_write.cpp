// Tagging MP3 files through the rollback journal against writing the same new
// tails in place without it, on generated files in a temporary folder.
//
//  1. plain write: seek to the write offset, write the new tail, cut the file
//     there, close - what tagging cost before the journal (nothing synced).
//  2. plain write + sync: the same, and the file synced to the disk once; the
//     least a write that must survive a power loss pays.
//  3. journalled tagging: TagCheckedFiles, which reads the lyrics and the old
//     tail, saves and syncs the journal (and its folder), writes and syncs the
//     file, and removes the journal.
//
// Each is the best of --repeat passes over every file; the files get their old
// bytes back between passes (not timed). Syncs depend on the disk: on a slow
// one the journal's extra syncs dominate, and the ratio against the plain write
// says little about the program.
//
//   cmake --build <build> --target run-bench_tag_write
//   <build>/bench/bench_tag_write [--files 200] [--repeat 3]

#include "BenchArguments.h"
#include "BenchTiming.h"

#include "platform/CodePage.h"
#include "platform/DurableFile.h"
#include "platform/MakerSite.h"
#include "platform/TailJournal.h"
#include "tagger/Lyrics3Writer.h"
#include "tagger/TaggerRow.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>

using namespace stanzary;
using namespace stanzary::bench;

namespace {

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// An MP3 file of some audio and an ID3v1 record; n varies the audio.
QByteArray mp3Bytes(int n)
{
    QByteArray audio(180 * 1024 + n * 37, '\0');
    for (qsizetype i = 0; i < audio.size(); ++i)
        audio[i] = char((i * 31 + n) & 0xff);
    return audio + QByteArray("TAGSome Title").leftJustified(125, '\0') + QByteArray("\0\x01\x0c", 3);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QStandardPaths::setTestModeEnabled(true);
    const QStringList args = app.arguments();
    const int fileCount = std::max(1, argValue(args, QStringLiteral("--files"), 200));
    const int repeat = std::max(1, argValue(args, QStringLiteral("--repeat"), 3));

    QTemporaryDir tmp;
    const QString lyricsPath = tmp.filePath(QStringLiteral("Blue Lake - Night Train.txt"));
    QByteArray lyrics;
    for (int i = 0; i < 40; ++i)
        lyrics += "a line of made-up words for the benchmark, number " + QByteArray::number(i) + "\r\n";
    writeFile(lyricsPath, lyrics + "[Tunewright] filter used\r\n");

    QList<TaggerRow> rows;
    QList<QByteArray> before;
    QList<QByteArray> after;
    const TailJournal journal(tmp.filePath(QStringLiteral("journals")));
    const CodePage codePage;
    for (int i = 0; i < fileCount; ++i) {
        const QString path = tmp.filePath(QStringLiteral("song %1.mp3").arg(i));
        before << mp3Bytes(i);
        writeFile(path, before.last());
        TaggerRow row;
        row.checked = true;
        row.mp3Path = path;
        row.lyricsName = QStringLiteral("Blue Lake - Night Train");
        row.lyricsPath = lyricsPath;
        rows << row;
    }
    // What tagging makes of each file: the plain writes write exactly that.
    TagCheckedFiles(rows, codePage, makerSite(), journal);
    for (const TaggerRow &row : rows)
        after << readFile(row.mp3Path);
    const qsizetype writeOffset = before.first().size() - 128;

    const auto restore = [&] {
        for (int i = 0; i < fileCount; ++i)
            writeFile(rows.at(i).mp3Path, before.at(i));
    };
    const auto plainPass = [&](bool sync) {
        for (int i = 0; i < fileCount; ++i) {
            QFile f(rows.at(i).mp3Path);
            const QByteArray tail = after.at(i).mid(before.at(i).size() - 128);
            if (!f.open(QIODevice::ReadWrite | QIODevice::Unbuffered) || !f.seek(before.at(i).size() - 128)
                || f.write(tail) != tail.size() || !f.resize(after.at(i).size()) || (sync && !syncToDisk(f)))
                std::printf("plain write failed: %s\n", qPrintable(rows.at(i).mp3Path));
        }
    };

    double plainMs = 1e300;
    double syncedMs = 1e300;
    double journalMs = 1e300;
    bool sameBytes = true;
    for (int r = 0; r < repeat; ++r) {
        restore();
        plainMs = std::min(plainMs, elapsedMs([&] { plainPass(false); }));
        restore();
        syncedMs = std::min(syncedMs, elapsedMs([&] { plainPass(true); }));
        restore();
        QString log;
        journalMs =
            std::min(journalMs, elapsedMs([&] { log = TagCheckedFiles(rows, codePage, makerSite(), journal); }));
        for (int i = 0; i < fileCount; ++i)
            sameBytes = sameBytes && readFile(rows.at(i).mp3Path) == after.at(i);
        if (log.count(taggedPrefix()) != fileCount)
            sameBytes = false;
    }

    std::printf("bench_tag_write: %d MP3 files of about %lld KB, write offset %lld\n", fileCount,
                static_cast<long long>(before.first().size() / 1024), static_cast<long long>(writeOffset));
    std::printf("plain write (no sync):            %9.1f ms  (%.2f ms a file)\n", plainMs, plainMs / fileCount);
    std::printf("plain write + one sync a file:    %9.1f ms  (%.2f ms a file)\n", syncedMs, syncedMs / fileCount);
    std::printf("journalled tagging:               %9.1f ms  (%.2f ms a file)\n", journalMs, journalMs / fileCount);
    std::printf("journalled / plain write:         %6.2fx  (earlier target <= 1.3x)\n", journalMs / plainMs);
    std::printf("journalled / plain write + sync:  %6.2fx\n", journalMs / syncedMs);
    std::printf("every file tagged to the same bytes: %s\n", sameBytes ? "yes" : "NO");
    return sameBytes ? 0 : 1;
}
