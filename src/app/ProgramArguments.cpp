#include "app/ProgramArguments.h"

#ifndef STANZARY_VERSION
#error "STANZARY_VERSION is set by the build (the project's version)"
#endif

namespace stanzary {

ProgramRequest programRequest(const QStringList &arguments)
{
    const QString first = arguments.value(1);
    if (first == QStringLiteral("--help") || first == QStringLiteral("-h"))
        return ProgramRequest::PrintHelp;
    if (first == QStringLiteral("--version"))
        return ProgramRequest::PrintVersion;
    return ProgramRequest::Start;
}

QString helpText()
{
    return QStringLiteral("Usage: stanzary [/song ARTIST - SONG]\n"
                          "       stanzary --help | --version\n"
                          "\n"
                          "Looks after the lyrics collection of Tunewright: shows it as a tree of artists\n"
                          "and songs, searches it, shows, edits and deletes lyrics and keeps the\n"
                          "redownload and deleted lists.\n"
                          "\n"
                          "  /song ARTIST - SONG  open with that song shown\n"
                          "  -h, --help           print this help and exit\n"
                          "  --version            print the version and exit\n"
                          "\n"
                          "Tunewright is found beside the program, else through its registry entry in\n"
                          "the Wine prefix ($WINEPREFIX, or ~/.wine). The redownload and deleted lists\n"
                          "are kept in the program's folder when it is writable and not a folder of\n"
                          "installed programs such as /usr/bin, else in ~/.local/share/Zeph/Stanzary.\n");
}

QString versionText()
{
    return QStringLiteral("Stanzary ") + QStringLiteral(STANZARY_VERSION) + u'\n';
}

std::optional<int> answerInfoRequest(int argc, const char *const *argv, std::FILE *out)
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    QString text;
    switch (programRequest(arguments)) {
    case ProgramRequest::Start: return std::nullopt;
    case ProgramRequest::PrintHelp: text = helpText(); break;
    case ProgramRequest::PrintVersion: text = versionText(); break;
    }
    const QByteArray bytes = text.toLocal8Bit();
    // A full disk or a closed pipe is a failure, not a success.
    const bool written =
        std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), out) == static_cast<size_t>(bytes.size())
        && std::fflush(out) == 0;
    if (written)
        return 0;
    std::fputs("stanzary: the text could not be written\n", stderr);
    return 1;
}

} // namespace stanzary
