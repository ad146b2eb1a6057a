#include "SampleSongs.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace stanzary::test {

namespace {

QString examples()
{
    const QString dir = qEnvironmentVariable("STANZARY_EXAMPLES");
    if (dir.isEmpty())
        qFatal("SampleSongs: STANZARY_EXAMPLES is not set");
    return dir;
}

SampleSong readSong(const QString &jsonPath)
{
    QFile file(jsonPath);
    if (!file.open(QIODevice::ReadOnly))
        qFatal("SampleSongs: cannot read %s", qPrintable(jsonPath));
    const QJsonObject o = QJsonDocument::fromJson(file.readAll()).object();
    SampleSong song;
    song.name = QFileInfo(jsonPath).completeBaseName();
    song.mp3 = QFileInfo(jsonPath).path() + u'/' + song.name + QStringLiteral(".mp3");
    song.lyricsPath = examples() + QStringLiteral("/Tunewright/lyrics/") + o.value(u"lyrics").toString();
    song.hasTimestamps = o.value(u"hasTimestamps").toBool();
    song.durationMs = o.value(u"durationMs").toInteger();
    for (const QJsonValue &v : o.value(u"lines").toArray()) {
        const QJsonObject line = v.toObject();
        song.lines.append(
            {line.value(u"text").toString(), line.value(u"startMs").toInteger(), line.value(u"endMs").toInteger()});
    }
    if (song.lines.isEmpty() || !QFile::exists(song.mp3))
        qFatal("SampleSongs: %s is incomplete", qPrintable(jsonPath));
    return song;
}

} // namespace

QList<SampleSong> sampleSongs()
{
    QList<SampleSong> songs;
    const QDir music(examples() + QStringLiteral("/Music"));
    for (const QString &json : music.entryList({QStringLiteral("*.json")}, QDir::Files, QDir::Name))
        songs.append(readSong(music.filePath(json)));
    if (songs.isEmpty())
        qFatal("SampleSongs: no sample songs in %s", qPrintable(music.path()));
    return songs;
}

SampleSong sampleSong(const QString &name)
{
    return readSong(examples() + QStringLiteral("/Music/") + name + QStringLiteral(".json"));
}

} // namespace stanzary::test
