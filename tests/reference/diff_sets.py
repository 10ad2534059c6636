#!/usr/bin/env python3
"""Compare `zu_kirdo_dump --raw tree|search|print` with the Python reference on generated sets.

    diff_sets.py tree|search|print --binary PATH [--seed S] [--count N] [--runs R]

Each seed gives one set of files (generate_sets.py) in a fresh folder, which is the working
folder of both sides, so paths are short and the same. For search and print, R argument lists are
drawn per set. Exit status, standard output and, unless the exit status is 2 (usage error, whose
text is the program's own), standard error are compared. The first difference of each failing
case is shown with its seed; the last line says "N passed, M failed".
"""

import argparse
import os
import random
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from generate_sets import make_set  # noqa: E402
from zu_reference import dump  # noqa: E402
from zu_reference.logset import LogSet  # noqa: E402
from zu_reference.reader import LogFile  # noqa: E402
from zu_reference.search import characters  # noqa: E402

MaxShownFailures = 5
Timeout = 120


# ----- argument lists -------------------------------------------------------------------------

class SetFacts:
    """What the arguments are drawn from: the message positions of the loaded set and the texts
    that a search can meet, by field bit, in search order (files by rank)."""

    def __init__(self, paths):
        log_set = LogSet()
        log_set.open_files(paths)
        self.last_file = log_set.last_file
        self.placed = []  # (row, item) of messages with a node
        self.unplaced = []
        self.row_sizes = []
        self.order = []  # (row, item) in search order
        self.texts = {}  # (row, item) -> {bit: [texts]}, for a sample of the messages
        for f, messages in log_set.rows():
            self.row_sizes.append(len(messages))
            reader = LogFile()
            reader.open(messages[0].file_name)
            step = max(1, len(messages) // 60)
            for i, m in enumerate(messages):
                (self.placed if m.node is not None else self.unplaced).append((f, i))
                if i % step == 0:
                    texts = {1: [b"%d" % m.number], 2: [reader.get_sender_name(i)],
                             4: [reader.get_sender_id(i)], 8: [m.title],
                             16: reader.body_lines(i)[:8]}
                    self.texts[(f, i)] = {b: [t for t in texts[b] if t] for b in texts}
        for rank in range(self.last_file + 1):
            f = log_set.row_of_rank(rank)
            self.order += [(f, i) for i in range(self.row_sizes[f])]

    def pool(self, rng, fields, start, upwards):
        """Texts of one of the searched fields of a message that the search will meet, mostly."""
        ahead = list(self.texts)
        if start in self.order and rng.random() < 0.8:
            k = self.order.index(start)
            met = set(self.order[:k] if upwards else self.order[k + 1:])
            ahead = [p for p in ahead if p in met] or ahead
        if not ahead:
            return []
        texts = self.texts[rng.choice(ahead)]
        bits = [b for b in texts if fields & b and texts[b]]
        if not bits or rng.random() < 0.1:
            bits = [b for b in texts if texts[b]]
        return texts[rng.choice(bits)] if bits else []


def flip_case(rng, text):
    out = bytearray()
    for ch in characters(text):
        if len(ch) == 1 and ch.isalpha() and rng.random() < 0.5:
            ch = ch.swapcase()
        out += ch
    return bytes(out)


OddTexts = [b"A", b"a", b"C", b"12", b"112", b"aab", b"AAB", b"\\", b"\t", b"1", b"x", b"\x83",
            b"\x83\x41", "ア".encode("cp932"), "表".encode("cp932"), b"\\\\", b"NAME ",
            b"  ", b"Taro ", b"-1", b"--", b" ", b"abc", b"Re:", b"\x5c\x5c", b"zzzqqq"]


def search_text(rng, facts, fields, start, upwards):
    pool = facts.pool(rng, fields, start, upwards)
    r = rng.random()
    if r < 0.6 and pool:
        chars = characters(rng.choice(pool))
        start = rng.randrange(len(chars))
        piece = b"".join(chars[start:start + rng.randint(1, 8)])
        if rng.random() < 0.3:
            piece = flip_case(rng, piece)
        return piece
    if r < 0.75 and pool:  # any byte range, a trail byte may come first
        field = rng.choice(pool)
        start = rng.randrange(len(field))
        return field[start:start + rng.randint(1, 4)]
    if r < 0.985:
        return rng.choice(OddTexts)
    return rng.choice([b"", b"a" * 255, b"a" * 256, "あ".encode("cp932") * 128])


def position(rng, facts):
    r = rng.random()
    if r < 0.96 and facts.placed:
        f, i = rng.choice(facts.placed)
    elif r < 0.98 and facts.unplaced:
        f, i = rng.choice(facts.unplaced)
    else:  # past a row's end, or a row that is not loaded
        f = rng.randint(0, max(0, facts.last_file) + 1)
        i = facts.row_sizes[f] if f < len(facts.row_sizes) else 0
    return f, i


def search_args(rng, facts, paths):
    start = position(rng, facts)
    upwards = rng.random() < 0.4
    args = [b"--from", b"%d:%d" % start] + ([b"--up"] if upwards else [])
    fields = rng.choice([None, None, 1, 2, 4, 8, 16, 31, 24, 3, 48, rng.randint(1, 31),
                         rng.randint(1, 31), rng.randint(1, 31), rng.choice([0, 32, 64, -1, -16, 2 ** 31 - 1])])
    if fields is not None:
        args += [b"--fields", b"%d" % fields]
    if rng.random() < 0.7:
        args.append(b"--all")
    text = search_text(rng, facts, 16 if fields is None else fields, start, upwards)
    if text.startswith(b"-") or rng.random() < 0.1:
        args.append(b"--")
    return args + [text] + paths


def print_args(rng, facts, paths):
    args = [b"--from", b"%d:%d" % position(rng, facts)]
    columns = rng.choice([None, rng.randint(1, 12), rng.randint(10, 130), rng.randint(10, 130),
                          rng.randint(250, 1100)])
    if columns is not None:
        args += [b"--columns", b"%d" % columns]
    line_height = rng.choice([None, 80, rng.randint(1, 200)])
    if line_height is not None:
        args += [b"--line-height", b"%d" % line_height]
    lh = line_height or 80
    page_height = rng.choice([None, lh * rng.randint(3, 20) + rng.randint(0, lh),
                              rng.randint(1, 2000), rng.randint(1000, 7000)])
    if page_height is not None:
        args += [b"--page-height", b"%d" % page_height]
    return args + paths


# ----- running and comparing ------------------------------------------------------------------

def run_binary(binary, command, args):
    done = subprocess.run([binary, "--raw", command] + args, capture_output=True,
                          timeout=Timeout)
    return done.returncode, done.stdout, done.stderr


def reference(command, args):
    status, out, err = {"tree": dump.tree_raw, "search": dump.search_raw,
                        "print": dump.print_raw}[command](args)
    return status, out, err.encode("utf-8", "surrogateescape")


def first_difference(expected, actual):
    """Line number and the two lines where two outputs part, or None when equal."""
    if expected == actual:
        return None
    want, got = expected.split(b"\n"), actual.split(b"\n")
    for k in range(max(len(want), len(got))):
        a = want[k] if k < len(want) else b"<none>"
        b = got[k] if k < len(got) else b"<none>"
        if a != b:
            return k + 1, a, b
    return 0, b"", b""


def describe(seed, command, args, what, expected, actual):
    shown = " ".join(repr(a)[2:-1] for a in args)
    lines = ["FAIL seed %d: zu_kirdo_dump --raw %s %s" % (seed, command, shown),
             "  (the files: generate_sets.py %d DIR, then run it in DIR)" % seed]
    if what == "status":
        lines.append("  exit status: expected %d, got %d" % (expected, actual))
    else:
        k, want, got = first_difference(expected, actual)
        lines.append("  %s line %d:" % (what, k))
        lines.append("    expected %r" % want[:300])
        lines.append("    actual   %r" % got[:300])
    return "\n".join(lines)


def compare(seed, command, args, binary):
    want = reference(command, args)
    got = run_binary(binary, command, args)
    if want[0] != got[0]:
        return describe(seed, command, args, "status", want[0], got[0])
    if want[1] != got[1]:
        return describe(seed, command, args, "stdout", want[1], got[1])
    if want[0] != dump.Usage and want[2] != got[2]:
        return describe(seed, command, args, "stderr", want[2], got[2])
    return None


def cases(command, seed, runs, paths):
    if command == "tree":
        return [list(paths)]
    rng = random.Random(seed * 7919 + 1)
    facts = SetFacts(paths)
    draw = search_args if command == "search" else print_args
    return [draw(rng, facts, list(paths)) for _ in range(runs)]


def main():
    parser = argparse.ArgumentParser(description=__doc__.strip().splitlines()[0])
    parser.add_argument("command", choices=["tree", "search", "print"])
    parser.add_argument("--binary", required=True)
    parser.add_argument("--seed", type=int, default=1)
    parser.add_argument("--count", type=int, default=100)
    parser.add_argument("--runs", type=int, default=3, help="argument lists per set")
    parser.add_argument("--no-full", action="store_true",
                        help="leave out the sets that fill the placeholder table")
    options = parser.parse_args()
    binary = os.path.abspath(options.binary)
    passed = failed = 0
    home = os.getcwd()
    for seed in range(options.seed, options.seed + options.count):
        with tempfile.TemporaryDirectory(prefix="zu_sets_") as folder:
            os.chdir(folder)
            try:
                paths = make_set(seed, "", allow_full=not options.no_full)
                for args in cases(options.command, seed, options.runs, paths):
                    problem = compare(seed, options.command, args, binary)
                    if problem is None:
                        passed += 1
                        continue
                    failed += 1
                    if failed <= MaxShownFailures:
                        print(problem, flush=True)
            finally:
                os.chdir(home)
    print("%d passed, %d failed" % (passed, failed))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
