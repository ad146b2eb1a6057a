#pragma once

#include "karaoke/KaraokeEdition.h"
#include "karaoke/StampCreation.h"

#include <QByteArray>
#include <QList>
#include <QString>

namespace stanzary {

// Reading an .lrc file (the synchronised lyrics many players show) into the
// editor's rows.
//
// The file is UTF-8 (a byte-order mark is skipped). A lyric line carries one
// or more time tags "[mm:ss]", "[mm:ss.x]", "[mm:ss.xx]" or "[mm:ss.xxx]"
// (":" also accepted before the fraction) in front of its text; each tag
// gives one row. Word tags "<mm:ss.xx>" inside the text are dropped. Tags
// such as "[ar:...]" or "[ti:...]" are skipped, except "[offset:+n]" or
// "[offset:-n]": milliseconds by which every time of the file comes earlier
// (+) or later (-). Each time is rounded to the nearest step of
// 0.2 s; one that falls before 00:00.0 becomes 00:00.0. The rows are sorted
// by time (lines with several tags are repeats), equal times keeping the
// file's order, and take their line start from the text as the timestamp
// file stores it (the first two characters, padded with spaces).
//
// Nothing is dropped silently: a line that has text but no readable time
// tag, a tag that is not a time, a time past 13:59.8, a line without text
// and a line start the timestamp file cannot hold are each told as an issue
// with the line's number (from 1), and give no row.
struct LrcImport
{
    QList<KasRow> rows;
    QList<LineIssue> issues;
    bool readable = true; // false: the file itself could not be read (the one issue says why)
};

LrcImport parseLrc(const QByteArray &bytes, const CodePage &codePage);

// Reads a regular file (never a named pipe) of at most MaxTextFileBytes.
LrcImport readLrcFile(const QString &path, const CodePage &codePage);

} // namespace stanzary
