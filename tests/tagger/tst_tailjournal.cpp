#include "platform/DurableFile.h"
#include "platform/TailJournal.h"
#include "tagger/Lyrics3Writer.h"

#include "ChildProcess.h"
#include "FakeInstallation.h"
#include "Mp3Bytes.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace stanzary;

namespace {

const QByteArray Id3v1 = test::id3v1Record("Old Title");

// The MP3 files the tests tag: one that grows, one whose tag shrinks (empty
// fields are not written back), one without any tag.
QByteArray layout(const QString &name)
{
    if (name == u"grows")
        return test::audioBytes(3000) + Id3v1;
    if (name == u"shrinks")
        return test::audioBytes(3000)
               + test::lyrics3v2Tag(
                   {{"IND", "100"}, {"EAL", ""}, {"EAR", ""}, {"ETT", ""}, {"LYR", QByteArray(600, 'o')}})
               + Id3v1;
    return test::audioBytes(2500);
}

const QString LyricsName = QStringLiteral("Blue Lake - Night Train");

// The hooks of a write that stops (and is killed) at step.
TailWriteHooks stoppingAt(std::optional<TailStep> step, const test::StopHere &stop)
{
    TailWriteHooks hooks;
    hooks.reached = [step, stop](TailStep reached) {
        if (step && reached == *step)
            stop();
    };
    return hooks;
}

QStringList journalsIn(const QString &folder)
{
    return QDir(folder).entryList({QStringLiteral("*.journal")}, QDir::Files);
}

} // namespace

class tst_TailJournal : public QObject
{
    Q_OBJECT

    QTemporaryDir m_tmp;
    CodePage m_cp;
    const QString m_site = QStringLiteral("https://mirror.example");

    QString journalFolder() const { return m_tmp.filePath(QStringLiteral("journals")); }
    QString write(const QString &name, const QByteArray &content)
    {
        return test::FakeInstallation(m_tmp.path()).writeFile(name, content);
    }
    QString lyrics() { return write(QStringLiteral("lyrics.txt"), QByteArray(400, 'w') + "\r\n"); }

    // What the file holds once tagged without interruption.
    QByteArray taggedContent(const QByteArray &before)
    {
        const QString copy = write(QStringLiteral("reference/copy.mp3"), before);
        if (!TagMp3File(copy, lyrics(), LyricsName, m_cp, m_site, TailJournal(journalFolder())))
            return "<tagging failed>";
        return test::readAll(copy);
    }

    test::ChildEnd tagInChild(const QString &mp3, std::optional<TailStep> stopAt,
                              const std::function<void()> &whileStopped = {})
    {
        const QString lyricsPath = lyrics();
        const QString folder = journalFolder();
        return test::runInChild(
            [&](const test::StopHere &stop) {
                return TagMp3File(mp3, lyricsPath, LyricsName, m_cp, m_site,
                                  TailJournal(folder, stoppingAt(stopAt, stop)));
            },
            whileStopped);
    }

private slots:
    void init() { QDir(journalFolder()).removeRecursively(); }

