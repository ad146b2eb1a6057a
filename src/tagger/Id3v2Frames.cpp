#include "tagger/Id3v2Frames.h"

#include <QHash>
#include <QStringDecoder>

#include <algorithm>

namespace stanzary {

namespace {

quint32 bigEndian(const QByteArray &bytes, qsizetype at, int length)
{
    quint32 value = 0;
    for (int i = 0; i < length; ++i)
        value = value << 8 | quint8(bytes.at(at + i));
    return value;
}

// A 28-bit size of ID3v2.4 (and of every tag header): seven bits a byte.
std::optional<quint32> syncsafe(const QByteArray &bytes, qsizetype at)
{
    quint32 value = 0;
    for (int i = 0; i < 4; ++i) {
        const quint8 b = quint8(bytes.at(at + i));
        if (b & 0x80)
            return std::nullopt;
        value = value << 7 | b;
    }
    return value;
}

// Unsynchronisation undone: the zero byte written after every 0xFF goes.
QByteArray resynchronised(const QByteArray &bytes)
{
    QByteArray out;
    out.reserve(bytes.size());
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        out += bytes.at(i);
        if (quint8(bytes.at(i)) == 0xff && i + 1 < bytes.size() && bytes.at(i + 1) == '\0')
            ++i;
    }
    return out;
}

bool isFrameId(const QByteArray &id)
{
    for (const char c : id) {
        if (!((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')))
            return false;
    }
    return true;
}

// Flags of ID3v2.3 (status byte %abc00000, format byte %ijk00000) and 2.4
// (%0abc0000, %0h00kmnp) in the terms of Id3v2Frame::Flag.
quint8 frameFlags(int version, quint8 status, quint8 format)
{
    using F = Id3v2Frame;
    const bool later = version == 4;
    quint8 flags = 0;
    flags |= (status & (later ? 0x40 : 0x80)) ? F::DiscardOnTagChange : 0;
    flags |= (status & (later ? 0x20 : 0x40)) ? F::DiscardOnFileChange : 0;
    flags |= (status & (later ? 0x10 : 0x20)) ? F::ReadOnly : 0;
    flags |= (format & (later ? 0x40 : 0x20)) ? F::Grouped : 0;
    flags |= (format & (later ? 0x08 : 0x80)) ? F::Compressed : 0;
    flags |= (format & (later ? 0x04 : 0x40)) ? F::Encrypted : 0;
    return flags;
}

// The data of an ID3v2.4 frame as stored in its tag. Unsynchronisation
// (marked in the frame, or for all frames in the tag's header) and the data
// length indicator are undone for a frame that is neither grouped,
// compressed nor encrypted; such a frame is kept as stored.
void readLaterFrameData(Id3v2Frame &frame, quint8 format, bool tagUnsynchronised)
{
    const bool unsynchronised = tagUnsynchronised || (format & 0x02);
    const bool withLength = format & 0x01;
    if (frame.flags & (Id3v2Frame::Grouped | Id3v2Frame::Compressed | Id3v2Frame::Encrypted)) {
        frame.flags |=
            (unsynchronised ? Id3v2Frame::StoredUnsynchronised : 0) | (withLength ? Id3v2Frame::StoredWithLength : 0);
        return;
    }
    if (withLength)
        frame.data.remove(0, 4);
    if (unsynchronised)
        frame.data = resynchronised(frame.data);
}

// The ID3v2.3 frames whose ID3v2.2 form differs only in its ID, after the
// frame lists of both versions; the last six are the sort-order and
// compilation frames that players added to both versions alike.
const QHash<QByteArray, QByteArray> &laterIds()
{
    static const QHash<QByteArray, QByteArray> ids{
        {"BUF", "RBUF"}, {"CNT", "PCNT"}, {"COM", "COMM"}, {"CRA", "AENC"}, {"ETC", "ETCO"}, {"EQU", "EQUA"},
        {"GEO", "GEOB"}, {"IPL", "IPLS"}, {"MCI", "MCDI"}, {"MLL", "MLLT"}, {"POP", "POPM"}, {"REV", "RVRB"},
        {"RVA", "RVAD"}, {"SLT", "SYLT"}, {"STC", "SYTC"}, {"TAL", "TALB"}, {"TBP", "TBPM"}, {"TCM", "TCOM"},
        {"TCO", "TCON"}, {"TCR", "TCOP"}, {"TDA", "TDAT"}, {"TDY", "TDLY"}, {"TEN", "TENC"}, {"TFT", "TFLT"},
        {"TIM", "TIME"}, {"TKE", "TKEY"}, {"TLA", "TLAN"}, {"TLE", "TLEN"}, {"TMT", "TMED"}, {"TOA", "TOPE"},
        {"TOF", "TOFN"}, {"TOL", "TOLY"}, {"TOR", "TORY"}, {"TOT", "TOAL"}, {"TP1", "TPE1"}, {"TP2", "TPE2"},
        {"TP3", "TPE3"}, {"TP4", "TPE4"}, {"TPA", "TPOS"}, {"TPB", "TPUB"}, {"TRC", "TSRC"}, {"TRD", "TRDA"},
        {"TRK", "TRCK"}, {"TSI", "TSIZ"}, {"TSS", "TSSE"}, {"TT1", "TIT1"}, {"TT2", "TIT2"}, {"TT3", "TIT3"},
        {"TXT", "TEXT"}, {"TXX", "TXXX"}, {"TYE", "TYER"}, {"UFI", "UFID"}, {"ULT", "USLT"}, {"WAF", "WOAF"},
        {"WAR", "WOAR"}, {"WAS", "WOAS"}, {"WCM", "WCOM"}, {"WCP", "WCOP"}, {"WPB", "WPUB"}, {"WXX", "WXXX"},
        {"TCP", "TCMP"}, {"TS2", "TSO2"}, {"TSA", "TSOA"}, {"TSC", "TSOC"}, {"TSP", "TSOP"}, {"TST", "TSOT"},
    };
    return ids;
}

// How a frame's content is laid out, one character a field: e the text
// encoding, a digit that many bytes, l a string of ISO-8859-1 ended by a
// zero byte, s a string in the frame's encoding ended by its terminator,
// t texts in the frame's encoding up to the end, y synchronised texts (each
// a string and four bytes of time) up to the end, u a string of ISO-8859-1
// up to the end (a terminator after it ends it), b bytes up to the end.
const char *layoutOf(const QByteArray &laterId)
{
    static const QHash<QByteArray, const char *> layouts{
        {"TXXX", "est"},   {"WXXX", "esu"},   {"COMM", "e3st"},   {"USLT", "e3st"}, {"USER", "e3t"},
        {"APIC", "el1sb"}, {"GEOB", "elssb"}, {"SYLT", "e311sy"}, {"IPLS", "et"},
    };
    if (const auto it = layouts.constFind(laterId); it != layouts.cend())
        return *it;
    return laterId.startsWith('T') ? "et" : laterId.startsWith('W') ? "u" : nullptr;
}

// Reads a frame's fields in order; a read fails (nothing) when the bytes are
// not what the layout says.
class FieldReader
{
public:
    explicit FieldReader(const QByteArray &data) : m_data(data) {}

    bool encoding()
    {
        if (m_at >= m_data.size() || quint8(m_data.at(m_at)) > 3)
            return false;
        m_encoding = quint8(m_data.at(m_at++));
        return true;
    }
    std::optional<QByteArray> bytes(qsizetype count)
    {
        if (count > m_data.size() - m_at)
            return std::nullopt;
        m_at += count;
        return m_data.mid(m_at - count, count);
    }
    QByteArray rest() { return *bytes(m_data.size() - m_at); }
    bool atEnd() const { return m_at == m_data.size(); }
    // The next string of ISO-8859-1, up to its terminator or, when mayEnd,
    // to the end of the frame.
    std::optional<QByteArray> latin1String(bool mayEnd = false)
    {
        qsizetype end = m_data.indexOf('\0', m_at);
        if (end < 0 && !mayEnd)
            return std::nullopt;
        end = end < 0 ? m_data.size() : end;
        const QByteArray s = m_data.mid(m_at, end - m_at);
        m_at = std::min(end + 1, m_data.size());
        return s;
    }
    // The next string in the frame's encoding, up to its terminator or, when
    // mayEnd, to the end of the frame.
    std::optional<QString> string(bool mayEnd = false)
    {
        const int unit = m_encoding == 1 || m_encoding == 2 ? 2 : 1;
        qsizetype end = m_at;
        while (end + unit <= m_data.size() && !(m_data.at(end) == '\0' && (unit == 1 || m_data.at(end + 1) == '\0')))
            end += unit;
        const bool terminated = end + unit <= m_data.size();
        if ((!terminated && !mayEnd) || (!terminated && end != m_data.size()))
            return std::nullopt;
        const std::optional<QString> text = decoded(m_data.mid(m_at, end - m_at));
        m_at = terminated ? end + unit : end;
        return text;
    }

private:
    std::optional<QString> decoded(QByteArray bytes) const
    {
        QStringConverter::Encoding encoding = QStringConverter::Latin1;
        switch (m_encoding) {
        case 0: return QString::fromLatin1(bytes);
        case 1:
            // Each string begins with its byte order mark; only an empty one
            // may go without.
            if (bytes.isEmpty())
                return QString();
            if (bytes.startsWith("\xff\xfe"))
                encoding = QStringConverter::Utf16LE;
            else if (bytes.startsWith("\xfe\xff"))
                encoding = QStringConverter::Utf16BE;
            else
                return std::nullopt;
            bytes.remove(0, 2);
            break;
        case 2: encoding = QStringConverter::Utf16BE; break;
        default: encoding = QStringConverter::Utf8; break;
        }
        QStringDecoder decoder(encoding, QStringConverter::Flag::Stateless | QStringConverter::Flag::ConvertInitialBom);
        const QString text = decoder.decode(bytes);
        if (decoder.hasError())
            return std::nullopt;
        return text;
    }

    const QByteArray &m_data;
    qsizetype m_at = 0;
    int m_encoding = 0;
};

// A field's value into a key, its kind first and its length before it, so
// that no two different field lists give the same key.
void addField(QByteArray &key, char kind, const QByteArray &value)
{
    key += kind + QByteArray::number(value.size()) + ':' + value;
}

// A decoded text as what it means: ASCII alike in every encoding, other
// texts as Unicode or, from ISO-8859-1, as the bytes they were.
void addText(QByteArray &key, const QString &text, bool fromLatin1)
{
    bool ascii = true;
    for (const QChar c : text)
        ascii = ascii && c.unicode() < 0x80;
    if (ascii)
        addField(key, 'A', text.toLatin1());
    else
        addField(key, fromLatin1 ? 'L' : 'U', fromLatin1 ? text.toLatin1() : text.toUtf8());
}

// The fields of data read by layout, as a key; nothing when they do not
// read cleanly.
std::optional<QByteArray> fieldsKey(const QByteArray &data, const char *layout)
{
    FieldReader reader(data);
    QByteArray key;
    bool latin1 = false;
    for (const char *field = layout; *field; ++field) {
        switch (*field) {
        case 'e':
            if (!reader.encoding())
                return std::nullopt;
            latin1 = data.at(0) == '\0';
            break;
        case 'l': {
            const std::optional<QByteArray> s = reader.latin1String();
            if (!s)
                return std::nullopt;
            addField(key, 'B', *s);
            break;
        }
        case 's': {
            const std::optional<QString> s = reader.string();
            if (!s)
                return std::nullopt;
            addText(key, *s, latin1);
            break;
        }
        case 't':
        case 'y':
            // The texts to the end; a terminator after the last one ends it
            // and begins no other.
            while (!reader.atEnd()) {
                const std::optional<QString> s = reader.string(*field == 't');
                const std::optional<QByteArray> time = *field == 'y' ? reader.bytes(4) : QByteArray();
                if (!s || !time)
                    return std::nullopt;
                addText(key, *s, latin1);
                addField(key, 'B', *time);
            }
            break;
        case 'u': {
            const std::optional<QByteArray> s = reader.latin1String(true);
            if (!s)
                return std::nullopt;
            addField(key, 'B', *s);
            break;
        }
        case 'b': addField(key, 'B', reader.rest()); break;
        default: {
            const std::optional<QByteArray> b = reader.bytes(*field - '0');
            if (!b)
                return std::nullopt;
            addField(key, 'B', *b);
        }
        }
    }
    return reader.atEnd() ? std::optional<QByteArray>(key) : std::nullopt;
}

// An ID3v2.2 picture as the APIC frame of the same content: the image
// format "JPG" or "PNG" in place of its MIME type. Nothing for another
// format, which has no MIME type known to mean the same.
std::optional<QByteArray> pictureAsLater(const QByteArray &data)
{
    static const QHash<QByteArray, QByteArray> mimeTypes{{"JPG", "image/jpeg"}, {"PNG", "image/png"}};
    const auto it = mimeTypes.constFind(data.mid(1, 3));
    if (data.size() < 4 || it == mimeTypes.cend())
        return std::nullopt;
    return data.left(1) + *it + '\0' + data.mid(4);
}

// What a frame means, as a key: equal keys, equal meaning (see
// id3v2FramesLost).
QByteArray meaningOf(const Id3v2Frame &frame)
{
    QByteArray id = laterFrameId(frame.id);
    QByteArray data = frame.data;
    if (frame.id == "PIC") {
        if (const std::optional<QByteArray> picture = pictureAsLater(data)) {
            id = "APIC";
            data = *picture;
        }
    }
    QByteArray key = id + '\0' + char(frame.flags);
    const char *layout = layoutOf(id);
    const std::optional<QByteArray> fields = layout && id.size() == 4 ? fieldsKey(data, layout) : std::nullopt;
    return fields ? key + 'F' + *fields : key + 'R' + data;
}

} // namespace

std::optional<Id3v2TagFrames> readId3v2Frames(const QByteArray &tag)
{
    if (tag.size() < 10 || !tag.startsWith("ID3"))
        return std::nullopt;
    Id3v2TagFrames result;
    result.version = quint8(tag.at(3));
    const quint8 tagFlags = quint8(tag.at(5));
    const std::optional<quint32> size = syncsafe(tag, 6);
    const int version = result.version;
    if (version < 2 || version > 4 || !size || *size > tag.size() - 10 || (version == 2 && (tagFlags & 0x40)))
        return std::nullopt;
    const bool unsynchronised = tagFlags & 0x80;
    // Up to ID3v2.3 the whole tag is unsynchronised, the extended header too.
    const QByteArray body = version < 4 && unsynchronised ? resynchronised(tag.mid(10, *size)) : tag.mid(10, *size);
    qsizetype at = 0;
    if (version >= 3 && (tagFlags & 0x40)) {
        // Its size leaves out the four bytes of the size in ID3v2.3.
        std::optional<quint32> extended;
        if (body.size() >= 4)
            extended = version == 3 ? std::optional<quint32>(bigEndian(body, 0, 4) + 4) : syncsafe(body, 0);
        if (!extended || *extended < 6 || *extended > quint32(body.size()))
            return std::nullopt;
        at = *extended;
    }
    const int idSize = version == 2 ? 3 : 4;
    const int headerSize = version == 2 ? 6 : 10;
    // Padding (zero bytes) or the end of the tag ends the frames. Other
    // bytes behind them would be frames this reader did not find (behind a
    // header it misread, say) or remains of old ones: the tag is not read.
    while (at + headerSize <= body.size() && body.at(at) != '\0') {
        Id3v2Frame frame;
        frame.id = body.mid(at, idSize);
        const std::optional<quint32> dataSize =
            version == 4 ? syncsafe(body, at + 4) : bigEndian(body, at + idSize, version == 2 ? 3 : 4);
        if (!isFrameId(frame.id) || !dataSize || *dataSize > body.size() - at - headerSize)
            return std::nullopt;
        frame.data = body.mid(at + headerSize, *dataSize);
        if (version >= 3) {
            const quint8 format = quint8(body.at(at + 9));
            frame.flags = frameFlags(version, quint8(body.at(at + 8)), format);
            if (version == 4)
                readLaterFrameData(frame, format, unsynchronised);
        }
        result.frames.append(frame);
        at += headerSize + *dataSize;
    }
    for (; at < body.size(); ++at) {
        if (body.at(at) != '\0')
            return std::nullopt;
    }
    return result;
}

QByteArray laterFrameId(const QByteArray &id)
{
    return id.size() == 3 ? laterIds().value(id, id) : id;
}

std::optional<QString> id3v2FrameDescription(const Id3v2Frame &frame)
{
    const QByteArray id = laterFrameId(frame.id);
    FieldReader reader(frame.data);
    if (!reader.encoding())
        return std::nullopt;
    if (id == "COMM" || id == "USLT")
        return reader.bytes(3) ? reader.string() : std::nullopt;
    if (id == "SYLT")
        return reader.bytes(5) ? reader.string() : std::nullopt;
    if (id == "TXXX" || id == "WXXX")
        return reader.string();
    if (id == "APIC")
        return reader.latin1String() && reader.bytes(1) ? reader.string() : std::nullopt;
    if (frame.id == "PIC")
        return reader.bytes(4) ? reader.string() : std::nullopt;
    return std::nullopt;
}

QStringList id3v2FramesLost(const Id3v2TagFrames &before, const Id3v2TagFrames &after,
                            const std::function<bool(const Id3v2Frame &)> &replaced)
{
    QHash<QByteArray, int> kept;
    for (const Id3v2Frame &frame : after.frames)
        ++kept[meaningOf(frame)];
    QStringList lost;
    for (const Id3v2Frame &frame : before.frames) {
        if (replaced && replaced(frame))
            continue;
        int &left = kept[meaningOf(frame)];
        if (left > 0)
            --left;
        else if (!lost.contains(QString::fromLatin1(frame.id)))
            lost.append(QString::fromLatin1(frame.id));
    }
    return lost;
}

} // namespace stanzary
