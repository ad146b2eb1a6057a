#include "karaoke/KasFile.h"

#include "FakeInstallation.h"
#include "TestText.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace stanzary;

Q_DECLARE_METATYPE(StampTime)
Q_DECLARE_METATYPE(KasRecord)

using test::bytes;

class tst_KasFile : public QObject
{
    Q_OBJECT

private slots:
    void pathBesideTheLyrics()
    {
        QCOMPARE(KasPathFor(QStringLiteral("/l/A/Amber - Boats.txt")), QStringLiteral("/l/A/Amber - Boats.kas"));
        QCOMPARE(KasPathFor(QStringLiteral("Amber - Boats.TXT")), QStringLiteral("Amber - Boats.kas"));
    }

    void existsIgnoringCase()
    {
        QTemporaryDir tmp;
        test::FakeInstallation inst(tmp.path());
        const QString lyrics = inst.addLyrics(QStringLiteral("A/Amber - Boats.txt"));
        QVERIFY(!KasFileExists(lyrics));
        QCOMPARE(kasPathOnDisk(lyrics), KasPathFor(lyrics));

        inst.writeFile(QStringLiteral("lyrics/A/amber - BOATS.KAS"), ";\r\n");
        QVERIFY(KasFileExists(lyrics));
        QCOMPARE(kasPathOnDisk(lyrics), inst.lyricsPath() + QStringLiteral("A/amber - BOATS.KAS"));

        // A folder of that name or a hidden file is not a timestamp file.
        const QString other = inst.addLyrics(QStringLiteral("A/Other.txt"));
        QDir().mkpath(inst.lyricsPath() + QStringLiteral("A/Other.kas"));
        QVERIFY(!KasFileExists(other));
        const QString hidden = inst.addLyrics(QStringLiteral("A/.Hidden.txt"));
        inst.addKas(QStringLiteral("A/.Hidden.txt"));
        QVERIFY(!KasFileExists(hidden));
    }

    void timeCodes_data()
    {
        QTest::addColumn<QByteArray>("code");
        QTest::addColumn<StampTime>("time");
        QTest::newRow("@@") << QByteArray("@@") << StampTime{0, 0, 0};
        QTest::newRow("@A") << QByteArray("@A") << StampTime{0, 0, 2};
        QTest::newRow("AA") << QByteArray("AA") << StampTime{0, 13, 0};
        QTest::newRow("Dl") << QByteArray("Dl") << StampTime{1, 0, 0};
        QTest::newRow("13:39.2 first code above 127") << bytes({128, 64}) << StampTime{13, 39, 2};
        QTest::newRow("13:59.8") << bytes({129, 103}) << StampTime{13, 59, 8};
        QTest::newRow("largest") << bytes({255, 127}) << StampTime{40, 57, 4};
    }
    void timeCodes()
    {
        QFETCH(QByteArray, code);
        QFETCH(StampTime, time);
        QCOMPARE(CodeToTime(code), std::optional<StampTime>(time));
        QCOMPARE(TimeToCode(time), std::optional<QByteArray>(code));
    }

    void everyCanonicalCodeRoundTrips()
    {
        for (int c1 = 64; c1 < 256; ++c1) {
            for (int c2 = 64; c2 < 128; ++c2) {
                const QByteArray code = bytes({c1, c2});
                const auto time = CodeToTime(code);
                QVERIFY(time && time->Frame % 2 == 0 && time->Second < 60);
                QCOMPARE(TimeToCode(*time), std::optional<QByteArray>(code));
            }
        }
    }

    void codesAndTimesWithoutACounterpart()
    {
        QVERIFY(!CodeToTime(QByteArray("?@")));
        QVERIFY(!CodeToTime(QByteArray("@?")));
        QVERIFY(!CodeToTime(QByteArray("@")));
        QVERIFY(!CodeToTime(QByteArray("@@@")));
        QVERIFY(!TimeToCode(StampTime{0, 60, 0}));
        QVERIFY(!TimeToCode(StampTime{0, 0, 3}));
        QVERIFY(!TimeToCode(StampTime{0, 0, 10}));
        QVERIFY(!TimeToCode(StampTime{41, 0, 0}));
        QVERIFY(isPickerTime(StampTime{13, 59, 8}));
        QVERIFY(!isPickerTime(StampTime{14, 0, 0}));
    }

