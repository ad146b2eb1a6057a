#include "platform/FolderLock.h"

#include "ChildProcess.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>

using namespace stanzary;

// The locks of the folders a tagging writes into: all or none, held by
// another process as well as by this one, one lock per folder however it is
// named, and a lock file where a folder cannot be locked itself.
class tst_FolderLock : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString folder(const char *name) const
    {
        const QString path = m_dir.filePath(QString::fromUtf8(name));
        QDir().mkpath(path);
        return path;
    }
    QString fallback() const { return m_dir.filePath(QStringLiteral("lock-files")); }

private slots:
    void initTestCase()
    {
        folder("a");
        folder("b");
        QVERIFY(QFile::link(m_dir.filePath(QStringLiteral("a")), m_dir.filePath(QStringLiteral("link to a"))));
    }

    // held: the folders another holder has; wanted: what is tried then.
    void takesAllOrNone_data()
    {
        QTest::addColumn<QStringList>("held");
        QTest::addColumn<QStringList>("wanted");
        QTest::addColumn<QString>("busy"); // empty: taken
        const QString a = QStringLiteral("a"), b = QStringLiteral("b"), link = QStringLiteral("link to a");
        const QString missing = QStringLiteral("not there");
        QTest::newRow("free") << QStringList{b} << QStringList{a} << QString();
        QTest::newRow("one of two held") << QStringList{b} << QStringList{a, b} << b;
        QTest::newRow("through a link") << QStringList{a} << QStringList{link} << a;
        QTest::newRow("the same folder twice") << QStringList() << QStringList{a, link, a} << QString();
        QTest::newRow("a folder that cannot be opened") << QStringList{missing} << QStringList{missing} << missing;
    }
    void takesAllOrNone()
    {
        QFETCH(QStringList, held);
        QFETCH(QStringList, wanted);
        QFETCH(QString, busy);
        const auto paths = [&](const QStringList &names) {
            QStringList out;
            for (const QString &name : names)
                out << m_dir.filePath(name);
            return out;
        };
        // In this process and in another one alike.
        for (const bool otherProcess : {false, true}) {
            FolderLocks holder(fallback());
            FolderLocks::Outcome outcome = FolderLocks::Outcome::Failed;
            QString busyFolder;
            const auto tryTaking = [&] {
                FolderLocks taker(fallback());
                outcome = taker.tryTake(paths(wanted));
                busyFolder = taker.busyFolder();
                QCOMPARE(taker.held(), outcome == FolderLocks::Outcome::Taken);
            };
            if (otherProcess) {
                QCOMPARE(test::runInChild(
                             [&](const test::StopHere &stop) {
                                 const bool taken = holder.tryTake(paths(held)) == FolderLocks::Outcome::Taken;
                                 stop();
                                 return taken;
                             },
                             tryTaking)
                             .stopped,
                         true);
            } else {
                QCOMPARE(holder.tryTake(paths(held)), FolderLocks::Outcome::Taken);
                tryTaking();
            }
            QCOMPARE(outcome, busy.isEmpty() ? FolderLocks::Outcome::Taken : FolderLocks::Outcome::Busy);
            QCOMPARE(busyFolder, busy.isEmpty() ? QString() : FolderLocks::realFolderPath(m_dir.filePath(busy)));
            // What was not held is free again: nothing stays taken by a
            // refused attempt.
            holder.release();
            FolderLocks after(fallback());
            QCOMPARE(after.tryTake(paths(wanted)), FolderLocks::Outcome::Taken);
        }
    }

    // The lock file that stands in for a folder is its user's alone.
    void lockFileIsTheUsersOwn()
    {
        FolderLocks locks(fallback());
        QCOMPARE(locks.tryTake({m_dir.filePath(QStringLiteral("never made"))}), FolderLocks::Outcome::Taken);
        const QFileInfoList made = QDir(fallback()).entryInfoList({QStringLiteral("*.folder-lock")}, QDir::Files);
        QVERIFY(!made.isEmpty());
        for (const QFileInfo &file : made) {
            struct stat st = {};
            QCOMPARE(::stat(QFile::encodeName(file.filePath()).constData(), &st), 0);
            QCOMPARE(st.st_mode & 07777, mode_t(0600));
        }
    }
};

QTEST_GUILESS_MAIN(tst_FolderLock)
#include "tst_folderlock.moc"
