#include "ui/frmlists.h"

#include "store/SongNames.h"
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

QPushButton *makeButton(QWidget *parent, const QString &name, const QString &caption)
{
    auto *button = new QPushButton(caption, parent);
    button->setObjectName(name);
    button->setAccessibleName(caption);
    button->setAutoDefault(false);
    return button;
}

} // namespace

frmlists::frmlists(basMain &state, SongLists &lists, QWidget *parent)
    : QWidget(parent, Qt::Window), m_state(state), m_lists(lists)
{
    setObjectName(QStringLiteral("frmlists"));
    setWindowTitle(QStringLiteral("Lists"));
    setAccessibleName(QStringLiteral("Lists"));
    setWindowIcon(IconSet::toolbarIcon(QStringLiteral("Lists")));
    setMouseTracking(true);
    buildControls();

    connect(&m_lists.redownload, &SongList::changed, this, &frmlists::listChangedElsewhere);
    connect(&m_lists.deleted, &SongList::changed, this, &frmlists::listChangedElsewhere);
    ShowCorrectList();
}

frmlists::~frmlists() = default;

void frmlists::buildControls()
{
    lblmain = new QLabel(windowDescription(), this);
    lblmain->setObjectName(QStringLiteral("lblmain"));
    lblmain->setAccessibleName(QStringLiteral("Description"));
    lblmain->setWordWrap(true);
    lblmain->setFrameShape(QFrame::StyledPanel);
    lblmain->setMargin(6);
    lblmain->setMouseTracking(true);
    // Room for the longest description on two lines, so the window does not
    // jump while the mouse moves.
    lblmain->setMinimumHeight(lblmain->fontMetrics().lineSpacing() * 3 + 12);
    lblmain->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);

    m_redownloadModel = new SongListModel(m_lists.redownload, this);
    m_deletedModel = new SongListModel(m_lists.deleted, this);
    lstRedownload =
        makeList(this, QStringLiteral("lstRedownload"), QStringLiteral("Redownload List"), m_redownloadModel);
    lstDeleted = makeList(this, QStringLiteral("lstDeleted"), QStringLiteral("Deleted Items"), m_deletedModel);

    txtList = new QPlainTextEdit(this);
    txtList->setObjectName(QStringLiteral("txtList"));
    txtList->setAccessibleName(QStringLiteral("Text List"));
    txtList->setReadOnly(true);
    txtList->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    txtList->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);

    cmdRedown = makeButton(this, QStringLiteral("cmdRedown"), QStringLiteral("Redownload List"));
    cmdRedown->setIcon(IconSet::toolbarIcon(QStringLiteral("MarkRedownload")));
    cmdDelet = makeButton(this, QStringLiteral("cmdDelet"), QStringLiteral("Deleted Items"));
    cmdDelet->setIcon(IconSet::toolbarIcon(QStringLiteral("Delete")));
    cmdDelete = makeButton(this, QStringLiteral("cmdDelete"), QStringLiteral("X"));
    cmdDelete->setToolTip(QStringLiteral("Delete Item"));
    cmdDelete->setAccessibleName(QStringLiteral("Delete Item"));
    cmdClear = makeButton(this, QStringLiteral("cmdClear"), QStringLiteral("Clear"));
    cmdCreateFullList = makeButton(this, QStringLiteral("cmdCreateFullList"), QStringLiteral("Create Full Text List"));
    cmdCreateSelectedText =
        makeButton(this, QStringLiteral("cmdCreateSelectedText"), QStringLiteral("Create Selected TextList"));

    lblShownList = new QLabel(this);
    lblShownList->setObjectName(QStringLiteral("lblShownList"));
    lblShownList->setAccessibleName(QStringLiteral("Shown list"));
    QFont heading = lblShownList->font();
    heading.setBold(true);
    lblShownList->setFont(heading);

    // Top: the two list buttons. Middle: the shown list (or the text list
    // over it) with the entry buttons beside it. Description at the foot.
    auto *switches = new QHBoxLayout;
    switches->addWidget(cmdRedown);
    switches->addWidget(cmdDelet);
    switches->addStretch(1);

    auto *place = new QGridLayout; // the lists and the text list share one place
    place->addWidget(lstRedownload, 0, 0);
    place->addWidget(lstDeleted, 0, 0);
    place->addWidget(txtList, 0, 0);

    auto *entryButtons = new QVBoxLayout;
    entryButtons->addWidget(cmdDelete);
    entryButtons->addWidget(cmdClear);
    entryButtons->addSpacing(12);
    entryButtons->addWidget(cmdCreateFullList);
    entryButtons->addWidget(cmdCreateSelectedText);
    entryButtons->addStretch(1);

    auto *middle = new QHBoxLayout;
    middle->addLayout(place, 1);
    middle->addLayout(entryButtons);

    auto *root = new QVBoxLayout(this);
    root->addLayout(switches);
    root->addWidget(lblShownList);
    root->addLayout(middle, 1);
    root->addWidget(lblmain);

    setTabOrder(cmdRedown, cmdDelet);
    setTabOrder(cmdDelet, lstRedownload);
    setTabOrder(lstRedownload, lstDeleted);
    setTabOrder(lstDeleted, txtList);
    setTabOrder(txtList, cmdDelete);
    setTabOrder(cmdDelete, cmdClear);
    setTabOrder(cmdClear, cmdCreateFullList);
    setTabOrder(cmdCreateFullList, cmdCreateSelectedText);

    describe(cmdRedown, cmdRedown->objectName());
    describe(cmdDelet, cmdDelet->objectName());
    describe(cmdDelete, cmdDelete->objectName());
    describe(cmdClear, cmdClear->objectName());
    describe(cmdCreateFullList, cmdCreateFullList->objectName());
    describe(cmdCreateSelectedText, cmdCreateSelectedText->objectName());
    describe(lblmain, lblmain->objectName());
    describe(lstRedownload, lstRedownload->objectName());
    describe(lstDeleted, lstDeleted->objectName());

    connect(cmdRedown, &QPushButton::clicked, this, &frmlists::cmdRedown_Click);
    connect(cmdDelet, &QPushButton::clicked, this, &frmlists::cmdDelet_Click);
    connect(cmdDelete, &QPushButton::clicked, this, &frmlists::cmdDelete_Click);
    // The Delete key in a list does what "X" does.
    for (QListView *view : {lstRedownload, lstDeleted}) {
        auto *del = new QShortcut(QKeySequence::Delete, view, nullptr, nullptr, Qt::WidgetShortcut);
        connect(del, &QShortcut::activated, this, [this] {
            if (cmdDelete->isEnabled())
                cmdDelete_Click();
        });
    }
    connect(cmdClear, &QPushButton::clicked, this, &frmlists::cmdClear_Click);
    connect(cmdCreateFullList, &QPushButton::clicked, this, &frmlists::cmdCreateFullList_Click);
    connect(cmdCreateSelectedText, &QPushButton::clicked, this, &frmlists::cmdCreateSelectedText_Click);

    setMinimumSize(440, 300);
    resize(560, 380);
}

