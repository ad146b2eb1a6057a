#include "karaoke/KaraokeIndex.h"
#include "karaoke/Md5.h"

#include "FakeInstallation.h"

#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

using namespace stanzary;

namespace {

const QString kSong = QStringLiteral("Amber Lanterns - Paper Boats.txt");

// The key cut the documented way: the first 15 decimal digits of MD5 of the
// name without its extension, in groups of three.
QByteArray keyFromDigits(const QString &fileName)
{
    QString name = fileName;
    name.chop(4);
    const QString digits = MD5(name);
    QByteArray key;
    for (int i = 0; i < 15; i += 3)
        key += char(digits.mid(i, 3).toInt());
    return key;
}

// The documented lookup: search the whole byte string, accept a hit only on
// a record boundary, and continue after a misaligned one.
bool linearLookup(const QByteArray &index, const QString &fileName)
{
    if (index.isEmpty())
        return false;
    const QByteArray key = keyFromDigits(fileName);
    for (qsizetype at = index.indexOf(key); at >= 0; at = index.indexOf(key, at + 1)) {
        if (at % 5 == 0)
            return true;
    }
    return false;
}

QByteArray filler(int records, quint32 seed)
{
    QRandomGenerator rng(seed);
    QByteArray out(records * 5, '\0');
    for (char &c : out)
        c = char(rng.bounded(256));
    return out;
}

} // namespace

class tst_KaraokeIndex : public QObject
{
    Q_OBJECT

private slots:
    void keyIsTheDigestsFirstFiveBytes()
    {
        for (const QString &name : {kSong, QStringLiteral("\u00c9lo\u00efse Marchand - Caf\u00e9 de minuit.txt"),
                                    QStringLiteral(".txt"), QStringLiteral("x")}) {
            const AvailabilityKey key = availabilityKeyFor(name);
            QCOMPARE(QByteArray(reinterpret_cast<const char *>(key.data()), 5), keyFromDigits(name));
        }
    }

    // Where the key stands decides: whole records only.
    void lookupByPlace_data()
    {
        QTest::addColumn<QByteArray>("index");
        QTest::addColumn<bool>("available");
        const QByteArray key = keyFromDigits(kSong);
        const QByteArray pad = filler(4, 7);
        QTest::newRow("offset 0") << key + pad << true;
        QTest::newRow("offset 5k") << pad + key << true;
        QTest::newRow("only at offset 3") << pad.left(3) + key + pad.left(2) << false;
        QTest::newRow("misaligned, then aligned") << pad.left(3) + key + pad.left(2) + key << true;
        QTest::newRow("52 bytes, key as the last five") << filler(9, 3) + pad.left(2) + key << false;
        QTest::newRow("52 bytes, key as record 9") << filler(9, 3) + key + pad.left(2) << true;
        QTest::newRow("absent") << pad << false;
        QTest::newRow("shorter than a record") << key.left(4) << false;
    }
    void lookupByPlace()
    {
        QFETCH(QByteArray, index);
        QFETCH(bool, available);
        KaraokeIndex k;
        k.setBytes(index);
        QCOMPARE(k.IsKaraokeAvailable(kSong), available);
        QCOMPARE(linearLookup(index, kSong), available); // the fixture means what it says
        const AvailabilityKey key = availabilityKeyFor(kSong);
        QCOMPARE(k.containsKeys({key, key}), (std::vector<bool>{available, available}));
    }

    void caseOfTheFileNameDoesNotMatter()
    {
        KaraokeIndex k;
        k.setBytes(keyFromDigits(kSong));
        QVERIFY(k.IsKaraokeAvailable(kSong.toUpper()));
        QVERIFY(k.IsKaraokeAvailable(QStringLiteral("amber lanterns - paper boats.TXT")));
        QVERIFY(!k.IsKaraokeAvailable(QStringLiteral("Amber Lanterns - Paper Boat.txt")));
    }

    // Random indexes seeded with keys at every offset, against the documented scan.
    void agreesWithTheLinearScan()
    {
        QRandomGenerator rng(34);
        QStringList names;
        for (int i = 0; i < 400; ++i)
            names << QStringLiteral("Artist %1 - Song %2.txt").arg(i % 37).arg(i);
        QByteArray index = filler(300, 11);
        for (int i = 0; i < 120; ++i) {
            const qsizetype at = rng.bounded(int(index.size()) - 5);
            index.replace(at, 5, keyFromDigits(names.at(i)));
        }
        index += QByteArray("\x01\x02\x03", 3);
        KaraokeIndex k;
        k.setBytes(index);
        int hits = 0;
        std::vector<AvailabilityKey> keys;
        std::vector<bool> expectedAll;
        for (const QString &name : std::as_const(names)) {
            const bool expected = linearLookup(index, name);
            QCOMPARE(k.IsKaraokeAvailable(name), expected);
            hits += expected;
            keys.push_back(availabilityKeyFor(name));
            expectedAll.push_back(expected);
        }
        QVERIFY(hits > 10 && hits < 120); // both answers were exercised
        KaraokeIndex batch;               // all keys at once, with no single lookup before
        batch.setBytes(index);
        QCOMPARE(batch.containsKeys(keys), expectedAll);
    }

