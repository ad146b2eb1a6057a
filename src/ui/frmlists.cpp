#include "ui/frmlists.h"

#include "store/SongNames.h"
#include "ui/Controls.h"
#include "ui/IconSet.h"
#include "ui/SongListModel.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QItemSelectionModel>
#include <QLabel>
#include <QListView>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QShortcut>
#include <QVBoxLayout>

#include <algorithm>

namespace stanzary {

namespace {

QString windowDescription()
{
    return QStringLiteral("Organize your deleted and marked for redownload lyrics list and drag-n-drop them into "
                          "Tunewright for redownloading.");
}

QListView *makeList(QWidget *parent, const QString &name, const QString &accessibleName, SongListModel *model)
{
    auto *view = new QListView(parent);
    view->setObjectName(name);
    view->setAccessibleName(accessibleName);
    view->setModel(model);
    view->setSelectionMode(QAbstractItemView::ExtendedSelection);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setUniformItemSizes(true);
    // Entries can be dragged into the host as text; the list keeps them.
    view->setDragEnabled(true);
    view->setDragDropMode(QAbstractItemView::DragOnly);
    view->setDefaultDropAction(Qt::CopyAction);
    return view;
}

// The text list of entries: joined by CR LF, no CR LF after the last.
QString textListOfEntries(const QStringList &entries)
{
    return entries.join(QStringLiteral("\r\n"));
}

} // namespace

frmlists::frmlists(basMain &state, SongLists &lists, QWidget *parent)
    : QWidget(parent, Qt::Window), m_state(state), m_lists(lists)
{
    setObjectName(QStringLiteral("frmlists"));
    setWindowTitle(QStringLiteral("Lists"));
    setAccessibleName(QStringLiteral("Lists"));
    setWindowIcon(IconSet::icon(ToolbarIcon::Lists));
    setMouseTracking(true);
    buildControls();
    layOutControls();

    connect(&m_lists.redownload, &SongList::changed, this, &frmlists::listChangedElsewhere);
    connect(&m_lists.deleted, &SongList::changed, this, &frmlists::listChangedElsewhere);
    ShowCorrectList();
}

frmlists::~frmlists() = default;

void frmlists::buildControls()
{
    m_description = new QLabel(windowDescription(), this);
    m_description->setObjectName(QStringLiteral("lblmain"));
    m_description->setWordWrap(true);
    m_description->setFrameShape(QFrame::StyledPanel);
    m_description->setMargin(6);
    m_description->setMouseTracking(true);
    // Room for the longest description on two lines, so the window does not
    // jump while the mouse moves.
    m_description->setMinimumHeight(m_description->fontMetrics().lineSpacing() * 3 + 12);
    m_description->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);

    m_redownloadModel = new SongListModel(m_lists.redownload, this);
    m_deletedModel = new SongListModel(m_lists.deleted, this);
    m_redownloadView =
        makeList(this, QStringLiteral("lstRedownload"), QStringLiteral("Redownload List"), m_redownloadModel);
    m_deletedView = makeList(this, QStringLiteral("lstDeleted"), QStringLiteral("Deleted Items"), m_deletedModel);

