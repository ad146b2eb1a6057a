#include "tagger/LrcExport.h"
#include "tagger/LyricsPairing.h"

#include "FakeInstallation.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace stanzary;

namespace {

// A stamp record from a time and a prefix.
KasRecord stamp(int minute, int second, int frame, const QByteArray &prefix)
{
    return {*TimeToCode(StampTime{quint8(minute), quint8(second), quint8(frame)}), prefix};
}

// "line@index" for each paired stamp, "!k" for each unpaired one (k from 0).
QStringList describe(const StampPairing &pairing)
{
    QStringList out;
    for (const PairedStamp &p : pairing.paired)
        out << p.line + u'@' + QString::number(p.lineIndex);
    for (const UnpairedStamp &u : pairing.unpaired)
        out << u'!' + QString::number(u.index);
    return out;
}

} // namespace

class tst_LyricsPairing : public QObject
{
    Q_OBJECT

private slots:
    void pairsStampsWithLines_data()
    {
        QTest::addColumn<QByteArray>("lyrics");
        QTest::addColumn<QList<QByteArray>>("prefixes");
        QTest::addColumn<QString>("expected"); // "line@index" per pair, "!k" per unpaired stamp k

        const QByteArray verses = "Rain on the roof\r\nRain in the yard\r\n\r\nRoads run home\r\nRain again\r\n";
        QTest::newRow("repeated prefixes go to the next line in turn")
            << verses << QList<QByteArray>{"Ra", "Ra", "Ro", "Ra"}
            << QStringLiteral("Rain on the roof@0|Rain in the yard@1|Roads run home@3|Rain again@4");
        QTest::newRow("a stamp may skip lines")
            << verses << QList<QByteArray>{"Ro", "Ra"} << QStringLiteral("Roads run home@3|Rain again@4");
        QTest::newRow("a missing line is reported, the search goes on from the last pair")
            << verses << QList<QByteArray>{"Ra", "Zz", "Ra"}
            << QStringLiteral("Rain on the roof@0|Rain in the yard@1|!1");
        QTest::newRow("no line is taken twice")
            << verses << QList<QByteArray>{"Ro", "Ro"} << QStringLiteral("Roads run home@3|!1");
        // A blank prefix is a row that saving leaves out: no stamp to pair.
        QTest::newRow("empty and blank lines never pair; a blank prefix is passed over")
            << QByteArray("\r\n  \r\nOne\r\n\r\nTwo\r\n") << QList<QByteArray>{"  ", "On", "Tw"}
            << QStringLiteral("One@2|Two@4");
        QTest::newRow("a one-letter line has the prefix padded with a space")
            << QByteArray("O\r\nOh\r\n") << QList<QByteArray>{"Oh", "O "} << QStringLiteral("Oh@1|!1");
        QTest::newRow("the source trailer holds no lyric lines")
            << QByteArray("Last line\r\n\r\n----------------\r\n* Downloaded from: http://a.example/x\r\n")
            << QList<QByteArray>{"La", "--", "* "} << QStringLiteral("Last line@0|!1|!2");
        QTest::newRow("prefixes are compared with case")
            << QByteArray("Echo\r\necho\r\n") << QList<QByteArray>{"ec"} << QStringLiteral("echo@1");
        QTest::newRow("a lone LF ends a line too")
            << QByteArray("Up\nDown\r\n") << QList<QByteArray>{"Up", "Do"} << QStringLiteral("Up@0|Down@1");
    }
    void pairsStampsWithLines()
    {
        QFETCH(QByteArray, lyrics);
        QFETCH(QList<QByteArray>, prefixes);
        QFETCH(QString, expected);
        QList<KasRecord> stamps;
        for (int i = 0; i < prefixes.size(); ++i)
            stamps << stamp(0, i, 0, prefixes.at(i));
        const QStringList lines = lyricLines(CodePage().decode(lyrics));
        const StampPairing pairing = pairStamps(stamps, lines, CodePage());
        QCOMPARE(describe(pairing).join(u'|'), expected);
        QCOMPARE(pairing.complete(), !expected.contains(u'!'));
    }

