#include "app/ImageIndex.h"
#include "app/basMain.h"
#include "ui/IconSet.h"
#include "ui/NodeTreeModel.h"

#include "TestText.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QTextDocument>
#include <QTreeView>
#include <QtTest>

#include <memory>

using namespace stanzary;

namespace {

using test::s;

// Artist A (a1, a2), artist B (b1), then a3 added to A after B.
void fill(NodeCollection &n)
{
    n.add(s("keya"), s("A"), Icon::Artist);
    n.add(s("a1"), s("one"), Icon::LyricsOnly, s("keya"));
    n.add(s("a2"), s("two"), Icon::HasTimestamps, s("keya"));
    n.add(s("keyb"), s("B"), Icon::Artist);
    n.add(s("b1"), s("bee"), Icon::KaraokeAvailable, s("keyb"));
    n.add(s("a3"), s("three"), Icon::LyricsOnly, s("keya"));
}

// The model's tree as text, by rows: "A(one,two,three) B(bee)".
QString shape(const QAbstractItemModel &m, const QModelIndex &parent = QModelIndex())
{
    QStringList parts;
    for (int r = 0; r < m.rowCount(parent); ++r) {
        const QModelIndex i = m.index(r, 0, parent);
        QString part = i.data().toString();
        if (m.rowCount(i) > 0)
            part += u'(' + shape(m, i).replace(u' ', u',') + u')';
        parts << part;
    }
    return parts.join(u' ');
}

} // namespace

class tst_NodeTreeModel : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void showsTheCollection();
    void addsArriveAsRowInsertions();
    void singleRemovals_data();
    void singleRemovals();
    void removingAnArtistDropsIndexesOfItsSongs();
    void bulkScopeEndsInOneReset();
    void removeMarkedAndClear();
    void changesAreDataChanges();
    void displayRoles();
    void checkBoxesOnlyWhileShown();
    void positionMapping();
    void viewSurvivesRemovingItsCurrentNode();

private:
    std::unique_ptr<NodeCollection> m_nodes;
    std::unique_ptr<NodeTreeModel> m_model;
    std::unique_ptr<QAbstractItemModelTester> m_tester;
};

void tst_NodeTreeModel::init()
{
    m_nodes = std::make_unique<NodeCollection>();
    m_model = std::make_unique<NodeTreeModel>(*m_nodes);
    m_tester = std::make_unique<QAbstractItemModelTester>(m_model.get(),
                                                          QAbstractItemModelTester::FailureReportingMode::QtTest);
}

void tst_NodeTreeModel::cleanup()
{
    m_tester.reset();
    m_model.reset();
    m_nodes.reset();
}

void tst_NodeTreeModel::showsTheCollection()
{
    fill(*m_nodes);
    QCOMPARE(shape(*m_model), s("A(one,two,three) B(bee)"));
    QCOMPARE(m_model->columnCount(), 1);
    QVERIFY(m_model->hasChildren(m_model->index(0, 0)));
    QVERIFY(!m_model->hasChildren(m_model->index(0, 0, m_model->index(0, 0))));

    // A model made over a filled collection shows it too.
    NodeTreeModel late(*m_nodes);
    QAbstractItemModelTester tester(&late, QAbstractItemModelTester::FailureReportingMode::QtTest);
    QCOMPARE(shape(late), s("A(one,two,three) B(bee)"));
}

void tst_NodeTreeModel::addsArriveAsRowInsertions()
{
    QSignalSpy inserted(m_model.get(), &QAbstractItemModel::rowsInserted);
    fill(*m_nodes);
    QCOMPARE(inserted.size(), 6);
    // The last one: a3 as row 2 under A.
    const QList<QVariant> last = inserted.last();
    QCOMPARE(last.at(0).value<QModelIndex>().data().toString(), s("A"));
    QCOMPARE(last.at(1).toInt(), 2);
    QCOMPARE(last.at(2).toInt(), 2);
    // Refused additions change nothing.
    QCOMPARE(m_nodes->add(s("a1"), s("dup"), Icon::LyricsOnly, s("keya")), 0);
    QCOMPARE(m_nodes->add(s("x"), s("orphan"), Icon::LyricsOnly, s("nokey")), 0);
    QCOMPARE(inserted.size(), 6);
}

