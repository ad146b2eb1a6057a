// The songbook as a PDF, read back as a reader sees it.

#include "FakeInstallation.h"
#include "SongbookSupport.h"

#include "platform/DurableFile.h"
#include "songbook/SongbookPdf.h"

#include <QScopeGuard>
#include <QTemporaryDir>
#include <QtTest>

using namespace stanzary;

namespace {

const QDate kBookDate(2026, 3, 14);

// The page's lines, trimmed.
QStringList linesOf(const QStringList &pages)
{
    QStringList lines;
    for (const QString &page : pages) {
        for (const QString &line : page.split(u'\n'))
            lines << line.trimmed();
    }
    return lines;
}

} // namespace

class tst_Songbook : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    // The title page, the contents, and each song on the page the contents
    // give, with all of its lines.
    void contentsGiveEachSongsPage_data()
    {
        QTest::addColumn<int>("songs"); // 0: three short ones, 1: the second long, 30: thirty of every length
        QTest::addColumn<bool>("songPerPage");
        QTest::addColumn<int>("fontSize");
        QTest::addColumn<int>("paper");
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("paperName");
        QTest::addColumn<int>("pages"); // -1: not counted
        const int automatic = int(SongbookPaper::Automatic);
        QTest::newRow("flowing, a long song")
            << 1 << false << 11 << int(SongbookPaper::A4) << QStringLiteral("en_US") << QStringLiteral("A4") << -1;
        QTest::newRow("flowing, large print") << 1 << false << 22 << int(SongbookPaper::Letter)
                                              << QStringLiteral("de_DE") << QStringLiteral("letter") << -1;
        QTest::newRow("flowing, short songs share a page")
            << 0 << false << 11 << automatic << QStringLiteral("de_DE") << QStringLiteral("A4") << 3;
        QTest::newRow("one song per page, Letter by the locale")
            << 0 << true << 11 << automatic << QStringLiteral("en_US") << QStringLiteral("letter") << 5;
        QTest::newRow("one song per page, a long song")
            << 1 << true << 9 << automatic << QStringLiteral("fr_FR") << QStringLiteral("A4") << -1;
        // Headings fall at every height of a page, the foot included.
        QTest::newRow("flowing, songs of every length")
            << 30 << false << 11 << automatic << QStringLiteral("de_DE") << QStringLiteral("A4") << -1;
    }
    void contentsGiveEachSongsPage()
    {
        QFETCH(int, songs);
        QFETCH(bool, songPerPage);
        QFETCH(int, fontSize);
        QFETCH(int, paper);
        QFETCH(QString, locale);
        QFETCH(QString, paperName);
        QFETCH(int, pages);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("book.pdf"));
        const bool longSong = songs == 1;
        const Songbook book{songs > 1 ? test::songsOfEveryLength(songs) : test::sampleSongbookSongs(longSong),
                            kBookDate};
        const SongbookOptions options{songPerPage, fontSize, SongbookPaper(paper)};
        const SongbookPdfResult written = writeSongbookPdf(book, options, path, false, QLocale(locale));
        QVERIFY2(written.ok(), qPrintable(written.error));
        const QString shots = qEnvironmentVariable("STANZARY_SHOTS"); // keeps the books to look at
        if (!shots.isEmpty())
            QFile::copy(path, shots + u'/' + QString::fromUtf8(QTest::currentDataTag()).replace(u' ', u'-')
                                  + QStringLiteral(".pdf"));

        const QStringList text = test::pdfPages(path);
        QCOMPARE(test::pdfPaperName(path), paperName);
        if (pages >= 0)
            QCOMPARE(text.size(), pages);
        QVERIFY(text.size() >= 3);
        const QStringList title = linesOf({text.at(0)});
        QVERIFY(title.contains(QStringLiteral("Lyrics")));
        QVERIFY(title.contains(QLocale().toString(kBookDate, QLocale::LongFormat)));
        QVERIFY(title.contains(QString::number(book.songs.size()) + QStringLiteral(" songs")));
        QVERIFY(text.at(1).contains(QStringLiteral("Contents")));

        const QStringList allLines = linesOf(text);
        int previous = 2;
        for (int i = 0; i < book.songs.size(); ++i) {
            const SongbookSong &song = book.songs.at(i);
            const int first = test::contentsPageOf(text.at(1), song.title);
            QVERIFY2(first >= previous + (songPerPage || i == 0 ? 1 : 0) && first <= text.size(),
                     qPrintable(song.title + u' ' + QString::number(first)));
            const int next = i + 1 < book.songs.size() ? test::contentsPageOf(text.at(1), book.songs.at(i + 1).title)
                                                       : int(text.size());
            QVERIFY(next >= first);
            const QStringList firstPage = linesOf({text.at(first - 1)});
            QVERIFY(firstPage.contains(song.title));
            QVERIFY(firstPage.contains(song.artist));
            QVERIFY(firstPage.contains(song.lyrics.section(u'\n', 0, 0))); // the heading is not alone
            const QStringList pagesOfSong = linesOf(text.mid(first - 1, next - first + 1));
            for (const QString &line : song.lyrics.split(u'\n')) {
                QVERIFY2(pagesOfSong.contains(line.trimmed()), qPrintable(line));
                if (!line.isEmpty()) // on one page only, whole
                    QVERIFY2(allLines.count(line) == 1, qPrintable(line));
            }
            if (longSong && i == 1) // it goes on over the page
                QVERIFY(!firstPage.contains(song.lyrics.section(u'\n', -1)));
            previous = first;
        }
    }

    // Where things stand: the title a third down the first page, the
    // contents' page numbers in one column at the right margin, and from the
    // second page on each page's number in the middle of its foot.
    void pagesAreLaidOutAsABook()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("book.pdf"));
        const Songbook book{test::sampleSongbookSongs(true), kBookDate};
        const SongbookOptions options{false, 11, SongbookPaper::A4};
        QVERIFY(writeSongbookPdf(book, options, path, false).ok());
        const test::PdfLayout pdf = test::pdfLayout(path);
        QCOMPARE(pdf.title, QStringLiteral("Lyrics"));
        QVERIFY(pdf.pages.size() > 3);
        const double margin = 18 / 25.4 * 72; // points
        for (int page = 0; page < pdf.pages.size(); ++page) {
            const QSizeF size = pdf.pages.at(page).size;
            int pageNumbers = 0;
            QList<double> contentsNumbers;
            for (const test::PdfWord &word : pdf.pages.at(page).words) {
                if (word.text == u"Lyrics")
                    QVERIFY(page > 0 || word.box.top() > size.height() / 4);
                if (word.box.top() > size.height() - margin - 20) {
                    QCOMPARE(word.text, QString::number(page + 1));
                    QVERIFY(qAbs(word.box.center().x() - size.width() / 2) < 2);
                    ++pageNumbers;
                } else if (page == 1 && word.text.toInt() > 0) {
                    contentsNumbers << word.box.right();
                }
            }
            QCOMPARE(pageNumbers, page == 0 ? 0 : 1);
            if (page == 1) {
                QCOMPARE(contentsNumbers.size(), book.songs.size());
                for (const double right : contentsNumbers)
                    QVERIFY2(right <= size.width() - margin && right > size.width() - margin - 4,
                             qPrintable(QString::number(right)));
            }
        }
    }

    // A write that fails, or a file that is not to be replaced, leaves the
    // folder as it was: no partial PDF, no temporary file, the old bytes.
    void aFailedWriteKeepsWhatWasThere_data()
    {
        QTest::addColumn<QByteArray>("before"); // null: no file there
        QTest::addColumn<bool>("overwrite");
        QTest::addColumn<bool>("syncFails");
        QTest::addColumn<int>("status");
        QTest::newRow("new file, the disk fails") << QByteArray() << false << true << int(SongbookPdfStatus::Failed);
        QTest::newRow("replacing, the disk fails")
            << QByteArray("old bytes") << true << true << int(SongbookPdfStatus::Failed);
        QTest::newRow("not to be replaced")
            << QByteArray("old bytes") << false << false << int(SongbookPdfStatus::Exists);
        QTest::newRow("replaced") << QByteArray("old bytes") << true << false << int(SongbookPdfStatus::Ok);
    }
    void aFailedWriteKeepsWhatWasThere()
    {
        QFETCH(QByteArray, before);
        QFETCH(bool, overwrite);
        QFETCH(bool, syncFails);
        QFETCH(int, status);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("book.pdf"));
        if (!before.isNull()) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write(before) == before.size());
        }
        const auto allowSyncs = qScopeGuard([] { setSyncGate({}); });
        if (syncFails)
            setSyncGate([](SyncKind kind, const QString &) { return kind != SyncKind::File; });
        const Songbook book{test::sampleSongbookSongs(false), kBookDate};
        const SongbookPdfResult written = writeSongbookPdf(book, SongbookOptions(), path, overwrite);
        setSyncGate({});

        QCOMPARE(int(written.status), status);
        QCOMPARE(written.error.isEmpty(), written.ok());
        const QStringList expected = before.isNull() ? QStringList() : QStringList{QStringLiteral("book.pdf")};
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System), expected);
        if (written.ok())
            QVERIFY(test::readAll(path).startsWith("%PDF-"));
        else if (!before.isNull())
            QCOMPARE(test::readAll(path), before);
    }
};

QTEST_MAIN(tst_Songbook)
#include "tst_songbook.moc"
