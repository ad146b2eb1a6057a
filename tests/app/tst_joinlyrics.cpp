#include "app/ImageIndex.h"
#include "app/JoinLyrics.h"
#include "app/basMain.h"
#include "store/TreeSearch.h"

#include "FakeInstallation.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

using namespace stanzary;

namespace {

const QDateTime kSeptemberSeventh(QDate(2004, 9, 7), QTime(14, 5, 30));

// An installation with two artists of two songs and one of one, as the scan
// would put them into the tree.
struct Collection
{
    QTemporaryDir dir;
    test::FakeInstallation install{dir.path()};
    basMain state;

    Collection()
    {
        state.strHostPath = install.hostPath();
        state.strLyricsPath = install.lyricsPath();
        state.now = [] { return kSeptemberSeventh; };
        addArtist(QStringLiteral("Band"), {QStringLiteral("Alpha"), QStringLiteral("Beta")});
        addArtist(QStringLiteral("Solo"), {QStringLiteral("Only One")});
        addArtist(QStringLiteral("Xtra"), {QStringLiteral("X1"), QStringLiteral("X2")});
    }
    void addArtist(const QString &artist, const QStringList &songs)
    {
        const QString key = QStringLiteral("key") + artist.toLower();
        state.nodes.add(key, artist, Icon::Artist);
        for (const QString &song : songs)
            state.nodes.add(artist.left(1) + u'/' + artist + QStringLiteral(" - ") + song + QStringLiteral(".txt"),
                            song, Icon::LyricsOnly, key);
    }
    // Ticks a node as the user does in the tree.
    void tick(const QString &key, bool checked = true)
    {
        const int p = state.nodes.positionOf(key);
        state.nodes.setChecked(p, checked);
        propagateCheck(state.nodes, p);
    }
    QStringList joinedFiles() const
    {
        return QDir(install.hostPath()).entryList({QStringLiteral("*Joined*")}, QDir::AllEntries | QDir::Hidden);
    }
};

} // namespace

class tst_JoinLyrics : public QObject
{
    Q_OBJECT

private slots:
    // Blocks in the tree's order; a missing file gives its header only and
    // still counts; a file ending with CR LF gets one more; an artist whose
    // songs were all unticked adds nothing.
    void joinsCheckedSongsInTreeOrder()
    {
        Collection c;
        c.install.addLyrics(QStringLiteral("B/Band - Alpha.txt"), "one\r\ntwo\r\n");
        c.install.addLyrics(QStringLiteral("S/Solo - Only One.txt"), "alone");
        c.install.addLyrics(QStringLiteral("X/Xtra - X1.txt"), "x");
        c.tick(QStringLiteral("S/Solo - Only One.txt"));
        c.tick(QStringLiteral("keyband"));
        c.tick(QStringLiteral("keyxtra"));
        c.tick(QStringLiteral("X/Xtra - X1.txt"), false);
        c.tick(QStringLiteral("X/Xtra - X2.txt"), false);

        const JoinOutcome out = JoinCheckedLyrics(c.state);
        QVERIFY(out.write.ok());
        QVERIFY(out.fileMissing); // Beta has no file
        QCOMPARE(out.fileName, QStringLiteral("3 Lyrics Joined at 09-07-2004 14-5.txt"));
        QCOMPARE(out.path, c.install.hostPath() + out.fileName);
        const QByteArray hyphens(15, '-');
        const QByteArray equals(25, '=');
        QCOMPARE(test::readAll(out.path), ":: Band - Alpha\r\n" + hyphens + "\r\none\r\ntwo\r\n\r\n" + equals
                                              + "\r\n\r\n:: Band - Beta\r\n" + hyphens + "\r\n:: Solo - Only One\r\n"
                                              + hyphens + "\r\nalone\r\n" + equals + "\r\n\r\n\r\n");
    }

