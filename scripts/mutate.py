#!/usr/bin/env python3
"""Makes small faults in C++ sources, one at a time, and reports the ones no test catches.

    scripts/mutate.py [options] FILE_OR_FOLDER...

Each mutant changes one spot of one file (a comparison flipped, a condition
negated, a call statement dropped, a constant changed by one, an early return,
...); comments, strings, character literals, preprocessor lines (#include) and
logging or assertion statements are never changed. For every mutant of a random
sample (--sample per folder, --seed), the file is changed in place, only the test
programs that link its object are rebuilt with ninja, and the tests run (those
matching --tests, when given) until one fails. The file is restored after every
mutant, also after Ctrl+C or a crash of the script (the next start restores what
an interrupted run left; a file with changes of its own is refused).

A mutant is killed when a test fails, the tests time out (counted as killed) or
crash; it survives when they all pass. One that does not compile is counted
apart and not in the score. Mutants listed in tests/equivalent-mutants.txt (by
their id, see the report) behave like the original and are left out.
See CONTRIBUTING.md, "Faults made on purpose".
"""

import argparse
import difflib
import hashlib
import json
import os
import random
import re
import shlex
import shutil
import signal
import subprocess
import sys
import time
from collections import Counter, defaultdict
from dataclasses import dataclass, field
from pathlib import Path

SOURCE_SUFFIXES = (".cpp", ".cc", ".cxx")
HEADER_SUFFIXES = (".h", ".hpp", ".hh")

# Statements that are never mutated: logging and message output, assertions
# (compiled out in release builds), Qt's declaration macros.
SKIPPED_STATEMENT = re.compile(
    r"\b(?:qDebug|qInfo|qWarning|qCritical|qFatal|qCDebug|qCInfo|qCWarning|qCCritical|"
    r"Q_ASSERT|Q_ASSERT_X|Q_CHECK_PTR|Q_UNUSED|Q_UNREACHABLE|assert|static_assert|"
    r"Q_OBJECT|Q_GADGET|Q_PROPERTY|Q_ENUM|Q_FLAG|Q_DECLARE_[A-Z_]+|Q_DISABLE_COPY[A-Z_]*|"
    r"Q_LOGGING_CATEGORY|Q_DECLARE_LOGGING_CATEGORY)\b"
)

STATEMENT_KEYWORDS = {
    "return", "co_return", "co_yield", "throw", "break", "continue", "goto", "case", "default",
    "using", "typedef", "if", "else", "for", "while", "do", "switch", "try", "catch", "delete",
    "new", "const", "constexpr", "static", "auto", "namespace", "template", "struct", "class",
    "enum", "union", "public", "private", "protected", "friend", "operator",
}


# --------------------------------------------------------------------------- source text


def blank_non_code(text):
    """The text with comments, string and character literals and preprocessor
    lines replaced by spaces (newlines kept), so that offsets stay the same and
    no operator ever matches inside them."""
    out = list(text)
    n = len(text)
    i = 0
    line_start = True

    def blank(a, b):
        for k in range(a, b):
            if out[k] != "\n":
                out[k] = " "

    while i < n:
        c = text[i]
        if c == "\n":
            line_start = True
            i += 1
            continue
        if line_start and c in " \t":
            i += 1
            continue
        if line_start and c == "#":
            j = i
            while j < n:
                if text[j] == "\n" and text[j - 1] != "\\":
                    break
                j += 1
            # a comment that starts on the directive's line may run on
            k = text.find("/*", i, j)
            if k >= 0 and text.find("*/", k, j) < 0:
                end = text.find("*/", k)
                j = n if end < 0 else end + 2
            blank(i, j)
            i = j
            line_start = False
            continue
        line_start = False
        if text.startswith("//", i):
            j = text.find("\n", i)
            j = n if j < 0 else j
            blank(i, j)
            i = j
            continue
        if text.startswith("/*", i):
            j = text.find("*/", i + 2)
            j = n if j < 0 else j + 2
            blank(i, j)
            i = j
            continue
        m = re.compile(r'(?:u8|u|U|L)?R"([^ ()\\\t\n]{0,16})\(').match(text, i)
        if m and (i == 0 or not (text[i - 1].isalnum() or text[i - 1] == "_")):
            close = ")" + m.group(1) + '"'
            j = text.find(close, m.end())
            j = n if j < 0 else j + len(close)
            blank(i, j)
            i = j
            continue
        if c == '"' or (c == "'" and not _is_digit_separator(text, i)):
            j = i + 1
            while j < n and text[j] != c:
                if text[j] == "\\":
                    j += 1
                elif text[j] == "\n":
                    break
                j += 1
            j = min(j + 1, n)
            blank(i, j)
            i = j
            continue
        i += 1
    return "".join(out)


def _is_digit_separator(text, i):
    # 1'000'000: a quote between digits of a number
    k = i - 1
    while k >= 0 and (text[k].isalnum() or text[k] in "'."):
        k -= 1
    token = text[k + 1:i]
    return bool(token) and token[0].isdigit() and i + 1 < len(text) and text[i + 1].isalnum()


