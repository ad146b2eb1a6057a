#pragma once

#include "karaoke/KasFile.h"
#include "karaoke/StampSteps.h"
#include "platform/CodePage.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace stanzary {

// Pairing a song's karaoke stamps with its lyric lines, for the formats that
// players show as synchronised lyrics (an .lrc file, an ID3v2 SYLT frame).
// A stamp holds only the first two characters of its line, so it is paired
// with the next line that starts with them: stamp k takes the first
// non-blank line after the one stamp k - 1 took whose first two characters
// (a shorter line padded with spaces, as the timestamp file pads it) are the
// stamp's prefix, compared with case.

// The lyrics' lines: the text in front of the source trailer (a line of
// sixteen "-", then "* Downloaded from:"), split at line ends (CR LF as on
// disk, or LF as a text box holds them), without the line ends.
QStringList lyricLines(const QString &lyricsText);

// A line of nothing but spaces and tabs (or none) takes no stamp.
bool isBlankLine(const QString &line);

// A line's first two characters as a timestamp file stores them: a shorter
// line padded with spaces.
QString linePrefix(const QString &line);

struct PairedStamp
{
    StampTime time;
    QString line;
    int index = 0;           // the stamp's position among the stamps, from 0
    qsizetype lineIndex = 0; // the line's position among the lines, from 0
};

// A stamp no line was found for: its position among the stamps (from 0),
// its prefix, and its time when the code could be read.
struct UnpairedStamp
{
    int index = 0;
    QString prefix;
    std::optional<StampTime> time;
};

struct StampPairing
{
    QList<PairedStamp> paired;
    QList<UnpairedStamp> unpaired;
    bool complete() const { return unpaired.isEmpty(); }
};

// Pairs the records in order with the lines; the prefixes are decoded with
// the code page the timestamp file is in. Records a timestamp file would not
// keep (isStoredRecord) are passed over. A stamp that finds no line (or
// whose time code cannot be read) is listed in unpaired, and the next stamp
// searches on from the line after the last one paired.
StampPairing pairStamps(const QList<KasRecord> &stamps, const QStringList &lines, const CodePage &codePage);

// "stamp 3 (02:05.4, "Ri")", for telling the user.
QString describeUnpaired(const UnpairedStamp &stamp);

} // namespace stanzary
