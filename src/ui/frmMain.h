#pragma once

#include "app/Config.h"
#include "store/TreeSearch.h"

#include <QMainWindow>

class QLabel;
class QLineEdit;
class QModelIndex;
class QSplitter;
class QTreeView;

namespace stanzary {

class basMain;
class CountPanel;
class frmlists;
class MainToolbar;
class NodeTreeModel;
class SongDetailsView;
class SongLists;
class UserDialogs;
struct CountPanelTexts;

// The main window: count panel, search box and the tree `lista` on the left
// of a splitter; the toolbar, the selection's details and the lyrics box on
// the right. It shows the shared state and hands user actions to the core
// procedures; the toolbar's commands live in frmMainCommands.cpp.
class frmMain : public QMainWindow
{
    Q_OBJECT

public:
    frmMain(basMain &state, SongLists &lists, UserDialogs &dialogs, QWidget *parent = nullptr);
    ~frmMain() override;

    // The lists window that the Lists button and the redownload marks use.
    void setListsWindow(frmlists *listsWindow);

    // Applies the stored geometry, the search layout and the count panel's
    // height (the window's part of reading the configuration).
    void applyConfig(const StoredGeometry &geometry);
    // The geometry as it is now, in twips, for saving.
    StoredGeometry currentGeometry() const;

    // Scans the lyrics folder into the tree and shows the counts.
    void BuildTree();
    // Clears the tree and scans again (F5).
    void RescanTree();
    // Narrows the tree to text, or restores it; shows the count line.
    void FilterTree(const QString &text);
    // Selects and shows one song; nothing when it is not in the tree.
    void DisplaySpecificLyrics(const QString &strArtist, const QString &strSong);
    // The node-click handling for the node at position.
    void NodeClick(int position, bool fromMouse);

    // Moves the splitter's left edge (twips) when it lies within 10%..90% of
    // the inner width.
    void DoSplit(double twips);
    double splitPosition() const; // twips

    QTreeView *lista = nullptr;
    QLineEdit *txtSearch = nullptr;
    QLabel *lblSearch = nullptr;
    QLabel *lblSearchResults = nullptr;
    CountPanel *picCountPanel = nullptr;
    MainToolbar *tlbMain = nullptr;
    SongDetailsView *details = nullptr;
    NodeTreeModel *model() const { return m_model; }

signals:
    // The window closed: lists and configuration are saved.
    void closed();

protected:
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildLayout();
    void connectTree();
    void connectToolbar();
    void showCounts(const CountPanelTexts &texts);
    void keepSplitterInBand();
    void keepOnAScreen();
    void setSplitterLeft(int px);

    // Tree and details.
    void onCurrentChanged(const QModelIndex &current, const QModelIndex &previous);
    void onPressed(const QModelIndex &index);
    void onExpanded(const QModelIndex &index);
    void chooseNode(int position, bool fromMouse);
    void showArtistNode(int position, bool fromMouse);
    void showSongNode(int position);
    void selectInView(int position);
    void reselectCurrentSong();
    void restoreExpansion();
    void setSongButtons(bool songChosen);

    // Edits are never lost silently: false when the user cancels.
    bool confirmLeavingSong();

    // Toolbar commands (frmMainCommands.cpp).
    void onButtonClicked(const QString &key, bool checked);
    void onButtonMenuClicked(const QString &key);
    void SaveCommand();
    bool SaveLyricsText(const QString &path);
    void DeleteCommand();
    void MarkRedownload(bool pressed);
    void ShowLists(bool redownload);
    void OpenInShell(const QString &address);
    void markRedownloadFromList();

    basMain &m_state;
    SongLists &m_lists;
    UserDialogs &m_dialogs;
    frmlists *m_listsWindow = nullptr;
    NodeTreeModel *m_model = nullptr;
    QSplitter *m_splitter = nullptr;
    SearchState m_search;
    QString m_appliedSearch; // the text of the last filter pass

    bool m_treeMouseDown = false; // blnTreeMouseDown
    bool m_programmatic = false;  // selection changes made by the window itself
    double m_wantedSplit = -1;    // twips, applied once the window has its size
};

} // namespace stanzary
