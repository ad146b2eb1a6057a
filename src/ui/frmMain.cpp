#include "ui/frmMain.h"

#include "app/ImageIndex.h"
#include "app/SongCommands.h"
#include "app/basMain.h"
#include "karaoke/KasFile.h"
#include "store/CollectionScan.h"
#include "store/HostStore.h"
#include "ui/ColumnSplitter.h"
#include "ui/CountPanel.h"
#include "ui/IconSet.h"
#include "ui/JoinCommand.h"
#include "ui/MainToolbar.h"
#include "ui/MainWindowTexts.h"
#include "ui/NodeTreeModel.h"
#include "ui/SongAudioCommand.h"
#include "ui/SongDetailsView.h"
#include "ui/SongTree.h"
#include "ui/ToolbarCommands.h"
#include "ui/Twips.h"
#include "ui/UserDialogs.h"
#include "ui/WindowPlacement.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMetaMethod>
#include <QShortcut>
#include <QVBoxLayout>

namespace stanzary {

namespace Texts = MainWindowTexts;

frmMain::frmMain(basMain &state, SongLists &lists, UserDialogs &dialogs, QWidget *parent)
    : QMainWindow(parent), m_state(state), m_dialogs(dialogs)
{
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("ZEPH - Tunewright Stanzary"));
    setWindowIcon(IconSet::icon(Icon::HasTimestamps));
    m_model = new NodeTreeModel(state.nodes, this);

    // The toolbar spans the window, so that its ten captioned buttons fit
    // even at the first start's window size.
    m_toolbar = new MainToolbar(this);
    addToolBar(Qt::TopToolBarArea, m_toolbar);
    m_splitter = new ColumnSplitter(buildLeftColumn(), buildRightColumn(), this);
    setCentralWidget(m_splitter);

    m_commands = new ToolbarCommands(state, lists, dialogs, *m_details, m_toolbar->actions(), this);
    new JoinCommand(state, dialogs, *m_model, *m_details, *m_toolbar->actions().joinLyrics, this);
    m_audio = new SongAudioCommand(state, *m_details, this);
    // Stamps created for a song show in the tree and the counts as a scan
    // would show them.
    connect(m_details, &SongDetailsView::timestampsCreated, this, [this] {
        m_state.blnHasTimestamps = true;
        showCounts(countCreatedTimestamps(m_state, m_state.nodes.positionOf(m_state.strCurrentKey)));
        m_details->showKaraokeState(QStringLiteral("Timestamps found"));
    });
    connectCommands();
    connectTree();
    setSongButtons(false);
    const StoredGeometry first = StoredGeometry::defaults();
    resize(twipsToPixels(first.FrmWidth), twipsToPixels(first.FrmHeight));
}

frmMain::~frmMain() = default;

QWidget *frmMain::buildLeftColumn()
{
    auto *left = new QWidget(this);
    left->setObjectName(QStringLiteral("leftColumn"));
    m_countPanel = new CountPanel(left);

    m_searchLabel = new QLabel(QStringLiteral("Search:"), left);
    m_searchLabel->setObjectName(QStringLiteral("lblSearch"));
    m_searchBox = new QLineEdit(left);
    m_searchBox->setObjectName(QStringLiteral("txtSearch"));
    m_searchBox->setAccessibleName(QStringLiteral("Search"));
    m_searchBox->setClearButtonEnabled(true);
    m_searchBox->setPlaceholderText(QStringLiteral("Artist or song (Ctrl+F)"));
    m_searchLabel->setBuddy(m_searchBox);
    // The count line's name is its text, so that a screen reader reads the
    // counts rather than a fixed name.
    m_searchCountLine = new QLabel(left);
    m_searchCountLine->setObjectName(QStringLiteral("lblSearchResults"));
    m_searchCountLine->setTextFormat(Qt::PlainText);
    m_searchCountLine->setAccessibleDescription(QStringLiteral("Search results"));
    m_searchCountLine->hide();

    m_tree = new SongTree(*m_model, left);

    auto *searchRow = new QHBoxLayout;
    searchRow->setSpacing(6);
    searchRow->addWidget(m_searchLabel);
    searchRow->addWidget(m_searchBox, 1);
    auto *layout = new QVBoxLayout(left);
    layout->setContentsMargins(6, 6, 0, 6);
    layout->setSpacing(6);
    layout->addWidget(m_countPanel);
    layout->addLayout(searchRow);
    layout->addWidget(m_searchCountLine);
    layout->addWidget(m_tree, 1);
    return left;
}

