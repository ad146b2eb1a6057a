#pragma once

#include <QString>
#include <QStringList>

#include <cstdio>
#include <optional>

namespace stanzary {

// What the command line asks of the program before any window exists.
enum class ProgramRequest {
    Start,       // open the window; "/song Artist - Song" is read later on
    PrintHelp,   // "--help" or "-h"
    PrintVersion // "--version"
};

// Looks at the first argument after the program's name (arguments[0]) only,
// so "--help" inside a song's name after "/song" still names a song.
ProgramRequest programRequest(const QStringList &arguments);

// The texts printed for --help and --version, each ending with a line end.
QString helpText();
QString versionText();

// For the top of main(), before any application object: answers --help and
// --version on out, without a window or a display. Gives the exit status
// (0, or 1 when out could not be written) when the program is to stop, and
// nothing when it is to start.
std::optional<int> answerInfoRequest(int argc, const char *const *argv, std::FILE *out = stdout);

} // namespace stanzary
