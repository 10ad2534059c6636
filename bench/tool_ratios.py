#!/usr/bin/env python3
"""The dump tool against the plain tools on the same bytes, as whole processes.

    tool_ratios.py DUMP_TOOL [--runs N] [--dir DIR]

Writes the ten full files (ten_full_files.py) into DIR (a temporary folder by default) and runs
each pair below N times, the two commands one right after the other, taking turns at going first,
so that both meet the same load on a shared machine. For each pair it prints the medians of either
side's wall time, user and system CPU time and page faults, and the medians of the per-pair ratios
of wall and CPU time: a ratio moves with the machine, the figures beside it say how.

    tree      zu_kirdo_dump --raw tree log0..9              vs  cat log0..9            (goal <= 2x)
    search    zu_kirdo_dump --raw search ... ZZZQQQ log0..9 vs  grep -c -F -i ZZZQQQ   (goal <= 3x)
    messages  zu_kirdo_dump messages log0                   vs  iconv -f CP932 -t UTF-8 (goal <= 1x)

Standard output of every command goes to /dev/null. A figure is meaningful only from a Release
build (make bench builds one: build-bench/tools/zu_kirdo_dump).
"""

import argparse
import os
import statistics
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import ten_full_files  # noqa: E402


def pairs(tool, files):
    return [
        ("tree", [tool, "--raw", "tree", *files], ["cat", *files], 2.0),
        ("search", [tool, "--raw", "search", "--from", "0:0", "--fields", "31", "--all", "ZZZQQQ",
                    *files], ["grep", "-c", "-F", "-i", "ZZZQQQ", *files], 3.0),
        ("messages", [tool, "messages", files[0]], ["iconv", "-f", "CP932", "-t", "UTF-8", files[0]],
         1.0),
    ]


def run(command):
    """Wall time, CPU time (user + system), user time and system time in seconds, and page faults
    (minor and major) of one whole process."""
    start = time.perf_counter()
    child = subprocess.Popen(command, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    _, _, usage = os.wait4(child.pid, 0)
    wall = time.perf_counter() - start
    child.returncode = 0  # reaped above
    return (wall, usage.ru_utime + usage.ru_stime, usage.ru_utime, usage.ru_stime,
            usage.ru_minflt + usage.ru_majflt)


def measure(ours, theirs, runs):
    for command in (ours, theirs):  # warm the page cache and the loader
        run(command)
    times = {"ours": [], "theirs": []}
    for k in range(runs):
        order = [("ours", ours), ("theirs", theirs)]
        if k % 2:
            order.reverse()
        for side, command in order:
            times[side].append(run(command))
    return times


def report(name, ours, theirs, goal, times):
    wall_ratio = statistics.median(a[0] / b[0] for a, b in zip(times["ours"], times["theirs"]))
    cpu_ratio = statistics.median(a[1] / max(b[1], 1e-4) for a, b in zip(times["ours"], times["theirs"]))
    med = {side: [statistics.median(t[k] for t in ts) * (1000 if k < 4 else 1) for k in range(5)]
           for side, ts in times.items()}
    print("%s:" % name)
    print("  ours:   %s" % " ".join(ours[:4] + ["..."] if len(ours) > 6 else ours))
    print("  theirs: %s" % " ".join(theirs[:4] + ["..."] if len(theirs) > 6 else theirs))
    print("  median wall  %.1f ms vs %.1f ms, paired ratio %.2fx (goal <= %.1fx)"
          % (med["ours"][0], med["theirs"][0], wall_ratio, goal))
    print("  median CPU   %.1f ms vs %.1f ms, paired ratio %.2fx" % (med["ours"][1], med["theirs"][1], cpu_ratio))
    print("  median user  %.1f ms vs %.1f ms, system %.1f ms vs %.1f ms, page faults %d vs %d"
          % (med["ours"][2], med["theirs"][2], med["ours"][3], med["theirs"][3], med["ours"][4], med["theirs"][4]))


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("tool")
    parser.add_argument("--runs", type=int, default=40)
    parser.add_argument("--dir")
    parser.add_argument("--only", choices=["tree", "search", "messages"])
    options = parser.parse_args()
    tool = os.path.abspath(options.tool)
    with tempfile.TemporaryDirectory(prefix="zu_ten_") as scratch:
        directory = options.dir or scratch
        files = [os.path.join(directory, "log%d.log" % f) for f in range(ten_full_files.FILES)]
        if not all(os.path.isfile(p) for p in files):
            for f, path in enumerate(files):
                with open(path, "wb") as out:
                    out.write(ten_full_files.file_of(f))
        for name, ours, theirs, goal in pairs(tool, files):
            if options.only and name != options.only:
                continue
            report(name, ours, theirs, goal, measure(ours, theirs, options.runs))


if __name__ == "__main__":
    main()
