#include "tagger/Mp3FolderScan.h"

#include "platform/DirListing.h"
#include "platform/FileEnds.h"
#include "platform/RegularFile.h"
#include "platform/ReplacementFile.h"
#include "store/CollectionScan.h"
#include "store/SongNames.h"
#include "tagger/Mp3Matcher.h"
#include "tagger/Mp3Tail.h"

#include <QFile>

namespace stanzary {

namespace {

constexpr qint64 HeadBytes = 500;
constexpr qint64 TailBytes = Id3v1Record::Size + 9; // the record and the marker in front of it

// A "TAG" 128 bytes before the end of a file that ends with a Lyrics3 marker
// may be the inside of that tag; only then is more of the file read, to see
// whether the tag is readable and reaches back past it.
bool recordIsInsideLyrics3(const RegularFile &mp3, const QByteArray &tail)
{
    if (ClassifyLyricsMarker(tail.right(9)) == LyricsVersion::None)
        return false;
    QFile file;
    return mp3.openDevice(file, QIODevice::ReadOnly) && LastBytesAreLyrics3(file);
}

} // namespace

QStringList Mp3FoldersToScan(const QString &folder)
{
    const QString root = withTrailingSeparator(folder);
    if (root.isEmpty())
        return {};
    QStringList folders{root};
    const QStringList subfolders = listSubfolders(root);
    for (const QString &sub : subfolders)
        folders << withTrailingSeparator(root + sub);
    return folders;
}

QStringList Mp3FilesIn(const QString &dir)
{
    FolderEntries entries = readFolder(dir);
    // Copies that a killed ID3v2 write left beside the MP3 files go now.
    if (!entries.replacements.isEmpty())
        removeLeftoverReplacements(dir, entries.replacements);
    QStringList paths = filesWithSuffix(std::move(entries.files), QStringLiteral(".mp3"));
    for (QString &name : paths)
        name.prepend(dir);
    return paths;
}

QStringList Mp3FilesToScan(const QString &folder)
{
    QStringList paths;
    const QStringList folders = Mp3FoldersToScan(folder);
    for (const QString &dir : folders)
        paths += Mp3FilesIn(dir);
    return paths;
}

Mp3Probe ProbeMp3(const QString &mp3Path, const CodePage &codePage)
{
    Mp3Probe probe;
    probe.version = QByteArray(LyricsVersion::None);
    const QString name = LastPathPart(mp3Path);
    probe.matchText = name.left(name.size() - 4);

    const RegularFile file(mp3Path);
    const FileEnds ends = readFileEnds(file, HeadBytes, TailBytes);
    if (!ends.opened)
        return probe;
    probe.opened = true;
    probe.matchText += codePage.decode(ends.head);

    // The last bytes hold what ReadId3v1, TailPos and GetLyricsVersion look
    // at: tail covers [size - tail.size(), size).
    const qint64 size = ends.size;
    const QByteArray &tail = ends.tail;
    if (tail.size() != std::min(size, TailBytes))
        return probe;

    const Id3v1Record id3v1 =
        tail.size() >= Id3v1Record::Size ? Id3v1Record::fromBytes(tail.right(Id3v1Record::Size)) : Id3v1Record();
    probe.hasId3v1 = id3v1.isPresent() && !recordIsInsideLyrics3(file, tail);
    const qint64 tailPos = probe.hasId3v1 ? size - Id3v1Record::Size : size;
    const qint64 markerAt = tailPos - 9 - (size - tail.size());
    if (markerAt >= 0)
        probe.version = ClassifyLyricsMarker(tail.mid(markerAt, 9));
    if (probe.hasId3v1) {
        probe.matchText += codePage.decode(id3v1.Artist) + codePage.decode(id3v1.Title) + QString::number(id3v1.Track)
                           + codePage.decode(id3v1.Year) + codePage.decode(id3v1.Comment);
    }
    return probe;
}

TaggerRow FirstPassRow(const QString &mp3Path, const Mp3Probe &probe, const QList<int> &candidates)
{
    TaggerRow row;
    row.mp3Path = mp3Path;
    row.mp3Name = LastPathPart(mp3Path);
    row.candidates = candidates;
    row.withoutId3v1 = !probe.hasId3v1;
    row.hasLyrics3 = probe.version != LyricsVersion::None;
    return row;
}

int FinishRows(QList<TaggerRow> &rows, QList<TagEntry> &entries, const EntryWordIndex &index,
               const QString &lyricsFolder, const std::function<void(const QString &)> &status)
{
    const bool indexScores = index.sensitivity() == Qt::CaseInsensitive && index.entryCount() == entries.size();
    int checked = 0;
    const qsizetype n = rows.size();
    for (qsizetype k = 0; k < n; ++k) {
        TaggerRow &row = rows[k];
        int chosen = row.candidates.value(0, -1);
        if (row.candidates.size() > 1) {
            const QList<int> scores = indexScores ? index.scores(row.mp3Name, row.candidates) : QList<int>();
            for (qsizetype i = 0; i < row.candidates.size(); ++i) {
                const int c = row.candidates.at(i);
                const int score = indexScores ? scores.at(i) : EntryScore(entries, c, row.mp3Name, Qt::CaseInsensitive);
                entries[c].Score = score - 2 * entries.at(c).MatchCount;
            }
            chosen = BestEntry(entries, row.candidates);
        }
        if (chosen < 0 || chosen >= entries.size())
            continue;
        ChooseEntry(row, chosen, entries, lyricsFolder);
        row.checked = entries.at(chosen).MatchCount == 1 && !row.hasLyrics3 && row.filtered;
        if (row.checked)
            ++checked;
        if (status)
            status(QStringLiteral("Parsing: ") + QString::number(k + 1) + u'/' + QString::number(n));
    }
    return checked;
}

QString MatchesStatus(int rows, int filesParsed)
{
    return QStringLiteral("Matches: ") + QString::number(rows) + QStringLiteral(" / ") + QString::number(filesParsed);
}

QString FinalMatchesStatus(int rows, int filesParsed)
{
    if (filesParsed <= 0)
        return MatchesStatus(rows, filesParsed);
    const double percent = static_cast<double>(rows) / filesParsed * 100.0;
    return MatchesStatus(rows, filesParsed) + QStringLiteral(" (") + PercentText(percent) + QStringLiteral("%)");
}

QByteArray SavedLyricsOf(const QString &mp3Path)
{
    // Only a regular file: a named pipe would block the open.
    const RegularFile mp3(mp3Path);
    QFile file;
    if (!mp3.openDevice(file, QIODevice::ReadOnly))
        return QByteArray();
    return FieldData(ReadMp3Tail(file).fields, QByteArrayLiteral("LYR"));
}

ScanResult ScanFolder(const QString &folder, QList<TagEntry> &entries, const EntryWordIndex &index,
                      const QString &lyricsFolder, const CodePage &codePage, const ScanCallbacks &callbacks)
{
    for (TagEntry &e : entries) {
        e.MatchCount = 0;
        e.Score = 0;
    }
    ScanResult result;
    // Folder by folder, so that a large folder is not listed whole before
    // the first events can run.
    const QStringList folders = Mp3FoldersToScan(folder);
    for (const QString &dir : folders) {
        const QStringList paths = Mp3FilesIn(dir);
        for (const QString &path : paths) {
            const Mp3Probe probe = ProbeMp3(path, codePage);
            // A file that cannot be opened could not be tagged either: no row.
            if (probe.opened) {
                const QList<int> candidates = FindEntries(entries, index, probe.matchText);
                if (!candidates.isEmpty())
                    result.rows.append(FirstPassRow(path, probe, candidates));
            }
            ++result.filesParsed;
            callbacks.tell(MatchesStatus(static_cast<int>(result.rows.size()), result.filesParsed));
            callbacks.letEventsRun();
            if (callbacks.stopping()) {
                result.stopped = true;
                break;
            }
        }
        if (result.stopped)
            break;
    }
    if (callbacks.firstPassDone)
        callbacks.firstPassDone();
    result.checkedCount = FinishRows(result.rows, entries, index, lyricsFolder, callbacks.status);
    result.status = FinalMatchesStatus(static_cast<int>(result.rows.size()), result.filesParsed);
    callbacks.tell(result.status);
    return result;
}

} // namespace stanzary
