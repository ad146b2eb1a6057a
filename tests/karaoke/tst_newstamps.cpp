#include "karaoke/LrcImport.h"
#include "karaoke/StampCreation.h"
#include "karaoke/StampTiming.h"
#include "store/LyricsFile.h"
#include "tagger/LrcExport.h"
#include "tagger/LyricsPairing.h"

#include "FakeInstallation.h"
#include "NamedPipe.h"
#include "SampleSongs.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace stanzary;

namespace {

// "00:13.4 We|00:20.0 an", the rows as the editor shows them.
QString shown(const QList<KasRow> &rows)
{
    QStringList out;
    for (const KasRow &r : rows)
        out << stampText(r.time) + u' ' + r.Text;
    return out.join(u'|');
}

// "3: reason" per issue.
QString issues(const QList<LineIssue> &list)
{
    QStringList out;
    for (const LineIssue &i : list)
        out << QString::number(i.line) + QStringLiteral(": ") + i.reason;
    return out.join(u'|');
}

} // namespace

// Stamps for a song without a timestamp file, made from its lyrics and saved
// as a new file, and stamps imported from an .lrc file.
class tst_NewStamps : public QObject
{
    Q_OBJECT

    QTemporaryDir m_tmp;

private slots:
    // One row per lyric line at 00:00.0 with its first two characters:
    // blank lines, the host's filter mark and the source trailer give none,
    // and a start the file cannot hold is told instead of being saved wrong.
    void rowsComeFromTheLyricLines()
    {
        const QString lyrics = QStringLiteral("We sail\r\n\r\na\r\nWe sail again\r\n;oops\r\n  two spaces\r\n"
                                              "\u0416uk\r\n\t\r\n[Tunewright] filter used\r\n\r\n----------------\r\n"
                                              "* Downloaded from: http://a.example/x\r\n");
        const NewStamps made = stampsForLyrics(lyrics, CodePage());
        QCOMPARE(shown(made.rows), QStringLiteral("00:00.0 We|00:00.0 a |00:00.0 We"));
        QCOMPARE(issues(made.issues),
                 QStringLiteral("5: a stamp's line start cannot hold \";\"|"
                                "6: it starts with two spaces, which a timestamp file reads as no stamp|"
                                "7: \"\u0416\" cannot be stored in the timestamp file's code page"));

        // Each row pairs with the line it was made from, as the .lrc export pairs them.
        clsKaraokeEdition e;
        e.startNewFile(made.rows, CodePage());
        QList<KasRecord> records;
        QVERIFY(e.recordsForSave(records).ok());
        const StampPairing pairing = pairStamps(records, lyricLines(lyrics), CodePage());
        QVERIFY(pairing.complete());
        QCOMPARE(pairing.paired.at(1).line, QStringLiteral("a"));
        QCOMPARE(pairing.paired.at(2).lineIndex, 3);
    }

    // Save creates the file: the records in row order, then ";" and CR LF;
    // the file then loads as the rows it was saved from.
    void savingCreatesTheTimestampFile()
    {
        const QString lyricsPath =
            test::FakeInstallation(m_tmp.path())
                .addLyrics(QStringLiteral("N/New - Song.txt"), QByteArrayLiteral("We sail\r\nand \xe9t\xe9\r\n"));
        const QString kas = KasPathFor(lyricsPath);
        QVERIFY(!QFileInfo::exists(kas));
        clsKaraokeEdition e;
        e.startNewFile(stampsForLyrics(*readLyricsText(lyricsPath, CodePage()), CodePage()).rows, CodePage());
        QVERIFY(applyEdit(e, tapRow(e, 0, 1000, 0).edit));
        QVERIFY(applyEdit(e, tapRow(e, 1, 65000, 0).edit)); // adds an empty row, which is not saved
        QVERIFY(e.SaveKasFile(kas).ok());
        QCOMPARE(test::readAll(kas), QByteArrayLiteral("@EWeEEan;\r\n"));

        clsKaraokeEdition reloaded;
        QVERIFY(reloaded.LoadKasFile(kas).ok());
        QCOMPARE(shown(reloaded.rows()), QStringLiteral("00:01.0 We|01:05.0 an"));
    }