    m_textList = new QPlainTextEdit(this);
    m_textList->setObjectName(QStringLiteral("txtList"));
    m_textList->setAccessibleName(QStringLiteral("Text List"));
    m_textList->setReadOnly(true);
    m_textList->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_textList->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);

    m_showRedownload = makeButton(this, QStringLiteral("cmdRedown"), QStringLiteral("Redownload List"));
    m_showRedownload->setIcon(IconSet::icon(ToolbarIcon::MarkRedownload));
    m_showDeleted = makeButton(this, QStringLiteral("cmdDelet"), QStringLiteral("Deleted Items"));
    m_showDeleted->setIcon(IconSet::icon(ToolbarIcon::Delete));
    m_removeEntries = makeButton(this, QStringLiteral("cmdDelete"), QStringLiteral("X"));
    m_removeEntries->setToolTip(QStringLiteral("Delete Item"));
    m_removeEntries->setAccessibleName(QStringLiteral("Delete Item"));
    m_clearList = makeButton(this, QStringLiteral("cmdClear"), QStringLiteral("Clear"));
    m_fullTextList = makeButton(this, QStringLiteral("cmdCreateFullList"), QStringLiteral("Create Full Text List"));
    m_selectedTextList =
        makeButton(this, QStringLiteral("cmdCreateSelectedText"), QStringLiteral("Create Selected TextList"));

    // The heading's name is its text, so that a screen reader reads which
    // list is shown and how long it is.
    m_heading = new QLabel(this);
    m_heading->setObjectName(QStringLiteral("lblShownList"));
    m_heading->setTextFormat(Qt::PlainText);
    m_heading->setAccessibleDescription(QStringLiteral("Shown list"));
    QFont heading = m_heading->font();
    heading.setBold(true);
    m_heading->setFont(heading);

    describe(m_showRedownload, QStringLiteral("View and organize the lyrics that you marked for redownload."));
    describe(m_showDeleted, QStringLiteral("View and organize the lyrics that you recently deleted."));
    describe(m_removeEntries, QStringLiteral("Delete selected entries of current list."));
    describe(m_clearList, QStringLiteral("Delete all entries of the current list."));
    describe(m_fullTextList, QStringLiteral("Create a text list with all entries of current list."));
    describe(m_selectedTextList, QStringLiteral("Create a text list with selected entries of current list."));
    describe(m_description, windowDescription());
    describe(m_redownloadView, windowDescription());
    describe(m_deletedView, windowDescription());

    connect(m_showRedownload, &QPushButton::clicked, this, &frmlists::cmdRedown_Click);
    connect(m_showDeleted, &QPushButton::clicked, this, &frmlists::cmdDelet_Click);
    connect(m_removeEntries, &QPushButton::clicked, this, &frmlists::cmdDelete_Click);
    // The Delete key in a list does what "X" does.
    for (QListView *view : {m_redownloadView, m_deletedView}) {
        auto *del = new QShortcut(QKeySequence::Delete, view, nullptr, nullptr, Qt::WidgetShortcut);
        connect(del, &QShortcut::activated, this, [this] {
            if (m_removeEntries->isEnabled())
                cmdDelete_Click();
        });
    }
    connect(m_clearList, &QPushButton::clicked, this, &frmlists::cmdClear_Click);
    connect(m_fullTextList, &QPushButton::clicked, this, &frmlists::cmdCreateFullList_Click);
    connect(m_selectedTextList, &QPushButton::clicked, this, &frmlists::cmdCreateSelectedText_Click);
}

// Top: the two list buttons. Middle: the shown list (or the text list over
// it) with the entry buttons beside it. Description at the foot.
void frmlists::layOutControls()
{
    auto *switches = new QHBoxLayout;
    switches->addWidget(m_showRedownload);
    switches->addWidget(m_showDeleted);
    switches->addStretch(1);

    auto *place = new QGridLayout; // the lists and the text list share one place
    place->addWidget(m_redownloadView, 0, 0);
    place->addWidget(m_deletedView, 0, 0);
    place->addWidget(m_textList, 0, 0);

    auto *entryButtons = new QVBoxLayout;
    entryButtons->addWidget(m_removeEntries);
    entryButtons->addWidget(m_clearList);
    entryButtons->addSpacing(12);
    entryButtons->addWidget(m_fullTextList);
    entryButtons->addWidget(m_selectedTextList);
    entryButtons->addStretch(1);

    auto *middle = new QHBoxLayout;
    middle->addLayout(place, 1);
    middle->addLayout(entryButtons);

    auto *root = new QVBoxLayout(this);
    root->addLayout(switches);
    root->addWidget(m_heading);
    root->addLayout(middle, 1);
    root->addWidget(m_description);

    setTabOrder(m_showRedownload, m_showDeleted);
    setTabOrder(m_showDeleted, m_redownloadView);
    setTabOrder(m_redownloadView, m_deletedView);
    setTabOrder(m_deletedView, m_textList);
    setTabOrder(m_textList, m_removeEntries);
    setTabOrder(m_removeEntries, m_clearList);
    setTabOrder(m_clearList, m_fullTextList);
    setTabOrder(m_fullTextList, m_selectedTextList);

    setMinimumSize(440, 300);
    resize(560, 380);
}

// The control shows its description in lblmain while the mouse is over it.
// A list's mouse events arrive at its viewport, so that is watched too.
void frmlists::describe(QWidget *control, const QString &description)
{
    control->setAccessibleDescription(description);
    m_descriptionOf.insert(control, description);
    control->installEventFilter(this);
    if (auto *view = qobject_cast<QListView *>(control)) {
        m_descriptionOf.insert(view->viewport(), description);
        view->viewport()->installEventFilter(this);
    }
}

bool frmlists::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Enter || event->type() == QEvent::MouseMove) {
        const auto it = m_descriptionOf.constFind(watched);
        if (it != m_descriptionOf.constEnd())
            m_description->setText(it.value());
    }
    return QWidget::eventFilter(watched, event);
}

void frmlists::mouseMoveEvent(QMouseEvent *event)
{
    m_description->setText(windowDescription());
    QWidget::mouseMoveEvent(event);
}

void frmlists::closeEvent(QCloseEvent *event)
{
    // The lists stay loaded for the whole run; the close box only hides.
    event->ignore();
    hide();
}

