#include "tagger/Mp3Tail.h"

#include "Mp3Bytes.h"
#include "TestText.h"

#include <QBuffer>
#include <QtTest>

using namespace stanzary;

namespace {

using test::bytes;

const QByteArray Id3v1 = test::id3v1Record("Title");

struct Read
{
    QByteArray version;
    qint64 tailPos = 0;
    qint64 start = 0;
    Lyrics3Fields fields;
};

Read readAll(const QByteArray &file)
{
    QByteArray copy = file;
    QBuffer buf(&copy);
    buf.open(QIODevice::ReadOnly);
    const Mp3Tail t = ReadMp3Tail(buf);
    return {t.version, t.tailPos, t.start, t.fields};
}

QByteArrayList ids(const Lyrics3Fields &fields)
{
    QByteArrayList out;
    for (const Lyrics3Field &f : fields)
        out << f.ID;
    return out;
}

} // namespace

class tst_Mp3Tail : public QObject
{
    Q_OBJECT

private slots:
    void versionOfTheMarker_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QByteArray>("version");
        const QByteArray a = test::audioBytes(200);
        QTest::newRow("v2.00 before ID3v1") << a + test::lyrics3v2Tag({{"IND", "100"}}) + Id3v1 << bytes("LYRICS200");
        QTest::newRow("v2.00 without ID3v1") << a + test::lyrics3v2Tag({{"IND", "100"}}) << bytes("LYRICS200");
        QTest::newRow("v2.01 as read") << a + test::lyrics3v2Tag({{"IND", "100"}}, "LYRICS201") + Id3v1
                                       << bytes("LYRICS201");
        QTest::newRow("v3 is higher") << a + test::lyrics3v2Tag({{"IND", "100"}}, "LYRICS300") + Id3v1
                                      << bytes("LyricsVersionHigher");
        QTest::newRow("lower case is none")
            << a + test::lyrics3v2Tag({{"IND", "100"}}, "lyrics200") + Id3v1 << bytes("NoLyrics");
        QTest::newRow("v1") << a + "LYRICSBEGINla laLYRICSEND" << bytes("Lyrics3v1");
        QTest::newRow("nothing") << a << bytes("NoLyrics");
        QTest::newRow("ID3v1 only") << a + Id3v1 << bytes("NoLyrics");
        QTest::newRow("8 bytes") << bytes("LYRICS20") << bytes("NoLyrics");
        QTest::newRow("130 bytes with ID3v1") << bytes("xx") + Id3v1 << bytes("NoLyrics");
        QTest::newRow("empty") << QByteArray() << bytes("NoLyrics");
    }
    void versionOfTheMarker()
    {
        QFETCH(QByteArray, file);
        QFETCH(QByteArray, version);
        QCOMPARE(readAll(file).version, version);
    }

    void tailPosition_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<qint64>("tailPos");
        QTest::newRow("record") << test::audioBytes(300) + Id3v1 << qint64(300);
        QTest::newRow("record only") << Id3v1 << qint64(0);
        QTest::newRow("lower-case tag") << test::audioBytes(300) + "tag" + QByteArray(125, '\0') << qint64(428);
        QTest::newRow("127 bytes") << QByteArray("TAG").leftJustified(127, 'x') << qint64(127);
        QTest::newRow("none") << test::audioBytes(50) << qint64(50);
    }
    void tailPosition()
    {
        QFETCH(QByteArray, file);
        QFETCH(qint64, tailPos);
        QBuffer buf(&file);
        buf.open(QIODevice::ReadOnly);
        QCOMPARE(TailPos(buf), tailPos);
        QCOMPARE(ReadId3v1(buf).isPresent(), tailPos == file.size() - 128);
    }

    // Lyrics that hold "TAG" exactly 128 bytes before the end of a file
    // without a record: the three letters are the inside of the Lyrics3 tag
    // that ends the file, not a record.
    void tagLettersInsideLyrics3AtTheEnd_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QByteArray>("version");
        QTest::addColumn<qint64>("start");
        // v2: 15 bytes follow the LYR data, so "TAG" sits 113 bytes before its end.
        const QByteArray v2 =
            test::lyrics3v2Tag({{"IND", "100"}, {"LYR", QByteArray(50, 'a') + "TAG" + QByteArray(110, 'b')}});
        QTest::newRow("v2") << test::audioBytes(300) + v2 << bytes("LYRICS200") << qint64(300);
        // v1: 9 bytes follow the text, so "TAG" sits 119 bytes before its end.
        const QByteArray v1 = "LYRICSBEGIN" + QByteArray(40, 'a') + "TAG" + QByteArray(116, 'b') + "LYRICSEND";
        QTest::newRow("v1") << test::audioBytes(6000) + v1 << bytes("Lyrics3v1") << qint64(6000);
    }
    void tagLettersInsideLyrics3AtTheEnd()
    {
        QFETCH(QByteArray, file);
        QFETCH(QByteArray, version);
        QFETCH(qint64, start);
        QCOMPARE(file.mid(file.size() - 128, 3), bytes("TAG"));
        QBuffer buf(&file);
        buf.open(QIODevice::ReadOnly);
        QVERIFY(!HasId3v1Record(buf));
        QVERIFY(!ReadId3v1(buf).isPresent());
        const Read r = readAll(file);
        QCOMPARE(r.tailPos, file.size());
        QCOMPARE(r.version, version);
        QCOMPARE(r.start, start);
        QVERIFY(FieldData(r.fields, "LYR").contains("TAG"));

        // A real record behind the same tag is still one.
        QByteArray withRecord = file + Id3v1;
        QBuffer recordBuf(&withRecord);
        recordBuf.open(QIODevice::ReadOnly);
        QVERIFY(HasId3v1Record(recordBuf));
        QCOMPARE(readAll(withRecord).start, start);
    }

    void readsTheId3v1Record()
    {
        QByteArray file = test::audioBytes(10) + test::id3v1Record("Night Train");
        QBuffer buf(&file);
        buf.open(QIODevice::ReadOnly);
        const Id3v1Record r = ReadId3v1(buf);
        QCOMPARE(r.Title, bytes("Night Train").leftJustified(30, '\0'));
        QCOMPARE(r.Artist, QByteArray(30, 'a'));
        QCOMPARE(r.Year, bytes("2001"));
        QCOMPARE(r.Track, quint8(1));
        QCOMPARE(r.Genre, quint8(2));
        QCOMPARE(r.toBytes(), test::id3v1Record("Night Train")); // back byte for byte
    }

    void readsV2FieldsInTagOrder()
    {
        const QByteArray a = test::audioBytes(1000);
        const QByteArray tag =
            test::lyrics3v2Tag({{"LYR", "words\r\nmore"}, {"INF", "info"}, {"CRC", "x"}, {"IND", "00"}});
        for (const QByteArray &end : {Id3v1, QByteArray()}) {
            const Read r = readAll(a + tag + end);
            QCOMPARE(r.start, qint64(1000));
            QCOMPARE(r.tailPos, qint64(1000 + tag.size()));
            QCOMPARE(ids(r.fields), (QByteArrayList{"LYR", "INF", "CRC", "IND"}));
            QCOMPARE(FieldData(r.fields, "LYR"), bytes("words\r\nmore"));
            QCOMPARE(FieldData(r.fields, "IND"), bytes("00"));
            QCOMPARE(r.fields.at(1).Size, bytes("00004"));
            QCOMPARE(FieldData(r.fields, "AUT"), QByteArray());
        }
    }

    // Broken or unusual v2 tags: how many fields come back and whether the tag
    // counts as read (start at its "LYRICSBEGIN") or not (start = tail).
    void brokenV2Tags_data()
    {
        QTest::addColumn<QByteArray>("tag");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<QByteArrayList>("fieldIds");
        const QByteArray good = test::lyrics3v2Tag({{"IND", "100"}, {"LYR", "text"}});
        QTest::newRow("good") << good << true << QByteArrayList{"IND", "LYR"};
        QTest::newRow("empty field skipped") << test::lyrics3v2Tag({{"IND", "100"}, {"EAL", ""}, {"LYR", "text"}})
                                             << true << QByteArrayList{"IND", "LYR"};
        QTest::newRow("no fields") << test::lyrics3v2Tag({}) << true << QByteArrayList{};
        QByteArray badBegin = good;
        badBegin.replace("LYRICSBEGIN", "LYRICSBEGUN");
        QTest::newRow("bad LYRICSBEGIN") << badBegin << false << QByteArrayList{};
        // good's size is "000034": the same number padded with blanks.
        for (const char *padded : {"    34", "34    ", "  34  "}) {
            QByteArray blanks = good;
            blanks.replace(good.size() - 15, 6, padded);
            QTest::addRow("size \"%s\"", padded) << blanks << true << QByteArrayList{"IND", "LYR"};
        }
        for (const char *padded : {"   4 ", "4    ", " 4   "}) {
            QByteArray blanks = good;
            blanks.replace("LYR00004", QByteArray(QByteArray("LYR") + padded));
            QTest::addRow("field size \"%s\"", padded) << blanks << true << QByteArrayList{"IND", "LYR"};
        }
        QByteArray split = good;
        split.replace(good.size() - 15, 6, "00 034");
        QTest::newRow("size split by a blank") << split << false << QByteArrayList{};
        QByteArray letters = good;
        letters.replace(good.size() - 15, 2, "0x");
        QTest::newRow("size with a letter") << letters << false << QByteArrayList{};
        QByteArray huge = good;
        huge.replace(good.size() - 15, 6, "999999");
        QTest::newRow("size beyond the file") << huge << false << QByteArrayList{};
        QByteArray small = good;
        small.replace(good.size() - 15, 6, "000010");
        QTest::newRow("size below 11") << small << false << QByteArrayList{};
        // LYR claims 9 bytes but only 4 are left in the tag: IND stays read.
        QByteArray overrun = good;
        overrun.replace("LYR00004", "LYR00009");
        QTest::newRow("field overruns the tag") << overrun << false << QByteArrayList{"IND"};
        QByteArray fieldLetters = good;
        fieldLetters.replace("LYR00004", "LYR0000z");
        QTest::newRow("field size not a number") << fieldLetters << false << QByteArrayList{"IND"};
        // Three stray bytes after the last field, counted in the size.
        QByteArray stray = "LYRICSBEGININD00003100abc";
        stray += QByteArray::number(stray.size()).rightJustified(6, '0') + "LYRICS200";
        QTest::newRow("stray bytes after the fields") << stray << false << QByteArrayList{"IND"};
    }
    void brokenV2Tags()
    {
        QFETCH(QByteArray, tag);
        QFETCH(bool, valid);
        QFETCH(QByteArrayList, fieldIds);
        const Read r = readAll(test::audioBytes(700) + tag + Id3v1);
        QCOMPARE(r.start, valid ? qint64(700) : r.tailPos);
        QCOMPARE(ids(r.fields), fieldIds);
        for (const Lyrics3Field &f : r.fields)
            QCOMPARE(f.Size, QByteArray::number(f.Data.size()).rightJustified(5, '0'));
    }

    void tagReachingBeforeTheFileStart()
    {
        // A tag whose size points exactly at offset 0 is read; one byte more is not.
        const QByteArray tag = test::lyrics3v2Tag({{"IND", "100"}});
        QCOMPARE(readAll(tag).start, qint64(0));
        QByteArray tooBig = tag;
        tooBig.replace(tag.size() - 15, 6, QByteArray::number(tag.size() - 15 + 1).rightJustified(6, '0'));
        QCOMPARE(readAll(tooBig).start, qint64(tooBig.size()));
    }

    void readsV1Tags()
    {
        const QByteArray a = test::audioBytes(6000);
        const QByteArray text = "first line\r\nLYRICSBEGIN inside? no: second";
        // The last "LYRICSBEGIN" of the final 5120 bytes starts the tag.
        const Read r = readAll(a + "LYRICSBEGIN" + text + "LYRICSEND" + Id3v1);
        const qint64 lastBegin = 6000 + 11 + text.indexOf("LYRICSBEGIN");
        QCOMPARE(r.version, bytes("Lyrics3v1"));
        QCOMPARE(r.start, lastBegin);
        QCOMPARE(ids(r.fields), (QByteArrayList{"IND", "LYR"}));
        QCOMPARE(FieldData(r.fields, "IND"), bytes("100"));
        QCOMPARE(FieldData(r.fields, "LYR"), bytes(" inside? no: second"));

        const Read plain = readAll(a + "LYRICSBEGINla la\r\nLYRICSEND");
        QCOMPARE(plain.start, qint64(6000));
        QCOMPARE(FieldData(plain.fields, "LYR"), bytes("la la\r\n"));

        // The longest tag, 5100 bytes of lyrics, is read whole.
        const QByteArray longest(5100, 'l');
        QCOMPARE(FieldData(readAll(test::audioBytes(100) + "LYRICSBEGIN" + longest + "LYRICSEND").fields, "LYR"),
                 longest);
    }

    void v1TagsThatAreNotRead_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::newRow("small file") << test::audioBytes(3000) + "LYRICSBEGINla laLYRICSEND";
        QTest::newRow("begin too far back") << bytes("LYRICSBEGIN") + test::audioBytes(5200) + "LYRICSEND";
        QTest::newRow("lyrics longer than 5100 bytes")
            << test::audioBytes(100) + "LYRICSBEGIN" + QByteArray(5101, 'l') + "LYRICSEND";
        QTest::newRow("no begin") << test::audioBytes(6000) + "LYRICSEND";
    }
    void v1TagsThatAreNotRead()
    {
        QFETCH(QByteArray, file);
        const Read r = readAll(file);
        QCOMPARE(r.version, bytes("Lyrics3v1"));
        QCOMPARE(r.start, r.tailPos);
        QVERIFY(r.fields.isEmpty());
    }

    void setFieldPadsReplacedData()
    {
        Lyrics3Fields fields;
        SetField(fields, "IND", "100");
        SetField(fields, "LYR", QByteArray(25, 'x'));
        SetField(fields, "LYR", "0123456789");
        QCOMPARE(fields.size(), 2);
        QCOMPARE(fields.at(1).Data, bytes("0123456789") + QByteArray(15, '\0'));
        QCOMPARE(fields.at(1).Size, bytes("00025"));
        SetField(fields, "LYR", QByteArray(30, 'y')); // longer data replaces fully
        QCOMPARE(fields.at(1).Data, QByteArray(30, 'y'));
        QCOMPARE(fields.at(1).Size, bytes("00030"));
    }

    void setFieldAppendsCutsAndBlanks()
    {
        Lyrics3Fields fields;
        SetField(fields, "INF", "i");
        SetField(fields, "LYR", QByteArray(100005, 'z'));
        QCOMPARE(fields.at(1).ID, bytes("LYR"));
        QCOMPARE(fields.at(1).Data.size(), 99999);
        QCOMPARE(fields.at(1).Size, bytes("99999"));
        SetField(fields, "AUT",
                 "a\xff"
                 "b");
        QCOMPARE(fields.last().Data, bytes("a b"));
        QCOMPARE(fields.size(), 3);
    }

    void fitText_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<int>("width");
        QTest::addColumn<QByteArray>("fitted");
        QTest::newRow("pad") << bytes("abcd") << 30 << bytes("abcd") + QByteArray(26, '\0');
        QTest::newRow("cut") << QByteArray(40, 'q') << 30 << QByteArray(30, 'q');
        QTest::newRow("0xff") << bytes("a\xff") << 4 << bytes("a ") + QByteArray(2, '\0');
        QTest::newRow("keep length") << bytes("\xff\xff") << 0 << bytes("  ");
        QTest::newRow("empty") << QByteArray() << 3 << QByteArray(3, '\0');
    }
    void fitText()
    {
        QFETCH(QByteArray, text);
        QFETCH(int, width);
        QFETCH(QByteArray, fitted);
        QCOMPARE(FitText(text, width), fitted);
    }

    void readsNothingFromAClosedOrOffsetDevice()
    {
        QByteArray file = test::audioBytes(100) + test::lyrics3v2Tag({{"IND", "100"}}) + Id3v1;
        QBuffer closed(&file);
        QCOMPARE(ReadMp3Tail(closed).version, bytes("NoLyrics"));
        QBuffer buf(&file);
        buf.open(QIODevice::ReadOnly);
        Lyrics3Fields fields;
        QCOMPARE(ReadLyrics3v2(fields, buf, file.size() + 10), file.size() + 10);
        QCOMPARE(ReadLyrics3v2(fields, buf, -5), qint64(-5));
        QCOMPARE(ReadLyrics3v1(fields, buf, 7), qint64(7));
        QCOMPARE(GetLyricsVersion(buf, file.size() * 2), bytes("NoLyrics"));
        QVERIFY(fields.isEmpty());
    }
};

QTEST_GUILESS_MAIN(tst_Mp3Tail)
#include "tst_mp3tail.moc"
