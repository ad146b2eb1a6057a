#include "cli/StanzaryCli.h"
#include "platform/TailJournal.h"

#include "ChildProcess.h"
#include "CliSupport.h"
#include "SongbookSupport.h"
#include "TestText.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

using namespace stanzary;

// The built stanzary-cli, run as a user runs it: on a fake installation that
// it finds through its Wine prefix, and on generated folders of MP3 files.

namespace {

using test::canonical;
using test::linesOf;
using test::s;

// The journal folder stanzary-cli uses with the test's own XDG folders.
QString cliJournalFolder()
{
    const QString data = qEnvironmentVariable("XDG_DATA_HOME", QDir::homePath() + s("/.local/share"));
    return data + s("/Zeph/Stanzary/tag-journal");
}

// The moments a tagging is killed at: the n-th time the step is reached.
struct KillPoint
{
    std::optional<TailStep> tail;
    std::optional<RewriteStep> rewrite;
    int occurrence = 1;
};

} // namespace

class tst_StanzaryCli : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    std::unique_ptr<test::CliInstallation> m_install;
    const QString m_program = QStringLiteral(STANZARY_CLI_PROGRAM);

    test::CliRun cli(const QStringList &arguments) const
    {
        return test::runCli(m_program, arguments, m_install->environment());
    }
    // A fresh folder of MP3 files (see CliInstallation::writeMp3Folder).
    QString mp3Folder(const QString &name) { return m_install->writeMp3Folder(s("mp3/") + name); }

    // Runs stanzary-cli's commands in a child process that is killed at the
    // kill point; whileStopped runs before it is killed.
    test::ChildEnd tagInChild(const QStringList &arguments, const KillPoint &kill,
                              const std::function<void()> &whileStopped = {})
    {
        const QString prefix = m_install->winePrefix();
        return test::runInChild(
            [&](const test::StopHere &stop) {
                qputenv("WINEPREFIX", QFile::encodeName(prefix));
                int reached = 0;
                TailWriteHooks tailHooks;
                tailHooks.reached = [&](TailStep step) {
                    if (kill.tail == step && ++reached == kill.occurrence)
                        stop();
                };
                CliEnvironment environment;
                environment.out = std::fopen("/dev/null", "w");
                environment.err = environment.out;
                environment.journal = TailJournal(cliJournalFolder(), tailHooks);
                environment.id3v2Hooks.reached = [&](RewriteStep step) {
                    if (kill.rewrite == step && ++reached == kill.occurrence)
                        stop();
                };
                return runStanzaryCli(arguments, environment) == CliDone;
            },
            whileStopped);
    }

