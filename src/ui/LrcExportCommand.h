#pragma once

#include <QString>

namespace stanzary {

class clsKaraokeEdition;
class CodePage;
class UserDialogs;

// The karaoke editor's export: the stamps as the editor holds them, paired
// with the lyrics as the lyrics box shows them, written as an .lrc file
// beside besidePath (the lyrics file or an MP3 file) with the same name and
// the extension ".lrc". Every outcome is told through dialogs: a stamp that
// finds no lyric line (nothing is written then), an existing .lrc file (the
// user is asked before it is replaced), a failed write (the old file is
// kept), and the file written. True when the file was written.
bool exportLrcBeside(UserDialogs &dialogs, const clsKaraokeEdition &edition, const CodePage &codePage,
                     const QString &lyricsText, const QString &besidePath);

// The file chooser's title and filter for "beside an MP3 file".
QString chooseMp3Title();
QString mp3FileFilter();

} // namespace stanzary