QString frmlists::descriptionFor(const QString &objectName)
{
    if (objectName == u"cmdRedown")
        return QStringLiteral("View and organize the lyrics that you marked for redownload.");
    if (objectName == u"cmdDelet")
        return QStringLiteral("View and organize the lyrics that you recently deleted.");
    if (objectName == u"cmdClear")
        return QStringLiteral("Delete all entries of the current list.");
    if (objectName == u"cmdDelete")
        return QStringLiteral("Delete selected entries of current list.");
    if (objectName == u"cmdCreateFullList")
        return QStringLiteral("Create a text list with all entries of current list.");
    if (objectName == u"cmdCreateSelectedText")
        return QStringLiteral("Create a text list with selected entries of current list.");
    return windowDescription();
}

// The control shows its description in lblmain while the mouse is over it.
// A list's mouse events arrive at its viewport, so that is watched too.
void frmlists::describe(QWidget *control, const QString &objectName)
{
    control->setAccessibleDescription(descriptionFor(objectName));
    control->installEventFilter(this);
    if (auto *view = qobject_cast<QListView *>(control))
        view->viewport()->installEventFilter(this);
}

bool frmlists::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Enter || event->type() == QEvent::MouseMove) {
        QObject *control = watched;
        if (watched == lstRedownload->viewport())
            control = lstRedownload;
        else if (watched == lstDeleted->viewport())
            control = lstDeleted;
        lblmain->setText(descriptionFor(control->objectName()));
    }
    return QWidget::eventFilter(watched, event);
}