    // The writing process is killed at every step of a write; after the
    // rollback the file is byte for byte its old content, or its new one once
    // the journal was gone.
    void killedAtEveryStep_data()
    {
        QTest::addColumn<QString>("layoutName");
        QTest::addColumn<int>("step");
        const QList<QPair<const char *, TailStep>> steps{{"journal saved", TailStep::JournalSaved},
                                                         {"part written", TailStep::PartWritten},
                                                         {"tail written", TailStep::TailWritten},
                                                         {"file synced", TailStep::FileSynced},
                                                         {"journal removed", TailStep::JournalRemoved}};
        for (const QString &name : {QStringLiteral("grows"), QStringLiteral("shrinks"), QStringLiteral("no tags")}) {
            for (const auto &[label, step] : steps)
                QTest::addRow("%s, %s", qPrintable(name), label) << name << int(step);
        }
        QTest::newRow("shrinks, resized") << QStringLiteral("shrinks") << int(TailStep::Resized);
    }
    void killedAtEveryStep()
    {
        QFETCH(QString, layoutName);
        QFETCH(int, step);
        const QByteArray before = layout(layoutName);
        const QByteArray after = taggedContent(before);
        QVERIFY(after != before);
        const QString mp3 = write(QStringLiteral("killed.mp3"), before);

        const test::ChildEnd end = tagInChild(mp3, TailStep(step));
        QVERIFY2(end.stopped, "the write never reached the step");
        QCOMPARE(end.signal, SIGKILL);
        const bool finished = TailStep(step) == TailStep::JournalRemoved;
        QCOMPARE(journalsIn(journalFolder()).size(), finished ? 0 : 1);

        const QList<JournalRecovery> recovered = TailJournal(journalFolder()).recover();
        QCOMPARE(test::readAll(mp3), finished ? after : before);
        QCOMPARE(recovered.size(), finished ? 0 : 1);
        if (!finished) {
            QCOMPARE(recovered.first().result, JournalRecovery::Result::Restored);
            QCOMPARE(recovered.first().filePath, QFileInfo(mp3).canonicalFilePath());
        }
        QVERIFY(journalsIn(journalFolder()).isEmpty());
    }

    // The rollback itself is killed; the next one still restores the file.
    void killedWhileRollingBack_data()
    {
        QTest::addColumn<QString>("layoutName");
        QTest::addColumn<int>("step");
        QTest::newRow("grown file, old tail written") << QStringLiteral("grows") << int(TailStep::RollbackWritten);
        QTest::newRow("grown file, length restored") << QStringLiteral("grows") << int(TailStep::RollbackResized);
        QTest::newRow("shrunk file, old tail written") << QStringLiteral("shrinks") << int(TailStep::RollbackWritten);
    }
    void killedWhileRollingBack()
    {
        QFETCH(QString, layoutName);
        QFETCH(int, step);
        const QByteArray before = layout(layoutName);
        const QString mp3 = write(QStringLiteral("twice-killed.mp3"), before);
        QVERIFY(tagInChild(mp3, TailStep::TailWritten).stopped);
        const QString folder = journalFolder();
        const test::ChildEnd end = test::runInChild([&](const test::StopHere &stop) {
            return !TailJournal(folder, stoppingAt(TailStep(step), stop)).recover().isEmpty();
        });
        QVERIFY(end.stopped);
        QCOMPARE(journalsIn(folder).size(), 1);
        TailJournal(folder).recover();
        QCOMPARE(test::readAll(mp3), before);
    }

    // Another tag editor changes the file after a killed tagging and before
    // the next start: the start leaves its work alone and says so.
    void foreignEditAfterAKilledTagging_data()
    {
        QTest::addColumn<int>("at");
        QTest::addColumn<QByteArray>("edit");
        QTest::newRow("title in the record") << -125 << QByteArray("Other Title");
        QTest::newRow("tag cut off") << -1 << QByteArray();
        QTest::newRow("tag appended") << 0 << QByteArray("APETAGEX-and-more");
    }
    void foreignEditAfterAKilledTagging()
    {
        QFETCH(int, at);
        QFETCH(QByteArray, edit);
        const QByteArray before = layout(QStringLiteral("shrinks"));
        const QString mp3 = write(QStringLiteral("edited.mp3"), before);
        QVERIFY(tagInChild(mp3, TailStep::PartWritten).stopped);
        QByteArray edited = test::readAll(mp3);
        if (at < 0 && edit.isEmpty())
            edited.truncate(3000);
        else if (at < 0)
            edited.replace(edited.size() + at, edit.size(), edit);
        else
            edited += edit;
        write(QStringLiteral("edited.mp3"), edited);

        const QList<JournalRecovery> recovered = TailJournal(journalFolder()).recover();
        QCOMPARE(recovered.size(), 1);
        QCOMPARE(recovered.first().result, JournalRecovery::Result::SetAside);
        QVERIFY(interruptedWritesMessage(recovered).contains(u"left as it is: " + QFileInfo(mp3).canonicalFilePath()));
        QCOMPARE(test::readAll(mp3), edited);
        QVERIFY(journalsIn(journalFolder()).isEmpty());
    }

