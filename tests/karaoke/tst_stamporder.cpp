#include "karaoke/StampOrder.h"
#include "karaoke/StampSteps.h"

#include "FakeInstallation.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace stanzary;

namespace {

// "00:10.0 aa|00:05.0 bb": rows as the editor shows them.
QList<KasRow> rowsOf(const QString &shown)
{
    QList<KasRow> rows;
    for (const QString &item : shown.split(u'|')) {
        const int ms = item.left(2).toInt() * 60000 + item.mid(3, 2).toInt() * 1000 + item.mid(6, 1).toInt() * 100;
        rows.append(KasRow{stampAtStep(ms / kStampStepMs), item.mid(8), {}});
    }
    return rows;
}

QString shown(const QList<KasRow> &rows)
{
    QStringList out;
    for (const KasRow &r : rows)
        out << stampText(r.time) + u' ' + r.Text;
    return out.join(u'|');
}

QString shown(const QList<int> &rows)
{
    QStringList out;
    for (int r : rows)
        out << QString::number(r);
    return out.join(u',');
}

// A stamp record: the time code of `seconds`, then the prefix.
QByteArray record(int seconds, const char *prefix)
{
    const int step = seconds * 5;
    const char code[] = {char(64 + step / 64), char(64 + step % 64)};
    return QByteArray(code, 2) + prefix;
}

} // namespace

// Stamps against the order of the rows: which are out of order, where a
// dragged stamp may go, and sorting the rows by their stamps.
class tst_StampOrder : public QObject
{
    Q_OBJECT

    QTemporaryDir m_tmp;

private slots:
    void outOfOrderStamps_data()
    {
        QTest::addColumn<QString>("rows");
        QTest::addColumn<QString>("out");
        QTest::newRow("in order, equal stamps too") << "00:10.0 aa|00:10.0 bb|00:20.0 cc"
                                                    << "";
        QTest::newRow("one going back") << "00:10.0 aa|00:20.0 bb|00:05.0 cc|00:30.0 dd"
                                        << "2";
        QTest::newRow("one too late") << "00:10.0 aa|00:50.0 bb|00:20.0 cc|00:30.0 dd"
                                      << "1";
        QTest::newRow("either of two: the later row") << "00:10.0 aa|00:20.0 bb|00:15.0 cc|00:30.0 dd"
                                                      << "2";
        QTest::newRow("the first row late") << "01:00.0 aa|00:10.0 bb|00:20.0 cc"
                                            << "0";
        QTest::newRow("rows waiting for a stamp") << "00:10.0 aa|00:00.0 bb|00:20.0 cc|00:00.0 "
                                                  << "";
        QTest::newRow("the first row at the start") << "00:00.0 aa|00:10.0 bb"
                                                    << "";
        QTest::newRow("past a waiting row") << "00:20.0 aa|00:00.0 bb|00:10.0 cc"
                                            << "2";
    }
    void outOfOrderStamps()
    {
        QFETCH(QString, rows);
        QFETCH(QString, out);
        QCOMPARE(shown(outOfOrderRows(rowsOf(rows))), out);
    }

