#!/usr/bin/env python3
"""Puts an ID3v2 tag in front of a file the way another tag writer would:
the frames are rendered by mutagen, in the layout of the version asked for.

    write_foreign_tag.py FILE VERSION [+unsync] [+extended] FRAME...

VERSION is 2.2, 2.3 or 2.4; each FRAME is a name of FRAMES below. +unsync
stores the tag unsynchronised (2.2 and 2.3: the whole tag; 2.4: each frame),
+extended gives it an extended header. mutagen itself writes neither 2.2 tags
nor 2.3 tags with frames from 2.4, which other programs do, so the tag around
mutagen's frames is put together here. Exit status 3 when mutagen is missing."""
import struct
import sys

try:
    from mutagen import id3
    from mutagen.id3 import Frames_2_2
    from mutagen.id3._tags import ID3SaveConfig
except ImportError:
    sys.exit(3)

LATIN1, UTF16, UTF8 = 0, 1, 3
PICTURE = b"\xff\xd8\xff\xe0\x00\x10JFIF\x00\xff\x00\xff" + bytes(range(256))

FRAMES = {
    # Frames every tagger writes.
    "TIT2": lambda: id3.TIT2(encoding=UTF16, text=["Caf\u00e9 \u0416 title"]),
    "TPE1": lambda: id3.TPE1(encoding=LATIN1, text=["Some Artist"]),
    "TALB": lambda: id3.TALB(encoding=UTF16, text=["An Album"]),
    "TRCK": lambda: id3.TRCK(encoding=LATIN1, text=["3/12"]),
    "TCON": lambda: id3.TCON(encoding=LATIN1, text=["(13)"]),
    "TCON-refined": lambda: id3.TCON(encoding=LATIN1, text=["(13)Rock"]),
    "TYER": lambda: id3.TYER(encoding=UTF16, text=["1999"]),
    "TDAT": lambda: id3.TDAT(encoding=UTF16, text=["3112"]),
    "TIME": lambda: id3.TIME(encoding=UTF16, text=["2359"]),
    "COMM": lambda: id3.COMM(encoding=UTF16, lang="eng", desc="note", text=["A comment"]),
    "APIC": lambda: id3.APIC(encoding=LATIN1, mime="image/jpeg", type=3, desc="cover", data=PICTURE),
    "TXXX": lambda: id3.TXXX(encoding=UTF16, desc="SOURCE", text=["tape \u00e9"]),
    "WXXX": lambda: id3.WXXX(encoding=UTF16, desc="home", url="http://example.org/"),
    "WOAR": lambda: id3.WOAR(url="http://example.org/artist"),
    "POPM": lambda: id3.POPM(email="someone@example.org", rating=200, count=3),
    "UFID": lambda: id3.UFID(owner="http://example.org", data=b"id-1"),
    "PRIV": lambda: id3.PRIV(owner="example.org", data=b"\x00\x01\xff"),
    "GEOB": lambda: id3.GEOB(encoding=UTF16, mime="text/plain", filename="a.txt", desc="notes", data=b"abc"),
    "IPLS": lambda: id3.IPLS(encoding=LATIN1, people=[["producer", "Someone"]]),
    "USLT": lambda: id3.USLT(encoding=UTF16, lang="deu", desc="translation", text="Eine Zeile\nnoch eine"),
    "USLT-nodesc": lambda: id3.USLT(encoding=LATIN1, lang="eng", desc="", text="old words"),
    "SYLT": lambda: id3.SYLT(encoding=UTF16, lang="eng", format=2, type=1, desc="karaoke",
                             text=[("one", 10), ("two \u00e9", 2000)]),
    # Frames ID3v2.4 no longer has.
    "RVAD": lambda: id3.RVAD(adjustments=[1, 1, 100, 100, 0, 0], bits=16),
    "TRDA": lambda: id3.TRDA(encoding=LATIN1, text=["May 3"]),
    "TSIZ": lambda: id3.TSIZ(encoding=LATIN1, text=["12345"]),
    # Frames of ID3v2.4 that other programs also put into 2.3 tags.
    "RVA2": lambda: id3.RVA2(desc="track", channel=1, gain=-3.5, peak=0.5),
    "TMOO": lambda: id3.TMOO(encoding=LATIN1, text=["calm"]),
    "TSST": lambda: id3.TSST(encoding=LATIN1, text=["Side B"]),
    "TDRL": lambda: id3.TDRL(encoding=LATIN1, text=["2001-02-03"]),
    "TPRO": lambda: id3.TPRO(encoding=LATIN1, text=["2001 Someone"]),
    "TDTG": lambda: id3.TDTG(encoding=LATIN1, text=["2002-03-04T05:06:07"]),
    "EQU2": lambda: id3.EQU2(method=1, desc="room", adjustments=[(100.0, -2.0), (1000.0, 1.5)]),
    "ASPI": lambda: id3.ASPI(S=0, L=1000, N=2, b=8, Fi=[0, 128]),
    "SEEK": lambda: id3.SEEK(offset=4096),
    "SIGN": lambda: id3.SIGN(group=1, sig=b"\x01\x02\x03signature"),
    # ID3v2.2 frames.
    "TT2": lambda: Frames_2_2["TT2"](encoding=UTF16, text=["Caf\u00e9 title"]),
    "TP1": lambda: Frames_2_2["TP1"](encoding=LATIN1, text=["Some Artist"]),
    "TAL": lambda: Frames_2_2["TAL"](encoding=LATIN1, text=["An Album"]),
    "TRK": lambda: Frames_2_2["TRK"](encoding=LATIN1, text=["3"]),
    "TYE": lambda: Frames_2_2["TYE"](encoding=LATIN1, text=["1999"]),
    "TDA": lambda: Frames_2_2["TDA"](encoding=LATIN1, text=["3112"]),
    "TIM": lambda: Frames_2_2["TIM"](encoding=LATIN1, text=["2359"]),
    "TXT": lambda: Frames_2_2["TXT"](encoding=LATIN1, text=["A Lyricist"]),
    "COM": lambda: Frames_2_2["COM"](encoding=LATIN1, lang="eng", desc="", text=["A comment"]),
    "PIC": lambda: Frames_2_2["PIC"](encoding=LATIN1, mime="JPG", type=3, desc="cover", data=PICTURE),
    "TXX": lambda: Frames_2_2["TXX"](encoding=UTF16, desc="SOURCE", text=["tape"]),
    "ULT": lambda: Frames_2_2["ULT"](encoding=LATIN1, lang="eng", desc="", text="old words"),
    "LNK": lambda: Frames_2_2["LNK"](frameid="TAL", url="http://example.org/album", data=b""),
}


