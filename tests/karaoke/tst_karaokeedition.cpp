#include "karaoke/KaraokeEdition.h"

#include "FakeInstallation.h"
#include "TestText.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace stanzary;

namespace {

using test::bytes;

// Row texts in order, for compact comparisons.
QStringList texts(const clsKaraokeEdition &e)
{
    QStringList out;
    for (const KasRow &r : e.rows())
        out << r.Text;
    return out;
}

} // namespace

class tst_KaraokeEdition : public QObject
{
    Q_OBJECT

    QTemporaryDir m_tmp;
    QString kas(const QByteArray &content, const QString &name = QStringLiteral("Amber - Boats.txt"))
    {
        return test::FakeInstallation(m_tmp.path()).addKas(name, content);
    }

private slots:
    void loadsRowsInFileOrder()
    {
        clsKaraokeEdition e;
        const KasLoadResult r = e.LoadKasFile(kas("@@WeAAanDlev;tail\r\n"));
        QVERIFY(r.ok());
        QCOMPARE(r.records, 3);
        QCOMPARE(e.loadedRecords(), 3);
        QCOMPARE(texts(e), (QStringList{QStringLiteral("We"), QStringLiteral("an"), QStringLiteral("ev")}));
        QCOMPARE(e.row(1).time, (StampTime{0, 13, 0}));
        QCOMPARE(e.row(2).time, (StampTime{1, 0, 0}));
        QCOMPARE(e.KasTail(), QByteArray(";tail\r\n"));

        QVERIFY(e.LoadKasFile(kas("@Aa ;\r\n")).ok());
        QCOMPARE(e.rowCount(), 1);
        QCOMPARE(e.row(0).Text, QStringLiteral("a "));
        QCOMPARE(e.row(0).time, (StampTime{0, 0, 2}));
    }

    // The option off leaves everything as it is; on, the window's pending
    // events run once while the previous rows are still there.
    void loadHonoursTheOptionAndRunsPendingEventsFirst()
    {
        clsKaraokeEdition e;
        QVERIFY(e.LoadKasFile(kas("@@We;\r\n", QStringLiteral("First.txt"))).ok());
        const QString second = kas("AAan@@ev;\r\n", QStringLiteral("Second.txt"));
        QStringList seenDuringEvents;
        KasLoadOptions options;
        options.letPendingEventsRun = [&] { seenDuringEvents << texts(e); };

        options.blnLoadKasEditor = false;
        QVERIFY(e.LoadKasFile(second, options).skipped);
        QVERIFY(seenDuringEvents.isEmpty());
        QCOMPARE(texts(e), QStringList{QStringLiteral("We")});

        options.blnLoadKasEditor = true;
        const KasLoadResult r = e.LoadKasFile(second, options);
        QVERIFY(r.ok() && !r.skipped);
        QCOMPARE(seenDuringEvents, QStringList{QStringLiteral("We")});
        QCOMPARE(texts(e), (QStringList{QStringLiteral("an"), QStringLiteral("ev")}));
    }

    void prefixesAreDecodedThroughTheCodePage()
    {
        clsKaraokeEdition e;
        const QString path = kas(bytes({'@', '@', 0xc0, 0xff, ';', 13, 10}));
        QVERIFY(e.LoadKasFile(path, CodePage::forFontCharset(204)).ok());
        QCOMPARE(e.row(0).Text, QStringLiteral("\u0410\u044f"));
        QVERIFY(e.SaveKasFile(path).ok());
        QCOMPARE(test::readAll(path), bytes({'@', '@', 0xc0, 0xff, ';', 13, 10}));

        QVERIFY(e.LoadKasFile(path).ok()); // Windows-1252
        QCOMPARE(e.row(0).Text, QStringLiteral("\u00c0\u00ff"));
    }

