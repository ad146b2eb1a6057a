#include "store/NodeCollection.h"

#include <QSignalSpy>
#include <QtTest>

using namespace stanzary;

namespace {

// Artist A (a1, a2), artist B (b1), then a3 added to A after B.
void fill(NodeCollection &n)
{
    n.add(QStringLiteral("keya"), QStringLiteral("A"), 9);
    n.add(QStringLiteral("a1"), QStringLiteral("one"), 10, QStringLiteral("keya"));
    n.add(QStringLiteral("a2"), QStringLiteral("two"), 10, QStringLiteral("keya"));
    n.add(QStringLiteral("keyb"), QStringLiteral("B"), 9);
    n.add(QStringLiteral("b1"), QStringLiteral("bee"), 7, QStringLiteral("keyb"));
    n.add(QStringLiteral("a3"), QStringLiteral("three"), 6, QStringLiteral("keya"));
}

QStringList strings(std::initializer_list<const char *> list)
{
    QStringList out;
    for (const char *s : list)
        out << QString::fromLatin1(s);
    return out;
}

QStringList keysByPosition(const NodeCollection &n)
{
    QStringList out;
    for (int p = 1; p <= n.count(); ++p)
        out << n.at(p).key;
    return out;
}

} // namespace

class tst_NodeCollection : public QObject
{
    Q_OBJECT

private slots:
    void positionsFollowInsertionNotDisplay()
    {
        NodeCollection n;
        fill(n);
        QCOMPARE(n.count(), 6);
        QCOMPARE(keysByPosition(n), (strings({"keya", "a1", "a2", "keyb", "b1", "a3"})));
        QCOMPARE(n.children(1), (QList<int>{2, 3, 6}));
        QCOMPARE(n.parentOf(6), 1);
        QCOMPARE(n.parentOf(4), 0);
        QCOMPARE(n.positionOf(QStringLiteral("b1")), 5);
        QCOMPARE(n.positionOf(QStringLiteral("none")), 0);
        // display order for a view: roots A, B; A's rows a1, a2, a3
        const int a = n.idAt(1);
        QCOMPARE(n.childCountOfId(-1), 2);
        QCOMPARE(n.childIdAt(a, 2), n.idAt(6));
        QCOMPARE(n.rowOfId(n.idAt(6)), 2);
        QCOMPARE(n.rowOfId(n.idAt(4)), 1);
    }

    void duplicateKeysAndMissingParentsFail()
    {
        NodeCollection n;
        fill(n);
        QCOMPARE(n.add(QStringLiteral("keya"), QStringLiteral("again"), 9), 0);
        QCOMPARE(n.add(QStringLiteral("x"), QStringLiteral("x"), 10, QStringLiteral("nokey")), 0);
        QCOMPARE(n.count(), 6);
        QCOMPARE(n.at(1).text, QStringLiteral("A"));
    }

    // A parent removed and added again under the same key takes the next
    // child, though the child before went to the old one.
    void aParentAddedAgainTakesTheNextChild()
    {
        NodeCollection n;
        n.add(QStringLiteral("keya"), QStringLiteral("A"), 9);
        n.add(QStringLiteral("a1"), QStringLiteral("1"), 10, QStringLiteral("keya"));
        n.remove(1);
        n.add(QStringLiteral("keya"), QStringLiteral("A again"), 9);
        QCOMPARE(n.add(QStringLiteral("a2"), QStringLiteral("2"), 10, QStringLiteral("keya")), 2);
        QCOMPARE(n.parentOf(2), 1);
        QCOMPARE(n.children(1), QList<int>{2});
        n.clear();
        QCOMPARE(n.add(QStringLiteral("a3"), QStringLiteral("3"), 10, QStringLiteral("keya")), 0);
    }

    void removalTakesDescendantsAndShiftsPositions()
    {
        NodeCollection n;
        fill(n);
        n.remove(2); // a1
        QCOMPARE(keysByPosition(n), (strings({"keya", "a2", "keyb", "b1", "a3"})));
        QCOMPARE(n.children(1), (QList<int>{2, 5}));
        n.remove(1); // artist A with a2, a3
        QCOMPARE(keysByPosition(n), (strings({"keyb", "b1"})));
        QVERIFY(!n.contains(QStringLiteral("a3")));
        // a removed key can be added again
        QCOMPARE(n.add(QStringLiteral("keya"), QStringLiteral("A"), 9), 3);
        QCOMPARE(n.rowOfId(n.idAt(3)), 1);
    }

    void removeMarkedInOnePass()
    {
        NodeCollection n;
        fill(n);
        std::vector<bool> marked(6, false);
        marked[2] = true; // a2
        marked[3] = true; // keyb and b1 with it
        n.removeMarked(marked);
        QCOMPARE(keysByPosition(n), (strings({"keya", "a1", "a3"})));
        QCOMPARE(n.childCount(1), 2);
    }

    void flagsAndSignals()
    {
        NodeCollection n;
        fill(n);
        QSignalSpy changed(&n, &NodeCollection::nodeChanged);
        QSignalSpy removed(&n, &NodeCollection::removed);
        QSignalSpy reset(&n, &NodeCollection::reset);
        n.setBold(2, true);
        n.setBold(2, true); // no change, no signal
        n.setChecked(3, true);
        n.setTag(1, QStringLiteral("filterchecked"));
        QCOMPARE(changed.size(), 2);
        QVERIFY(n.at(2).bold);
        QCOMPARE(n.at(1).tag, QStringLiteral("filterchecked"));
        n.remove(5);
        QCOMPARE(removed.size(), 1);
        {
            NodeCollection::BulkScope bulk(n);
            NodeCollection::BulkScope nested(n);
            n.clear();
            fill(n);
            n.setImage(2, 2);
            n.remove(4);
        }
        QCOMPARE(reset.size(), 1);
        QCOMPARE(removed.size(), 1);
        QCOMPARE(changed.size(), 2);
        QCOMPARE(n.count(), 4);
    }
};

QTEST_GUILESS_MAIN(tst_NodeCollection)
#include "tst_nodecollection.moc"
