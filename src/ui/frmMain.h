#pragma once

#include "app/Config.h"
#include "store/TreeSearch.h"

#include <QMainWindow>

class QLabel;
class QLineEdit;

namespace stanzary {

class basMain;
class ColumnSplitter;
class CountPanel;
class MainToolbar;
class NodeTreeModel;
class AudioPlayer;
class SongAudioCommand;
class SongDetailsView;
class SongLists;
class SongTree;
class ToolbarCommands;
class UserDialogs;
struct CountPanelTexts;
struct DeleteOutcome;

// The main window: count panel, search box and the tree `lista` on the left
// of a splitter; the toolbar across the top; the selection's details and the
// lyrics box on the right. It lays these out and wires them to the core
// procedures; the toolbar's song commands are ToolbarCommands. Other windows
// are not its business: it asks for them through the ...Requested signals,
// and a command whose window nobody offers (no connection) stays off.
class frmMain : public QMainWindow
{
    Q_OBJECT

public:
    frmMain(basMain &state, SongLists &lists, UserDialogs &dialogs, QWidget *parent = nullptr);
    ~frmMain() override;

    // Applies the stored geometry, the search layout and the count panel's
    // height (the window's part of reading the configuration).
    void applyConfig(const StoredGeometry &geometry);
    // The geometry as it is now, in twips, for saving.
    StoredGeometry currentGeometry() const;

    // Scans the lyrics folder into the tree and shows the counts.
    void BuildTree();
    // Clears the tree and scans again (F5), after asking about unsaved edits.
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

    // The shown song's audio plays through player (not owned).
    void setAudioPlayer(AudioPlayer *player);

    // The current song left the redownload list elsewhere.
    void releaseMarkRedownload();

signals:
    // The lists window, showing the redownload list or the deleted list.
    void listsRequested(bool redownload);
    void taggerRequested();
    void optionsRequested();
    // The About window, which also holds the icon legend.
    void aboutRequested();
    // The chosen song is the redownload list's entry at row.
    void redownloadEntryChosen(int row);
    // The window closed: lists and configuration are saved.
    void closed();

protected:
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    QWidget *buildLeftColumn();
    QWidget *buildRightColumn();
    void connectCommands();
    void connectTree();
    void offerWindowCommands();
    bool offers(void (frmMain::*request)()) const;
    void showCounts(const CountPanelTexts &texts);
    void showScanResult();

    void chooseNode(int position, bool fromMouse);
    void showArtistNode(int position, bool fromMouse);
    void showSongNode(int position);
    void showNothingChosen();
    void showDeletedSong(const DeleteOutcome &outcome);
    void setSongButtons(bool songChosen);

    // Edits are never lost silently: false when the user cancels. discarded
    // tells whether the user chose to throw the edits away.
    bool confirmLeavingSong(bool *discarded = nullptr);
    // The same for new lyrics typed while no song is shown, before a song's
    // text replaces them: Yes stores them with Save As.
    bool confirmDroppingNewLyrics();

    basMain &m_state;
    UserDialogs &m_dialogs;
    NodeTreeModel *m_model = nullptr;
    CountPanel *m_countPanel = nullptr;
    QLabel *m_searchLabel = nullptr;
    QLineEdit *m_searchBox = nullptr;
    QLabel *m_searchCountLine = nullptr;
    SongTree *m_tree = nullptr;
    MainToolbar *m_toolbar = nullptr;
    SongDetailsView *m_details = nullptr;
    ColumnSplitter *m_splitter = nullptr;
    ToolbarCommands *m_commands = nullptr;
    SongAudioCommand *m_audio = nullptr;

    SearchState m_search;
    QString m_appliedSearch;     // the text of the last filter pass
    QString m_chosenKey;         // the node whose details are shown (artist or song); empty for none
    bool m_searchFeature = true; // the search box as the configuration at start set it
};

} // namespace stanzary
