#include "cli/StanzaryCli.h"

#include "app/Config.h"
#include "app/ProgramArguments.h"
#include "app/SongbookSongs.h"
#include "app/basMain.h"
#include "cli/CliArguments.h"
#include "cli/CliOutput.h"
#include "store/CollectionListing.h"
#include "store/CollectionScan.h"
#include "store/HostStore.h"
#include "store/SongNames.h"
#include "tagger/EntryWordIndex.h"
#include "tagger/Mp3FolderScan.h"
#include "tagger/Mp3Matcher.h"
#include "tagger/RowTagging.h"

#include <QDir>
#include <QFileInfo>

namespace stanzary {

namespace {

// One run of a command: the request, where it writes, and the collection.
class CliRun
{
public:
    CliRun(const CliRequest &request, const CliEnvironment &environment)
        : m_request(request), m_environment(environment),
          m_output(environment.out, environment.err, environment.progress)
    {}

    int run();

private:
    bool loadCollection();
    bool scanFolder(ScanResult &scan);
    int list();
    int match();
    int writeRows();
    int recover();
    int join();
    bool checkRequestedSongs();
    int finish(int status);

    const CliRequest &m_request;
    const CliEnvironment &m_environment;
    CliOutput m_output;
    basMain m_state;
    QList<TagEntry> m_entries;
};

int CliRun::run()
{
    switch (m_request.command) {
    case CliCommand::Help: m_output.result(cliHelpText()); break;
    case CliCommand::Version: m_output.result(versionText()); break;
    case CliCommand::List: return finish(list());
    case CliCommand::Match: return finish(match());
    case CliCommand::Tag:
    case CliCommand::Lrc: return finish(writeRows());
    case CliCommand::Recover: return finish(recover());
    case CliCommand::Join: return finish(join());
    }
    return finish(CliDone);
}

// A result that could not be written is a failure, whatever else went well.
int CliRun::finish(int status)
{
    m_output.clearProgress();
    if (m_output.resultsWritten())
        return status;
    m_output.error(QStringLiteral("the results could not be written"));
    return status == CliNothing ? CliNothing : CliFailed;
}

// The host, the configuration and the collection, as the window finds them
// at start; false (told) when the collection holds no songs.
bool CliRun::loadCollection()
{
    m_output.progress(QStringLiteral("Reading the collection..."));
    m_state.strProgramPath = QDir(m_environment.programDir).absolutePath() + u'/';
    FindHostPath(m_state, m_state.strProgramPath);
    LoadConfig(m_state);
    BuildTree(m_state);
    const QString unlisted = unlistedLyricsNotice(m_state);
    if (!unlisted.isEmpty())
        m_output.error(QString(unlisted).replace(u'\n', u' '));
    if (m_state.intLyricsCount == 0) {
        m_output.error(QString(collectionNotFoundNotice(m_state)).replace(u'\n', u' '));
        return false;
    }
    return true;
}

int CliRun::list()
{
    if (!loadCollection())
        return CliNothing;
    const bool readFilter = m_request.json || m_request.unfilteredOnly;
    QList<ListedSong> songs = CollectionSongs(m_state, readFilter);
    const auto keep = [&](const ListedSong &song) {
        if (m_request.unfilteredOnly && song.filterUsed != false)
            return false;
        switch (m_request.karaoke) {
        case KaraokeFilter::All: return true;
        case KaraokeFilter::Downloaded: return song.karaoke == KaraokeState::Downloaded;
        case KaraokeFilter::Available: return song.karaoke == KaraokeState::Available;
        case KaraokeFilter::NoTimestamps: return song.karaoke != KaraokeState::Downloaded;
        }
        return true;
    };
    songs.removeIf([&](const ListedSong &song) { return !keep(song); });
    m_output.result(m_request.json ? songsAsJson(songs) : songsAsText(songs));
    return CliDone;
}

// The tagger's rows for the request's folder, as the window's scan makes
// them; false (told) when there is no folder or no row.
bool CliRun::scanFolder(ScanResult &scan)
{
    const QFileInfo folder(m_request.folder);
    if (!folder.isDir()) {
        m_output.error(QStringLiteral("\"") + m_request.folder + QStringLiteral("\" is not a folder"));
        return false;
    }
    if (!loadCollection())
        return false;
    m_entries = BuildTagEntries(m_state.nodes);
    const EntryWordIndex index(m_entries);
    ScanCallbacks callbacks;
    callbacks.status = [this](const QString &status) { m_output.progress(status); };
    scan = ScanFolder(folder.absoluteFilePath(), m_entries, index, m_state.strLyricsPath, m_state.codePage, callbacks);
    m_output.clearProgress();
    if (scan.rows.isEmpty()) {
        m_output.error(QStringLiteral("no MP3 file in \"") + m_request.folder
                       + QStringLiteral("\" or its subfolders matched a song of the collection (") + scan.status
                       + u')');
        return false;
    }
    return true;
}

int CliRun::match()
{
    ScanResult scan;
    if (!scanFolder(scan))
        return CliNothing;
    if (m_request.json) {
        m_output.result(
            rowsAsJson(QFileInfo(m_request.folder).absoluteFilePath(), scan, m_entries, m_state.strLyricsPath));
    } else {
        m_output.result(rowsAsText(scan.rows));
        m_output.error(scan.status);
    }
    return CliDone;
}

// "tag" and "lrc": the rows chosen, then the writes under the folders' locks.
int CliRun::writeRows()
{
    const bool tag = m_request.command == CliCommand::Tag;
    ScanResult scan;
    if (!scanFolder(scan))
        return CliNothing;
    const bool allRows = m_request.allRows.value_or(!tag);
    if (allRows) {
        for (TaggerRow &row : scan.rows)
            row.checked = true;
    } else if (scan.checkedCount == 0) {
        m_output.error(QStringLiteral("no row is checked (") + scan.status
                       + QStringLiteral("); --all works on every matched row"));
        return CliNothing;
    }

    TaggingSetup setup;
    setup.codePage = m_state.codePage;
    setup.site = m_state.strMakerSite;
    setup.journal = m_environment.journal;
    setup.options.id3v2 = tag && m_request.id3v2;
    setup.options.lrc = tag && m_request.lrc;
    setup.options.dryRun = m_request.dryRun;
    setup.id3v2Hooks = m_environment.id3v2Hooks;
    RowRunOptions run;
    bool waitTold = false;
    run.waitWhileBusy = [&](const QString &busyFolder) {
        if (m_request.wait && !waitTold) {
            m_output.error(QStringLiteral("waiting: another program is tagging files in ") + busyFolder);
            waitTold = true;
        }
        return m_request.wait;
    };
    run.progress = [&](int done, int total) {
        m_output.progress((tag ? QStringLiteral("Tagging: ") : QStringLiteral("Writing .lrc files: "))
                          + QString::number(done) + u'/' + QString::number(total));
    };
    run.logged = [&](const QString &text) { m_output.result(text); };
    const TaggingRun done = tag ? TagCheckedFiles(scan.rows, setup, run) : WriteLrcFiles(scan.rows, setup, run);
    if (done.refused()) {
        m_output.error(done.refusal());
        return CliFailed;
    }
    return done.failures() > 0 ? CliFailed : CliDone;
}

int CliRun::recover()
{
    const QList<JournalRecovery> recovered = m_environment.journal.recover();
    int failed = 0;
    QString text;
    for (const JournalRecovery &r : recovered) {
        const QString line = recoveryLogLine(r);
        if (!line.isEmpty())
            text += line + u'\n';
        if (r.result == JournalRecovery::Result::Kept || r.result == JournalRecovery::Result::SetAside)
            ++failed;
    }
    m_output.result(text.isEmpty() ? QStringLiteral("No interrupted write was found.\n") : text);
    return failed > 0 ? CliFailed : CliDone;
}

// Checks the songs the request names ("Artist - Song", without regard to
// case, as file names are) and unchecks every other; false (told) when a
// name is no song of the collection.
bool CliRun::checkRequestedSongs()
{
    NodeCollection &nodes = m_state.nodes;
    QList<bool> found(m_request.songs.size(), false);
    for (int p = 1; p <= nodes.count(); ++p) {
        const int parent = nodes.parentOf(p);
        if (nodes.childCount(p) > 0 || parent <= 0)
            continue;
        const QString entry = listEntry(nodes.at(parent).text, nodes.at(p).text);
        bool wanted = false;
        for (qsizetype i = 0; i < m_request.songs.size(); ++i) {
            if (entry.compare(m_request.songs.at(i), Qt::CaseInsensitive) == 0)
                wanted = found[i] = true;
        }
        nodes.setChecked(p, wanted);
    }
    for (qsizetype i = 0; i < found.size(); ++i) {
        if (!found.at(i))
            m_output.error(QStringLiteral("no song \"") + m_request.songs.at(i)
                           + QStringLiteral("\" in the collection"));
    }
    return !found.contains(false);
}

// "join": the songbook of the named songs, in the collection's order, as a
// PDF file.
int CliRun::join()
{
    if (!m_environment.songbookPdf) {
        m_output.error(QStringLiteral("this stanzary-cli was built without the songbook (it needs Qt Gui)"));
        return CliFailed;
    }
    if (!loadCollection() || !checkRequestedSongs())
        return CliNothing;
    const Songbook book = CheckedSongbook(m_state);
    if (book.fileMissing)
        m_output.error(QStringLiteral("the lyrics of some of the songs could not be read: they are left out"));
    if (book.songs.isEmpty())
        return CliFailed;
    const QString error = m_environment.songbookPdf(book, m_request.songbook, m_request.pdf, m_request.force);
    if (!error.isEmpty()) {
        const bool exists = QFileInfo::exists(m_request.pdf);
        m_output.error(u'"' + m_request.pdf + QStringLiteral("\": ") + error
                       + (exists && !m_request.force ? QStringLiteral(" (--force replaces it)") : QString()));
        return CliFailed;
    }
    m_output.result(QStringLiteral("%1 of %2 songs written to %3\n")
                        .arg(book.songs.size())
                        .arg(m_request.songs.size())
                        .arg(m_request.pdf));
    return book.fileMissing ? CliFailed : CliDone;
}

} // namespace

int runStanzaryCli(const QStringList &arguments, const CliEnvironment &environment)
{
    const ParsedArguments parsed = parseCliArguments(arguments);
    if (!parsed.request) {
        CliOutput(environment.out, environment.err, false)
            .error(parsed.error + QStringLiteral("\nTry \"stanzary-cli --help\" for more information."));
        return CliNothing;
    }
    return CliRun(*parsed.request, environment).run();
}

} // namespace stanzary