void frmlists::mouseMoveEvent(QMouseEvent *event)
{
    lblmain->setText(windowDescription());
    QWidget::mouseMoveEvent(event);
}

void frmlists::closeEvent(QCloseEvent *event)
{
    // The lists stay loaded for the whole run; the close box only hides.
    event->ignore();
    hide();
}

void frmlists::setCurrentEntryProvider(std::function<QString()> provider)
{
    m_currentEntry = std::move(provider);
}

QString frmlists::currentEntry() const
{
    if (m_currentEntry)
        return m_currentEntry();
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
    return m_state.blnShowRedownloadList ? lstRedownload : lstDeleted;
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
    cmdDelete->setEnabled(enabled);
    cmdClear->setEnabled(enabled);
    cmdCreateFullList->setEnabled(enabled);
    cmdCreateSelectedText->setEnabled(enabled);
}

void frmlists::ShowCorrectList()
{
    txtList->hide();
    const bool redownload = m_state.blnShowRedownloadList;
    cmdRedown->setEnabled(!redownload);
    cmdDelet->setEnabled(redownload);
    lstRedownload->setVisible(redownload);
    lstDeleted->setVisible(!redownload);
    setListButtonsEnabled(!shownList().isEmpty());
    showListHeading();
}

// "Marked for Redownload (3)": which list is shown, and how long it is.
void frmlists::showListHeading()
{
    const QString name =
        m_state.blnShowRedownloadList ? QStringLiteral("Marked for Redownload") : QStringLiteral("Deleted Items");
    lblShownList->setText(name + QStringLiteral(" (") + QString::number(shownList().size()) + u')');
}

// A list changed by the main window while this window shows it: keep the
// buttons right (the window's own commands set them themselves).
void frmlists::listChangedElsewhere()
{
    if (!m_inCommand && !txtList->isVisible())
        ShowCorrectList();
    else
        showListHeading();
}

void frmlists::selectRedownloadEntry(int row)
{
    QItemSelectionModel *selection = lstRedownload->selectionModel();
    const QModelIndex index = m_redownloadModel->index(row, 0);
    if (!index.isValid()) {
        selection->clearSelection();
        return;
    }
    selection->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
    lstRedownload->scrollTo(index);
}

QString frmlists::textListOf(const QStringList &entries)
{
    return entries.join(QStringLiteral("\r\n"));
}

void frmlists::showTextList(const QString &text)
{
    txtList->setPlainText(text);
    setListButtonsEnabled(false);
    cmdDelet->setEnabled(true);
    cmdRedown->setEnabled(true);
    txtList->selectAll();
    txtList->show();
    txtList->raise();
    txtList->setFocus();
}

void frmlists::cmdRedown_Click()
{
    m_state.blnShowRedownloadList = true;
    ShowCorrectList();
    lstRedownload->setFocus();
}

void frmlists::cmdDelet_Click()
{
    m_state.blnShowRedownloadList = false;
    ShowCorrectList();
    lstDeleted->setFocus();
}

// Removes every selected entry of the shown list (in one change, so the
// list's file is written once).
void frmlists::cmdDelete_Click()
{
    m_inCommand = true;
    SongList &list = shownList();
    QListView *view = shownView();
    const QList<int> rows = selectedRows(view);
    if (!rows.isEmpty()) {
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
    m_inCommand = false;
    view->setFocus();
    ShowCorrectList();
}

void frmlists::cmdClear_Click()
{
    m_inCommand = true;
    const bool redownload = m_state.blnShowRedownloadList;
    shownList().clear();
    m_inCommand = false;
    if (redownload)
        emit releaseMarkRedownload();
    cmdClear->setEnabled(false);
    cmdDelete->setEnabled(false);
}

void frmlists::cmdCreateFullList_Click()
{
    txtList->clear();
    if (shownList().isEmpty())
        return;
    showTextList(textListOf(shownList().entries()));
}

void frmlists::cmdCreateSelectedText_Click()
{
    txtList->clear();
    const QList<int> rows = selectedRows(shownView());
    if (rows.isEmpty())
        return;
    QStringList entries;
    for (int row : rows)
        entries.append(shownList().at(row));
    showTextList(textListOf(entries));
}

} // namespace stanzary
