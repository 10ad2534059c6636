#!/usr/bin/env python3
"""The reference's own rules on small hand-made cases, so that a comparison that agrees with
the dump tool agrees with the rules and not with a shared mistake."""

import os
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from zu_reference import dump  # noqa: E402
from zu_reference.logset import LogSet  # noqa: E402
from zu_reference.printing import line_pieces  # noqa: E402
from zu_reference.search import text_contains  # noqa: E402


def cp(text):
    return text.encode("cp932")


def message(number, parent=0, title=b"t", body=(), name=b"NAME", uid=b"ABCD1234"):
    line1 = b"%05d/00001 %s  %-16s %s" % (number, uid, name, title)
    line2 = b"00001) 96/05/17 21:05  " + (b"%05d\x82\xa0" % parent if parent else b"")
    return b"".join(line + b"\r\n" for line in [line1, line2, *body, b"----"])


class Folder:
    """A temporary working folder with log files named f0.log, f1.log, ..."""

    def __enter__(self):
        self.home = os.getcwd()
        self.folder = tempfile.TemporaryDirectory()
        os.chdir(self.folder.name)
        return self

    def __exit__(self, *exc):
        os.chdir(self.home)
        self.folder.cleanup()

    def files(self, *contents):
        paths = []
        for k, data in enumerate(contents):
            path = b"f%d.log" % k
            if data is not None:  # None stands for a file that is not there
                with open(path, "wb") as f:
                    f.write(data)
            paths.append(path)
        return paths


def tree_lines(paths):
    status, out, err = dump.tree_raw(paths)
    return status, out.decode("cp932").splitlines(), err


class TextContainsTest(unittest.TestCase):
    def test_rows(self):
        rows = [
            (b"112", b"12", True),  # a partial match starts again at the next character
            (b"aaab", b"aab", True),
            (b"4512", b"12", True),
            (b"xABCx", b"abc", True),
            (b"aBc", b"ABC", True),
            (cp("ＡＢＣ"), b"ABC", False),  # full-width letters only match themselves
            (cp("ア"), b"A", False),  # 0x83 0x41: the trail byte is no character of its own
            (cp("ア"), b"a", False),
            (cp("xアA"), b"a", True),
            (cp("表") + b"\\", b"\\", True),  # 0x95 0x5C, then a real backslash
            (cp("表"), b"\\", False),
            (b"ab\x83", b"\x83", True),  # a lead byte at the end is a character by itself
            (cp("アイ"), b"\x41\x83", False),  # would only match across a character boundary
            (b"NAME            ", b"E  ", True),  # padding spaces of the name column
            (b"", b"a", False),  # an empty text holds nothing
            (b"\xb1a", b"\xb1A", True),  # half-width kana is single-byte; letters still fold
            (b"\xb1", b"\xd1", False),
        ]
        for text, pattern, expected in rows:
            self.assertEqual(text_contains(text, pattern), expected, (text, pattern))


class LinePiecesTest(unittest.TestCase):
    def test_rows(self):
        rows = [
            (b"", 10, []),  # an empty line has no piece
            (b"abcdef", 4, [b"abcd", b"ef"]),
            (b"\tab", 5, [b"    a", b"b"]),  # tab: four columns, four spaces
            (cp("あ") + b"\tx", 6, [cp("あ") + b"    ", b"x"]),  # tab after a double-byte char
            (cp("アイウ"), 5, [cp("アイ"), cp("ウ")]),  # never split a character
            (cp("ア"), 1, [cp("ア")]),  # at least one character a piece
            (b"\t\t", 3, [b"    ", b"    "]),
            (b"ab\x83", 3, [b"ab\x83"]),  # a lone lead byte at the end takes one column
            (b"\x83\t", 1, [b"\x83\t"]),  # a lead byte takes the tab as its trail byte
            (b"\t" * 70, 1000, [b" " * 252, b" " * 28]),  # at most 255 bytes a piece
        ]
        for line, width, expected in rows:
            self.assertEqual(line_pieces(line, width), expected, (line, width))


class TreeTest(unittest.TestCase):
    def test_files_in_order_of_first_numbers(self):
        with Folder() as folder:
            paths = folder.files(message(500), message(100), message(100, title=b"second"))
            status, lines, _ = tree_lines(paths)
        self.assertEqual(status, 0)
        self.assertEqual(lines[:3], ["F\t0\t2\tf0.log", "F\t1\t0\tf1.log", "F\t2\t1\tf2.log"])
        self.assertEqual(lines[3:], ["N\t0\t1\t0\tt", "N\t0\t2\t0\tsecond", "N\t0\t0\t0\tt"])

    def test_placeholders_and_late_parents(self):
        log = (message(1, title=b"top") + message(2, 37, b"on37") + message(3, 4, b"early")
               + message(4, title=b"four") + message(5, 4, b"late") + message(6, 37, b"on37b"))
        with Folder() as folder:
            _, lines, _ = tree_lines(folder.files(log))
        self.assertEqual(lines[1:], [
            "N\t0\t0\t0\ttop", "P\t0\t\t\t37", "N\t1\t0\t1\ton37", "N\t1\t0\t5\ton37b",
            "P\t0\t\t\t4", "N\t1\t0\t2\tearly", "N\t0\t0\t3\tfour", "N\t1\t0\t4\tlate"])

    def test_first_copy_in_row_order_decides(self):
        # Row 0 starts at 50 and ranks after row 1 (first number 10), which holds a second 50.
        row0 = message(50, title=b"r0")
        row1 = message(10, title=b"r1") + message(50, title=b"copy") + message(11, 50, b"c")
        with Folder() as folder:
            _, lines, _ = tree_lines(folder.files(row0, row1))
        self.assertEqual(lines[2:], ["N\t0\t1\t0\tr1", "N\t0\t1\t1\tcopy", "P\t0\t\t\t50",
                                     "N\t1\t1\t2\tc", "N\t0\t0\t0\tr0"])

    def test_limit_and_failures(self):
        with Folder() as folder:
            contents = [message(k + 1) for k in range(12)]
            contents[3] = None  # missing
            contents[5] = b"no header pair\r\n"
            status, lines, err = tree_lines(folder.files(*contents))
        self.assertEqual(status, 0)
        self.assertEqual(sum(line.startswith("F") for line in lines), 10)
        self.assertEqual(err, "f3.logを開けませんでした\nf5.logを開けませんでした\n")

        with Folder() as folder:
            status, lines, err = tree_lines(folder.files(*[message(k + 1) for k in range(12)]))
        self.assertEqual(err, "一度に11以上のﾌｧｲﾙを開けません\n" * 2)
        with Folder() as folder:
            self.assertEqual(tree_lines(folder.files(None, b"")), (
                1, [], "f0.logを開けませんでした\nf1.logを開けませんでした\n"))

    def test_paths_with_line_breaks(self):
        # A raw field escapes LF and CR with TAB and backslash; a warning escapes only LF and CR.
        with Folder():
            with open(b"a\nb\\c.log", "wb") as f:
                f.write(message(1))
            status, lines, err = tree_lines([b"x\\y\r.log", b"a\nb\\c.log"])
        self.assertEqual(status, 0)
        self.assertEqual(lines, ["F\t0\t0\ta\\nb\\\\c.log", "N\t0\t0\t0\tt"])
        self.assertEqual(err, "x\\y\\r.logを開けませんでした\n")