def matching(code, pos, open_char="(", close_char=")"):
    """Offset of the bracket closing the one at pos, or -1."""
    depth = 0
    for k in range(pos, len(code)):
        ch = code[k]
        if ch == open_char:
            depth += 1
        elif ch == close_char:
            depth -= 1
            if depth == 0:
                return k
    return -1


def statement_end(code, pos):
    """Offset just past the ';' that ends the statement starting at pos (at
    bracket depth 0), or -1 when a block or the file ends first."""
    depth = 0
    for k in range(pos, len(code)):
        ch = code[k]
        if ch in "([{":
            depth += 1
        elif ch in ")]}":
            depth -= 1
            if depth < 0:
                return -1
        elif ch == ";" and depth == 0:
            return k + 1
    return -1


def skipped_ranges(code):
    """Ranges of statements that are never mutated (logging, assertions)."""
    ranges = []
    for m in SKIPPED_STATEMENT.finditer(code):
        end = statement_end(code, m.start())
        if end < 0:  # a macro without ';' (Q_OBJECT): its line, and its arguments
            end = code.find("\n", m.end())
            paren = code.find("(", m.end())
            if 0 <= paren < end or (paren >= 0 and code[m.end():paren].strip() == ""):
                close = matching(code, paren)
                end = max(end, close + 1)
        ranges.append((m.start(), end if end > 0 else len(code)))
    return ranges


# --------------------------------------------------------------------------- mutants


@dataclass
class Mutant:
    path: str  # relative to the repository
    start: int
    end: int
    replacement: str
    op: str
    line: int = 0
    id: str = ""
    equivalent: str = ""  # the reason, when listed as equivalent
    original: str = field(default="", repr=False)

    def mutated(self, text):
        return text[: self.start] + self.replacement + text[self.end:]

    def diff(self, text):
        before = text.splitlines(keepends=True)
        after = self.mutated(text).splitlines(keepends=True)
        lines = difflib.unified_diff(before, after, "a/" + self.path, "b/" + self.path, n=1)
        return "".join(lines)

    def summary(self, text):
        return f"{self.path}:{self.line} {self.op}: {self.original.strip()!r} -> {self.replacement.strip()!r}"


def line_of(text, offset):
    return text.count("\n", 0, offset) + 1


def identify(mutants, text, path):
    """Gives each mutant an id that stays as long as its line's text does: the
    path, the operator, the changed line's text, the place of the change in it,
    and which of the file's lines with the same text it is."""
    lines = text.split("\n")
    occurrence = {}
    seen_lines = Counter()
    for number, content in enumerate(lines, 1):
        key = content.strip()
        occurrence[number] = seen_lines[key]
        seen_lines[key] += 1
    line_starts = [0]
    for content in lines:
        line_starts.append(line_starts[-1] + len(content) + 1)
    for m in mutants:
        m.line = line_of(text, m.start)
        content = lines[m.line - 1]
        column = m.start - line_starts[m.line - 1] - (len(content) - len(content.lstrip()))
        m.original = text[m.start:m.end]
        key = "\0".join([path, m.op, content.strip(), str(column), m.original, m.replacement,
                         str(occurrence[m.line])])
        m.id = hashlib.sha1(key.encode()).hexdigest()[:10]


