#!/usr/bin/env python3
"""Writes the karaoke files of the sample installation in examples/Tunewright.

The sample shows all three karaoke states of a song: timestamps downloaded
(a ".kas" file beside the lyrics), timestamps available for download (the
song is listed in "kl.dbx") and lyrics only. Run this after the sample lyrics
change; it rewrites the timestamp files and the index from the lyrics.

    scripts/make-sample-karaoke.py [examples/Tunewright]
"""

import hashlib
import os
import sys

# Songs with timestamp files, and the name each timestamp file has on disk
# (one with an upper-case extension, as the host's platform may leave it).
KAS_SONGS = [
    ("A/Amber Lanterns - Paper Boats.txt", "Amber Lanterns - Paper Boats.kas"),
    ("B/Bright Harbor - Tin Roof Rain.txt", "Bright Harbor - Tin Roof Rain.kas"),
    ("G/Gravel Moon - Highway Nine.txt", "Gravel Moon - Highway Nine.KAS"),
    ("\u00c9/\u00c9lo\u00efse Marchand - Caf\u00e9 de minuit.txt",
     "\u00c9lo\u00efse Marchand - Caf\u00e9 de minuit.kas"),
]

# Songs without timestamp files that the index lists; the index also lists
# two songs whose timestamps are downloaded already.
AVAILABLE_SONGS = [
    "D/Dusty Velvet - Slow Parade.txt",
    "J/Juniper Crossing - Borrowed Coat.txt",
    "J/Juniper Crossing - Lantern Street.txt",
    "N/Night Tram Orchestra - Neon Pigeons.txt",
    "\u00c9/\u00c9lo\u00efse Marchand - R\u00eave d'\u00e9t\u00e9.txt",
]
INDEXED_SONGS = AVAILABLE_SONGS + ["A/Amber Lanterns - Paper Boats.txt", "G/Gravel Moon - Highway Nine.txt"]

INDEX_RECORDS = 2400
CODE_BASE = 64
FIFTHS_PER_MINUTE = 300


def availability_key(file_name):
    """The first five bytes of the MD5 digest of the name without ".txt",
    lower-cased, one byte (the low byte) per UTF-16 unit."""
    name = file_name[:-4].lower()
    units = name.encode("utf-16-le")
    message = bytes(units[i] for i in range(0, len(units), 2))
    return hashlib.md5(message).digest()[:5]


class Filler:
    """A fixed linear congruential sequence: the same filler everywhere."""

    def __init__(self):
        self.state = 0x4B61726F

    def next(self):
        self.state = (self.state * 1664525 + 1013904223) & 0xFFFFFFFF
        return self.state >> 24


def example_index():
    """INDEX_RECORDS records: the indexed songs at fixed, spread-out places,
    the others standing for songs this collection lacks."""
    filler = Filler()
    out = bytearray()
    for k in range(INDEX_RECORDS):
        song = k // 331 if k % 331 == 17 else -1
        if 0 <= song < len(INDEXED_SONGS):
            out += availability_key(INDEXED_SONGS[song].split("/", 1)[1])
        else:
            out += bytes(filler.next() for _ in range(5))
    return bytes(out)


def time_code(fifths):
    return bytes([CODE_BASE + fifths // 64, CODE_BASE + fifths % 64])


def example_kas(lyrics):
    """One stamp per lyric line (blank lines and the source trailer have
    none), the prefix being the line's first two bytes, times rising by 3.2
    to 4.6 seconds a line and 2 seconds more after a blank line."""
    out = bytearray()
    fifths = 62  # 00:12.4
    for line in lyrics.split(b"\n"):
        text = line[:-1] if line.endswith(b"\r") else line
        if text.startswith(b"[Tunewright]") or text.startswith(b"----"):
            break
        if not text.strip():
            fifths += 10
            continue
        out += time_code(fifths) + (text + b"  ")[:2]
        fifths += 16 + len(text) % 8
    return bytes(out) + b";\r\n"


def main():
    host = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..", "examples",
                                                              "Tunewright")
    lyrics = os.path.join(host, "lyrics")
    for key, kas_name in KAS_SONGS:
        with open(os.path.join(lyrics, key), "rb") as f:
            text = f.read()
        with open(os.path.join(lyrics, os.path.dirname(key), kas_name), "wb") as f:
            f.write(example_kas(text))
    with open(os.path.join(host, "kl.dbx"), "wb") as f:
        f.write(example_index())


if __name__ == "__main__":
    main()
