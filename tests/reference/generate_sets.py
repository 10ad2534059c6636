#!/usr/bin/env python3
"""Random sets of forum log files, seeded, for comparing the dump tool's tree, search and print.

A set is what a user might choose in one Open command: one to twelve paths, some of which fail
(missing, empty, a folder, a file without a header pair), overlapping logs that share message
numbers, files whose first numbers are equal, comments that come before their parents or whose
parents are in a later file or in no file at all. Now and then a set holds more than 3000
distinct missing parents, so that the placeholder table fills and some messages get no node.

The texts are salted with what trips byte-level code: TAB, backslash, double-byte characters
whose trail byte is 0x5C or an ASCII letter, half-width kana, lines near the 254-byte cut.

    generate_sets.py SEED DIR     writes one set into DIR and prints its paths
"""

import os
import random
import sys

KANA = "あいうえおかきくけこさしすせそたちつてとなにぬねのはまやらわをんアイウエオカキクケコ"
KANJI = "通信設定会議室掲示板佐藤鈴木山田加藤太郎花子表能予十申貼噂今日明日返事"
# Trail byte an ASCII letter: ア 0x83 0x41 (A), イ C, ウ E, エ G, オ I, Ｂ 0x82 0x61 (a), ヂ a.
LETTER_TRAIL = ["ア", "イ", "ウ", "エ", "オ", "Ｂ", "ヂ", "ａ", "ｂ"]
BACKSLASH_TRAIL = ["ソ", "表", "能", "予", "十", "申", "貼", "噂"]
HIGH_TRAIL = ["ム", "メ", "モ", "ャ", "ａ", "ｂ"]  # trail bytes 0x80 and above
HALF_KANA = bytes(range(0xA1, 0xE0))
WORDS = [b"hello", b"Forum", b"ABC", b"abc", b"aab", b"aaab", b"112", b"12", b"test", b"Re:",
         b"NIFTY", b"pc-van", b"x", b"ZU", b"kirdo", b"A", b"a", b"\\", b"C:\\DOS", b"\t"]

NoParent = 0

try:  # the reader's generator, for a few files with odd bytes in every line
    import generate as odd_files
except ImportError:
    odd_files = None


def cp(text):
    return text.encode("cp932")


