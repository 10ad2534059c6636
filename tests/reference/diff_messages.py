#!/usr/bin/env python3
"""Compare `zu_kirdo_dump --raw messages FILE` with the Python reference, byte for byte.

    diff_messages.py [--count N] [--seed S] [--literal] [--keep-going] [DUMP_TOOL]

DUMP_TOOL defaults to $ZU_DUMP_TOOL. For seeds S .. S+N-1 a log is generated (generate.py),
dumped by the tool and by the reference, and exit status, standard output and standard error
must agree. A few special paths (missing file, directory, FIFO, empty file, odd names) are
checked as well. The first difference stops the run (unless --keep-going) and leaves the file
in a temporary directory for a closer look.
"""

import argparse
import os
import shutil
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import generate  # noqa: E402
from zu_reference import raw, reader  # noqa: E402

TIMEOUT_SECONDS = 60
M_FIELDS = ["kind", "i", "number", "parent", "senderID", "senderName", "title", "date", "time"]


class Outcome:
    def __init__(self, status, out, err):
        self.status, self.out, self.err = status, out, err


def run_tool(tool, path, timeout=TIMEOUT_SECONDS):
    try:
        done = subprocess.run([tool, "--raw", "messages", path], capture_output=True,
                              timeout=timeout)
    except subprocess.TimeoutExpired:
        return Outcome("timeout after %ds" % timeout, b"", "")
    return Outcome(done.returncode, done.stdout,
                   done.stderr.decode("utf-8", errors="surrogateescape"))


# The literal walk re-reads a body from its start for every line: square time on long bodies.
LITERAL_MAX_BYTES = 500_000
skipped = []


def run_reference(path):
    if reader.LITERAL and os.path.isfile(path) and os.path.getsize(path) > LITERAL_MAX_BYTES:
        skipped.append(path)
        return None
    return Outcome(*raw.messages_raw(path))


def first_difference(expected, actual):
    """A few readable lines about the first record where two outputs part."""
    exp_lines = expected.split(b"\n")
    act_lines = actual.split(b"\n")
    for n in range(max(len(exp_lines), len(act_lines))):
        exp = exp_lines[n] if n < len(exp_lines) else None
        act = act_lines[n] if n < len(act_lines) else None
        if exp == act:
            continue
        report = ["  first differing record: line %d of stdout" % (n + 1),
                  "    expected: %r" % exp, "    actual:   %r" % act]
        if exp is not None and act is not None:
            exp_fields, act_fields = exp.split(b"\t"), act.split(b"\t")
            for k in range(max(len(exp_fields), len(act_fields))):
                e = exp_fields[k] if k < len(exp_fields) else None
                a = act_fields[k] if k < len(act_fields) else None
                if e != a:
                    name = M_FIELDS[k] if exp_fields[0] == b"M" and k < len(M_FIELDS) else k
                    report.append("    field %s: expected %r, actual %r" % (name, e, a))
                    break
        if n > 0:
            report.insert(1, "    after:    %r" % exp_lines[n - 1][:120])
        return "\n".join(report)
    return "  (outputs equal)"


def compare(path, actual):
    """None when the tool agrees with the reference, else a description."""
    expected = run_reference(path)
    if expected is None:
        return None
    problems = []
    if expected.status != actual.status:
        problems.append("  exit status: expected %r, actual %r" % (expected.status, actual.status))
    if expected.err != actual.err:
        problems.append("  stderr: expected %r, actual %r" % (expected.err, actual.err))
    if expected.out != actual.out:
        problems.append("  stdout: expected %d bytes, actual %d bytes"
                        % (len(expected.out), len(actual.out)))
        problems.append(first_difference(expected.out, actual.out))
    return "\n".join(problems) if problems else None


def special_paths(workdir):
    """(label, path) for files that are not ordinary logs."""
    def write(name, data):
        path = os.path.join(workdir, name)
        with open(path, "wb") as f:
            f.write(data)
        return path

    fifo = os.path.join(workdir, "fifo.log")
    os.mkfifo(fifo)
    directory = os.path.join(workdir, "dir.log")
    os.mkdir(directory)
    dir_link = os.path.join(workdir, "dirlink.log")
    os.symlink(directory, dir_link)
    dangling = os.path.join(workdir, "dangling.log")
    os.symlink(os.path.join(workdir, "nowhere"), dangling)
    one = b"1/1 ABCDEFGH\r\n1) a b\r\nbody\r\n"
    file_link = os.path.join(workdir, "filelink.log")
    os.symlink(write("target.log", one), file_link)
    return [
        ("missing file", os.path.join(workdir, "missing.log")),
        ("directory", directory),
        ("FIFO", fifo),
        ("symlink to a directory", dir_link),
        ("dangling symlink", dangling),
        ("symlink to a log", file_link),
        ("empty file", write("empty.log", b"")),
        ("file without messages", write("nothing.log", b"hello\r\nworld\r\n")),
        ("UTF-8 name, no messages", write("日本語 ログ.log", b"x\n")),
        ("CP932 name with 0x5C trail, no messages",
         write(os.fsdecode(b"\x83\x5c\x95\x5c.log"), b"x\n")),
        ("one message", write("one.log", one)),
        ("LF and CR in the name, one message", write("line\nbreak\r.log", one)),
        ("LF and CR in the name, no messages", write("no\nmessages\r.log", b"x\n")),
        ("empty path", ""),
        ("relative path", os.path.relpath(write("relative.log", one))),
        ("trailing slash after a file name", file_link + "/"),
        ("character device /dev/null", "/dev/null"),
        ("endless character device /dev/zero", "/dev/zero"),
        ("regular file of size 0 with contents", "/proc/self/status"),
        ("relative missing path", os.path.relpath(os.path.join(workdir, "missing.log"))),
    ]