QWidget *frmMain::buildRightColumn()
{
    auto *right = new QWidget(this);
    right->setObjectName(QStringLiteral("rightColumn"));
    m_details = new SongDetailsView(m_dialogs, right);
    auto *layout = new QVBoxLayout(right);
    layout->setContentsMargins(0, 6, 6, 6);
    layout->setSpacing(4);
    layout->addWidget(m_details, 1);
    return right;
}

void frmMain::connectCommands()
{
    const MainActions &a = m_toolbar->actions();
    connect(m_commands, &ToolbarCommands::songDeleted, this, &frmMain::showDeletedSong);
    connect(m_commands, &ToolbarCommands::redownloadEntryChosen, this, &frmMain::redownloadEntryChosen);
    connect(a.lists, &QAction::triggered, this, [this] { emit listsRequested(m_state.blnShowRedownloadList); });
    connect(a.listRedownload, &QAction::triggered, this, [this] { emit listsRequested(true); });
    connect(a.listDeleted, &QAction::triggered, this, [this] { emit listsRequested(false); });
    connect(a.lyrics3, &QAction::triggered, this, &frmMain::taggerRequested);
    connect(a.optionsItem, &QAction::triggered, this, &frmMain::optionsRequested);
    connect(a.legend, &QAction::triggered, this, &frmMain::aboutRequested);
    connect(a.about, &QAction::triggered, this, &frmMain::aboutRequested);
    // Without an options window the button opens its drop-down, so that
    // Help and the other items stay within reach.
    connect(a.options, &QAction::triggered, this, [this] {
        if (offers(&frmMain::optionsRequested))
            emit optionsRequested();
        else
            m_toolbar->popUpMenuOf(m_toolbar->actions().options);
    });

    auto *find = new QShortcut(QKeySequence::Find, this);
    connect(find, &QShortcut::activated, this, [this] {
        m_searchBox->setFocus(Qt::ShortcutFocusReason);
        m_searchBox->selectAll();
    });
    connect(new QShortcut(QKeySequence::Save, this), &QShortcut::activated, m_commands, &ToolbarCommands::save);
    connect(new QShortcut(QKeySequence::HelpContents, this), &QShortcut::activated, a.help, &QAction::trigger);
}

bool frmMain::offers(void (frmMain::*request)()) const
{
    return isSignalConnected(QMetaMethod::fromSignal(request));
}

// Commands whose window is not offered (nothing connected to its request)
// are visibly off.
void frmMain::offerWindowCommands()
{
    const MainActions &a = m_toolbar->actions();
    a.optionsItem->setEnabled(offers(&frmMain::optionsRequested));
    a.legend->setEnabled(offers(&frmMain::aboutRequested));
    a.about->setEnabled(offers(&frmMain::aboutRequested));
    a.lyrics3->setEnabled(offers(&frmMain::taggerRequested));
}

void frmMain::setAudioPlayer(AudioPlayer *player)
{
    m_details->setAudioPlayer(player);
}

void frmMain::releaseMarkRedownload()
{
    m_commands->releaseMarkRedownload();
}

// ---- configuration and layout ---------------------------------------------

void frmMain::applyConfig(const StoredGeometry &g)
{
    placeWindow(*this, g);
    m_splitter->setLeftEdge(g.splitterStart());
    m_countPanel->setFirstLinesOnly(!m_state.blnCheckTimestampsAtStart);
    // The search feature is switched at start only (the options say so):
    // later scans keep what was set here.
    const bool search = m_state.blnEnableSearch;
    m_searchFeature = search;
    m_searchLabel->setVisible(search);
    m_searchBox->setVisible(search);
    m_searchBox->setEnabled(search);
}

StoredGeometry frmMain::currentGeometry() const
{
    StoredGeometry g;
    readPlacement(*this, g);
    g.SplitPos = m_splitter->leftEdge();
    return g;
}

double frmMain::splitPosition() const
{
    return m_splitter->leftEdge();
}

void frmMain::DoSplit(double twips)
{
    m_splitter->DoSplit(twips);
}

void frmMain::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    offerWindowCommands();
}

void frmMain::closeEvent(QCloseEvent *event)
{
    if (!confirmLeavingSong() || !confirmDroppingNewLyrics()) {
        event->ignore();
        return;
    }
    event->accept();
    emit closed();
}

// ---- scan and search -------------------------------------------------------