def find_mutants(path, text):
    code = blank_non_code(text)
    skipped = skipped_ranges(code)
    found = []

    def add(start, end, replacement, op):
        if any(a <= start < b for a, b in skipped):
            return
        if text[start:end] == replacement:
            return
        found.append(Mutant(path, start, end, replacement, op))

    # Comparisons, written with spaces around them (a template's <> never is).
    negated = {"==": "!=", "!=": "==", "<": ">=", ">=": "<", ">": "<=", "<=": ">"}
    boundary = {"<": "<=", "<=": "<", ">": ">=", ">=": ">"}
    for m in re.finditer(r"(?<=\s)(==|!=|<=|>=|<|>)(?=\s)", code):
        op = m.group(1)
        add(m.start(), m.end(), negated[op], "cmp-negate")
        if op in boundary:
            add(m.start(), m.end(), boundary[op], "cmp-boundary")

    for m in re.finditer(r"(?<=\s)(&&|\|\|)(?=\s)", code):
        add(m.start(), m.end(), "||" if m.group(1) == "&&" else "&&", "logic")
    for m in re.finditer(r"(?<=\s)(&|\|)(?=\s)", code):
        add(m.start(), m.end(), "|" if m.group(1) == "&" else "&", "bitwise")

    # Arithmetic; a '+' beside a string is a concatenation and left alone.
    for m in re.finditer(r"(?<=\s)(\+|-|\+=|-=)(?=\s)", code):
        left = text[:m.start()].rstrip()[-1:]
        right = text[m.end():].lstrip()[:1]
        if m.group(1).startswith("+") and ('"' in left + right or "'" in left + right):
            continue
        swap = {"+": "-", "-": "+", "+=": "-=", "-=": "+="}[m.group(1)]
        add(m.start(), m.end(), swap, "arith")
    for m in re.finditer(r"(\+\+|--)(?=[A-Za-z_(])|(?<=[\w\])])(\+\+|--)", code):
        token = m.group(0)
        add(m.start(), m.end(), "--" if token == "++" else "++", "incdec")

    # A '!' dropped; a whole condition negated.
    for m in re.finditer(r"(?<=[(\s!])!(?!=)", code):
        add(m.start(), m.end(), "", "not-drop")
    for m in re.finditer(r"\b(if|while)\s*\(", code):
        if re.match(r"\s*constexpr", code[m.end():]):
            continue
        open_paren = m.end() - 1
        close = matching(code, open_paren)
        if close < 0:
            continue
        inner = text[open_paren + 1:close]
        if inner.lstrip().startswith("!") or ";" in code[open_paren + 1:close]:
            continue  # dropping the '!' does it; an init-statement is not a condition
        add(open_paren + 1, close, "!(" + inner + ")", "cond-negate")

    # true and false, integer constants plus and minus one.
    for m in re.finditer(r"\b(true|false)\b", code):
        add(m.start(), m.end(), "false" if m.group(1) == "true" else "true", "bool-flip")
    for m in re.finditer(r"(?<![\w.'])(0[xX][0-9a-fA-F']+|\d[\d']*)([uUlL]*)(?![\w.'])", code):
        digits = m.group(1).replace("'", "")
        value = int(digits, 16) if digits[:2].lower() == "0x" else int(digits, 10)
        if digits.startswith("0") and len(digits) > 1 and digits[:2].lower() != "0x":
            value = int(digits, 8)
        suffix = m.group(2)
        for new in (value + 1, value - 1):
            if new < 0:
                continue
            literal = (hex(new) if digits[:2].lower() == "0x" else str(new)) + suffix
            add(m.start(), m.end(), literal, "const")

    found += [mm for mm in call_drops(text, code) if not any(a <= mm.start < b for a, b in skipped)]
    found += [mm for mm in early_returns(text, code) if not any(a <= mm.start < b for a, b in skipped)]

    for mm in found:
        mm.path = path
    # The same changed text twice (two operators reaching the same result) is one mutant.
    unique = {}
    for mm in found:
        unique.setdefault((mm.start, mm.end, mm.replacement), mm)
    mutants = sorted(unique.values(), key=lambda mm: (mm.start, mm.op, mm.replacement))
    identify(mutants, text, path)
    return mutants


CALLEE = re.compile(r"(?:Q_EMIT\s+|emit\s+)?(?:::)?[A-Za-z_]\w*(?:(?:::|\.|->)[A-Za-z_~]\w*)*\s*\(")


def call_drops(text, code):
    """Statements that are only a call (foo(x); a.b(c); emit changed();),
    replaced by an empty block."""
    result = []
    for m in re.finditer(r"(?m)^[ \t]*(?=\S)", code):
        start = m.end()
        if not CALLEE.match(code, start):
            continue
        word = re.match(r"[A-Za-z_]\w*", code[start:])
        if word and word.group(0) in STATEMENT_KEYWORDS:
            continue
        if not statement_start(code, start):
            continue
        end = statement_end(code, start)
        if end < 0:
            continue
        stmt = code[start:end]
        # an assignment or declaration at depth 0 is no bare call
        depth = 0
        plain = True
        for k, ch in enumerate(stmt):
            if ch in "([{":
                depth += 1
            elif ch in ")]}":
                depth -= 1
            elif depth == 0 and ch == "=" and stmt[k - 1] not in "=!<>" and stmt[k + 1:k + 2] != "=":
                plain = False
                break
            elif depth == 0 and ch in "?":
                plain = False
                break
        if not plain or not stmt.rstrip(";").rstrip().endswith(")"):
            continue
        result.append(Mutant("", start, end, "{}", "call-drop"))
    return result


def statement_start(code, pos):
    """Whether a statement may begin at pos: after ; { } or a control header."""
    k = pos - 1
    while k >= 0 and code[k].isspace():
        k -= 1
    if k < 0:
        return False
    if code[k] in ";{}":
        # not inside a for header or a braced initialiser list
        return code[k] != "{" or not re.search(r"[=(,]\s*$", code[:k])
    if code[k] == ":":
        return bool(re.search(r"\b(?:case\b[^;{}]*|default\s*|public\s*|private\s*|protected\s*)$", code[:k]))
    if code[k] == ")":
        open_paren = k
        depth = 0
        while open_paren >= 0:
            if code[open_paren] == ")":
                depth += 1
            elif code[open_paren] == "(":
                depth -= 1
                if depth == 0:
                    break
            open_paren -= 1
        return bool(re.search(r"\b(?:if|while|for)\s*$", code[:open_paren]))
    return bool(re.search(r"\belse$", code[: k + 1]))


FUNCTION_HEAD = re.compile(r"(?:^|[;{}])\s*((?:[^;{}]|\n)*?)\s*$")


