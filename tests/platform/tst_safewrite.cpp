#include "app/ImageIndex.h"
#include "app/JoinLyrics.h"
#include "app/Manifest.h"
#include "karaoke/KasFile.h"
#include "lists/SongLists.h"
#include "platform/DurableFile.h"
#include "platform/ReplacementFile.h"
#include "platform/SafeWrite.h"
#include "platform/TailJournal.h"
#include "store/CollectionScan.h"
#include "store/LyricsFile.h"
#include "tagger/LrcExport.h"
#include "tagger/Mp3FolderScan.h"

#include "ChildProcess.h"
#include "FakeInstallation.h"
#include "NamedPipe.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace stanzary;

namespace {

QByteArray content(int size, char fill)
{
    return QByteArray(size, fill) + "\r\n";
}

ino_t inodeOf(const QString &path)
{
    struct stat st = {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_ino : 0;
}

// Names in folder that a write of ours leaves only while it runs.
QStringList leftovers(const QString &folder)
{
    QStringList names = QDir(folder).entryList({QStringLiteral(".*.stanzary-new")}, QDir::Files | QDir::Hidden);
    names += QDir(folder).entryList({QStringLiteral("*.journal*")}, QDir::Files | QDir::Hidden);
    return names;
}

} // namespace

// Writing a whole file: afterwards it holds its old bytes or all of the new
// ones, whatever failed, and a failure is never reported as success.
class tst_SafeWrite : public QObject
{
    Q_OBJECT

    QTemporaryDir m_tmp;

    QString write(const QString &name, const QByteArray &bytes)
    {
        return test::FakeInstallation(m_tmp.path()).writeFile(name, bytes);
    }

    // A folder that "nobody" may not make files in, with a file that
    // "nobody" may write, and a journal folder of nobody's own.
    struct LockedFolder
    {
        QString file;
        QString journals;
        bool owned = true; // both handed to "nobody"
    };
    LockedFolder lockedFolder(const QString &name, const QByteArray &old)
    {
        const QString root = m_tmp.filePath(name);
        QDir().mkpath(root + QStringLiteral("/journals"));
        const QString file = write(name + QStringLiteral("/songs/f.txt"), old);
        for (const QString &path : QStringList{m_tmp.path(), root, root + QStringLiteral("/songs")})
            ::chmod(QFile::encodeName(path).constData(), 0755);
        bool owned = true;
        for (const QString &path : QStringList{file, root + QStringLiteral("/journals")})
            owned = ::chown(QFile::encodeName(path).constData(), test::NobodyId, test::NobodyId) == 0 && owned;
        return {file, root + QStringLiteral("/journals"), owned};
    }

private slots:
    void cleanup() { setSyncGate({}); }

    void refusesWhatItMustNotWrite_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("reason");
        QTest::newRow("read-only file") << QStringLiteral("read-only") << int(WriteStatus::ReadOnly) << QString();
        QTest::newRow("named pipe") << QStringLiteral("pipe") << int(WriteStatus::Failed)
                                    << QStringLiteral("it is not a regular file");
        QTest::newRow("folder") << QStringLiteral("folder") << int(WriteStatus::Failed)
                                << QStringLiteral("it is not a regular file");
        QTest::newRow("missing folder") << QStringLiteral("missing") << int(WriteStatus::Failed)
                                        << QStringLiteral("No such file or directory");
    }
    void refusesWhatItMustNotWrite()
    {
        QFETCH(QString, kind);
        QFETCH(int, status);
        QFETCH(QString, reason);
        const QString path = m_tmp.filePath(kind + QStringLiteral("/target.txt"));
        QDir().mkpath(m_tmp.filePath(kind));
        if (kind == u"read-only") {
            write(kind + QStringLiteral("/target.txt"), "old");
            test::setReadOnly(path, true);
        } else if (kind == u"pipe") {
            test::makeNamedPipe(path);
        } else if (kind == u"folder") {
            QDir().mkpath(path);
        } else {
            QDir(m_tmp.filePath(kind)).removeRecursively();
        }
        WriteResult result;
        QVERIFY(test::finishesWithoutWaiting(path, [&] { result = writeFileSafely(path, "new"); }));
        QCOMPARE(int(result.status), status);
        QCOMPARE(result.error, reason);
        if (kind == u"read-only")
            QCOMPARE(test::readAll(path), QByteArray("old"));
        QVERIFY(leftovers(QFileInfo(path).absolutePath()).isEmpty());
    }

