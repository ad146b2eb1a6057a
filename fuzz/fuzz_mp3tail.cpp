// Fuzzes the MP3 tail reader with arbitrary file contents: every read stays
// inside the file, the results keep their invariants, and a tag written from
// the fields that were read reads back as the same fields.

#include "platform/MakerSite.h"
#include "tagger/Lyrics3Writer.h"
#include "tagger/Mp3Tail.h"

#include <QBuffer>

#include <cstdint>
#include <cstdlib>
#include <cstring>

using namespace stanzary;

namespace {

void check(bool ok)
{
    if (!ok)
        std::abort();
}

// A v1 tag may give an empty LYR field; a v2 tag never gives empty fields.
void checkFields(const Lyrics3Fields &fields, bool emptyAllowed = true)
{
    for (const Lyrics3Field &f : fields) {
        check(f.ID.size() == 3);
        check((emptyAllowed || !f.Data.isEmpty()) && f.Data.size() <= MaxFieldData);
        check(f.Size == zeroPadded(f.Data.size(), 5));
    }
}

Mp3Tail readTail(const QByteArray &bytes)
{
    QByteArray copy = bytes;
    QBuffer buf(&copy);
    buf.open(QIODevice::ReadOnly);
    return ReadMp3Tail(buf);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    const qint64 length = bytes.size();

    const Mp3Tail tail = readTail(bytes);
    check(tail.tailPos == length || (tail.tailPos == length - 128 && tail.id3v1.isPresent()));
    check(tail.start >= 0 && tail.start <= tail.tailPos);
    check(tail.id3v1.toBytes().size() == 128);
    const QByteArray &v = tail.version;
    check(v == LyricsVersion::V1 || v == LyricsVersion::Higher || v == LyricsVersion::None
          || (v.size() == 9 && isLyrics3v2Version(v)));
    checkFields(tail.fields, v == LyricsVersion::V1);

    // The readers at any tail position the caller might pass.
    if (size >= 4) {
        qint32 pos = 0;
        std::memcpy(&pos, data, sizeof pos);
        QByteArray copy = bytes;
        QBuffer buf(&copy);
        buf.open(QIODevice::ReadOnly);
        Lyrics3Fields v2;
        const qint64 s2 = ReadLyrics3v2(v2, buf, pos);
        check(s2 == pos || (s2 >= 0 && s2 < pos));
        checkFields(v2, false);
        Lyrics3Fields v1;
        const qint64 s1 = ReadLyrics3v1(v1, buf, pos);
        check(s1 == pos || (s1 >= 0 && s1 < pos && v1.size() == 2));
        check(GetLyricsVersion(buf, pos).size() >= 8);
    }

    // Written back as a v2 tag in front of a record, the fields read back
    // unchanged (empty ones are not read back).
    if (const auto tag = Lyrics3v2TagBytes(tail.fields, "LYRICS200")) {
        Id3v1Record record = tail.id3v1;
        record.Header = "TAG";
        const Mp3Tail again = readTail(QByteArray("x") + *tag + record.toBytes());
        Lyrics3Fields expected = tail.fields;
        expected.removeIf([](const Lyrics3Field &f) { return f.Data.isEmpty(); });
        check(again.version == LyricsVersion::V200);
        check(again.start == 1);
        check(again.fields == expected);
    }

    // What the tagger does with the fields next.
    Lyrics3Fields fields = tail.fields;
    SetField(fields, "IND", "100");
    SetField(fields, "LYR", PrepareTagText(FieldData(tail.fields, "LYR"), makerSite()));
    MoveIndFirst(fields);
    check(fields.first().ID == "IND");
    checkFields(fields);
    return 0;
}
