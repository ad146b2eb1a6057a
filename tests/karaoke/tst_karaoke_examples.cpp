// The sample installation in examples/Tunewright shows all three karaoke
// states of a song: timestamps downloaded (a ".kas" beside the lyrics),
// timestamps available for download (listed in "kl.dbx") and lyrics only.
//
// Its timestamp files and index are generated here, so they can be checked
// byte for byte and made again after the sample lyrics change:
//   STANZARY_WRITE_EXAMPLES=1 STANZARY_EXAMPLES=<repo>/examples tst_karaoke_examples
#include "karaoke/KaraokeIndex.h"
#include "karaoke/KasFile.h"
#include "platform/DirListing.h"

#include "FakeInstallation.h"

#include <QDir>
#include <QFile>
#include <QtTest>

using namespace stanzary;

namespace {

// Songs with timestamp files, as "subfolder/file name" of the lyrics, and the
// name each timestamp file has on disk (one with an upper-case extension, as
// the host's platform may leave it).
struct KasSong
{
    QString lyricsKey;
    QString kasName;
};

QList<KasSong> kasSongs()
{
    return {
        {QStringLiteral("A/Amber Lanterns - Paper Boats.txt"), QStringLiteral("Amber Lanterns - Paper Boats.kas")},
        {QStringLiteral("B/Bright Harbor - Tin Roof Rain.txt"), QStringLiteral("Bright Harbor - Tin Roof Rain.kas")},
        {QStringLiteral("G/Gravel Moon - Highway Nine.txt"), QStringLiteral("Gravel Moon - Highway Nine.KAS")},
        {QStringLiteral("\u00c9/\u00c9lo\u00efse Marchand - Caf\u00e9 de minuit.txt"),
         QStringLiteral("\u00c9lo\u00efse Marchand - Caf\u00e9 de minuit.kas")},
    };
}

// Songs without timestamp files that the index lists.
QStringList availableSongs()
{
    return {
        QStringLiteral("D/Dusty Velvet - Slow Parade.txt"),
        QStringLiteral("J/Juniper Crossing - Borrowed Coat.txt"),
        QStringLiteral("J/Juniper Crossing - Lantern Street.txt"),
        QStringLiteral("N/Night Tram Orchestra - Neon Pigeons.txt"),
        QStringLiteral("\u00c9/\u00c9lo\u00efse Marchand - R\u00eave d'\u00e9t\u00e9.txt"),
    };
}

// The index also lists songs whose timestamps are already downloaded.
QStringList indexedSongs()
{
    QStringList keys = availableSongs();
    keys << QStringLiteral("A/Amber Lanterns - Paper Boats.txt") << QStringLiteral("G/Gravel Moon - Highway Nine.txt");
    return keys;
}

constexpr int kIndexRecords = 2400;

QString fileNameOf(const QString &key)
{
    return key.mid(key.lastIndexOf(u'/') + 1);
}

// A fixed linear congruential sequence: the same filler on every platform.
struct Filler
{
    quint32 state = 0x4b61726fu;
    quint8 next()
    {
        state = state * 1664525u + 1013904223u;
        return quint8(state >> 24);
    }
};

// kIndexRecords records: the keys of indexedSongs() at fixed, spread-out
// places, every other record standing for a song this collection lacks.
QByteArray exampleIndex()
{
    const QStringList songs = indexedSongs();
    Filler filler;
    QByteArray out;
    for (int k = 0; k < kIndexRecords; ++k) {
        const int song = k % 331 == 17 ? k / 331 : -1;
        if (song >= 0 && song < songs.size()) {
            const AvailabilityKey key = availabilityKeyFor(fileNameOf(songs.at(song)));
            out.append(reinterpret_cast<const char *>(key.data()), 5);
        } else {
            for (int i = 0; i < 5; ++i)
                out += char(filler.next());
        }
    }
    return out;
}

// One stamp per lyric line (blank lines and the source trailer have none),
// the prefix being the line's first two bytes, times rising by 3.2 to 4.6
// seconds a line and 2 seconds more after a blank line.
QByteArray exampleKas(const QByteArray &lyrics)
{
    QByteArray out;
    int fifths = 62; // 00:12.4
    for (const QByteArray &line : lyrics.split('\n')) {
        const QByteArray text = line.endsWith('\r') ? line.chopped(1) : line;
        if (text.startsWith("[Tunewright]") || text.startsWith("----"))
            break;
        if (text.trimmed().isEmpty()) {
            fifths += 10;
            continue;
        }
        const StampTime time{quint8(fifths / 300), quint8(fifths % 300 / 5), quint8(fifths % 5 * 2)};
        out += *TimeToCode(time) + QByteArray(text + "  ").left(2);
        fifths += 16 + int(text.size() % 8);
    }
    return out + ";\r\n";
}

} // namespace

