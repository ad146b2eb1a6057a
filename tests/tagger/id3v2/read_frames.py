#!/usr/bin/env python3
"""Prints the ID3v2 tag of an MP3 file as another tag reader (mutagen) sees
it, as JSON: the ID3v2 version, every USLT frame (language, description,
text, text encoding), every SYLT frame (language, description, time format,
content type, [text, time] entries, text encoding) and every frame by its key (ID and description) with
its fields but the text encoding, frames of older versions read as mutagen
takes them into ID3v2.4. Exit status 3 when mutagen is missing."""
import json
import sys

try:
    from mutagen.id3 import ID3
except ImportError:
    sys.exit(3)


def plain(value):
    if isinstance(value, bytes):
        return value.hex()
    if isinstance(value, (list, tuple)):
        return [plain(v) for v in value]
    return value if isinstance(value, (int, float, str)) else str(value)


tag = ID3(sys.argv[1])
print(json.dumps({
    "version": "2.%d" % tag.version[1],
    "USLT": [{"lang": f.lang, "desc": f.desc, "text": f.text, "encoding": int(f.encoding)}
             for f in tag.getall("USLT")],
    "SYLT": [{"lang": f.lang, "desc": f.desc, "format": f.format, "type": f.type,
              "entries": [[text, time] for text, time in f.text], "encoding": int(f.encoding)}
             for f in tag.getall("SYLT")],
    "frames": {key: {name: plain(value) for name, value in vars(f).items() if name != "encoding"}
               for key, f in tag.items()},
}))
