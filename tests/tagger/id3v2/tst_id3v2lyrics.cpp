#include "tagger/Id3v2Lyrics.h"
#include "tagger/Id3v2Tagging.h"
#include "tagger/Lyrics3Writer.h"

#include "ChildProcess.h"
#include "FakeInstallation.h"
#include "Mp3Bytes.h"
#include "NamedPipe.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>

using namespace stanzary;

namespace {

const QByteArray Id3v1 = test::id3v1Record("Old Title");
const QByteArray Lyrics3 = test::lyrics3v2Tag({{"IND", "100"}, {"LYR", "Hello\r\nThere"}});

// An ID3v2 tag of the given major version with a title frame (or another
// text frame) and padding.
QByteArray id3v2Tag(int major, const QByteArray &id = "TIT2")
{
    return test::id3v2Tag(major, test::id3v2Frame(id, QByteArray("\0Old title", 10)), 64);
}

QByteArray layout(const QString &name)
{
    const QByteArray audio = test::mpegFrames(40);
    if (name == u"audio only")
        return audio;
    if (name == u"ID3v1")
        return audio + Id3v1;
    if (name == u"Lyrics3, ID3v1")
        return audio + Lyrics3 + Id3v1;
    if (name == u"APE, Lyrics3, ID3v1")
        return audio + test::apeTag() + Lyrics3 + Id3v1;
    if (name == u"ID3v2.3 in front, Lyrics3, ID3v1")
        return id3v2Tag(3) + audio + Lyrics3 + Id3v1;
    if (name == u"ID3v2.4 in front, APE, ID3v1")
        return id3v2Tag(4) + audio + test::apeTag() + Id3v1;
    // Junk in front of a tag that a reader finds only by searching for it.
    if (name == u"ID3v2 behind junk")
        return QByteArray(300, 'J') + id3v2Tag(3) + audio;
    if (name == u"ID3v2.3 with a size frame")
        return id3v2Tag(3, "TSIZ") + audio;
    // The footer flag exists from ID3v2.4 on; a reader that believes it in
    // an older tag takes ten bytes of audio for the footer.
    if (name == u"ID3v2.3 marked with a footer") {
        QByteArray tag = id3v2Tag(3);
        tag[5] = 0x10;
        return tag + audio + Id3v1;
    }
    if (name == u"damaged ID3v2 header")
        return QByteArray("ID3\x03\0\0\0\0\x80\0", 10) + audio;
    if (name == u"ID3v2 longer than the file")
        return QByteArray("ID3\x03\0\0\x7f\x7f\x7f\x7f", 10) + audio;
    return {};
}

// What follows the ID3v2 tag at the front of the bytes.
QByteArray behindTag(const QByteArray &bytes)
{
    const std::optional<qint64> size = id3v2TagSizeAtStart(bytes.left(10), bytes.size());
    return size ? bytes.mid(*size) : QByteArray("<no tag size>");
}

const QString Unsynced = QStringLiteral("Caf\u00e9 lights\nall night long\n\nLyrics by Tunewright (site)");
const QList<SyncedLine> Synced{{0, QStringLiteral("Caf\u00e9 lights")}, {13200, QStringLiteral("all night long")}};

struct ScriptRun
{
    bool missing = false; // no python3 or no mutagen
    bool ok = false;
    QByteArray output;
    QByteArray errors;
};

// Runs one of the mutagen scripts beside this test.
ScriptRun runScript(const char *script, const QStringList &arguments)
{
    ScriptRun run;
    const QString python = QStringLiteral(STANZARY_PYTHON3);
    run.missing = python.isEmpty();
    if (run.missing)
        return run;
    QProcess process;
    process.start(python, QStringList{QString::fromUtf8(script)} + arguments);
    const bool finished = process.waitForFinished(60000);
    run.missing = finished && process.exitCode() == 3;
    run.ok = finished && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
    run.output = process.readAllStandardOutput();
    run.errors = process.readAllStandardError();
    return run;
}

// Every frame of the file's ID3v2 tag as mutagen reads it, by its key.
QJsonObject framesSeenIn(const QString &mp3)
{
    const ScriptRun reader = runScript(STANZARY_FRAME_READER, {mp3});
    return QJsonDocument::fromJson(reader.output).object().value(u"frames").toObject();
}

// Runs the write in a child process that is killed with SIGKILL when it
// reaches the step: nothing after that moment runs.
int writeInChildKilledAt(const QString &mp3, RewriteStep step)
{
    const test::ChildEnd end = test::runInChild([&](const test::StopHere &stop) {
        RewriteHooks hooks;
        hooks.reached = [&](RewriteStep reached) {
            if (reached == step)
                stop();
        };
        return writeId3v2Lyrics(mp3, {Unsynced, Synced}, hooks).ok();
    });
    return end.stopped ? end.signal : -1;
}

// Where a named pipe takes a file's place.
enum class PipeAt { FileRead, FileReadSynced, FileWritten, Copy, Original };

} // namespace

