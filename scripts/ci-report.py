#!/usr/bin/env python3
"""Prints where a build's time went: the slowest build steps and the slowest tests.

    scripts/ci-report.py [--top N] <build folder>...

For each build folder, the N (default 10) slowest steps of its last Ninja build (.ninja_log) and
the N slowest tests of its last CTest run (Testing/Temporary/LastTest.log). Folders that hold
neither are skipped. CI prints this at its end.
"""

import argparse
import pathlib
import re


def build_steps(folder):
    """(seconds, output) of each step of the builds logged, one line per step."""
    log = folder / ".ninja_log"
    if not log.is_file():
        return []
    latest = {}  # output -> (command hash, start, end); a later build's line replaces an earlier one
    for line in log.read_text(errors="replace").splitlines()[1:]:
        fields = line.split("\t")
        if len(fields) == 5:
            start, end, _, output, command_hash = fields
            latest[output] = (command_hash, int(start), int(end))
    # A step with several outputs is logged once per output, with the same times.
    steps = {}
    for output, key in latest.items():
        steps.setdefault(key, []).append(output)
    return [((end - start) / 1000.0, min(outputs, key=len)) for (_, start, end), outputs in steps.items()]


def test_times(folder):
    """(seconds, name) of each test of the last CTest run."""
    log = folder / "Testing" / "Temporary" / "LastTest.log"
    if not log.is_file():
        return []
    times = []
    name = None
    for line in log.read_text(errors="replace").splitlines():
        match = re.match(r'^\d+/\d+ Test: (\S+)', line)
        if match:
            name = match.group(1)
            continue
        match = re.match(r'^"?Test time"? =\s*([0-9.]+) sec', line.strip())
        if match and name:
            times.append((float(match.group(1)), name))
            name = None
    return times


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--top", type=int, default=10)
    parser.add_argument("folders", nargs="+", type=pathlib.Path)
    args = parser.parse_args()
    for folder in args.folders:
        steps = build_steps(folder)
        tests = test_times(folder)
        if steps:
            total = sum(seconds for seconds, _ in steps)
            print("== %s: the %d slowest of %d build steps (%.0f s of steps in all)"
                  % (folder, min(args.top, len(steps)), len(steps), total))
            for seconds, output in sorted(steps, reverse=True)[: args.top]:
                print("  %7.1f s  %s" % (seconds, output))
        if tests:
            total = sum(seconds for seconds, _ in tests)
            print("== %s: the %d slowest of %d tests (%.0f s of tests in all)"
                  % (folder, min(args.top, len(tests)), len(tests), total))
            for seconds, name in sorted(tests, reverse=True)[: args.top]:
                print("  %7.1f s  %s" % (seconds, name))
    return 0


if __name__ == "__main__":
    raise SystemExit(main())
