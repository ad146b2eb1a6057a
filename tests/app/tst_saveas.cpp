#include "app/SaveAs.h"
#include "app/basMain.h"

#include "FakeInstallation.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

using namespace stanzary;

class tst_SaveAs : public QObject
{
    Q_OBJECT

private slots:
    void target_data()
    {
        QTest::addColumn<bool>("singleDir");
        QTest::addColumn<QString>("existing"); // a lyrics file there before, relative to the lyrics folder
        QTest::addColumn<QString>("artist");
        QTest::addColumn<QString>("path"); // relative to the lyrics folder; empty: refused
        QTest::addColumn<bool>("exists");
        QTest::newRow("subfolder keeps the typed case")
            << false << QString() << QStringLiteral("nova") << QStringLiteral("n/nova - Blue Lake.txt") << false;
        QTest::newRow("single folder") << true << QString() << QStringLiteral("nova")
                                       << QStringLiteral("nova - Blue Lake.txt") << false;
        QTest::newRow("existing folder of other case")
            << false << QStringLiteral("N/Nova - Other.txt") << QStringLiteral("nova")
            << QStringLiteral("N/nova - Blue Lake.txt") << false;
        QTest::newRow("existing file of other case")
            << false << QStringLiteral("N/NOVA - blue lake.txt") << QStringLiteral("nova")
            << QStringLiteral("N/NOVA - blue lake.txt") << true;
        QTest::newRow("same name") << true << QStringLiteral("nova - Blue Lake.txt") << QStringLiteral("nova")
                                   << QStringLiteral("nova - Blue Lake.txt") << true;
        QTest::newRow("a separator is refused") << false << QString() << QStringLiteral("AC/DC") << QString() << false;
        QTest::newRow("the host's separator too") << true << QString() << QStringLiteral("a\\b") << QString() << false;
    }
    void target()
    {
        QFETCH(bool, singleDir);
        QFETCH(QString, existing);
        QFETCH(QString, artist);
        QFETCH(QString, path);
        QFETCH(bool, exists);
        QTemporaryDir dir;
        test::FakeInstallation install(dir.path());
        QVERIFY(QDir().mkpath(install.lyricsPath()));
        if (!existing.isEmpty())
            install.addLyrics(existing);
        basMain state;
        state.strLyricsPath = install.lyricsPath();
        state.blnSingleDir = singleDir;
        const SaveAsTarget t = saveAsTarget(state, artist, QStringLiteral("Blue Lake"));
        QCOMPARE(t.badCharacter.isEmpty(), !path.isEmpty());
        QCOMPARE(t.path, path.isEmpty() ? QString() : install.lyricsPath() + path);
        QCOMPARE(t.exists, exists);
    }

    void makesOnlyTheFirstLetterFolder()
    {
        QTemporaryDir dir;
        test::FakeInstallation install(dir.path());
        QVERIFY(!makeFolderOf(install.lyricsPath() + QStringLiteral("n/nova - x.txt"))); // no lyrics folder
        QVERIFY(!QFileInfo::exists(install.lyricsPath()));
        QVERIFY(QDir().mkpath(install.lyricsPath()));
        QVERIFY(makeFolderOf(install.lyricsPath() + QStringLiteral("n/nova - x.txt")));
        QVERIFY(QFileInfo(install.lyricsPath() + QStringLiteral("n")).isDir());
        QVERIFY(makeFolderOf(install.lyricsPath() + QStringLiteral("n/nova - x.txt"))); // there already
    }
};

QTEST_GUILESS_MAIN(tst_SaveAs)
#include "tst_saveas.moc"
