#include "platform/CodePage.h"
#include "platform/DirListing.h"
#include "platform/SafeWrite.h"

#include "FakeInstallation.h"

#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace stanzary;

class tst_Platform : public QObject
{
    Q_OBJECT

private slots:
    void everyByteRoundTrips_data()
    {
        QTest::addColumn<int>("charset");
        for (int cs : {0, 204, 238, 161, 162, 177, 178, 186, 163, 222})
            QTest::newRow(qPrintable(CodePage::forFontCharset(cs).name())) << cs;
    }
    void everyByteRoundTrips()
    {
        QFETCH(int, charset);
        const CodePage cp = CodePage::forFontCharset(charset);
        QByteArray all(256, '\0');
        for (int i = 0; i < 256; ++i)
            all[i] = static_cast<char>(i);
        const QString text = cp.decode(all);
        QCOMPARE(text.size(), 256);
        const auto back = cp.encode(text);
        QVERIFY(back.has_value());
        QCOMPARE(*back, all);
    }

    void decodesTheChosenScript()
    {
        QCOMPARE(CodePage().decode(QByteArray("\xe9\x80", 2)), QStringLiteral("\u00e9\u20ac"));
        QCOMPARE(CodePage::forFontCharset(204).decode(QByteArray("\xc0\xff", 2)), QStringLiteral("\u0410\u044f"));
        QCOMPARE(CodePage::forFontCharset(161).decode(QByteArray("\xe1", 1)), QStringLiteral("\u03b1"));
    }

    void refusesCharactersItCannotHold()
    {
        const CodePage cp;
        QVERIFY(!cp.encode(QStringLiteral("caf\u00e9 \u0416")).has_value());
        QCOMPARE(cp.firstUnencodable(QStringLiteral("caf\u00e9 \u0416")), QStringLiteral("\u0416"));
        QVERIFY(cp.firstUnencodable(QStringLiteral("caf\u00e9")).isEmpty());
        QCOMPARE(cp.firstUnencodable(QStringLiteral("ok \U0001F3B5")), QStringLiteral("\U0001F3B5")); // the whole pair
    }

    void listsIgnoringCaseWithoutHiddenFiles()
    {
        QTemporaryDir tmp;
        test::FakeInstallation inst(tmp.path());
        inst.writeFile(QStringLiteral("d/b.TXT"), "x");
        inst.writeFile(QStringLiteral("d/A.txt"), "x");
        inst.writeFile(QStringLiteral("d/c.kas"), "x");
        inst.writeFile(QStringLiteral("d/.hidden.txt"), "x");
        inst.writeFile(QStringLiteral("d/sub2/x"), "x");
        inst.writeFile(QStringLiteral("d/Sub1/x"), "x");
        const QString d = inst.root() + QStringLiteral("d");
        QCOMPARE(listFilesWithSuffix(d, QStringLiteral(".txt")),
                 (QStringList{QStringLiteral("A.txt"), QStringLiteral("b.TXT")}));
        QCOMPARE(listSubfolders(d), (QStringList{QStringLiteral("Sub1"), QStringLiteral("sub2")}));
        QCOMPARE(findFileIgnoringCase(d, QStringLiteral("C.KAS")), QStringLiteral("c.kas"));
        QVERIFY(findFileIgnoringCase(d, QStringLiteral(".hidden.txt")).isEmpty());
        QVERIFY(findFileIgnoringCase(d, QStringLiteral("sub1")).isEmpty()); // a folder is not a file
        QVERIFY(listFilesWithSuffix(d + QStringLiteral("/missing"), QStringLiteral(".txt")).isEmpty());
    }

    void safeWriteKeepsReadOnlyFiles()
    {
        QTemporaryDir tmp;
        test::FakeInstallation inst(tmp.path());
        const QString path = inst.writeFile(QStringLiteral("f.txt"), "old");
        QVERIFY(writeFileSafely(path, "new").ok());
        QCOMPARE(test::readAll(path), QByteArray("new"));
        test::setReadOnly(path, true);
        QCOMPARE(writeFileSafely(path, "newer").status, WriteStatus::ReadOnly);
        QCOMPARE(test::readAll(path), QByteArray("new"));
        test::setReadOnly(path, false);
        QCOMPARE(writeFileSafely(inst.root() + QStringLiteral("no/such/dir/f.txt"), "x").status, WriteStatus::Failed);
    }

    // A writable file in a folder the user cannot write is still saved. As
    // root (who may write any folder) the write runs as "nobody" in a child.
    void safeWriteInAFolderThatCannotBeWritten()
    {
        QTemporaryDir tmp;
        QVERIFY(::chmod(QFile::encodeName(tmp.path()).constData(), 0755) == 0);
        const QString dir = tmp.path() + QStringLiteral("/locked");
        QVERIFY(QDir().mkdir(dir));
        const QString path = dir + QStringLiteral("/f.txt");
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write("old") == 3);
        f.close();
        const QByteArray dirName = QFile::encodeName(dir);
        if (::geteuid() == 0) {
            constexpr uid_t nobody = 65534;
            QVERIFY(::chown(QFile::encodeName(path).constData(), nobody, nobody) == 0);
            const pid_t child = ::fork();
            QVERIFY(child >= 0);
            if (child == 0) {
                const bool dropped = ::setgid(nobody) == 0 && ::setuid(nobody) == 0;
                ::_exit(dropped && writeFileSafely(path, "new").ok() ? 0 : 1);
            }
            int status = 0;
            QCOMPARE(::waitpid(child, &status, 0), child);
            QVERIFY(WIFEXITED(status));
            QCOMPARE(WEXITSTATUS(status), 0);
        } else {
            QVERIFY(::chmod(dirName.constData(), 0555) == 0);
            const WriteResult result = writeFileSafely(path, "new");
            ::chmod(dirName.constData(), 0755);
            QVERIFY2(result.ok(), qPrintable(result.error));
        }
        QCOMPARE(test::readAll(path), QByteArray("new"));
    }
};

QTEST_GUILESS_MAIN(tst_Platform)
#include "tst_platform.moc"
