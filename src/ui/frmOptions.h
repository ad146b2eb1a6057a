#pragma once

#include <QList>
#include <QWidget>

#include <utility>

class QCheckBox;
class QLabel;
class QPushButton;
class QSpinBox;
class QToolButton;

namespace stanzary {

class basMain;
class UserDialogs;

// The options window: where the host keeps its lyrics and how, the karaoke
// index's age and size, the five options and the manual update of the tree
// (controls named cmdUpdateList, lblMainLyricsFolder, lblCacheStyle,
// chkLoadKasEditor, chkAvaliableStamp, chkUnfilteredSongs, lblIndexAge,
// lblIndexCount, chkEnableSearch, chkRealTimeSearch, imgHelp) and the karaoke
// editor's tap delay (spnTapDelay). It keeps
// nothing of its own: every time it is shown it reads the shared state,
// and a click on a check box sets its option in the state at once (the
// configuration writes it at exit). There is no OK or Cancel; Escape closes.
// Works on the state and dialogs it is given (neither owned).
class frmOptions : public QWidget
{
    Q_OBJECT

public:
    frmOptions(basMain &state, UserDialogs &dialogs, QWidget *parent = nullptr);
    ~frmOptions() override;

    // Reads the state into the controls (done whenever the window is shown).
    void FillOptions();

signals:
    // "Manual update of the list": the main window scans the lyrics folder
    // again (asking about unsaved edits first). The window shows the new
    // index count afterwards.
    void updateListRequested();

protected:
    void showEvent(QShowEvent *event) override;

private:
    QWidget *buildListingFrame();
    QWidget *buildKaraokeFrame();
    QWidget *buildSearchFrame();
    QCheckBox *addOption(QWidget *frame, const char *name, const QString &text, bool basMain::*option);
    void cmdUpdateList_Click();
    void imgHelp_Click();

    basMain &m_state;
    UserDialogs &m_dialogs;

    QPushButton *m_updateList = nullptr;
    QLabel *m_lyricsFolder = nullptr;
    QLabel *m_cacheStyle = nullptr;
    QCheckBox *m_loadKasEditor = nullptr;
    QCheckBox *m_availableStamps = nullptr;
    QCheckBox *m_unfilteredSongs = nullptr;
    QSpinBox *m_tapDelay = nullptr;
    QLabel *m_indexAge = nullptr;
    QLabel *m_indexCount = nullptr;
    QCheckBox *m_enableSearch = nullptr;
    QCheckBox *m_realTimeSearch = nullptr;
    QToolButton *m_help = nullptr;
    QList<std::pair<QCheckBox *, bool basMain::*>> m_options; // each box and the option it sets
};

} // namespace stanzary