    // A write that is still running, in another process, is never rolled
    // back, and the same file is not written by two at once.
    void liveJournalsAreLeftAlone()
    {
        const QByteArray before = layout(QStringLiteral("grows"));
        const QString mp3 = write(QStringLiteral("busy.mp3"), before);
        QByteArray duringTheWrite;
        QList<JournalRecovery> recoveredMeanwhile{JournalRecovery{}};
        bool secondWrite = true;
        const test::ChildEnd end = tagInChild(mp3, TailStep::PartWritten, [&] {
            duringTheWrite = test::readAll(mp3);
            recoveredMeanwhile = TailJournal(journalFolder()).recover();
            secondWrite = TagMp3File(mp3, lyrics(), LyricsName, m_cp, m_site, TailJournal(journalFolder()));
            QCOMPARE(test::readAll(mp3), duringTheWrite);
        });
        QVERIFY(end.stopped);
        QVERIFY(recoveredMeanwhile.isEmpty());
        QVERIFY(!secondWrite);
        QVERIFY(duringTheWrite != before);
        QCOMPARE(TailJournal(journalFolder()).recover().size(), 1);
        QCOMPARE(test::readAll(mp3), before);
    }

    // Files of the same name in two folders each keep a journal of their own.
    void sameNameInTwoFolders()
    {
        const QByteArray first = layout(QStringLiteral("grows"));
        const QByteArray second = layout(QStringLiteral("no tags"));
        const QString a = write(QStringLiteral("cd1/song.mp3"), first);
        const QString b = write(QStringLiteral("cd2/song.mp3"), second);
        QVERIFY(tagInChild(a, TailStep::PartWritten).stopped);
        QVERIFY(tagInChild(b, TailStep::PartWritten).stopped);
        QCOMPARE(journalsIn(journalFolder()).size(), 2);
        QCOMPARE(TailJournal(journalFolder()).recover().size(), 2);
        QCOMPARE(test::readAll(a), first);
        QCOMPARE(test::readAll(b), second);
    }

    // Tagging a file whose earlier write was interrupted starts from its old
    // bytes, never from the half-written ones, and never loses the journal.
    void taggingAfterACrashStartsFromTheOldFile()
    {
        const QByteArray before = layout(QStringLiteral("shrinks"));
        const QByteArray after = taggedContent(before);
        const QString mp3 = write(QStringLiteral("again.mp3"), before);
        QVERIFY(tagInChild(mp3, TailStep::PartWritten).stopped);
        QVERIFY(TagMp3File(mp3, lyrics(), LyricsName, m_cp, m_site, TailJournal(journalFolder())));
        QCOMPARE(test::readAll(mp3), after);
        QVERIFY(journalsIn(journalFolder()).isEmpty());

        // Through the tagging log, which names the restored file first.
        QVERIFY(tagInChild(mp3, TailStep::TailWritten).stopped);
        const QList<TaggerRow> rows{{true, {}, mp3, false, false, {}, 0, LyricsName, lyrics()}};
        const QStringList log =
            TagCheckedFiles(rows, m_cp, m_site, TailJournal(journalFolder())).split(QStringLiteral("\r\n"));
        QCOMPARE(log.size(), 3);
        QVERIFY(log.at(0).endsWith(QFileInfo(mp3).canonicalFilePath()));
        QVERIFY(log.at(0) != taggedPrefix() + mp3);
        QCOMPARE(log.at(1), taggedPrefix() + mp3);
        QCOMPARE(test::readAll(mp3), after);
    }

