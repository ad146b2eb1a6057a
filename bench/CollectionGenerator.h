#pragma once

// Generated lyrics collections for benchmarks and tests: a deterministic list
// of songs (artists, titles, timestamp files, karaoke-index entries) that can
// be written to disk as a fake host installation or put straight into a node
// collection the way the scan would build it. Header-only; QtCore and the
// core library only.

#include "karaoke/KaraokeIndex.h"
#include "platform/DirListing.h"
#include "store/NodeCollection.h"
#include "store/SongNames.h"

#include <QDir>
#include <QFile>
#include <QSet>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <random>

namespace stanzary::bench {

struct GeneratedSong
{
    QString folder;       // subfolder ("K"); empty in single-folder mode
    QString fileName;     // "Artist - Title.txt"
    bool hasKas = false;  // a timestamp file lies beside it
    bool inIndex = false; // listed in the karaoke index (only songs without a timestamp file)
    bool filtered = true; // the lyrics carry "] filter used"
};

struct GeneratorOptions
{
    int songs = 30000;
    bool subfolders = true;       // first-letter subfolders, as the host makes them
    int kasOneIn = 3;             // every third song has a timestamp file
    int indexOneIn = 4;           // of the others, one in four is in the index
    int indexRecords = 200000;    // records of "kl.dbx", the rest random
    double commonWordShare = 0.5; // titles holding commonWord
    double rareWordShare = 0.01;  // titles holding rareWord
    // Adds artists whose songs are not consecutive in scan order ("Band -
    // X", "Band 2 - Y", "Band-Z"), one per this many artists; 0 for none.
    int nonConsecutiveOneIn = 0;
    quint32 seed = 1;
};

class CollectionGenerator
{
public:
    // Search texts: the common word matches about commonWordShare of the
    // songs, the rare word about rareWordShare; no artist name holds either.
    static QString commonWord() { return QStringLiteral("Night"); }
    static QString rareWord() { return QStringLiteral("Opal"); }

    explicit CollectionGenerator(const GeneratorOptions &options = {}) : m_options(options), m_random(options.seed)
    {
        generate();
    }

    // The songs in scan order: folders, then file names, alphabetically
    // ignoring case.
    const QList<GeneratedSong> &songs() const { return m_songs; }
    const GeneratorOptions &options() const { return m_options; }

    // Writes the lyrics files (and timestamp files) below lyricsPath and the
    // karaoke index "kl.dbx" into hostPath; both paths end with "/".
    void writeTo(const QString &hostPath, const QString &lyricsPath) const
    {
        QDir().mkpath(lyricsPath);
        QSet<QString> made;
        for (const GeneratedSong &song : m_songs) {
            const QString dir = song.folder.isEmpty() ? lyricsPath : lyricsPath + song.folder + u'/';
            if (!made.contains(dir)) {
                QDir().mkpath(dir);
                made.insert(dir);
            }
            writeBytes(dir + song.fileName, lyricsBytes(song));
            if (song.hasKas)
                writeBytes(dir + song.fileName.chopped(3) + QStringLiteral("kas"), QByteArrayLiteral("AABBCCDD;\r\n"));
        }
        writeBytes(hostPath + QStringLiteral("kl.dbx"), indexBytes());
    }

    // The karaoke index: the keys of the songs marked inIndex among random
    // records, in shuffled order.
    QByteArray indexBytes() const
    {
        std::mt19937 random(m_options.seed ^ 0x5eedu);
        QList<QByteArray> records;
        for (const GeneratedSong &song : m_songs) {
            if (!song.inIndex)
                continue;
            const AvailabilityKey key = availabilityKeyFor(song.fileName);
            records.append(QByteArray(reinterpret_cast<const char *>(key.data()), 5));
        }
        while (records.size() < m_options.indexRecords) {
            QByteArray rec(5, '\0');
            for (char &c : rec)
                c = static_cast<char>(random() & 0xff);
            records.append(rec);
        }
        std::shuffle(records.begin(), records.end(), random);
        QByteArray out;
        out.reserve(records.size() * 5);
        for (const QByteArray &rec : std::as_const(records))
            out += rec;
        return out;
    }

    // Fills nodes with what a scan of the written collection gives (keys,
    // texts, images, order), without touching the disk. The index counts as
    // loaded.
    void fillNodes(NodeCollection &nodes) const
    {
        NodeCollection::BulkScope bulk(nodes);
        QString previousUpper;
        for (const GeneratedSong &song : m_songs) {
            const QString artist = GetArtist(song.fileName);
            const QString artistKey = QStringLiteral("key") + artist.toLower();
            if (artist.toUpper() != previousUpper) {
                previousUpper = artist.toUpper();
                nodes.add(artistKey, artist, 9);
            }
            const int image = song.hasKas ? 7 : (song.inIndex ? 6 : 10);
            const QString key = song.folder.isEmpty() ? song.fileName : song.folder + u'/' + song.fileName;
            nodes.add(key, GetSong(song.fileName.chopped(4)), image, artistKey);
        }
    }

private:
    static void writeBytes(const QString &path, const QByteArray &bytes)
    {
        QFile f(path);
        if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
            f.write(bytes);
    }

    static QByteArray lyricsBytes(const GeneratedSong &song)
    {
        QByteArray text = QByteArrayLiteral("First made-up line\r\nSecond made-up line\r\n\r\n");
        if (song.filtered)
            text += QByteArrayLiteral("[ Tunewright ] filter used\r\n");
        text += QByteArrayLiteral("----------------\r\n* Downloaded from: http://lyrics.example/song\r\n");
        return text;
    }

