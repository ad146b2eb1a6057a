#include "karaoke/Md5.h"

#include <cstring>

namespace stanzary {

namespace {

// Per-round shift amounts and the sine-derived constants of RFC 1321.
constexpr std::array<quint32, 64> kShift = {
    7,  12, 17, 22, 7,  12, 17, 22, 7,  12, 17, 22, 7,  12, 17, 22, 5,  9,  14, 20, 5,  9,
    14, 20, 5,  9,  14, 20, 5,  9,  14, 20, 4,  11, 16, 23, 4,  11, 16, 23, 4,  11, 16, 23,
    4,  11, 16, 23, 6,  10, 15, 21, 6,  10, 15, 21, 6,  10, 15, 21, 6,  10, 15, 21,
};

constexpr std::array<quint32, 64> kSine = {
    0xd76aa478, 0xe8c7b756, 0x242070db, 0xc1bdceee, 0xf57c0faf, 0x4787c62a, 0xa8304613, 0xfd469501,
    0x698098d8, 0x8b44f7af, 0xffff5bb1, 0x895cd7be, 0x6b901122, 0xfd987193, 0xa679438e, 0x49b40821,
    0xf61e2562, 0xc040b340, 0x265e5a51, 0xe9b6c7aa, 0xd62f105d, 0x02441453, 0xd8a1e681, 0xe7d3fbc8,
    0x21e1cde6, 0xc33707d6, 0xf4d50d87, 0x455a14ed, 0xa9e3e905, 0xfcefa3f8, 0x676f02d9, 0x8d2a4c8a,
    0xfffa3942, 0x8771f681, 0x6d9d6122, 0xfde5380c, 0xa4beea44, 0x4bdecfa9, 0xf6bb4b60, 0xbebfbc70,
    0x289b7ec6, 0xeaa127fa, 0xd4ef3085, 0x04881d05, 0xd9d4d039, 0xe6db99e5, 0x1fa27cf8, 0xc4ac5665,
    0xf4292244, 0x432aff97, 0xab9423a7, 0xfc93a039, 0x655b59c3, 0x8f0ccc92, 0xffeff47d, 0x85845dd1,
    0x6fa87e4f, 0xfe2ce6e0, 0xa3014314, 0x4e0811a1, 0xf7537e82, 0xbd3af235, 0x2ad7d2bb, 0xeb86d391,
};

constexpr quint32 rotateLeft(quint32 x, quint32 n)
{
    return (x << n) | (x >> (32 - n));
}

struct Md5State
{
    quint32 a = 0x67452301;
    quint32 b = 0xefcdab89;
    quint32 c = 0x98badcfe;
    quint32 d = 0x10325476;
};

// Processes one 64-byte block.
void transformBlock(Md5State &s, const quint8 *block)
{
    std::array<quint32, 16> m{};
    for (int i = 0; i < 16; ++i) {
        const quint8 *p = block + 4 * i;
        m[i] = quint32(p[0]) | (quint32(p[1]) << 8) | (quint32(p[2]) << 16) | (quint32(p[3]) << 24);
    }
    quint32 a = s.a, b = s.b, c = s.c, d = s.d;
    for (int i = 0; i < 64; ++i) {
        quint32 f = 0;
        int g = 0;
        if (i < 16) {
            f = (b & c) | (~b & d);
            g = i;
        } else if (i < 32) {
            f = (d & b) | (~d & c);
            g = (5 * i + 1) % 16;
        } else if (i < 48) {
            f = b ^ c ^ d;
            g = (3 * i + 5) % 16;
        } else {
            f = c ^ (b | ~d);
            g = (7 * i) % 16;
        }
        const quint32 rotated = rotateLeft(a + f + kSine[i] + m[g], kShift[i]);
        a = d;
        d = c;
        c = b;
        b = b + rotated;
    }
    s.a += a;
    s.b += b;
    s.c += c;
    s.d += d;
}

void putWord(Md5Digest &out, int at, quint32 w)
{
    for (int i = 0; i < 4; ++i)
        out[at + i] = quint8(w >> (8 * i));
}

} // namespace

Md5Digest md5Digest(const QByteArray &bytes)
{
    Md5State s;
    const auto *data = reinterpret_cast<const quint8 *>(bytes.constData());
    const qsizetype size = bytes.size();
    qsizetype whole = size - size % 64;
    for (qsizetype at = 0; at < whole; at += 64)
        transformBlock(s, data + at);

    // The rest, the 0x80 byte, zeros up to 56 modulo 64, and the length in
    // bits as a 64-bit little-endian number: one or two final blocks.
    std::array<quint8, 128> tail{};
    const qsizetype rest = size - whole;
    if (rest > 0)
        std::memcpy(tail.data(), data + whole, size_t(rest));
    tail[rest] = 0x80;
    const int tailSize = rest < 56 ? 64 : 128;
    const quint64 bits = quint64(size) * 8;
    for (int i = 0; i < 8; ++i)
        tail[tailSize - 8 + i] = quint8(bits >> (8 * i));
    for (int at = 0; at < tailSize; at += 64)
        transformBlock(s, tail.data() + at);

    Md5Digest out{};
    putWord(out, 0, s.a);
    putWord(out, 4, s.b);
    putWord(out, 8, s.c);
    putWord(out, 12, s.d);
    return out;
}

QString lowerCaseOneToOne(const QString &text)
{
    // The one character whose lower case is two characters in every
    // language: QChar::toLower leaves such characters unchanged.
    constexpr QChar CapitalIWithDot(0x0130);
    // QString::toLower applies the full mapping, which turns U+0130 into "i"
    // and a combining dot; the simple mapping of QChar keeps one character.
    QString lower(text.size(), Qt::Uninitialized);
    QChar *out = lower.data();
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            const char32_t pair = QChar::surrogateToUcs4(c, text.at(i + 1));
            const char32_t folded = QChar::toLower(pair);
            const char32_t kept = QChar::requiresSurrogates(folded) ? folded : pair;
            out[i] = QChar(QChar::highSurrogate(kept));
            out[i + 1] = QChar(QChar::lowSurrogate(kept));
            ++i;
        } else if (c == CapitalIWithDot) {
            out[i] = QChar(u'i'); // its simple mapping; QChar leaves it as it is
        } else {
            out[i] = c.toLower(); // a lone surrogate stays as it is
        }
    }
    return lower;
}

QByteArray md5MessageBytes(const QString &sMessage)
{
    const QString lower = lowerCaseOneToOne(sMessage);
    QByteArray bytes(lower.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < lower.size(); ++i)
        bytes[i] = char(lower.at(i).unicode() & 0xff);
    return bytes;
}

QString decimalDigest(const Md5Digest &digest)
{
    QString text(48, Qt::Uninitialized);
    QChar *out = text.data();
    for (quint8 byte : digest) {
        *out++ = QChar(u'0' + byte / 100);
        *out++ = QChar(u'0' + byte / 10 % 10);
        *out++ = QChar(u'0' + byte % 10);
    }
    return text;
}

Md5Digest clsMD5Hash::digest(const QString &sMessage) const
{
    return md5Digest(md5MessageBytes(sMessage));
}

QString clsMD5Hash::MD5(const QString &sMessage) const
{
    return decimalDigest(digest(sMessage));
}

QString MD5(const QString &sMessage)
{
    return clsMD5Hash().MD5(sMessage);
}

} // namespace stanzary