    // The previous song's stamp must not survive into a file without records.
    void fileWithoutRecordsClearsRowZero()
    {
        clsKaraokeEdition e;
        QVERIFY(e.LoadKasFile(kas("DlOh;\r\n", QStringLiteral("First.txt"))).ok());
        const QString empty = kas(";only tail\r\n", QStringLiteral("Second.txt"));
        QVERIFY(e.LoadKasFile(empty).ok());
        QCOMPARE(e.rowCount(), 1);
        QCOMPARE(e.loadedRecords(), 0);
        QCOMPARE(e.row(0).Text, QString());
        QCOMPARE(e.row(0).time, StampTime{});
        QVERIFY(e.SaveKasFile(empty).ok());
        QCOMPARE(test::readAll(empty), QByteArray(";only tail\r\n"));
    }

    // Unchanged rows are written back byte for byte, including codes that
    // are not the canonical spelling of their time and times past 13:59.8.
    void savingUnchangedRowsKeepsEveryByte_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QByteArray>("saved");
        QTest::newRow("tail with CR LF") << QByteArray("@@We;x;y\r\n") << QByteArray("@@We;x;y\r\n");
        QTest::newRow("tail without line end") << QByteArray("@@We;") << QByteArray("@@We;\r\n");
        QTest::newRow("past the picker's range")
            << bytes({200, 64, 'L', 'a', ';', 13, 10}) << bytes({200, 64, 'L', 'a', ';', 13, 10});
        QTest::newRow("second byte above 127")
            << bytes({64, 200, 'L', 'a', ';', 13, 10}) << bytes({64, 200, 'L', 'a', ';', 13, 10});
        QTest::newRow("two-space prefix dropped") << QByteArray("@@  AAOh;\r\n") << QByteArray("AAOh;\r\n");
        QTest::newRow("one-space prefix kept") << QByteArray("@@ xAAOh;\r\n") << QByteArray("@@ xAAOh;\r\n");
    }
    void savingUnchangedRowsKeepsEveryByte()
    {
        QFETCH(QByteArray, file);
        QFETCH(QByteArray, saved);
        clsKaraokeEdition e;
        const QString path = kas(file);
        QVERIFY(e.LoadKasFile(path).ok());
        QVERIFY(e.SaveKasFile(path).ok());
        QCOMPARE(test::readAll(path), saved);
        QVERIFY(e.LoadKasFile(path).ok());
        QVERIFY(e.SaveKasFile(path).ok());
        QCOMPARE(test::readAll(path), saved);
    }

    void editedRowsAreWrittenCanonically()
    {
        clsKaraokeEdition e;
        const QString path = kas(bytes({200, 64, 'L', 'a', 64, 200, 'L', 'b', ';', 13, 10}));
        QVERIFY(e.LoadKasFile(path).ok());
        QCOMPARE(e.row(0).time, (StampTime{29, 0, 8}));
        QVERIFY(!isPickerTime(e.row(0).time));
        QVERIFY(e.setTime(0, StampTime{13, 59, 8}));
        QCOMPARE(e.row(1).time, (StampTime{0, 27, 2}));
        QVERIFY(e.setTime(1, StampTime{0, 27, 4}));
        QVERIFY(e.setText(1, QStringLiteral("a")));
        QVERIFY(e.SaveKasFile(path).ok());
        QCOMPARE(test::readAll(path), bytes({129, 103, 'L', 'a', 'B', 'I', 'a', ' ', ';', 13, 10}));
    }

    void refusedEdits()
    {
        clsKaraokeEdition e;
        QVERIFY(!e.setTime(0, StampTime{0, 0, 3}));
        QVERIFY(!e.setTime(0, StampTime{0, 60, 0}));
        QVERIFY(!e.setTime(1, StampTime{}));
        QVERIFY(!e.setText(0, QStringLiteral("abc")));
        QVERIFY(!e.setText(-1, QStringLiteral("a")));
        QCOMPARE(e.row(0).time, StampTime{});
    }

    void addInsertsAnEmptyRow_data()
    {
        QTest::addColumn<int>("position");
        QTest::addColumn<QStringList>("after");
        QTest::newRow("below row 0") << 1
                                     << QStringList{QStringLiteral("A"), QString(), QStringLiteral("B"),
                                                    QStringLiteral("C")};
        QTest::newRow("before row 0") << 0
                                      << QStringList{QString(), QStringLiteral("A"), QStringLiteral("B"),
                                                     QStringLiteral("C")};
        QTest::newRow("at the end") << 3
                                    << QStringList{QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C"),
                                                   QString()};
        QTest::newRow("beyond the end") << 6
                                        << QStringList{QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C"),
                                                       QString()};
    }
    void addInsertsAnEmptyRow()
    {
        QFETCH(int, position);
        QFETCH(QStringList, after);
        clsKaraokeEdition e;
        QVERIFY(e.LoadKasFile(kas("AAA @@B DlC ;\r\n")).ok());
        for (int i = 0; i < 3; ++i)
            QVERIFY(e.setText(i, QStringList{QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")}.at(i)));
        e.Add(position);
        QCOMPARE(texts(e), after);
        const int added = int(after.indexOf(QString()));
        QCOMPARE(e.row(added).time, StampTime{});
        QVERIFY(e.row(added).loadedCode.isEmpty());
    }

    void delRemovesOrRefuses_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<int>("position");
        QTest::addColumn<bool>("refused");
        QTest::addColumn<QStringList>("after");
        QTest::newRow("row 1 of three") << QByteArray("@@A @AB @BC ;") << 1 << false
                                        << QStringList{QStringLiteral("A "), QStringLiteral("C ")};
        QTest::newRow("last row") << QByteArray("@@A @AB @BC ;") << 2 << false
                                  << QStringList{QStringLiteral("A "), QStringLiteral("B ")};
        QTest::newRow("beyond the last row")
            << QByteArray("@@A @AB @BC ;") << 7 << false << QStringList{QStringLiteral("A "), QStringLiteral("B ")};
        QTest::newRow("row 0") << QByteArray("@@A @AB ;") << 0 << true
                               << QStringList{QStringLiteral("A "), QStringLiteral("B ")};
        QTest::newRow("negative") << QByteArray("@@A @AB ;") << -1 << true
                                  << QStringList{QStringLiteral("A "), QStringLiteral("B ")};
        QTest::newRow("the only row") << QByteArray("@@A ;") << 1 << true << QStringList{QStringLiteral("A ")};
    }
    void delRemovesOrRefuses()
    {
        QFETCH(QByteArray, file);
        QFETCH(int, position);
        QFETCH(bool, refused);
        QFETCH(QStringList, after);
        clsKaraokeEdition e;
        QVERIFY(e.LoadKasFile(kas(file)).ok());
        QCOMPARE(e.Del(position) == KasDelResult::FirstStampRefused, refused);
        QCOMPARE(texts(e), after);
    }

    void addedRowsWithoutTextAreNotSaved()
    {
        clsKaraokeEdition e;
        const QString path = kas("@@We;\r\n");
        QVERIFY(e.LoadKasFile(path).ok());
        e.Add(1);
        e.Add(1);
        QVERIFY(e.setText(2, QStringLiteral("x")));
        QVERIFY(e.setTime(2, StampTime{0, 13, 0}));
        QVERIFY(e.SaveKasFile(path).ok());
        QCOMPARE(test::readAll(path), QByteArray("@@WeAAx ;\r\n"));
    }

    // Nothing is written over a file that was not read whole.
    void malformedOrUnreadableFilesAreNeverOverwritten_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<int>("rows");
        QTest::newRow("no ;") << QByteArray("@@We@Aan\r\n") << 2;
        QTest::newRow("empty") << QByteArray() << 1;
        QTest::newRow("partial record") << QByteArray("@@We@A;\r\n") << 1;
        QTest::newRow("code below 64") << QByteArray("@@We !an;\r\n") << 1;
    }
    void malformedOrUnreadableFilesAreNeverOverwritten()
    {
        QFETCH(QByteArray, file);
        QFETCH(int, rows);
        clsKaraokeEdition e;
        QVERIFY(e.LoadKasFile(kas("DlOh;\r\n", QStringLiteral("Before.txt"))).ok());
        const QString path = kas(file);
        const KasLoadResult r = e.LoadKasFile(path);
        QCOMPARE(r.status, KasReadStatus::Malformed);
        QVERIFY(!r.detail.isEmpty());
        QCOMPARE(e.rowCount(), rows);
        QVERIFY(e.row(0).Text != QStringLiteral("Oh"));
        QCOMPARE(e.SaveKasFile(path).status, KasSaveStatus::NotLoaded);
        QCOMPARE(test::readAll(path), file);

        QCOMPARE(e.LoadKasFile(m_tmp.filePath(QStringLiteral("missing.kas"))).status, KasReadStatus::Unreadable);
        QCOMPARE(e.rowCount(), 1);
        QCOMPARE(e.row(0).Text, QString());
        QCOMPARE(e.SaveKasFile(path).status, KasSaveStatus::NotLoaded);
    }

    void unloadAllKeepsRowZeroAndForgetsTheFile()
    {
        clsKaraokeEdition e;
        const QString path = kas("@AWeAAan;t\r\n");
        QVERIFY(e.LoadKasFile(path).ok());
        e.UnloadAll();
        QCOMPARE(e.rowCount(), 1);
        QCOMPARE(e.row(0).Text, QStringLiteral("We"));
        QVERIFY(e.KasTail().isEmpty());
        QCOMPARE(e.SaveKasFile(path).status, KasSaveStatus::NotLoaded);
        QCOMPARE(test::readAll(path), QByteArray("@AWeAAan;t\r\n"));
    }

    void textsTheCodePageCannotHoldAreRefused()
    {
        clsKaraokeEdition e;
        const QString path = kas("@@We;\r\n");
        QVERIFY(e.LoadKasFile(path).ok());
        QVERIFY(e.setText(0, QStringLiteral("\u0416a")));
        KasSaveResult r = e.SaveKasFile(path);
        QCOMPARE(r.status, KasSaveStatus::Unencodable);
        QCOMPARE(r.detail, QStringLiteral("\u0416"));
        QVERIFY(e.setText(0, QStringLiteral(";a")));
        QCOMPARE(e.SaveKasFile(path).status, KasSaveStatus::Unencodable);
        QCOMPARE(test::readAll(path), QByteArray("@@We;\r\n"));
    }

    void readOnlyFileIsReported()
    {
        clsKaraokeEdition e;
        const QString path = kas("@@We;\r\n");
        QVERIFY(e.LoadKasFile(path).ok());
        QVERIFY(e.setText(0, QStringLiteral("Oh")));
        test::setReadOnly(path, true);
        QCOMPARE(e.SaveKasFile(path).status, KasSaveStatus::ReadOnly);
        test::setReadOnly(path, false);
        QCOMPARE(test::readAll(path), QByteArray("@@We;\r\n"));
    }

    // The file is found and rewritten under the name it has on disk.
    void nameOnDiskIsUsedIgnoringCase()
    {
        QTemporaryDir tmp;
        test::FakeInstallation inst(tmp.path());
        const QString real = inst.writeFile(QStringLiteral("lyrics/amber - BOATS.KAS"), "@@We;\r\n");
        const QString asked = KasPathFor(inst.lyricsPath() + QStringLiteral("Amber - Boats.txt"));
        clsKaraokeEdition e;
        QVERIFY(e.LoadKasFile(asked).ok());
        QVERIFY(e.setText(0, QStringLiteral("Oh")));
        QVERIFY(e.SaveKasFile(asked).ok());
        QCOMPARE(test::readAll(real), QByteArray("@@Oh;\r\n"));
        QCOMPARE(QDir(inst.lyricsPath()).entryList(QDir::Files), QStringList{QStringLiteral("amber - BOATS.KAS")});
    }
};

QTEST_GUILESS_MAIN(tst_KaraokeEdition)
#include "tst_karaokeedition.moc"
