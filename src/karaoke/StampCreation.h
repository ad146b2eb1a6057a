#pragma once

#include "karaoke/KaraokeEdition.h"
#include "platform/CodePage.h"

#include <QList>
#include <QString>

namespace stanzary {

// Stamps for a song that has none yet, and the rule every new stamp's line
// start must meet.

// A line that gives no stamp, and why, for telling the user.
struct LineIssue
{
    int line = 0; // from 1, in the text it was read from
    QString text;
    QString reason;
};

// Why a timestamp file cannot hold prefix (a line's first two characters)
// as a stamp's line start, or an empty string when it can: ";" would end
// the stamps, two spaces are read as no stamp at all, and the characters
// must be in the code page.
QString prefixProblem(const QString &prefix, const CodePage &codePage);

// True for the host's filter mark on a line of its own ("[Tunewright]
// filter used"): it is not a lyric line.
bool isFilterMarkLine(const QString &line);

struct NewStamps
{
    QList<KasRow> rows;
    QList<LineIssue> issues; // lines left out because their start cannot be stored
};

// One row per lyric line, in order, each at 00:00.0 with the line's first
// two characters: the lines are those the .lrc export pairs stamps with (the
// source trailer is not part of them), less blank lines and the host's
// filter mark. So every row pairs with the line it was made from.
NewStamps stampsForLyrics(const QString &lyricsText, const CodePage &codePage);

} // namespace stanzary
