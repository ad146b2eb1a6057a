#!/usr/bin/env python3
"""Checks that the core includes nothing of the windows, audio or any Qt module but Qt Core.

The core (src/platform, app, store, karaoke, lists, tagger, cli) links QtCore only. Qt's include
folder is the parent of QtCore's, so <QtGui/QImage> compiles in the core even when Qt Gui is not
linked; a bare <QImage> compiles wherever Qt Gui's folder happens to be on the include path. This
check reads every #include of the core's files instead: a header of another Qt module, by either
spelling, or one of the project's window, audio or songbook headers ("ui/...", "audio/...",
"songbook/...") is reported with
its file and line, and the check fails.

    scripts/check-core-includes.py [--qt-headers <Qt's include folder>]

Without --qt-headers the folder is asked of qtpaths6 (or qmake6).
"""

import argparse
import pathlib
import re
import subprocess
import sys

CORE_FOLDERS = ["platform", "app", "store", "karaoke", "lists", "tagger", "cli"]
PROJECT_FOLDERS_OUTSIDE_CORE = ["ui", "audio", "songbook"]
INCLUDE = re.compile(r'^\s*#\s*include\s*[<"]([^>"]+)[>"]')


def qt_headers_folder():
    for tool in (["qtpaths6", "--query", "QT_INSTALL_HEADERS"], ["qmake6", "-query", "QT_INSTALL_HEADERS"]):
        try:
            out = subprocess.run(tool, capture_output=True, text=True, check=True).stdout.strip()
        except (OSError, subprocess.CalledProcessError):
            continue
        if out:
            return pathlib.Path(out)
    sys.exit("check-core-includes: Qt's include folder not found (give --qt-headers)")


def module_of_header(qt_headers):
    """Header name -> the Qt module that holds it, QtCore first for names several modules have."""
    owner = {}
    modules = sorted((d for d in qt_headers.iterdir() if d.is_dir() and d.name.startswith("Qt")),
                     key=lambda d: (d.name != "QtCore", d.name))
    for module in modules:
        for header in module.iterdir():
            if header.is_file():
                owner.setdefault(header.name, module.name)
    return {d.name for d in modules}, owner


def offence(name, modules, owner):
    first, _, rest = name.partition("/")
    if rest and first in PROJECT_FOLDERS_OUTSIDE_CORE:
        return "a header of the windows, audio or songbook (src/%s)" % first
    if rest and first in modules:
        return None if first == "QtCore" else "a %s header" % first
    module = owner.get(name) if not rest else None
    if module and module != "QtCore":
        return "a %s header" % module
    return None


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--qt-headers", type=pathlib.Path, help="Qt's include folder")
    parser.add_argument("--source", type=pathlib.Path, default=pathlib.Path(__file__).resolve().parent.parent,
                        help="the repository (default: this script's)")
    args = parser.parse_args()
    qt_headers = args.qt_headers or qt_headers_folder()
    if not (qt_headers / "QtCore").is_dir():
        sys.exit("check-core-includes: no QtCore folder in %s" % qt_headers)
    modules, owner = module_of_header(qt_headers)

    found = []
    checked = 0
    for folder in CORE_FOLDERS:
        for path in sorted((args.source / "src" / folder).glob("**/*")):
            if path.suffix not in (".cpp", ".h") or not path.is_file():
                continue
            checked += 1
            with open(path, encoding="utf-8", errors="replace") as lines:
                for number, line in enumerate(lines, 1):
                    match = INCLUDE.match(line)
                    why = match and offence(match.group(1), modules, owner)
                    if why:
                        found.append("%s:%d: %s: %s" % (path.relative_to(args.source), number, line.strip(), why))
    if checked == 0:
        sys.exit("check-core-includes: no core files under %s/src" % args.source)
    for line in found:
        print(line)
    if found:
        print("The core links QtCore only: move this code to src/ui or src/audio, or do it with Qt Core.")
        return 1
    print("core includes: %d files include only Qt Core and the core" % checked)
    return 0


if __name__ == "__main__":
    sys.exit(main())