def early_returns(text, code):
    """An early return at the start of each function body defined in the file:
    return; for void functions, constructors and destructors, return false and
    return true for bool, return {} for anything else."""
    result = []
    for m in re.finditer(r"(?m)^([ \t]*)\{[ \t]*$", code):
        brace = m.end() - 1
        while code[brace] != "{":
            brace -= 1
        head_start = max(code.rfind(";", 0, brace), code.rfind("}", 0, brace), code.rfind("{", 0, brace))
        head = " ".join(code[head_start + 1:brace].split())
        if not head or "(" not in head:
            continue
        if re.match(r"(?:template\s*<.*>\s*)?(?:struct|class|enum|union|namespace|extern)\b", head):
            continue
        if re.search(r"=\s*$|\[[^\]]*\]\s*\(", head):  # an initialiser, a lambda
            continue
        # return type: what comes before the (qualified) name of the function
        name_part = head.split("(")[0].strip()
        if name_part.startswith(":") or re.search(r"\b(?:if|for|while|switch|catch)\s*$", name_part):
            continue
        pieces = name_part.rsplit(None, 1)
        qualified = pieces[-1].lstrip("*&")
        returns = pieces[0] if len(pieces) > 1 else ""
        returns = re.sub(r"\b(?:static|inline|constexpr|virtual|explicit|friend|\[\[nodiscard\]\])\b", "", returns)
        returns = returns.strip()
        if name_part.endswith(("operator", "operator=")) or "operator" in qualified:
            continue
        last = qualified.split("::")[-1]
        owner = qualified.split("::")[-2] if "::" in qualified else ""
        if "->" in head.split(")")[-1]:
            continue  # trailing return type
        if not returns and (last == owner or last.startswith("~")):
            statements = ["return;"]
        elif not returns:
            continue
        elif returns == "void":
            statements = ["return;"]
        elif returns == "bool":
            statements = ["return false;", "return true;"]
        elif returns == "auto" or returns.endswith("auto"):
            continue
        else:
            statements = ["return {};"]
        if "&" in pieces[-1] or returns.endswith("&"):
            continue  # a reference has no default to return
        for statement in statements:
            result.append(Mutant("", brace + 1, brace + 1, " " + statement, "return-early"))
    return result


# --------------------------------------------------------------------------- the build


def run(cmd, cwd=None, timeout=None, env=None, capture=True):
    """Runs cmd in a process group of its own, ended whole on timeout or interruption."""
    proc = subprocess.Popen(cmd, cwd=cwd, env=env, start_new_session=True,
                            stdout=subprocess.PIPE if capture else None,
                            stderr=subprocess.STDOUT if capture else None, text=True, errors="replace")
    try:
        out, _ = proc.communicate(timeout=timeout)
        return proc.returncode, out or ""
    except subprocess.TimeoutExpired:
        kill_group(proc)
        out, _ = proc.communicate()
        return None, out or ""
    except BaseException:
        kill_group(proc)
        proc.wait()
        raise


def kill_group(proc):
    try:
        os.killpg(proc.pid, signal.SIGKILL)
    except ProcessLookupError:
        pass


class Build:
    def __init__(self, root, build_dir, jobs, nice):
        self.root = root
        self.dir = build_dir
        self.jobs = jobs
        self.prefix = ["nice", "-n", str(nice)] if nice else []
        self._objects = None
        self._tests = None
        self._symbols = {}
        if not (build_dir / "build.ninja").exists():
            sys.exit(f"mutate: {build_dir} is no ninja build folder (cmake -G Ninja -B {build_dir})")

    def ninja(self, *args, timeout=None):
        return run(self.prefix + ["ninja", "-C", str(self.dir), *args], timeout=timeout)

    def objects_of(self, source):
        """The object files a source or header goes into."""
        if self._objects is None:
            self._objects = defaultdict(set)
            with open(self.dir / "compile_commands.json") as f:
                for entry in json.load(f):
                    out = re.search(r"(?:^|\s)-o\s+(\S+)", entry["command"])
                    if out:
                        src = Path(entry["directory"], entry["file"]).resolve()
                        self._objects[src].add(os.path.normpath(out.group(1)))
        source = source.resolve()
        if source.suffix in SOURCE_SUFFIXES:
            return sorted(self._objects.get(source, ()))
        rc, out = run(["ninja", "-C", str(self.dir), "-t", "deps"])
        objects, current = set(), None
        for line in out.splitlines():
            if line and not line[0].isspace():
                current = line.split(":")[0]
            elif current and Path(self.dir, line.strip()).resolve() == source:
                objects.add(current)
        return sorted(objects)

    def active_lines(self, source):
        """The lines of source the compiler sees (those of a branch of #if that
        is not taken are left out), or None when that cannot be told."""
        self.objects_of(source)
        if source.suffix not in SOURCE_SUFFIXES:
            return None
        with open(self.dir / "compile_commands.json") as f:
            entries = [e for e in json.load(f) if Path(e["directory"], e["file"]).resolve() == source.resolve()]
        if not entries:
            return None
        command = shlex.split(entries[0]["command"])
        cleaned, skip = [], False
        for word in command:
            if skip:
                skip = False
            elif word == "-o":
                skip = True
            elif word != "-c":
                cleaned.append(word)
        rc, out = run(cleaned + ["-E"], cwd=entries[0]["directory"])
        if rc != 0:
            return None
        lines, current, number = set(), None, 0
        wanted = str(source.resolve())
        for line in out.splitlines():
            marker = re.match(r'# (\d+) "([^"]*)"', line)
            if marker:
                number = int(marker.group(1))
                current = os.path.realpath(os.path.join(entries[0]["directory"], marker.group(2)))
                continue
            if current == wanted and line.strip():
                lines.add(number)
            number += 1
        return lines

    def tests(self):
        """ctest's tests: name -> (program path relative to the build folder, or None)."""
        if self._tests is None:
            rc, out = run(["ctest", "--test-dir", str(self.dir), "--show-only=json-v1"])
            if rc != 0:
                sys.exit("mutate: ctest cannot list the tests:\n" + out)
            self._tests = {}
            for t in json.loads(out).get("tests", []):
                command = t.get("command") or [None]
                program = command[0]
                rel = os.path.relpath(program, self.dir) if program else None
                self._tests[t["name"]] = rel
        return self._tests

    def dependents(self, obj):
        """Every library and program built from obj, directly or not."""
        seen, todo = set(), [obj]
        while todo:
            node = todo.pop()
            rc, out = run(["ninja", "-C", str(self.dir), "-t", "query", node])
            outputs = False
            for line in out.splitlines():
                if line.startswith("  ") and not line.startswith("    "):
                    outputs = line.strip() == "outputs:"
                elif outputs:
                    item = os.path.relpath(Path(self.dir, line.strip()), self.dir)
                    if item in seen or "autogen" in item or item.endswith(("_deps", "timestamp")):
                        continue
                    seen.add(item)
                    if item.endswith((".a", ".so", ".o")):
                        todo.append(item)
        return seen

    def strong_symbols(self, path, exported=True):
        """Symbols an object defines for others to use (not weak ones), or all
        that a program defines (exported=False: a program keeps them local)."""
        key = (str(path), exported)
        if key not in self._symbols:
            rc, out = run(["nm", "--defined-only"] + (["-g"] if exported else []) + [str(self.dir / path)])
            names = set()
            for line in out.splitlines():
                parts = line.split()
                if len(parts) >= 3 and parts[1].upper() in "TDBRG":
                    names.add(parts[2])
            self._symbols[key] = names
        return self._symbols[key]

    def forget_symbols(self):
        self._symbols.clear()