    void recordCountText_data()
    {
        QTest::addColumn<int>("bytes");
        QTest::addColumn<QString>("text");
        QTest::newRow("empty") << 0 << QStringLiteral("0");
        QTest::newRow("4") << 4 << QStringLiteral("0.8");
        QTest::newRow("50") << 50 << QStringLiteral("10");
        QTest::newRow("51") << 51 << QStringLiteral("10.2");
        QTest::newRow("52") << 52 << QStringLiteral("10.4");
        QTest::newRow("54") << 54 << QStringLiteral("10.8");
        QTest::newRow("1000000") << 1000000 << QStringLiteral("200000");
    }
    void recordCountText()
    {
        QFETCH(int, bytes);
        QFETCH(QString, text);
        KaraokeIndex k;
        k.setBytes(QByteArray(bytes, 'x'));
        QCOMPARE(k.recordCountText(), text);
        QCOMPARE(k.byteSize(), qint64(bytes));
    }

    void loadsFromTheInstallation()
    {
        QTemporaryDir tmp;
        test::FakeInstallation inst(tmp.path());
        inst.writeKaraokeIndex(filler(3, 5) + keyFromDigits(kSong));
        KaraokeIndex k;
        k.load(karaokeIndexPath(inst.hostPath()));
        QCOMPARE(k.recordCountText(), QStringLiteral("4"));
        QVERIFY(!k.isEmpty());
        QVERIFY(k.IsKaraokeAvailable(kSong));

        k.clear();
        QVERIFY(k.isEmpty());
        QVERIFY(!k.IsKaraokeAvailable(kSong));
    }

    // The host's platform finds its files ignoring case.
    void indexNameIgnoresCase_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("upper case") << QStringLiteral("KL.DBX");
        QTest::newRow("mixed case") << QStringLiteral("Kl.dbX");
    }
    void indexNameIgnoresCase()
    {
        QFETCH(QString, name);
        QTemporaryDir tmp;
        test::FakeInstallation inst(tmp.path());
        inst.writeFile(name, filler(3, 5) + keyFromDigits(kSong));
        QCOMPARE(karaokeIndexPath(inst.hostPath()), inst.hostPath() + name);
        KaraokeIndex k;
        k.load(karaokeIndexPath(inst.hostPath()));
        QVERIFY(k.IsKaraokeAvailable(kSong));
        QCOMPARE(karaokeIndexPath(tmp.path() + QStringLiteral("/none/")), tmp.path() + QStringLiteral("/none/kl.dbx"));
    }

    // A missing or unreadable index replaces the previous one with nothing.
    void missingOrUnreadableIsEmpty()
    {
        QTemporaryDir tmp;
        test::FakeInstallation inst(tmp.path());
        KaraokeIndex k;
        k.setBytes(keyFromDigits(kSong));
        k.load(karaokeIndexPath(inst.hostPath()));
        QVERIFY(k.isEmpty());
        QCOMPARE(k.recordCountText(), QStringLiteral("0"));
        QVERIFY(!k.IsKaraokeAvailable(kSong));

        k.setBytes(keyFromDigits(kSong));
        k.load(tmp.path()); // a folder cannot be read as a file
        QVERIFY(k.isEmpty());

        inst.writeKaraokeIndex(QByteArray());
        k.load(karaokeIndexPath(inst.hostPath()));
        QVERIFY(k.isEmpty());
    }

    void ageInCalendarDays_data()
    {
        QTest::addColumn<QDateTime>("modified");
        QTest::addColumn<int>("days");
        const QDate today(2024, 3, 10);
        QTest::newRow("same day") << QDateTime(today, QTime(0, 5)) << 0;
        QTest::newRow("just before midnight") << QDateTime(today.addDays(-1), QTime(23, 50)) << 1;
        QTest::newRow("two days") << QDateTime(today.addDays(-2), QTime(12, 0)) << 2;
        QTest::newRow("a year") << QDateTime(today.addDays(-366), QTime(12, 0)) << 366;
        QTest::newRow("in the future") << QDateTime(today.addDays(3), QTime(12, 0)) << 0;
    }
    void ageInCalendarDays()
    {
        QFETCH(QDateTime, modified);
        QFETCH(int, days);
        QTemporaryDir tmp;
        test::FakeInstallation inst(tmp.path());
        inst.writeKaraokeIndex("12345");
        const QString path = karaokeIndexPath(inst.hostPath());
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadWrite));
        QVERIFY(f.setFileTime(modified, QFileDevice::FileModificationTime));
        f.close();
        const QDateTime now(QDate(2024, 3, 10), QTime(0, 30));
        QCOMPARE(karaokeIndexAgeDays(path, now), days);
    }

    void ageOfAMissingIndexIsZero()
    {
        QTemporaryDir tmp;
        QCOMPARE(karaokeIndexAgeDays(tmp.filePath(QStringLiteral("kl.dbx"))), 0);
    }
};

QTEST_GUILESS_MAIN(tst_KaraokeIndex)
#include "tst_karaokeindex.moc"
