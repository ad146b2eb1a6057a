// The sample installation in examples/Tunewright shows all three karaoke
// states of a song: timestamps downloaded (a ".kas" beside the lyrics),
// timestamps available for download (listed in "kl.dbx") and lyrics only.
// scripts/make-sample-karaoke.py writes its timestamp files and index.
#include "karaoke/KaraokeIndex.h"
#include "karaoke/KasFile.h"
#include "platform/DirListing.h"

#include <QDir>
#include <QFile>
#include <QtTest>

using namespace stanzary;

class tst_KaraokeExamples : public QObject
{
    Q_OBJECT

    QString m_host;

private slots:
    void initTestCase()
    {
        const QString examples = qEnvironmentVariable("STANZARY_EXAMPLES");
        if (examples.isEmpty())
            QSKIP("STANZARY_EXAMPLES is not set");
        m_host = examples + QStringLiteral("/Tunewright/");
        QVERIFY(QFileInfo::exists(m_host + QStringLiteral("lyrics")));
    }

    // What the scan will show: every state, each timestamp file readable
    // and found beside its lyrics (one by an upper-case extension).
    void allThreeStatesOccur()
    {
        KaraokeIndex index;
        index.load(karaokeIndexPath(m_host));
        QCOMPARE(index.recordCountText(), QStringLiteral("2400"));

        int withKas = 0, available = 0, lyricsOnly = 0;
        bool upperCaseExtension = false;
        const QString lyricsPath = m_host + QStringLiteral("lyrics/");
        for (const QString &folder : listSubfolders(lyricsPath)) {
            for (const QString &name : listFilesWithSuffix(lyricsPath + folder, QStringLiteral(".txt"))) {
                const QString path = lyricsPath + folder + u'/' + name;
                if (KasFileExists(path)) {
                    ++withKas;
                    const QString kas = kasPathOnDisk(path);
                    upperCaseExtension = upperCaseExtension || kas.endsWith(QStringLiteral(".KAS"));
                    const KasContent content = readKasFile(kas);
                    QVERIFY2(content.ok() && content.records.size() >= 5, qPrintable(kas));
                } else if (index.IsKaraokeAvailable(name)) {
                    ++available;
                } else {
                    ++lyricsOnly;
                }
            }
        }
        QCOMPARE(withKas, 4);
        QCOMPARE(available, 5);
        QVERIFY(lyricsOnly >= 5);
        QVERIFY(upperCaseExtension);
    }
};

QTEST_GUILESS_MAIN(tst_KaraokeExamples)
#include "tst_karaoke_examples.moc"