# --------------------------------------------------------------------------- the run


BACKUP_DIR = ".mutate-backup"


class Restorer:
    """Keeps the original of the file being mutated beside the build, so that
    it goes back after every mutant, on Ctrl+C, and at the next start should
    the script itself have been killed."""

    def __init__(self, build_dir):
        self.dir = build_dir / BACKUP_DIR
        self.manifest = self.dir / "manifest.json"

    def recover(self):
        if not self.manifest.exists():
            return
        entries = json.loads(self.manifest.read_text())
        for target, copy in entries.items():
            if Path(copy).exists() and Path(target).read_bytes() != Path(copy).read_bytes():
                shutil.copyfile(copy, target)
                print(f"mutate: restored {target}, left mutated by an interrupted run", file=sys.stderr)
        shutil.rmtree(self.dir, ignore_errors=True)

    def keep(self, target, original):
        self.dir.mkdir(parents=True, exist_ok=True)
        copy = self.dir / (hashlib.sha1(str(target).encode()).hexdigest()[:12] + Path(target).suffix)
        copy.write_bytes(original)
        self.manifest.write_text(json.dumps({str(target): str(copy)}))
        self.target, self.original = target, original

    def restore(self):
        target = getattr(self, "target", None)
        if target is None:
            return
        if Path(target).read_bytes() != self.original:
            Path(target).write_bytes(self.original)
        self.target = None
        shutil.rmtree(self.dir, ignore_errors=True)


def git_dirty(root, files):
    rc, out = run(["git", "-C", str(root), "status", "--porcelain", "--", *[str(f) for f in files]])
    if rc != 0:
        sys.exit("mutate: git status failed:\n" + out)
    return [line[3:] for line in out.splitlines()]


def collect_files(root, args):
    files = []
    for item in args.paths:
        p = Path(item)
        if not p.is_absolute():
            p = Path.cwd() / p
        if p.is_dir():
            suffixes = SOURCE_SUFFIXES + (HEADER_SUFFIXES if args.headers else ())
            files += sorted(q for q in p.iterdir() if q.suffix in suffixes and q.is_file())
        elif p.is_file():
            files.append(p)
        else:
            sys.exit(f"mutate: no such file or folder: {item}")
    seen, result = set(), []
    for f in files:
        f = f.resolve()
        if f not in seen:
            seen.add(f)
            result.append(f)
    return result


def load_equivalents(path):
    known = {}
    if path and path.exists():
        for line in path.read_text().splitlines():
            line = line.strip()
            if not line or line.startswith("#"):
                continue
            parts = line.split(None, 3)
            known[parts[0]] = parts[3] if len(parts) > 3 else (parts[-1] if len(parts) > 1 else "equivalent")
    return known


def load_log(path):
    results = {}
    if path and path.exists():
        for line in path.read_text().splitlines():
            if line.strip():
                entry = json.loads(line)
                results[entry["id"]] = entry
    return results


