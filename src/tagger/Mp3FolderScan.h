#pragma once

#include "platform/CodePage.h"
#include "platform/ProgressCallbacks.h"
#include "tagger/EntryWordIndex.h"
#include "tagger/TagEntry.h"
#include "tagger/TaggerRow.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

namespace stanzary {

// The tagger's folder scan: every MP3 file of a folder and its direct
// subfolders is matched to the collection, and the matched files become rows.
// The pieces are public so that the tagger window and tests can use them one
// by one; ScanFolder runs them in order.

// What the window lets the scan do: show a status text ("Matches: 3 / 9",
// "Parsing: 2/3", the final "Matches: 3 / 9 (33.3%)"), let pending events run
// after every file, ask whether the user pressed stop (checked right after
// the events ran), and hear that the first pass is over (no stop can come
// after it). Each may be empty.
struct ScanCallbacks : ProgressCallbacks
{
    std::function<void()> firstPassDone;
};

struct ScanResult
{
    QList<TaggerRow> rows; // in scan order; sorting by a column is the window's
    int filesParsed = 0;
    int checkedCount = 0;
    bool stopped = false; // the window clears its stop flag
    QString status;       // the final status text
};

// Full paths of the MP3 files to scan: "*.mp3" (ignoring case, real names) in
// folder, then in each direct subfolder, in listing order. A folder that
// cannot be listed gives nothing.
QStringList Mp3FilesToScan(const QString &folder);
// The same in two steps: the folders (folder, then its direct subfolders in
// listing order), and the MP3 files of one of them.
QStringList Mp3FoldersToScan(const QString &folder);
QStringList Mp3FilesIn(const QString &dir);

// What the first pass reads of one MP3 file: the match text (the name without
// its last four characters, the first 500 bytes, and the ID3v1 artist, title,
// track, year and comment, as text through the code page), whether it has an
// ID3v1 record, and its Lyrics3 version. opened is false when the file cannot
// be opened; what could be read is used.
struct Mp3Probe
{
    bool opened = false;
    QString matchText;
    bool hasId3v1 = false;
    QByteArray version;
};
Mp3Probe ProbeMp3(const QString &mp3Path, const CodePage &codePage);

// The row of a file that has candidates (first pass; no chosen entry yet).
TaggerRow FirstPassRow(const QString &mp3Path, const Mp3Probe &probe, const QList<int> &candidates);

// Second pass: chooses each row's entry (EntryScore over the file name,
// ignoring case, minus 2 per file that matched it; the earliest on equal
// scores), fills its "Lyrics file" column, checks the safe rows and returns how
// many it checked. status gets "Parsing: k/n". The scores come from index when
// it ignores case (one pass over the name), else from EntryScore.
int FinishRows(QList<TaggerRow> &rows, QList<TagEntry> &entries, const EntryWordIndex &index,
               const QString &lyricsFolder, const std::function<void(const QString &)> &status = {});

// "Matches: 3 / 9" and the final "Matches: 3 / 9 (33.3%)"; with nothing
// parsed the final text has no percentage.
QString MatchesStatus(int rows, int filesParsed);
QString FinalMatchesStatus(int rows, int filesParsed);

// The LYR data of the Lyrics3 tag (v1 or v2) at the end of the MP3 file, as
// read; empty when the file cannot be read, holds no Lyrics3 tag or no lyrics
// field.
QByteArray SavedLyricsOf(const QString &mp3Path);

// The whole scan of folder against entries (MatchCount reset first, then
// raised by the matches). lyricsFolder ends with "/". The first pass stops
// after the current file when stopRequested answers true; the second pass
// still runs over the rows found so far.
ScanResult ScanFolder(const QString &folder, QList<TagEntry> &entries, const EntryWordIndex &index,
                      const QString &lyricsFolder, const CodePage &codePage, const ScanCallbacks &callbacks = {});

} // namespace stanzary