    // A file-size limit (the program ignores SIGXFSZ) or a full disk: the
    // write fails with the system's reason and the file keeps its bytes.
    void failedWriteKeepsTheOldBytes_data()
    {
        QTest::addColumn<QString>("limit");
        QTest::addColumn<int>("oldSize");
        QTest::addColumn<int>("newSize");
        QTest::addColumn<QString>("reason");
        const QString tooLarge = QStringLiteral("File too large");
        const QString full = QStringLiteral("No space left on device");
        QTest::newRow("size limit 0, small file") << QStringLiteral("ulimit 0") << 52 << 100 << tooLarge;
        QTest::newRow("size limit, grows past it") << QStringLiteral("ulimit 16384") << 9000 << 20000 << tooLarge;
        QTest::newRow("full disk, small file") << QStringLiteral("full") << 52 << 100 << full;
        QTest::newRow("full disk, large file") << QStringLiteral("full") << 30000 << 40000 << full;
    }
    void failedWriteKeepsTheOldBytes()
    {
        QFETCH(QString, limit);
        QFETCH(int, oldSize);
        QFETCH(int, newSize);
        QFETCH(QString, reason);
        QString folder = m_tmp.filePath(QString::fromLatin1(QTest::currentDataTag()));
        QDir().mkpath(folder);
        if (limit == u"full") {
            if (!test::mountSmallFileSystem(folder, 128 * 1024))
                QSKIP("a small file system cannot be mounted here (the test is not run by root)");
        }
        const QString path = folder + QStringLiteral("/Artist - Song.txt");
        const QByteArray old = content(oldSize, 'o');
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write(old) == old.size());
        f.close();
        if (limit == u"full") {
            QFile filler(folder + QStringLiteral("/filler"));
            QVERIFY(filler.open(QIODevice::WriteOnly));
            while (filler.write(QByteArray(4096, 'f')) == 4096) {}
        }
        const QByteArray next = content(newSize, 'n');
        const test::ChildEnd end = test::runInChild([&](const test::StopHere &) {
            if (limit.startsWith(u"ulimit ") && !test::limitFileSize(limit.mid(7).toLongLong()))
                return false;
            const WriteResult result = writeFileSafely(path, next);
            return result.status == WriteStatus::Failed && result.error == reason;
        });
        QVERIFY(end.exitedNormally);
        QCOMPARE(end.exitCode, 0); // failed, and said why
        QCOMPARE(test::readAll(path), old);
        QVERIFY(leftovers(folder).isEmpty());
        if (limit == u"full") {
            QFile::remove(folder + QStringLiteral("/filler"));
            QVERIFY(writeFileSafely(path, next).ok());
            QCOMPARE(test::readAll(path), next);
        }
    }

    // Each kind of file the program writes whole, under a file-size limit:
    // the failure reaches the user with its reason and the old file stays.
    void everyWriterReportsAndKeeps_data()
    {
        QTest::addColumn<QString>("name");   // of the file, in its own folder
        QTest::addColumn<QByteArray>("old"); // empty: there is no file before
        QTest::newRow("lyrics") << QStringLiteral("Band - Song.txt") << QByteArray("old lyrics\r\n");
        QTest::newRow("timestamps") << QStringLiteral("Band - Song.kas") << QByteArray("AAAAla;\r\n");
        QTest::newRow("list") << QStringLiteral("redownload.txt") << QByteArray("Old - Song\r\n");
        QTest::newRow("joined lyrics") << QString() << QByteArray();
        QTest::newRow(".lrc") << QStringLiteral("Band - Song.lrc") << QByteArray("[00:01.00]old\n");
        QTest::newRow("manifest") << QStringLiteral("stanzary.exe.manifest") << QByteArray();
    }
    void everyWriterReportsAndKeeps()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, old);
        const QString kind = QString::fromLatin1(QTest::currentDataTag());
        const QString dir = m_tmp.filePath(QStringLiteral("writers/") + kind) + u'/';
        QDir().mkpath(dir);
        const QString path = dir + name;
        if (!old.isEmpty())
            write(QDir(m_tmp.path()).relativeFilePath(path), old);
        const QString tooLarge = QStringLiteral("File too large");
        const test::ChildEnd end = test::runInChild([&](const test::StopHere &) {
            if (!test::limitFileSize(0))
                return false;
            if (kind == u"lyrics") {
                const LyricsWriteResult r = writeLyricsFile(path, QStringLiteral("new lyrics"), CodePage());
                return r.status == LyricsWriteStatus::Failed && r.detail == tooLarge;
            }
            if (kind == u"timestamps")
                return writeKasFile(path, {{"BBBB", "ne"}}, ";").error == tooLarge;
            if (kind == u"list") {
                SongLists lists;
                QString reason;
                lists.onWriteFailed = [&](const QString &, const QString &why) { reason = why; };
                lists.LoadLists(dir, CodePage());
                lists.redownload.append(QStringLiteral("New - Song"));
                return reason == tooLarge;
            }
            if (kind == u"joined lyrics") {
                basMain state;
                state.strHostPath = dir;
                state.strLyricsPath = dir;
                state.nodes.setChecked(
                    state.nodes.add(QStringLiteral("Band - Song.txt"), QStringLiteral("Song"), Icon::LyricsOnly), true);
                return JoinCheckedLyrics(state).write.error == tooLarge;
            }
            if (kind == u".lrc")
                return writeLrcFile(path, {{StampTime{0, 2, 0}, QStringLiteral("new")}}).error == tooLarge;
            return WriteManifest(dir, QStringLiteral("stanzary"), 6.0) == ManifestOutcome::Failed;
        });
        QCOMPARE(end.exitCode, 0); // failed, and said why
        // A new file is not left behind short.
        if (name.isEmpty())
            QVERIFY(QDir(dir).entryList(QDir::Files).isEmpty());
        else
            QCOMPARE(QFileInfo::exists(path), !old.isEmpty());
        if (!old.isEmpty())
            QCOMPARE(test::readAll(path), old);
        QVERIFY(leftovers(dir).isEmpty());
    }

    // The new content is on the disk before it takes the name, and the name
    // is on the disk before the write counts as done; a sync that fails is
    // a failed write.
    void syncsAroundTheRename_data()
    {
        QTest::addColumn<int>("failing"); // 0: none, 1: the file's sync, 2: the folder's
        QTest::addColumn<QByteArray>("after");
        QTest::newRow("both synced") << 0 << QByteArray("new");
        QTest::newRow("file sync fails") << 1 << QByteArray("old");
        QTest::newRow("folder sync fails") << 2 << QByteArray("new");
    }
    void syncsAroundTheRename()
    {
        QFETCH(int, failing);
        QFETCH(QByteArray, after);
        const QString path = write(QStringLiteral("synced/f.txt"), "old");
        QStringList seen;
        setSyncGate([&](SyncKind kind, const QString &what) {
            seen << (kind == SyncKind::File ? QStringLiteral("file %1 while the name has %2")
                                            : QStringLiteral("folder %1 while the name has %2"))
                        .arg(QFileInfo(what).fileName(), QString::fromLatin1(test::readAll(path)));
            return seen.size() != failing;
        });
        const WriteResult result = writeFileSafely(path, "new");
        QCOMPARE(result.ok(), failing == 0);
        QCOMPARE(test::readAll(path), after);
        const QStringList expected{QStringLiteral("file .f.txt.stanzary-new while the name has old"),
                                   QStringLiteral("folder synced while the name has new")};
        QCOMPARE(seen, expected.mid(0, failing == 1 ? 1 : 2));
        QVERIFY(leftovers(QFileInfo(path).absolutePath()).isEmpty());
    }

    // A copy that a killed write left is ours to remove; one that a live
    // write holds is not, and the second write waits for nobody: it fails.
    void replacementsLeftBehind()
    {
        const QString path = write(QStringLiteral("left/f.txt"), "old");
        const QString copy = write(QStringLiteral("left/.f.txt.stanzary-new"), "half");
        QVERIFY(writeFileSafely(path, "new").ok());
        QCOMPARE(test::readAll(path), QByteArray("new"));
        QVERIFY(!QFile::exists(copy));

        write(QStringLiteral("left/.f.txt.stanzary-new"), "live");
        QFile live(copy);
        QVERIFY(live.open(QIODevice::ReadOnly));
        QCOMPARE(::flock(live.handle(), LOCK_EX | LOCK_NB), 0);
        const WriteResult busy = writeFileSafely(path, "newer");
        QCOMPARE(busy.error, QStringLiteral("the file is being written by another process"));
        QCOMPARE(test::readAll(path), QByteArray("new"));
        QCOMPARE(test::readAll(copy), QByteArray("live"));
        // What a scan does with the names it meets: ours and unheld only.
        const QString other = write(QStringLiteral("left/.f.txt.other-new"), "x");
        const QStringList names{QStringLiteral(".f.txt.stanzary-new"), QStringLiteral(".f.txt.other-new")};
        QVERIFY(removeLeftoverReplacements(QFileInfo(path).absolutePath(), names).isEmpty());
        live.close();
        QCOMPARE(removeLeftoverReplacements(QFileInfo(path).absolutePath(), names), names.mid(0, 1));
        QVERIFY(!QFile::exists(copy));
        QVERIFY(QFile::exists(other));
    }

    // The scan of the lyrics folder and the tagger's scan of an MP3 folder
    // remove the copies that killed writes left: only ours, only unheld.
    void scansRemoveLeftovers_data()
    {
        QTest::addColumn<QString>("folder"); // below the host, where the copies lie
        QTest::newRow("lyrics folder") << QStringLiteral("lyrics/");
        QTest::newRow("letter folder") << QStringLiteral("lyrics/B/");
        QTest::newRow("MP3 folder") << QStringLiteral("music/");
        QTest::newRow("MP3 subfolder") << QStringLiteral("music/cd1/");
    }
    void scansRemoveLeftovers()
    {
        QFETCH(QString, folder);
        test::FakeInstallation host(m_tmp.filePath(QString::fromLatin1(QTest::currentDataTag())));
        host.addLyrics(folder.contains(u"/B/") ? QStringLiteral("B/Band - Song.txt")
                                               : QStringLiteral("Band - Song.txt"));
        host.writeFile(QStringLiteral("music/cd1/a.mp3"), "mp3");
        const QString dir = host.root() + folder;
        const QString leftover = host.writeFile(folder + QStringLiteral(".Band - Song.txt.stanzary-new"), "half");
        const QString held = host.writeFile(folder + QStringLiteral(".a.mp3.stanzary-new"), "live");
        const QString foreign = host.writeFile(folder + QStringLiteral(".Band - Song.txt.swp"), "editor");
        test::makeNamedPipe(dir + QStringLiteral(".pipe.stanzary-new"));
        QFile holder(held);
        QVERIFY(holder.open(QIODevice::ReadOnly) && ::flock(holder.handle(), LOCK_EX | LOCK_NB) == 0);

        QVERIFY(test::finishesWithoutWaiting(dir + QStringLiteral(".pipe.stanzary-new"), [&] {
            if (folder.startsWith(u"music")) {
                QCOMPARE(Mp3FilesToScan(host.root() + QStringLiteral("music")),
                         QStringList{host.root() + QStringLiteral("music/cd1/a.mp3")});
            } else {
                basMain state;
                state.strHostPath = host.hostPath();
                state.strLyricsPath = host.lyricsPath();
                state.blnSingleDir = !folder.contains(u"/B/");
                BuildTree(state);
                QCOMPARE(state.nodes.count(), 2);
            }
        }));
        QVERIFY(!QFile::exists(leftover));
        QVERIFY(QFile::exists(held));
        QVERIFY(QFile::exists(foreign));
        QVERIFY(QFileInfo::exists(dir + QStringLiteral(".pipe.stanzary-new")));
    }

    // In a folder where no file may be made, a writable file is written in
    // place behind the journal: its links stay, and a failure keeps it whole.
    void inPlaceWhenTheFolderRefusesNewFiles_data()
    {
        QTest::addColumn<qint64>("sizeLimit");
        QTest::addColumn<bool>("written");
        QTest::newRow("written") << qint64(-1) << true;
        QTest::newRow("size limit") << qint64(300) << false;
    }
    void inPlaceWhenTheFolderRefusesNewFiles()
    {
        QFETCH(qint64, sizeLimit);
        QFETCH(bool, written);
        if (::geteuid() != 0)
            QSKIP("root runs this test as the user nobody");
        const QByteArray old = content(200, 'o');
        const QByteArray next = content(400, 'n');
        const LockedFolder locked = lockedFolder(QString::fromLatin1(QTest::currentDataTag()), old);
        QVERIFY(locked.owned);
        const ino_t inode = inodeOf(locked.file);
        const test::ChildEnd end = test::runInChild([&](const test::StopHere &) {
            if (!test::becomeNobody() || (sizeLimit >= 0 && !test::limitFileSize(sizeLimit)))
                return false;
            const WriteResult result = writeFileSafely(locked.file, next, TailJournal(locked.journals));
            return result.ok() == written
                   && (written || result.error.startsWith(QStringLiteral("the folder cannot be written")));
        });
        QCOMPARE(end.exitCode, 0);
        QCOMPARE(test::readAll(locked.file), written ? next : old);
        QCOMPARE(inodeOf(locked.file), inode);
        QVERIFY(leftovers(locked.journals).isEmpty());
    }

    // The in-place write killed between any two of its steps: the next start
    // rolls it back to the old bytes, or finds the new ones complete.
    void inPlaceKilledAtEveryStep_data()
    {
        QTest::addColumn<int>("step");
        QTest::addColumn<int>("newSize");
        QTest::newRow("journal saved") << int(TailStep::JournalSaved) << 400;
        QTest::newRow("written") << int(TailStep::TailWritten) << 400;
        QTest::newRow("shrunk") << int(TailStep::Resized) << 50;
        QTest::newRow("synced") << int(TailStep::FileSynced) << 400;
        QTest::newRow("journal removed") << int(TailStep::JournalRemoved) << 400;
    }
    void inPlaceKilledAtEveryStep()
    {
        QFETCH(int, step);
        QFETCH(int, newSize);
        if (::geteuid() != 0)
            QSKIP("root runs this test as the user nobody");
        const QByteArray old = content(200, 'o');
        const QByteArray next = content(newSize, 'n');
        const LockedFolder locked = lockedFolder(QString::fromLatin1(QTest::currentDataTag()), old);
        QVERIFY(locked.owned);
        const test::ChildEnd end = test::runInChild([&](const test::StopHere &stop) {
            TailWriteHooks hooks;
            hooks.reached = [&](TailStep reached) {
                if (int(reached) == step)
                    stop();
            };
            return test::becomeNobody() && writeFileSafely(locked.file, next, TailJournal(locked.journals, hooks)).ok();
        });
        QVERIFY(end.stopped);
        const bool finished = step == int(TailStep::JournalRemoved);
        const QList<JournalRecovery> recovered = TailJournal(locked.journals).recover();
        QCOMPARE(recovered.size(), finished ? 0 : 1);
        QCOMPARE(test::readAll(locked.file), finished ? next : old);
        QVERIFY(leftovers(locked.journals).isEmpty());
    }
};

QTEST_GUILESS_MAIN(tst_SafeWrite)
#include "tst_safewrite.moc"
