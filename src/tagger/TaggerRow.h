#pragma once

#include "app/ImageIndex.h"
#include "app/basMain.h"

#include <QList>
#include <QString>

namespace stanzary {

// One row of the tagger list as plain data: an MP3 file, the collection's
// songs that may belong to it, the one chosen, and what the user must know
// before tagging. The scan fills it; the window shows it (check box, "Mp3 file"
// and "Lyrics file" columns) and lets the user change checked and the choice;
// TagCheckedFiles reads checked, mp3Path, lyricsPath and lyricsName.
struct TaggerRow
{
    bool checked = false;

    // "Mp3 file" column: the file's name as it is on disk, its full path (the
    // tool tip), and what its tail holds.
    QString mp3Name;
    QString mp3Path;
    bool hasLyrics3 = false;   // a Lyrics3 tag of any version: the Lyrics3 colour
    bool withoutId3v1 = false; // column tag "withoutid3": a record will be added

    // Candidate entry indexes, ascending (the row tag, see rowTag()).
    QList<int> candidates;

    // "Lyrics file" column: the chosen entry, its name (words joined with
    // single spaces), its lyrics file's full path (the tool tip), whether the
    // lyrics carry the filter mark, and whether more than one MP3 file of the
    // scan matched that entry (the shared-lyrics colour).
    int chosen = -1;
    QString lyricsName;
    QString lyricsPath;
    bool filtered = false;
    bool sharedLyrics = false;

    bool severalCandidates() const { return candidates.size() > 1; }
    int mp3Image() const { return severalCandidates() ? Icon::Mp3SeveralCandidates : Icon::Mp3OneCandidate; }
    int lyricsImage() const { return filtered ? Icon::LyricsOnly : Icon::LyricsUnfiltered; }
    QString mp3Tag() const { return withoutId3v1 ? QStringLiteral("withoutid3") : QString(); }
};

} // namespace stanzary
