#include "ui/frmMain.h"

#include "app/ImageIndex.h"
#include "app/SongCommands.h"
#include "app/basMain.h"
#include "lists/SongLists.h"
#include "store/CollectionScan.h"
#include "ui/CountPanel.h"
#include "ui/IconSet.h"
#include "ui/MainToolbar.h"
#include "ui/NodeTreeModel.h"
#include "ui/SongDetailsView.h"
#include "ui/UserDialogs.h"
#include "ui/frmlists.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QShortcut>
#include <QSplitter>
#include <QTreeView>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace stanzary {

namespace {
constexpr double kTwipsPerPixel = 15.0;
// Stored values come from a settings file: anything not finite or far beyond
// any screen is held to a range that converts safely.
int toPixels(double twips)
{
    if (!std::isfinite(twips))
        return 0;
    return qRound(std::clamp(twips / kTwipsPerPixel, -100000.0, 100000.0));
}
double toTwips(int pixels)
{
    return pixels * kTwipsPerPixel;
}
} // namespace

frmMain::frmMain(basMain &state, SongLists &lists, UserDialogs &dialogs, QWidget *parent)
    : QMainWindow(parent), m_state(state), m_lists(lists), m_dialogs(dialogs)
{
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("ZEPH - Tunewright Stanzary"));
    setWindowIcon(IconSet::icon(Icon::HasTimestamps));
    m_model = new NodeTreeModel(state.nodes, this);
    buildLayout();
    connectTree();
    connectToolbar();
    setSongButtons(false);
    resize(toPixels(12500), toPixels(8500));
}

frmMain::~frmMain() = default;

void frmMain::buildLayout()
{
    auto *left = new QWidget(this);
    left->setObjectName(QStringLiteral("leftColumn"));
    picCountPanel = new CountPanel(left);

    lblSearch = new QLabel(QStringLiteral("Search:"), left);
    lblSearch->setObjectName(QStringLiteral("lblSearch"));
    txtSearch = new QLineEdit(left);
    txtSearch->setObjectName(QStringLiteral("txtSearch"));
    txtSearch->setAccessibleName(QStringLiteral("Search"));
    txtSearch->setClearButtonEnabled(true);
    txtSearch->setPlaceholderText(QStringLiteral("Artist or song (Ctrl+F)"));
    lblSearch->setBuddy(txtSearch);
    lblSearchResults = new QLabel(left);
    lblSearchResults->setObjectName(QStringLiteral("lblSearchResults"));
    lblSearchResults->setAccessibleName(QStringLiteral("Search results"));
    lblSearchResults->hide();

    lista = new QTreeView(left);
    lista->setObjectName(QStringLiteral("lista"));
    lista->setAccessibleName(QStringLiteral("Lyrics"));
    lista->setModel(m_model);
    lista->setHeaderHidden(true);
    lista->setUniformRowHeights(true);
    lista->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lista->setExpandsOnDoubleClick(false);
    lista->setSelectionMode(QAbstractItemView::SingleSelection);
    lista->setIconSize(QSize(16, 16));
    lista->header()->setStretchLastSection(true);

    auto *searchRow = new QHBoxLayout;
    searchRow->setSpacing(6);
    searchRow->addWidget(lblSearch);
    searchRow->addWidget(txtSearch, 1);

    auto *leftLayout = new QVBoxLayout(left);
    leftLayout->setContentsMargins(6, 6, 0, 6);
    leftLayout->setSpacing(6);
    leftLayout->addWidget(picCountPanel);
    leftLayout->addLayout(searchRow);
    leftLayout->addWidget(lblSearchResults);
    leftLayout->addWidget(lista, 1);

    // The toolbar spans the window, so that its ten captioned buttons fit
    // even at the first start's window size.
    tlbMain = new MainToolbar(this);
    addToolBar(Qt::TopToolBarArea, tlbMain);

    auto *right = new QWidget(this);
    right->setObjectName(QStringLiteral("rightColumn"));
    details = new SongDetailsView(right);
    auto *rightLayout = new QVBoxLayout(right);
    rightLayout->setContentsMargins(0, 6, 6, 6);
    rightLayout->setSpacing(4);
    rightLayout->addWidget(details, 1);

    m_splitter = new QSplitter(Qt::Horizontal, this);
    m_splitter->setObjectName(QStringLiteral("splitMain"));
    m_splitter->setChildrenCollapsible(false);
    m_splitter->addWidget(left);
    m_splitter->addWidget(right);
    m_splitter->setStretchFactor(1, 1);
    m_splitter->setHandleWidth(6);
    m_splitter->handle(1)->setObjectName(QStringLiteral("picSplit"));
    m_splitter->handle(1)->setAccessibleName(QStringLiteral("Splitter"));
    setCentralWidget(m_splitter);

    auto *find = new QShortcut(QKeySequence::Find, this);
    connect(find, &QShortcut::activated, this, [this] {
        txtSearch->setFocus(Qt::ShortcutFocusReason);
        txtSearch->selectAll();
    });
    auto *save = new QShortcut(QKeySequence::Save, this);
    connect(save, &QShortcut::activated, this, &frmMain::SaveCommand);
    // The Delete key on a song in the tree is the toolbar's Delete (the file
    // goes to the trash).
    auto *del = new QShortcut(QKeySequence::Delete, lista, nullptr, nullptr, Qt::WidgetShortcut);
    connect(del, &QShortcut::activated, this, [this] {
        if (tlbMain->button(QStringLiteral("Delete"))->isEnabled())
            DeleteCommand();
    });
    auto *help = new QShortcut(QKeySequence::HelpContents, this);
    connect(help, &QShortcut::activated, this, [this] { onButtonMenuClicked(QStringLiteral("Help")); });
}