    // A sync that fails is a failed tagging: the log says so, the file keeps
    // its old bytes, and a journal stays only when even the rollback could not
    // be synced (the next tagging or start then finishes it).
    void failedSyncIsAnError_data()
    {
        QTest::addColumn<QList<int>>("failingSyncs"); // 1: the journal, 2: the file, 3: its rollback
        QTest::addColumn<bool>("journalStays");
        QTest::newRow("journal") << QList<int>{1} << false;
        QTest::newRow("file") << QList<int>{2} << false;
        QTest::newRow("file and rollback") << QList<int>{2, 3} << true;
    }
    void failedSyncIsAnError()
    {
        QFETCH(QList<int>, failingSyncs);
        QFETCH(bool, journalStays);
        const QByteArray before = layout(QStringLiteral("grows"));
        const QString mp3 = write(QStringLiteral("unsynced.mp3"), before);
        int syncs = 0;
        TailWriteHooks hooks;
        hooks.sync = [&](QFileDevice &file) { return !failingSyncs.contains(++syncs) && file.flush(); };
        const QList<TaggerRow> rows{{true, {}, mp3, false, false, {}, 0, LyricsName, lyrics()}};
        QCOMPARE(TagCheckedFiles(rows, m_cp, m_site, TailJournal(journalFolder(), hooks)),
                 errorPrefix() + mp3 + QStringLiteral("\r\n"));
        QCOMPARE(test::readAll(mp3), before);
        QCOMPARE(journalsIn(journalFolder()).size(), journalStays ? 1 : 0);
        TailJournal(journalFolder()).recover();
        QCOMPARE(test::readAll(mp3), before);
        QVERIFY(journalsIn(journalFolder()).isEmpty());
    }

    // What is made durable, and when: the journal before the file is touched,
    // the file before the journal goes. A sync dropped or moved fails this.
    void durableOrder_data()
    {
        QTest::addColumn<QString>("layoutName");
        QTest::addColumn<QStringList>("order");
        const auto steps = [](const char *names) { return QString::fromLatin1(names).split(u','); };
        QTest::newRow("grows") << QStringLiteral("grows")
                               << steps("sync folder's parent,sync journal,sync folder,JournalSaved,PartWritten,"
                                        "TailWritten,sync mp3,FileSynced,sync folder,JournalRemoved");
        QTest::newRow("shrinks") << QStringLiteral("shrinks")
                                 << steps("sync folder's parent,sync journal,sync folder,JournalSaved,PartWritten,"
                                          "TailWritten,Resized,sync mp3,FileSynced,sync folder,JournalRemoved");
    }
    void durableOrder()
    {
        QFETCH(QString, layoutName);
        QFETCH(QStringList, order);
        const QString mp3 = write(QStringLiteral("ordered.mp3"), layout(layoutName));
        const QStringList stepNames =
            QStringLiteral("JournalSaved,PartWritten,TailWritten,Resized,FileSynced,JournalRemoved").split(u',');
        QStringList seen;
        TailWriteHooks hooks;
        hooks.sync = [&](QFileDevice &file) {
            seen << (file.fileName().contains(QStringLiteral(".journal")) ? QStringLiteral("sync journal")
                                                                          : QStringLiteral("sync mp3"));
            return file.flush();
        };
        hooks.reached = [&](TailStep step) { seen << stepNames.value(int(step), QStringLiteral("rollback")); };
        // The journal folder is made by this write: its parent is synced too.
        setSyncGate([&](SyncKind kind, const QString &path) {
            if (kind == SyncKind::Folder)
                seen << (path == QFileInfo(journalFolder()).absolutePath() ? QStringLiteral("sync folder's parent")
                                                                           : QStringLiteral("sync folder"));
            return true;
        });
        const bool tagged = TagMp3File(mp3, lyrics(), LyricsName, m_cp, m_site, TailJournal(journalFolder(), hooks));
        setSyncGate({});
        QVERIFY(tagged);
        QCOMPARE(seen, order);
    }

