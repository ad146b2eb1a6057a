#include "karaoke/Md5.h"

#include <QVarLengthArray>

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

// One step of a round: f is the round's function of b, c and d.
template <int Round>
quint32 roundFunction(quint32 b, quint32 c, quint32 d)
{
    if constexpr (Round == 0)
        return (b & c) | (~b & d);
    else if constexpr (Round == 1)
        return (d & b) | (~d & c);
    else if constexpr (Round == 2)
        return b ^ c ^ d;
    else
        return c ^ (b | ~d);
}

// The message word that step i takes.
constexpr std::array<quint8, 64> kWord = [] {
    std::array<quint8, 64> word{};
    for (int i = 0; i < 64; ++i)
        word[i] = quint8(i < 16 ? i : i < 32 ? (5 * i + 1) % 16 : i < 48 ? (3 * i + 5) % 16 : (7 * i) % 16);
    return word;
}();

// The sixteen steps of one round, each with its constants known at compile time.
template <int Round>
void runRound(quint32 &a, quint32 &b, quint32 &c, quint32 &d, const std::array<quint32, 16> &m)
{
#pragma GCC unroll 16
    for (int j = 0; j < 16; ++j) {
        const int i = Round * 16 + j;
        const quint32 rotated = rotateLeft(a + roundFunction<Round>(b, c, d) + kSine[i] + m[kWord[i]], kShift[i]);
        a = d;
        d = c;
        c = b;
        b = b + rotated;
    }
}

// Processes one 64-byte block.
void transformBlock(Md5State &s, const quint8 *block)
{
    std::array<quint32, 16> m{};
    for (int i = 0; i < 16; ++i) {
        const quint8 *p = block + 4 * i;
        m[i] = quint32(p[0]) | (quint32(p[1]) << 8) | (quint32(p[2]) << 16) | (quint32(p[3]) << 24);
    }
    quint32 a = s.a, b = s.b, c = s.c, d = s.d;
    runRound<0>(a, b, c, d, m);
    runRound<1>(a, b, c, d, m);
    runRound<2>(a, b, c, d, m);
    runRound<3>(a, b, c, d, m);
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

// The digest of size bytes at data.
Md5Digest digestOf(const quint8 *data, qsizetype size)
{
    Md5State s;
    const qsizetype whole = size - size % 64;
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

// Calls put(i, unit) with every UTF-16 unit of text lower-cased one to one
// (lowerCaseOneToOne), in order.
template <typename Put>
void lowerOneToOne(QStringView text, Put put)
{
    // The one character whose lower case is two characters in every
    // language: QChar::toLower leaves such characters unchanged.
    constexpr char16_t CapitalIWithDot = 0x0130;
    const qsizetype size = text.size();
    const char16_t *in = text.utf16();
    for (qsizetype i = 0; i < size; ++i) {
        const char16_t c = in[i];
        if (c < 0x80) {
            put(i, c >= u'A' && c <= u'Z' ? char16_t(c + 0x20) : c);
        } else if (QChar::isHighSurrogate(c) && i + 1 < size && QChar::isLowSurrogate(in[i + 1])) {
            const char32_t pair = QChar::surrogateToUcs4(c, in[i + 1]);
            const char32_t folded = QChar::toLower(pair);
            const char32_t kept = QChar::requiresSurrogates(folded) ? folded : pair;
            put(i, QChar::highSurrogate(kept));
            put(i + 1, QChar::lowSurrogate(kept));
            ++i;
        } else if (c == CapitalIWithDot) {
            put(i, u'i'); // its simple mapping; QChar leaves it as it is
        } else {
            put(i, char16_t(QChar::toLower(char32_t(c)))); // a lone surrogate stays as it is
        }
    }
}

// Writes the message bytes of text (md5MessageBytes), text.size() of them.
void writeMessageBytes(QStringView text, quint8 *out)
{
    lowerOneToOne(text, [out](qsizetype i, char16_t unit) { out[i] = quint8(unit & 0xff); });
}

} // namespace

Md5Digest md5Digest(const QByteArray &bytes)
{
    return digestOf(reinterpret_cast<const quint8 *>(bytes.constData()), bytes.size());
}

QString lowerCaseOneToOne(const QString &text)
{
    // QString::toLower applies the full mapping, which turns U+0130 into "i"
    // and a combining dot; the simple mapping of QChar keeps one character.
    QString lower(text.size(), Qt::Uninitialized);
    QChar *out = lower.data();
    lowerOneToOne(text, [out](qsizetype i, char16_t unit) { out[i] = QChar(unit); });
    return lower;
}

QByteArray md5MessageBytes(const QString &sMessage)
{
    QByteArray bytes(sMessage.size(), Qt::Uninitialized);
    writeMessageBytes(sMessage, reinterpret_cast<quint8 *>(bytes.data()));
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

Md5Digest clsMD5Hash::digest(QStringView sMessage) const
{
    // Names are short: their bytes stay on the stack.
    QVarLengthArray<quint8, 256> bytes(sMessage.size());
    writeMessageBytes(sMessage, bytes.data());
    return digestOf(bytes.data(), bytes.size());
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
