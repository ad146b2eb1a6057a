#include "FakeInstallation.h"
#include "FindControl.h"
#include "TestText.h"
#include "app/basMain.h"
#include "lists/SongLists.h"
#include "ui/SongListModel.h"
#include "ui/frmlists.h"

#include <QAccessible>
#include <QLabel>
#include <QListView>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

using namespace stanzary;

namespace {

using test::s;

// The entries of a list, one a literal.
constexpr auto entries = test::lines;

} // namespace

class tst_frmlists : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void controlsCaptionsAndNames();
    void showCorrectList_data();
    void showCorrectList();
    void listButtonsSwitchLists();
    void deleteSeveralSelected_data();
    void deleteSeveralSelected();
    void deleteReleasesOnlyForTheCurrentSong_data();
    void deleteReleasesOnlyForTheCurrentSong();
    void clearReleasesTheButton();
    void clearDeletedListKeepsTheButton();
    void textLists_data();
    void textLists();
    void textListWithoutSelectionOrEntries();
    void hoverTexts_data();
    void hoverTexts();
    void closingOnlyHides();
    void followsChangesFromTheMainWindow();
    void selectRedownloadEntry();
    void entriesDragOutAsPlainText();
    void screenshot();

private:
    template <typename T>
    T *child(const char *name) const
    {
        return test::findControl<T>(m_window.get(), name);
    }
    QPushButton *button(const char *name) const { return child<QPushButton>(name); }
    QListView *list(const char *name) const { return child<QListView>(name); }
    void select(QListView *view, const QList<int> &rows);
    // The main window's current song, as "Artist - Song" (empty: none).
    void setCurrentSong(const QString &entry);
    QByteArray fileOf(const char *name) const;

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<basMain> m_state;
    std::unique_ptr<SongLists> m_lists;
    std::unique_ptr<frmlists> m_window;
};

void tst_frmlists::init()
{
    QStandardPaths::setTestModeEnabled(true);
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_state = std::make_unique<basMain>();
    m_lists = std::make_unique<SongLists>();
    m_lists->LoadLists(m_dir->path(), CodePage());
    m_window = std::make_unique<frmlists>(*m_state, *m_lists);
}

void tst_frmlists::cleanup()
{
    m_window.reset();
    m_lists.reset();
    m_state.reset();
    m_dir.reset();
}

void tst_frmlists::select(QListView *view, const QList<int> &rows)
{
    view->clearSelection();
    for (int row : rows)
        view->selectionModel()->select(view->model()->index(row, 0), QItemSelectionModel::Select);
}

void tst_frmlists::setCurrentSong(const QString &entry)
{
    const qsizetype dash = entry.indexOf(QStringLiteral(" - "));
    m_state->strCurrentFile = entry.isEmpty() ? QString() : s("/lyrics/") + entry + s(".txt");
    m_state->strCurrentArtist = entry.left(dash);
    m_state->strCurrentSong = entry.mid(dash + 3);
}

QByteArray tst_frmlists::fileOf(const char *name) const
{
    return test::readAll(m_lists->folder() + QString::fromLatin1(name));
}

