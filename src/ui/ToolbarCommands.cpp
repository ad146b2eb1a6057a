#include "ui/ToolbarCommands.h"

#include "app/basMain.h"
#include "lists/SongLists.h"
#include "platform/MakerSite.h"
#include "store/LyricsFile.h"
#include "ui/MainToolbar.h"
#include "ui/SongDetailsView.h"
#include "ui/UserDialogs.h"

#include <QAction>
#include <QFile>

namespace stanzary {

ToolbarCommands::ToolbarCommands(basMain &state, SongLists &lists, UserDialogs &dialogs, SongDetailsView &details,
                                 const MainActions &actions, QObject *parent)
    : QObject(parent), m_state(state), m_lists(lists), m_dialogs(dialogs), m_details(details), m_actions(actions)
{
    connect(actions.save, &QAction::triggered, this, &ToolbarCommands::save);
    connect(actions.saveItem, &QAction::triggered, this, &ToolbarCommands::save);
    connect(actions.deleteSong, &QAction::triggered, this, &ToolbarCommands::deleteSong);
    connect(actions.markRedownload, &QAction::triggered, this, &ToolbarCommands::markRedownload);
    connect(actions.openInBrowser, &QAction::triggered, this, [this] { OpenInShell(m_state.strPage); });
    connect(actions.visitSite, &QAction::triggered, this,
            [this] { OpenInShell(siteAddress(m_state.strWebsite).value_or(QUrl()).toString()); });
    connect(actions.searchKaraoke, &QAction::triggered, this,
            [this] { OpenInShell(karaokeSearchAddress(m_state.strCurrentArtist, m_state.strCurrentSong)); });
    connect(actions.help, &QAction::triggered, this,
            [this] { OpenInShell(makerSite() + QStringLiteral("/tunewright/faq/faq2.php?catnr=8")); });
}

void ToolbarCommands::save()
{
    if (m_state.strCurrentFile.trimmed().isEmpty() || !QFile::exists(m_state.strCurrentFile)) {
        m_dialogs.beep();
        return;
    }
    SaveLyricsText(m_state.strCurrentFile);
}

bool ToolbarCommands::SaveLyricsText(const QString &path)
{
    const QString marked = withFilterMark(m_details.lyricsText());
    const LyricsWriteResult result = writeLyricsFile(path, marked, m_state.codePage);
    switch (result.status) {
    case LyricsWriteStatus::Ok: m_details.markLyricsSaved(marked); return true;
    case LyricsWriteStatus::ReadOnly:
        m_dialogs.critical(QStringLiteral("Stanzary"), QStringLiteral("File is read-only"));
        return false;
    case LyricsWriteStatus::Unencodable:
        m_dialogs.critical(QStringLiteral("Stanzary"),
                           QStringLiteral("The lyrics hold characters that the lyrics files cannot store (")
                               + result.detail + QStringLiteral(").\nThe file was not changed."));
        return false;
    case LyricsWriteStatus::Failed: break;
    }
    m_dialogs.critical(QStringLiteral("Stanzary"), QStringLiteral("The lyrics could not be saved:\n") + result.detail);
    return false;
}

void ToolbarCommands::deleteSong()
{
    const DeleteOutcome out = DeleteCurrentSong(m_state, m_lists);
    if (out.nothingToDelete) {
        m_dialogs.beep();
        return;
    }
    if (out.fileDeleteFailed) {
        m_dialogs.critical(applicationTitle(), QStringLiteral("Couldn't delete file.\n") + m_state.strCurrentFile
                                                   + QStringLiteral("\n\n") + out.failure);
        return;
    }
    m_actions.deleteSong->setEnabled(false);
    emit songDeleted(out);
}

void ToolbarCommands::markRedownload(bool pressed)
{
    const QString entry = currentListEntry(m_state);
    if (pressed)
        m_lists.redownload.append(entry);
    else
        m_lists.redownload.removeAll(entry);
}

void ToolbarCommands::showRedownloadMark()
{
    const QString entry = currentListEntry(m_state);
    const QStringList entries = m_lists.redownload.entries();
    for (int i = 0; i < entries.size(); ++i) {
        if (entries.at(i) == entry) {
            m_actions.markRedownload->setChecked(true);
            emit redownloadEntryChosen(i);
        }
    }
}

void ToolbarCommands::releaseMarkRedownload()
{
    m_actions.markRedownload->setChecked(false);
}

void ToolbarCommands::OpenInShell(const QString &address)
{
    const std::optional<QUrl> url = webAddress(address);
    if (!url || !m_dialogs.openInShell(*url))
        m_dialogs.critical(QStringLiteral("Error"), QStringLiteral("Error opening in browser"));
}

} // namespace stanzary