class tst_KaraokeExamples : public QObject
{
    Q_OBJECT

    QString m_host;
    bool m_write = false;

    void check(const QString &path, const QByteArray &expected)
    {
        if (m_write) {
            QFile f(path);
            QVERIFY2(f.open(QIODevice::WriteOnly | QIODevice::Truncate), qPrintable(path));
            QCOMPARE(f.write(expected), expected.size());
        }
        QVERIFY2(test::readAll(path) == expected, qPrintable(path + QStringLiteral(" differs from what is generated")));
    }

private slots:
    void initTestCase()
    {
        const QString examples = qEnvironmentVariable("STANZARY_EXAMPLES");
        if (examples.isEmpty())
            QSKIP("STANZARY_EXAMPLES is not set");
        m_host = examples + QStringLiteral("/Tunewright/");
        m_write = qEnvironmentVariableIntValue("STANZARY_WRITE_EXAMPLES") == 1;
        QVERIFY(QFileInfo::exists(m_host + QStringLiteral("lyrics")));
    }

    void timestampFilesMatchTheirLyrics()
    {
        for (const KasSong &song : kasSongs()) {
            const QString lyricsPath = m_host + QStringLiteral("lyrics/") + song.lyricsKey;
            const QByteArray lyrics = test::readAll(lyricsPath);
            QVERIFY2(!lyrics.isEmpty(), qPrintable(lyricsPath));
            const QString kasPath = QFileInfo(lyricsPath).path() + u'/' + song.kasName;
            check(kasPath, exampleKas(lyrics));

            const KasContent content = readKasFile(kasPath);
            QVERIFY(content.ok());
            QVERIFY(content.records.size() >= 5);
            QCOMPARE(kasPathOnDisk(lyricsPath), kasPath);
        }
    }

    void indexIsGenerated() { check(karaokeIndexPath(m_host), exampleIndex()); }

    // What the scan will show: every song in exactly its intended state.
    void allThreeStatesOccur()
    {
        KaraokeIndex index;
        index.load(karaokeIndexPath(m_host));
        QCOMPARE(index.recordCountText(), QString::number(kIndexRecords));

        QStringList withKas, available, lyricsOnly;
        const QString lyricsPath = m_host + QStringLiteral("lyrics/");
        for (const QString &folder : listSubfolders(lyricsPath)) {
            for (const QString &name : listFilesWithSuffix(lyricsPath + folder, QStringLiteral(".txt"))) {
                const QString key = folder + u'/' + name;
                if (KasFileExists(lyricsPath + key))
                    withKas << key;
                else if (index.IsKaraokeAvailable(name))
                    available << key;
                else
                    lyricsOnly << key;
            }
        }
        QStringList expectedKas;
        for (const KasSong &song : kasSongs())
            expectedKas << song.lyricsKey;
        auto sorted = [](QStringList l) {
            l.sort();
            return l;
        };
        QCOMPARE(sorted(withKas), sorted(expectedKas));
        QCOMPARE(sorted(available), sorted(availableSongs()));
        QVERIFY(lyricsOnly.size() >= 5);
    }
};

QTEST_GUILESS_MAIN(tst_KaraokeExamples)
#include "tst_karaoke_examples.moc"
