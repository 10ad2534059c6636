#!/usr/bin/env python3
"""Logs in other encodings and in an archive, as whole processes against the plain tools.

    source_ratios.py DUMP_TOOL MAKE_LZH [--runs N]

On the ten full files (ten_full_files.py), each pair taking turns at going first (tool_ratios.py):

    utf8   zu_kirdo_dump --raw tree log0 in UTF-8   vs  iconv -f UTF-8 -t CP932 of it     (goal <= 1x)
    eucjp  zu_kirdo_dump --raw tree log0 in EUC-JP  vs  iconv -f EUC-JP-MS -t CP932 of it (goal <= 1x)
    lzh    zu_kirdo_dump --raw tree ten.lzh          vs  bsdtar -xOf ten.lzh, then
           zu_kirdo_dump --raw tree log0..9 (goal <= 1.5x the first plus the second)

`tree` reads, guesses, converts and indexes the file, as every command opens one, and writes its
tree; iconv only converts. The in-process figures
(conversion alone, search through members) are bench_source's.
"""

import argparse
import os
import statistics
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import ten_full_files  # noqa: E402
from tool_ratios import measure, report, run  # noqa: E402


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("tool")
    parser.add_argument("make_lzh")
    parser.add_argument("--runs", type=int, default=30)
    options = parser.parse_args()
    tool = os.path.abspath(options.tool)
    with tempfile.TemporaryDirectory(prefix="zu_source_") as folder:
        files = []
        for f in range(ten_full_files.FILES):
            files.append(os.path.join(folder, "log%d.log" % f))
            with open(files[-1], "wb") as out:
                out.write(ten_full_files.file_of(f))
        for name, codec in [("utf8", "UTF-8"), ("eucjp", "EUC-JP-MS")]:
            converted = os.path.join(folder, "log0." + name)
            with open(converted, "wb") as out:
                subprocess.run(["iconv", "-f", "CP932", "-t", codec, files[0]], stdout=out, check=True)
            report(name, [tool, "--raw", "tree", converted], ["iconv", "-f", codec, "-t", "CP932", converted],
                   1.0, measure([tool, "--raw", "tree", converted],
                                ["iconv", "-f", codec, "-t", "CP932", converted], options.runs))
        lzh = os.path.join(folder, "ten.lzh")
        pairs = [arg for k, path in enumerate(files) for arg in (path, "log%d.log" % k)]
        subprocess.run([options.make_lzh, "-lh5-", "2", lzh, *pairs], check=True)
        ours = [tool, "--raw", "tree", lzh]
        unpack = ["bsdtar", "-xOf", lzh]
        plain = [tool, "--raw", "tree", *files]
        times = {"ours": [], "unpack": [], "plain": []}
        for command in (ours, unpack, plain):
            run(command)
        for k in range(options.runs):
            for side, command in [("ours", ours), ("unpack", unpack), ("plain", plain)][:: 1 if k % 2 else -1]:
                times[side].append(run(command)[0] * 1000)
        med = {side: statistics.median(t) for side, t in times.items()}
        print("lzh:")
        print("  median wall  ours %.1f ms; bsdtar -xOf %.1f ms; plain tree %.1f ms" % (med["ours"], med["unpack"], med["plain"]))
        print("  ours / (1.5 x bsdtar + plain) = %.2f (goal <= 1)" % (med["ours"] / (1.5 * med["unpack"] + med["plain"])))


if __name__ == "__main__":
    main()