    // A dragged stamp lands on the nearest step and stops at its neighbours.
    void dragSnapsAndStopsAtNeighbours_data()
    {
        QTest::addColumn<QString>("rows");
        QTest::addColumn<int>("row");
        QTest::addColumn<qint64>("wanted");
        QTest::addColumn<QString>("time");
        QTest::addColumn<bool>("stopped");
        const QString abc = QStringLiteral("00:10.0 aa|00:20.0 bb|00:30.0 cc");
        QTest::newRow("nearest step") << abc << 1 << qint64(23450) << "00:23.4" << false;
        QTest::newRow("half a step rounds up") << abc << 1 << qint64(23500) << "00:23.6" << false;
        QTest::newRow("onto the previous stamp") << abc << 1 << qint64(10000) << "00:10.0" << false;
        QTest::newRow("past the next stamp") << abc << 1 << qint64(35000) << "00:30.0" << true;
        QTest::newRow("past the previous stamp") << abc << 1 << qint64(4000) << "00:10.0" << true;
        QTest::newRow("the first row before the start") << abc << 0 << qint64(-500) << "00:00.0" << true;
        QTest::newRow("the last row past 13:59.8") << abc << 2 << qint64(900000) << "13:59.8" << true;
        QTest::newRow("a waiting row is no neighbour")
            << "00:10.0 aa|00:00.0 bb|00:30.0 cc" << 2 << qint64(5000) << "00:10.0" << true;
        QTest::newRow("out of order, brought back between its neighbours")
            << "00:10.0 aa|00:05.0 bb|00:30.0 cc" << 1 << qint64(6000) << "00:10.0" << true;
        QTest::newRow("between equal neighbours")
            << "00:10.0 aa|00:30.0 bb|00:10.0 cc" << 1 << qint64(15000) << "00:10.0" << true;
        QTest::newRow("neighbours out of order set no limit")
            << "00:50.0 aa|00:40.0 bb|00:30.0 cc" << 1 << qint64(12000) << "00:12.0" << false;
    }
    void dragSnapsAndStopsAtNeighbours()
    {
        QFETCH(QString, rows);
        QFETCH(int, row);
        QFETCH(qint64, wanted);
        QFETCH(QString, time);
        QFETCH(bool, stopped);
        clsKaraokeEdition edition;
        edition.startNewFile(rowsOf(rows));
        const DraggedStamp drag = dragStamp(edition.rows(), row, wanted, 0);
        QCOMPARE(drag.stopped, stopped);
        QVERIFY(applyEdit(edition, drag.edit));
        QCOMPARE(stampText(edition.row(row).time), time);
        QCOMPARE(drag.edit.currentAfter, row);
        QVERIFY(revertEdit(edition, drag.edit));
        QCOMPARE(shown(edition.rows()), rows);
    }

    void sortMovesRowsWithTheirStamps_data()
    {
        QTest::addColumn<QString>("rows");
        QTest::addColumn<int>("current");
        QTest::addColumn<QString>("sorted");
        QTest::addColumn<int>("currentAfter");
        QTest::newRow("one going back") << "00:10.0 aa|00:20.0 bb|00:05.0 cc|00:30.0 dd" << 2
                                        << "00:05.0 cc|00:10.0 aa|00:20.0 bb|00:30.0 dd" << 0;
        QTest::newRow("equal stamps keep their order")
            << "00:20.0 aa|00:10.0 bb|00:10.0 cc" << 0 << "00:10.0 bb|00:10.0 cc|00:20.0 aa" << 2;
        QTest::newRow("waiting rows keep their places")
            << "00:20.0 aa|00:10.0 bb|00:00.0 cc" << 2 << "00:10.0 bb|00:20.0 aa|00:00.0 cc" << 2;
        QTest::newRow("in order: nothing to do") << "00:10.0 aa|00:20.0 bb" << 1 << "" << 1;
    }
    void sortMovesRowsWithTheirStamps()
    {
        QFETCH(QString, rows);
        QFETCH(int, current);
        QFETCH(QString, sorted);
        QFETCH(int, currentAfter);
        clsKaraokeEdition edition;
        edition.startNewFile(rowsOf(rows));
        const RowsEdit edit = sortEdit(edition.rows(), current);
        QCOMPARE(edit.isEmpty(), sorted.isEmpty());
        QCOMPARE(edit.currentAfter, currentAfter);
        if (sorted.isEmpty())
            return;
        QVERIFY(applyEdit(edition, edit));
        QCOMPARE(shown(edition.rows()), sorted);
        QVERIFY(outOfOrderRows(edition.rows()).isEmpty());
    }

    // Sorted, the file holds the same records in the new order, byte for
    // byte; undone, the old bytes.
    void sortSavesTheRecordsReorderedAndUndoes()
    {
        QVERIFY(m_tmp.isValid());
        const QByteArray old = record(10, "We") + record(30, "an") + record(20, "ev") + ";x\r\n";
        const QString kas = test::FakeInstallation(m_tmp.path()).addKas(QStringLiteral("A - B.txt"), old);
        clsKaraokeEdition edition;
        QVERIFY(edition.LoadKasFile(kas).ok());
        const RowsEdit edit = sortEdit(edition.rows(), 1);
        QCOMPARE(edit.text(), QStringLiteral("Sort Stamps"));
        QVERIFY(applyEdit(edition, edit));
        QVERIFY(edition.SaveKasFile(kas).ok());
        QFile file(kas);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), record(10, "We") + record(20, "ev") + record(30, "an") + ";x\r\n");
        file.close();
        QVERIFY(revertEdit(edition, edit));
        QVERIFY(edition.SaveKasFile(kas).ok());
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), old);
    }
};

QTEST_GUILESS_MAIN(tst_StampOrder)
#include "tst_stamporder.moc"
