#include "cli/CliProgram.h"

namespace stanzary {

std::unique_ptr<QCoreApplication> makeCliApplication(int &argc, char *argv[])
{
    return std::make_unique<QCoreApplication>(argc, argv);
}

SongbookPdfWriter cliSongbookPdfWriter()
{
    return {};
}

} // namespace stanzary