    // Without a journal the file is not touched: here the journal folder
    // cannot be made because a file has its name (which stops root too).
    void noJournalNoWrite()
    {
        const QByteArray before = layout(QStringLiteral("grows"));
        const QString mp3 = write(QStringLiteral("unjournaled.mp3"), before);
        const QString blocker = write(QStringLiteral("not-a-folder"), "x");
        const QList<TaggerRow> rows{{true, {}, mp3, false, false, {}, 0, LyricsName, lyrics()}};
        QCOMPARE(TagCheckedFiles(rows, m_cp, m_site, TailJournal(blocker + QStringLiteral("/journals"))),
                 errorPrefix() + mp3 + QStringLiteral("\r\n"));
        QCOMPARE(test::readAll(mp3), before);
    }

    // What a journal found at start comes to, by its state and the file's.
    void journalsFoundLater_data()
    {
        QTest::addColumn<QString>("damage");
        QTest::addColumn<int>("result");
        QTest::addColumn<bool>("fileRestored");
        QTest::addColumn<bool>("journalLeft");
        const int restored = int(JournalRecovery::Result::Restored);
        const int dropped = int(JournalRecovery::Result::Dropped);
        const int kept = int(JournalRecovery::Result::Kept);
        const int setAside = int(JournalRecovery::Result::SetAside);
        QTest::newRow("intact") << QString() << restored << true << false;
        QTest::newRow("empty") << QStringLiteral("cut 0") << dropped << false << false;
        QTest::newRow("cut in the magic") << QStringLiteral("cut 5") << dropped << false << false;
        QTest::newRow("cut in the header") << QStringLiteral("cut 30") << dropped << false << false;
        QTest::newRow("cut in the tail") << QStringLiteral("cut half") << dropped << false << false;
        QTest::newRow("last byte missing") << QStringLiteral("cut -1") << dropped << false << false;
        QTest::newRow("a byte flipped") << QStringLiteral("flip") << dropped << false << false;
        QTest::newRow("newer format") << QStringLiteral("version 3") << kept << false << true;
        QTest::newRow("file gone") << QStringLiteral("remove file") << kept << false << true;
        QTest::newRow("changed in front since") << QStringLiteral("change front") << setAside << false << false;
        QTest::newRow("another tag written since") << QStringLiteral("change tail") << setAside << false << false;
        QTest::newRow("grown since") << QStringLiteral("append") << setAside << false << false;
        QTest::newRow("older format") << QStringLiteral("version 1") << setAside << false << false;
        QTest::newRow("older format, old tail missing")
            << QStringLiteral("version 1 without its tail") << dropped << false << false;
    }
    void journalsFoundLater()
    {
        QFETCH(QString, damage);
        QFETCH(int, result);
        QFETCH(bool, fileRestored);
        QFETCH(bool, journalLeft);
        const QByteArray audio = test::audioBytes(3000);
        const QByteArray oldTail = "LYRICSBEGININD00003100000022LYRICS200" + Id3v1;
        const QByteArray newTail = "LYRICSBEGININD00003100LYR00005hello000040LYRICS200" + Id3v1;
        // Killed part of the way: the first bytes of the new tail over the old.
        QByteArray current = audio + newTail.left(30) + oldTail.mid(30);
        if (damage == u"change front")
            current[2990] = 'X';
        else if (damage == u"change tail")
            current.replace(3040, 5, "OTHER");
        else if (damage == u"append")
            current += "APETAGEX";
        const QString mp3 = write(QStringLiteral("found.mp3"), current);
        const TailJournal journal(journalFolder());
        TailJournalRecord saved{QFileInfo(mp3).canonicalFilePath(),
                                audio.size(),
                                audio.size() + oldTail.size(),
                                3000,
                                QCryptographicHash::hash(audio, QCryptographicHash::Sha256),
                                oldTail,
                                newTail};
        QByteArray bytes = encodeTailJournal(saved);
        TailJournalRecord decoded;
        QCOMPARE(decodeTailJournal(bytes, decoded), JournalFormat::Valid);
        QCOMPARE(decoded.oldTail, oldTail);
        QCOMPARE(decoded.newTail, newTail);
        if (damage.startsWith(u"cut ")) {
            const QString n = damage.mid(4);
            bytes.truncate(n == u"half" ? bytes.size() / 2 : n == u"-1" ? bytes.size() - 1 : n.toInt());
        } else if (damage == u"flip") {
            bytes[bytes.size() - 60] = char(bytes.at(bytes.size() - 60) ^ 0x10);
        } else if (damage == u"version 3") {
            bytes[8] = 3;
        } else if (damage == u"version 1") {
            // The same journal as the first version wrote it: no new tail.
            bytes.chop(32 + 8 + newTail.size());
            bytes[8] = 1;
            bytes += QCryptographicHash::hash(bytes, QCryptographicHash::Sha256);
        } else if (damage == u"version 1 without its tail") {
            // The digest is right, but the old tail its length announces is not there.
            bytes.chop(32 + 8 + newTail.size() + oldTail.size());
            bytes[8] = 1;
            bytes += QCryptographicHash::hash(bytes, QCryptographicHash::Sha256);
        } else if (damage == u"remove file") {
            QFile::remove(mp3);
        }
        QDir().mkpath(journalFolder());
        const QString journalPath = journal.journalPathFor(mp3);
        write(QDir(m_tmp.path()).relativeFilePath(journalPath), bytes);

        const QList<JournalRecovery> recovered = journal.recover();
        QCOMPARE(recovered.size(), 1);
        QCOMPARE(int(recovered.first().result), result);
        QCOMPARE(recoveryLogLine(recovered.first()).isEmpty(), result == int(JournalRecovery::Result::Dropped));
        if (damage != u"remove file")
            QCOMPARE(test::readAll(mp3), fileRestored ? audio + oldTail : current);
        QCOMPARE(QFile::exists(journalPath), journalLeft);
        // A journal set aside is kept, under a name the next start passes over.
        QCOMPARE(QFile::exists(journalPath + QStringLiteral(".set-aside")),
                 result == int(JournalRecovery::Result::SetAside));
    }

