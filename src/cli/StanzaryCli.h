#pragma once

#include "app/SongbookSongs.h"
#include "platform/CopyRewrite.h"
#include "platform/TailJournal.h"

#include <QString>
#include <QStringList>

#include <cstdio>
#include <functional>

namespace stanzary {

// stanzary-cli: the collection, the tagging and .lrc files from a terminal.
// It finds Tunewright as the window does, reads the same configuration, and
// lists, matches and tags through the same core functions; tagging takes the
// same folder locks and journal, so it never writes a file the window (or
// another stanzary-cli) is tagging.

// Exit statuses.
enum CliStatus : int {
    CliDone = 0,    // everything done
    CliFailed = 1,  // some files failed, or another program held the folder
    CliNothing = 2, // bad usage, or nothing found to work on
};

// Writes a songbook as a PDF file, replacing an existing file only when
// overwrite is set: empty when written, else why not (the old file is then
// kept). The PDF needs Qt Gui, which this library does not link: the program
// gives the writer when it is built with the songbook.
using SongbookPdfWriter =
    std::function<QString(const Songbook &book, const SongbookOptions &options, const QString &path, bool overwrite)>;

// Where the program runs and writes. The journal and the ID3v2 hooks are
// the real ones but in tests.
struct CliEnvironment
{
    std::FILE *out = stdout;
    std::FILE *err = stderr;
    bool progress = false; // standard error is a terminal: show a progress line
    QString programDir;    // the program's own folder (Tunewright may lie beside it)
    TailJournal journal;   // the per-user tagging journal
    RewriteHooks id3v2Hooks;
    SongbookPdfWriter songbookPdf; // none: "join" is refused
};

// Runs the command line (the arguments after the program's name) and gives
// the exit status.
int runStanzaryCli(const QStringList &arguments, const CliEnvironment &environment);

} // namespace stanzary