void tst_frmlists::controlsCaptionsAndNames()
{
    QCOMPARE(m_window->objectName(), s("frmlists"));
    QCOMPARE(m_window->windowTitle(), s("Lists"));
    QVERIFY(m_window->isWindow());
    QCOMPARE(button("cmdDelete")->toolTip(), s("Delete Item"));
    QCOMPARE(button("cmdDelete")->accessibleName(), s("Delete Item"));
    QVERIFY(list("lstRedownload") && list("lstDeleted"));
    QCOMPARE(list("lstRedownload")->selectionMode(), QAbstractItemView::ExtendedSelection);
    QCOMPARE(list("lstDeleted")->selectionMode(), QAbstractItemView::ExtendedSelection);
    QVERIFY(child<QPlainTextEdit>("txtList"));
    QCOMPARE(child<QPlainTextEdit>("txtList")->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    auto *lblmain = child<QLabel>("lblmain");
    QVERIFY(lblmain);
    for (QWidget *w : m_window->findChildren<QWidget *>()) {
        if (w->objectName().isEmpty() || w->objectName().startsWith(u"qt_"))
            continue;
        QAccessibleInterface *a = QAccessible::queryAccessibleInterface(w);
        QVERIFY2(a && !a->text(QAccessible::Name).isEmpty(), qPrintable(w->objectName()));
    }
    QVERIFY(m_window->minimumWidth() >= 400 && m_window->minimumHeight() >= 250);
}

void tst_frmlists::showCorrectList_data()
{
    QTest::addColumn<bool>("showRedownload");
    QTest::addColumn<QStringList>("redownload");
    QTest::addColumn<QStringList>("deleted");
    QTest::addColumn<bool>("entryButtons");
    QTest::newRow("redownload, empty") << true << QStringList() << entries({"d - 1"}) << false;
    QTest::newRow("redownload, filled") << true << entries({"a - 1", "b - 2"}) << QStringList() << true;
    QTest::newRow("deleted, empty") << false << entries({"a - 1"}) << QStringList() << false;
    QTest::newRow("deleted, filled") << false << QStringList() << entries({"d - 1"}) << true;
    QTest::newRow("one empty entry counts") << true << QStringList{QString()} << QStringList() << true;
}

void tst_frmlists::showCorrectList()
{
    QFETCH(bool, showRedownload);
    QFETCH(QStringList, redownload);
    QFETCH(QStringList, deleted);
    QFETCH(bool, entryButtons);
    m_lists->redownload.assign(redownload);
    m_lists->deleted.assign(deleted);
    m_window->show();
    child<QPlainTextEdit>("txtList")->show();
    m_state->blnShowRedownloadList = showRedownload;
    m_window->ShowCorrectList();

    QVERIFY(!child<QPlainTextEdit>("txtList")->isVisible());
    QCOMPARE(button("cmdRedown")->isEnabled(), !showRedownload);
    QCOMPARE(button("cmdDelet")->isEnabled(), showRedownload);
    QCOMPARE(list("lstRedownload")->isVisible(), showRedownload);
    QCOMPARE(list("lstDeleted")->isVisible(), !showRedownload);
    for (const char *name : {"cmdDelete", "cmdClear", "cmdCreateFullList", "cmdCreateSelectedText"})
        QCOMPARE(button(name)->isEnabled(), entryButtons);
    QCOMPARE(list("lstRedownload")->model()->rowCount(), redownload.size());
    QCOMPARE(list("lstDeleted")->model()->rowCount(), deleted.size());
    const QString heading = showRedownload ? s("Marked for Redownload (") + QString::number(redownload.size())
                                           : s("Deleted Items (") + QString::number(deleted.size());
    QCOMPARE(child<QLabel>("lblShownList")->text(), heading + u')');
}

void tst_frmlists::listButtonsSwitchLists()
{
    m_lists->deleted.assign(entries({"d - 1"}));
    m_window->show();
    QVERIFY(m_state->blnShowRedownloadList);
    button("cmdDelet")->click();
    QVERIFY(!m_state->blnShowRedownloadList);
    QVERIFY(list("lstDeleted")->isVisible());
    QVERIFY(button("cmdClear")->isEnabled());
    button("cmdRedown")->click();
    QVERIFY(m_state->blnShowRedownloadList);
    QVERIFY(list("lstRedownload")->isVisible());
    QVERIFY(!button("cmdClear")->isEnabled());
}

void tst_frmlists::deleteSeveralSelected_data()
{
    QTest::addColumn<bool>("redownloadList");
    QTest::addColumn<QList<int>>("rows");
    QTest::addColumn<QStringList>("left");
    QTest::addColumn<bool>("deleteKey");
    QTest::newRow("first, middle, last") << true << QList<int>{0, 2, 4} << entries({"b - 2", "d - 4"}) << false;
    QTest::newRow("neighbours, Delete key") << true << QList<int>{1, 2} << entries({"a - 1", "d - 4", "e - 5"}) << true;
    QTest::newRow("all") << false << QList<int>{4, 3, 2, 1, 0} << QStringList() << false;
    QTest::newRow("none") << false << QList<int>{} << entries({"a - 1", "b - 2", "c - 3", "d - 4", "e - 5"}) << false;
}

void tst_frmlists::deleteSeveralSelected()
{
    QFETCH(bool, redownloadList);
    QFETCH(QList<int>, rows);
    QFETCH(QStringList, left);
    QFETCH(bool, deleteKey);
    SongList &songs = redownloadList ? m_lists->redownload : m_lists->deleted;
    songs.assign(entries({"a - 1", "b - 2", "c - 3", "d - 4", "e - 5"}));
    m_state->blnShowRedownloadList = redownloadList;
    m_window->ShowCorrectList();
    m_window->show();
    QListView *view = list(redownloadList ? "lstRedownload" : "lstDeleted");
    select(view, rows);
    if (deleteKey) {
        m_window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
        view->setFocus();
        QTest::keyClick(view, Qt::Key_Delete);
    } else {
        button("cmdDelete")->click();
    }

    QCOMPARE(songs.entries(), left);
    // The list's file follows at once.
    const QByteArray file = fileOf(redownloadList ? "redownload.txt" : "deleted.txt");
    QByteArray expected;
    for (const QString &e : left)
        expected += e.toLatin1() + "\r\n";
    QCOMPARE(file, expected);
    // ShowCorrectList ran: the entry buttons follow the list's emptiness.
    QCOMPARE(button("cmdClear")->isEnabled(), !left.isEmpty());
    QCOMPARE(view->model()->rowCount(), left.size());
}

void tst_frmlists::deleteReleasesOnlyForTheCurrentSong_data()
{
    QTest::addColumn<bool>("redownloadList");
    QTest::addColumn<QString>("current");
    QTest::addColumn<QList<int>>("rows");
    QTest::addColumn<int>("releases");
    QTest::newRow("current removed") << true << s("b - 2") << QList<int>{0, 1} << 1;
    QTest::newRow("current kept") << true << s("b - 2") << QList<int>{0, 2} << 0;
    QTest::newRow("current listed twice") << true << s("a - 1") << QList<int>{0, 3} << 1;
    QTest::newRow("no current song") << true << QString() << QList<int>{0, 1, 2, 3} << 0;
    QTest::newRow("deleted list") << false << s("b - 2") << QList<int>{1} << 0;
    QTest::newRow("case differs") << true << s("B - 2") << QList<int>{1} << 0;
}

void tst_frmlists::deleteReleasesOnlyForTheCurrentSong()
{
    QFETCH(bool, redownloadList);
    QFETCH(QString, current);
    QFETCH(QList<int>, rows);
    QFETCH(int, releases);
    const QStringList four = entries({"a - 1", "b - 2", "c - 3", "a - 1"});
    m_lists->redownload.assign(four);
    m_lists->deleted.assign(four);
    setCurrentSong(current);
    QSignalSpy released(m_window.get(), &frmlists::releaseMarkRedownload);
    m_state->blnShowRedownloadList = redownloadList;
    m_window->ShowCorrectList();
    select(list(redownloadList ? "lstRedownload" : "lstDeleted"), rows);
    button("cmdDelete")->click();
    QCOMPARE(released.size(), releases);
}

void tst_frmlists::clearReleasesTheButton()
{
    m_state->strCurrentFile = s("/lyrics/X - Y.txt");
    m_state->strCurrentArtist = s("X");
    m_state->strCurrentSong = s("Y");
    m_lists->redownload.assign(entries({"a - 1", "b - 2"}));
    m_window->ShowCorrectList();
    QSignalSpy released(m_window.get(), &frmlists::releaseMarkRedownload);
    button("cmdClear")->click();
    QVERIFY(m_lists->redownload.isEmpty());
    QCOMPARE(released.size(), 1); // even though X - Y was not listed
    QVERIFY(!button("cmdClear")->isEnabled());
    QVERIFY(!button("cmdDelete")->isEnabled());
    // The text-list buttons stay as they were.
    QVERIFY(button("cmdCreateFullList")->isEnabled());
    QVERIFY(button("cmdCreateSelectedText")->isEnabled());
    // An empty list has no file.
    QVERIFY(!QFileInfo::exists(m_lists->folder() + s("redownload.txt")));
}

void tst_frmlists::clearDeletedListKeepsTheButton()
{
    m_lists->deleted.assign(entries({"a - 1"}));
    m_state->blnShowRedownloadList = false;
    m_window->ShowCorrectList();
    QSignalSpy released(m_window.get(), &frmlists::releaseMarkRedownload);
    button("cmdClear")->click();
    QVERIFY(m_lists->deleted.isEmpty());
    QCOMPARE(released.size(), 0);
}

void tst_frmlists::textLists_data()
{
    QTest::addColumn<QStringList>("content");
    QTest::addColumn<bool>("full");
    QTest::addColumn<QList<int>>("rows");
    QTest::addColumn<QStringList>("lines");
    const QStringList three = entries({"a - 1", "b - 2", "c - 3"});
    QTest::newRow("full, three") << three << true << QList<int>{} << three;
    QTest::newRow("full, one") << entries({"a - 1"}) << true << QList<int>{} << entries({"a - 1"});
    QTest::newRow("selected, list order") << three << false << QList<int>{2, 0} << entries({"a - 1", "c - 3"});
    QTest::newRow("selected, one") << three << false << QList<int>{1} << entries({"b - 2"});
    QTest::newRow("empty entry kept") << QStringList{s("a - 1"), QString(), s("b - 2")} << true << QList<int>{}
                                      << QStringList{s("a - 1"), QString(), s("b - 2")};
}

void tst_frmlists::textLists()
{
    QFETCH(QStringList, content);
    QFETCH(bool, full);
    QFETCH(QList<int>, rows);
    QFETCH(QStringList, lines);
    m_lists->redownload.assign(content);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    m_window->activateWindow();
    select(list("lstRedownload"), rows);
    button(full ? "cmdCreateFullList" : "cmdCreateSelectedText")->click();

    auto *txtList = child<QPlainTextEdit>("txtList");
    // n entries, n - 1 line breaks, none after the last.
    QCOMPARE(txtList->toPlainText(), lines.join(u'\n'));
    QCOMPARE(txtList->document()->blockCount(), lines.size());
    QVERIFY(txtList->isVisible());
    QCOMPARE(txtList->textCursor().selectedText().size(), txtList->toPlainText().size());
    for (const char *name : {"cmdDelete", "cmdClear", "cmdCreateFullList", "cmdCreateSelectedText"})
        QVERIFY2(!button(name)->isEnabled(), name);
    QVERIFY(button("cmdRedown")->isEnabled());
    QVERIFY(button("cmdDelet")->isEnabled());
    QCOMPARE(content, m_lists->redownload.entries()); // the list is untouched

    // A list button goes back to a list.
    button("cmdRedown")->click();
    QVERIFY(!txtList->isVisible());
    QVERIFY(list("lstRedownload")->isVisible());
    QVERIFY(button("cmdClear")->isEnabled());
}

void tst_frmlists::textListWithoutSelectionOrEntries()
{
    auto *txtList = child<QPlainTextEdit>("txtList");
    m_lists->redownload.assign(entries({"a - 1"}));
    m_window->show();
    txtList->setPlainText(s("old"));
    button("cmdCreateSelectedText")->click(); // nothing selected
    QVERIFY(txtList->toPlainText().isEmpty());
    QVERIFY(!txtList->isVisible());
    QVERIFY(button("cmdClear")->isEnabled());

    button("cmdClear")->click(); // the full-list button stays enabled on an empty list
    QVERIFY(button("cmdCreateFullList")->isEnabled());
    txtList->setPlainText(s("old"));
    button("cmdCreateFullList")->click();
    QVERIFY(txtList->toPlainText().isEmpty());
    QVERIFY(!txtList->isVisible());
}

void tst_frmlists::hoverTexts_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("text");
    const QString window = s("Organize your deleted and marked for redownload lyrics list and drag-n-drop them "
                             "into Tunewright for redownloading.");
    QTest::newRow("cmdRedown") << s("cmdRedown") << s("View and organize the lyrics that you marked for redownload.");
    QTest::newRow("cmdClear") << s("cmdClear") << s("Delete all entries of the current list.");
    QTest::newRow("lstDeleted") << s("lstDeleted") << window;
    QTest::newRow("the window") << s("frmlists") << window;
}

