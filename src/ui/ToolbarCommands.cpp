#include "ui/ToolbarCommands.h"

#include "app/SaveAs.h"
#include "app/basMain.h"
#include "lists/SongLists.h"
#include "store/LyricsFile.h"
#include "store/SongNames.h"
#include "ui/MainToolbar.h"
#include "ui/MainWindowTexts.h"
#include "ui/SongDetailsView.h"
#include "ui/UserDialogs.h"

#include <QAction>
#include <QFile>
#include <QFileInfo>

namespace stanzary {

namespace Texts = MainWindowTexts;

ToolbarCommands::ToolbarCommands(basMain &state, SongLists &lists, UserDialogs &dialogs, SongDetailsView &details,
                                 const MainActions &actions, QObject *parent)
    : QObject(parent), m_state(state), m_lists(lists), m_dialogs(dialogs), m_details(details), m_actions(actions)
{
    connect(actions.save, &QAction::triggered, this, &ToolbarCommands::save);
    connect(actions.saveItem, &QAction::triggered, this, &ToolbarCommands::save);
    connect(actions.saveAs, &QAction::triggered, this, &ToolbarCommands::saveAs);
    connect(actions.deleteSong, &QAction::triggered, this, &ToolbarCommands::deleteSong);
    connect(actions.markRedownload, &QAction::triggered, this, &ToolbarCommands::markRedownload);
    connect(actions.openInBrowser, &QAction::triggered, this, [this] { OpenInShell(m_state.strPage); });
    connect(actions.visitSite, &QAction::triggered, this,
            [this] { OpenInShell(siteAddress(m_state.strWebsite).value_or(QUrl()).toString()); });
    connect(actions.searchKaraoke, &QAction::triggered, this, [this] {
        OpenInShell(karaokeSearchAddress(m_state.strMakerSite, m_state.strCurrentArtist, m_state.strCurrentSong));
    });
    connect(actions.help, &QAction::triggered, this,
            [this] { OpenInShell(m_state.strMakerSite + QStringLiteral("/tunewright/faq/faq2.php?catnr=8")); });
}

void ToolbarCommands::save()
{
    if (m_details.lyricsBox() == LyricsBox::NewLyrics) {
        if (m_details.lyricsText().trimmed().isEmpty())
            m_dialogs.beep();
        else
            saveAs();
        return;
    }
    if (refuseUnreadable())
        return;
    if (m_state.strCurrentFile.trimmed().isEmpty() || !QFile::exists(m_state.strCurrentFile)) {
        m_dialogs.beep();
        return;
    }
    SaveLyricsText(m_state.strCurrentFile);
}

bool ToolbarCommands::refuseUnreadable()
{
    if (m_details.lyricsBox() != LyricsBox::Unreadable)
        return false;
    m_dialogs.critical(Texts::SaveTitle,
                       Texts::unreadableNotSaved(m_state.strCurrentFile, m_details.unreadableReason()));
    return true;
}

bool ToolbarCommands::SaveLyricsText(const QString &path)
{
    // The empty box of a file that could not be read is never written.
    if (refuseUnreadable())
        return false;
    const QString marked = withFilterMark(m_details.lyricsText());
    if (!writeLyrics(path, marked))
        return false;
    m_details.markLyricsSaved(marked);
    return true;
}

bool ToolbarCommands::writeLyrics(const QString &path, const QString &text)
{
    const LyricsWriteResult result = writeLyricsFile(path, text, m_state.codePage);
    switch (result.status) {
    case LyricsWriteStatus::Ok: return true;
    case LyricsWriteStatus::ReadOnly: m_dialogs.critical(Texts::SaveTitle, Texts::ReadOnly); return false;
    case LyricsWriteStatus::Unencodable:
        m_dialogs.critical(Texts::SaveTitle, Texts::unencodable(result.detail));
        return false;
    case LyricsWriteStatus::Failed: break;
    }
    m_dialogs.critical(Texts::SaveTitle, Texts::notSaved(result.detail));
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
        m_dialogs.critical(Texts::title(), Texts::notDeleted(m_state.strCurrentFile, out.failure));
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
    stanzary::OpenInShell(m_dialogs, address);
}

bool ToolbarCommands::saveAs()
{
    if (refuseUnreadable())
        return false;
    const bool newLyrics = m_details.lyricsBox() == LyricsBox::NewLyrics;
    if (newLyrics && m_details.lyricsText().trimmed().isEmpty()) {
        m_dialogs.beep(); // nothing typed: nothing to save
        return false;
    }
    // New lyrics belong to no song yet: the names start empty.
    const QString artist = askName(Texts::AskArtist, newLyrics ? QString() : m_state.strCurrentArtist);
    if (artist.isEmpty())
        return false;
    const QString song = askName(Texts::AskSong, newLyrics ? QString() : m_state.strCurrentSong);
    if (song.isEmpty())
        return false;
    if (!saveLyricsAs(artist, song))
        return false;
    m_dialogs.information(Texts::title(), Texts::savedAs(listEntry(artist, song)));
    return true;
}

QString ToolbarCommands::askName(const QString &prompt, const QString &defaultText)
{
    const QString title = Texts::NewLyricsTitle;
    QString typed = defaultText;
    for (;;) {
        const std::optional<QString> answer = m_dialogs.inputText(title, prompt, typed);
        if (!answer || answer->trimmed().isEmpty())
            return QString();
        const QString bad = firstBadNameCharacter(answer->trimmed());
        if (bad.isEmpty())
            return answer->trimmed();
        m_dialogs.critical(title, Texts::badNameCharacter(bad));
        typed = *answer;
    }
}

bool ToolbarCommands::saveLyricsAs(const QString &artist, const QString &song)
{
    const SaveAsTarget target = saveAsTarget(m_state, artist, song);
    if (!target.badCharacter.isEmpty()) {
        m_dialogs.critical(Texts::NewLyricsTitle, Texts::badNameNothingSaved(target.badCharacter));
        return false;
    }
    if (target.exists && m_dialogs.askYesNo(Texts::SaveTitle, Texts::Overwrite) != Answer::Yes)
        return false;
    // The shown song's own file is an ordinary save; another file gets the
    // text while the box stays as it was, edits included, for the shown song.
    // New lyrics are saved once they are in their file.
    if (!m_state.strCurrentFile.isEmpty() && QFileInfo(target.path) == QFileInfo(m_state.strCurrentFile))
        return SaveLyricsText(target.path);
    if (!makeFolderOf(target.path)) {
        m_dialogs.critical(Texts::SaveTitle, Texts::folderNotMade(QFileInfo(target.path).absolutePath()));
        return false;
    }
    const QString marked = withFilterMark(m_details.lyricsText());
    if (!writeLyrics(target.path, marked))
        return false;
    if (m_details.lyricsBox() == LyricsBox::NewLyrics)
        m_details.markLyricsSaved(marked);
    return true;
}

} // namespace stanzary