class SetGen:
    def __init__(self, seed):
        self.rng = random.Random(seed)
        self.seed = seed

    def pick(self, seq):
        return self.rng.choice(seq)

    def chance(self, p):
        return self.rng.random() < p

    # ----- texts ---------------------------------------------------------------------------------

    def character(self):
        r = self.rng.random()
        if r < 0.25:
            return cp(self.pick(KANA))
        if r < 0.35:
            return cp(self.pick(KANJI))
        if r < 0.42:
            return cp(self.pick(LETTER_TRAIL))
        if r < 0.47:
            return cp(self.pick(BACKSLASH_TRAIL))
        if r < 0.52:
            return bytes([self.pick(HALF_KANA)])
        if r < 0.56:
            return self.pick([b"\t", b"\\", b"\x83\t", b"\x88\x9f\t", b"\x82\xa0\t"])
        if r < 0.60:
            return bytes([self.rng.randrange(0x81, 0xA0), self.rng.randrange(0x40, 0xFD)])
        if r < 0.75:
            return self.pick(WORDS)
        if r < 0.78:  # page break, controls, and high bytes that lead nothing
            return bytes([self.pick([0x0C, 0x0C, 0x01, 0x1B, 0x7F, 0x80, 0xA0, 0xFD, 0xFE, 0xFF])])
        return bytes([self.rng.randrange(0x20, 0x7F)])

    def text(self, max_bytes, min_bytes=0):
        out = bytearray()
        target = self.rng.randint(min_bytes, max_bytes)
        while len(out) < target:
            out += self.character()
        return bytes(out)

    def japanese(self, size):
        out = bytearray()
        while len(out) < size:
            out += cp(self.pick(KANA + KANJI)) if self.chance(0.9) else self.character()
        return bytes(out)

    def body_line(self, number):
        r = self.rng.random()
        if r < 0.12:
            return b""
        if r < 0.35:
            return self.text(self.pick([10, 40, 80]))
        if r < 0.5:
            return self.japanese(self.rng.randint(1, 160))
        if r < 0.6:  # near the reader's 254-byte cut, a double-byte character on the edge
            size = self.rng.randint(248, 262)
            line = bytes(self.japanese(size))[:size]
            return self.pick([line, b"a" + line, b"ab" * (size // 2)])
        if r < 0.7:
            return self.pick([b"\t", b"\t\t", b""]) + self.text(60)
        if r < 0.75:  # tabs after double-byte characters of both trail ranges
            return cp(self.pick(HIGH_TRAIL)) + b"\t" + cp(self.pick(LETTER_TRAIL)) + b"\tx\t"
        if r < 0.8:
            return b"x" * self.rng.randint(100, 300)
        if r < 0.85:
            return self.pick([b"%d" % number, b"%d" % (number + 100), b"1/1 ABCDEFGH",
                              b"  ", b"a b c", b"*\x94\xad\x8c\xbe\x94\xd4\x8d\x86=1"])
        if r < 0.9:
            return b"\t" * self.rng.randint(1, 80)
        return self.text(200, 100)

    def title(self):
        r = self.rng.random()
        if r < 0.5:
            return self.text(40, 1)
        if r < 0.7:
            return self.japanese(self.rng.randint(2, 60))
        if r < 0.8:
            return b""
        if r < 0.9:
            return self.pick([b"Re: ", b"RE:", b""]) + self.text(20)
        return self.text(250, 180)

    def name(self):
        r = self.rng.random()
        if r < 0.5:
            name = b"%s %s" % (self.pick([b"Taro", b"HANAKO", b"suzuki", b"Aab"]),
                               self.pick([b"Y", b"abc", b"  "]))
        elif r < 0.8:
            name = self.japanese(self.rng.randint(2, 16))
        else:
            name = self.text(17)
        name = name[:17]
        return name + b" " * (16 - len(name))

    def sender_id(self):
        if self.chance(0.1):
            return cp(self.pick(["アイウエ", "表能予十", "ａｂｃｄ"]))
        return b"%s%05d" % (self.pick([b"ABC", b"PFA", b"abc", b"Hij"]), self.rng.randrange(100000))

    # ----- messages and files ----------------------------------------------------------------

    def message(self, number, parent, body_lines):
        uid = self.sender_id()
        name = self.name()
        line1 = b"%05d/%05d %s  %s %s" % (number, self.rng.randint(1, 99999), uid, name,
                                          self.title())
        if self.chance(0.05):
            line1 = b"%d/%d %s" % (number, 1, uid)  # no name column, no title
        tail = b""
        if parent != NoParent:
            tail = b"%05d" % parent + self.pick([b"\x82\xa0", cp("へのコメント"), cp("の返事")])
        elif self.chance(0.3):
            tail = self.pick([b"00000\x82\xa0", b"", cp("新規")])
        line2 = b"%05d) 96/%02d/%02d %02d:%02d  " % (
            self.rng.randint(1, 99999), self.rng.randint(1, 12), self.rng.randint(1, 28),
            self.rng.randint(0, 23), self.rng.randint(0, 59)) + tail
        body = [self.body_line(number) for _ in range(body_lines)]
        return [line1, line2] + body + [self.pick([b"", b"-" * 20, b"  "])]

    def parent_for(self, number, numbers, missing):
        r = self.rng.random()
        if r < 0.3:
            return NoParent
        if r < 0.75 and numbers:
            return self.pick(numbers)  # may be earlier, later or in another file
        if r < 0.9:
            return self.pick(missing)
        return number + self.rng.randint(1, 5)  # often before its parent

    def log_file(self, numbers, all_numbers, missing, long_bodies):
        lines = [self.pick([b"", b"Forum log", cp("会議室ログ")]) for _ in range(self.pick([0, 1, 2]))]
        for number in numbers:
            body = self.rng.randint(0, 40 if long_bodies else 6)
            lines += self.message(number, self.parent_for(number, all_numbers, missing), body)
        ending = b"\r\n" if self.chance(0.8) else b"\n"
        return ending.join(lines) + ending

    def number_runs(self, count):
        """Message numbers of each file: runs that overlap, share first numbers, jump about."""
        runs = []
        for k in range(count):
            r = self.rng.random()
            if runs and r < 0.2:
                start = runs[-1][0]  # equal first numbers
            elif runs and r < 0.4:
                start = self.pick(runs)[0] + self.rng.randint(-3, 10)  # overlapping log
            else:
                start = self.rng.randint(1, 400)
            start = max(1, start)
            length = self.rng.randint(1, 25)
            run = [start + i for i in range(length) if not self.chance(0.1)] or [start]
            if self.chance(0.1):
                run += [self.pick(run) for _ in range(self.rng.randint(1, 3))]  # repeats
            if self.chance(0.1):
                self.rng.shuffle(run)
            runs.append(run)
        return runs

    def failing_file(self, directory, k):
        kind = self.pick(["missing", "empty", "plain", "folder"])
        name = b"bad%02d.log" % k
        if self.chance(0.3):
            name = self.pick([b"bad%02d\\.log" % k, b"bad%02d\t.log" % k, cp("不良%02d.log" % k),
                              b"bad%02d\r\n.log" % k])
        path = os.path.join(os.fsencode(directory), name)
        if kind == "empty":
            write(path, b"")
        elif kind == "plain":
            write(path, b"no messages here\r\n12/5 ABCDEFG\r\n" + cp("本文だけ") + b"\r\n")
        elif kind == "folder":
            os.mkdir(path)
        return path

    def odd_file(self, k):
        """A file from the reader's own generator, bent at the byte level, if it is at hand."""
        if odd_files is None:
            return None
        seed = self.seed * 100 + k
        if seed in getattr(odd_files, "SIZED", {}):
            return None  # the buffer-sized files are too slow to load over and over
        return odd_files.generate(seed)[1]

    def file_name(self, k):
        if self.chance(0.1):
            return self.pick([b"f%02d\\x.log" % k, b"f%02d\tx.log" % k, cp("ログ%02d.log" % k),
                              b"f%02d\nx\r.log" % k])
        return b"f%02d.log" % k

    def normal_set(self, directory):
        count = self.pick([1, 1, 2, 3, 4, 6, 9, 10, 11, 12])
        runs = self.number_runs(count)
        all_numbers = sorted({n for run in runs for n in run})
        missing = [n for n in range(1, 500) if n not in set(all_numbers)][:60] or [99999]
        long_bodies = self.chance(0.3)
        paths = []
        for k, run in enumerate(runs):
            if self.chance(0.15):
                paths.append(self.failing_file(directory, k))
            path = os.path.join(os.fsencode(directory), self.file_name(k))
            data = self.odd_file(k) if self.chance(0.08) else None
            write(path, data or self.log_file(run, all_numbers, missing, long_bodies))
            paths.append(path)
            if self.chance(0.05):  # the same file chosen twice, maybe by another spelling
                paths.append(self.pick([path, os.path.join(b".", path)]))
        return paths

    def full_placeholder_set(self, directory):
        """More than 3000 distinct missing parents over a few files: the table runs full."""
        files = self.pick([2, 3])
        wanted = 3000 + self.rng.randint(1, 300)  # distinct missing parents in all
        paths = []
        parent = 100000
        for k in range(files):
            lines = []
            share = (wanted - (parent - 100000)) // (files - k)
            i = 0
            while parent - 100000 < wanted and (share > 0 or k == files - 1):
                number = 10 * k + i + 1
                i += 1
                if self.chance(0.1):
                    target = NoParent
                elif self.chance(0.1):
                    target = self.rng.randint(100000, parent)  # an existing placeholder
                else:
                    parent += 1
                    share -= 1
                    target = parent
                lines += [b"%05d/00001 ABC%05d  %-16s %s" % (number, i, b"NAME", self.text(12)),
                          b"00001) 96/05/17 21:05  " + (b"%05d\x82\xa0" % target if target else b"")]
                lines += [self.text(30) for _ in range(self.pick([0, 1]))] + [b""]
            path = os.path.join(os.fsencode(directory), b"full%d.log" % k)
            write(path, b"\r\n".join(lines) + b"\r\n")
            paths.append(path)
        return paths

def write(path, data):
    with open(path, "wb") as f:
        f.write(data)


def make_set(seed, directory, allow_full=True):
    """Write the files of set `seed` into `directory`; give their paths (bytes) in dialog order."""
    gen = SetGen(seed)
    if allow_full and seed % 97 == 41:
        return gen.full_placeholder_set(directory)
    return gen.normal_set(directory)


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__.strip().splitlines()[-1])
    os.makedirs(sys.argv[2], exist_ok=True)
    for path in make_set(int(sys.argv[1]), sys.argv[2]):
        print(os.fsdecode(path))


if __name__ == "__main__":
    main()