void frmMain::showCounts(const CountPanelTexts &texts)
{
    m_countPanel->showCounts(texts);
    m_toolbar->actions().searchKaraoke->setEnabled(!texts.collectionEmpty);
    m_searchBox->setEnabled(!texts.collectionEmpty && m_searchFeature);
}

void frmMain::showScanResult()
{
    QStringList notices;
    if (m_state.intLyricsCount <= 0)
        notices.append(collectionNotFoundNotice(m_state));
    if (const QString unlisted = unlistedLyricsNotice(m_state); !unlisted.isEmpty())
        notices.append(unlisted);
    m_details->showNotice(notices.join(QStringLiteral("\n\n")));
}

void frmMain::BuildTree()
{
    TreeScanCallbacks callbacks;
    callbacks.showCounts = [this](const CountPanelTexts &t) { showCounts(t); };
    // Paint the new tree and labels; keys and clicks wait until the scan
    // has returned, so that no command runs in the middle of it.
    callbacks.letPendingEventsRun = [] { QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents); };
    stanzary::BuildTree(m_state, callbacks);
    showScanResult();
}

void frmMain::RescanTree()
{
    bool discarded = false;
    if (!confirmLeavingSong(&discarded))
        return;
    m_state.nodes.clear();
    BuildTree();
    // The search in effect still applies to the new tree, so that the tree,
    // the search box and the count line agree.
    m_search = SearchState();
    if (!m_appliedSearch.isEmpty())
        FilterTree(m_appliedSearch);
    // The shown song is shown as its file now is (edits the user threw away
    // are gone from the box too); a song that is gone leaves nothing chosen.
    if (m_state.strCurrentFile.isEmpty())
        return;
    const int p = m_state.nodes.positionOf(m_state.strCurrentKey);
    if (p <= 0)
        showNothingChosen();
    else if (discarded)
        NodeClick(p, false);
}

void frmMain::FilterTree(const QString &text)
{
    m_appliedSearch = text;
    const FilterResult result = stanzary::FilterTree(m_state, m_search, text);
    m_searchCountLine->setText(result.countLine);
    m_searchCountLine->setVisible(result.showLabel);
}

// ---- tree and details -------------------------------------------------------

void frmMain::connectTree()
{
    connect(m_tree, &SongTree::nodeChosen, this, &frmMain::chooseNode);
    connect(m_tree, &SongTree::refreshRequested, this, &frmMain::RescanTree);
    connect(m_tree, &SongTree::deleteRequested, this, [this] {
        if (m_toolbar->actions().deleteSong->isEnabled())
            m_commands->deleteSong();
    });
    connect(m_tree, &SongTree::artistExpanded, this, [this](int p) { checkUnfilteredSongs(m_state, p); });
    // After a rebuild the shown song stays selected when it is still there.
    connect(m_model, &QAbstractItemModel::modelReset, this, [this] {
        if (!m_state.strCurrentFile.isEmpty())
            m_tree->selectPosition(m_state.nodes.positionOf(m_state.strCurrentKey));
    });
    connect(m_model, &NodeTreeModel::nodeCheckedByUser, this,
            [this](int position) { propagateCheck(m_state.nodes, position); });

    connect(m_searchBox, &QLineEdit::textChanged, this, [this](const QString &text) {
        if (m_state.blnRealTimeSearch)
            FilterTree(text.trimmed());
    });
    connect(m_searchBox, &QLineEdit::returnPressed, this, [this] {
        if (!m_state.blnRealTimeSearch)
            FilterTree(m_searchBox->text().trimmed());
    });
}

void frmMain::chooseNode(int position, bool fromMouse)
{
    if (position <= 0)
        return;
    const bool sameSong = !m_state.strCurrentFile.isEmpty() && m_state.nodes.at(position).key == m_state.strCurrentKey;
    // Choosing the shown song again keeps what the user is editing.
    if (sameSong && (m_details->lyricsModified() || m_details->stampsModified()))
        return;
    // New lyrics stay while artists are chosen; a song's text replaces them.
    const bool song = m_state.nodes.childCount(position) == 0;
    if ((!sameSong && !confirmLeavingSong()) || (song && !confirmDroppingNewLyrics())) {
        m_tree->selectPosition(m_state.nodes.positionOf(m_chosenKey));
        return;
    }
    NodeClick(position, fromMouse);
}