class tst_Id3v2Lyrics : public QObject
{
    Q_OBJECT

    QTemporaryDir m_tmp;

    QString write(const QString &name, const QByteArray &content)
    {
        return test::FakeInstallation(m_tmp.path()).writeFile(name, content);
    }

private slots:
    // The frames read back through the tag library; everything behind the
    // ID3v2 tag (audio, APE, Lyrics3, ID3v1) is byte for byte as it was, and
    // an existing tag keeps its other frames and its version.
    void writesFramesAndKeepsTheRest_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("version");
        QTest::newRow("audio only") << QStringLiteral("audio only") << 3;
        QTest::newRow("ID3v1") << QStringLiteral("ID3v1") << 3;
        QTest::newRow("Lyrics3, ID3v1") << QStringLiteral("Lyrics3, ID3v1") << 3;
        QTest::newRow("APE, Lyrics3, ID3v1") << QStringLiteral("APE, Lyrics3, ID3v1") << 3;
        QTest::newRow("ID3v2.3 tag") << QStringLiteral("ID3v2.3 in front, Lyrics3, ID3v1") << 3;
        QTest::newRow("ID3v2.4 tag") << QStringLiteral("ID3v2.4 in front, APE, ID3v1") << 4;
    }
    void writesFramesAndKeepsTheRest()
    {
        QFETCH(QString, name);
        QFETCH(int, version);
        const QByteArray before = layout(name);
        const QString mp3 = write(name + QStringLiteral(".mp3"), before);

        const WriteResult result = writeId3v2Lyrics(mp3, {Unsynced, Synced});
        QVERIFY2(result.ok(), qPrintable(result.error));
        QCOMPARE(readUnsyncedLyrics(mp3), std::optional<QString>(Unsynced));
        QCOMPARE(readSyncedLyrics(mp3), std::optional<QList<SyncedLine>>(Synced));
        const QByteArray after = test::readAll(mp3);
        QCOMPARE(behindTag(after), behindTag(before));
        QCOMPARE(int(after.at(3)), version);
        QCOMPARE(after.left(int(after.size() - behindTag(after).size())).contains("Old title"),
                 before.startsWith("ID3"));
        QVERIFY(!QFile::exists(rewriteCopyPath(mp3)));
    }

    // A second write replaces the frames this program wrote; a write
    // without synchronised lines leaves the SYLT frame as it is.
    void rewritesItsOwnFrames()
    {
        const QString mp3 = write(QStringLiteral("twice.mp3"), layout(QStringLiteral("Lyrics3, ID3v1")));
        QVERIFY(writeId3v2Lyrics(mp3, {QStringLiteral("first"), Synced}).ok());
        const QString text = QStringLiteral("second \u0436"); // not Latin-1: stored as UTF-16
        QVERIFY(writeId3v2Lyrics(mp3, {text, std::nullopt}).ok());
        QCOMPARE(readUnsyncedLyrics(mp3), std::optional<QString>(text));
        QCOMPARE(readSyncedLyrics(mp3), std::optional<QList<SyncedLine>>(Synced));
        const QByteArray after = test::readAll(mp3);
        const QByteArray tag = after.left(int(after.size() - behindTag(after).size()));
        QCOMPARE(tag.count("USLT"), 1);
        QCOMPARE(tag.count("SYLT"), 1);
    }

    // Files whose tag this program cannot change safely, and read-only
    // files: nothing changes, and no copy is left behind.
    void refusesAndLeavesTheFile_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("readOnly");
        QTest::newRow("ID3v2 tag behind junk") << QStringLiteral("ID3v2 behind junk") << false;
        QTest::newRow("damaged ID3v2 header") << QStringLiteral("damaged ID3v2 header") << false;
        // The tag library would drop the frame when it writes the tag again.
        QTest::newRow("ID3v2.3 frame the library drops") << QStringLiteral("ID3v2.3 with a size frame") << false;
        QTest::newRow("ID3v2 tag longer than the file") << QStringLiteral("ID3v2 longer than the file") << false;
        QTest::newRow("ID3v2.3 tag marked with a footer") << QStringLiteral("ID3v2.3 marked with a footer") << false;
        QTest::newRow("read-only file") << QStringLiteral("ID3v1") << true;
    }
    void refusesAndLeavesTheFile()
    {
        QFETCH(QString, name);
        QFETCH(bool, readOnly);
        const QByteArray before = layout(name);
        const QString mp3 = write(QStringLiteral("refused/") + name + QStringLiteral("/song.mp3"), before);
        test::setReadOnly(mp3, readOnly);
        const WriteResult result = writeId3v2Lyrics(mp3, {Unsynced, Synced});
        QCOMPARE(result.status, readOnly ? WriteStatus::ReadOnly : WriteStatus::Failed);
        QVERIFY(readOnly || !result.error.isEmpty());
        QCOMPARE(test::readAll(mp3), before);
        QCOMPARE(QDir(QFileInfo(mp3).path()).entryList(QDir::Files | QDir::Hidden).size(), 1);
    }

    // A file-size limit that the copy runs into: the write
    // fails with the system's reason, and the file keeps its bytes.
    void sizeLimitLeavesTheFile()
    {
        const QByteArray before = layout(QStringLiteral("ID3v2.3 in front, Lyrics3, ID3v1"));
        const QString mp3 = write(QStringLiteral("limit/song.mp3"), before);
        const test::ChildEnd end = test::runInChild([&](const test::StopHere &) {
            if (!test::limitFileSize(before.size() / 2))
                return false;
            const WriteResult result = writeId3v2Lyrics(mp3, {Unsynced, Synced});
            return result.status == WriteStatus::Failed && result.error.contains(QStringLiteral("File too large"));
        });
        QVERIFY(end.exitedNormally);
        QCOMPARE(end.exitCode, 0);
        QCOMPARE(test::readAll(mp3), before);
    }

    // The new file has the old one's permissions, and a link to the file
    // stays a link (its target is rewritten).
    void keepsPermissionsAndLinks()
    {
        const QString mp3 = write(QStringLiteral("kept/real.mp3"), layout(QStringLiteral("ID3v1")));
        const auto permissions = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup;
        QVERIFY(QFile::setPermissions(mp3, permissions));
        const QFileDevice::Permissions expected = QFileInfo(mp3).permissions();
        const QString link = m_tmp.filePath(QStringLiteral("kept/link.mp3"));
        QVERIFY(QFile::link(mp3, link));
        QVERIFY(writeId3v2Lyrics(link, {Unsynced, Synced}).ok());
        QVERIFY(QFileInfo(link).isSymLink());
        QCOMPARE(readUnsyncedLyrics(mp3), std::optional<QString>(Unsynced));
        QCOMPARE(QFileInfo(mp3).permissions(), expected);
    }

    // The writing process is killed at each step: the file is whole, the
    // old one before the rename and the new one after it; the next write
    // clears the copy a kill left behind.
    void killedDuringTheWrite_data()
    {
        QTest::addColumn<int>("step");
        QTest::addColumn<bool>("replaced");
        QTest::newRow("copy made") << int(RewriteStep::CopyMade) << false;
        QTest::newRow("copy changed") << int(RewriteStep::CopyChanged) << false;
        QTest::newRow("copy synced") << int(RewriteStep::CopySynced) << false;
        QTest::newRow("renamed") << int(RewriteStep::Replaced) << true;
    }
    void killedDuringTheWrite()
    {
        QFETCH(int, step);
        QFETCH(bool, replaced);
        const QByteArray before = layout(QStringLiteral("APE, Lyrics3, ID3v1"));
        const QString reference = write(QStringLiteral("killed/reference.mp3"), before);
        QVERIFY(writeId3v2Lyrics(reference, {Unsynced, Synced}).ok());
        const QByteArray after = test::readAll(reference);

        const QString mp3 = write(QStringLiteral("killed/song.mp3"), before);
        QCOMPARE(writeInChildKilledAt(mp3, RewriteStep(step)), SIGKILL);
        QCOMPARE(test::readAll(mp3), replaced ? after : before);
        QCOMPARE(QFile::exists(rewriteCopyPath(mp3)), !replaced);

        QVERIFY(writeId3v2Lyrics(mp3, {Unsynced, Synced}).ok());
        QCOMPARE(test::readAll(mp3), after);
        QVERIFY(!QFile::exists(rewriteCopyPath(mp3)));
    }

    // Tags other programs wrote (mutagen's frames in ID3v2.2, 2.3 and 2.4
    // tags). When the tag library would write one without some of its
    // frames, or with their content changed, the file stays byte for byte
    // as it was and the log names those frames; any other tag gets the
    // lyrics, and another reader (mutagen) finds every old frame as it was
    // but the lyrics frame that is replaced.
    void keepsOtherWritersFrames_data()
    {
        QTest::addColumn<QString>("version");
        QTest::addColumn<QStringList>("frames"); // names of write_foreign_tag.py
        QTest::addColumn<QString>("lost");       // the frames the log names; none: the tag is written
        const auto row = [](const char *name, const char *version, const char *frames, const char *lost = "") {
            QTest::newRow(name) << QString::fromLatin1(version) << QString::fromLatin1(frames).split(u' ')
                                << QString::fromLatin1(lost);
        };
        row("2.3, frames every tagger writes", "2.3",
            "TIT2 TPE1 TALB TRCK TCON COMM APIC TXXX WXXX WOAR POPM UFID PRIV GEOB IPLS USLT SYLT USLT-nodesc");
        row("2.3, year, date and time", "2.3", "TYER TDAT TIME");
        row("2.3, unsynchronised", "2.3", "+unsync TIT2 APIC");
        row("2.4, its own frames, unsynchronised, extended header", "2.4",
            "+unsync +extended TIT2 RVA2 TMOO TSST TDRL TPRO TDTG EQU2 ASPI SEEK SIGN");
        row("2.2, frames every tagger writes", "2.2", "TT2 TP1 TAL TRK COM PIC TXX ULT");
        row("2.3 holding frames of 2.4", "2.3", "TIT2 RVA2 TMOO TSST TDRL TPRO TDTG EQU2 ASPI SEEK SIGN",
            "RVA2, TMOO, TSST, TDRL, TPRO, TDTG, EQU2, ASPI, SEEK, SIGN");
        row("2.3 holding frames 2.4 has no more", "2.3", "TIT2 RVAD TRDA TSIZ", "RVAD, TRDA, TSIZ");
        row("2.3, date and time without a year", "2.3", "TIT2 TDAT TIME", "TDAT, TIME");
        row("2.3, extended header", "2.3", "+extended TIT2 APIC", "TIT2, APIC");
        row("2.3, a genre refined", "2.3", "TIT2 TCON-refined", "TCON");
        row("2.2, year, date, time and a link", "2.2", "TT2 TYE TDA TIM LNK", "TDA, TIM, LNK");
        row("2.2, lyricist", "2.2", "TT2 TXT", "TXT");
    }
    void keepsOtherWritersFrames()
    {
        QFETCH(QString, version);
        QFETCH(QStringList, frames);
        QFETCH(QString, lost);
        const QString mp3 = write(QStringLiteral("foreign/%1.mp3").arg(QString::fromLatin1(QTest::currentDataTag())),
                                  layout(QStringLiteral("Lyrics3, ID3v1")));
        const ScriptRun writer = runScript(STANZARY_TAG_WRITER, QStringList{mp3, version} + frames);
        if (writer.missing)
            QSKIP("python3-mutagen is not installed");
        QVERIFY2(writer.ok, writer.errors.constData());
        const QByteArray before = test::readAll(mp3);
        const QJsonObject seenBefore = framesSeenIn(mp3);
        QVERIFY(!seenBefore.isEmpty());

        const QString lyrics = write(QStringLiteral("foreign/song.txt"), "new words");
        const Id3v2TagResult result = TagId3v2Lyrics(mp3, lyrics, "new words", CodePage());
        if (!lost.isEmpty()) {
            QCOMPARE(result.notes,
                     QStringList{QStringLiteral("    ID3v2 lyrics not written: The file's ID3v2 tag holds "
                                                "frames (%1) that writing it again would lose; the file "
                                                "is left as it is.")
                                     .arg(lost)});
            QCOMPARE(test::readAll(mp3), before);
            return;
        }
        QVERIFY2(result.written, qPrintable(result.notes.join(u'\n')));
        QCOMPARE(readUnsyncedLyrics(mp3), std::optional<QString>(QStringLiteral("new words")));
        QCOMPARE(behindTag(test::readAll(mp3)), behindTag(before));
        const QJsonObject seenAfter = framesSeenIn(mp3);
        for (auto it = seenBefore.begin(); it != seenBefore.end(); ++it) {
            if (it.key().startsWith(u"USLT:") && it.value()[u"desc"].toString().isEmpty())
                continue;
            const QByteArray was = QJsonDocument(QJsonArray{it.value()}).toJson(QJsonDocument::Compact);
            const QByteArray is = QJsonDocument(QJsonArray{seenAfter.value(it.key())}).toJson(QJsonDocument::Compact);
            QVERIFY2(was == is, qPrintable(it.key() + u' ' + QString::fromUtf8(was + " became " + is)));
        }
    }

    // A named pipe in the place of the MP3 file, of the copy the tag library
    // writes or of the file the copy was made of is passed over at once:
    // nothing is read or written, and nothing waits for the pipe's writer.
    void passesOverNamedPipes_data()
    {
        QTest::addColumn<int>("place");
        QTest::newRow("USLT reader") << int(PipeAt::FileRead);
        QTest::newRow("SYLT reader") << int(PipeAt::FileReadSynced);
        QTest::newRow("writer") << int(PipeAt::FileWritten);
        QTest::newRow("copy the tag library writes") << int(PipeAt::Copy);
        QTest::newRow("file the copy was made of") << int(PipeAt::Original);
    }
    void passesOverNamedPipes()
    {
        QFETCH(int, place);
        const QString mp3 = m_tmp.filePath(QStringLiteral("pipes/%1.mp3").arg(place));
        QVERIFY(QDir().mkpath(QFileInfo(mp3).path()));
        const QByteArray bytes = layout(QStringLiteral("ID3v2.3 in front, Lyrics3, ID3v1"));
        if (place < int(PipeAt::Copy))
            test::makeNamedPipe(mp3);
        else
            write(QStringLiteral("pipes/%1.mp3").arg(place), bytes);
        const QString pipe = place == int(PipeAt::Copy) ? rewriteCopyPath(mp3) : mp3;
        RewriteHooks hooks;
        hooks.reached = [&](RewriteStep step) {
            if (step == RewriteStep::CopyMade && QFile::remove(pipe))
                test::makeNamedPipe(pipe);
        };
        bool found = true;
        QVERIFY2(test::finishesWithoutWaiting(pipe,
                                              [&] {
                                                  if (place == int(PipeAt::FileRead))
                                                      found = readUnsyncedLyrics(mp3).has_value();
                                                  else if (place == int(PipeAt::FileReadSynced))
                                                      found = readSyncedLyrics(mp3).has_value();
                                                  else
                                                      found = writeId3v2Lyrics(mp3, {Unsynced, Synced}, hooks).ok();
                                              }),
                 "waited on a named pipe");
        QVERIFY(!found);
        if (place == int(PipeAt::Copy))
            QCOMPARE(test::readAll(mp3), bytes);
        QVERIFY(!QFileInfo(mp3).isFile() || !QFile::exists(rewriteCopyPath(mp3)));
    }

    // Songs of the sample collection tagged as the tagger does with the
    // option on: the Lyrics3 tag first, then the ID3v2 lyrics. The Lyrics3
    // tag, the ID3v1 record and the audio stay byte for byte; every stamp
    // of the sample's timestamp file becomes a SYLT line starting with its
    // two characters.
    void taggingSampleSongs_data()
    {
        QTest::addColumn<QString>("song");
        QTest::addColumn<int>("syncedLines"); // -1: no SYLT frame
        QTest::addColumn<QString>("note");    // the log's note below the file's line
        QTest::newRow("timestamps") << QStringLiteral("A/Amber Lanterns - Paper Boats") << 10
                                    << QStringLiteral("ID3v2 lyrics written (USLT and SYLT)");
        QTest::newRow("timestamp file named .KAS") << QStringLiteral("G/Gravel Moon - Highway Nine") << 8
                                                   << QStringLiteral("ID3v2 lyrics written (USLT and SYLT)");
        QTest::newRow("no timestamps") << QStringLiteral("S/Sorrel Avenue - Kite Season") << -1
                                       << QStringLiteral("ID3v2 lyrics written (USLT)");
        QTest::newRow("a stamp without its line")
            << QStringLiteral("unpaired") << -1 << QStringLiteral("no lyric line for stamp 2 (00:13.0, \"Zz\")");
    }
    void taggingSampleSongs()
    {
        QFETCH(QString, song);
        QFETCH(int, syncedLines);
        QFETCH(QString, note);
        const QString site = QStringLiteral("http://www.quarvex.example");
        const CodePage cp;
        test::FakeInstallation fake(m_tmp.filePath(QStringLiteral("samples/") + QString(song).replace(u'/', u'_')));
        QString lyricsPath;
        if (song == u"unpaired") {
            lyricsPath = fake.addLyrics(QStringLiteral("Band - Song.txt"), "Hello\r\nWorld\r\n");
            fake.addKas(QStringLiteral("Band - Song.txt"), "@@HeAAZz;\r\n");
        } else {
            const QString from = qEnvironmentVariable("STANZARY_EXAMPLES") + QStringLiteral("/Tunewright/lyrics/");
            QVERIFY2(QFile::exists(from + song + QStringLiteral(".txt")), qPrintable(from + song));
            lyricsPath =
                fake.addLyrics(QStringLiteral("song.txt"), test::readAll(from + song + QStringLiteral(".txt")));
            for (const QString &ext : {QStringLiteral(".kas"), QStringLiteral(".KAS")}) {
                if (QFile::exists(from + song + ext))
                    fake.writeFile(QStringLiteral("lyrics/song") + ext, test::readAll(from + song + ext));
            }
        }
        const QString mp3 = fake.writeFile(QStringLiteral("song.mp3"), test::mpegFrames(30) + Id3v1);
        QVERIFY(TagMp3File(mp3, lyricsPath, QStringLiteral("Band - Song"), cp, site));
        const QByteArray lyrics3Tagged = test::readAll(mp3);
        const QByteArray prepared = PrepareTagText(test::readAll(lyricsPath), site);

        const QString log = TagRowId3v2Lyrics(mp3, lyricsPath, cp, site);
        QVERIFY2(log.startsWith(QStringLiteral("    ID3v2 lyrics written")) && log.contains(note), qPrintable(log));
        QCOMPARE(behindTag(test::readAll(mp3)), lyrics3Tagged);
        QCOMPARE(readUnsyncedLyrics(mp3),
                 std::optional<QString>(cp.decode(prepared).replace(QStringLiteral("\r\n"), QStringLiteral("\n"))));
        const std::optional<QList<SyncedLine>> synced = readSyncedLyrics(mp3);
        QCOMPARE(synced ? int(synced->size()) : -1, syncedLines);
        const KasContent kas = readKasFile(kasPathOnDisk(lyricsPath));
        for (int i = 0; synced && i < synced->size(); ++i)
            QVERIFY(synced->at(i).text.startsWith(cp.decode(kas.records.at(i).prefix).trimmed()));
    }

    // Another program's tag reader (mutagen) reads the frames as written.
    void anotherReaderSeesTheFrames_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("version");
        QTest::addColumn<int>("encoding"); // the frames' text encoding byte: 0 Latin-1, 1 UTF-16
        QTest::newRow("new ID3v2.3 tag, Latin-1") << QStringLiteral("Lyrics3, ID3v1") << Unsynced << "2.3" << 0;
        QTest::newRow("ID3v2.4 tag, UTF-16") << QStringLiteral("ID3v2.4 in front, APE, ID3v1")
                                             << QStringLiteral("\u0416\u0443\u043a\nline two") << "2.4" << 1;
    }
    void anotherReaderSeesTheFrames()
    {
        QFETCH(QString, name);
        QFETCH(QString, text);
        QFETCH(QString, version);
        QFETCH(int, encoding);
        const QString mp3 = write(QStringLiteral("mutagen/") + name + QStringLiteral(".mp3"), layout(name));
        const QList<SyncedLine> lines{{1500, text.section(u'\n', 0, 0)}, {2405400, QStringLiteral("last")}};
        QVERIFY(writeId3v2Lyrics(mp3, {text, lines}).ok());

        const ScriptRun reader = runScript(STANZARY_FRAME_READER, {mp3});
        if (reader.missing)
            QSKIP("python3-mutagen is not installed");
        QVERIFY2(reader.ok, reader.errors.constData());
        const QJsonObject seen = QJsonDocument::fromJson(reader.output).object();
        QCOMPARE(seen.value(u"version").toString(), version);
        const QJsonArray uslt = seen.value(u"USLT").toArray();
        QCOMPARE(uslt.size(), 1);
        QCOMPARE(uslt.at(0)[u"text"].toString(), text);
        QCOMPARE(uslt.at(0)[u"lang"].toString(), QStringLiteral("XXX"));
        QCOMPARE(uslt.at(0)[u"desc"].toString(), QString());
        QCOMPARE(uslt.at(0)[u"encoding"].toInt(), encoding);
        const QJsonArray sylt = seen.value(u"SYLT").toArray();
        QCOMPARE(sylt.size(), 1);
        QCOMPARE(sylt.at(0)[u"format"].toInt(), 2); // milliseconds
        QCOMPARE(sylt.at(0)[u"type"].toInt(), 1);   // lyrics
        QCOMPARE(sylt.at(0)[u"encoding"].toInt(), encoding);
        const QJsonArray entries = sylt.at(0)[u"entries"].toArray();
        QCOMPARE(entries.size(), lines.size());
        for (int i = 0; i < lines.size(); ++i) {
            QCOMPARE(entries.at(i)[0].toString(), lines.at(i).text);
            QCOMPARE(entries.at(i)[1].toInteger(), qint64(lines.at(i).milliseconds));
        }
    }
};

QTEST_GUILESS_MAIN(tst_Id3v2Lyrics)
#include "tst_id3v2lyrics.moc"
