#include "tagger/Lyrics3Writer.h"

#include "FakeInstallation.h"
#include "Mp3Bytes.h"
#include "TestText.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/resource.h>

using namespace stanzary;

namespace {

using test::bytes;

QByteArray digits(qint64 n, int width)
{
    return QByteArray::number(n).rightJustified(width, '0');
}

const QByteArray OldId3v1 = test::id3v1Record("Old Title");

// The end of a tagged file, parsed without the product's reader: the file must
// end with a record, in front of it a v2 tag whose size adds up exactly.
struct ParsedTail
{
    bool ok = false;
    qint64 begin = -1;
    QByteArray marker;
    QByteArray id3v1;
    QList<QPair<QByteArray, QByteArray>> fields;
};

ParsedTail parseTail(const QByteArray &file)
{
    ParsedTail p;
    if (file.size() < 128 + 26)
        return p;
    p.id3v1 = file.right(128);
    const qint64 tagEnd = file.size() - 128;
    p.marker = file.mid(tagEnd - 9, 9);
    const qint64 n = file.mid(tagEnd - 15, 6).toLongLong();
    p.begin = tagEnd - 15 - n;
    if (p.begin < 0 || file.mid(p.begin, 11) != "LYRICSBEGIN")
        return p;
    qint64 at = p.begin + 11;
    while (at < tagEnd - 15) {
        const QByteArray id = file.mid(at, 3);
        const qint64 len = file.mid(at + 3, 5).toLongLong();
        p.fields.append({id, file.mid(at + 8, len)});
        at += 8 + len;
    }
    p.ok = at == tagEnd - 15;
    return p;
}

QByteArray fieldOf(const ParsedTail &p, const QByteArray &id)
{
    for (const auto &[fid, data] : p.fields) {
        if (fid == id)
            return data;
    }
    return "<none>";
}

QByteArray stripNulPadding(QByteArray data)
{
    while (data.endsWith('\0'))
        data.chop(1);
    return data;
}

// Lowers the file-size limit for as long as it lives. The writer ignores
// SIGXFSZ itself, so a write beyond the limit fails with EFBIG instead of
// ending this process.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &m_old);
        rlimit limit = m_old;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &m_old); }
    FileSizeLimit(const FileSizeLimit &) = delete;
    FileSizeLimit &operator=(const FileSizeLimit &) = delete;

private:
    rlimit m_old{};
};

const QString LyricsName = QStringLiteral("Blue Lake - Night Train");

} // namespace

class tst_Lyrics3Writer : public QObject
{
    Q_OBJECT

    QTemporaryDir m_tmp;
    CodePage m_cp;
    const QString m_site = QStringLiteral("https://mirror.example");

    QString write(const QString &name, const QByteArray &content)
    {
        return test::FakeInstallation(m_tmp.path()).writeFile(name, content);
    }
    bool tag(const QString &mp3, const QByteArray &lyrics, const QString &name = LyricsName)
    {
        const QString lyricsPath = write(QStringLiteral("lyrics.txt"), lyrics);
        return TagMp3File(mp3, lyricsPath, name, m_cp, m_site);
    }

private slots:
    void prepareTagText_data()
    {
        QTest::addColumn<QByteArray>("lyrics");
        QTest::addColumn<QByteArray>("prepared");
        const QByteArray credit = "\r\nLyrics by Tunewright (" + QByteArray("https://mirror.example") + ")";
        const QByteArray trailer = "----------------\r\n* Downloaded from: http://example.org/p\r\n";
        QTest::newRow("trailer") << QByteArray("\r\n  la la\r\nsecond \t\r\n\r\n" + trailer)
                                 << QByteArray("la la\r\nsecond\r\n\r\n----------------" + credit);
        QTest::newRow("no trailer keeps blanks") << bytes("\r\nla\r\n\r\n") << QByteArray("\r\nla\r\n\r\n" + credit);
        QTest::newRow("last trailer wins") << QByteArray("a\r\n" + trailer + "b\r\n" + trailer)
                                           << QByteArray("a\r\n" + trailer + "b\r\n\r\n----------------" + credit);
        QTest::newRow("empty") << QByteArray() << credit;
    }
    void prepareTagText()
    {
        QFETCH(QByteArray, lyrics);
        QFETCH(QByteArray, prepared);
        QCOMPARE(PrepareTagText(lyrics, m_site), prepared);
    }