private slots:
    void initTestCase()
    {
        QDir(cliJournalFolder()).removeRecursively(); // what an earlier run left
        m_install = std::make_unique<test::CliInstallation>(m_dir.path());
    }

    // The songs as the tree holds them, narrowed by their karaoke and filter
    // states.
    void listsTheCollection_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QStringList>("songs");
        const QStringList all{s("Blue Lake - Night Train"), s("Quiet Owls - Ashes"), s("Quiet Owls - Ember"),
                              s("Tin Drum - Tagged"), s("Velvet Fox - Shared")};
        QTest::newRow("all") << QStringList() << all;
        QTest::newRow("downloaded") << QStringList{s("--downloaded")} << QStringList{all.at(0)};
        QTest::newRow("available") << QStringList{s("--available")} << QStringList{all.at(2)};
        QTest::newRow("no timestamps") << QStringList{s("--no-timestamps")} << all.mid(1);
        QTest::newRow("unfiltered") << QStringList{s("--unfiltered")} << QStringList{all.at(1)};
        QTest::newRow("downloaded and unfiltered")
            << QStringList{s("--unfiltered"), s("--downloaded")} << QStringList();
    }
    void listsTheCollection()
    {
        QFETCH(QStringList, options);
        QFETCH(QStringList, songs);
        const test::CliRun run = cli(QStringList{s("list")} + options);
        QCOMPARE(run.exitCode, int(CliDone));
        QCOMPARE(linesOf(run.out), songs);
        QCOMPARE(run.err, QByteArray());
    }

    void listsTheCollectionAsJson()
    {
        const test::CliRun run = cli({s("list"), s("--json")});
        QCOMPARE(run.exitCode, int(CliDone));
        const QJsonArray songs = QJsonDocument::fromJson(run.out).array();
        QCOMPARE(songs.size(), 5);
        QStringList seen;
        for (const QJsonValue &value : songs) {
            const QJsonObject song = value.toObject();
            const QString key = song.value(s("artist")).toString().left(1) + u'/' + song.value(s("artist")).toString()
                                + s(" - ") + song.value(s("song")).toString() + s(".txt");
            QCOMPARE(canonical(song.value(s("file")).toString()), canonical(m_install->lyricsPath() + key));
            seen << song.value(s("song")).toString() + u' ' + song.value(s("karaoke")).toString() + u' '
                        + song.value(s("filter")).toString();
        }
        QCOMPARE(seen,
                 QStringList({s("Night Train downloaded filtered"), s("Ashes none unfiltered"),
                              s("Ember available filtered"), s("Tagged none filtered"), s("Shared none filtered")}));
    }

    // The installation is found beside the program or through the Wine
    // prefix, as the window finds it; without either nothing is listed.
    void findsTheHostAsTheWindowDoes_data()
    {
        QTest::addColumn<bool>("beside");
        QTest::addColumn<bool>("prefix");
        QTest::addColumn<int>("status");
        QTest::newRow("Wine prefix") << false << true << int(CliDone);
        QTest::newRow("beside the program") << true << false << int(CliDone);
        QTest::newRow("not found") << false << false << int(CliNothing);
    }
    void findsTheHostAsTheWindowDoes()
    {
        QFETCH(bool, beside);
        QFETCH(bool, prefix);
        QFETCH(int, status);
        QString program = m_program;
        if (beside) {
            m_install->writeExecutable();
            program = m_install->hostPath() + s("stanzary-cli");
            QVERIFY(QFile::exists(program) || QFile::copy(m_program, program));
        }
        QProcessEnvironment environment = m_install->environment();
        if (!prefix)
            environment.insert(s("WINEPREFIX"), m_dir.filePath(s("no-prefix")));
        const test::CliRun run = test::runCli(program, {s("list")}, environment);
        QCOMPARE(run.exitCode, status);
        QCOMPARE(linesOf(run.out).size(), status == CliDone ? 5 : 0);
        QCOMPARE(run.err.isEmpty(), status == CliDone);
        QFile::remove(m_install->hostPath() + s("Tunewright.exe"));
    }

    // Bad usage and nothing to work on: status 2, a reason on standard error
    // and nothing on standard output; the help and the version.
    void usageAndNothingFound_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("out"); // what standard output begins with
        QTest::addColumn<QString>("err"); // a part of standard error
        const QString folder = s("$MP3");
        QTest::newRow("no command") << QStringList() << 2 << QString() << s("a command is missing");
        QTest::newRow("unknown command") << QStringList{s("play")} << 2 << QString() << s("unknown command \"play\"");
        QTest::newRow("no folder") << QStringList{s("tag")} << 2 << QString() << s("folder of MP3 files is missing");
        QTest::newRow("option of another command")
            << QStringList{s("list"), s("--all")} << 2 << QString() << s("\"--all\" does not go");
        QTest::newRow("both row choices")
            << QStringList{s("tag"), folder, s("--all"), s("--checked")} << 2 << QString() << s("\"--checked\"");
        QTest::newRow("two karaoke states")
            << QStringList{s("list"), s("--downloaded"), s("--available")} << 2 << QString() << s("\"--available\"");
        QTest::newRow("unknown option") << QStringList{s("match"), folder, s("--fast")} << 2 << QString()
                                        << s("unknown option \"--fast\"");
        QTest::newRow("extra argument") << QStringList{s("recover"), folder} << 2 << QString()
                                        << s("unexpected argument");
        QTest::newRow("no such folder") << QStringList{s("match"), s("/no/such/folder")} << 2 << QString()
                                        << s("is not a folder");
        QTest::newRow("nothing matched") << QStringList{s("tag"), s("$EMPTY")} << 2 << QString()
                                         << s("matched a song of the collection");
        QTest::newRow("join without a PDF")
            << QStringList{s("join"), s("Quiet Owls - Ember")} << 2 << QString() << s("(--pdf FILE)");
        QTest::newRow("help") << QStringList{s("tag"), s("--help")} << 0 << s("Usage: stanzary-cli") << QString();
        QTest::newRow("version") << QStringList{s("--version")} << 0 << s("Stanzary 0.") << QString();
    }
    void usageAndNothingFound()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, status);
        QFETCH(QString, out);
        QFETCH(QString, err);
        const QString mp3 = mp3Folder(s("usage"));
        const QString empty = m_install->writeFile(s("mp3/empty/nothing at all.mp3"), test::mpegFrames(3));
        arguments.replaceInStrings(s("$MP3"), mp3);
        arguments.replaceInStrings(s("$EMPTY"), QFileInfo(empty).path());
        const test::CliRun run = cli(arguments);
        QCOMPARE(run.exitCode, status);
        QVERIFY2(QString::fromUtf8(run.out).startsWith(out), run.out.constData());
        QVERIFY2(QString::fromUtf8(run.err).contains(err), run.err.constData());
        QCOMPARE(run.out.isEmpty(), out.isEmpty());
        QCOMPARE(run.err.isEmpty(), err.isEmpty());
        QCOMPARE(test::filesBelow(mp3).size(), 7); // nothing written
    }

    // join --pdf: the songbook of the songs named, in the collection's order;
    // an existing file is replaced only with --force.
    void joinWritesASongbook_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QByteArray>("before"); // null: no file there
        QTest::addColumn<int>("status");
        QTest::addColumn<int>("pages"); // 0: the file keeps its bytes
        QTest::newRow("one song per page, Letter")
            << QStringList{s("--song-per-page"), s("--paper"), s("letter"), s("--font-size"), s("14")} << QByteArray()
            << 0 << 4;
        QTest::newRow("an existing file") << QStringList() << QByteArray("old") << 1 << 0;
        QTest::newRow("an existing file, --force")
            << QStringList{s("--force"), s("--paper"), s("a4")} << QByteArray("old") << 0 << 3;
    }
    void joinWritesASongbook()
    {
        QFETCH(QStringList, options);
        QFETCH(QByteArray, before);
        QFETCH(int, status);
        QFETCH(int, pages);
        QTemporaryDir out;
        const QString pdf = out.filePath(s("book.pdf"));
        QFile old(pdf);
        if (!before.isNull())
            QVERIFY(old.open(QIODevice::WriteOnly) && old.write(before) == before.size() && old.flush());
        const test::CliRun run = cli(
            QStringList{s("join"), s("quiet owls - ember"), s("Blue Lake - Night Train"), s("--pdf"), pdf} + options);
        QCOMPARE(run.exitCode, status);
        if (pages == 0) {
            QVERIFY2(run.err.contains("already exists (--force replaces it)"), run.err.constData());
            QCOMPARE(test::readAll(pdf), before);
            return;
        }
        QCOMPARE(run.out, QByteArray("2 of 2 songs written to ") + pdf.toUtf8() + '\n');
        const QStringList text = test::pdfPages(pdf);
        QCOMPARE(text.size(), pages);
        QCOMPARE(test::contentsPageOf(text.at(1), s("Night Train")), 3);
        QCOMPARE(test::contentsPageOf(text.at(1), s("Ember")), pages);
        QVERIFY(text.at(pages - 1).contains(s("more words")));
        QCOMPARE(test::pdfPaperName(pdf), options.contains(s("letter")) ? s("letter") : s("A4"));
    }

    // The tagger window's rows: the chosen song, the rows it checks by itself
    // and its alerts, as lines and as JSON.
    void matchShowsTheWindowsRows()
    {
        const QString f = mp3Folder(s("match"));
        const test::CliRun run = cli({s("match"), f});
        QCOMPARE(run.exitCode, int(CliDone));
        const QString noId3v1 = s("an id3v1 tag will be added");
        QCOMPARE(
            linesOf(run.out),
            QStringList(
                {s("[x] ") + f + s("blue lake night train.mp3\tBlue Lake - Night Train\t") + noId3v1,
                 s("[ ] ") + f + s("quiet owls ashes.mp3\tQuiet Owls - Ashes\tunfiltered"),
                 s("[ ] ") + f + s("tin drum tagged.mp3\tTin Drum - Tagged\twith lyrics3 tag, ") + noId3v1,
                 s("[ ] ") + f + s("velvet fox shared 1.mp3\tVelvet Fox - Shared\tmatched more than once, ") + noId3v1,
                 s("[ ] ") + f + s("velvet fox shared 2.mp3\tVelvet Fox - Shared\tmatched more than once, ") + noId3v1,
                 s("[x] ") + f + s("sub/Quiet Owls - Ember.mp3\tQuiet Owls - Ember")}));
        QCOMPARE(run.err, QByteArray("stanzary-cli: Matches: 6 / 7 (85.7%)\n"));

        const test::CliRun json = cli({s("match"), f, s("--json")});
        QCOMPARE(json.exitCode, int(CliDone));
        const QJsonObject object = QJsonDocument::fromJson(json.out).object();
        QCOMPARE(object.value(s("filesParsed")).toInt(), 7);
        QCOMPARE(object.value(s("checked")).toInt(), 2);
        const QJsonArray rows = object.value(s("rows")).toArray();
        QCOMPARE(rows.size(), 6);
        const QJsonObject shared = rows.at(3).toObject();
        QCOMPARE(shared.value(s("mp3")).toString(), f + s("velvet fox shared 1.mp3"));
        QCOMPARE(shared.value(s("checked")).toBool(), false);
        QCOMPARE(shared.value(s("song")).toString(), s("Velvet Fox - Shared"));
        QCOMPARE(canonical(shared.value(s("file")).toString()),
                 canonical(m_install->lyricsPath() + s("V/Velvet Fox - Shared.txt")));
        const QJsonArray candidates = shared.value(s("candidates")).toArray();
        QCOMPARE(candidates.size(), 1);
        QCOMPARE(candidates.at(0).toObject().value(s("chosen")).toBool(), true);
        const QJsonObject alerts = shared.value(s("alerts")).toObject();
        QVERIFY(alerts.value(s("matchedMoreThanOnce")).toBool() && alerts.value(s("withoutId3v1Tag")).toBool());
        QVERIFY(!alerts.value(s("severalCandidates")).toBool() && !alerts.value(s("unfiltered")).toBool()
                && !alerts.value(s("withLyrics3Tag")).toBool());
    }

    // Which files "tag" changes with its options, and the log lines it
    // prints; a dry run changes nothing at all.
    void tagging_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QStringList>("changed");  // the files that change
        QTest::addColumn<QStringList>("expected"); // lines of the log, $F the folder
        const QString blue = s("blue lake night train.mp3");
        const QString ember = s("sub/Quiet Owls - Ember.mp3");
        QTest::newRow("checked rows") << QStringList() << QStringList{blue, ember}
                                      << QStringList{s("File tagged..: $F") + blue, s("File tagged..: $F") + ember};
        QTest::newRow("checked, ID3v2 and .lrc")
            << QStringList{s("--id3v2"), s("--lrc")} << QStringList{blue, s("blue lake night train.lrc"), ember}
            << QStringList{s("File tagged..: $F") + blue,
                           s("    ID3v2 lyrics written (USLT and SYLT)"),
                           s("    .lrc file written: $Fblue lake night train.lrc"),
                           s("File tagged..: $F") + ember,
                           s("    ID3v2 lyrics written (USLT)"),
                           s("    No .lrc file: the song has no timestamp file")};
        QTest::newRow("all rows") << QStringList{s("--all")} << QStringList{blue,
                                                                            s("quiet owls ashes.mp3"),
                                                                            s("tin drum tagged.mp3"),
                                                                            s("velvet fox shared 1.mp3"),
                                                                            s("velvet fox shared 2.mp3"),
                                                                            ember}
                                  << QStringList();
        QTest::newRow("dry run") << QStringList{s("--all"), s("--id3v2"), s("--lrc"), s("--dry-run")} << QStringList()
                                 << QStringList{s("Would tag....: $F") + blue,
                                                s("    ID3v2 lyrics would be written (USLT and SYLT)"),
                                                s("    .lrc file would be written: $Fblue lake night train.lrc")};
    }
    void tagging()
    {
        QFETCH(QStringList, options);
        QFETCH(QStringList, changed);
        QFETCH(QStringList, expected);
        const QString f = mp3Folder(QString::fromUtf8(QTest::currentDataTag()));
        const QMap<QString, QByteArray> before = test::filesBelow(m_install->root());
        const bool journalsBefore = QFileInfo::exists(cliJournalFolder());

        const test::CliRun run = cli(QStringList{s("tag"), f} + options);
        QCOMPARE(run.exitCode, int(CliDone));
        QCOMPARE(run.err, QByteArray());
        const QStringList log = linesOf(run.out);
        for (qsizetype i = 0; i < expected.size(); ++i)
            QCOMPARE(log.value(i), QString(expected.at(i)).replace(s("$F"), f));
        if (expected.isEmpty())
            QCOMPARE(log.size(), changed.size());

        const QMap<QString, QByteArray> after = test::filesBelow(m_install->root());
        QStringList differ;
        for (auto it = after.cbegin(); it != after.cend(); ++it) {
            if (before.value(it.key()) != it.value())
                differ << QDir(f).relativeFilePath(m_install->root() + it.key());
        }
        std::sort(changed.begin(), changed.end());
        std::sort(differ.begin(), differ.end());
        QCOMPARE(differ, changed);
        for (const QString &file : std::as_const(changed)) {
            if (file.endsWith(s(".mp3")))
                QVERIFY(test::readAll(f + file).contains("LYRICSBEGININD00003100LYR"));
        }
        if (options.contains(s("--dry-run")))
            QCOMPARE(QFileInfo::exists(cliJournalFolder()), journalsBefore);
    }

    // A row that cannot be tagged is told with its reason; the others are
    // tagged, and the status says that something failed.
    void aFailedRowIsTold()
    {
        const QString f = mp3Folder(s("failing"));
        test::setReadOnly(f + s("quiet owls ashes.mp3"), true);
        const test::CliRun run = cli({s("tag"), f, s("--all")});
        test::setReadOnly(f + s("quiet owls ashes.mp3"), false);
        QCOMPARE(run.exitCode, int(CliFailed));
        const QStringList log = linesOf(run.out);
        QCOMPARE(log.size(), 7);
        QCOMPARE(log.at(1), s("Error tagging: ") + f + s("quiet owls ashes.mp3"));
        QCOMPARE(log.at(2), s("    the file is read-only"));
        QCOMPARE(log.count(s("File tagged..: ") + f + s("tin drum tagged.mp3")), 1);
        QCOMPARE(test::readAll(f + s("quiet owls ashes.mp3")), test::mpegFrames(22) + test::id3v1Record("Ashes"));
    }

    // "lrc" writes only the .lrc files, beside every matched MP3 file whose
    // song has stamps that pair with its lines.
    void lrcFilesOnly()
    {
        const QString f = mp3Folder(s("lrc"));
        const QMap<QString, QByteArray> before = test::filesBelow(f);
        const test::CliRun dry = cli({s("lrc"), f, s("--dry-run")});
        QCOMPARE(dry.exitCode, int(CliDone));
        QCOMPARE(linesOf(dry.out).first(), s(".lrc file would be written: ") + f + s("blue lake night train.lrc"));
        QCOMPARE(test::filesBelow(f), before);

        const test::CliRun run = cli({s("lrc"), f});
        QCOMPARE(run.exitCode, int(CliDone));
        const QStringList log = linesOf(run.out);
        QCOMPARE(log.size(), 6);
        QCOMPARE(log.first(), s(".lrc file written: ") + f + s("blue lake night train.lrc"));
        QCOMPARE(log.at(1), s("No .lrc file for ") + f + s("quiet owls ashes.mp3: the song has no timestamp file"));
        QMap<QString, QByteArray> after = test::filesBelow(f);
        QCOMPARE(after.take(s("blue lake night train.lrc")), QByteArray("[00:00.00]words\r\n[00:13.00]more words\r\n"));
        QCOMPARE(after, before);
    }

    // The tagging process is killed at a moment of its writes; "recover"
    // then puts the file it was writing back, and every MP3 file holds its
    // old bytes, its bytes after the Lyrics3 tag, or its final ones. A
    // tagging that follows finishes the job.
    void killedTaggingIsRecovered_data()
    {
        QTest::addColumn<int>("tailStep");    // -1: none
        QTest::addColumn<int>("rewriteStep"); // -1: none
        QTest::addColumn<bool>("restores");
        const auto tail = [](const char *name, TailStep step) { QTest::newRow(name) << int(step) << -1 << true; };
        const auto rewrite = [](const char *name, RewriteStep step) {
            QTest::newRow(name) << -1 << int(step) << false;
        };
        tail("Lyrics3: journal saved", TailStep::JournalSaved);
        tail("Lyrics3: part written", TailStep::PartWritten);
        tail("Lyrics3: tail written", TailStep::TailWritten);
        tail("Lyrics3: file synced", TailStep::FileSynced);
        rewrite("ID3v2: copy made", RewriteStep::CopyMade);
        rewrite("ID3v2: copy changed", RewriteStep::CopyChanged);
        rewrite("ID3v2: copy synced", RewriteStep::CopySynced);
    }
    void killedTaggingIsRecovered()
    {
        QFETCH(int, tailStep);
        QFETCH(int, rewriteStep);
        QFETCH(bool, restores);
        const QStringList options{s("--all"), s("--id3v2"), s("--lrc")};
        // The bytes after the Lyrics3 tag alone, and after everything.
        const QString lyrics3Only = mp3Folder(s("reference-lyrics3"));
        const QString final = mp3Folder(s("reference-final"));
        QCOMPARE(cli({s("tag"), lyrics3Only, s("--all")}).exitCode, int(CliDone));
        QCOMPARE(cli(QStringList{s("tag"), final} + options).exitCode, int(CliDone));

        const QString f = mp3Folder(s("killed"));
        const QMap<QString, QByteArray> old = test::filesBelow(f);
        KillPoint kill;
        if (tailStep >= 0)
            kill.tail = TailStep(tailStep);
        if (rewriteStep >= 0)
            kill.rewrite = RewriteStep(rewriteStep);
        kill.occurrence = 3;
        QVERIFY(tagInChild(QStringList{s("tag"), f} + options, kill).stopped);

        const test::CliRun recover = cli({s("recover")});
        QCOMPARE(recover.exitCode, int(CliDone));
        QCOMPARE(QString::fromUtf8(recover.out).startsWith(s("Restored after an interrupted write: ")), restores);
        const QMap<QString, QByteArray> now = test::filesBelow(f);
        int changed = 0;
        for (auto it = old.cbegin(); it != old.cend(); ++it) {
            const QByteArray bytes = now.value(it.key());
            QVERIFY2(bytes == it.value() || bytes == test::readAll(lyrics3Only + it.key())
                         || bytes == test::readAll(final + it.key()),
                     qPrintable(it.key()));
            changed += bytes != it.value();
        }
        // The two files finished before the kill, and the Lyrics3 tag of the
        // third when its ID3v2 copy was cut short.
        QCOMPARE(changed, restores ? 2 : 3);

        const test::CliRun again = cli(QStringList{s("tag"), f} + options);
        QCOMPARE(again.exitCode, int(CliDone));
        QCOMPARE(test::filesBelow(f), test::filesBelow(final)); // no copy of ours left either
    }

    // While another process tags files of the folder, "tag" refuses at once
    // and says why, or with --wait waits until the folder is free; it never
    // writes meanwhile.
    void anotherTaggingOfTheFolder()
    {
        const QString f = mp3Folder(s("busy"));
        const QString done = mp3Folder(s("busy-reference"));
        QCOMPARE(cli({s("tag"), done}).exitCode, int(CliDone));
        const QMap<QString, QByteArray> before = test::filesBelow(f);

        QProcess waiting;
        KillPoint firstJournal;
        firstJournal.tail = TailStep::JournalSaved;
        const test::ChildEnd end = tagInChild({s("tag"), f}, firstJournal, [&] {
            const test::CliRun refused = cli({s("tag"), f});
            QCOMPARE(refused.exitCode, int(CliFailed));
            QCOMPARE(refused.out, QByteArray());
            QVERIFY2(QString::fromUtf8(refused.err).contains(s("another program is tagging files in ") + canonical(f)),
                     refused.err.constData());

            waiting.setProcessEnvironment(m_install->environment());
            waiting.setReadChannel(QProcess::StandardError);
            waiting.start(m_program, {s("tag"), f, s("--wait")});
            while (!waiting.readAllStandardError().contains("waiting: another program is tagging files in "))
                QVERIFY(waiting.waitForReadyRead(60000));
            // The first file is as the killed tagging left it: untouched yet.
            QCOMPARE(test::filesBelow(f), before);
        });
        QVERIFY(end.stopped);
        QVERIFY(waiting.waitForFinished(120000));
        QCOMPARE(waiting.exitCode(), int(CliDone));
        // It rolled back the write the killed tagging left, then tagged.
        const QStringList log = linesOf(waiting.readAllStandardOutput());
        QCOMPARE(log.value(0),
                 s("Restored after an interrupted write: ") + canonical(f + s("blue lake night train.mp3")));
        QCOMPARE(log.mid(1), QStringList({s("File tagged..: ") + f + s("blue lake night train.mp3"),
                                          s("File tagged..: ") + f + s("sub/Quiet Owls - Ember.mp3")}));
        QCOMPARE(test::filesBelow(f), test::filesBelow(done));
    }
};

QTEST_GUILESS_MAIN(tst_StanzaryCli)
#include "tst_stanzarycli.moc"