    int below(int n) { return static_cast<int>(m_random() % static_cast<quint32>(n)); }
    bool chance(double p) { return std::uniform_real_distribution<double>(0.0, 1.0)(m_random) < p; }

    QString word(const QStringList &parts, int count)
    {
        QString w;
        for (int i = 0; i < count; ++i)
            w += parts.at(below(static_cast<int>(parts.size())));
        w[0] = w.at(0).toUpper();
        return w;
    }

    // Artist names: two made-up words; none is a prefix of another, so that
    // each artist's files come together in scan order.
    QString newArtist(QSet<QString> &taken)
    {
        static const QStringList syllables = {
            QStringLiteral("ka"),  QStringLiteral("lo"),  QStringLiteral("mi"),  QStringLiteral("ra"),
            QStringLiteral("ve"),  QStringLiteral("ton"), QStringLiteral("dar"), QStringLiteral("sel"),
            QStringLiteral("qua"), QStringLiteral("fen"), QStringLiteral("bri"), QStringLiteral("mar"),
            QStringLiteral("zo"),  QStringLiteral("tu"),  QStringLiteral("ne"),  QStringLiteral("li"),
            QStringLiteral("sa"),  QStringLiteral("ber"), QStringLiteral("vin"), QStringLiteral("hu")};
        for (;;) {
            const QString name = word(syllables, 2 + below(2)) + u' ' + word(syllables, 2 + below(2));
            const QString folded = name.toLower();
            bool clash = taken.contains(folded);
            for (auto it = taken.cbegin(); !clash && it != taken.cend(); ++it)
                clash = it->startsWith(folded) || folded.startsWith(*it);
            if (!clash) {
                taken.insert(folded);
                return name;
            }
        }
    }

    QString newTitle(QSet<QString> &titles)
    {
        static const QStringList words = {
            QStringLiteral("Rain"),  QStringLiteral("Summer"),  QStringLiteral("Heart"),  QStringLiteral("River"),
            QStringLiteral("Blue"),  QStringLiteral("Morning"), QStringLiteral("Fire"),   QStringLiteral("Dream"),
            QStringLiteral("Road"),  QStringLiteral("Home"),    QStringLiteral("Shadow"), QStringLiteral("Light"),
            QStringLiteral("Storm"), QStringLiteral("Gold"),    QStringLiteral("Silver"), QStringLiteral("Winter"),
            QStringLiteral("Dance"), QStringLiteral("Stone"),   QStringLiteral("Echo"),   QStringLiteral("Wild"),
            QStringLiteral("Sky"),   QStringLiteral("Time"),    QStringLiteral("Ocean"),  QStringLiteral("Paper"),
            QStringLiteral("Glass"), QStringLiteral("Ember"),   QStringLiteral("Velvet"), QStringLiteral("Iron")};
        for (int attempt = 0;; ++attempt) {
            QStringList parts;
            const int n = 1 + below(3);
            for (int i = 0; i < n; ++i)
                parts << words.at(below(static_cast<int>(words.size())));
            if (chance(m_options.commonWordShare))
                parts.insert(below(static_cast<int>(parts.size()) + 1), commonWord());
            if (chance(m_options.rareWordShare))
                parts.insert(below(static_cast<int>(parts.size()) + 1), rareWord());
            if (attempt > 20)
                parts << QString::number(attempt);
            const QString title = parts.join(u' ');
            if (!titles.contains(title.toLower())) {
                titles.insert(title.toLower());
                return title;
            }
        }
    }

    void addSong(const QString &artist, const QString &separator, QSet<QString> &titles)
    {
        GeneratedSong song;
        song.fileName = artist + separator + newTitle(titles) + QStringLiteral(".txt");
        if (m_options.subfolders)
            song.folder = artist.left(1).toUpper();
        const int n = static_cast<int>(m_songs.size());
        song.hasKas = m_options.kasOneIn > 0 && n % m_options.kasOneIn == 0;
        song.inIndex = !song.hasKas && m_options.indexOneIn > 0 && below(m_options.indexOneIn) == 0;
        song.filtered = below(3) != 0;
        m_songs.append(song);
    }

    void generate()
    {
        QSet<QString> artists;
        int artistNumber = 0;
        while (m_songs.size() < m_options.songs) {
            const QString artist = newArtist(artists);
            QSet<QString> titles;
            const int count = std::min(1 + below(19), m_options.songs - static_cast<int>(m_songs.size()));
            for (int i = 0; i < count; ++i)
                addSong(artist, QStringLiteral(" - "), titles);
            ++artistNumber;
            if (m_options.nonConsecutiveOneIn > 0 && artistNumber % m_options.nonConsecutiveOneIn == 0) {
                QSet<QString> siblingTitles;
                addSong(artist + QStringLiteral(" 2"), QStringLiteral(" - "), siblingTitles);
                addSong(artist, QStringLiteral("-"), titles); // sorts after "Artist 2 - ..."
            }
        }
        std::sort(m_songs.begin(), m_songs.end(), [](const GeneratedSong &a, const GeneratedSong &b) {
            if (a.folder != b.folder)
                return lessIgnoringCase(a.folder, b.folder);
            return lessIgnoringCase(a.fileName, b.fileName);
        });
    }

    GeneratorOptions m_options;
    std::mt19937 m_random;
    QList<GeneratedSong> m_songs;
};

} // namespace stanzary::bench
