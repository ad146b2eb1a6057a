#pragma once

#include "app/basMain.h"
#include "lists/SongLists.h"

#include <QString>
#include <QWidget>

#include <functional>

class QLabel;
class QListView;
class QPlainTextEdit;
class QPushButton;

namespace stanzary {

class SongListModel;

// The lists window: the redownload list (lstRedownload) and the deleted list
// (lstDeleted) in one place, one shown at a time as state.blnShowRedownloadList
// says, with buttons to switch lists, remove the selected entries, clear the
// shown list and turn it (or its selection) into a text list (txtList) to
// copy from. Entries can be dragged out as plain text. Closing the window
// only hides it. The window works on the lists and the state it is given
// (neither owned; both must outlive it). It never asks or reports anything.
class frmlists : public QWidget
{
    Q_OBJECT

public:
    frmlists(basMain &state, SongLists &lists, QWidget *parent = nullptr);
    ~frmlists() override;

    // Makes the controls match blnShowRedownloadList and the shown list:
    // hides txtList, enables the other list's button, shows the chosen list
    // and enables the four list buttons only when that list has entries.
    void ShowCorrectList();

    // Where the window learns the main window's current song's list entry
    // ("Artist - Song"; empty when no song is chosen). Without one it is
    // taken from the state's current song.
    void setCurrentEntryProvider(std::function<QString()> provider);

    // Makes the redownload list's entry at row its only selected entry (the
    // main window does so for the song just chosen). Rows outside the list
    // clear the selection.
    void selectRedownloadEntry(int row);

    // The text list of entries: joined by CR LF, no CR LF after the last.
    static QString textListOf(const QStringList &entries);

    // The hover description of a control, by its object name; the window's
    // own description for "frmlists", "lblmain" and the two lists.
    static QString descriptionFor(const QString &objectName);

signals:
    // A removed or cleared redownload entry may have been the current song:
    // the main window releases its MarkRedownload button.
    void releaseMarkRedownload();

protected:
    void closeEvent(QCloseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildControls();
    void describe(QWidget *control, const QString &objectName);
    void setListButtonsEnabled(bool enabled);
    SongList &shownList() const;
    QListView *shownView() const;
    QString currentEntry() const;
    QList<int> selectedRows(QListView *view) const;
    void showTextList(const QString &text);
    void listChangedElsewhere();
    void showListHeading();

    void cmdRedown_Click();
    void cmdDelet_Click();
    void cmdDelete_Click();
    void cmdClear_Click();
    void cmdCreateFullList_Click();
    void cmdCreateSelectedText_Click();

    basMain &m_state;
    SongLists &m_lists;
    std::function<QString()> m_currentEntry;
    bool m_inCommand = false;

    QLabel *lblmain = nullptr;
    QLabel *lblShownList = nullptr; // which list is shown, with its length
    QListView *lstRedownload = nullptr;
    QListView *lstDeleted = nullptr;
    QPlainTextEdit *txtList = nullptr;
    QPushButton *cmdRedown = nullptr;
    QPushButton *cmdDelet = nullptr;
    QPushButton *cmdDelete = nullptr;
    QPushButton *cmdClear = nullptr;
    QPushButton *cmdCreateFullList = nullptr;
    QPushButton *cmdCreateSelectedText = nullptr;
    SongListModel *m_redownloadModel = nullptr;
    SongListModel *m_deletedModel = nullptr;
};

} // namespace stanzary
