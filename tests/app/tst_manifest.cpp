#include "app/Manifest.h"

#include "FakeInstallation.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace stanzary;

class tst_Manifest : public QObject
{
    Q_OBJECT

private slots:
    void writtenOnlyAboveVersionFive_data()
    {
        QTest::addColumn<double>("version");
        QTest::addColumn<bool>("written");
        QTest::newRow("not a Windows desktop") << 0.0 << false;
        QTest::newRow("5.0") << 5.0 << false;
        QTest::newRow("5.01") << 5.01 << true;
        QTest::newRow("10.0") << 10.0 << true;
    }
    void writtenOnlyAboveVersionFive()
    {
        QFETCH(double, version);
        QFETCH(bool, written);
        QTemporaryDir tmp;
        const ManifestOutcome outcome = WriteManifest(tmp.path(), QStringLiteral("stanzary"), version);
        QCOMPARE(outcome == ManifestOutcome::Written, written);
        const QByteArray content = test::readAll(manifestPath(tmp.path(), QStringLiteral("stanzary")));
        QCOMPARE(!content.isEmpty(), written);
        if (written) {
            QVERIFY(content.endsWith("</assembly>\r\n"));
            QVERIFY(content.contains("name=\"Tunewright.Stanzary\""));
            QVERIFY(content.contains("<description>ZEPH</description>"));
            QCOMPARE(content.count('\n'), content.count("\r\n")); // CR LF line ends only
        }
    }

    void existingManifestIsNeverRewritten()
    {
        QTemporaryDir tmp;
        test::FakeInstallation dir(tmp.path());
        const QString path = dir.writeFile(QStringLiteral("Stanzary.EXE.manifest"), "mine");
        QCOMPARE(WriteManifest(tmp.path(), QStringLiteral("stanzary"), 6.0), ManifestOutcome::AlreadyThere);
        QCOMPARE(test::readAll(path), QByteArray("mine"));
    }

    void unwritableFolderFailsQuietly()
    {
        QCOMPARE(WriteManifest(QStringLiteral("/nonexistent/folder"), QStringLiteral("stanzary"), 6.0),
                 ManifestOutcome::Failed);
    }
};

QTEST_GUILESS_MAIN(tst_Manifest)
#include "tst_manifest.moc"
