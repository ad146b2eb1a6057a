#pragma once

#include "platform/CodePage.h"
#include "platform/CopyRewrite.h"
#include "platform/TailJournal.h"
#include "tagger/TaggerRow.h"
#include "tagger/TaggingRun.h"

#include <QList>
#include <QString>

namespace stanzary {

// Tagging the rows of the tagger, as the tagger window ("Tag checked files")
// and the command line ("stanzary-cli tag") both do it: for each row the
// Lyrics3 tag, then with the option the ID3v2 lyrics frames, then with the
// option the .lrc file beside the MP3 file, each with its lines in the log.

struct TaggingOptions
{
    bool id3v2 = false;  // "Also write ID3v2 lyrics"
    bool lrc = false;    // "Also write .lrc files"
    bool dryRun = false; // tell what would be done, change nothing
};

struct TaggingSetup
{
    CodePage codePage;   // the collection's
    QString site;        // the maker's web site, for the credit line
    TailJournal journal; // the rollback journal of the Lyrics3 writes
    TaggingOptions options;
    RewriteHooks id3v2Hooks; // tests stop an ID3v2 rewrite at its steps
};

// Tags one row: "File tagged..: " (or "Error tagging: ") and the MP3 file's
// path, with the reason of a failure below it; when the Lyrics3 tag was
// written, the notes of the ID3v2 frames and of the .lrc file follow. A dry
// run says "Would tag....: " or "Cannot tag...: " and what would be written.
// The row fails when any write fails (a song without timestamps, or whose
// stamps do not all find their lines, gets no .lrc file and no SYLT frame:
// that is told, but no failure).
RowResult TagRow(const TaggerRow &row, const TaggingSetup &setup);

// Tags every checked row with TagRow under the locks of their folders (see
// RunCheckedRows; a dry run takes none and rolls nothing back).
TaggingRun TagCheckedFiles(const QList<TaggerRow> &rows, const TaggingSetup &setup, RowRunOptions run = {});

// Writes only the .lrc file of every checked row, beside its MP3 file, under
// the same locks: ".lrc file written: <path>" and the like, one line a row.
TaggingRun WriteLrcFiles(const QList<TaggerRow> &rows, const TaggingSetup &setup, RowRunOptions run = {});

} // namespace stanzary
