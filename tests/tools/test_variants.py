#!/usr/bin/env python3
"""Every form in which a log is passed around reads as its CP932 original.

    test_variants.py [--ten-full]

Each variant is made at test time from CP932 logs with the ordinary tools (iconv, nkf, gzip, xz,
bzip2, zip, bsdtar, and make_lzh for LZH, whose Debian writer loses CP932 member names). The
dump tool's raw messages of each file, and raw tree, search and print of the whole set, must be
the bytes that the originals give; only the F records' names may differ. The logs are the
samples, or with --ten-full the ten full logs of bench/ten_full_files.py.
"""

import os
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))
DUMP = os.environ["ZU_DUMP_TOOL"]
MAKE_LZH = os.environ["ZU_MAKE_LZH"]

NKF = "nkf -m0 -x"  # no MIME decoding; half-width kana kept
ENCODINGS = [  # from CP932 on stdin to the variant on stdout
    ("CP932", "cat"),
    ("EUC-JP by iconv", "iconv -f CP932 -t EUC-JP-MS"),
    ("EUC-JP by nkf", NKF + " -e"),
    ("ISO-2022-JP-3 by iconv", "iconv -f CP932 -t ISO-2022-JP-3"),
    ("ISO-2022-JP by nkf", NKF + " -j"),
    ("UTF-8 by iconv", "iconv -f CP932 -t UTF-8"),
    ("UTF-8 with BOM by nkf", NKF + " -w8"),
    ("UTF-16LE with BOM by iconv", "iconv -f CP932 -t UTF-16"),
    ("UTF-16BE with BOM by nkf", NKF + " -w16B"),
]
LINE_ENDS = [("CRLF", "cat"), ("LF", "tr -d '\\r'"), ("CR", "tr -d '\\n'")]
COMPRESSORS = [("gzip", "gzip -c"), ("xz", "xz -c"), ("bzip2", "bzip2 -c")]


def sh(command, data=None):
    return subprocess.run(command, shell=True, input=data, stdout=subprocess.PIPE, check=True).stdout


def dump(*args):
    r = subprocess.run([DUMP, "--raw", *args], stdout=subprocess.PIPE, stderr=subprocess.PIPE)
    return r.returncode, r.stdout, r.stderr


def without_names(tree):
    """A raw tree with the F records' names taken out."""
    return b"\n".join(b"\t".join(l.split(b"\t")[:3]) if l.startswith(b"F\t") else l for l in tree.split(b"\n"))


def set_outputs(paths, search_text):
    code, tree, err = dump("tree", *paths)
    assert code == 0 and not err, err
    return [without_names(tree),
            dump("search", "--from", "0:0", "--all", search_text, *paths)[1],
            dump("print", "--from", "0:0", *paths)[1]]


def archives(folder, originals, names):
    """Archives of all the logs, each member under its CP932 name, by their writers."""
    stage = os.path.join(folder, "stage")
    os.makedirs(stage)
    for original, name in zip(originals, names):
        with open(os.path.join(stage.encode(), name), "wb") as f:
            f.write(open(original, "rb").read())
    made = []
    for label, command in [("zip", ["zip", "-q", "-X"]), ("tar.gz", ["bsdtar", "-czf"]),
                           ("7z", ["bsdtar", "--format", "7zip", "-cf"])]:
        path = os.path.join(folder, "a." + label)
        subprocess.run(command + [path] + names, cwd=stage, check=True, stderr=subprocess.DEVNULL)
        made.append((label, path))
    for method, level in [("-lh5-", 0), ("-lh5-", 1), ("-lh5-", 2), ("-lh0-", 2), ("-lh7-", 1)]:
        path = os.path.join(folder, "a%s%d.lzh" % (method, level))
        pairs = [arg for original, name in zip(originals, names) for arg in (original.encode(), name)]
        subprocess.run([MAKE_LZH, method, str(level), path, *pairs], check=True)
        made.append(("LZH %s level %d" % (method, level), path))
    return made


def main():
    if "--ten-full" in sys.argv:
        scratch = tempfile.TemporaryDirectory(prefix="zu_ten_full_")  # removed when the run ends
        folder = scratch.name
        script = os.path.join(ROOT, "bench", "ten_full_files.py")
        originals = subprocess.run([sys.executable, script, folder], stdout=subprocess.PIPE, check=True).stdout.split()
        originals = [p.decode() for p in originals]
    else:
        originals = [os.path.join(ROOT, "samples", n) for n in ("fsoft_9604.log", "fsoft_9605.log", "fsoft_9606.log")]
    search_text = "\u3067\u3059".encode("cp932")  # です
    failures = []
    checked = 0
    with tempfile.TemporaryDirectory(prefix="zu_variants_") as folder:
        expected_messages = [dump("messages", p)[1] for p in originals]
        expected_set = set_outputs(originals, search_text)
        for enc_label, encode in ENCODINGS:
            for end_label, cut in LINE_ENDS:
                variants = []
                for k, original in enumerate(originals):
                    path = os.path.join(folder, "%d-%s-%s" % (k, enc_label.split()[0], end_label))
                    with open(path, "wb") as f:
                        f.write(sh(encode, sh(cut, open(original, "rb").read())))
                    variants.append(path)
                label = "%s, %s line ends" % (enc_label, end_label)
                for path, expected in zip(variants, expected_messages):
                    checked += 1
                    if dump("messages", path)[1] != expected:
                        failures.append("%s: messages of %s" % (label, os.path.basename(path)))
                checked += 1
                if set_outputs(variants, search_text) != expected_set:
                    failures.append("%s: tree, search or print" % label)
                if enc_label.startswith("UTF-8 by") and end_label == "LF":
                    for comp_label, compress in COMPRESSORS:
                        packed = []
                        for path in variants:
                            with open(path + "." + comp_label, "wb") as f:
                                f.write(sh(compress, open(path, "rb").read()))
                            packed.append(path + "." + comp_label)
                        checked += 1
                        if set_outputs(packed, search_text) != expected_set:
                            failures.append("%s inside %s" % (label, comp_label))
        names = ["\u30ed\u30b0%d\u6708.log".encode("cp932") % (k + 1) for k in range(len(originals))]  # ログN月.log
        for label, path in archives(folder, originals, names):
            checked += 1
            if set_outputs([path], search_text) != expected_set:
                failures.append("%s archive" % label)
    for f in failures:
        print("FAIL " + f)
    print("%d passed, %d failed" % (checked - len(failures), len(failures)))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
