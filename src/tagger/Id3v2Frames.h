#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

namespace stanzary {

// The frames of an ID3v2 tag (versions 2.2, 2.3 and 2.4) as they are stored,
// read by walking the tag's bytes, and the comparison that tells whether a
// tag written again still holds every frame of the old one. This reads
// what other programs wrote, so it trusts no size and reads no byte outside
// the tag.

struct Id3v2Frame
{
    // What a frame's flags say about the frame itself; how it is stored
    // (unsynchronisation, a data length indicator) is undone instead.
    enum Flag : quint8 {
        DiscardOnTagChange = 0x01,
        DiscardOnFileChange = 0x02,
        ReadOnly = 0x04,
        Grouped = 0x08,
        Compressed = 0x10,
        Encrypted = 0x20,
        // A grouped, compressed or encrypted ID3v2.4 frame is kept as stored,
        // and so are these two of its flags.
        StoredUnsynchronised = 0x40,
        StoredWithLength = 0x80,
    };

    QByteArray id; // as stored: three characters in an ID3v2.2 tag, four in 2.3 and 2.4
    quint8 flags = 0;
    QByteArray data;
};

struct Id3v2TagFrames
{
    int version = 0; // the major version: 2, 3 or 4
    QList<Id3v2Frame> frames;
};

// The frames of a whole tag (its ten-byte header and the size it gives);
// nothing when the bytes are not such a tag, when a frame runs past the
// tag's end or has an ID of other than capital letters and digits, or for
// an ID3v2.2 tag marked as compressed (no compression was ever defined for
// it). The extended header is no frame and is passed over.
std::optional<Id3v2TagFrames> readId3v2Frames(const QByteArray &tag);

// The frame's ID as ID3v2.3 and 2.4 tags have it: an ID3v2.2 ID is
// translated (TT2 is TIT2, ULT is USLT); one without a counterpart of the
// same content (LNK, PIC, CRM) stays as it is.
QByteArray laterFrameId(const QByteArray &id);

// The description of a frame that has one before its content (COMM, USLT,
// SYLT, TXXX, WXXX, APIC and their ID3v2.2 forms); nothing for other frames
// and when the description does not decode cleanly.
std::optional<QString> id3v2FrameDescription(const Id3v2Frame &frame);

// The frames of before that after does not hold with the same content,
// each of after standing for one of before, leaving out those replaced()
// tells are meant to go: their IDs as stored in before, each once, in the
// tag's order. Frames count as the same when their IDs, flags and bytes are
// the same, and also when
// - an ID3v2.2 frame's ID is translated to its ID3v2.3 counterpart, whose
//   content is laid out alike;
// - an ID3v2.2 picture (PIC) of image format "JPG" or "PNG" became an APIC
//   frame of MIME type "image/jpeg" or "image/png", all else the same;
// - a URL (of WXXX and the other W frames) is followed by a terminator or
//   not;
// - a frame whose texts are marked with their encoding (text frames, TXXX,
//   WXXX, COMM, USLT, USER, APIC, GEOB, SYLT and IPLS) holds the same texts:
//   a text of ASCII characters only in any encoding; another text in any of
//   the Unicode encodings (UTF-16 with either byte order mark, UTF-16BE,
//   UTF-8) or, as the same bytes, in ISO-8859-1 (where many writers store
//   their own code page); a list of texts in the same order, with or without
//   a terminator after the last one.
QStringList id3v2FramesLost(const Id3v2TagFrames &before, const Id3v2TagFrames &after,
                            const std::function<bool(const Id3v2Frame &)> &replaced);

} // namespace stanzary
