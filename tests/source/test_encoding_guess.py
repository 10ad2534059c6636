#!/usr/bin/env python3
"""The encoding guess agrees with nkf --guess, the anchor, on every short text it is given.

Fragments of the samples holding 8 to 40 Japanese characters, and the samples themselves, are
written in CP932, EUC-JP, ISO-2022-JP-3 and UTF-8; the dump tool's `files` record of each names
the same encoding as nkf does (its several names for one family counted as one).
"""

import os
import subprocess
import sys
import tempfile

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
DUMP = os.environ["ZU_DUMP_TOOL"]

FAMILY = {"ASCII": "CP932", "Shift_JIS": "CP932", "CP932": "CP932", "EUC-JP": "EUC-JP",
          "EUCJP-MS": "EUC-JP", "CP51932": "EUC-JP", "EUC-JIS-2004": "EUC-JP",
          "ISO-2022-JP": "ISO-2022-JP", "CP50220": "ISO-2022-JP", "CP50221": "ISO-2022-JP",
          "UTF-8": "UTF-8", "UTF-16 LE": "UTF-16LE", "UTF-16 BE": "UTF-16BE"}
CODECS = ["cp932", "euc_jp", "iso2022_jp_3", "utf-8"]


def fragments(text, count=400):
    """Pieces of `text` that hold 8 to 40 characters beyond ASCII, spread over all of it."""
    lines = [l for l in text.splitlines() if sum(ord(c) > 0x7F for c in l) >= 8]
    out = []
    for k in range(count):
        line = lines[k * 7 % len(lines)]
        start = k * 3 % max(1, len(line) - 8)
        piece = line[start:]
        wide = 0
        for end, c in enumerate(piece):
            wide += ord(c) > 0x7F
            if wide >= 8 + k % 33:
                piece = piece[:end + 1]
                break
        if sum(ord(c) > 0x7F for c in piece) >= 8:
            out.append(piece)
    return out


def main():
    samples = [open(os.path.join(ROOT, "samples", n), "rb").read()
               for n in ("fsoft_9604.log", "fsoft_9605.log", "fsoft_9606.log")]
    texts = [s.decode("cp932") for s in samples]
    with tempfile.TemporaryDirectory(prefix="zu_guess_") as folder:
        paths = []
        for codec in CODECS:
            for k, piece in enumerate(texts + fragments("\n".join(texts))):
                try:
                    data = piece.encode(codec)
                except UnicodeEncodeError:
                    continue  # ① and its like have no place in plain EUC-JP
                path = os.path.join(folder, "%s-%d" % (codec, k))
                open(path, "wb").write(data)
                paths.append(path)
        nkf = subprocess.run(["nkf", "--guess", *paths], stdout=subprocess.PIPE, check=True).stdout
        theirs = {}
        for line in nkf.decode().splitlines():
            path, guess = line.split(": ", 1)
            theirs[path] = FAMILY.get(guess.split(" (")[0], guess)
        ours = subprocess.run([DUMP, "--raw", "files", *paths], stdout=subprocess.PIPE).stdout
        failures = 0
        for record in ours.split(b"\n"):
            if not record:
                continue
            fields = record.split(b"\t")
            path, guess = fields[0].decode(), fields[2].decode()
            if guess != theirs[path]:
                failures += 1
                print("FAIL %s: nkf %s, ours %s: %r" % (os.path.basename(path), theirs[path], guess,
                                                       open(path, "rb").read()[:60]))
    print("%d passed, %d failed" % (len(paths) - failures, failures))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