def syncsafe(n):
    return bytes([(n >> 21) & 0x7F, (n >> 14) & 0x7F, (n >> 7) & 0x7F, n & 0x7F])


def unsynchronised(data):
    return data.replace(b"\xff", b"\xff\x00")


def frame_bytes(major, name, frame, unsync):
    data = frame._writeData(ID3SaveConfig(max(major, 3), "/"))
    if major == 2:
        return name.encode() + struct.pack(">I", len(data))[1:] + data
    flags = 0
    if major == 4 and unsync:
        data, flags = unsynchronised(data), 0x0002
    size = syncsafe(len(data)) if major == 4 else struct.pack(">I", len(data))
    return name.encode() + size + struct.pack(">H", flags) + data


def main():
    path, version, names = sys.argv[1], sys.argv[2], sys.argv[3:]
    major = int(version.split(".")[1])
    unsync = "+unsync" in names
    extended = "+extended" in names
    names = [n for n in names if not n.startswith("+")]
    body = b"".join(frame_bytes(major, n.split("-")[0], FRAMES[n](), unsync) for n in names)
    flags = 0
    if extended:
        flags |= 0x40
        body = (struct.pack(">IHI", 6, 0, 0) if major == 3 else syncsafe(6) + b"\x01\x00") + body
    body += bytes(64)
    if unsync:
        flags |= 0x80
        if major < 4:
            body = unsynchronised(body)
    with open(path, "rb") as f:
        rest = f.read()
    with open(path, "wb") as f:
        f.write(b"ID3" + bytes([major, 0, flags]) + syncsafe(len(body)) + body + rest)


main()
