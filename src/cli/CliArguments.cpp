#include "cli/CliArguments.h"

#include <QHash>

namespace stanzary {

namespace {

const QHash<QString, CliCommand> &commandNames()
{
    static const QHash<QString, CliCommand> names = {
        {QStringLiteral("list"), CliCommand::List},       {QStringLiteral("match"), CliCommand::Match},
        {QStringLiteral("tag"), CliCommand::Tag},         {QStringLiteral("lrc"), CliCommand::Lrc},
        {QStringLiteral("recover"), CliCommand::Recover}, {QStringLiteral("join"), CliCommand::Join},
    };
    return names;
}

bool takesFolder(CliCommand command)
{
    return command == CliCommand::Match || command == CliCommand::Tag || command == CliCommand::Lrc;
}

// Applies one option to the request; an error text when the command does
// not take it or it contradicts an earlier one.
QString applyOption(CliRequest &r, const QString &option)
{
    const CliCommand c = r.command;
    const bool writes = c == CliCommand::Tag || c == CliCommand::Lrc;
    const auto karaoke = [&](KaraokeFilter filter) {
        if (c != CliCommand::List)
            return false;
        if (r.karaoke != KaraokeFilter::All && r.karaoke != filter)
            return false;
        r.karaoke = filter;
        return true;
    };
    const auto rows = [&](bool all) {
        if (!writes || (r.allRows && *r.allRows != all))
            return false;
        r.allRows = all;
        return true;
    };
    bool ok = false;
    if (option == u"--downloaded")
        ok = karaoke(KaraokeFilter::Downloaded);
    else if (option == u"--available")
        ok = karaoke(KaraokeFilter::Available);
    else if (option == u"--no-timestamps")
        ok = karaoke(KaraokeFilter::NoTimestamps);
    else if (option == u"--unfiltered")
        ok = c == CliCommand::List && (r.unfilteredOnly = true);
    else if (option == u"--json")
        ok = (c == CliCommand::List || c == CliCommand::Match) && (r.json = true);
    else if (option == u"--checked")
        ok = rows(false);
    else if (option == u"--all")
        ok = rows(true);
    else if (option == u"--id3v2")
        ok = c == CliCommand::Tag && (r.id3v2 = true);
    else if (option == u"--lrc")
        ok = c == CliCommand::Tag && (r.lrc = true);
    else if (option == u"--dry-run")
        ok = writes && (r.dryRun = true);
    else if (option == u"--wait")
        ok = writes && (r.wait = true);
    else if (option == u"--force")
        ok = c == CliCommand::Join && (r.force = true);
    else if (option == u"--song-per-page")
        ok = c == CliCommand::Join && (r.songbook.songPerPage = true);
    else
        return QStringLiteral("unknown option \"") + option + u'"';
    if (ok)
        return QString();
    return QStringLiteral("the option \"") + option + QStringLiteral("\" does not go with this command")
           + QStringLiteral(" or with the options before it");
}

bool takesValue(const QString &option)
{
    return option == u"--pdf" || option == u"--font-size" || option == u"--paper";
}

// Applies an option that takes a value (join's --pdf, --font-size and
// --paper); an error text when it does not fit.
QString applyValueOption(CliRequest &r, const QString &option, const QString &value)
{
    if (r.command != CliCommand::Join)
        return QStringLiteral("the option \"") + option + QStringLiteral("\" does not go with this command");
    if (option == u"--pdf") {
        r.pdf = value;
    } else if (option == u"--font-size") {
        bool ok = false;
        const int size = value.toInt(&ok);
        if (!ok || size < SongbookOptions::MinFontSize || size > SongbookOptions::MaxFontSize)
            return QStringLiteral("the font size must be a number from %1 to %2")
                .arg(SongbookOptions::MinFontSize)
                .arg(SongbookOptions::MaxFontSize);
        r.songbook.fontSize = size;
    } else if (value.compare(QLatin1StringView("a4"), Qt::CaseInsensitive) == 0) {
        r.songbook.paper = SongbookPaper::A4;
    } else if (value.compare(QLatin1StringView("letter"), Qt::CaseInsensitive) == 0) {
        r.songbook.paper = SongbookPaper::Letter;
    } else {
        return QStringLiteral("the paper must be a4 or letter");
    }
    return QString();
}

} // namespace

ParsedArguments parseCliArguments(const QStringList &arguments)
{
    ParsedArguments parsed;
    for (const QString &argument : arguments) {
        if (argument == u"--")
            break;
        if (argument == u"-h" || argument == u"--help") {
            parsed.request = CliRequest{};
            return parsed;
        }
        if (argument == u"--version") {
            parsed.request = CliRequest{};
            parsed.request->command = CliCommand::Version;
            return parsed;
        }
    }
    if (arguments.isEmpty()) {
        parsed.error = QStringLiteral("a command is missing");
        return parsed;
    }
    const auto command = commandNames().constFind(arguments.first());
    if (command == commandNames().cend()) {
        parsed.error = QStringLiteral("unknown command \"") + arguments.first() + u'"';
        return parsed;
    }
    CliRequest request;
    request.command = *command;
    bool optionsEnded = false;
    QStringList operands;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString &argument = arguments.at(i);
        if (!optionsEnded && argument == u"--") {
            optionsEnded = true;
        } else if (!optionsEnded && takesValue(argument)) {
            if (i + 1 >= arguments.size()) {
                parsed.error = QStringLiteral("the option \"") + argument + QStringLiteral("\" needs a value");
                return parsed;
            }
            const QString error = applyValueOption(request, argument, arguments.at(++i));
            if (!error.isEmpty()) {
                parsed.error = error;
                return parsed;
            }
        } else if (!optionsEnded && argument.startsWith(u'-') && argument.size() > 1) {
            const QString error = applyOption(request, argument);
            if (!error.isEmpty()) {
                parsed.error = error;
                return parsed;
            }
        } else {
            operands << argument;
        }
    }
    if (request.command == CliCommand::Join) {
        if (operands.isEmpty())
            parsed.error = QStringLiteral("the songs to join are missing (\"Artist - Song\")");
        else if (request.pdf.isEmpty())
            parsed.error = QStringLiteral("the PDF file to write is missing (--pdf FILE)");
        else
            parsed.request = request;
        if (parsed.request)
            parsed.request->songs = operands;
        return parsed;
    }
    const qsizetype wanted = takesFolder(request.command) ? 1 : 0;
    if (operands.size() < wanted) {
        parsed.error = QStringLiteral("the folder of MP3 files is missing");
        return parsed;
    }
    if (operands.size() > wanted) {
        parsed.error = QStringLiteral("unexpected argument \"") + operands.at(wanted) + u'"';
        return parsed;
    }
    if (wanted == 1)
        request.folder = operands.first();
    parsed.request = request;
    return parsed;
}