    void fileName_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<QDateTime>("when");
        QTest::addColumn<QString>("name");
        QTest::newRow("morning") << 2 << QDateTime(QDate(2004, 9, 7), QTime(9, 5))
                                 << QStringLiteral("2 Lyrics Joined at 09-07-2004 9-5.txt");
        QTest::newRow("midnight") << 12 << QDateTime(QDate(2005, 1, 1), QTime(0, 0, 59))
                                  << QStringLiteral("12 Lyrics Joined at 01-01-2005 0-0.txt");
        QTest::newRow("year below 1000") << 1 << QDateTime(QDate(999, 12, 31), QTime(23, 59))
                                         << QStringLiteral("1 Lyrics Joined at 12-31-0999 23-59.txt");
    }
    void fileName()
    {
        QFETCH(int, count);
        QFETCH(QDateTime, when);
        QFETCH(QString, name);
        QCOMPARE(joinedFileName(count, when), name);
    }

    void sameMinuteReplacesTheFile()
    {
        Collection c;
        const QString alpha = c.install.addLyrics(QStringLiteral("B/Band - Alpha.txt"), "first");
        c.tick(QStringLiteral("B/Band - Alpha.txt"));
        const JoinOutcome first = JoinCheckedLyrics(c.state);
        c.install.addLyrics(QStringLiteral("B/Band - Alpha.txt"), "second");
        c.state.now = [] { return kSeptemberSeventh.addSecs(20); };
        const JoinOutcome second = JoinCheckedLyrics(c.state);
        QVERIFY(second.write.ok());
        QCOMPARE(second.path, first.path);
        QVERIFY(test::readAll(second.path).contains("second"));
        QCOMPARE(c.joinedFiles(), QStringList{first.fileName});
        QVERIFY(QFile::exists(alpha));
    }

    void nothingCheckedWritesNothing()
    {
        Collection c;
        c.tick(QStringLiteral("keyxtra"));
        c.tick(QStringLiteral("X/Xtra - X1.txt"), false);
        c.tick(QStringLiteral("X/Xtra - X2.txt"), false);
        QVERIFY(JoinCheckedLyrics(c.state).nothingJoined);
        QVERIFY(c.joinedFiles().isEmpty());
    }

    // A file that cannot be written leaves what was there, and no part of
    // the new one.
    void writeFailureKeepsWhatWasThere_data()
    {
        QTest::addColumn<QString>("obstacle");
        QTest::newRow("read-only file") << QStringLiteral("read-only");
        QTest::newRow("a folder of that name") << QStringLiteral("folder");
        QTest::newRow("no installation folder") << QStringLiteral("missing");
    }
    void writeFailureKeepsWhatWasThere()
    {
        QFETCH(QString, obstacle);
        Collection c;
        c.install.addLyrics(QStringLiteral("S/Solo - Only One.txt"), "alone");
        c.tick(QStringLiteral("S/Solo - Only One.txt"));
        const QString target = c.install.hostPath() + joinedFileName(1, kSeptemberSeventh);
        if (obstacle == QLatin1StringView("read-only")) {
            c.install.writeFile(QFileInfo(target).fileName(), "old");
            test::setReadOnly(target, true);
        } else if (obstacle == QLatin1StringView("folder")) {
            QVERIFY(QDir().mkdir(target));
        } else {
            c.state.strHostPath = c.install.hostPath() + QStringLiteral("gone/");
        }
        const JoinOutcome out = JoinCheckedLyrics(c.state);
        QVERIFY(!out.write.ok());
        QCOMPARE(c.joinedFiles().size(), obstacle == QLatin1StringView("missing") ? 0 : 1);
        if (obstacle == QLatin1StringView("read-only"))
            QCOMPARE(test::readAll(target), QByteArray("old"));
        QVERIFY(!QFileInfo::exists(c.install.hostPath() + QStringLiteral("gone")));
    }

    void nameOutsideTheCodePageJoinsNothing()
    {
        Collection c;
        c.addArtist(QStringLiteral("\u0416uk"), {QStringLiteral("Song")});
        c.install.addLyrics(QStringLiteral("\u0416/\u0416uk - Song.txt"), "x");
        c.tick(QStringLiteral("key\u0436uk"));
        const JoinOutcome out = JoinCheckedLyrics(c.state);
        QCOMPARE(out.unencodableName, QStringLiteral("\u0416uk - Song"));
        QVERIFY(c.joinedFiles().isEmpty());
    }
};

QTEST_GUILESS_MAIN(tst_JoinLyrics)
#include "tst_joinlyrics.moc"
