#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>

namespace stanzary::test {

// The bytes of MP3 files as the tests make them: audio and the tags around it.

// n bytes that stand for audio: a pattern in which no tag marker and no frame
// sync can stand, and in which a byte moved is a byte changed.
QByteArray audioBytes(int n);

// n MPEG-1 layer III frames (128 kbit/s, 44.1 kHz: 417 bytes each) that a tag
// library takes for audio; the bytes behind each header hold no frame sync.
QByteArray mpegFrames(int n);

// An ID3v1 record (128 bytes) with the given title and artist (cut at 30
// bytes), year 2001, track 1, genre 2.
QByteArray id3v1Record(const QByteArray &title, const QByteArray &artist = QByteArray(30, 'a'));

// A Lyrics3 v2 tag: "LYRICSBEGIN", each field with its five-digit size, the
// six-digit size of all that, and marker.
using Lyrics3Field = QPair<QByteArray, QByteArray>;
QByteArray lyrics3v2Tag(const QList<Lyrics3Field> &fields, const QByteArray &marker = "LYRICS200");

// An APEv2 tag with header, one item and footer (which ends in 8 zero bytes).
QByteArray apeTag();

// An ID3v2 tag of the major version around frames, with padding zero bytes
// behind them and the size in the header counting both.
QByteArray id3v2Tag(int major, const QByteArray &frames, int padding = 0, quint8 flags = 0);
// One ID3v2.3 frame: four-letter id, size, two flag bytes, data (also an
// ID3v2.4 frame while data is shorter than 128 bytes).
QByteArray id3v2Frame(const QByteArray &id, const QByteArray &data);

} // namespace stanzary::test
