#include "app/AppIdentity.h"
#include "cli/StanzaryCli.h"
#include "platform/DurableFile.h"

#include <QCoreApplication>

#ifdef STANZARY_SONGBOOK
#include "songbook/SongbookPdf.h"

#include <QGuiApplication>
#endif

#include <cstring>
#include <memory>

#include <unistd.h>

namespace {

#ifdef STANZARY_SONGBOOK
// Only a songbook (--pdf) needs Qt Gui, for its fonts; it draws no window,
// so it runs on the offscreen platform unless another is asked for.
std::unique_ptr<QCoreApplication> makeApplication(int &argc, char *argv[])
{
    bool songbook = false;
    for (int i = 1; i < argc; ++i)
        songbook = songbook || std::strcmp(argv[i], "--pdf") == 0;
    if (!songbook)
        return std::make_unique<QCoreApplication>(argc, argv);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    return std::make_unique<QGuiApplication>(argc, argv);
}
#else
std::unique_ptr<QCoreApplication> makeApplication(int &argc, char *argv[])
{
    return std::make_unique<QCoreApplication>(argc, argv);
}
#endif

} // namespace

int main(int argc, char *argv[])
{
    // A file-size limit makes a write fail with an error that the writer
    // handles (tagging puts the old tail back) instead of ending the program
    // in the middle of it.
    stanzary::ignoreFileSizeSignal();
    const std::unique_ptr<QCoreApplication> app = makeApplication(argc, argv);
    stanzary::setApplicationIdentity();
    stanzary::CliEnvironment environment;
    environment.programDir = QCoreApplication::applicationDirPath();
    environment.progress = ::isatty(STDERR_FILENO) == 1;
#ifdef STANZARY_SONGBOOK
    environment.songbookPdf = [](const stanzary::Songbook &book, const stanzary::SongbookOptions &options,
                                 const QString &path, bool overwrite) {
        const stanzary::SongbookPdfResult written = stanzary::writeSongbookPdf(book, options, path, overwrite);
        return written.ok() ? QString() : written.error;
    };
#endif
    return stanzary::runStanzaryCli(QCoreApplication::arguments().mid(1), environment);
}