void frmMain::setListsWindow(frmlists *listsWindow)
{
    m_listsWindow = listsWindow;
    connect(listsWindow, &frmlists::releaseMarkRedownload, this,
            [this] { tlbMain->setPressed(QStringLiteral("MarkRedownload"), false); });
}

// ---- configuration and layout ---------------------------------------------

void frmMain::applyConfig(const StoredGeometry &g)
{
    m_wantedSplit = g.SplitPos >= g.FrmWidth ? g.FrmWidth / 3.0 : g.SplitPos;
    if (g.FrmMaximized) {
        setWindowState(windowState() | Qt::WindowMaximized);
    } else {
        move(toPixels(g.FrmLeft), toPixels(g.FrmTop));
        resize(std::max(1, toPixels(g.FrmWidth)), std::max(1, toPixels(g.FrmHeight)));
        keepOnAScreen();
    }
    picCountPanel->setFirstLinesOnly(!m_state.blnCheckTimestampsAtStart);
    const bool search = m_state.blnEnableSearch;
    lblSearch->setVisible(search);
    txtSearch->setVisible(search);
    txtSearch->setEnabled(search);
    setSplitterLeft(toPixels(m_wantedSplit));
}

void frmMain::setSplitterLeft(int px)
{
    const int w = m_splitter->width() > 0 ? m_splitter->width() : width();
    m_splitter->setSizes({px, std::max(1, w - px - m_splitter->handleWidth())});
}

void frmMain::keepOnAScreen()
{
    // A window stored on a screen that is no longer there opens on the
    // primary one instead of out of reach.
    const QRect frame(pos(), size());
    const QList<QScreen *> screens = QGuiApplication::screens();
    for (const QScreen *screen : screens) {
        if (screen->availableGeometry().intersects(frame))
            return;
    }
    if (const QScreen *primary = QGuiApplication::primaryScreen())
        move(primary->availableGeometry().topLeft() + QPoint(40, 40));
}

StoredGeometry frmMain::currentGeometry() const
{
    StoredGeometry g;
    const QRect r = geometry();
    const QPoint p = pos();
    g.FrmLeft = toTwips(p.x());
    g.FrmTop = toTwips(p.y());
    g.FrmWidth = toTwips(r.width());
    g.FrmHeight = toTwips(r.height());
    g.SplitPos = splitPosition();
    g.FrmMaximized = isMaximized();
    return g;
}

double frmMain::splitPosition() const
{
    const QList<int> sizes = m_splitter->sizes();
    return sizes.isEmpty() ? 0 : toTwips(sizes.first());
}

void frmMain::DoSplit(double twips)
{
    const double inner = toTwips(m_splitter->width());
    const float low = static_cast<float>(inner * 0.1);
    const float high = static_cast<float>(inner * 0.9);
    if (twips < low || twips > high)
        return;
    setSplitterLeft(toPixels(twips));
}

void frmMain::keepSplitterInBand()
{
    // The splitter stays within 10%..90% of the inner width: each column
    // keeps at least a tenth of it.
    const int tenth = m_splitter->width() / 10;
    m_splitter->widget(0)->setMinimumWidth(tenth);
    m_splitter->widget(1)->setMinimumWidth(std::max(0, tenth - m_splitter->handleWidth()));
}

void frmMain::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    keepSplitterInBand();
}

void frmMain::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    if (m_wantedSplit >= 0) {
        keepSplitterInBand();
        setSplitterLeft(toPixels(m_wantedSplit));
        m_wantedSplit = -1;
    }
}

