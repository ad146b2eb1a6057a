#!/usr/bin/env python3
"""Prints the lyrics frames of an MP3 file's ID3v2 tag as another tag reader
(mutagen) sees them, as JSON: the ID3v2 version, every USLT frame (language,
description, text) and every SYLT frame (language, description, time format,
content type, [text, time] entries). Exit status 3 when mutagen is missing."""
import json
import sys

try:
    from mutagen.id3 import ID3
except ImportError:
    sys.exit(3)

tag = ID3(sys.argv[1])
print(json.dumps({
    "version": "2.%d" % tag.version[1],
    "USLT": [{"lang": f.lang, "desc": f.desc, "text": f.text} for f in tag.getall("USLT")],
    "SYLT": [{"lang": f.lang, "desc": f.desc, "format": f.format, "type": f.type,
              "entries": [[text, time] for text, time in f.text]} for f in tag.getall("SYLT")],
}))
