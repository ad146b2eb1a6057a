#pragma once

#include "platform/CopyRewrite.h"
#include "platform/TailJournal.h"

#include <QString>
#include <QStringList>

#include <cstdio>

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
};

// Runs the command line (the arguments after the program's name) and gives
// the exit status.
int runStanzaryCli(const QStringList &arguments, const CliEnvironment &environment);

} // namespace stanzary