void frmMain::showCounts(const CountPanelTexts &texts)
{
    picCountPanel->showCounts(texts);
    if (!texts.indexRecordCount.isNull())
        picCountPanel->lblAvaliableCount->setProperty("tag", texts.indexRecordCount);
    const bool empty = texts.collectionEmpty;
    if (empty) {
        tlbMain->button(QStringLiteral("SearchKaraoke"))->setEnabled(false);
        txtSearch->setEnabled(false);
    } else {
        tlbMain->button(QStringLiteral("SearchKaraoke"))->setEnabled(true);
        txtSearch->setEnabled(m_state.blnEnableSearch);
    }
}

void frmMain::closeEvent(QCloseEvent *event)
{
    if (!confirmLeavingSong()) {
        event->ignore();
        return;
    }
    m_lists.SaveLists();
    SaveConfig(m_state, currentGeometry());
    if (m_listsWindow)
        m_listsWindow->close();
    event->accept();
    emit closed();
}

// ---- tree, search and details ----------------------------------------------

void frmMain::connectTree()
{
    lista->viewport()->installEventFilter(this);
    lista->installEventFilter(this);
    connect(lista->selectionModel(), &QItemSelectionModel::currentChanged, this, &frmMain::onCurrentChanged);
    connect(lista, &QTreeView::pressed, this, &frmMain::onPressed);
    connect(lista, &QTreeView::expanded, this, &frmMain::onExpanded);
    connect(lista, &QTreeView::collapsed, this, [this](const QModelIndex &index) {
        if (const int p = m_model->positionOfIndex(index))
            m_state.nodes.setExpanded(p, false);
    });
    connect(m_model, &QAbstractItemModel::modelReset, this, [this] {
        restoreExpansion();
        reselectCurrentSong();
    });
    connect(m_model, &NodeTreeModel::nodeCheckedByUser, this,
            [this](int position) { propagateCheck(m_state.nodes, position); });

    connect(txtSearch, &QLineEdit::textChanged, this, [this](const QString &text) {
        if (m_state.blnRealTimeSearch)
            FilterTree(text.trimmed());
    });
    connect(txtSearch, &QLineEdit::returnPressed, this, [this] {
        if (!m_state.blnRealTimeSearch)
            FilterTree(txtSearch->text().trimmed());
    });
}