void tst_frmlists::hoverTexts()
{
    QFETCH(QString, control);
    QFETCH(QString, text);
    m_window->show();
    auto *lblmain = child<QLabel>("lblmain");
    lblmain->setText(s("something else"));
    QWidget *target = control == u"frmlists" ? m_window.get() : m_window->findChild<QWidget *>(control);
    QVERIFY(target);
    if (auto *view = qobject_cast<QListView *>(target))
        target = view->viewport(); // the mouse is over the list's items
    const QPointF at(3, 3);
    if (target == m_window.get()) {
        QMouseEvent move(QEvent::MouseMove, at, target->mapToGlobal(at), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(target, &move);
    } else {
        QEnterEvent enter(at, at, target->mapToGlobal(at));
        QApplication::sendEvent(target, &enter);
    }
    QCOMPARE(lblmain->text(), text);
}

void tst_frmlists::closingOnlyHides()
{
    m_lists->redownload.assign(entries({"a - 1"}));
    m_window->show();
    QVERIFY(m_window->isVisible());
    QVERIFY(!m_window->close());
    QVERIFY(!m_window->isVisible());
    m_window->show();
    QCOMPARE(list("lstRedownload")->model()->rowCount(), 1);
    QCOMPARE(m_lists->redownload.entries(), entries({"a - 1"}));
}

void tst_frmlists::followsChangesFromTheMainWindow()
{
    m_window->show();
    QVERIFY(!button("cmdClear")->isEnabled());
    m_lists->redownload.append(s("x - y")); // the toolbar marked a song
    QVERIFY(button("cmdClear")->isEnabled());
    QCOMPARE(list("lstRedownload")->model()->index(0, 0).data().toString(), s("x - y"));
    m_lists->redownload.removeAll(s("x - y"));
    QVERIFY(!button("cmdClear")->isEnabled());

    // While a text list is shown it stays.
    m_lists->redownload.append(s("x - y"));
    button("cmdCreateFullList")->click();
    m_lists->redownload.append(s("z - w"));
    QVERIFY(child<QPlainTextEdit>("txtList")->isVisible());
}

void tst_frmlists::selectRedownloadEntry()
{
    m_lists->redownload.assign(entries({"a - 1", "b - 2", "c - 3"}));
    QListView *view = list("lstRedownload");
    select(view, {0, 1});
    m_window->selectRedownloadEntry(2);
    const QModelIndexList selected = view->selectionModel()->selectedRows();
    QCOMPARE(selected.size(), 1);
    QCOMPARE(selected.first().row(), 2);
    QCOMPARE(view->currentIndex().row(), 2);
    m_window->selectRedownloadEntry(7);
    QVERIFY(view->selectionModel()->selectedRows().isEmpty());
}

void tst_frmlists::entriesDragOutAsPlainText()
{
    m_lists->redownload.assign(entries({"a - 1", "b - 2", "c - 3"}));
    QListView *view = list("lstRedownload");
    QVERIFY(view->dragEnabled());
    QCOMPARE(view->dragDropMode(), QAbstractItemView::DragOnly);
    QAbstractItemModel *model = view->model();
    QCOMPARE(model->supportedDragActions(), Qt::CopyAction);
    QVERIFY(model->flags(model->index(0, 0)) & Qt::ItemIsDragEnabled);
    std::unique_ptr<QMimeData> mime(model->mimeData({model->index(2, 0), model->index(0, 0)}));
    QVERIFY(mime->hasText());
#ifdef Q_OS_WIN
    QCOMPARE(mime->text(), s("a - 1\r\nc - 3"));
#else
    QCOMPARE(mime->text(), s("a - 1\nc - 3"));
#endif
    QCOMPARE(model->mimeTypes(), QStringList{s("text/plain")});
}

// With STANZARY_SHOTS set: pictures of the window for a person to look at.
void tst_frmlists::screenshot()
{
    const QString folder = qEnvironmentVariable("STANZARY_SHOTS");
    if (folder.isEmpty())
        QSKIP("STANZARY_SHOTS not set");
    m_lists->redownload.assign(
        entries({"Amber Road - Quiet Harbour", "Nine Lanterns - Paper Moon Parade", "The Willow Set - Kettle Song",
                 "Amber Road - Late Train North", "Copper Fields - Window Light"}));
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    select(list("lstRedownload"), {1, 3});
    QVERIFY(m_window->grab().save(folder + s("/frmlists.png")));
    button("cmdCreateSelectedText")->click();
    QVERIFY(m_window->grab().save(folder + s("/frmlists-text.png")));
    m_window->resize(m_window->minimumSize());
    button("cmdDelet")->click();
    QVERIFY(m_window->grab().save(folder + s("/frmlists-min.png")));
}

QTEST_MAIN(tst_frmlists)
#include "tst_frmlists.moc"
