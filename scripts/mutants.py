#!/usr/bin/env python3
"""Fault injection: how many small faults put into the code do the tests catch?

    mutants.py BUILD_DIR [--per-layer N] [--seed S] [--layers reader,core,...] [--list]
                         [--recheck LOG]

For each layer (a folder of the sources), picks N places at random (the same ones for the same
seed and sources) where one operator below changes the code, and for each in turn: writes the
changed file, rebuilds BUILD_DIR (a configured build of this checkout), runs the layer's tests
with ctest, and puts the file back. A mutant is killed when the build or a test fails; one whose
rebuilt object files are byte for byte the clean build's changed no compiled code (code for
another system, or a change the compiler proved to be none) and is counted apart, since no test
can catch it. A survivor that scripts/mutants-equivalent.txt lists, with the reason no input can
tell it from the code, is counted apart too, as argued equivalent: the list names the changed
line as it would read (a dropped call as "dropped: " and the call), so an entry lapses when the
code around it changes. Prints one line per
mutant and the kill rate per layer. Run it on a checkout of its own: it edits the sources.
--recheck LOG tries again only the mutants that LOG, an earlier run's output over the same
sources, lists as survivors: to see the tests written since catch them.

Operators: a comparison turned (== and !=, < and <=, > and >=), && and || swapped, true and false
swapped, a number moved by one, a ! dropped, a call statement dropped.
"""

import argparse
import hashlib
import os
import random
import re
import subprocess
import sys

LAYERS = {
    "reader": (["src/reader"], "reader|core|source|tools"),
    "core": (["src/core"], "core|source|tools|forms"),
    "text": (["src/text"], "text|source|tools|forms"),
    "source": (["src/source"], "source|tools"),
    "startup": (["src/startup"], "startup"),
    "forms": (["src/forms"], "forms"),
    "tools": (["tools"], "tools"),
}

OPERATORS = [
    ("==", r"(?<![=!<>])==(?!=)", "!="),
    ("!=", r"!=", "=="),
    ("<=", r"(?<![<])<=", "<"),
    ("<", r"(?<![<\w:])<(?![<=])(?=\s)", "<="),
    (">=", r"(?<![>-])>=", ">"),
    (">", r"(?<![>-])(?<=\s)>(?![>=])", ">="),
    ("&&", r"&&", "||"),
    ("||", r"\|\|", "&&"),
    ("true", r"\btrue\b", "false"),
    ("false", r"\bfalse\b", "true"),
    ("number", r"(?<![\w.])([1-9][0-9]*)(?![\w.])", None),
    ("!", r"\(!(?!=)", "("),
]

CALL_STATEMENT = re.compile(r"^\s*[\w:.\->()\[\]]+\([^;{}]*\);\s*$")
SKIP_LINE = re.compile(r"^\s*(#|//|\*|/\*)|static_assert|\boperator\b")


def code_lines(path):
    """(number, text) of the lines of a source file that are code, not comments or directives."""
    with open(path, encoding="utf-8", errors="surrogateescape") as f:
        lines = f.read().split("\n")
    out = []
    in_block = False
    for number, text in enumerate(lines):
        stripped = text.strip()
        if in_block:
            in_block = "*/" not in stripped
            continue
        if stripped.startswith("/*"):
            in_block = "*/" not in stripped
            continue
        if not stripped or SKIP_LINE.search(text) or '"' in text and stripped.startswith('"'):
            continue
        out.append((number, text))
    return lines, out


def candidates(root, folders):
    """Every (file, line number, operator, match start, match end, replacement) in the folders."""
    found = []
    for folder in folders:
        for dirpath, _, names in os.walk(os.path.join(root, folder)):
            for name in sorted(names):
                if not name.endswith((".cpp", ".h")) or name.startswith("make_"):
                    continue
                path = os.path.join(dirpath, name)
                _, lines = code_lines(path)
                for number, text in lines:
                    code = text.split("//")[0]
                    for label, pattern, replacement in OPERATORS:
                        for m in re.finditer(pattern, code):
                            if label == "number":
                                new = str(int(m.group(1)) + 1)
                            else:
                                new = replacement
                            found.append((path, number, label, m.start(), m.end(), new))
                    if CALL_STATEMENT.match(code) and "return" not in code:
                        found.append((path, number, "drop call", 0, len(text), ""))
    return sorted(found)


def argued_equivalent(root):
    """(path, changed line) of every mutant that scripts/mutants-equivalent.txt argues no test can
    tell from the code: lines of a path, a TAB and the changed line stripped; # starts a comment."""
    found = set()
    with open(os.path.join(root, "scripts", "mutants-equivalent.txt"), encoding="utf-8") as f:
        for line in f:
            if line.strip() and not line.startswith("#"):
                path, changed = line.rstrip("\n").split("\t", 1)
                found.add((path, changed.strip()))
    return found


def changed_line(mutant):
    """The mutant's line as it would read; a dropped call, which leaves no line, as "dropped: "
    and the call, so that the list names which one."""
    path, number, label, start, end, new = mutant
    with open(path, encoding="utf-8", errors="surrogateescape") as f:
        line = f.read().split("\n")[number]
    if label == "drop call":
        return "dropped: " + line.strip()
    return (line[:start] + new + line[end:]).strip()


