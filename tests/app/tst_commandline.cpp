#include "app/CommandLine.h"

#include "store/TreeSearch.h"

#include <QtTest>

using namespace stanzary;

class tst_CommandLine : public QObject
{
    Q_OBJECT

private slots:
    void request_data()
    {
        QTest::addColumn<QString>("commandLine");
        QTest::addColumn<bool>("found");
        QTest::addColumn<QString>("artist");
        QTest::addColumn<QString>("song");
        QTest::newRow("plain") << QStringLiteral("/song Some Band - Some Song") << true << QStringLiteral("Some Band")
                               << QStringLiteral("Some Song");
        QTest::newRow("stops before the next slash") << QStringLiteral("/song Some Band - Some Song /min") << true
                                                     << QStringLiteral("Some Band") << QStringLiteral("Some Song");
        QTest::newRow("slash inside the name cuts it")
            << QStringLiteral("/song A/B - Some Song") << false << QString() << QString();
        QTest::newRow("case-sensitive marker")
            << QStringLiteral("/SONG Some Band - Some Song") << false << QString() << QString();
        QTest::newRow("split at the first dash only")
            << QStringLiteral("/song Some Band - Some Song - Live") << true << QStringLiteral("Some Band")
            << QStringLiteral("Some Song - Live");
        QTest::newRow("nothing after the marker") << QStringLiteral("/min /song ") << false << QString() << QString();
        QTest::newRow("marker needs its blank")
            << QStringLiteral("/songSome Band - X") << false << QString() << QString();
        QTest::newRow("after other options")
            << QStringLiteral("/min /song Band - X") << true << QStringLiteral("Band") << QStringLiteral("X");
        QTest::newRow("first request wins")
            << QStringLiteral("/song A - B /song C - D") << true << QStringLiteral("A") << QStringLiteral("B");
        QTest::newRow("empty song kept for the caller")
            << QStringLiteral("/song Intro -") << true << QStringLiteral("Intro") << QString();
        QTest::newRow("no command line") << QString() << false << QString() << QString();
    }
    void request()
    {
        QFETCH(QString, commandLine);
        QFETCH(bool, found);
        QFETCH(QString, artist);
        QFETCH(QString, song);
        const std::optional<SongRequest> r = ProcessCommandLine(commandLine);
        QCOMPARE(r.has_value(), found);
        if (r) {
            QCOMPARE(r->strArtist, artist);
            QCOMPARE(r->strSong, song);
        }
    }

    void requestFindsTheSongIgnoringCase()
    {
        NodeCollection n;
        n.add(QStringLiteral("keysome band"), QStringLiteral("Some Band"), 9);
        n.add(QStringLiteral("S/Some Band - Some Song.txt"), QStringLiteral("Some Song"), 10,
              QStringLiteral("keysome band"));
        const auto r = ProcessCommandLine(QStringLiteral("/song SOME BAND - some song"));
        QVERIFY(r);
        QCOMPARE(findSpecificSong(n, r->strArtist, r->strSong), 2);
        const auto missing = ProcessCommandLine(QStringLiteral("/song Some Band - Other"));
        QVERIFY(missing);
        QCOMPARE(findSpecificSong(n, missing->strArtist, missing->strSong), 0);
    }
};

QTEST_GUILESS_MAIN(tst_CommandLine)
#include "tst_commandline.moc"
