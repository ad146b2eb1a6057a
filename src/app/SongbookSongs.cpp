#include "app/SongbookSongs.h"

#include "app/JoinLyrics.h"
#include "app/basMain.h"
#include "store/LyricsFile.h"
#include "tagger/LyricsPairing.h"

namespace stanzary {

Songbook CheckedSongbook(const basMain &state)
{
    Songbook book;
    book.date = state.now().date();
    for (const CheckedSong &checked : checkedSongs(state.nodes)) {
        const QString path = state.strLyricsPath + state.nodes.at(checked.position).key;
        const std::optional<QString> text = readLyricsText(path, state.codePage);
        if (!text) {
            book.fileMissing = true;
            continue;
        }
        QStringList lines = lyricLines(*text);
        while (!lines.isEmpty() && lines.constLast().trimmed().isEmpty())
            lines.removeLast();
        book.songs.append({checked.artist, checked.song, lines.join(u'\n')});
    }
    return book;
}

} // namespace stanzary