    void trimBlank_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QByteArray>("trimmed");
        QTest::newRow("both ends") << bytes("\r\n \tab c\t \r\n\r\n") << bytes("ab c");
        QTest::newRow("lone CR and LF stay") << bytes("\r abc \n") << bytes("\r abc \n");
        QTest::newRow("LF CR is not a pair") << bytes("\n\rx\n\r") << bytes("\n\rx\n\r");
        QTest::newRow("all blank") << bytes(" \r\n\t\r\n ") << QByteArray();
        QTest::newRow("empty") << QByteArray() << QByteArray();
    }
    void trimBlank()
    {
        QFETCH(QByteArray, text);
        QFETCH(QByteArray, trimmed);
        QCOMPARE(TrimBlank(text), trimmed);
    }

    void makeId3v1Layout()
    {
        const Id3v1Record r = MakeId3v1("Art\xff", QByteArray(40, 't'), QByteArray(), "    ", 255, 0, QByteArray());
        const QByteArray b = r.toBytes();
        QCOMPARE(b.size(), 128);
        QCOMPARE(b.left(3), bytes("TAG"));
        QCOMPARE(b.mid(3, 30), QByteArray(30, 't'));
        QCOMPARE(b.mid(33, 30), bytes("Art ") + QByteArray(26, '\0'));
        QCOMPARE(b.mid(63, 30), QByteArray(30, '\0'));
        QCOMPARE(b.mid(93, 4), bytes("    "));
        QCOMPARE(b.mid(97, 28), QByteArray(28, '\0'));
        QCOMPARE(b.right(3), QByteArray("\0\0\xff", 3));
    }

    void moveIndFirst()
    {
        Lyrics3Fields f{{"LYR", "00001", "l"}, {"INF", "00001", "i"}, {"IND", "00003", "100"}, {"IND", "00002", "00"}};
        MoveIndFirst(f);
        QCOMPARE(f.at(0).ID, bytes("IND"));
        QCOMPARE(f.at(0).Data, bytes("100"));
        QCOMPARE(f.at(1).ID, bytes("INF"));
        QCOMPARE(f.at(2).ID, bytes("LYR"));
        Lyrics3Fields none{{"LYR", "00001", "l"}, {"INF", "00001", "i"}};
        const Lyrics3Fields before = none;
        MoveIndFirst(none);
        QCOMPARE(none, before);
    }

    void thousandByteFile()
    {
        const QByteArray audio = test::audioBytes(1000);
        const QString mp3 = write(QStringLiteral("plain.mp3"), audio);
        const QByteArray lyrics = "la la\r\n";
        QVERIFY(tag(mp3, lyrics));
        const QByteArray text = PrepareTagText(lyrics, m_site);
        const qint64 l = text.size();
        const QByteArray file = test::readAll(mp3);
        QCOMPARE(file.size(), 1000 + 45 + l + 128);
        QCOMPARE(file.left(1000), audio);
        const QByteArray expected = "LYRICSBEGIN"
                                    "IND00003100"
                                    "LYR"
                                    + digits(l, 5) + text + digits(30 + l, 6) + "LYRICS200" + "TAG"
                                    + bytes("Night Train").leftJustified(30, '\0')
                                    + bytes("Blue Lake").leftJustified(30, '\0') + QByteArray(30, '\0') + "    "
                                    + QByteArray(28, '\0') + QByteArray("\0\0\xff", 3);
        QCOMPARE(file.mid(1000), expected);

        // Every byte of the file is what the tag says it is, read back.
        QFile f(mp3);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const Mp3Tail t = ReadMp3Tail(f);
        QCOMPARE(t.start, qint64(1000));
        QCOMPARE(FieldData(t.fields, "LYR"), text);
    }

    // Every end-of-file layout, tagged with lyrics, then shorter, then longer
    // ones: the bytes in front of the tag and other tags stay, the file ends
    // exactly with the record, and the sizes add up.
    void layouts_data()
    {
        QTest::addColumn<QByteArray>("kept");    // bytes that must stay as they are
        QTest::addColumn<QByteArray>("oldTail"); // what follows them before tagging
        QTest::addColumn<QByteArray>("record");  // the record the file must end with
        QTest::addColumn<QByteArray>("marker");
        QTest::addColumn<QByteArray>("otherField"); // ID of a field that must survive, or empty
        const QByteArray audio = test::audioBytes(7000);
        const QByteArray made = MakeId3v1("Blue Lake", "Night Train", {}, "    ", 255, 0, {}).toBytes();
        const QByteArray v2 =
            test::lyrics3v2Tag({{"LYR", "old words here, quite a few of them"}, {"INF", "kept info"}, {"IND", "110"}});
        const QByteArray v1 = "LYRICSBEGINold v1 lyrics\r\nline twoLYRICSEND";
        QTest::newRow("nothing") << audio << QByteArray() << made << bytes("LYRICS200") << QByteArray();
        QTest::newRow("ID3v1 only") << audio << OldId3v1 << OldId3v1 << bytes("LYRICS200") << QByteArray();
        QTest::newRow("v1 + ID3v1") << audio << v1 + OldId3v1 << OldId3v1 << bytes("LYRICS200") << QByteArray();
        QTest::newRow("v2 + ID3v1") << audio << v2 + OldId3v1 << OldId3v1 << bytes("LYRICS200") << bytes("INF");
        QTest::newRow("v2 without ID3v1") << audio << v2 << made << bytes("LYRICS200") << bytes("INF");
        QTest::newRow("APE + v2 + ID3v1")
            << audio + test::apeTag() << v2 + OldId3v1 << OldId3v1 << bytes("LYRICS200") << bytes("INF");
        QTest::newRow("v2 + APE + ID3v1")
            << audio + v2 + test::apeTag() << OldId3v1 << OldId3v1 << bytes("LYRICS200") << QByteArray();
        QTest::newRow("v2.01 + ID3v1") << audio
                                       << test::lyrics3v2Tag({{"IND", "100"}, {"CRC", "abcd"}}, "LYRICS201") + OldId3v1
                                       << OldId3v1 << bytes("LYRICS201") << bytes("CRC");
        // Empty fields are not read back: the rewritten tag is 24 bytes shorter.
        QTest::newRow("v2 with empty fields")
            << audio
            << test::lyrics3v2Tag(
                   {{"IND", "100"}, {"EAL", ""}, {"EAR", ""}, {"ETT", ""}, {"LYR", QByteArray(1000, 'x')}})
                   + OldId3v1
            << OldId3v1 << bytes("LYRICS200") << QByteArray();
        QTest::newRow("v3 stays in place") << audio + test::lyrics3v2Tag({{"IND", "1"}}, "LYRICS300") << OldId3v1
                                           << OldId3v1 << bytes("LYRICS200") << QByteArray();
        QByteArray broken = v2;
        broken.replace("LYRICSBEGIN", "LYRICSBEG1N");
        QTest::newRow("unreadable v2 stays in place")
            << audio + broken << OldId3v1 << OldId3v1 << bytes("LYRICS200") << QByteArray();
    }
    void layouts()
    {
        QFETCH(QByteArray, kept);
        QFETCH(QByteArray, oldTail);
        QFETCH(QByteArray, record);
        QFETCH(QByteArray, marker);
        QFETCH(QByteArray, otherField);
        const QString mp3 = write(QStringLiteral("layout.mp3"), kept + oldTail);
        const QByteArray other =
            otherField.isEmpty()
                ? QByteArray()
                : fieldOf(parseTail(kept + oldTail + (oldTail.endsWith(OldId3v1) ? QByteArray() : record)), otherField);

        int longestLyr = 0;
        for (const QByteArray &lyrics : {QByteArray(300, 'm'), QByteArray(40, 's'), QByteArray(900, 'L')}) {
            QVERIFY(tag(mp3, lyrics));
            const QByteArray file = test::readAll(mp3);
            QCOMPARE(file.left(kept.size()), kept);
            const ParsedTail p = parseTail(file);
            QVERIFY2(p.ok, "the sizes of the tag do not add up");
            QCOMPARE(p.begin, qint64(kept.size()));
            QCOMPARE(p.id3v1, record);
            QCOMPARE(p.marker, marker);
            QCOMPARE(p.fields.first().first, bytes("IND"));
            QCOMPARE(p.fields.first().second.left(3), bytes("100"));
            const QByteArray lyr = fieldOf(p, "LYR");
            QCOMPARE(stripNulPadding(lyr), PrepareTagText(lyrics, m_site));
            QVERIFY(lyr.size() >= longestLyr); // a replaced field never shrinks
            longestLyr = int(lyr.size());
            if (!other.isEmpty())
                QCOMPARE(fieldOf(p, otherField), other);
        }
    }

    void taggingTwiceKeepsTheLength()
    {
        const QString mp3 = write(QStringLiteral("twice.mp3"), test::audioBytes(2000) + OldId3v1);
        QVERIFY(tag(mp3, "first lyrics, long enough\r\n"));
        const QByteArray once = test::readAll(mp3);
        QVERIFY(tag(mp3, "first lyrics, long enough\r\n"));
        QCOMPARE(test::readAll(mp3), once);
        QVERIFY(tag(mp3, "short\r\n"));
        const QByteArray shorter = test::readAll(mp3);
        QCOMPARE(shorter.size(), once.size());
        QVERIFY(fieldOf(parseTail(shorter), "LYR").endsWith(QByteArray(20, '\0')));
    }

    void v1BecomesV2()
    {
        const QByteArray oldLyrics = QByteArray(400, 'o');
        const QByteArray before = test::audioBytes(6000) + "LYRICSBEGIN" + oldLyrics + "LYRICSEND" + OldId3v1;
        const QString mp3 = write(QStringLiteral("v1.mp3"), before);
        QVERIFY(tag(mp3, "new"));
        const QByteArray after = test::readAll(mp3);
        QVERIFY(after.size() >= before.size() + 25);
        const ParsedTail p = parseTail(after);
        QCOMPARE(p.begin, qint64(6000));
        QCOMPARE(fieldOf(p, "LYR").size(), oldLyrics.size()); // the old length is the minimum
        QCOMPARE(p.fields.size(), 2);
    }

    void blanksInTheLyricsAndTheName()
    {
        const QString mp3 = write(QStringLiteral("ff.mp3"), test::audioBytes(500));
        QVERIFY(tag(mp3,
                    "a\xff"
                    "b",
                    QStringLiteral("Band - T\u00ffne")));
        const ParsedTail p = parseTail(test::readAll(mp3));
        QVERIFY(fieldOf(p, "LYR").startsWith("a b\r\n"));
        QCOMPARE(p.id3v1.mid(3, 30), bytes("T ne").leftJustified(30, '\0'));
    }

    // A character the code page cannot hold becomes one "?" in the record
    // made from the lyrics name, also when it lies beyond the BMP.
    void unencodableNameInTheRecord_data()
    {
        QTest::addColumn<QString>("song");
        QTest::addColumn<QByteArray>("title");
        QTest::newRow("beyond the BMP") << QStringLiteral("T\U0001F3B5ne") << bytes("T?ne");
        QTest::newRow("two of them") << QStringLiteral("\U0001F3B5\U0001F3B6") << bytes("??");
        QTest::newRow("in the BMP") << QStringLiteral("T\u4e00ne") << bytes("T?ne");
        QTest::newRow("lone surrogate half")
            << QStringLiteral("T") + QChar(0xd800) + QStringLiteral("ne") << bytes("T?ne");
    }
    void unencodableNameInTheRecord()
    {
        QFETCH(QString, song);
        QFETCH(QByteArray, title);
        const QString mp3 = write(QStringLiteral("named.mp3"), test::audioBytes(500));
        QVERIFY(tag(mp3, "words", QStringLiteral("Band - ") + song));
        const ParsedTail p = parseTail(test::readAll(mp3));
        QCOMPARE(p.id3v1.mid(3, 30), title.leftJustified(30, '\0'));
        QCOMPARE(p.id3v1.mid(33, 30), bytes("Band").leftJustified(30, '\0'));
    }

    void logOfTheCheckedRows()
    {
        const QString lyrics = write(QStringLiteral("l.txt"), "words\r\n");
        const QString good = write(QStringLiteral("good.mp3"), test::audioBytes(300));
        const QString readOnly = write(QStringLiteral("ro.mp3"), test::audioBytes(300));
        test::setReadOnly(readOnly, true);
        const QString missing = m_tmp.filePath(QStringLiteral("missing.mp3"));
        QList<TaggerRow> rows(4);
        rows[0] = {true, {}, missing, false, false, {}, 0, LyricsName, lyrics};
        rows[1] = {false, {}, good, false, false, {}, 0, LyricsName, lyrics};
        rows[2] = {true, {}, good, false, false, {}, 0, LyricsName, lyrics};
        rows[3] = {true, {}, readOnly, false, false, {}, 0, LyricsName, lyrics};
        const QString log = TagCheckedFiles(rows, m_cp, m_site);
        QCOMPARE(log, QStringLiteral("Error tagging: ") + missing + QStringLiteral("\r\nFile tagged..: ") + good
                          + QStringLiteral("\r\nError tagging: ") + readOnly + QStringLiteral("\r\n"));
        QVERIFY(!QFile::exists(missing));
        QCOMPARE(test::readAll(readOnly), test::audioBytes(300));
        QVERIFY(TagCheckedFiles({}, m_cp, m_site).isEmpty());

        rows = {{true, {}, good, false, false, {}, 0, LyricsName, m_tmp.filePath(QStringLiteral("gone.txt"))}};
        const QByteArray before = test::readAll(good);
        QVERIFY(TagCheckedFiles(rows, m_cp, m_site).startsWith(QStringLiteral("Error tagging: ")));
        QCOMPARE(test::readAll(good), before);
        test::setReadOnly(readOnly, false);
    }

    void tagTooLargeForSixDigitsIsRefused()
    {
        // Ten fields of 99990 bytes fill the tag almost to 999999; adding a LYR
        // field would need a seventh digit.
        QList<QPair<QByteArray, QByteArray>> fields{{"IND", "100"}};
        for (int i = 0; i < 10; ++i)
            fields.append({"INF", QByteArray(99990 - (i == 0 ? 11 : 0), 'i')});
        const QByteArray before = test::audioBytes(100) + test::lyrics3v2Tag(fields) + OldId3v1;
        QVERIFY(parseTail(before).ok);
        const QString mp3 = write(QStringLiteral("big.mp3"), before);
        QVERIFY(!tag(mp3, "la"));
        QCOMPARE(test::readAll(mp3), before);

        Lyrics3Fields huge;
        for (int i = 0; i < 10; ++i)
            SetField(huge, "X" + QByteArray::number(i).rightJustified(2, '0'), QByteArray(99999, 'h'));
        QVERIFY(!Lyrics3v2TagBytes(huge, "LYRICS200").has_value());
        QVERIFY(!Lyrics3v2TagBytes({{"TOOLONG", "00001", "x"}}, "LYRICS200").has_value());
        QVERIFY(!Lyrics3v2TagBytes({}, "LYRICS2").has_value());
    }

    // A write that fails halfway (the disk full, a size limit) leaves the file
    // exactly as it was.
    void failedWriteRestoresTheFile_data()
    {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<int>("allowedGrowth");
        const QByteArray v2 = test::lyrics3v2Tag({{"IND", "100"}, {"LYR", "short"}, {"INF", "info"}});
        QTest::newRow("ID3v1, no growth allowed") << test::audioBytes(3000) + OldId3v1 << 0;
        QTest::newRow("ID3v1, halfway") << test::audioBytes(3000) + OldId3v1 << 1500;
        QTest::newRow("no tags, halfway") << test::audioBytes(3000) << 1500;
        QTest::newRow("v2 + ID3v1, halfway") << test::audioBytes(3000) + v2 + OldId3v1 << 1500;
        QTest::newRow("v2, record would not fit") << test::audioBytes(3000) + v2 << 3000 - 40;
    }
    void failedWriteRestoresTheFile()
    {
        QFETCH(QByteArray, before);
        QFETCH(int, allowedGrowth);
        const QString mp3 = write(QStringLiteral("limited.mp3"), before);
        const QString lyrics = write(QStringLiteral("long.txt"), QByteArray(3000, 'w'));
        QList<TaggerRow> rows{{true, {}, mp3, false, false, {}, 0, LyricsName, lyrics}};
        QString log;
        {
            FileSizeLimit limit(rlim_t(before.size() + allowedGrowth));
            log = TagCheckedFiles(rows, m_cp, m_site);
        }
        QCOMPARE(log, errorPrefix() + mp3 + QStringLiteral("\r\n"));
        QCOMPARE(test::readAll(mp3), before);
        // Without the limit the same row is tagged.
        QCOMPARE(TagCheckedFiles(rows, m_cp, m_site), taggedPrefix() + mp3 + QStringLiteral("\r\n"));
        QVERIFY(test::readAll(mp3).startsWith(before.left(3000)));
    }

    void writeRefusesWhatItCannotDoSafely()
    {
        const QByteArray before = test::audioBytes(400) + OldId3v1;
        const QString mp3 = write(QStringLiteral("ro-open.mp3"), before);
        Lyrics3Fields fields{{"IND", "00003", "100"}};
        QFile readOnly(mp3);
        QVERIFY(readOnly.open(QIODevice::ReadOnly));
        QVERIFY(!WriteLyrics3v2(fields, Id3v1Record::fromBytes(OldId3v1), readOnly, mp3, 400, "LYRICS200"));
        readOnly.close();
        QFile buffered(mp3);
        QVERIFY(buffered.open(QIODevice::ReadWrite));
        QVERIFY(!WriteLyrics3v2(fields, Id3v1Record::fromBytes(OldId3v1), buffered, mp3, 400, "LYRICS200"));
        buffered.close();
        QFile f(mp3);
        QVERIFY(f.open(QIODevice::ReadWrite | QIODevice::Unbuffered));
        QVERIFY(!WriteLyrics3v2(fields, Id3v1Record::fromBytes(OldId3v1), f, mp3, before.size() + 1, "LYRICS200"));
        QVERIFY(!WriteLyrics3v2(fields, Id3v1Record::fromBytes(OldId3v1), f, mp3, -1, "LYRICS200"));
        Lyrics3Fields unwritable{{"TOOLONG", "00001", "x"}}; // no tag can hold this field
        QVERIFY(!WriteLyrics3v2(unwritable, Id3v1Record::fromBytes(OldId3v1), f, mp3, 400, "LYRICS200"));
        f.close();
        QCOMPARE(test::readAll(mp3), before);
    }

    void smallFiles_data()
    {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<qint64>("offset");
        QTest::newRow("50 bytes") << test::audioBytes(50) << qint64(50);
        QTest::newRow("130 bytes with a record") << test::audioBytes(2) + OldId3v1 << qint64(2);
        QTest::newRow("record only") << OldId3v1 << qint64(0);
        QTest::newRow("empty") << QByteArray() << qint64(0);
    }
    void smallFiles()
    {
        QFETCH(QByteArray, before);
        QFETCH(qint64, offset);
        const QString mp3 = write(QStringLiteral("small.mp3"), before);
        QVERIFY(tag(mp3, "tiny"));
        const ParsedTail p = parseTail(test::readAll(mp3));
        QVERIFY(p.ok);
        QCOMPARE(p.begin, offset);
        QCOMPARE(test::readAll(mp3).left(offset), before.left(offset));
    }
};

QTEST_GUILESS_MAIN(tst_Lyrics3Writer)
#include "tst_lyrics3writer.moc"
