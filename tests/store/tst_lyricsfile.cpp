#include "platform/CodePage.h"
#include "platform/DirListing.h"
#include "store/LyricsFile.h"

#include "FakeInstallation.h"

#include <QDirIterator>
#include <QTemporaryDir>
#include <QtTest>

using namespace stanzary;

namespace {

const QString trailerLine = QStringLiteral("----------------\r\n* Downloaded from: ");

} // namespace

class tst_LyricsFile : public QObject
{
    Q_OBJECT

private slots:
    void deriveSource_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("hasPageInfo");
        QTest::addColumn<QString>("page");
        QTest::addColumn<QString>("website");
        QTest::addColumn<bool>("filterUsed");

        const QString body = QStringLiteral("la la\r\nla\r\n\r\n");
        QTest::newRow("no trailer") << body << false << QString() << QString() << false;
        QTest::newRow("trailer with final CR LF")
            << body + trailerLine + QStringLiteral("http://www.site.example/a/b.html\r\n") << true
            << QStringLiteral("http://www.site.example/a/b.html") << QStringLiteral("www.site.example") << false;
        QTest::newRow("no final CR LF: the rest of the file")
            << body + trailerLine + QStringLiteral("http://www.site.example/x y") << true
            << QStringLiteral("http://www.site.example/x y") << QStringLiteral("www.site.example") << false;
        QTest::newRow("two trailers: the last counts")
            << body + trailerLine + QStringLiteral("http://first.example/1\r\n") + body + trailerLine
                   + QStringLiteral("http://second.example/2\r\n")
            << true << QStringLiteral("http://second.example/2") << QStringLiteral("second.example") << false;
        QTest::newRow("marker at the very end")
            << body + QStringLiteral("* Downloaded from:") << true << QString() << QString() << false;
        QTest::newRow("blanks around the address and the site")
            << body + QStringLiteral("* Downloaded from:   http:// spaced.example /p  \r\nmore") << true
            << QStringLiteral("http:// spaced.example /p") << QStringLiteral("spaced.example") << false;
        QTest::newRow("saved after the host: no-break space ends the line")
            << body + trailerLine + QStringLiteral("http://www.site.example/p\u00a0\r\n") << true
            << QStringLiteral("http://www.site.example/p") << QStringLiteral("www.site.example") << false;
        QTest::newRow("lone LF ends the address")
            << QStringLiteral("x\n* Downloaded from: http://a.example/p\nnext line\n") << true
            << QStringLiteral("http://a.example/p") << QStringLiteral("a.example") << false;
        QTest::newRow("https") << trailerLine + QStringLiteral("https://secure.example/p") << true
                               << QStringLiteral("https://secure.example/p") << QStringLiteral("secure.example")
                               << false;
        QTest::newRow("no / after the site")
            << trailerLine + QStringLiteral("http://bare.example") << true << QStringLiteral("http://bare.example")
            << QStringLiteral("bare.example") << false;
        QTest::newRow("no scheme: no site") << trailerLine + QStringLiteral("www.site.example/p") << true
                                            << QStringLiteral("www.site.example/p") << QString() << false;
        QTest::newRow("first scheme counts")
            << trailerLine + QStringLiteral("https://one.example/?next=http://two.example/") << true
            << QStringLiteral("https://one.example/?next=http://two.example/") << QStringLiteral("one.example")
            << false;
        QTest::newRow("marker is case-sensitive") << body + QStringLiteral("* downloaded from: http://a.example/p\r\n")
                                                  << false << QString() << QString() << false;
        QTest::newRow("filter used without trailer")
            << body + QStringLiteral("[Tunewright] filter used\r\n") << false << QString() << QString() << true;
        QTest::newRow("filter mark anywhere, with trailer")
            << QStringLiteral("] filter used\r\n") + body + trailerLine + QStringLiteral("http://a.example/p") << true
            << QStringLiteral("http://a.example/p") << QStringLiteral("a.example") << true;
        QTest::newRow("capital F is not the mark")
            << body + QStringLiteral("[Tunewright] Filter used\r\n") << false << QString() << QString() << false;
        QTest::newRow("no-break space is not the mark here")
            << body + QStringLiteral("\u00a0\r\n") << false << QString() << QString() << false;
    }
    void deriveSource()
    {
        QFETCH(QString, text);
        QFETCH(bool, hasPageInfo);
        QFETCH(QString, page);
        QFETCH(QString, website);
        QFETCH(bool, filterUsed);
        const LyricsSource source = deriveLyricsSource(text);
        QCOMPARE(source.blnHasPageInfo, hasPageInfo);
        QCOMPARE(source.strPage, page);
        QCOMPARE(source.strWebsite, website);
        QCOMPARE(source.blnFilterUsed, filterUsed);
    }

    void readsBytesOrNothing()
    {
        QTemporaryDir tmp;
        test::FakeInstallation inst(tmp.path());
        const QString path = inst.addLyrics(QStringLiteral("A/A - B.txt"), QByteArray("x\r\n\0y\xe9", 6));
        QCOMPARE(readLyricsBytes(path), std::optional<QByteArray>(QByteArray("x\r\n\0y\xe9", 6)));
        QCOMPARE(readLyricsText(path, CodePage()),
                 std::optional<QString>(QStringLiteral("x\r\n") + QChar(0) + QStringLiteral("y\u00e9")));
        const QString empty = inst.addLyrics(QStringLiteral("A/A - Empty.txt"), QByteArray());
        QCOMPARE(readLyricsBytes(empty), std::optional<QByteArray>(QByteArray()));
        QVERIFY(!readLyricsBytes(inst.lyricsPath() + QStringLiteral("A/missing.txt")));
        QVERIFY(!readLyricsBytes(inst.lyricsPath() + QStringLiteral("A")));
    }

    void writesWithCrLf_data()
    {
        QTest::addColumn<QString>("boxText");
        QTest::addColumn<QByteArray>("onDisk");
        QTest::newRow("line ends and final CR LF") << QStringLiteral("one\ntwo") << QByteArray("one\r\ntwo\r\n");
        QTest::newRow("text ending with a line end gets no second")
            << QStringLiteral("one\ntwo\n") << QByteArray("one\r\ntwo\r\n");
        QTest::newRow("blank lines kept") << QStringLiteral("a\n\n\nb") << QByteArray("a\r\n\r\n\r\nb\r\n");
        QTest::newRow("CR LF already there not doubled") << QStringLiteral("a\r\nb\r\n") << QByteArray("a\r\nb\r\n");
        QTest::newRow("empty text") << QString() << QByteArray("\r\n");
        QTest::newRow("code page bytes") << QStringLiteral("caf\u00e9 \u20ac\u00a0")
                                         << QByteArray("caf\xe9 \x80\xa0\r\n");
    }
    void writesWithCrLf()
    {
        QFETCH(QString, boxText);
        QFETCH(QByteArray, onDisk);
        QTemporaryDir tmp;
        test::FakeInstallation inst(tmp.path());
        const QString path = inst.addLyrics(QStringLiteral("A/A - B.txt"), "old content that is longer\r\n");
        const LyricsWriteResult result = writeLyricsFile(path, boxText, CodePage());
        QCOMPARE(result.status, LyricsWriteStatus::Ok);
        QCOMPARE(test::readAll(path), onDisk);
    }

    void savingTwiceDoesNotGrow()
    {
        QTemporaryDir tmp;
        test::FakeInstallation inst(tmp.path());
        const QString path = inst.addLyrics(QStringLiteral("A/A - B.txt"),
                                            "la\r\n----------------\r\n* Downloaded from: http://a.example/p");
        for (int round = 0; round < 3; ++round) {
            // What the window does: file -> box (LF), mark, save.
            const QString box = readLyricsText(path, CodePage())->replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
            QVERIFY(writeLyricsFile(path, withFilterMark(box), CodePage()).ok());
        }
        QCOMPARE(test::readAll(path),
                 QByteArray("la\r\n----------------\r\n* Downloaded from: http://a.example/p\xa0\r\n"));
        QCOMPARE(deriveLyricsSource(*readLyricsText(path, CodePage())).strPage, QStringLiteral("http://a.example/p"));
    }

    void everyByteSurvivesReadAndWrite_data()
    {
        QTest::addColumn<int>("charset");
        for (int cs : {0, 204, 238, 161, 162, 177, 178, 186, 163, 222})
            QTest::newRow(qPrintable(CodePage::forFontCharset(cs).name())) << cs;
    }
    void everyByteSurvivesReadAndWrite()
    {
        QFETCH(int, charset);
        const CodePage cp = CodePage::forFontCharset(charset);
        QByteArray all;
        for (int i = 0; i < 256; ++i) {
            if (i != '\r' && i != '\n')
                all.append(static_cast<char>(i));
        }
        all.append("\r\n");
        QTemporaryDir tmp;
        test::FakeInstallation inst(tmp.path());
        const QString path = inst.addLyrics(QStringLiteral("A/A - B.txt"), all);
        const auto text = readLyricsText(path, cp);
        QVERIFY(text);
        QVERIFY(writeLyricsFile(path, *text, cp).ok());
        QCOMPARE(test::readAll(path), all);
    }

    void refusesWhatItCannotWrite()
    {
        QTemporaryDir tmp;
        test::FakeInstallation inst(tmp.path());
        const QString path = inst.addLyrics(QStringLiteral("A/A - B.txt"), "old\r\n");

        const LyricsWriteResult unencodable =
            writeLyricsFile(path, QStringLiteral("caf\u00e9 \u0416 \u4e2d"), CodePage());
        QCOMPARE(unencodable.status, LyricsWriteStatus::Unencodable);
        QCOMPARE(unencodable.detail, QStringLiteral("\u0416"));
        QCOMPARE(test::readAll(path), QByteArray("old\r\n"));
        // The same text fits the Cyrillic code page but for the last character.
        QCOMPARE(writeLyricsFile(path, QStringLiteral("\u0416"), CodePage::forFontCharset(204)).status,
                 LyricsWriteStatus::Ok);

        const QString fresh = inst.lyricsPath() + QStringLiteral("A/A - New.txt");
        QCOMPARE(writeLyricsFile(fresh, QStringLiteral("\u4e2d"), CodePage()).status, LyricsWriteStatus::Unencodable);
        QVERIFY(!QFileInfo::exists(fresh));

        test::setReadOnly(path, true);
        QCOMPARE(writeLyricsFile(path, QStringLiteral("new"), CodePage()).status, LyricsWriteStatus::ReadOnly);
        test::setReadOnly(path, false);
        QCOMPARE(test::readAll(path), QByteArray("\xc6\r\n"));

        const LyricsWriteResult noFolder =
            writeLyricsFile(inst.lyricsPath() + QStringLiteral("Z/missing/x.txt"), QStringLiteral("x"), CodePage());
        QCOMPARE(noFolder.status, LyricsWriteStatus::Failed);
        QVERIFY(!noFolder.detail.isEmpty());
    }

    void filterMark_data()
    {
        QTest::addColumn<QString>("boxText");
        QTest::addColumn<bool>("appended");
        const QString nbsp(QChar(0xa0));
        QTest::newRow("none") << QStringLiteral("la la") << true;
        QTest::newRow("empty") << QString() << true;
        QTest::newRow("last character") << QStringLiteral("la") + nbsp << false;
        QTest::newRow("sixth from the end") << QStringLiteral("la") + nbsp + QStringLiteral("abcde") << false;
        QTest::newRow("seventh from the end") << QStringLiteral("la") + nbsp + QStringLiteral("abcdef") << true;
        QTest::newRow("line ends count as two: inside")
            << QStringLiteral("la") + nbsp + QStringLiteral("\n\n") << false;
        QTest::newRow("line ends count as two: outside")
            << QStringLiteral("la") + nbsp + QStringLiteral("\n\n\n") << true;
        QTest::newRow("one line end and three letters")
            << QStringLiteral("la") + nbsp + QStringLiteral("\nabc") << false;
        QTest::newRow("one line end and four letters")
            << QStringLiteral("la") + nbsp + QStringLiteral("\nabcd") << true;
    }
    void filterMark()
    {
        QFETCH(QString, boxText);
        QFETCH(bool, appended);
        const QString marked = withFilterMark(boxText);
        QCOMPARE(marked, appended ? boxText + QChar(0xa0) : boxText);
        QCOMPARE(withFilterMark(marked), marked); // a second save adds none
    }

    // The sample installation keeps every case the program shows.
    void sampleCollectionCoversTheCases()
    {
        const QString examples = qEnvironmentVariable("STANZARY_EXAMPLES");
        if (examples.isEmpty())
            QSKIP("STANZARY_EXAMPLES is not set (CTest sets it)");
        int files = 0, withTrailer = 0, filtered = 0, nbspEnd = 0, accented = 0;
        QDirIterator it(examples + QStringLiteral("/Tunewright/lyrics"), {QStringLiteral("*.txt")}, QDir::Files,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            const auto bytes = readLyricsBytes(path);
            QVERIFY(bytes);
            QVERIFY2(!bytes->contains("\n") || bytes->count("\n") == bytes->count("\r\n"), qPrintable(path));
            const LyricsSource source = deriveLyricsSource(CodePage().decode(*bytes));
            ++files;
            withTrailer += source.blnHasPageInfo && !source.strWebsite.isEmpty();
            filtered += source.blnFilterUsed;
            nbspEnd += bytes->endsWith("\xa0\r\n");
            accented += bytes->contains('\xe9');
        }
        QVERIFY(files >= 20);
        QVERIFY(withTrailer > 0 && withTrailer < files);
        QVERIFY(filtered > 0 && filtered < files);
        QVERIFY(nbspEnd > 0);
        QVERIFY(accented > 0);
    }
};

QTEST_GUILESS_MAIN(tst_LyricsFile)
#include "tst_lyricsfile.moc"
