#pragma once

// A generated collection and a folder of MP3 files matched to it, for the
// tagger's benchmarks: songs with lyrics files (most carrying the filter
// mark), and small MP3 files named after songs or not, with ID3v1 records,
// some ID3v2 headers and some Lyrics3 tags. Deterministic for a seed.
// Header-only; QtCore and the core library only.

#include "platform/CodePage.h"
#include "store/NodeCollection.h"
#include "store/SongNames.h"

#include <QDir>
#include <QFile>
#include <QList>
#include <QPair>
#include <QRandomGenerator>
#include <QString>
#include <QStringList>

namespace stanzary::bench {

// Random words and bytes, the same for the same seed.
class Generator
{
public:
    explicit Generator(quint32 seed) : m_rng(seed)
    {
        static const char *const syllables[] = {"ka", "lo",  "mi",  "ra",  "ten", "vor", "shi", "an",  "del", "qu",
                                                "ix", "bel", "zu",  "orn", "ap",  "ess", "tri", "mon", "gal", "fe",
                                                "no", "wy",  "har", "ul",  "pe",  "dro", "sa",  "vin", "cor", "lum"};
        for (int i = 0; i < 20000; ++i) {
            QString w;
            const int parts = 1 + int(m_rng.bounded(4));
            for (int p = 0; p < parts; ++p)
                w += QString::fromLatin1(syllables[m_rng.bounded(30)]);
            w[0] = w.at(0).toUpper();
            m_words << w;
        }
        // Short, common words that turn up inside almost anything.
        m_words << QStringLiteral("a") << QStringLiteral("I") << QStringLiteral("of") << QStringLiteral("the")
                << QStringLiteral("in") << QStringLiteral("me") << QStringLiteral("O'Dell")
                << QStringLiteral("Caf\u00e9");
    }

    int bounded(int n) { return int(m_rng.bounded(n)); }
    QString word() { return m_words.at(bounded(int(m_words.size()))); }
    QString words(int from, int to)
    {
        QStringList out;
        const int n = from + bounded(to - from + 1);
        for (int i = 0; i < n; ++i)
            out << word();
        return out.join(u' ');
    }
    QByteArray noise(int n)
    {
        QByteArray b(n, '\0');
        for (int i = 0; i < n; ++i)
            b[i] = char(m_rng.bounded(256));
        return b;
    }

private:
    QRandomGenerator m_rng;
    QStringList m_words;
};

inline QByteArray latin1(const QString &s)
{
    static const CodePage cp;
    return *cp.encode(s);
}

inline QByteArray id3v1(const QString &title, const QString &artist)
{
    return "TAG" + latin1(title).leftJustified(30, '\0', true) + latin1(artist).leftJustified(30, '\0', true)
           + QByteArray(30, '\0') + "2004" + QByteArray(28, '\0') + QByteArray("\0\x03\x11", 3);
}

inline QByteArray id3v2(const QString &title, const QString &artist)
{
    QByteArray frames;
    for (const auto &[id, text] : {std::pair{"TIT2", title}, std::pair{"TPE1", artist}}) {
        const QByteArray t = '\0' + latin1(text);
        frames += QByteArray(id) + QByteArray("\0\0\0", 3) + char(t.size()) + QByteArray(2, '\0') + t;
    }
    frames += QByteArray(64, '\0'); // padding
    return "ID3" + QByteArray("\x03\0\0\0\0", 5) + char(frames.size() >> 7) + char(frames.size() & 0x7f) + frames;
}

// The songs, put into a node collection the way the collection scan would
// (the collection is the caller's: a test's or the shared state's).
struct Collection
{
    explicit Collection(NodeCollection &into) : nodes(into) {}
    NodeCollection &nodes;
    QList<QPair<QString, QString>> songs; // artist, song
};

inline void buildCollection(Collection &c, Generator &g, int songCount, const QString &lyricsFolder)
{
    QDir().mkpath(lyricsFolder);
    int made = 0;
    while (made < songCount) {
        const QString artist = g.words(1, 3);
        const QString artistKey = QStringLiteral("key") + artist.toLower();
        if (c.nodes.contains(artistKey))
            continue;
        c.nodes.add(artistKey, artist, 9);
        const int n = 1 + g.bounded(19);
        for (int i = 0; i < n && made < songCount; ++i) {
            const QString song = g.words(1, 4);
            const QString key = listEntry(artist, song) + QStringLiteral(".txt");
            if (c.nodes.add(key, song, 10, artistKey) == 0)
                continue;
            QFile f(lyricsFolder + key);
            f.open(QIODevice::WriteOnly);
            f.write(latin1(g.words(20, 60)) + (g.bounded(10) < 8 ? "\r\n[Tunewright] filter used\r\n" : "\r\n"));
            c.songs.append({artist, song});
            ++made;
        }
    }
}

inline void buildMp3Folder(const Collection &c, Generator &g, int fileCount, const QString &folder)
{
    for (int i = 0; i < fileCount; ++i) {
        const auto &[artist, song] = c.songs.at(g.bounded(int(c.songs.size())));
        const int kind = g.bounded(10);
        QString name;
        if (kind < 6)
            name = listEntry(artist, song);
        else if (kind < 7)
            name = QString(listEntry(artist, song)).toLower().replace(u' ', u'_');
        else if (kind < 8)
            name = QString::number(i % 20 + 1).rightJustified(2, u'0') + QStringLiteral(" - ") + song;
        else
            name = QStringLiteral("Track ") + QString::number(i) + u' ' + g.word();
        name += QStringLiteral(" (%1)").arg(i) + (g.bounded(10) == 0 ? QStringLiteral(".MP3") : QStringLiteral(".mp3"));
        QByteArray bytes;
        if (g.bounded(10) < 4)
            bytes += id3v2(song, artist);
        bytes += QByteArray("\xff\xfb\x90\x64", 4) + (g.bounded(3) == 0 ? QByteArray("LAME3.99") : QByteArray());
        bytes += g.noise(1500 + g.bounded(2500));
        if (g.bounded(20) == 0)
            bytes += "LYRICSBEGININD00003100LYR00005wordsLYRICS200"
                     "000030LYRICS200";
        if (g.bounded(10) < 8)
            bytes += id3v1(song, artist);
        const QString dir = folder + (i % 10 == 0 ? QString() : QStringLiteral("cd%1/").arg(i % 10));
        QDir().mkpath(dir);
        QFile f(dir + name);
        f.open(QIODevice::WriteOnly);
        f.write(bytes);
    }
}

} // namespace stanzary::bench