QString frmlists::currentEntry() const
{
    if (m_state.strCurrentFile.isEmpty())
        return QString();
    return listEntry(m_state.strCurrentArtist, m_state.strCurrentSong);
}

SongList &frmlists::shownList() const
{
    return m_state.blnShowRedownloadList ? m_lists.redownload : m_lists.deleted;
}

QListView *frmlists::shownView() const
{
    return m_state.blnShowRedownloadList ? m_redownloadView : m_deletedView;
}

QList<int> frmlists::selectedRows(QListView *view) const
{
    QList<int> rows;
    for (const QModelIndex &i : view->selectionModel()->selectedRows())
        rows.append(i.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

void frmlists::setListButtonsEnabled(bool enabled)
{
    m_removeEntries->setEnabled(enabled);
    m_clearList->setEnabled(enabled);
    m_fullTextList->setEnabled(enabled);
    m_selectedTextList->setEnabled(enabled);
}

void frmlists::ShowCorrectList()
{
    m_textList->hide();
    const bool redownload = m_state.blnShowRedownloadList;
    m_showRedownload->setEnabled(!redownload);
    m_showDeleted->setEnabled(redownload);
    m_redownloadView->setVisible(redownload);
    m_deletedView->setVisible(!redownload);
    setListButtonsEnabled(!shownList().isEmpty());
    showListHeading();
}

// "Marked for Redownload (3)": which list is shown, and how long it is.
void frmlists::showListHeading()
{
    const QString name =
        m_state.blnShowRedownloadList ? QStringLiteral("Marked for Redownload") : QStringLiteral("Deleted Items");
    m_heading->setText(name + QStringLiteral(" (") + QString::number(shownList().size()) + u')');
}

// A list changed by the main window while this window shows it: keep the
// buttons right (the window's own commands set them themselves).
void frmlists::listChangedElsewhere()
{
    if (!m_inCommand && !m_textList->isVisible())
        ShowCorrectList();
    else
        showListHeading();
}

void frmlists::selectRedownloadEntry(int row)
{
    QItemSelectionModel *selection = m_redownloadView->selectionModel();
    const QModelIndex index = m_redownloadModel->index(row, 0);
    if (!index.isValid()) {
        selection->clearSelection();
        return;
    }
    selection->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
    m_redownloadView->scrollTo(index);
}

void frmlists::showTextList(const QString &text)
{
    m_textList->setPlainText(text);
    setListButtonsEnabled(false);
    m_showDeleted->setEnabled(true);
    m_showRedownload->setEnabled(true);
    m_textList->selectAll();
    m_textList->show();
    m_textList->raise();
    m_textList->setFocus();
}

void frmlists::cmdRedown_Click()
{
    m_state.blnShowRedownloadList = true;
    ShowCorrectList();
    m_redownloadView->setFocus();
}

void frmlists::cmdDelet_Click()
{
    m_state.blnShowRedownloadList = false;
    ShowCorrectList();
    m_deletedView->setFocus();
}

// Removes every selected entry of the shown list (in one change, so the
// list's file is written once).
void frmlists::cmdDelete_Click()
{
    SongList &list = shownList();
    QListView *view = shownView();
    const QList<int> rows = selectedRows(view);
    if (!rows.isEmpty()) {
        const QScopedValueRollback<bool> ownCommand(m_inCommand, true);
        QStringList remaining = list.entries();
        bool removesCurrent = false;
        const QString current = currentEntry();
        for (auto it = rows.crbegin(); it != rows.crend(); ++it) {
            if (*it >= remaining.size())
                continue;
            removesCurrent = removesCurrent || (!current.isEmpty() && remaining.at(*it) == current);
            remaining.removeAt(*it);
        }
        if (removesCurrent && &list == &m_lists.redownload)
            emit releaseMarkRedownload();
        list.assign(remaining);
    }
    view->setFocus();
    ShowCorrectList();
}

void frmlists::cmdClear_Click()
{
    const bool redownload = m_state.blnShowRedownloadList;
    {
        const QScopedValueRollback<bool> ownCommand(m_inCommand, true);
        shownList().clear();
    }
    if (redownload)
        emit releaseMarkRedownload();
    m_clearList->setEnabled(false);
    m_removeEntries->setEnabled(false);
}

void frmlists::cmdCreateFullList_Click()
{
    m_textList->clear();
    if (shownList().isEmpty())
        return;
    showTextList(textListOfEntries(shownList().entries()));
}

void frmlists::cmdCreateSelectedText_Click()
{
    m_textList->clear();
    const QList<int> rows = selectedRows(shownView());
    if (rows.isEmpty())
        return;
    QStringList entries;
    for (int row : rows)
        entries.append(shownList().at(row));
    showTextList(textListOfEntries(entries));
}

} // namespace stanzary
