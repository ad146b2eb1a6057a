#pragma once

#include "cli/StanzaryCli.h"

#include <QCoreApplication>

#include <memory>

namespace stanzary {

// What the stanzary-cli program is built with. Without the windows it is
// Qt Core alone (CliProgramCore.cpp); with them it also writes songbooks,
// which need Qt Gui (src/songbook/CliProgramSongbook.cpp). One of the two
// is linked into the program, never into the stanzary_cli library.

// The application object for the program's arguments: a QGuiApplication
// when they ask for a songbook and the program can make one.
std::unique_ptr<QCoreApplication> makeCliApplication(int &argc, char *argv[]);

// The songbook's PDF writer, or none.
SongbookPdfWriter cliSongbookPdfWriter();

} // namespace stanzary
