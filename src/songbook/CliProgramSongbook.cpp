#include "cli/CliProgram.h"

#include "songbook/SongbookPdf.h"

#include <QGuiApplication>

#include <cstring>

namespace stanzary {

// Only a songbook (--pdf) needs Qt Gui, for its fonts. It draws no window, so
// it runs on the offscreen platform unless another one is asked for.
std::unique_ptr<QCoreApplication> makeCliApplication(int &argc, char *argv[])
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

SongbookPdfWriter cliSongbookPdfWriter()
{
    return [](const Songbook &book, const SongbookOptions &options, const QString &path, bool overwrite) {
        const SongbookPdfResult written = writeSongbookPdf(book, options, path, overwrite);
        return written.ok() ? QString() : written.error;
    };
}

} // namespace stanzary
