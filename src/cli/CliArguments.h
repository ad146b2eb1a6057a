#pragma once

#include "app/SongbookSongs.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace stanzary {

// The command line of stanzary-cli: one command and its options.

enum class CliCommand { Help, Version, List, Match, Tag, Lrc, Recover, Join };

// "list": which songs, by their karaoke state.
enum class KaraokeFilter {
    All,
    Downloaded,   // --downloaded: a timestamp file lies beside the lyrics
    Available,    // --available: no timestamp file, but one can be downloaded
    NoTimestamps, // --no-timestamps: no timestamp file
};

struct CliRequest
{
    CliCommand command = CliCommand::Help;
    QString folder; // match, tag, lrc: the folder of MP3 files
    bool json = false;
    KaraokeFilter karaoke = KaraokeFilter::All;
    bool unfilteredOnly = false; // --unfiltered
    // tag, lrc: every matched row (--all) or the rows the tagger window
    // checks by itself (--checked); nothing given: the command's default
    // (tag: checked, lrc: all).
    std::optional<bool> allRows;
    bool id3v2 = false;  // tag --id3v2
    bool lrc = false;    // tag --lrc
    bool dryRun = false; // tag, lrc --dry-run
    bool wait = false;   // tag, lrc --wait
    // join: the songs ("Artist - Song"), the PDF file to write (--pdf FILE,
    // replaced only with --force) and the book's layout (--song-per-page,
    // --font-size N, --paper a4|letter).
    QStringList songs;
    QString pdf;
    bool force = false;
    SongbookOptions songbook;
};

struct ParsedArguments
{
    std::optional<CliRequest> request;
    QString error; // what is wrong with the command line, when there is no request
};

// Reads the arguments after the program's name. "-h"/"--help" anywhere asks
// for the help and "--version" for the version; "--" ends the options, so
// that a folder may begin with "-".
ParsedArguments parseCliArguments(const QStringList &arguments);

// The text printed for --help, ending with a line end (--version prints
// versionText(), as the window's program does).
QString cliHelpText();

} // namespace stanzary
