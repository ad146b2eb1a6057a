#pragma once

#include "store/CollectionListing.h"
#include "tagger/Mp3FolderScan.h"
#include "tagger/TagEntry.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QList>
#include <QString>

#include <cstdio>

namespace stanzary {

// What stanzary-cli writes: results on standard output, errors and the
// progress line on standard error.
class CliOutput
{
public:
    // progress: standard error is a terminal, so the progress line is shown.
    CliOutput(std::FILE *out, std::FILE *err, bool progress) : m_out(out), m_err(err), m_progress(progress) {}

    // A result; text is written as UTF-8, CR LF line ends as LF, at once.
    void result(const QString &text);
    // An error or a notice: "stanzary-cli: " and the text, one line.
    void error(const QString &text);
    // The progress line (only on a terminal, at most ten times a second):
    // rewritten in place; cleared before anything else is written.
    void progress(const QString &text);
    void clearProgress();

    // False when a result could not be written (a full disk, a closed pipe).
    bool resultsWritten() const { return m_resultsWritten; }

private:
    std::FILE *m_out;
    std::FILE *m_err;
    bool m_progress;
    bool m_resultsWritten = true;
    qsizetype m_progressWidth = 0; // characters of the line shown, 0 when none
    QElapsedTimer m_since;
};

// "list": one "Artist - Song" a line, or a JSON array with one object a
// line: artist, song, file, karaoke ("downloaded", "available", "none")
// and filter ("filtered", "unfiltered", "unknown").
QString songsAsText(const QList<ListedSong> &songs);
QString songsAsJson(const QList<ListedSong> &songs);

// "match": a line per row, "[x]" or "[ ]" (checked as the tagger window
// checks it), the MP3 file, a tab, the chosen song and, after another tab,
// the row's alerts as the window tells them; or a JSON object with the
// folder, the counts and the rows with their candidates and alerts.
QString rowsAsText(const QList<TaggerRow> &rows);
QString rowsAsJson(const QString &folder, const ScanResult &scan, const QList<TagEntry> &entries,
                   const QString &lyricsFolder);

// The alerts of a row, as the window's selection buttons and alert icons
// name them: "more than 1 match (3)", "matched more than once",
// "unfiltered", "with lyrics3 tag", "an id3v1 tag will be added".
QStringList rowAlerts(const TaggerRow &row);

} // namespace stanzary