def pairs(count, tail=b""):
    return b"".join(b"%d/1 ABCDEFGH\r\n1) a b\r\nb%d\r\n" % (k + 1, k) for k in range(count)) + tail


# Hand-made logs for the documented edge cases; the generator meets most of them only by chance.
FIXED_FILES = [
    ("pair with ')'", b"1/1 ABCDEFGH\n1) a b\n"),
    ("second line led by spaces", b"1/1 ABCDEFGH\n a b\n"),
    ("two spaces before the ID", b"12/5  ABCDEFGH\n1) a b\n"),
    ("second line is the final piece", b"1/1 ABCDEFGH\n1) a b"),
    ("first line is the final piece", b"x\n1/1 ABCDEFGH"),
    ("CR before the first space", b"1/1\r ABCDEFGH\r\n1) a b\r\n"),
    ("CR-only line ends", b"1/1 ABCDEFGH\r1) a b\rbody\r"),
    ("last line without LF", b"1/1 ABCDEFGH\n1) a b\nbody\nlast line"),
    ("last line with CR LF", b"1/1 ABCDEFGH\n1) a b\nbody\nlast line\r\n"),
    ("one body line before the next pair", b"1/1 ABCDEFGH\n1) a b\nlost\n2/2 ABCDEFGH\n1) a b\n"),
    ("first line followed by a first line",
     b"2/2 ABCDEFGH\n1/1 ABCDEFGH\n1) a b\n3/3 ABCDEFGH\n1) a b\nx\n"),
    ("only NULs", b"\0" * 100),
    ("only LF", b"\n"),
    ("NUL inside the header", b"1/1 ABCDEFGH  NAME\0 title\n00007) 96/05/17 21:05  1\0\x82\xa0\n"),
    ("title cut at 254 bytes", b"1/1 ABCDEFGH  " + b"N" * 16 + b" " + b"\x95\x5c" * 150 + b"\n1) a b\n"),
    ("3000 pairs", pairs(3000)),
    ("3001 pairs", pairs(3001, b"tail\r\n")),
    ("one long body", b"1/1 ABCDEFGH\r\n1) a b\r\n" + b"body \\ line\t\r\n" * 60000),
    ("full buffer without LF", b"x" * 1_500_000),
]


def check_fixed(tool, workdir, tally):
    for n, (label, data) in enumerate(FIXED_FILES):
        path = os.path.join(workdir, "fixed-%d.log" % n)
        with open(path, "wb") as f:
            f.write(data)
        tally.record(label, path, compare(path, run_tool(tool, path)))


def check_special(tool, workdir, tally):
    for label, path in special_paths(workdir):
        # A FIFO nobody writes to must be refused, not read: a short timeout shows a hang.
        actual = run_tool(tool, path, timeout=10)
        problem = compare(path, actual)
        tally.record(label, path, problem)


class Tally:
    def __init__(self, workdir, keep_going):
        self.workdir = workdir
        self.keep_going = keep_going
        self.passed = 0
        self.failed = 0

    def record(self, label, path, problem):
        if problem is None:
            self.passed += 1
            return
        self.failed += 1
        print("FAIL %s: %r\n%s" % (label, path, problem), flush=True)
        if not self.keep_going:
            self.finish()

    def finish(self):
        if self.failed:
            print("failing files kept in %s" % self.workdir)
        else:
            shutil.rmtree(self.workdir, ignore_errors=True)
        if skipped:
            print("%d large files not compared in literal mode" % len(skipped))
        print("%d passed, %d failed" % (self.passed - len(skipped), self.failed))
        sys.exit(1 if self.failed else 0)


def main():
    parser = argparse.ArgumentParser(description=__doc__.strip().splitlines()[0])
    parser.add_argument("tool", nargs="?", default=os.environ.get("ZU_DUMP_TOOL"))
    parser.add_argument("--count", type=int, default=300)
    parser.add_argument("--seed", type=int, default=1, help="first seed")
    parser.add_argument("--literal", action="store_true",
                        help="reference walks byte by byte and re-reads bodies (slow)")
    parser.add_argument("--keep-going", action="store_true")
    parser.add_argument("--skip-special", action="store_true",
                        help="only the generated files")
    args = parser.parse_args()
    if not args.tool:
        parser.error("no dump tool: pass its path or set ZU_DUMP_TOOL")
    reader.LITERAL = args.literal

    workdir = tempfile.mkdtemp(prefix="zu_messages_ref_")
    tally = Tally(workdir, args.keep_going)
    started = time.monotonic()
    if not args.skip_special:
        special = os.path.join(workdir, "special")
        os.mkdir(special)
        check_special(args.tool, special, tally)
        check_fixed(args.tool, special, tally)
    for seed in range(args.seed, args.seed + args.count):
        kind, data = generate.generate(seed)
        path = os.path.join(workdir, "seed-%d.log" % seed)
        with open(path, "wb") as f:
            f.write(data)
        problem = compare(path, run_tool(args.tool, path))
        tally.record("seed %d (%s, %d bytes)" % (seed, kind, len(data)), path, problem)
        if problem is None:
            os.remove(path)
    print("%.1f s" % (time.monotonic() - started))
    tally.finish()


if __name__ == "__main__":
    main()