class Runner:
    def __init__(self, args, root, build):
        self.args = args
        self.root = root
        self.build = build
        self.pattern = re.compile(args.tests) if args.tests else None
        self.kills = Counter()  # test -> mutants it killed, to try it first next time
        self.durations = {}
        self.plans = {}
        self.verbose = args.verbose

    def plan(self, source):
        """The programs to rebuild and the tests to run for a mutant of source."""
        if source in self.plans:
            return self.plans[source]
        tests = self.build.tests()
        objects = self.build.objects_of(source)
        if self.args.targets:
            targets = self.args.targets.split(",")
            chosen = [t for t, prog in tests.items() if self.wanted(t)]
            plan = (targets, chosen, [])
            self.plans[source] = plan
            return plan
        if not objects:
            sys.exit(f"mutate: {source} is compiled into nothing in {self.build.dir}; "
                     "pass --targets and --tests")
        reached = set()
        for obj in objects:
            reached |= self.build.dependents(obj)
        programs = {prog for prog in tests.values() if prog in reached}
        # A program linked from static libraries holds an object only when it
        # uses something of it: keep those that hold one of its symbols.
        symbols = set()
        for obj in objects:
            if (self.build.dir / obj).exists():
                symbols |= self.build.strong_symbols(obj)
        if symbols:
            programs = {p for p in programs
                        if (self.build.dir / p).exists() and self.build.strong_symbols(p, exported=False) & symbols
                        or not (self.build.dir / p).exists()}
        every = sorted(t for t, prog in tests.items() if prog in programs)
        chosen = [t for t in every if self.wanted(t)]
        rest = [t for t in every if t not in chosen] if self.args.then_all else []
        targets = sorted({tests[t] for t in chosen + rest})
        plan = (targets, chosen, rest)
        self.plans[source] = plan
        if not chosen and not rest:
            print(f"mutate: no test links {os.path.relpath(source, self.root)}: its mutants all survive",
                  file=sys.stderr)
        if self.verbose:
            print(f"mutate: {os.path.relpath(source, self.root)}: tests {' '.join(chosen)}"
                  + (f", then {' '.join(rest)}" if rest else ""), file=sys.stderr)
        return plan

    def first_tests(self, source, chosen):
        """Up to three tests to try before the others: those that killed most
        mutants so far, else those of the test folder named like source's."""
        killers = sorted((t for t in chosen if self.kills[t]), key=lambda t: -self.kills[t])
        if killers:
            return killers[:3]
        area = "tests/" + Path(source).parent.name + "/"
        tests = self.build.tests()
        return sorted((t for t in chosen if (tests.get(t) or "").startswith(area)),
                      key=lambda t: self.durations.get(t, 0))[:3]

    def wanted(self, test):
        return self.pattern is None or bool(self.pattern.search(test))

    def compile(self, targets):
        if not targets:
            return True, ""
        rc, out = self.build.ninja("-j", str(self.args.jobs), *targets, timeout=self.args.build_timeout)
        return rc == 0, out

    def run_tests(self, tests, baseline=False):
        """(status, test) after running tests until one fails."""
        order = sorted(tests, key=lambda t: (-self.kills[t], self.durations.get(t, 0), t))
        for test in order:
            if baseline:
                limit = self.args.timeout_max
            else:
                limit = min(self.args.timeout_max, max(30.0, 3 * self.durations.get(test, 10.0) + 10))
            started = time.monotonic()
            cmd = self.build.prefix + ["ctest", "--test-dir", str(self.build.dir), "-R",
                                        "^" + re.escape(test) + "$", "--timeout", str(int(limit) + 5)]
            rc, out = run(cmd, timeout=limit + 30)
            elapsed = time.monotonic() - started
            if self.verbose and not baseline:
                print(f"mutate:   {test}: {'timeout' if rc is None else rc} ({elapsed:.1f} s)", file=sys.stderr)
            if baseline:
                self.durations[test] = elapsed
            if rc is None or "Timeout" in out and rc != 0:
                return "timeout", test
            if rc != 0:
                if "No tests were found" in out:
                    continue
                return "killed", test
        return "survived", None


