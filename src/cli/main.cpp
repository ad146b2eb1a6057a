#include "app/AppIdentity.h"
#include "cli/CliProgram.h"
#include "cli/StanzaryCli.h"
#include "platform/DurableFile.h"

#include <unistd.h>

int main(int argc, char *argv[])
{
    // A file-size limit makes a write fail with an error that the writer
    // handles (tagging puts the old tail back) instead of ending the program
    // in the middle of it.
    stanzary::ignoreFileSizeSignal();
    const std::unique_ptr<QCoreApplication> app = stanzary::makeCliApplication(argc, argv);
    stanzary::setApplicationIdentity();
    stanzary::CliEnvironment environment;
    environment.programDir = QCoreApplication::applicationDirPath();
    environment.progress = ::isatty(STDERR_FILENO) == 1;
    environment.songbookPdf = stanzary::cliSongbookPdfWriter();
    return stanzary::runStanzaryCli(QCoreApplication::arguments().mid(1), environment);
}
