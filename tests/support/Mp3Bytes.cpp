#include "Mp3Bytes.h"

namespace stanzary::test {

namespace {

QByteArray digits(qint64 n, int width)
{
    return QByteArray::number(n).rightJustified(width, '0');
}

// A size in four bytes of bits each, most significant first.
QByteArray sizeBytes(int size, int bits)
{
    const int mask = (1 << bits) - 1;
    QByteArray out;
    for (int shift = 3 * bits; shift >= 0; shift -= bits)
        out += char(size >> shift & mask);
    return out;
}

} // namespace

QByteArray audioBytes(int n)
{
    QByteArray a(n, '\0');
    for (int i = 0; i < n; ++i)
        a[i] = char((i * 37 + 11) & 0xff);
    return a;
}

QByteArray mpegFrames(int n)
{
    QByteArray out;
    for (int f = 0; f < n; ++f) {
        out += QByteArray("\xff\xfb\x90\x64", 4);
        for (int i = 4; i < 417; ++i)
            out += char((f * 7 + i * 13) % 0x7f);
    }
    return out;
}

QByteArray id3v1Record(const QByteArray &title, const QByteArray &artist)
{
    return "TAG" + title.leftJustified(30, '\0', true) + artist.leftJustified(30, '\0', true) + QByteArray(30, '\0')
           + "2001" + QByteArray(28, '\0') + QByteArray("\0\x01\x02", 3);
}

QByteArray lyrics3v2Tag(const QList<Lyrics3Field> &fields, const QByteArray &marker)
{
    QByteArray body = "LYRICSBEGIN";
    for (const auto &[id, data] : fields)
        body += id + digits(data.size(), 5) + data;
    return body + digits(body.size(), 6) + marker;
}

QByteArray apeTag()
{
    const QByteArray item = QByteArray("\x05\0\0\0\0\0\0\0Title\0Hello", 19);
    const QByteArray header = "APETAGEX" + QByteArray("\xd0\x07\0\0", 4) + QByteArray("\x33\0\0\0\x01\0\0\0", 8)
                              + QByteArray("\0\0\0\xa0", 4) + QByteArray(8, '\0');
    QByteArray footer = header;
    footer[23] = '\x80';
    return header + item + footer;
}

QByteArray id3v2Tag(int major, const QByteArray &frames, int padding, quint8 flags)
{
    // The tag's size is synchsafe: seven bits a byte.
    return "ID3" + QByteArray(1, char(major)) + '\0' + char(flags) + sizeBytes(int(frames.size()) + padding, 7) + frames
           + QByteArray(padding, '\0');
}

QByteArray id3v2Frame(const QByteArray &id, const QByteArray &data)
{
    return id + sizeBytes(int(data.size()), 8) + QByteArray(2, '\0') + data;
}

} // namespace stanzary::test
