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
