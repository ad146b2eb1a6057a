#include "lists/SongLists.h"

#include "FakeInstallation.h"
#include "TestText.h"

#include <QDir>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

using namespace stanzary;

namespace {

// The entries of a list, one a literal.
constexpr auto entries = test::lines;

} // namespace

class tst_SongLists : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_program;

    QString file(const char *name) const { return m_program + QString::fromUtf8(name); }
    void write(const char *name, const QByteArray &bytes) const
    {
        QFile f(file(name));
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
    }

private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        QCoreApplication::setApplicationName(QStringLiteral("stanzary-lists-test"));
    }
    void init()
    {
        QVERIFY(m_dir.isValid());
        m_program = m_dir.path() + QStringLiteral("/program/");
        QDir(m_program).removeRecursively();
        QVERIFY(QDir().mkpath(m_program));
    }

    void loadRules_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("two entries") << QByteArrayLiteral("a\r\nb\r\n") << entries({"a", "b"});
        QTest::newRow("text after the last CR LF dropped") << QByteArrayLiteral("a\r\nb") << entries({"a"});
        QTest::newRow("spaces only") << QByteArrayLiteral("   ") << QStringList();
        QTest::newRow("only CR LF") << QByteArrayLiteral("\r\n") << entries({""});
        QTest::newRow("empty line inside") << QByteArrayLiteral("a\r\n\r\nb\r\n") << entries({"a", "", "b"});
        QTest::newRow("empty file") << QByteArray() << QStringList();
        QTest::newRow("blanks kept in entries") << QByteArrayLiteral(" a \r\n") << entries({" a "});
        QTest::newRow("bare LF ends a line too") << QByteArrayLiteral("a\nb\r\n") << entries({"a", "b"});
        QTest::newRow("LF-only file") << QByteArrayLiteral("a\n\nb\nc") << entries({"a", "", "b"});
        QTest::newRow("code page") << QByteArrayLiteral("Beyonc\xe9 - X\r\n") << entries({"Beyoncé - X"});
    }
    void loadRules()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, expected);
        write("redownload.txt", bytes);
        write("deleted.txt", bytes);
        SongLists lists;
        lists.LoadLists(m_program, CodePage());
        QCOMPARE(lists.redownload.entries(), expected);
        QCOMPARE(lists.deleted.entries(), expected);
        QCOMPARE(test::readAll(file("redownload.txt")), bytes); // loading writes nothing
    }

    void missingFilesAreCreatedEmpty()
    {
        SongLists lists;
        lists.LoadLists(m_program, CodePage());
        QCOMPARE(lists.folder(), m_program);
        QVERIFY(QFileInfo(file("redownload.txt")).isFile());
        QVERIFY(QFileInfo(file("deleted.txt")).isFile());
        QCOMPARE(QFileInfo(file("deleted.txt")).size(), 0);
        lists.SaveLists(); // empty lists delete their files
        QVERIFY(!QFileInfo::exists(file("redownload.txt")));
        QVERIFY(!QFileInfo::exists(file("deleted.txt")));
    }

    void everyChangeRewritesTheFile()
    {
        write("deleted.txt", QByteArrayLiteral("a\r\n\r\nb\r\n"));
        SongLists lists;
        lists.LoadLists(m_program, CodePage());
        QSignalSpy changed(&lists.deleted, &SongList::changed);
        lists.deleted.append(QStringLiteral("Band - Song"));
        QCOMPARE(test::readAll(file("deleted.txt")), QByteArrayLiteral("a\r\n\r\nb\r\nBand - Song\r\n"));
        lists.deleted.append(QStringLiteral("a"));
        QCOMPARE(lists.deleted.removeAll(QStringLiteral("a")), 2);
        QCOMPARE(test::readAll(file("deleted.txt")), QByteArrayLiteral("\r\nb\r\nBand - Song\r\n"));
        QCOMPARE(lists.deleted.removeAll(QStringLiteral("A")), 0); // exact comparison
        lists.deleted.removeAt(7);                                 // outside: nothing
        lists.deleted.removeAt(0);
        QCOMPARE(test::readAll(file("deleted.txt")), QByteArrayLiteral("b\r\nBand - Song\r\n"));
        QCOMPARE(changed.count(), 4);
        lists.deleted.clear();
        QVERIFY(!QFileInfo::exists(file("deleted.txt")));
        QVERIFY(QFileInfo::exists(file("redownload.txt"))); // the other list is left alone
        lists.deleted.clear();
        QCOMPARE(changed.count(), 5);
    }

    void writtenInTheCodePage()
    {
        SongLists lists;
        lists.LoadLists(m_program, CodePage::forFontCharset(204));
        lists.redownload.append(QStringLiteral("Кино - Звезда"));
        QCOMPARE(test::readAll(file("redownload.txt")),
                 QByteArrayLiteral("\xca\xe8\xed\xee - \xc7\xe2\xe5\xe7\xe4\xe0\r\n"));
        SongLists again;
        again.LoadLists(m_program, CodePage::forFontCharset(204));
        QCOMPARE(again.redownload.entries(), entries({"Кино - Звезда"}));
    }

    void failedWritesKeepTheFileAndSaySo()
    {
        SongLists lists;
        QStringList reported, reasons;
        lists.onWriteFailed = [&](const QString &path, const QString &reason) {
            reported << QFileInfo(path).fileName();
            reasons << reason;
        };
        lists.LoadLists(m_program, CodePage());
        lists.deleted.append(QStringLiteral("Band - Song"));
        const QByteArray before = test::readAll(file("deleted.txt"));

        lists.deleted.append(QStringLiteral("Zespół - Piosenka")); // "ł" has no byte in Windows-1252
        QCOMPARE(test::readAll(file("deleted.txt")), before);
        QVERIFY(reasons.constLast().contains(QStringLiteral("ł")));

        lists.deleted.removeAt(1);
        QCOMPARE(reported.size(), 1); // that write went through
        test::setReadOnly(file("deleted.txt"), true);
        lists.deleted.append(QStringLiteral("Other - Song"));
        lists.deleted.clear();
        QCOMPARE(test::readAll(file("deleted.txt")), before);
        QCOMPARE(reported, entries({"deleted.txt", "deleted.txt", "deleted.txt"}));
        test::setReadOnly(file("deleted.txt"), false);
    }

    void unreadableFileIsNeverOverwritten()
    {
        // A folder where the file should be: it exists but cannot be read.
        QVERIFY(QDir().mkpath(file("redownload.txt")));
        SongLists lists;
        QStringList reported;
        lists.onWriteFailed = [&](const QString &path, const QString &) { reported << QFileInfo(path).fileName(); };
        lists.LoadLists(m_program, CodePage());
        QVERIFY(lists.redownload.isEmpty());
        lists.redownload.append(QStringLiteral("Band - Song"));
        lists.SaveLists();
        QVERIFY(QFileInfo(file("redownload.txt")).isDir());
        QVERIFY(reported.contains(QStringLiteral("redownload.txt")));
        QVERIFY(!QFileInfo::exists(file("deleted.txt"))); // the other list is saved as usual
    }

    void readOnlyProgramFolderFallsBackToUserData()
    {
        const QString data = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
        QVERIFY(data.contains(QStringLiteral("qttest"))); // test mode: never the real folder
        QDir(data).removeRecursively();
        QFile::setPermissions(m_program, QFileDevice::ReadOwner | QFileDevice::ExeOwner | QFileDevice::ReadUser
                                             | QFileDevice::ExeUser);
        SongLists lists;
        lists.LoadLists(m_program, CodePage());
        QFile::setPermissions(m_program, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner
                                             | QFileDevice::ReadUser | QFileDevice::WriteUser | QFileDevice::ExeUser);
        QCOMPARE(lists.folder(), withTrailing(data));
        QVERIFY(!QFileInfo::exists(file("deleted.txt")));
        lists.deleted.append(QStringLiteral("Band - Song"));
        QCOMPARE(test::readAll(lists.folder() + QStringLiteral("deleted.txt")), QByteArrayLiteral("Band - Song\r\n"));
        QCOMPARE(SongLists::listsFolderFor(m_dir.path() + QStringLiteral("/missing")), withTrailing(data));
        QCOMPARE(SongLists::listsFolderFor(QString()), withTrailing(data));
        QDir(data).removeRecursively();
    }

    void installedProgramFolderIsNeverTheListsFolder_data()
    {
        QTest::addColumn<QString>("programDir");
        for (const char *dir : {"/usr/bin", "/usr/bin/", "/bin", "/usr/local/bin"})
            QTest::newRow(dir) << QString::fromLatin1(dir);
        QTest::newRow("~/.local/bin") << QDir::homePath() + QStringLiteral("/.local/bin");
    }
    void installedProgramFolderIsNeverTheListsFolder()
    {
        // Where an installed program lies. Only root can write the system's
        // folders; the user's own is writable for everybody.
        QFETCH(QString, programDir);
        QVERIFY(QDir().mkpath(QDir::homePath() + QStringLiteral("/.local/bin")));
        const QString data = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
        QCOMPARE(SongLists::listsFolderFor(programDir), withTrailing(data));
        QDir(data).removeRecursively();
    }

private:
    static QString withTrailing(const QString &path) { return path.endsWith(u'/') ? path : path + u'/'; }
};

QTEST_GUILESS_MAIN(tst_SongLists)
#include "tst_songlists.moc"
