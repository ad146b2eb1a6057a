#!/usr/bin/env python3
"""Makes the sample songs' audio in examples/Music from the sample lyrics.

Every lyric line is spoken by Debian's espeak-ng and placed, its leading and
trailing quiet cut off, at a start time this script chooses; silence fills
the rest. So the moment each line starts is known to the sample: the songs
with a timestamp file start each line exactly at its stamp, the others at
times from a fixed pattern (a short intro, a pause after each line and a
longer one between stanzas). The result is encoded to a small mono MP3 with
ffmpeg, and the line starts are written beside it as JSON:

    examples/Music/Artist - Song.mp3
    examples/Music/Artist - Song.json   {"lines": [{"text", "startMs", "endMs"}], ...}

where startMs is the first sample of the spoken line and endMs the sample
after its last. These are synthetic voices, never recordings. Run it after
changing the sample lyrics or timestamp files (needs espeak-ng, ffmpeg):

    scripts/make-sample-audio.py [examples]
"""

import json
import os
import struct
import subprocess
import sys
import tempfile
import wave

RATE = 22050  # espeak-ng's own rate; the MP3 keeps it
QUIET = 200  # samples below this (of 32767) at a line's ends are cut off
TAIL_MS = 1500

# Lyrics file (under examples/Tunewright/lyrics), espeak-ng voice, and for the
# songs without a timestamp file the pattern of their starts (intro, pause
# after a line, extra pause at a stanza break, in milliseconds).
SONGS = [
    ("A/Amber Lanterns - Paper Boats.txt", "en-gb", None),
    ("A/Amber Lanterns - Quiet Engine.txt", "en-gb", (1730, 610, 1170)),
    ("\u00c9/\u00c9lo\u00efse Marchand - Caf\u00e9 de minuit.txt", "fr-fr", None),
]

TRAILER = "----------------\n* Downloaded from:"


def lyric_lines(text):
    """The lyric lines as the program pairs stamps with them: the text in
    front of the source trailer, with blank lines kept as None and the
    host's filter mark left out."""
    text = text.replace("\r\n", "\n")
    at = text.rfind(TRAILER)
    if at >= 0:
        text = text[:at]
    lines = []
    for line in text.split("\n"):
        stripped = line.strip(" \t")
        if stripped.startswith("[") and stripped.endswith("] filter used"):
            continue
        lines.append(line if stripped else None)
    while lines and lines[-1] is None:
        lines.pop()
    return lines


def kas_starts(kas_bytes):
    """Stamp times in milliseconds and prefixes, in file order."""
    stamps = kas_bytes[: kas_bytes.index(b";")]
    starts = []
    for i in range(0, len(stamps), 4):
        fifths = (stamps[i] - 64) * 64 + (stamps[i + 1] - 64)
        starts.append((fifths * 200, stamps[i + 2 : i + 4].decode("cp1252")))
    return starts


def spoken(text, voice, workdir):
    """The line spoken, as 16-bit samples at RATE, quiet ends cut off."""
    path = os.path.join(workdir, "line.wav")
    subprocess.run(["espeak-ng", "-v", voice, "-w", path, "--", text], check=True)
    with wave.open(path, "rb") as w:
        if w.getframerate() != RATE or w.getnchannels() != 1 or w.getsampwidth() != 2:
            sys.exit("espeak-ng wrote an unexpected format")
        data = w.readframes(w.getnframes())
    samples = list(struct.unpack("<%dh" % (len(data) // 2), data))
    first = next(i for i, s in enumerate(samples) if abs(s) >= QUIET)
    last = max(i for i, s in enumerate(samples) if abs(s) >= QUIET)
    return samples[first : last + 1]


def at_sample(ms):
    return ms * RATE // 1000


def make_song(examples, key, voice, pattern, workdir):
    lyrics_path = os.path.join(examples, "Tunewright", "lyrics", key)
    with open(lyrics_path, "rb") as f:
        lines = lyric_lines(f.read().decode("cp1252"))
    texts = [line for line in lines if line is not None]
    voices = [spoken(t, voice, workdir) for t in texts]

    if pattern is None:
        with open(lyrics_path[:-3] + "kas", "rb") as f:
            starts = kas_starts(f.read())
        if [p for _, p in starts] != [(t + "  ")[:2] for t in texts]:
            sys.exit("%s: the stamps do not belong to the lines one by one" % key)
        starts = [ms for ms, _ in starts]
    else:
        intro, pause, stanza = pattern
        starts, now, k = [], intro, 0
        for line in lines:
            if line is None:
                now += stanza
                continue
            starts.append(now)
            now += len(voices[k]) * 1000 // RATE + 1 + pause
            k += 1

    song = []
    entries = []
    for text, start, voiced in zip(texts, starts, voices):
        begin = at_sample(start)
        if begin < len(song):
            sys.exit("%s: the line %r does not end before the next one starts" % (key, text))
        song += [0] * (begin - len(song)) + voiced
        end_ms = -(-len(song) * 1000 // RATE)  # the sample after the line, rounded up
        entries.append({"text": text, "startMs": start, "endMs": end_ms})
    song += [0] * at_sample(TAIL_MS)

    name = os.path.basename(key)[:-4]
    music = os.path.join(examples, "Music")
    os.makedirs(music, exist_ok=True)
    wav_path = os.path.join(workdir, "song.wav")
    with wave.open(wav_path, "wb") as w:
        w.setnchannels(1)
        w.setsampwidth(2)
        w.setframerate(RATE)
        w.writeframes(struct.pack("<%dh" % len(song), *song))
    # 16 kbit/s is plenty for a synthetic voice. The LAME header the encoder
    # writes lets decoders drop the encoder's delay, so the times stay exact.
    subprocess.run(["ffmpeg", "-loglevel", "error", "-y", "-i", wav_path, "-ac", "1", "-c:a", "libmp3lame",
                    "-b:a", "16k", "-map_metadata", "-1", "-fflags", "+bitexact", "-flags:a", "+bitexact",
                    "-id3v2_version", "0", os.path.join(music, name + ".mp3")], check=True)
    info = {
        "lyrics": key,
        "sampleRate": RATE,
        "durationMs": len(song) * 1000 // RATE,
        "hasTimestamps": pattern is None,
        "lines": entries,
    }
    with open(os.path.join(music, name + ".json"), "w", encoding="utf-8") as f:
        json.dump(info, f, ensure_ascii=False, indent=1)
        f.write("\n")


def main():
    examples = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..", "examples")
    with tempfile.TemporaryDirectory() as workdir:
        for key, voice, pattern in SONGS:
            make_song(examples, key, voice, pattern, workdir)


if __name__ == "__main__":
    main()