    void importReadsLrcLines_data()
    {
        QTest::addColumn<QByteArray>("lrc");
        QTest::addColumn<QString>("rows");
        QTest::addColumn<QString>("issues");
        QTest::newRow("times rounded to the step, half up")
            << QByteArray("[00:13.39]Rain on\r\n[00:13.50]Roads\r\n[00:13.29]Rise\r\n")
            << QStringLiteral("00:13.2 Ri|00:13.4 Ra|00:13.6 Ro") << QString();
        QTest::newRow("several tags per line, sorted by time")
            << QByteArray("[00:05.00][01:10.00]Chorus line\n[00:30.00]Verse\n")
            << QStringLiteral("00:05.0 Ch|00:30.0 Ve|01:10.0 Ch") << QString();
        QTest::newRow("tag forms, information tags, word tags, byte-order mark")
            << QByteArray("\xEF\xBB\xBF[ar:Someone]\n[ti:Something]\n[00:02]One\n[00:03.5]Two\n"
                          "[00:04.123]Three\n[00:05:40] <00:05.40>Fo<00:05.90>ur\n[#made by hand]\n")
            << QStringLiteral("00:02.0 On|00:03.6 Tw|00:04.2 Th|00:05.4 Fo") << QString();
        QTest::newRow("offset: positive comes earlier, wherever it stands")
            << QByteArray("[00:10.00]Late\n[offset:+500]\n[00:00.20]Early\n") << QStringLiteral("00:00.0 Ea|00:09.6 La")
            << QString();
        QTest::newRow("UTF-8 text, a one-letter line") << QByteArray("[00:01.00]\xc3\x89t\xc3\xa9\n[00:02.00]a\n")
                                                       << QStringLiteral("00:01.0 \u00c9t|00:02.0 a ") << QString();
        QTest::newRow("lines that cannot be read are told")
            << QByteArray("[00:01.00]Good\nno tag at all\r\n[0:1x]Bad tag\n[14:00.00]Too late\n[00:05.00]\n"
                          "[00:06.00];semi\n[00:07.00]\xff\xfe\n[00:08.00]\xd0\x96uk\n[00:09.00 Open\n")
            << QStringLiteral("00:01.0 Go")
            << QStringLiteral("2: it has no time tag|3: \"[0:1x]\" is not a time tag|"
                              "4: its time 14:00.00 is after 13:59.8, which a stamp cannot hold|"
                              "5: it has a time but no text, and a stamp needs its line's start|"
                              "6: a stamp's line start cannot hold \";\"|7: it is not UTF-8 text|"
                              "8: \"\u0416\" cannot be stored in the timestamp file's code page|"
                              "9: a tag has no \"]\"");
    }
    void importReadsLrcLines()
    {
        QFETCH(QByteArray, lrc);
        QFETCH(QString, rows);
        QFETCH(QString, issues);
        const LrcImport imported = parseLrc(lrc, CodePage());
        QCOMPARE(shown(imported.rows), rows);
        QCOMPARE(::issues(imported.issues), issues);
        for (const LineIssue &issue : imported.issues) // each told as it reads, without its line end
            QVERIFY(!issue.text.endsWith(u'\r'));
    }

    // What the export writes, the import reads back as the same stamps.
    void exportedLrcImportsAsTheSameStamps()
    {
        const QString examples = qEnvironmentVariable("STANZARY_EXAMPLES");
        const QString lyricsPath = examples + QStringLiteral("/Tunewright/lyrics/A/Amber Lanterns - Paper Boats.txt");
        clsKaraokeEdition e;
        QVERIFY(e.LoadKasFile(KasPathFor(lyricsPath)).ok());
        QList<KasRecord> records;
        QVERIFY(e.recordsForSave(records).ok());
        const StampPairing pairing =
            pairStamps(records, lyricLines(*readLyricsText(lyricsPath, CodePage())), CodePage());
        QVERIFY(pairing.complete());

        const QString lrc = QDir(m_tmp.path()).filePath(QStringLiteral("Paper Boats.lrc"));
        QVERIFY(writeLrcFile(lrc, pairing.paired).ok());
        const LrcImport imported = readLrcFile(lrc, CodePage());
        QVERIFY(imported.issues.isEmpty());
        QCOMPARE(shown(imported.rows), shown(e.rows()));
    }

    // The sample songs' audio speaks one line per row the lyrics give, and
    // the songs with a timestamp file start each line at its stamp.
    void sampleAudioFollowsTheSampleLyrics()
    {
        for (const test::SampleSong &song : test::sampleSongs()) {
            const std::optional<QString> lyrics = readLyricsText(song.lyricsPath, CodePage());
            QVERIFY2(lyrics, qPrintable(song.lyricsPath));
            const QList<KasRow> rows = stampsForLyrics(*lyrics, CodePage()).rows;
            QCOMPARE(rows.size(), song.lines.size());
            clsKaraokeEdition e;
            QCOMPARE(e.LoadKasFile(KasPathFor(song.lyricsPath)).ok(), song.hasTimestamps);
            for (qsizetype i = 0; i < rows.size(); ++i) {
                QCOMPARE(rows.at(i).Text, linePrefix(song.lines.at(i).text));
                if (song.hasTimestamps)
                    QCOMPARE(qint64(stampMilliseconds(e.row(int(i)).time)), song.lines.at(i).startMs);
            }
        }
    }

    // A file that is not a regular file is refused at once, never waited on.
    void importRefusesWhatIsNotARegularFile()
    {
        const QString pipe = QDir(m_tmp.path()).filePath(QStringLiteral("pipe.lrc"));
        test::makeNamedPipe(pipe);
        LrcImport imported;
        QVERIFY(test::finishesWithoutWaiting(pipe, [&] { imported = readLrcFile(pipe, CodePage()); }));
        QVERIFY(!imported.readable);
        QCOMPARE(imported.issues.size(), 1);
        QVERIFY(imported.rows.isEmpty());
        QVERIFY(!readLrcFile(pipe + QStringLiteral(".missing"), CodePage()).readable);
    }
};

QTEST_GUILESS_MAIN(tst_NewStamps)
#include "tst_newstamps.moc"