void frmMain::NodeClick(int position, bool fromMouse)
{
    if (position <= 0 || position > m_state.nodes.count())
        return;
    m_chosenKey = m_state.nodes.at(position).key;
    if (m_state.nodes.childCount(position) > 0)
        showArtistNode(position, fromMouse);
    else
        showSongNode(position);
}

void frmMain::showArtistNode(int position, bool fromMouse)
{
    m_details->showArtist(m_state.nodes.at(position).text, m_state.nodes.childCount(position));
    if (fromMouse)
        m_tree->setExpandedAt(position, !m_tree->isExpandedAt(position));
    SelectArtistNode(m_state);
    setSongButtons(false);
    m_toolbar->actions().lyrics3->setEnabled(false);
}

void frmMain::showSongNode(int position)
{
    SelectSongNode(m_state, position);
    const LyricsDetails d = ShowLyricsDetails(m_state);
    if (!d.fileFound && d.fileExists) {
        QString reason = d.readError;
        if (!reason.isEmpty())
            reason[0] = reason.at(0).toUpper();
        m_dialogs.critical(Texts::title(), Texts::fileUnreadable(m_state.strCurrentFile, reason));
    } else if (!d.fileFound) {
        m_dialogs.critical(Texts::title(), Texts::FileNotFound);
    }
    m_details->showSong(m_state.strCurrentArtist, m_state.strCurrentSong, d);
    m_details->showKaraokeFor(KasPathFor(m_state.strCurrentFile), d, m_state.blnLoadKasEditor, m_state.codePage);
    m_audio->showCurrentSong();
    const MainActions &a = m_toolbar->actions();
    a.openInBrowser->setEnabled(d.webButtonsEnabled);
    a.visitSite->setEnabled(d.webButtonsEnabled);
    a.deleteSong->setEnabled(true);
    a.markRedownload->setEnabled(true);
    a.markRedownload->setChecked(false);
    m_commands->showRedownloadMark();
    a.lyrics3->setEnabled(offers(&frmMain::taggerRequested));
}

void frmMain::showNothingChosen()
{
    m_chosenKey.clear();
    SelectArtistNode(m_state);
    m_tree->selectPosition(0);
    m_details->clear();
    setSongButtons(false);
}

void frmMain::showDeletedSong(const DeleteOutcome &out)
{
    showCounts(out.counts);
    if (out.nodeToChoose > 0) {
        NodeClick(out.nodeToChoose, false);
        m_tree->selectPosition(out.nodeToChoose);
    } else {
        showNothingChosen();
    }
}

void frmMain::setSongButtons(bool songChosen)
{
    const MainActions &a = m_toolbar->actions();
    for (QAction *action : {a.deleteSong, a.markRedownload, a.openInBrowser, a.visitSite})
        action->setEnabled(songChosen);
    a.markRedownload->setChecked(false);
}

bool frmMain::confirmLeavingSong(bool *discarded)
{
    if (discarded)
        *discarded = false;
    const bool lyrics = m_details->lyricsModified();
    const bool stamps = m_details->stampsModified();
    if (m_state.strCurrentFile.isEmpty() || (!lyrics && !stamps))
        return true;
    const Answer answer = m_dialogs.askYesNoCancel(Texts::title(), Texts::saveChangesTo(currentListEntry(m_state)));
    if (answer == Answer::Cancel)
        return false;
    // Yes saves what was edited, the lyrics and the stamps; when either
    // cannot be saved the user stays on the song.
    if (answer == Answer::Yes)
        return (!lyrics || m_commands->SaveLyricsText(m_state.strCurrentFile)) && (!stamps || m_details->saveStamps());
    if (discarded)
        *discarded = true;
    return true;
}

bool frmMain::confirmDroppingNewLyrics()
{
    if (!m_details->holdsUnsavedNewLyrics())
        return true;
    const Answer answer = m_dialogs.askYesNoCancel(Texts::title(), Texts::SaveNewLyrics);
    if (answer == Answer::Cancel)
        return false;
    return answer == Answer::No || m_commands->saveAs();
}

void frmMain::DisplaySpecificLyrics(const QString &strArtist, const QString &strSong)
{
    const int p = findSpecificSong(m_state.nodes, strArtist, strSong);
    if (p <= 0)
        return;
    const int artist = m_state.nodes.parentOf(p);
    if (artist > 0)
        m_tree->setExpandedAt(artist, true);
    m_tree->selectPosition(p);
    chooseNode(p, false);
}

} // namespace stanzary
