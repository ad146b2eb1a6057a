#pragma once

#include "tagger/SongAudio.h"

#include <QObject>

namespace stanzary {

class basMain;
class SongDetailsView;

// Finds the shown song's audio for the playback bar and remembers what the
// user tells about it: the file chosen for a song (first in the list from
// then on) and the MP3 folders added. The folders scanned in the tagger are
// remembered by the tagger.
class SongAudioCommand : public QObject
{
    Q_OBJECT

public:
    SongAudioCommand(basMain &state, SongDetailsView &details, QObject *parent = nullptr);

    // The audio of the current song (basMain::strCurrentKey) to the bar.
    void showCurrentSong();
    // The files for a song: the remembered choice, when its file is still
    // there, else the files matched among the MP3 folders.
    QStringList filesFor(const QString &songKey);

private:
    basMain &m_state;
    SongDetailsView &m_details;
    SongAudioFinder m_finder;
};

} // namespace stanzary