    void unreadableCodeIsUnpaired()
    {
        const StampPairing pairing =
            pairStamps({{QByteArray("\x01\x01", 2), "Hi"}}, {QStringLiteral("Hi there")}, CodePage());
        QVERIFY(pairing.paired.isEmpty());
        QCOMPARE(pairing.unpaired.size(), 1);
        QVERIFY(!pairing.unpaired.first().time);
        QCOMPARE(describeUnpaired(pairing.unpaired.first()), QStringLiteral("stamp 1 (unreadable time, \"Hi\")"));
        QCOMPARE(describeUnpaired({4, QStringLiteral("Zz"), StampTime{2, 5, 4}}),
                 QStringLiteral("stamp 5 (02:05.4, \"Zz\")"));
    }

    void millisecondsOfStamps()
    {
        QCOMPARE(stampMilliseconds({0, 0, 0}), 0u);
        QCOMPARE(stampMilliseconds({0, 13, 2}), 13200u);
        QCOMPARE(stampMilliseconds({13, 59, 8}), 839800u);
        QCOMPARE(stampMilliseconds({40, 5, 4}), 2405400u);
    }

    // Prefixes and lines are compared as text of the timestamp file's code page.
    void prefixesDecodeWithTheCodePage()
    {
        const CodePage cyrillic = CodePage::forFontCharset(204);
        const QStringList lines = lyricLines(cyrillic.decode("\xc6\xf3\xea\r\n"));
        const StampPairing pairing = pairStamps({stamp(0, 1, 0, "\xc6\xf3")}, lines, cyrillic);
        QCOMPARE(pairing.paired.size(), 1);
        QCOMPARE(pairing.paired.first().line, QStringLiteral("\u0416\u0443\u043a"));
        QCOMPARE(pairStamps({stamp(0, 1, 0, "\xc6\xf3")}, lines, CodePage()).paired.size(), 0);
    }

    void lrcBytes()
    {
        const QList<PairedStamp> paired{{{0, 0, 0}, QStringLiteral("First")},
                                        {{0, 13, 2}, QStringLiteral("Caf\u00e9 \u0416")},
                                        {{13, 59, 8}, QString()},
                                        {{40, 5, 4}, QStringLiteral("Long song")}};
        QCOMPARE(lrcText(paired), QByteArray("[00:00.00]First\r\n[00:13.20]Caf\xc3\xa9 \xd0\x96\r\n[13:59.80]\r\n"
                                             "[40:05.40]Long song\r\n"));
        QVERIFY(lrcText({}).isEmpty());
    }

    void lrcPaths_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("expected");
        QTest::newRow("lyrics") << QStringLiteral("/l/A - B.txt") << QStringLiteral("/l/A - B.lrc");
        QTest::newRow("mp3") << QStringLiteral("/m/01. A - B.MP3") << QStringLiteral("/m/01. A - B.lrc");
        QTest::newRow("no extension") << QStringLiteral("/m/song") << QStringLiteral("/m/song.lrc");
        QTest::newRow("dot-folder") << QStringLiteral("/m.d/song") << QStringLiteral("/m.d/song.lrc");
    }
    void lrcPaths()
    {
        QFETCH(QString, path);
        QFETCH(QString, expected);
        QCOMPARE(lrcPathBeside(path), expected);
    }

    void writesTheFileWhole()
    {
        QTemporaryDir tmp;
        const QString path = tmp.filePath(QStringLiteral("song.lrc"));
        QVERIFY(writeLrcFile(path, {{{1, 2, 4}, QStringLiteral("Hey")}}).ok());
        QCOMPARE(test::readAll(path), QByteArray("[01:02.40]Hey\r\n"));
        test::setReadOnly(path, true);
        QCOMPARE(writeLrcFile(path, {{{0, 0, 0}, QStringLiteral("New")}}).status, WriteStatus::ReadOnly);
        QCOMPARE(test::readAll(path), QByteArray("[01:02.40]Hey\r\n"));
    }
};

QTEST_GUILESS_MAIN(tst_LyricsPairing)
#include "tst_lyricspairing.moc"
