#pragma once

#include "app/basMain.h"
#include "platform/TailJournal.h"
#include "tagger/EntryWordIndex.h"
#include "tagger/TagEntry.h"

#include <QList>
#include <QString>
#include <QWidget>

class QGroupBox;
class QLabel;
class QModelIndex;
class QPlainTextEdit;
class QCheckBox;
class QPushButton;
class QStackedWidget;
class QTreeView;

namespace stanzary {

class PathButton;
class TaggerInfoPanel;
class TaggerRowModel;
class UserDialogs;
struct TaggerRow;

// The Lyrics3 tagging window: the user chooses a folder of MP3 files (step
// one; the files are matched to the collection), checks the rows to tag (step
// two) and tags them (step three), and can look at a row's details, pick
// another of its candidate songs, show the song in the main window and read
// the lyrics an MP3 file already holds.
//
// The songs are those of state.nodes when the window is shown (it reads them
// again after it was closed). The window works on the state and the dialogs it
// is given (neither owned; both must outlive it); every question goes through
// the dialogs. Closing the window empties its list and hides it; a scan that
// runs then stops after its current file, and a tagging finishes its files;
// the list is emptied once they are over.
class frmTags : public QWidget
{
    Q_OBJECT

public:
    frmTags(basMain &state, UserDialogs &dialogs, QWidget *parent = nullptr);
    ~frmTags() override;

    // Where tagging keeps its rollback journals (the per-user default unless
    // set).
    void setTailJournal(const TailJournal &journal) { m_journal = journal; }

    // What the window is doing: nothing chosen yet, matching a folder,
    // showing its rows, showing the lyrics saved in a file, tagging, or
    // showing the tagging's log.
    enum class Phase { NoFolder, Scanning, List, SavedLyrics, Tagging, Log };
    Phase phase() const { return m_phase; }
    bool isScanning() const { return m_phase == Phase::Scanning; }
    bool isTagging() const { return m_phase == Phase::Tagging; }

signals:
    // "Display lyrics": the main window selects and shows this song.
    void displayLyricsRequested(const QString &artist, const QString &song);

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildControls();
    QGroupBox *buildBrowseFrame();
    QGroupBox *buildSelectFrame();
    QGroupBox *buildCheckFrame();
    void buildList();

    void loadEntries();
    void resetToStart();
    bool isBusy() const { return isScanning() || isTagging(); }
    void finishClosedWhileBusy();
    // Shows what the phase shows and enables what may be used in it.
    void enterPhase(Phase phase);
    void enableTagButton();
    void highlightStep(int step);
    void showCheckedCount(int count);
    int currentRow() const;

    void browseForFolderClicked();
    void runScan(const QString &folder);
    void rowClicked(const QModelIndex &index);
    void candidateChosen(int entryIndex);
    void headerClicked(int section);
    void selectRowsWhere(bool (*qualifies)(const TaggerRow &row));
    void invertSelection();
    void checkSelected(bool checked);
    void displayLyricsClicked();
    void displaySavedLyricsClicked();
    void tagButtonClicked();
    void tagCheckedRows();
    void returnFromLog();

    basMain &m_state;
    UserDialogs &m_dialogs;
    TailJournal m_journal;
    QList<TagEntry> m_entries;
    EntryWordIndex m_index;
    bool m_loaded = false;
    Phase m_phase = Phase::NoFolder;
    bool m_stopRequested = false;
    bool m_closedWhileBusy = false; // closed during a scan or a tagging
    QString m_scanStatus;           // the last scan's final status
    QString m_folder;               // the folder last scanned (the folder button shows it)

    TaggerRowModel *m_model = nullptr;

    QLabel *m_stepOne = nullptr;
    QLabel *m_stepTwo = nullptr;
    QLabel *m_stepThree = nullptr;
    QGroupBox *m_browseFrame = nullptr;
    PathButton *m_folderButton = nullptr;
    QLabel *m_status = nullptr;
    QGroupBox *m_selectFrame = nullptr;
    QGroupBox *m_checkFrame = nullptr;
    QLabel *m_checkedLabel = nullptr;
    QPushButton *m_tagButton = nullptr;
    QCheckBox *m_id3v2Option = nullptr; // "Also write ID3v2 lyrics"
    QCheckBox *m_lrcOption = nullptr;   // "Also write .lrc files"
    QGroupBox *m_infoFrame = nullptr;
    TaggerInfoPanel *m_info = nullptr;
    QStackedWidget *m_listArea = nullptr;
    QTreeView *m_list = nullptr;
    QPlainTextEdit *m_textView = nullptr;
    QLabel *m_scanningNote = nullptr;
};

} // namespace stanzary
