#pragma once

#include <QList>
#include <QString>

namespace stanzary::test {

// The sample songs' audio in examples/Music (made by
// scripts/make-sample-audio.py): a spoken line per lyric line, each starting
// at a known moment.
struct SampleLine
{
    QString text;
    qint64 startMs = 0; // the line's first sample
    qint64 endMs = 0;   // after its last sample
};

struct SampleSong
{
    QString name;       // "Artist - Song"
    QString mp3;        // full path of the MP3 file
    QString lyricsPath; // full path of its lyrics file in the sample installation
    bool hasTimestamps = false;
    qint64 durationMs = 0;
    QList<SampleLine> lines;
};

// Every sample song, by name; fails the test program when the files are missing.
QList<SampleSong> sampleSongs();
SampleSong sampleSong(const QString &name);

} // namespace stanzary::test