class SearchTest(unittest.TestCase):
    def search(self, logs, *args):
        with Folder() as folder:
            status, out, err = dump.search_raw([os.fsencode(a) if isinstance(a, str) else a
                                                for a in args] + folder.files(*logs))
        return status, out.decode("ascii").splitlines(), err

    def test_walk_and_stops(self):
        a = message(300, body=[b"x"]) + message(301, body=[b"y"])
        b = message(100, body=[b"x"]) + message(112, body=[b"x"])
        logs = [a, b]
        end = "検索末尾まで検索しました\n"
        self.assertEqual(self.search(logs, "--from", "1:0", "--all", "x"),
                         (0, ["1\t1", "0\t0"], end))
        self.assertEqual(self.search(logs, "--from", "0:1", "--up", "--all", "x"),
                         (0, ["0\t0", "1\t1", "1\t0"], end))
        self.assertEqual(self.search(logs, "--from", "0:1", "x"), (1, [], end))
        self.assertEqual(self.search(logs, "--from", "1:0", "--fields", "1", "12"),
                         (0, ["1\t1"], ""))
        self.assertEqual(self.search(logs, "--from", "1:0", "--fields", "0", "x"),
                         (1, [], "検索タイプを指定してください\n"))
        self.assertEqual(self.search(logs, "--from", "1:0", "--fields", "-1", "x"),
                         (1, [], "検索タイプを指定してください\n"))
        self.assertEqual(self.search(logs, "--from", "2:0", "x")[0], dump.Usage)
        self.assertEqual(self.search(logs, "--from", "0:2", "x")[0], dump.Usage)
        self.assertEqual(self.search(logs, "--from", "0:0", "")[0], dump.Usage)
        self.assertEqual(self.search(logs, "--from", "0:0", "a" * 256)[0], dump.Usage)


class PrintTest(unittest.TestCase):
    def print_job(self, log, *args):
        # A message after it, so that the closing "----" line is not part of the body.
        with Folder() as folder:
            status, out, _ = dump.print_raw([a.encode("ascii") for a in args]
                                            + folder.files(log + message(99)))
        return status, out.decode("cp932").splitlines()

    def test_short_message(self):
        log = message(7, title=b"T", body=[b"one", b"", b"\ttwo"])
        status, lines = self.print_job(log, "--from", "0:0")
        self.assertEqual(status, 0)
        self.assertEqual(lines, [
            "1\t1\t/----- T -----/  [ZU_Kirdo for Windows95 Ver2.0]",
            "1\t4\t" + "_/" * 19,
            "1\t5\t*発言番号=7",
            "1\t6\t*発信者名=NAME" + " " * 12,  # the whole column
            "1\t7\t*発信者ID=ABCD1234",
            "1\t8\t*発信時間=96/05/17  21:05",
            "1\t9\t" + "_/" * 19,
            "1\t12\tone",
            "1\t13\t    two",  # the blank line took no line
        ])

    def test_page_breaks(self):
        # LH 10 and page height 149: bottom limit 119, so line 12 is the last of a page.
        log = message(7, title=b"T", body=[b"a", b"b", b"c"])
        _, lines = self.print_job(log, "--from", "0:0", "--line-height", "10",
                                  "--page-height", "149")
        banner = "/----- T -----/  [ZU_Kirdo for Windows95 Ver2.0]"
        self.assertEqual(lines[7:], ["1\t12\ta", "2\t1\t" + banner, "2\t4\tb", "2\t5\tc"])
        # The last piece drawn below the limit starts no page of its own.
        _, lines = self.print_job(message(7, body=[b"a"]), "--from", "0:0",
                                  "--line-height", "10", "--page-height", "149")
        self.assertEqual(lines[-1], "1\t12\ta")
        _, lines = self.print_job(log, "--from", "0:0", "--line-height", "10",
                                  "--page-height", "150")  # line 12 at the limit is not below it
        self.assertEqual(lines[7:], ["1\t12\ta", "1\t13\tb", "2\t1\t" + banner, "2\t4\tc"])


if __name__ == "__main__":
    unittest.main()