    void wellFormedFiles_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<int>("records");
        QTest::addColumn<QByteArray>("tail");
        QTest::newRow("no records") << QByteArray(";\r\n") << 0 << QByteArray(";\r\n");
        QTest::newRow("two records") << QByteArray("@@We@Aan;1\r\n") << 2 << QByteArray(";1\r\n");
        QTest::newRow("second ; stays in the tail") << QByteArray("AAOh;a;b\r\n") << 1 << QByteArray(";a;b\r\n");
        QTest::newRow("tail without line end") << QByteArray("AAOh;") << 1 << QByteArray(";");
        QTest::newRow("two-space prefix") << QByteArray("@@  AAOh;\r\n") << 2 << QByteArray(";\r\n");
        QTest::newRow("high bytes") << bytes({129, 103, 0xe9, 0x80, ';', 0xff, 13, 10}) << 1
                                    << bytes({';', 0xff, 13, 10});
    }
    void wellFormedFiles()
    {
        QFETCH(QByteArray, file);
        QFETCH(int, records);
        QFETCH(QByteArray, tail);
        const KasContent c = parseKas(file);
        QVERIFY(c.ok());
        QCOMPARE(c.records.size(), records);
        QCOMPARE(c.tail, tail);
        for (int i = 0; i < records; ++i)
            QCOMPARE(c.records.at(i).code + c.records.at(i).prefix, file.mid(4 * i, 4));
    }

    void malformedFiles_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<int>("readable");
        QTest::newRow("empty") << QByteArray() << 0;
        QTest::newRow("no ;") << QByteArray("@@We@Aan\r\n") << 2;
        QTest::newRow("stamp part of 6") << QByteArray("@@We@A;\r\n") << 1;
        QTest::newRow("code below 64") << QByteArray("@@We?Aan@Bx ;\r\n") << 1;
        QTest::newRow("second byte below 64") << QByteArray("@1We;\r\n") << 0;
    }
    void malformedFiles()
    {
        QFETCH(QByteArray, file);
        QFETCH(int, readable);
        const KasContent c = parseKas(file);
        QCOMPARE(c.status, KasReadStatus::Malformed);
        QVERIFY(!c.detail.isEmpty());
        QCOMPARE(c.records.size(), readable);
        QCOMPARE(c.raw, file);
    }

    void composing_data()
    {
        QTest::addColumn<QList<KasRecord>>("records");
        QTest::addColumn<QByteArray>("tail");
        QTest::addColumn<QByteArray>("file");
        const KasRecord a{QByteArray("@@"), QByteArray("a ")};
        const KasRecord blank{QByteArray("@A"), QByteArray("  ")};
        const KasRecord b{QByteArray("AA"), QByteArray(" b")};
        QTest::newRow("CR LF added") << QList<KasRecord>{a} << QByteArray(";") << QByteArray("@@a ;\r\n");
        QTest::newRow("CR LF kept, not doubled")
            << QList<KasRecord>{a} << QByteArray(";x\r\n") << QByteArray("@@a ;x\r\n");
        QTest::newRow("LF alone gets CR LF") << QList<KasRecord>{a} << QByteArray(";\n") << QByteArray("@@a ;\n\r\n");
        QTest::newRow("two spaces left out")
            << QList<KasRecord>{a, blank, b} << QByteArray(";\r\n") << QByteArray("@@a AA b;\r\n");
        QTest::newRow("nothing") << QList<KasRecord>{} << QByteArray(";\r\n") << QByteArray(";\r\n");
    }
    void composing()
    {
        QFETCH(QList<KasRecord>, records);
        QFETCH(QByteArray, tail);
        QFETCH(QByteArray, file);
        QCOMPARE(composeKas(records, tail), file);
    }

    void readWriteRoundTripDoesNotGrow()
    {
        QTemporaryDir tmp;
        test::FakeInstallation inst(tmp.path());
        const QByteArray original = bytes({'@', '@', 'W', 'e', 129, 103, 0xe9, 't', ';', 'v', '1', ';', 13, 10});
        const QString path = inst.addKas(QStringLiteral("Amber - Boats.txt"), original);
        for (int round = 0; round < 3; ++round) {
            const KasContent c = readKasFile(path);
            QVERIFY(c.ok());
            QVERIFY(writeKasFile(path, c.records, c.tail).ok());
            QCOMPARE(test::readAll(path), original);
        }
        QCOMPARE(readKasFile(tmp.filePath(QStringLiteral("missing.kas"))).status, KasReadStatus::Unreadable);
    }
};

QTEST_GUILESS_MAIN(tst_KasFile)
#include "tst_kasfile.moc"
