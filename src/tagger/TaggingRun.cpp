#include "tagger/TaggingRun.h"

#include "platform/FolderLock.h"

#include <QFileInfo>
#include <QThread>

#include <algorithm>

namespace stanzary {

namespace {

const QString CrLf = QStringLiteral("\r\n");
constexpr unsigned long RetryMs = 200;

} // namespace

QString RowResult::logText() const
{
    QString text = line + CrLf;
    for (const QString &note : notes)
        text += note + CrLf;
    return text;
}

int TaggingRun::failures() const
{
    int n = int(std::count_if(rows.cbegin(), rows.cend(), [](const RowResult &r) { return r.failed; }));
    for (const JournalRecovery &r : recovered) {
        if (r.result == JournalRecovery::Result::Kept || r.result == JournalRecovery::Result::SetAside)
            ++n;
    }
    return n;
}

QString TaggingRun::refusal() const
{
    if (!busyFolder.isEmpty()) {
        return QStringLiteral("Nothing was tagged: another program is tagging files in ") + busyFolder
               + QStringLiteral(". Tag again when it has finished.");
    }
    if (!lockFailure.isEmpty())
        return QStringLiteral("Nothing was tagged: the folders cannot be locked (") + lockFailure + u')';
    return QString();
}

QString TaggingRun::log() const
{
    QString text;
    for (const JournalRecovery &r : recovered) {
        const QString line = recoveryLogLine(r);
        if (!line.isEmpty())
            text += line + CrLf;
    }
    if (refused())
        return text + refusal() + CrLf;
    for (const RowResult &row : rows)
        text += row.logText();
    return text;
}

QStringList foldersOfCheckedRows(const QList<TaggerRow> &rows)
{
    QStringList folders;
    for (const TaggerRow &row : rows) {
        if (row.checked)
            folders << FolderLocks::realFolderPath(QFileInfo(row.mp3Path).absolutePath());
    }
    std::sort(folders.begin(), folders.end());
    folders.erase(std::unique(folders.begin(), folders.end()), folders.end());
    return folders;
}

TaggingRun RunCheckedRows(const QList<TaggerRow> &rows, const TailJournal &journal, const WorkOnRow &work,
                          const RowRunOptions &options)
{
    TaggingRun run;
    const int total = int(std::count_if(rows.cbegin(), rows.cend(), [](const TaggerRow &r) { return r.checked; }));
    if (total == 0)
        return run;

    FolderLocks locks(journal.folder() + QStringLiteral("/folder-locks"));
    if (!options.dryRun) {
        const QStringList folders = foldersOfCheckedRows(rows);
        for (;;) {
            const FolderLocks::Outcome outcome = locks.tryTake(folders);
            if (outcome == FolderLocks::Outcome::Taken)
                break;
            if (outcome == FolderLocks::Outcome::Failed) {
                run.lockFailure = locks.error();
                return run;
            }
            if (!options.waitWhileBusy || !options.waitWhileBusy(locks.busyFolder())) {
                run.busyFolder = locks.busyFolder();
                return run;
            }
            QThread::msleep(RetryMs);
        }
        // A write that was interrupted is undone before anything new is
        // written; journals of live writes (another program's) are left.
        if (options.recoverFirst)
            run.recovered = journal.recover();
        for (const JournalRecovery &r : std::as_const(run.recovered)) {
            const QString line = recoveryLogLine(r);
            if (!line.isEmpty() && options.logged)
                options.logged(line + CrLf);
        }
    }

    int done = 0;
    for (const TaggerRow &row : rows) {
        if (!row.checked)
            continue;
        run.rows.append(work(row));
        if (options.logged)
            options.logged(run.rows.last().logText());
        if (options.progress)
            options.progress(++done, total);
    }
    return run;
}

} // namespace stanzary
