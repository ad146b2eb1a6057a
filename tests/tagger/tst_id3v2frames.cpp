#include "tagger/Id3v2Frames.h"

#include "Mp3Bytes.h"

#include <QStringEncoder>
#include <QtTest>

using namespace stanzary;

namespace {

// The bytes of a literal, zero bytes included.
template <qsizetype N>
QByteArray b(const char (&bytes)[N])
{
    return QByteArray(bytes, N - 1);
}

// UTF-16 with its byte order mark, little-endian.
QByteArray utf16(const QString &text)
{
    QStringEncoder encoder(QStringConverter::Utf16LE);
    return b("\xff\xfe") + QByteArray(encoder.encode(text));
}

} // namespace

// What counts as the same frame when a tag is written again, and which tags
// are read frame by frame at all.
class tst_Id3v2Frames : public QObject
{
    Q_OBJECT

private slots:
    // A frame of the old tag and the one the new tag holds in its place.
    void sameFrameWrittenAgain_data()
    {
        QTest::addColumn<QByteArray>("oldId");
        QTest::addColumn<int>("oldFlags");
        QTest::addColumn<QByteArray>("oldData");
        QTest::addColumn<QByteArray>("newId");
        QTest::addColumn<QByteArray>("newData");
        QTest::addColumn<bool>("kept");
        const QString letters = QStringLiteral("caf\u00e9 \u0416");
        const auto row = [](const char *name, const char *oldId, const QByteArray &oldData, const char *newId,
                            const QByteArray &newData, bool kept, int oldFlags = 0) {
            QTest::newRow(name) << QByteArray(oldId) << oldFlags << oldData << QByteArray(newId) << newData << kept;
        };
        row("same bytes", "PRIV", b("o\0\1"), "PRIV", b("o\0\1"), true);
        row("other bytes", "PRIV", b("o\0\1"), "PRIV", b("o\0\2"), false);
        row("flag dropped", "PRIV", b("o\0\1"), "PRIV", b("o\0\1"), false, Id3v2Frame::ReadOnly);
        row("terminator after the last text", "TALB", b("\0album\0"), "TALB", b("\0album"), true);
        row("an empty text more", "TALB", b("\0album\0\0"), "TALB", b("\0album"), false);
        row("UTF-16 as UTF-8", "TIT2", '\1' + utf16(letters), "TIT2", '\3' + letters.toUtf8(), true);
        row("UTF-16 without byte order mark", "TIT2", '\1' + utf16(letters).mid(2), "TIT2", '\1' + utf16(letters),
            false);
        row("ASCII from UTF-16 to ISO-8859-1", "TDAT", '\1' + utf16(QStringLiteral("3112")), "TDAT", b("\0003112"),
            true);
        row("ISO-8859-1 letters as UTF-16", "TPE1", b("\0caf\xe9"), "TPE1", '\1' + utf16(QStringLiteral("caf\u00e9")),
            false);
        row("description re-encoded", "COMM", "\1eng" + utf16(QString()) + b("\0\0") + utf16(QStringLiteral("x")),
            "COMM", b("\0eng\0x"), true);
        row("URL with a terminator", "WOAR", b("http://a.example/\0"), "WOAR", "http://a.example/", true);
        row("ID3v2.2 ID", "TT2", b("\0title"), "TIT2", b("\0title"), true);
        row("ID3v2.2 lyricist as original lyricist", "TXT", b("\0name"), "TOLY", b("\0name"), false);
        row("ID3v2.2 JPG picture", "PIC", b("\0JPG\3d\0<>"), "APIC", b("\0image/jpeg\0\3d\0<>"), true);
        row("ID3v2.2 GIF picture", "PIC", b("\0GIF\3d\0<>"), "APIC", b("\0image/gif\0\3d\0<>"), false);
    }
    void sameFrameWrittenAgain()
    {
        QFETCH(QByteArray, oldId);
        QFETCH(int, oldFlags);
        QFETCH(QByteArray, oldData);
        QFETCH(QByteArray, newId);
        QFETCH(QByteArray, newData);
        QFETCH(bool, kept);
        const Id3v2TagFrames before{oldId.size() == 3 ? 2 : 3, {{oldId, quint8(oldFlags), oldData}}};
        const Id3v2TagFrames after{3, {{"TIT1", 0, b("\0x")}, {newId, 0, newData}}};
        QCOMPARE(id3v2FramesLost(before, after, {}), kept ? QStringList() : QStringList{QString::fromLatin1(oldId)});
    }

