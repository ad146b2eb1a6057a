#include "karaoke/Md5.h"

#include <QCryptographicHash>
#include <QRandomGenerator>
#include <QtTest>

using namespace stanzary;

namespace {

// The decimal form of digest bytes, written independently of the product code.
QString decimalOf(const QByteArray &digest)
{
    QString out;
    for (char c : digest)
        out += QString::asprintf("%03u", unsigned(quint8(c)));
    return out;
}

QString reference(const QByteArray &bytes)
{
    return decimalOf(QCryptographicHash::hash(bytes, QCryptographicHash::Md5));
}

QByteArray bytesOf(const Md5Digest &d)
{
    return QByteArray(reinterpret_cast<const char *>(d.data()), qsizetype(d.size()));
}

} // namespace

class tst_Md5 : public QObject
{
    Q_OBJECT

private slots:
    // RFC 1321, appendix A.5, in the decimal form. MD5() lower-cases, so the
    // one mixed-case vector is checked on the raw digest of its bytes.
    void rfc1321Suite_data()
    {
        QTest::addColumn<QByteArray>("message");
        QTest::addColumn<QByteArray>("hex");
        QTest::newRow("empty") << QByteArray() << QByteArray("d41d8cd98f00b204e9800998ecf8427e");
        QTest::newRow("a") << QByteArray("a") << QByteArray("0cc175b9c0f1b6a831c399e269772661");
        QTest::newRow("abc") << QByteArray("abc") << QByteArray("900150983cd24fb0d6963f7d28e17f72");
        QTest::newRow("message digest") << QByteArray("message digest")
                                        << QByteArray("f96b697d7cb7938d525a2f31aaf161d0");
        QTest::newRow("alphabet") << QByteArray("abcdefghijklmnopqrstuvwxyz")
                                  << QByteArray("c3fcd3d76192e4007dfb496cca67e13b");
        QTest::newRow("alphanumeric") << QByteArray("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789")
                                      << QByteArray("d174ab98d277d9f5a5611c2c9f419d9f");
        QTest::newRow("digits x8") << QByteArray(
            "12345678901234567890123456789012345678901234567890123456789012345678901234567890")
                                   << QByteArray("57edf4a22be3c955ac49da2e2107b67a");
    }
    void rfc1321Suite()
    {
        QFETCH(QByteArray, message);
        QFETCH(QByteArray, hex);
        const QString expected = decimalOf(QByteArray::fromHex(hex));
        QCOMPARE(decimalDigest(md5Digest(message)), expected);
        if (message == message.toLower())
            QCOMPARE(MD5(QString::fromLatin1(message)), expected);
    }

    void abcIgnoresCase()
    {
        const QString abc = QStringLiteral("144001080152060210079176214150063125040225127114");
        QCOMPARE(MD5(QStringLiteral("abc")), abc);
        QCOMPARE(MD5(QStringLiteral("ABC")), abc);
        QCOMPARE(clsMD5Hash().MD5(QStringLiteral("aBc")), abc);
    }

    // Every length from 0 to 200 covers the padding boundaries 55/56 and
    // 63/64/65 and the two-block tails.
    void randomBytesMatchQtDigest()
    {
        QRandomGenerator rng(1321);
        for (int length = 0; length <= 200; ++length) {
            QByteArray bytes(length, '\0');
            for (char &c : bytes)
                c = char(rng.bounded(256));
            QCOMPARE(bytesOf(md5Digest(bytes)), QCryptographicHash::hash(bytes, QCryptographicHash::Md5));
        }
    }

    void paddingBoundariesAsText_data()
    {
        QTest::addColumn<int>("length");
        for (int n : {55, 56, 57, 63, 64, 65, 119, 120, 128})
            QTest::newRow(qPrintable(QString::number(n))) << n;
    }
    void paddingBoundariesAsText()
    {
        QFETCH(int, length);
        QString text;
        for (int i = 0; i < length; ++i)
            text += QChar(u'a' + i % 26);
        QCOMPARE(MD5(text), reference(text.toLatin1()));
    }

