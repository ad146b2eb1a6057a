#include "ui/JoinCommand.h"

#include "app/JoinLyrics.h"
#include "app/basMain.h"
#include "store/SongNames.h"
#include "ui/MainWindowTexts.h"
#include "ui/NodeTreeModel.h"
#include "ui/SongDetailsView.h"
#include "ui/UserDialogs.h"

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QWidget>

namespace stanzary {

namespace Texts = MainWindowTexts;

JoinCommand::JoinCommand(basMain &state, UserDialogs &dialogs, NodeTreeModel &model, const SongDetailsView &details,
                         QAction &joinLyrics, QObject *parent)
    : QObject(parent), m_state(state), m_dialogs(dialogs), m_model(model), m_details(details), m_action(joinLyrics),
      m_songbook(state, dialogs, qobject_cast<QWidget *>(parent))
{
    connect(&m_action, &QAction::triggered, this, &JoinCommand::JoinLyrics);
}

void JoinCommand::JoinLyrics(bool pressed)
{
    if (pressed)
        startSelecting();
    else
        join();
}

void JoinCommand::setCaption(const QString &caption)
{
    // The button shows the icon text, which would drop the "..." of a text.
    m_action.setText(caption);
    m_action.setIconText(caption);
}

void JoinCommand::startSelecting()
{
    m_model.setCheckBoxesShown(true);
    setCaption(QStringLiteral("Joining..."));
    m_dialogs.information(Texts::title(), Texts::startJoining());
}

void JoinCommand::join()
{
    m_model.setCheckBoxesShown(false);
    setCaption(QStringLiteral("Join lyrics"));
    // The tree repaints without its boxes before the files are read; keys
    // and clicks wait until the join has returned.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    if (m_state.nodes.count() == 0)
        return;

    const JoinOutcome out = JoinCheckedLyrics(m_state);
    if (!out.unencodableName.isEmpty()) {
        m_dialogs.critical(Texts::title(), Texts::joinUnencodableName(out.unencodableName, m_state.codePage.name()));
        return;
    }
    if (out.fileMissing)
        m_dialogs.critical(Texts::title(), Texts::JoinFileMissing);
    if (out.nothingJoined)
        return;
    if (!out.write.ok()) {
        m_dialogs.critical(Texts::title(), Texts::JoinNotWritten);
        return;
    }
    const QString unsaved = joinsUnsavedEdits()
                                ? Texts::joinUnsavedLeftOut(listEntry(m_state.strCurrentArtist, m_state.strCurrentSong))
                                : QString();
    // Without Tunewright the file goes to the program's own folder, which
    // the user may not know: it is named.
    const QString where =
        m_state.strHostPath.isEmpty()
            ? Texts::joinedIntoProgramFolder(QDir::toNativeSeparators(QFileInfo(out.path).absolutePath()))
            : Texts::JoinedIntoHostFolder;
    const QString question = Texts::joinedOpenNow(out.fileName, where, unsaved);
    switch (m_dialogs.askChoice(Texts::title(), question, Texts::JoinedChoices, Texts::KeepJoined,
                                MessageIcon::Information)) {
    case Texts::OpenJoined: OpenFileInShell(m_dialogs, out.path); break;
    case Texts::PrintSongbook: m_songbook.print(); break;
    case Texts::SongbookAsPdf: {
        const QFileInfo joinedFile(out.path);
        m_songbook.saveAsPdf(joinedFile.absolutePath() + u'/' + joinedFile.completeBaseName() + QStringLiteral(".pdf"));
        break;
    }
    default: break;
    }
}

bool JoinCommand::joinsUnsavedEdits() const
{
    if (m_state.strCurrentFile.isEmpty() || !m_details.lyricsModified())
        return false;
    const int p = m_state.nodes.positionOf(m_state.strCurrentKey);
    return p > 0 && m_state.nodes.at(p).checked;
}

} // namespace stanzary