    // The journal guards the 4096 bytes in front of the tail: an edit among
    // them is another program's work, left alone; one further in front is
    // not seen, and the tail is restored.
    void guardedBytesInFrontOfTheTail_data()
    {
        QTest::addColumn<int>("before"); // how far in front of the tail the edit is
        QTest::addColumn<bool>("restored");
        QTest::newRow("first guarded byte") << 4096 << false;
        QTest::newRow("last unguarded byte") << 4097 << true;
    }
    void guardedBytesInFrontOfTheTail()
    {
        QFETCH(int, before);
        QFETCH(bool, restored);
        const QByteArray old = test::audioBytes(6000) + Id3v1;
        const QString mp3 = write(QStringLiteral("guarded.mp3"), old);
        QVERIFY(tagInChild(mp3, TailStep::PartWritten).stopped);
        QByteArray edited = test::readAll(mp3);
        edited[6000 - before] = char(edited.at(6000 - before) ^ 0x55);
        write(QStringLiteral("guarded.mp3"), edited);

        const QList<JournalRecovery> recovered = TailJournal(journalFolder()).recover();
        QCOMPARE(recovered.size(), 1);
        QCOMPARE(recovered.first().result,
                 restored ? JournalRecovery::Result::Restored : JournalRecovery::Result::SetAside);
        QCOMPARE(test::readAll(mp3), restored ? edited.left(6000) + old.mid(6000) : edited);
    }