def main():
    parser = argparse.ArgumentParser(
        description="Makes small faults in C++ sources, one at a time, and reports the ones no test catches.",
        formatter_class=argparse.RawDescriptionHelpFormatter,
        epilog="Example: scripts/mutate.py --sample 40 --seed 1 --tests 'tst_safewrite|tst_platform' src/platform")
    parser.add_argument("paths", nargs="+", help="source files and folders (a folder: its .cpp files)")
    parser.add_argument("-B", "--build", default="build", help="ninja build folder (default: build)")
    parser.add_argument("-n", "--sample", type=int, default=40,
                        help="mutants per folder that compile and are not equivalent (default 40; 0: all)")
    parser.add_argument("-s", "--seed", type=int, default=1, help="seed of the random sample (default 1)")
    parser.add_argument("-R", "--tests", help="run only the tests matching this regular expression (ctest -R)")
    parser.add_argument("--then-all", action="store_true",
                        help="run a survivor of the --tests tests once more with every test that links its file")
    parser.add_argument("--targets", help="comma-separated ninja targets to build instead of those found")
    parser.add_argument("--ops", help="comma-separated operators to use (default: all); --list-ops shows them")
    parser.add_argument("--headers", action="store_true", help="take the .h files of folders too")
    parser.add_argument("--equivalent", default="tests/equivalent-mutants.txt",
                        help="file of ids of equivalent mutants (default tests/equivalent-mutants.txt)")
    parser.add_argument("--log", help="append each result as a JSON line to this file")
    parser.add_argument("--resume", action="store_true",
                        help="take the results of --log for mutants it has, except survivors, which run again")
    parser.add_argument("--only", help="comma-separated mutant ids to run (ignores --sample)")
    parser.add_argument("--list", action="store_true", help="list the sampled mutants (or all with -n 0) and stop")
    parser.add_argument("--report", help="also write the report (Markdown) to this file")
    parser.add_argument("-j", "--jobs", type=int, default=2, help="ninja jobs (default 2)")
    parser.add_argument("--nice", type=int, default=19, help="niceness of builds and tests (default 19, 0: none)")
    parser.add_argument("--timeout-max", type=float, default=600,
                        help="longest a test may run, seconds (each gets 3x its unmutated time + 10 s, at least 30)")
    parser.add_argument("--build-timeout", type=float, default=1800, help="longest a rebuild may take, seconds")
    parser.add_argument("-v", "--verbose", action="store_true", help="name the tests chosen for each file")
    parser.add_argument("--no-baseline", action="store_true", help="skip running the tests on the unmutated code")
    args = parser.parse_args()

    rc, top = run(["git", "rev-parse", "--show-toplevel"])
    root = Path(top.strip()) if rc == 0 else Path.cwd()
    build_dir = Path(args.build)
    build_dir = (build_dir if build_dir.is_absolute() else Path.cwd() / build_dir).resolve()
    equivalent_file = Path(args.equivalent)
    if not equivalent_file.is_absolute():
        equivalent_file = root / equivalent_file

    restorer = Restorer(build_dir)
    restorer.recover()

    files = collect_files(root, args)
    if not files:
        sys.exit("mutate: no source files given")
    dirty = git_dirty(root, files)
    if dirty and not args.list:
        sys.exit("mutate: these files have changes of their own (commit or stash them first):\n  "
                 + "\n  ".join(dirty))

    equivalents = load_equivalents(equivalent_file)
    ops = set(args.ops.split(",")) if args.ops else None
    build = Build(root, build_dir, args.jobs, args.nice) if (build_dir / "build.ninja").exists() else None
    if build is None and not args.list:
        sys.exit(f"mutate: {build_dir} is no ninja build folder (cmake -G Ninja -B {build_dir})")
    if build is not None and not args.list and not args.targets:
        # ctest names no program for a test whose program is not built yet:
        # such a test would be left out of every mutant without a word.
        pattern = re.compile(args.tests) if args.tests else None
        unbuilt = sorted(t for t, prog in build.tests().items()
                         if prog is None and (pattern is None or pattern.search(t)))
        if unbuilt:
            sys.exit(f"mutate: build the test programs first (ninja -C {build_dir}); not built: "
                     + " ".join(unbuilt))
    texts, by_folder = {}, defaultdict(list)
    for f in files:
        rel = os.path.relpath(f, root)
        text = f.read_text()
        texts[rel] = text
        active = build.active_lines(f) if build else None
        for m in find_mutants(rel, text):
            if ops and m.op not in ops:
                continue
            if active is not None and m.line not in active:
                continue  # in a branch of #if the build does not take
            m.equivalent = equivalents.get(m.id, "")
            by_folder[os.path.dirname(rel)].append(m)

    if args.only:
        wanted = set(args.only.split(","))
        for folder in by_folder:
            by_folder[folder] = [m for m in by_folder[folder] if m.id in wanted]
    else:
        for folder, ms in by_folder.items():
            random.Random(f"{args.seed}:{folder}").shuffle(ms)

    if args.list:
        for folder, ms in sorted(by_folder.items()):
            shown = ms if args.sample == 0 or args.only else ms[: args.sample]
            print(f"## {folder}: {len(ms)} mutants" + ("" if shown is ms else f", the first {len(shown)} drawn"))
            for m in shown:
                tag = "  (equivalent)" if m.equivalent else ""
                print(f"{m.id}  {m.summary(texts[m.path])}{tag}")
        return 0

    runner = Runner(args, root, build)
    log_path = Path(args.log) if args.log else None
    previous = load_log(log_path) if args.resume else {}
    log = open(log_path, "a") if log_path else None

    # Ctrl+C, a hang-up and kill (TERM) end the run through the finally below.
    def interrupted(signum, frame):
        raise KeyboardInterrupt
    for sig in (signal.SIGTERM, signal.SIGHUP):
        signal.signal(sig, interrupted)

    results = []
    started = time.monotonic()
    try:
        # What every file's mutants need, built and passing before anything changes.
        all_targets, all_tests = set(), set()
        for f in files:
            targets, chosen, rest = runner.plan(f)
            all_targets |= set(targets)
            all_tests |= set(chosen) | set(rest)
        print(f"mutate: building {len(all_targets)} programs for {len(files)} files", file=sys.stderr)
        ok, out = runner.compile(sorted(all_targets))
        if not ok:
            sys.exit("mutate: the unmutated sources do not build:\n" + out[-4000:])
        build.forget_symbols()
        runner.plans.clear()
        if not args.no_baseline:
            print(f"mutate: running {len(all_tests)} tests on the unmutated sources", file=sys.stderr)
            status, test = runner.run_tests(sorted(all_tests), baseline=True)
            if status != "survived":
                sys.exit(f"mutate: {test} fails without any mutant ({status}); fix it first")

        for folder, ms in sorted(by_folder.items()):
            counted = 0
            for m in ms:
                if args.sample and not args.only and counted >= args.sample:
                    break
                if m.equivalent:
                    results.append((m, {"status": "equivalent", "reason": m.equivalent}))
                    continue
                earlier = previous.get(m.id)
                if earlier and earlier["status"] != "survived":
                    result = earlier
                else:
                    result = run_mutant(m, root, texts[m.path], runner, restorer)
                    result.update(id=m.id, path=m.path, line=m.line, op=m.op, diff=m.diff(texts[m.path]))
                    if log:
                        log.write(json.dumps(result) + "\n")
                        log.flush()
                results.append((m, result))
                if result["status"] != "build-failed":
                    counted += 1
                print(f"mutate: [{folder} {counted}/{args.sample or len(ms)}] {result['status']:12} "
                      f"{m.summary(texts[m.path])}" + (f" ({result.get('test')})" if result.get("test") else ""),
                      file=sys.stderr)
    except KeyboardInterrupt:
        print("mutate: interrupted; the report covers the mutants run so far", file=sys.stderr)
    finally:
        restorer.restore()
        if log:
            log.close()

    report = make_report(results, texts, time.monotonic() - started, args)
    print(report)
    if args.report:
        Path(args.report).write_text(report)
    return 0


