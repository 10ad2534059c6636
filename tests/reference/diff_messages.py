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


def run_reference(path):
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
                    report.append("    field %d: expected %r, actual %r" % (k, e, a))
                    break
        if n > 0:
            report.insert(1, "    after:    %r" % exp_lines[n - 1][:120])
        return "\n".join(report)
    return "  (outputs equal)"


def compare(path, actual):
    """None when the tool agrees with the reference, else a description."""
    expected = run_reference(path)
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
        ("empty path", ""),
    ]


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
        print("%d passed, %d failed" % (self.passed, self.failed))
        sys.exit(1 if self.failed else 0)


def main():
    parser = argparse.ArgumentParser(description=__doc__.strip().splitlines()[0])
    parser.add_argument("tool", nargs="?", default=os.environ.get("ZU_DUMP_TOOL"))
    parser.add_argument("--count", type=int, default=300)
    parser.add_argument("--seed", type=int, default=1, help="first seed")
    parser.add_argument("--literal", action="store_true",
                        help="reference walks byte by byte and re-reads bodies (slow)")
    parser.add_argument("--keep-going", action="store_true")
    parser.add_argument("--skip-special", action="store_true")
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
