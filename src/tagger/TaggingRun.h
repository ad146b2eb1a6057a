#pragma once

#include "platform/TailJournal.h"
#include "tagger/TaggerRow.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

namespace stanzary {

// A run over the checked rows of the tagger, the one way the window and the
// command line write into MP3 folders: the folders of the rows are locked
// (FolderLocks) for the whole run, interrupted writes are rolled back, then
// each checked row is worked on in order and gives its lines for the log.

// What working on one row came to: the row's line in the log ("File
// tagged..: " and the MP3 file's path, say) and the notes below it, each
// indented by four spaces. failed when any step of the row failed.
struct RowResult
{
    QString line;
    QStringList notes;
    bool failed = false;
    // The line and the notes, each followed by CR LF.
    QString logText() const;
};

struct TaggingRun
{
    QList<JournalRecovery> recovered; // interrupted writes rolled back first
    QList<RowResult> rows;            // one per checked row, in list order
    // Set when nothing was done: the folder another program is tagging, or
    // why the folders could not be locked.
    QString busyFolder;
    QString lockFailure;

    bool refused() const { return !busyFolder.isEmpty() || !lockFailure.isEmpty(); }
    // The rows that failed, and the interrupted writes that could not be
    // rolled back.
    int failures() const;
    // What the window shows and the command line prints: a line for each
    // interrupted write rolled back (or not), then each row's lines; when the
    // run was refused, the reason. Lines end with CR LF.
    QString log() const;
    // Why nothing was done, for the user; empty when the run was not refused.
    QString refusal() const;
};

struct RowRunOptions
{
    // Nothing is written: no lock, no rollback, only the rows' lines.
    bool dryRun = false;
    // Interrupted writes are rolled back before the first row.
    bool recoverFirst = true;
    // Asked when another program holds a folder of the rows: true to wait
    // (the lock is tried again a moment later), false to give up; empty
    // gives up at once.
    std::function<bool(const QString &busyFolder)> waitWhileBusy;
    // After each checked row: how many of them are done.
    std::function<void(int done, int total)> progress;
    // Each part of the log as soon as it is known: the line of an
    // interrupted write rolled back, a row's lines (CR LF line ends).
    std::function<void(const QString &text)> logged;
};

using WorkOnRow = std::function<RowResult(const TaggerRow &row)>;

// The folders the checked rows write into (each MP3 file's own folder,
// links resolved), sorted, each once.
QStringList foldersOfCheckedRows(const QList<TaggerRow> &rows);

// Runs work on every checked row under the locks of their folders; journal
// gives the journals to roll back and the folder of the fallback lock files.
// Without checked rows nothing is locked and the run is empty.
TaggingRun RunCheckedRows(const QList<TaggerRow> &rows, const TailJournal &journal, const WorkOnRow &work,
                          const RowRunOptions &options = {});

// Line prefixes of a dry run, as wide as the real ones: the row would be
// tagged, or it could not be (a note says why).
inline QString wouldTagPrefix()
{
    return QStringLiteral("Would tag....: ");
}
inline QString cannotTagPrefix()
{
    return QStringLiteral("Cannot tag...: ");
}

// Four spaces: the indent of a note below a row's line.
inline QString noteIndent()
{
    return QStringLiteral("    ");
}

} // namespace stanzary