    // Frames that run past the tag, IDs of other characters, bytes behind
    // the padding and an ID3v2.2 tag marked as compressed are not read.
    void readsWholeTagsOnly_data()
    {
        QTest::addColumn<QByteArray>("tag");
        QTest::addColumn<int>("frames"); // -1: not read
        const QByteArray title = test::id3v2Frame("TIT2", b("\0x"));
        QTest::newRow("frame and padding") << test::id3v2Tag(3, title + QByteArray(20, '\0')) << 1;
        QTest::newRow("frame running past the tag") << test::id3v2Tag(3, title.left(title.size() - 1)) << -1;
        QTest::newRow("small letters in an ID") << test::id3v2Tag(3, test::id3v2Frame("Tit2", b("\0x"))) << -1;
        QTest::newRow("bytes behind the padding") << test::id3v2Tag(3, title + QByteArray(20, '\0') + title) << -1;
        QTest::newRow("compressed ID3v2.2 tag") << test::id3v2Tag(2, b("TT2\0\0\2\0x"), 0, 0x40) << -1;
        QByteArray highBit = test::id3v2Tag(3, title);
        highBit[6] = char(0x80); // a size byte of a tag header has seven bits
        QTest::newRow("size byte with its high bit set") << highBit << -1;
    }
    void readsWholeTagsOnly()
    {
        QFETCH(QByteArray, tag);
        QFETCH(int, frames);
        const std::optional<Id3v2TagFrames> read = readId3v2Frames(tag);
        QCOMPARE(read ? int(read->frames.size()) : -1, frames);
    }

    // A frame's status flags as each version places them; bits a version
    // does not define mean nothing.
    void statusFlagsOfAFrame_data()
    {
        QTest::addColumn<int>("version");
        QTest::addColumn<int>("status");
        QTest::addColumn<int>("flags");
        const int all = Id3v2Frame::DiscardOnTagChange | Id3v2Frame::DiscardOnFileChange | Id3v2Frame::ReadOnly;
        QTest::newRow("ID3v2.3, all") << 3 << 0xe0 << all;
        QTest::newRow("ID3v2.3, read-only") << 3 << 0x20 << int(Id3v2Frame::ReadOnly);
        QTest::newRow("ID3v2.3, undefined bits") << 3 << 0x1f << 0;
        QTest::newRow("ID3v2.4, all") << 4 << 0x70 << all;
        QTest::newRow("ID3v2.4, discard on file change") << 4 << 0x20 << int(Id3v2Frame::DiscardOnFileChange);
        QTest::newRow("ID3v2.4, undefined bits") << 4 << 0x8f << 0;
    }
    void statusFlagsOfAFrame()
    {
        QFETCH(int, version);
        QFETCH(int, status);
        QFETCH(int, flags);
        QByteArray frame = test::id3v2Frame("TIT2", b("\0x"));
        frame[8] = char(status);
        const std::optional<Id3v2TagFrames> read = readId3v2Frames(test::id3v2Tag(version, frame));
        QVERIFY(read && read->frames.size() == 1);
        QCOMPARE(int(read->frames.first().flags), flags);
    }

    // The description in front of a frame's content, which tells a lyrics
    // frame of our own (none) from other writers' (COMM, USLT, SYLT, TXXX,
    // WXXX, APIC and the ID3v2.2 picture have one; other frames none).
    void descriptionOfAFrame_data()
    {
        QTest::addColumn<QByteArray>("id");
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<QString>("description"); // null: none
        const auto row = [](const char *name, const char *id, const QByteArray &data, const QString &description) {
            QTest::newRow(name) << QByteArray(id) << data << description;
        };
        row("comment", "COMM", b("\0engnote\0text"), QStringLiteral("note"));
        row("lyrics in UTF-16", "USLT", "\1eng" + utf16(QStringLiteral("caf\u00e9")) + b("\0\0") + utf16({}),
            QStringLiteral("caf\u00e9"));
        row("lyrics without one", "USLT", b("\0eng\0la la"), QStringLiteral(""));
        row("synchronised lyrics", "SYLT", b("\0eng\2\1sung\0la\0\0\0\0\0"), QStringLiteral("sung"));
        row("user text", "TXXX", b("\0mood\0calm"), QStringLiteral("mood"));
        row("user link", "WXXX", b("\0home\0http://a.example/"), QStringLiteral("home"));
        row("picture", "APIC", b("\0image/png\0\3cover\0<>"), QStringLiteral("cover"));
        row("ID3v2.2 picture", "PIC", b("\0PNG\3front\0<>"), QStringLiteral("front"));
        row("ID3v2.2 lyrics", "ULT", b("\0engv2\0la"), QStringLiteral("v2"));
        row("title", "TIT2", b("\0name\0"), QString());
        row("comment cut short", "COMM", b("\0en"), QString());
        row("comment in no known encoding", "COMM", b("\4engnote\0text"), QString());
    }
    void descriptionOfAFrame()
    {
        QFETCH(QByteArray, id);
        QFETCH(QByteArray, data);
        QFETCH(QString, description);
        const std::optional<QString> read = id3v2FrameDescription({id, 0, data});
        QCOMPARE(read.has_value(), !description.isNull());
        if (read)
            QCOMPARE(*read, description);
    }
};

QTEST_GUILESS_MAIN(tst_Id3v2Frames)
#include "tst_id3v2frames.moc"