void tst_NodeTreeModel::singleRemovals_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("expected");
    QTest::newRow("first song") << s("a1") << s("A(two,three) B(bee)");
    QTest::newRow("middle song") << s("a2") << s("A(one,three) B(bee)");
    QTest::newRow("last song") << s("a3") << s("A(one,two) B(bee)");
    QTest::newRow("only song") << s("b1") << s("A(one,two,three) B");
    QTest::newRow("artist with songs") << s("keya") << s("B(bee)");
    QTest::newRow("last artist") << s("keyb") << s("A(one,two,three)");
}

void tst_NodeTreeModel::singleRemovals()
{
    QFETCH(QString, key);
    QFETCH(QString, expected);
    fill(*m_nodes);
    QSignalSpy removed(m_model.get(), &QAbstractItemModel::rowsRemoved);
    QSignalSpy reset(m_model.get(), &QAbstractItemModel::modelReset);
    m_nodes->remove(m_nodes->positionOf(key));
    QCOMPARE(removed.size(), 1);
    QCOMPARE(reset.size(), 0);
    QCOMPARE(shape(*m_model), expected);
    // Rows stay right for further removals and additions.
    m_nodes->remove(1);
    m_nodes->add(s("c"), s("C"), Icon::Artist);
    m_nodes->add(s("c1"), s("sea"), Icon::LyricsOnly, s("c"));
    QVERIFY(m_model->index(m_model->rowCount() - 1, 0).data().toString() == s("C"));
}

void tst_NodeTreeModel::removingAnArtistDropsIndexesOfItsSongs()
{
    fill(*m_nodes);
    const QModelIndex artistA = m_model->indexOfPosition(m_nodes->positionOf(s("keya")));
    const QPersistentModelIndex songOfA = m_model->index(1, 0, artistA); // two
    const QPersistentModelIndex songOfB = m_model->indexOfPosition(m_nodes->positionOf(s("b1")));
    const QPersistentModelIndex artistB = m_model->indexOfPosition(m_nodes->positionOf(s("keyb")));
    QCOMPARE(songOfA.data().toString(), s("two"));

    m_nodes->remove(m_nodes->positionOf(s("keya")));
    QVERIFY(!songOfA.isValid());
    QVERIFY(artistB.isValid());
    QCOMPARE(artistB.row(), 0);
    QCOMPARE(songOfB.data().toString(), s("bee"));
    QCOMPARE(songOfB.parent(), QModelIndex(artistB));

    // A song of the removed artist two levels down from the root: same.
    m_nodes->add(s("keyc"), s("C"), Icon::Artist);
    m_nodes->add(s("c1"), s("c-one"), Icon::LyricsOnly, s("keyc"));
    m_nodes->add(s("c2"), s("c-two"), Icon::LyricsOnly, s("keyc"));
    const QPersistentModelIndex c2 = m_model->indexOfPosition(m_nodes->positionOf(s("c2")));
    m_nodes->remove(m_nodes->positionOf(s("c1")));
    QCOMPARE(c2.row(), 0); // moved up
    QCOMPARE(c2.data().toString(), s("c-two"));
}

void tst_NodeTreeModel::bulkScopeEndsInOneReset()
{
    fill(*m_nodes);
    QSignalSpy reset(m_model.get(), &QAbstractItemModel::modelReset);
    QSignalSpy inserted(m_model.get(), &QAbstractItemModel::rowsInserted);
    QSignalSpy removed(m_model.get(), &QAbstractItemModel::rowsRemoved);
    QSignalSpy changed(m_model.get(), &QAbstractItemModel::dataChanged);
    {
        NodeCollection::BulkScope outer(*m_nodes);
        {
            NodeCollection::BulkScope inner(*m_nodes);
            m_nodes->remove(m_nodes->positionOf(s("a2")));
            m_nodes->setBold(1, true);
        }
        m_nodes->clear();
        m_nodes->add(s("keyz"), s("Z"), Icon::Artist);
        m_nodes->add(s("z1"), s("zed"), Icon::LyricsOnly, s("keyz"));
        QCOMPARE(reset.size(), 0);
    }
    QCOMPARE(reset.size(), 1);
    QCOMPARE(inserted.size() + removed.size() + changed.size(), 0);
    QCOMPARE(shape(*m_model), s("Z(zed)"));
    // Places are known again after the reset: single removals still work.
    m_nodes->remove(m_nodes->positionOf(s("z1")));
    QCOMPARE(shape(*m_model), s("Z"));
}