bool frmMain::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == lista->viewport()) {
        if (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick)
            m_treeMouseDown = true;
        else if (event->type() == QEvent::MouseButtonRelease)
            m_treeMouseDown = false;
    } else if (watched == lista && event->type() == QEvent::KeyRelease) {
        if (static_cast<QKeyEvent *>(event)->key() == Qt::Key_F5) {
            RescanTree();
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void frmMain::BuildTree()
{
    // The scan adds its nodes in one bulk scope and then lets the window
    // paint once.
    stanzary::BuildTree(m_state, [this](const CountPanelTexts &t) { showCounts(t); });
}

void frmMain::RescanTree()
{
    if (!confirmLeavingSong())
        return;
    stanzary::RescanTree(m_state, [this](const CountPanelTexts &t) { showCounts(t); });
    // The search in effect still applies to the new tree, so that the tree,
    // the search box and the count line agree.
    m_search = SearchState();
    if (!m_appliedSearch.isEmpty())
        FilterTree(m_appliedSearch);
}

void frmMain::FilterTree(const QString &text)
{
    m_appliedSearch = text;
    const FilterResult result = stanzary::FilterTree(m_state, m_search, text);
    lblSearchResults->setText(result.countLine);
    lblSearchResults->setVisible(result.showLabel);
}

void frmMain::restoreExpansion()
{
    const NodeCollection &nodes = m_state.nodes;
    for (int p = 1; p <= nodes.count(); ++p) {
        if (nodes.at(p).expanded && nodes.childCount(p) > 0)
            lista->setExpanded(m_model->indexOfPosition(p), true);
    }
}

void frmMain::reselectCurrentSong()
{
    // After a rebuild the shown song stays selected when it is still there.
    const int p = m_state.strCurrentFile.isEmpty() ? 0 : m_state.nodes.positionOf(m_state.strCurrentKey);
    if (p > 0)
        selectInView(p);
}

void frmMain::selectInView(int position)
{
    const bool was = m_programmatic;
    m_programmatic = true;
    const QModelIndex index = m_model->indexOfPosition(position);
    lista->setCurrentIndex(index);
    lista->scrollTo(index);
    m_programmatic = was;
}

void frmMain::onCurrentChanged(const QModelIndex &current, const QModelIndex &)
{
    // Mouse presses are handled by onPressed, which follows.
    if (m_programmatic || m_treeMouseDown || !current.isValid())
        return;
    chooseNode(m_model->positionOfIndex(current), false);
}

void frmMain::onPressed(const QModelIndex &index)
{
    if (m_programmatic || !index.isValid())
        return;
    chooseNode(m_model->positionOfIndex(index), true);
    // A message box shown meanwhile swallows the button's release.
    m_treeMouseDown = false;
}

void frmMain::chooseNode(int position, bool fromMouse)
{
    if (position <= 0)
        return;
    const bool sameSong = !m_state.strCurrentFile.isEmpty() && m_state.nodes.at(position).key == m_state.strCurrentKey;
    if (!sameSong && !confirmLeavingSong()) {
        reselectCurrentSong();
        return;
    }
    NodeClick(position, fromMouse);
}

void frmMain::onExpanded(const QModelIndex &index)
{
    const int p = m_model->positionOfIndex(index);
    if (p <= 0)
        return;
    m_state.nodes.setExpanded(p, true);
    if (m_state.blnCheckUnfilteredSongs)
        checkUnfilteredSongs(m_state, p);
}

void frmMain::NodeClick(int position, bool fromMouse)
{
    if (position <= 0 || position > m_state.nodes.count())
        return;
    if (m_state.nodes.childCount(position) > 0)
        showArtistNode(position, fromMouse);
    else
        showSongNode(position);
}

void frmMain::showArtistNode(int position, bool fromMouse)
{
    const TreeNode &node = m_state.nodes.at(position);
    details->showArtist(node.text, m_state.nodes.childCount(position));
    if (fromMouse) {
        const QModelIndex index = m_model->indexOfPosition(position);
        lista->setExpanded(index, !lista->isExpanded(index));
    }
    SelectArtistNode(m_state);
    setSongButtons(false);
    details->showKaraokeFrame(false);
    details->setLyricsText(QString());
}

void frmMain::showSongNode(int position)
{
    SelectSongNode(m_state, position);
    details->showSongTitles(m_state.strCurrentArtist, m_state.strCurrentSong);
    const LyricsDetails d = ShowLyricsDetails(m_state);
    if (!d.fileFound)
        m_dialogs.critical(QStringLiteral("Tunewright Stanzary"), QStringLiteral("File wasn't found"));
    details->setLyricsText(d.text);
    details->lblArtist->setText(d.lblArtist);
    details->lblSong2->setText(d.lblSong2);
    details->lblKaraoke->setText(d.lblKaraoke);
    details->lblWebsite->setText(d.lblWebsite);
    details->lblBrowser->setText(d.lblBrowser);
    details->lblFilter->setText(d.lblFilter);
    // Long values are cut at the window's edge; the tool tip holds them whole.
    for (QLabel *value : {details->lblArtist, details->lblSong2, details->lblKaraoke, details->lblWebsite,
                          details->lblBrowser, details->lblFilter})
        value->setToolTip(value->text());
    if (d.hideKaraokeEditor)
        details->showKaraokeFrame(false);
    tlbMain->button(QStringLiteral("OpenInBrowser"))->setEnabled(d.webButtonsEnabled);
    tlbMain->button(QStringLiteral("VisitSite"))->setEnabled(d.webButtonsEnabled);

    tlbMain->button(QStringLiteral("Delete"))->setEnabled(true);
    tlbMain->button(QStringLiteral("MarkRedownload"))->setEnabled(true);
    tlbMain->setPressed(QStringLiteral("MarkRedownload"), false);
    markRedownloadFromList();
}

void frmMain::setSongButtons(bool songChosen)
{
    for (const char *key : {"Delete", "MarkRedownload", "OpenInBrowser", "VisitSite"})
        tlbMain->button(QString::fromLatin1(key))->setEnabled(songChosen);
    tlbMain->setPressed(QStringLiteral("MarkRedownload"), false);
}

bool frmMain::confirmLeavingSong()
{
    if (m_state.strCurrentFile.isEmpty() || !details->lyricsModified())
        return true;
    const Answer answer =
        m_dialogs.askYesNoCancel(QStringLiteral("Tunewright Stanzary"),
                                 QStringLiteral("Save changes to ") + currentListEntry(m_state) + QStringLiteral("?"));
    if (answer == Answer::Cancel)
        return false;
    if (answer == Answer::Yes)
        return SaveLyricsText(m_state.strCurrentFile);
    details->setLyricsModified(false);
    return true;
}

void frmMain::DisplaySpecificLyrics(const QString &strArtist, const QString &strSong)
{
    const int p = findSpecificSong(m_state.nodes, strArtist, strSong);
    if (p <= 0)
        return;
    const int artist = m_state.nodes.parentOf(p);
    if (artist > 0)
        lista->setExpanded(m_model->indexOfPosition(artist), true);
    selectInView(p);
    NodeClick(p, false);
}

} // namespace stanzary
