#include "ui/StampSources.h"

#include "karaoke/KasFile.h"
#include "karaoke/LrcImport.h"
#include "karaoke/RowEdits.h"
#include "karaoke/StampCreation.h"
#include "ui/KaraokeEditorFrame.h"
#include "ui/PlaybackBar.h"
#include "ui/TimingKeys.h"
#include "ui/UserDialogs.h"
#include "ui/ZephTimePicker.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace stanzary {

namespace {

// "Line 4: no time tag: la la la", one a line, at most maxLines of them.
QString issuesText(const QList<LineIssue> &issues, int maxLines = 12)
{
    QStringList lines;
    for (const LineIssue &issue : issues.mid(0, maxLines)) {
        QString line = QStringLiteral("Line %1: %2").arg(issue.line).arg(issue.reason);
        if (!issue.text.isEmpty())
            line += QStringLiteral(": ") + issue.text;
        lines << line;
    }
    if (issues.size() > maxLines)
        lines << QStringLiteral("... and %1 more.").arg(issues.size() - maxLines);
    return lines.join(u'\n');
}

} // namespace

StampSourceCommands::StampSourceCommands(KaraokeEditorFrame &frame, PlaybackBar &bar, TimingCommands &timing,
                                         UserDialogs &dialogs, std::function<QString()> lyricsText, QObject *parent)
    : QObject(parent), m_frame(frame), m_bar(bar), m_dialogs(dialogs), m_lyricsText(std::move(lyricsText))
{
    m_create = timing.addCommand("actCreateStamps", QStringLiteral("Create stamps"),
                                 QStringLiteral("Make a stamp for every lyric line of a song without a timestamp "
                                                "file, then tap through them while the song plays"));
    m_import = timing.addCommand("actImportLrc", QStringLiteral("Import .lrc..."),
                                 QStringLiteral("Take the stamps from an .lrc file (the one beside the audio file, "
                                                "or one you choose)"));
    connect(m_create, &QAction::triggered, this, &StampSourceCommands::createStamps);
    connect(m_import, &QAction::triggered, this, &StampSourceCommands::importLrc);
    noSong();
}

void StampSourceCommands::setSong(const QString &kasPath, bool hasTimestampFile, const CodePage &codePage)
{
    m_kasPath = kasPath;
    m_hasFile = hasTimestampFile;
    m_codePage = codePage;
    m_create->setEnabled(!hasTimestampFile);
    m_import->setEnabled(true);
}

void StampSourceCommands::noSong()
{
    m_kasPath.clear();
    m_create->setEnabled(false);
    m_import->setEnabled(false);
}

// A song without a timestamp file gets new stamps in the editor first.
bool StampSourceCommands::beginNewStampsIfNeeded()
{
    if (m_hasFile || (m_frame.isNewFile() && m_frame.loadedPath() == m_kasPath)) {
        if (m_frame.isEditable())
            return true;
        m_dialogs.information(QString(), QStringLiteral("The timestamp file could not be read whole, so its stamps "
                                                        "cannot be replaced."));
        return false;
    }
    m_frame.startNewStamps(m_kasPath, m_codePage);
    emit editorNeeded();
    return true;
}

void StampSourceCommands::createStamps()
{
    if (m_kasPath.isEmpty() || m_hasFile)
        return;
    const NewStamps made = stampsForLyrics(m_lyricsText(), m_codePage);
    if (made.rows.isEmpty()) {
        QString text = QStringLiteral("The lyrics have no line to make a stamp for.");
        if (!made.issues.isEmpty())
            text += u'\n' + issuesText(made.issues);
        m_dialogs.information(QString(), text);
        return;
    }
    if (!beginNewStampsIfNeeded())
        return;
    m_frame.pushEdit(replaceAllEdit(m_frame.edition(), made.rows, 0, RowsEditKind::Create));
    m_create->setEnabled(false);
    m_frame.row(0)->setFocus(Qt::OtherFocusReason);
    if (!made.issues.isEmpty())
        m_dialogs.information(QString(), QStringLiteral("These lines got no stamp, as a timestamp file cannot "
                                                        "hold their start:\n")
                                             + issuesText(made.issues));
}

void StampSourceCommands::importLrc()
{
    if (m_kasPath.isEmpty())
        return;
    // The .lrc file beside the audio file first, when there is one.
    if (!m_bar.source().isEmpty()) {
        const QFileInfo audio(m_bar.source());
        const QString beside =
            pathOnDisk(audio.absolutePath() + u'/' + audio.completeBaseName() + QStringLiteral(".lrc"));
        if (QFileInfo(beside).isFile()) {
            const Answer answer = m_dialogs.askYesNoCancel(
                QString(), QStringLiteral("Import \"%1\", beside the audio file? (No: choose another .lrc file)")
                               .arg(QFileInfo(beside).fileName()));
            if (answer == Answer::Cancel)
                return;
            if (answer == Answer::Yes) {
                importLrcFile(beside);
                return;
            }
        }
        if (m_lrcFolder.isEmpty())
            m_lrcFolder = audio.absolutePath();
    }
    if (m_lrcFolder.isEmpty())
        m_lrcFolder = QStandardPaths::writableLocation(QStandardPaths::MusicLocation);
    const QString path = m_dialogs.chooseFile(QStringLiteral("Import an .lrc file"), m_lrcFolder,
                                              QStringLiteral("Synchronised lyrics (*.lrc *.LRC);;All files (*)"));
    if (path.isEmpty())
        return;
    m_lrcFolder = QFileInfo(path).absolutePath();
    importLrcFile(path);
}

void StampSourceCommands::importLrcFile(const QString &path)
{
    const LrcImport read = readLrcFile(path, m_codePage);
    const QString name = QFileInfo(path).fileName();
    if (!read.readable) {
        m_dialogs.critical(QString(), QStringLiteral("\"%1\" could not be read:\n").arg(name)
                                          + (read.issues.isEmpty() ? QString() : read.issues.first().reason));
        return;
    }
    if (read.rows.isEmpty()) {
        m_dialogs.information(QString(), QStringLiteral("\"%1\" holds no stamp the editor can take.\n").arg(name)
                                             + issuesText(read.issues));
        return;
    }
    if (!beginNewStampsIfNeeded())
        return;
    m_frame.pushEdit(replaceAllEdit(m_frame.edition(), read.rows, 0, RowsEditKind::Import));
    if (!read.issues.isEmpty()) {
        m_dialogs.information(QString(),
                              QStringLiteral("%1 stamps were imported from \"%2\". These lines could not be read and "
                                             "gave none:\n")
                                      .arg(read.rows.size())
                                      .arg(name)
                                  + issuesText(read.issues));
    }
}

} // namespace stanzary