QString cliHelpText()
{
    return QStringLiteral("Usage: stanzary-cli COMMAND [OPTIONS]\n"
                          "\n"
                          "The lyrics collection of Tunewright, the tagging of MP3 files and .lrc files,\n"
                          "from a terminal and with the rules of Stanzary's windows.\n"
                          "\n"
                          "Commands:\n"
                          "  list [--downloaded | --available | --no-timestamps] [--unfiltered] [--json]\n"
                          "      the songs of the collection, one \"Artist - Song\" a line\n"
                          "  match FOLDER [--json]\n"
                          "      the MP3 files of FOLDER and its direct subfolders matched to the songs:\n"
                          "      the song chosen for each file, its candidates and its alerts\n"
                          "  tag FOLDER [--checked | --all] [--id3v2] [--lrc] [--dry-run] [--wait]\n"
                          "      writes the songs' lyrics into the matched MP3 files (Lyrics3 tags)\n"
                          "  lrc FOLDER [--checked | --all] [--dry-run] [--wait]\n"
                          "      writes only the .lrc files beside the matched MP3 files\n"
                          "  recover\n"
                          "      puts back the old bytes of files whose writing was interrupted\n"
                          "  join \"ARTIST - SONG\"... --pdf FILE [--force] [--song-per-page]\n"
                          "       [--font-size N] [--paper a4|letter]\n"
                          "      a songbook of the songs' lyrics as a PDF file: a title page, the contents\n"
                          "      and each song, in the order of the collection\n"
                          "\n"
                          "Options:\n"
                          "  --downloaded     songs with a timestamp file\n"
                          "  --available      songs without one whose timestamps can be downloaded\n"
                          "  --no-timestamps  songs without a timestamp file\n"
                          "  --unfiltered     songs whose lyrics lack the filter mark\n"
                          "  --json           JSON instead of lines of text\n"
                          "  --checked        the rows the tagger window checks by itself (tag's default)\n"
                          "  --all            every matched row (lrc's default)\n"
                          "  --id3v2          also write the lyrics as ID3v2 frames (USLT, and SYLT from\n"
                          "                   the song's timestamps)\n"
                          "  --lrc            also write an .lrc file beside each tagged MP3 file whose\n"
                          "                   song has timestamps that all find their lyric lines\n"
                          "  --dry-run        print what would be written and change nothing\n"
                          "  --wait           wait while another program tags files in the same folders\n"
                          "                   (without it, nothing is done then)\n"
                          "  --pdf FILE       the PDF file the songbook is written to\n"
                          "  --force          replace FILE when it exists (without it, nothing is written)\n"
                          "  --song-per-page  start each song on a page of its own\n"
                          "  --font-size N    the lyrics' size in points (6 to 36; 11 when not given)\n"
                          "  --paper a4|letter  the page size (when not given: Letter where the locale\n"
                          "                   measures in US units, else A4)\n"
                          "  -h, --help       print this help and exit\n"
                          "  --version        print the version and exit\n"
                          "\n"
                          "Results go to standard output, errors to standard error. Exit status: 0 all\n"
                          "done, 1 some files failed (or another program was tagging the folder), 2 bad\n"
                          "usage or nothing found.\n"
                          "\n"
                          "Tunewright is found as the stanzary program finds it: beside this program,\n"
                          "else through its registry entry in the Wine prefix ($WINEPREFIX, or ~/.wine).\n");
}

} // namespace stanzary