void tst_NodeTreeModel::removeMarkedAndClear()
{
    fill(*m_nodes);
    QSignalSpy reset(m_model.get(), &QAbstractItemModel::modelReset);
    QSignalSpy removed(m_model.get(), &QAbstractItemModel::rowsRemoved);
    // Positions 2 (one) and 5 (bee): two separate subtrees, one reset.
    std::vector<bool> marked(6, false);
    marked[1] = marked[4] = true;
    m_nodes->removeMarked(marked);
    QCOMPARE(reset.size(), 1);
    QCOMPARE(shape(*m_model), s("A(two,three) B"));
    // One node marked: an ordinary removal.
    // Left: A (1), two (2), B (3), three (4).
    std::vector<bool> one(4, false);
    one[2] = true; // B
    m_nodes->removeMarked(one);
    QCOMPARE(removed.size(), 1);
    QCOMPARE(shape(*m_model), s("A(two,three)"));

    m_nodes->clear();
    QCOMPARE(reset.size(), 2);
    QCOMPARE(m_model->rowCount(), 0);
    fill(*m_nodes); // ids start again after clear()
    QCOMPARE(shape(*m_model), s("A(one,two,three) B(bee)"));
}

void tst_NodeTreeModel::changesAreDataChanges()
{
    fill(*m_nodes);
    QSignalSpy changed(m_model.get(), &QAbstractItemModel::dataChanged);
    const int two = m_nodes->positionOf(s("a2"));
    m_nodes->setText(two, s("deux"));
    m_nodes->setImage(two, Icon::UnfilteredHasTimestamps);
    m_nodes->setBold(two, true);
    m_nodes->setChecked(two, true);
    QCOMPARE(changed.size(), 4);
    for (const QList<QVariant> &args : changed) {
        QCOMPARE(args.at(0).value<QModelIndex>(), m_model->indexOfPosition(two));
        QCOMPARE(args.at(1).value<QModelIndex>(), m_model->indexOfPosition(two));
    }
    QCOMPARE(m_model->indexOfPosition(two).data().toString(), s("deux"));
    // Unchanged values and the tag send nothing.
    m_nodes->setBold(two, true);
    m_nodes->setTag(1, s("filterchecked"));
    QCOMPARE(changed.size(), 4);
}

void tst_NodeTreeModel::displayRoles()
{
    fill(*m_nodes);
    const int two = m_nodes->positionOf(s("a2"));
    const QModelIndex i = m_model->indexOfPosition(two);
    QCOMPARE(i.data(Qt::DisplayRole).toString(), s("two"));
    QCOMPARE(i.data(Qt::AccessibleTextRole).toString(), s("two"));
    QCOMPARE(i.data(Qt::AccessibleDescriptionRole).toString(), s("timestamps downloaded"));
    // A name from a file is never read as markup: the tool tip shows it as written.
    const QString markup = s("<b>Bold</b> &amp; Co");
    m_nodes->setText(two, markup);
    QTextDocument tip;
    tip.setHtml(i.data(Qt::ToolTipRole).toString());
    QCOMPARE(tip.toPlainText(), markup);
    QCOMPARE(i.data(NodeTreeModel::KeyRole).toString(), s("a2"));
    QCOMPARE(i.data(NodeTreeModel::ImageRole).toInt(), Icon::HasTimestamps);
    QCOMPARE(i.data(NodeTreeModel::PositionRole).toInt(), two);

    const QIcon icon = i.data(Qt::DecorationRole).value<QIcon>();
    QCOMPARE(icon.pixmap(16, 16).toImage(), IconSet::icon(Icon::HasTimestamps).pixmap(16, 16).toImage());
    m_nodes->setImage(two, 0); // no picture for image 0
    QVERIFY(!i.data(Qt::DecorationRole).isValid());

    QVERIFY(!i.data(Qt::FontRole).isValid());
    m_nodes->setBold(two, true);
    const QFont font = i.data(Qt::FontRole).value<QFont>();
    QVERIFY(font.bold());
    // Only the weight is set: the view's family and size still apply.
    QCOMPARE(font.resolveMask(), uint(QFont::WeightResolved));

    QCOMPARE(m_model->flags(i), Qt::ItemIsEnabled | Qt::ItemIsSelectable); // never editable
    QVERIFY(!m_model->setData(i, s("renamed"), Qt::EditRole));
    QCOMPARE(i.data().toString(), markup);
}