def run_mutant(m, root, text, runner, restorer):
    path = root / m.path
    targets, chosen, rest = runner.plan(path)
    tests = runner.build.tests()
    begun = time.monotonic()
    restorer.keep(str(path), text.encode())
    try:
        path.write_text(m.mutated(text))
        # The tests likeliest to fail first, each linked only when its turn comes:
        # most mutants are killed by the first program, and linking is the cost.
        stages = [runner.first_tests(path, chosen), chosen, rest]
        done = set()
        for stage in stages:
            stage = [t for t in stage if t not in done]
            if not stage:
                continue
            wanted = targets if runner.args.targets else sorted({tests[t] for t in stage if tests.get(t)})
            ok, out = runner.compile(wanted)
            if runner.verbose:
                print(f"mutate:   built {len(wanted)} programs: {'ok' if ok else 'failed'}", file=sys.stderr)
            if not ok:
                return {"status": "build-failed", "seconds": round(time.monotonic() - begun, 1)}
            status, test = runner.run_tests(stage)
            done.update(stage)
            if status != "survived":
                runner.kills[test] += 1
                return {"status": status, "test": test, "seconds": round(time.monotonic() - begun, 1)}
        return {"status": "survived", "test": None, "seconds": round(time.monotonic() - begun, 1)}
    finally:
        restorer.restore()


def make_report(results, texts, seconds, args):
    caught = ("killed", "timeout")
    rows = defaultdict(Counter)
    for m, r in results:
        for key in (m.path, os.path.dirname(m.path) + "/", "all"):
            rows[key][r["status"]] += 1

    def score(c):
        total = c["killed"] + c["timeout"] + c["survived"]
        return f"{100 * (c['killed'] + c['timeout']) / total:.0f}%" if total else "-"

    lines = [f"# Mutants (seed {args.seed}, sample {args.sample or 'all'} per folder"
             + (f", tests matching {args.tests!r}" if args.tests else "") + f", {seconds / 60:.0f} min)", "",
             "| file or folder | killed | timeout | survived | score | equivalent | build failed |",
             "|---|---:|---:|---:|---:|---:|---:|"]
    order = sorted(k for k in rows if k != "all" and not k.endswith("/"))
    folders = sorted(k for k in rows if k.endswith("/"))
    for key in order + folders + ["all"]:
        c = rows[key]
        name = f"**{key}**" if key.endswith("/") or key == "all" else key
        lines.append(f"| {name} | {c['killed']} | {c['timeout']} | {c['survived']} | {score(c)} | "
                     f"{c['equivalent']} | {c['build-failed']} |")
    lines.append("")
    lines.append("score = (killed + timeout) / (killed + timeout + survived); equivalent and build-failed "
                 "mutants are not counted.")
    survivors = [(m, r) for m, r in results if r["status"] == "survived"]
    if survivors:
        lines += ["", "## Survivors", ""]
        for m, r in sorted(survivors, key=lambda mr: (mr[0].path, mr[0].line)):
            lines.append(f"### {m.id} {m.path}:{m.line} ({m.op})")
            lines.append("```diff")
            lines.append(m.diff(texts[m.path]).rstrip())
            lines.append("```")
    equivalent = [(m, r) for m, r in results if r["status"] == "equivalent"]
    if equivalent:
        lines += ["", "## Equivalent (not run)", ""]
        for m, r in sorted(equivalent, key=lambda mr: (mr[0].path, mr[0].line)):
            lines.append(f"- {m.id} {m.summary(texts[m.path])}: {r['reason']}")
    return "\n".join(lines) + "\n"


if __name__ == "__main__":
    sys.exit(main())
