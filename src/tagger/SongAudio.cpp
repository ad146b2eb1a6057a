#include "tagger/SongAudio.h"

#include "app/basMain.h"
#include "tagger/EntryWordIndex.h"
#include "tagger/Mp3Matcher.h"

#include <QDir>

namespace stanzary {

QStringList SongAudioFinder::filesFor(const basMain &state, const QString &songKey, const ScanCallbacks &callbacks)
{
    const int songs = state.nodes.count();
    if (!m_matched || m_folders != state.Mp3Folders || m_songs != songs) {
        m_byKey.clear();
        QList<TagEntry> entries = BuildTagEntries(state.nodes);
        const EntryWordIndex index(entries);
        ScanCallbacks quiet;
        quiet.letPendingEventsRun = callbacks.letPendingEventsRun;
        for (const QString &folder : state.Mp3Folders) {
            const ScanResult scan = ScanFolder(folder, entries, index, state.strLyricsPath, state.codePage, quiet);
            for (const TaggerRow &row : scan.rows) {
                if (row.chosen >= 0 && row.chosen < entries.size())
                    m_byKey[entries.at(row.chosen).Key].append(row.mp3Path);
            }
        }
        m_folders = state.Mp3Folders;
        m_songs = songs;
        m_matched = true;
    }
    QStringList files = m_byKey.value(songKey);
    files.removeDuplicates(); // a folder that is also another's subfolder
    return files;
}

bool rememberMp3Folder(basMain &state, const QString &folder)
{
    if (folder.isEmpty())
        return false;
    const QString clean = QDir::cleanPath(QDir(folder).absolutePath());
    if (state.Mp3Folders.contains(clean))
        return false;
    state.Mp3Folders.append(clean);
    return true;
}

} // namespace stanzary