def run(command, cwd, timeout):
    try:
        return subprocess.run(command, cwd=cwd, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                              timeout=timeout).returncode
    except subprocess.TimeoutExpired:
        return -1  # a hang counts as caught: the tests did not pass


def objects(build):
    """The build's object files: path -> (modification time, digest)."""
    found = {}
    for dirpath, _, names in os.walk(build):
        for name in names:
            if name.endswith(".o"):
                path = os.path.join(dirpath, name)
                found[path] = (os.stat(path).st_mtime_ns, None)
    return found


def digest(path):
    with open(path, "rb") as f:
        return hashlib.sha1(f.read()).hexdigest()


def same_objects(build, before):
    """Whether every object file rebuilt since `before` was taken is byte for byte what it was:
    the fault changed no compiled code (it lies where the preprocessor drops it, as code for
    another system, or the compiler proved it changes nothing)."""
    for path, (mtime, _) in objects(build).items():
        if path not in before:
            return False
        if mtime != before[path][0]:
            if before[path][1] is None:
                return False
            if digest(path) != before[path][1]:
                return False
    return True


def try_mutant(root, build, tests, mutant, jobs, test_timeout, before):
    path, number, label, start, end, new = mutant
    with open(path, encoding="utf-8", errors="surrogateescape") as f:
        original = f.read()
    lines = original.split("\n")
    lines[number] = lines[number][:start] + new + lines[number][end:]
    try:
        with open(path, "w", encoding="utf-8", errors="surrogateescape") as f:
            f.write("\n".join(lines))
        if run(["cmake", "--build", build, "-j", str(jobs)], root, 1800) != 0:
            return "killed (build)"
        if same_objects(build, before):
            return "equivalent (no compiled code changed)"
        env_tests = ["ctest", "-R", "^(%s)" % tests, "-j", str(jobs), "--timeout", str(test_timeout),
                     "--stop-on-failure"]
        if run(env_tests, build, 1800) != 0:
            return "killed"
        return "SURVIVED"
    finally:
        with open(path, "w", encoding="utf-8", errors="surrogateescape") as f:
            f.write(original)


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("build")
    parser.add_argument("--per-layer", type=int, default=20)
    parser.add_argument("--seed", type=int, default=2026)
    parser.add_argument("--layers", default=",".join(LAYERS))
    parser.add_argument("--jobs", type=int, default=os.cpu_count() or 2)
    parser.add_argument("--list", action="store_true", help="only list the chosen mutants")
    parser.add_argument("--recheck", metavar="LOG", help="only the mutants LOG lists as SURVIVED")
    parser.add_argument("--test-timeout", type=int, default=120,
                        help="seconds for one test; a mutant that makes a test hang costs this much")
    options = parser.parse_args()
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    build = os.path.abspath(options.build)
    os.environ.setdefault("QT_QPA_PLATFORM", "offscreen")
    before = {}
    if not options.list:
        # The clean build's objects, to tell a fault that changes no compiled code.
        run(["cmake", "--build", build, "-j", str(options.jobs)], root, 3600)
        before = {path: (mtime, digest(path)) for path, (mtime, _) in objects(build).items()}
    equivalents = argued_equivalent(root)
    survivors = None
    if options.recheck:
        with open(options.recheck, encoding="utf-8") as f:
            survivors = [line.split()[1:-1] for line in f if line.rstrip().endswith("SURVIVED")]
    totals = {}
    for layer in options.layers.split(","):
        folders, tests = LAYERS[layer]
        pool = candidates(root, folders)
        chosen = sorted(random.Random("%d/%s" % (options.seed, layer)).sample(pool, min(options.per_layer, len(pool))))
        killed = 0
        equivalent = 0
        argued = 0
        tried = 0
        for mutant in chosen:
            path, number, label, start, end, new = mutant
            where = "%s:%d %s" % (os.path.relpath(path, root), number + 1, label)
            if survivors is not None:
                if where.split() not in survivors:
                    continue
                survivors.remove(where.split())  # two alike on one line: each is tried once
            if options.list:
                print(where, "->", repr(new))
                continue
            tried += 1
            result = try_mutant(root, build, tests, mutant, options.jobs, options.test_timeout, before)
            if result == "SURVIVED" and (os.path.relpath(path, root), changed_line(mutant)) in equivalents:
                result = "SURVIVED, argued equivalent"
                argued += 1
            killed += result.startswith("killed")
            equivalent += result.startswith("equivalent")
            print("%-8s %-55s %s" % (layer, where, result), flush=True)
        totals[layer] = (killed, tried - equivalent, equivalent, argued)
    if not options.list:
        for layer, (killed, count, equivalent, argued) in totals.items():
            print("%-8s %d of %d killed (%d %%), %d more changed no compiled code; without the %d argued "
                  "equivalent: %d %%" % (layer, killed, count, 100 * killed // max(count, 1), equivalent, argued,
                                         100 * killed // max(count - argued, 1)))
    return 0


if __name__ == "__main__":
    sys.exit(main())
