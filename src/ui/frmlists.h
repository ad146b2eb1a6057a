#pragma once

#include "app/basMain.h"
#include "lists/SongLists.h"

#include <QHash>
#include <QString>
#include <QWidget>

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
// copy from (controls named lstRedownload, lstDeleted, txtList, cmdRedown,
// cmdDelet, cmdDelete, cmdClear, cmdCreateFullList, cmdCreateSelectedText,
// lblmain). Entries can be dragged out as plain text. Closing the window
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

    // Makes the redownload list's entry at row its only selected entry (the
    // main window does so for the song just chosen). Rows outside the list
    // clear the selection.
    void selectRedownloadEntry(int row);

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
    void layOutControls();
    void describe(QWidget *control, const QString &description);
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
    bool m_inCommand = false; // a change made by this window's own command

    QLabel *m_description = nullptr;
    QLabel *m_heading = nullptr; // which list is shown, with its length
    QListView *m_redownloadView = nullptr;
    QListView *m_deletedView = nullptr;
    QPlainTextEdit *m_textList = nullptr;
    QPushButton *m_showRedownload = nullptr;
    QPushButton *m_showDeleted = nullptr;
    QPushButton *m_removeEntries = nullptr;
    QPushButton *m_clearList = nullptr;
    QPushButton *m_fullTextList = nullptr;
    QPushButton *m_selectedTextList = nullptr;
    QHash<const QObject *, QString> m_descriptionOf; // shown while the mouse is over the control
    SongListModel *m_redownloadModel = nullptr;
    SongListModel *m_deletedModel = nullptr;
};

} // namespace stanzary