    // A file whose bytes cannot be read back is not written: without them
    // there is nothing to roll back to.
    void unreadableFileIsNotWritten_data()
    {
        QTest::addColumn<int>("failFrom"); // reads at or after this offset fail
        QTest::newRow("the old tail") << 3000;
        QTest::newRow("the bytes in front") << 2900;
    }
    void unreadableFileIsNotWritten()
    {
        QFETCH(int, failFrom);
        // A disk that answers reads from failFrom on with an error.
        class FailingReads : public QFile
        {
        public:
            FailingReads(const QString &path, qint64 from) : QFile(path), m_from(from) {}

        protected:
            qint64 readData(char *data, qint64 maxLength) override
            {
                if (pos() + maxLength > m_from) {
                    setErrorString(QStringLiteral("Input/output error"));
                    return -1;
                }
                return QFile::readData(data, maxLength);
            }

        private:
            qint64 m_from;
        };
        const QByteArray before = layout(QStringLiteral("grows"));
        const QString mp3 = write(QStringLiteral("unreadable.mp3"), before);
        FailingReads file(mp3, failFrom);
        QVERIFY(file.open(QIODevice::ReadWrite | QIODevice::Unbuffered));
        const WriteResult result = TailJournal(journalFolder()).replaceTail(file, mp3, 3000, {"new tail"});
        QCOMPARE(result.status, WriteStatus::Failed);
        QVERIFY2(result.error.startsWith(QStringLiteral("the file cannot be read")), qPrintable(result.error));
        file.close();
        QCOMPARE(test::readAll(mp3), before);
        QVERIFY(journalsIn(journalFolder()).isEmpty());
    }

    // A file-size limit makes the write fail (and be undone) instead of
    // ending the program in the middle of it, wherever the limit cuts the
    // new tail.
    void fileSizeLimitIsAFailedWrite_data()
    {
        QTest::addColumn<int>("missing"); // bytes of the tagged file past the limit; 0: 100 bytes past the old size
        QTest::newRow("the new tag crosses the limit") << 0;
        QTest::newRow("only the last bytes cross it") << 28;
    }
    void fileSizeLimitIsAFailedWrite()
    {
        QFETCH(int, missing);
        const QByteArray before = layout(QStringLiteral("grows"));
        const qint64 limit = missing ? taggedContent(before).size() - missing : before.size() + 100;
        const QString mp3 = write(QStringLiteral("limited.mp3"), before);
        const QString lyricsPath = lyrics();
        const QString folder = journalFolder();
        const test::ChildEnd end = test::runInChild([&](const test::StopHere &) {
            return test::limitFileSize(limit)
                   && TagMp3File(mp3, lyricsPath, LyricsName, m_cp, m_site, TailJournal(folder));
        });
        QCOMPARE(end.signal, 0);
        QVERIFY(end.exitedNormally);
        QCOMPARE(end.exitCode, 1); // tagging failed
        QCOMPARE(test::readAll(mp3), before);
        QVERIFY(journalsIn(folder).isEmpty());
    }

    // Where the journal folder's file system makes no hard links, the
    // finished journal gets its name by a rename (the name was free).
    void journalWithoutHardLinks_data()
    {
        QTest::addColumn<int>("error");
        QTest::newRow("not permitted") << EPERM;
        QTest::newRow("not supported") << EOPNOTSUPP;
    }
    void journalWithoutHardLinks()
    {
        QFETCH(int, error);
        const QByteArray before = layout(QStringLiteral("grows"));
        const QByteArray after = taggedContent(before);
        const QString mp3 = write(QStringLiteral("linkless.mp3"), before);
        const QString lyricsPath = lyrics();
        const QString folder = journalFolder();
        const test::ChildEnd end = test::runInChild([&](const test::StopHere &) {
            return test::failSystemCalls({SYS_link, SYS_linkat}, error)
                   && TagMp3File(mp3, lyricsPath, LyricsName, m_cp, m_site, TailJournal(folder));
        });
        QCOMPARE(end.exitCode, 0);
        QCOMPARE(test::readAll(mp3), after);
        QVERIFY(journalsIn(folder).isEmpty());
    }
};

QTEST_GUILESS_MAIN(tst_TailJournal)
#include "tst_tailjournal.moc"