void tst_NodeTreeModel::checkBoxesOnlyWhileShown()
{
    fill(*m_nodes);
    QSignalSpy byUser(m_model.get(), &NodeTreeModel::nodeCheckedByUser);
    const QModelIndex artist = m_model->index(0, 0);
    QVERIFY(!artist.data(Qt::CheckStateRole).isValid());
    QVERIFY(!(m_model->flags(artist) & Qt::ItemIsUserCheckable));
    QVERIFY(!m_model->setData(artist, Qt::Checked, Qt::CheckStateRole));
    QVERIFY(!m_nodes->at(1).checked);

    QSignalSpy layout(m_model.get(), &QAbstractItemModel::layoutChanged);
    m_model->setCheckBoxesShown(true);
    m_model->setCheckBoxesShown(true);
    QCOMPARE(layout.size(), 1);
    QVERIFY(m_model->flags(artist) & Qt::ItemIsUserCheckable);
    QCOMPARE(artist.data(Qt::CheckStateRole).toInt(), int(Qt::Unchecked));

    QSignalSpy changed(m_model.get(), &QAbstractItemModel::dataChanged);
    QVERIFY(m_model->setData(artist, int(Qt::Checked), Qt::CheckStateRole));
    QVERIFY(m_nodes->at(1).checked);
    QCOMPARE(artist.data(Qt::CheckStateRole).toInt(), int(Qt::Checked));
    QCOMPARE(changed.size(), 1);
    QCOMPARE(byUser.size(), 1);
    QCOMPARE(byUser.first().first().toInt(), 1);
    QVERIFY(m_model->setData(artist, Qt::Unchecked, Qt::CheckStateRole));
    QVERIFY(!m_nodes->at(1).checked);

    // Hiding the boxes keeps the flags.
    m_nodes->setChecked(2, true);
    m_model->setCheckBoxesShown(false);
    QVERIFY(m_nodes->at(2).checked);
    QVERIFY(!m_model->index(0, 0, artist).data(Qt::CheckStateRole).isValid());
}

void tst_NodeTreeModel::positionMapping()
{
    fill(*m_nodes);
    for (int p = 1; p <= m_nodes->count(); ++p) {
        const QModelIndex i = m_model->indexOfPosition(p);
        QVERIFY(i.isValid());
        QCOMPARE(m_model->positionOfIndex(i), p);
        QCOMPARE(i.data(NodeTreeModel::KeyRole).toString(), m_nodes->at(p).key);
    }
    QVERIFY(!m_model->indexOfPosition(0).isValid());
    QVERIFY(!m_model->indexOfPosition(7).isValid());
    QCOMPARE(m_model->positionOfIndex(QModelIndex()), 0);
    // a3 is position 6 but row 2 under A.
    QCOMPARE(m_model->indexOfPosition(6).row(), 2);
    QCOMPARE(m_model->indexOfPosition(6).parent(), m_model->indexOfPosition(1));
    // Positions follow removals.
    m_nodes->remove(2);
    QCOMPARE(m_model->indexOfPosition(5).data().toString(), s("three"));
    QCOMPARE(m_model->positionOfIndex(m_model->index(1, 0, m_model->index(0, 0))), 5);
}

void tst_NodeTreeModel::viewSurvivesRemovingItsCurrentNode()
{
    fill(*m_nodes);
    QTreeView view;
    setUpNodeTreeView(view, *m_model);
    QVERIFY(view.uniformRowHeights());
    QCOMPARE(view.editTriggers(), QAbstractItemView::NoEditTriggers);
    view.expandAll();
    view.show();
    const int two = m_nodes->positionOf(s("a2"));
    view.setCurrentIndex(m_model->indexOfPosition(two));
    m_nodes->remove(two);
    const QModelIndex afterSong = view.currentIndex();
    QVERIFY(!afterSong.isValid() || m_nodes->isAlive(int(afterSong.internalId())));
    QVERIFY(afterSong.data(NodeTreeModel::KeyRole).toString() != s("a2"));
    // The artist itself, with the current song inside it.
    view.setCurrentIndex(m_model->indexOfPosition(m_nodes->positionOf(s("a3"))));
    m_nodes->remove(m_nodes->positionOf(s("keya")));
    const QModelIndex current = view.currentIndex();
    QVERIFY(!current.isValid() || m_nodes->isAlive(int(current.internalId())));
    QCOMPARE(shape(*m_model), s("B(bee)"));
}

QTEST_MAIN(tst_NodeTreeModel)
#include "tst_nodetreemodel.moc"
