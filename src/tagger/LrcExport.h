#pragma once

#include "platform/SafeWrite.h"
#include "tagger/LyricsPairing.h"

#include <QByteArray>
#include <QString>

namespace stanzary {

// The .lrc file that players show as synchronised lyrics: one line
// "[mm:ss.xx]" + lyric line per stamp, in stamp order, each ending with
// CR LF, in UTF-8 (without a byte-order mark), which players of .lrc files
// read.

// The bytes of the file for the paired stamps.
QByteArray lrcText(const QList<PairedStamp> &paired);

// "[mm:ss.xx]": minutes, seconds and hundredths, two digits each.
QString lrcTimeTag(const StampTime &time);

// The .lrc file beside a lyrics or MP3 file: its name with the extension
// replaced by ".lrc" (or ".lrc" appended when it has none), in its folder.
QString lrcPathBeside(const QString &path);

// Writes the file whole and safely (the old file is kept on any failure).
WriteResult writeLrcFile(const QString &path, const QList<PairedStamp> &paired);

} // namespace stanzary
