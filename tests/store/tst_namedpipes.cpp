// Every reader of the host's files and ours passes over a named pipe in the
// place of its file (or a link to one, which looks like a file) instead of
// waiting for a writer, and reads nothing from it.

#include "app/basMain.h"
#include "karaoke/KaraokeEdition.h"
#include "karaoke/KaraokeIndex.h"
#include "lists/SongLists.h"
#include "platform/HostRegistry.h"
#include "store/CollectionScan.h"
#include "store/HostStore.h"
#include "store/LyricsFile.h"
#include "tagger/Lyrics3Writer.h"

#include "FakeInstallation.h"
#include "NamedPipe.h"
#include "TestText.h"

#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

using namespace stanzary;
using stanzary::test::FakeInstallation;

namespace {

using test::s;

enum class Place {
    Settings,
    Registry,
    Lyrics,
    LinkedLyrics,
    Timestamps,
    KaraokeIndex,
    ListFile,
    TaggedLyrics,
    TaggedMp3
};

} // namespace

Q_DECLARE_METATYPE(Place)

class tst_NamedPipes : public QObject
{
    Q_OBJECT

private slots:
    void readersPassOverNamedPipes_data()
    {
        QTest::addColumn<Place>("place");
        QTest::newRow("settings.txt") << Place::Settings;
        QTest::newRow("system.reg") << Place::Registry;
        QTest::newRow("lyrics file") << Place::Lyrics;
        QTest::newRow("link to a pipe as lyrics") << Place::LinkedLyrics;
        QTest::newRow("timestamp file") << Place::Timestamps;
        QTest::newRow("kl.dbx") << Place::KaraokeIndex;
        QTest::newRow("list file") << Place::ListFile;
        QTest::newRow("lyrics swapped for a pipe before tagging") << Place::TaggedLyrics;
        QTest::newRow("MP3 file swapped for a pipe before tagging") << Place::TaggedMp3;
    }
    void readersPassOverNamedPipes()
    {
        QFETCH(Place, place);
        QTemporaryDir tmp;
        FakeInstallation inst(tmp.path());
        const QString song = inst.addLyrics(s("Band - Song.txt"));
        basMain state;
        state.strHostPath = inst.hostPath();
        state.strLyricsPath = inst.lyricsPath();
        state.blnSingleDir = true;
        state.blnCheckTimestampsAtStart = true;
        // The pipe itself lies among the lyrics in one row, elsewhere a link
        // to it takes the file's place.
        const QString pipe =
            place == Place::Lyrics ? inst.lyricsPath() + s("Band - Piped.txt") : inst.root() + s("pipe");
        test::makeNamedPipe(pipe);
        const auto pipeAt = [&](const QString &path) { QVERIFY(QFile::link(pipe, path)); };
        std::function<void()> read;
        std::function<void()> check;

        switch (place) {
        case Place::Settings:
            pipeAt(inst.root() + s("settings.txt"));
            read = [&] { ReadHostSettings(state, WineRegistry(inst.root())); };
            check = [&] { QCOMPARE(state.strLyricsPath, inst.lyricsPath()); };
            break;
        case Place::Registry: {
            pipeAt(inst.root() + s("system.reg"));
            auto value = std::make_shared<std::optional<QString>>();
            read = [&, value] { *value = WineRegistry(inst.root()).firstValue(hostRegistryKey()); };
            check = [value] { QVERIFY(!value->has_value()); };
            break;
        }
        case Place::Lyrics:
        case Place::LinkedLyrics: {
            const QString piped = inst.lyricsPath() + s("Band - Piped.txt");
            if (place == Place::LinkedLyrics)
                pipeAt(piped);
            auto readable = std::make_shared<bool>(true);
            read = [&, readable, piped] {
                BuildTree(state);
                *readable = readLyricsBytes(piped).has_value();
            };
            check = [&, readable] {
                QCOMPARE(state.intLyricsCount, 1); // the pipe is no song
                QVERIFY(!*readable);
            };
            break;
        }
        case Place::Timestamps: {
            pipeAt(KasPathFor(song));
            auto loaded = std::make_shared<KasLoadResult>();
            read = [&, loaded] {
                BuildTree(state);
                clsKaraokeEdition edition;
                *loaded = edition.LoadKasFile(KasPathFor(song));
            };
            check = [&, loaded] {
                QCOMPARE(state.intTimestampsDownloaded, 0); // what cannot be read is no timestamp file
                QCOMPARE(loaded->status, KasReadStatus::Unreadable);
                QVERIFY(loaded->detail.contains(s("not a regular file")));
            };
            break;
        }
        case Place::KaraokeIndex: {
            pipeAt(inst.root() + s("kl.dbx"));
            read = [&] { BuildTree(state); };
            check = [&] {
                QCOMPARE(state.intLyricsCount, 1);
                QCOMPARE(state.strIndexRecordCount, s("0"));
            };
            break;
        }
        case Place::ListFile: {
            pipeAt(inst.root() + s("deleted.txt"));
            auto lists = std::make_shared<SongLists>();
            auto failedWrites = std::make_shared<QStringList>();
            lists->onWriteFailed = [failedWrites](const QString &path, const QString &) { failedWrites->append(path); };
            read = [&, lists] {
                lists->LoadLists(inst.root(), CodePage());
                lists->deleted.append(s("Band - Song"));
                lists->SaveLists();
            };
            check = [&, lists, failedWrites] {
                QCOMPARE(lists->readErrors(), QStringList{s("deleted.txt: it is not a regular file")});
                QVERIFY(QFileInfo(inst.root() + s("deleted.txt")).isSymLink()); // kept as it was
                failedWrites->removeDuplicates(); // written when it changed and when the lists were saved
                QCOMPARE(*failedWrites, QStringList{inst.root() + s("deleted.txt")});
            };
            break;
        }
        case Place::TaggedLyrics: {
            const QString mp3 = inst.root() + s("song.mp3");
            QFile out(mp3);
            QVERIFY(out.open(QIODevice::WriteOnly));
            out.write(QByteArray(4096, '\x55'));
            out.close();
            QVERIFY(QFile::remove(song));
            pipeAt(song);
            auto tagged = std::make_shared<bool>(true);
            read = [&, tagged, mp3] { *tagged = TagMp3File(mp3, song, s("Band - Song"), CodePage(), s("x.example")); };
            check = [&, tagged, mp3] {
                QVERIFY(!*tagged);
                QCOMPARE(QFileInfo(mp3).size(), 4096);
            };
            break;
        }
        case Place::TaggedMp3: {
            // Opened for reading and writing, a pipe does not wait for a
            // writer; reading it would wait for ever.
            const QString mp3 = inst.root() + s("song.mp3");
            pipeAt(mp3);
            auto tagged = std::make_shared<bool>(true);
            read = [&, tagged, mp3] { *tagged = TagMp3File(mp3, song, s("Band - Song"), CodePage(), s("x.example")); };
            check = [tagged] { QVERIFY(!*tagged); };
            break;
        }
        }
        QVERIFY2(test::finishesWithoutWaiting(pipe, read), "waited on a named pipe");
        check();
    }
};

QTEST_GUILESS_MAIN(tst_NamedPipes)
#include "tst_namedpipes.moc"