    void namesBecomeOneBytePerCodeUnit_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("accented Latin-1")
            << QStringLiteral("\u00c9lo\u00efse - Caf\u00e9") << QByteArray("\xe9lo\xefse - caf\xe9");
        QTest::newRow("above U+00FF keeps the low byte")
            << QStringLiteral("\u0141\u00f3d\u017a") << QByteArray("\x42\xf3\x64\x7a");
        QTest::newRow("Cyrillic") << QStringLiteral("\u0416\u0430") << QByteArray("\x36\x30");
        QTest::newRow("control and digits") << QStringLiteral("A\t1") << QByteArray("a\t1");
    }
    void namesBecomeOneBytePerCodeUnit()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        QCOMPARE(md5MessageBytes(name), bytes);
        QCOMPARE(MD5(name), reference(bytes));
    }

    // Expected digests computed apart from this program (Python's hashlib
    // over the low bytes of the UTF-16 units, each character lower-cased on
    // its own by the simple mapping). The lower-casing must keep one unit per
    // unit: a full mapping turns U+0130 into two units and changes the digest.
    void namesInManyScripts_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("digest");
        QTest::newRow("Latin-1") << QStringLiteral("\u00c9lo\u00efse Marchand - Caf\u00e9 Noir")
                                 << QStringLiteral("072099062124215106235213239032004172245172061168");
        QTest::newRow("Turkish dotted I") << QStringLiteral("\u0130pek Y\u0131ld\u0131z - G\u00f6lge \u0130zi")
                                          << QStringLiteral("035194080108101003073093145045099209228115091001");
        QTest::newRow("Greek, no final sigma")
            << QStringLiteral("\u039f\u0394\u039f\u03a3 - \u0389\u03bb\u03b9\u03bf\u03c2 \u03a3")
            << QStringLiteral("100081231067135004026149236238185242037211248150");
        QTest::newRow("Cyrillic") << QStringLiteral(
            "\u0401\u043b\u043a\u0430 \u0417\u0432\u0451\u0437\u0434 - \u041d\u043e\u0447\u044c")
                                  << QStringLiteral("209001091123081049140231029111248009008021224216");
        QTest::newRow("Polish") << QStringLiteral("\u0141ucja \u017bak - \u0106ma")
                                << QStringLiteral("150075058193102234064119206073071133200175169132");
        QTest::newRow("capital sharp s") << QStringLiteral("GRO\u1e9eE STRASSE - Stra\u00dfe")
                                         << QStringLiteral("143180168187160068019238177221027157103180147243");
        QTest::newRow("Armenian ligature") << QStringLiteral("\u0531\u0580\u0587 - \u0544\u0561\u0575")
                                           << QStringLiteral("023114208222109099074139021122120231210193205081");
        QTest::newRow("Hebrew and Arabic") << QStringLiteral("\u05e9\u05d9\u05e8 - \u0623\u063a\u0646\u064a\u0629")
                                           << QStringLiteral("106000105019146253013083230151167165108100020169");
        QTest::newRow("beyond the BMP") << QStringLiteral("\U00010400\U00010401 - Deseret")
                                        << QStringLiteral("107098031240041118086154238175090063066208107062");
    }
    void namesInManyScripts()
    {
        QFETCH(QString, name);
        QFETCH(QString, digest);
        QCOMPARE(md5MessageBytes(name).size(), name.size());
        QCOMPARE(MD5(name), digest);
    }

    void highBytesAreDropped()
    {
        // U+0142 and U+0242 are both lower-case and share the low byte 0x42.
        QCOMPARE(MD5(QStringLiteral("x\u0142")), MD5(QStringLiteral("x\u0242")));
        QCOMPARE(MD5(QStringLiteral("x\u0142")), reference(QByteArray("x\x42")));
        QVERIFY(MD5(QStringLiteral("x\u0142")) != MD5(QStringLiteral("xb")));
    }

    void everyByteTakesThreeDigits()
    {
        Md5Digest d{};
        for (size_t i = 0; i < d.size(); ++i)
            d[i] = quint8(i * 17 % 256); // 0, 17, ..., 255 with bytes below 10 and 100
        d[1] = 9;
        d[2] = 99;
        const QString text = decimalDigest(d);
        QCOMPARE(text.size(), 48);
        QCOMPARE(text, decimalOf(bytesOf(d)));
        QVERIFY(text.startsWith(QStringLiteral("000009099")));
    }
};

QTEST_GUILESS_MAIN(tst_Md5)
#include "tst_md5.moc"
