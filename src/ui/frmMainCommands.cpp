// The main window's toolbar commands and drop-down items.

#include "ui/frmMain.h"

#include "app/SongCommands.h"
#include "app/basMain.h"
#include "lists/SongLists.h"
#include "platform/MakerSite.h"
#include "store/LyricsFile.h"
#include "ui/CountPanel.h"
#include "ui/MainToolbar.h"
#include "ui/SongDetailsView.h"
#include "ui/UserDialogs.h"
#include "ui/frmlists.h"

#include <QAction>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextCursor>
#include <QTreeView>

namespace stanzary {

void frmMain::connectToolbar()
{
    connect(tlbMain, &MainToolbar::buttonClicked, this, &frmMain::onButtonClicked);
    connect(tlbMain, &MainToolbar::buttonMenuClicked, this, &frmMain::onButtonMenuClicked);
    // The windows behind these come later; until then they are visibly off.
    for (const char *key : {"Lyrics3", "JoinLyrics", "Options"})
        tlbMain->button(QString::fromLatin1(key))->setEnabled(false);
    for (const char *key : {"SaveAs", "OptionsMenu", "Legend", "About"})
        tlbMain->menuItem(QString::fromLatin1(key))->setEnabled(false);
}

void frmMain::onButtonClicked(const QString &key, bool checked)
{
    if (key == QLatin1StringView("Save"))
        SaveCommand();
    else if (key == QLatin1StringView("Delete"))
        DeleteCommand();
    else if (key == QLatin1StringView("MarkRedownload"))
        MarkRedownload(checked);
    else if (key == QLatin1StringView("Lists"))
        ShowLists(m_state.blnShowRedownloadList);
    else if (key == QLatin1StringView("OpenInBrowser"))
        OpenInShell(m_state.strPage);
    else if (key == QLatin1StringView("VisitSite"))
        OpenInShell(siteAddress(m_state.strWebsite).value_or(QUrl()).toString());
    else if (key == QLatin1StringView("SearchKaraoke"))
        OpenInShell(karaokeSearchAddress(m_state.strCurrentArtist, m_state.strCurrentSong));
}

void frmMain::onButtonMenuClicked(const QString &key)
{
    if (key == QLatin1StringView("Save"))
        SaveCommand();
    else if (key == QLatin1StringView("MR"))
        ShowLists(true);
    else if (key == QLatin1StringView("DI"))
        ShowLists(false);
    else if (key == QLatin1StringView("Help"))
        OpenInShell(makerSite() + QStringLiteral("/tunewright/faq/faq2.php?catnr=8"));
}

void frmMain::SaveCommand()
{
    if (m_state.strCurrentFile.trimmed().isEmpty() || !QFile::exists(m_state.strCurrentFile)) {
        m_dialogs.beep();
        return;
    }
    SaveLyricsText(m_state.strCurrentFile);
}

bool frmMain::SaveLyricsText(const QString &path)
{
    const QString boxText = details->lyricsText();
    const QString marked = withFilterMark(boxText);
    const LyricsWriteResult result = writeLyricsFile(path, marked, m_state.codePage);
    switch (result.status) {
    case LyricsWriteStatus::Ok: break;
    case LyricsWriteStatus::ReadOnly:
        m_dialogs.critical(QStringLiteral("Stanzary"), QStringLiteral("File is read-only"));
        return false;
    case LyricsWriteStatus::Unencodable:
        m_dialogs.critical(QStringLiteral("Stanzary"),
                           QStringLiteral("The lyrics hold characters that the lyrics files cannot store (")
                               + result.detail + QStringLiteral(").\nThe file was not changed."));
        return false;
    case LyricsWriteStatus::Failed:
        m_dialogs.critical(QStringLiteral("Stanzary"),
                           QStringLiteral("The lyrics could not be saved:\n") + result.detail);
        return false;
    }
    if (marked.size() != boxText.size()) {
        // The box shows the appended no-break space too.
        QTextCursor end(details->lyrics->document());
        end.movePosition(QTextCursor::End);
        end.insertText(marked.mid(boxText.size()));
    }
    details->setLyricsModified(false);
    return true;
}

void frmMain::DeleteCommand()
{
    const bool was = m_programmatic;
    m_programmatic = true; // the view moves its current row while nodes go
    const DeleteOutcome out = DeleteCurrentSong(m_state, m_lists);
    m_programmatic = was;
    if (out.nothingToDelete) {
        m_dialogs.beep();
        return;
    }
    showCounts(out.counts);
    tlbMain->button(QStringLiteral("Delete"))->setEnabled(false);
    details->setLyricsModified(false);
    if (out.fileDeleteFailed)
        m_dialogs.critical(QStringLiteral("Tunewright Stanzary"),
                           QStringLiteral("Couldn't delete file. File was not found"));
    if (out.nodeToChoose > 0) {
        NodeClick(out.nodeToChoose, false);
        selectInView(out.nodeToChoose);
    } else {
        lista->setCurrentIndex(QModelIndex());
        details->clearAll();
        setSongButtons(false);
    }
}

void frmMain::MarkRedownload(bool pressed)
{
    const QString entry = currentListEntry(m_state);
    if (pressed)
        m_lists.redownload.append(entry);
    else
        m_lists.redownload.removeAll(entry);
}

void frmMain::markRedownloadFromList()
{
    const QString entry = currentListEntry(m_state);
    const QStringList entries = m_lists.redownload.entries();
    for (int i = 0; i < entries.size(); ++i) {
        if (entries.at(i) == entry) {
            tlbMain->setPressed(QStringLiteral("MarkRedownload"), true);
            if (m_listsWindow)
                m_listsWindow->selectRedownloadEntry(i);
        }
    }
}

void frmMain::ShowLists(bool redownload)
{
    if (!m_listsWindow)
        return;
    m_state.blnShowRedownloadList = redownload;
    m_listsWindow->ShowCorrectList();
    m_listsWindow->show();
    m_listsWindow->raise();
    m_listsWindow->activateWindow();
}

void frmMain::OpenInShell(const QString &address)
{
    const std::optional<QUrl> url = webAddress(address);
    if (!url || !m_dialogs.openInShell(*url))
        m_dialogs.critical(QStringLiteral("Error"), QStringLiteral("Error opening in browser"));
}

} // namespace stanzary
