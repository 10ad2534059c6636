#!/usr/bin/env python3
"""The reference reader checked against the documented examples, so that a fault in the
reference cannot hide a fault in the C++ build (both would then agree)."""

import os
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from zu_reference import raw, reader  # noqa: E402
from zu_reference.reader import LogFile, atoi, field_of, is_header_line1, is_header_line2, sub_text  # noqa: E402,E501

LINE1 = b"00123/00045 ABCD1234  SAMPLE USER      Sample title"
LINE2 = b"00007) 96/05/17 21:05  00120\x82\xa0"


class TextRules(unittest.TestCase):
    def test_atoi(self):
        rows = [
            (b"", 0), (b"12x", 12), (b"  -12", -12), (b"+5", 5), (b"--1", 0), (b"+-1", 0),
            (b"\t\n\x0b\x0c\r 7", 7),
            (b"\x85" + b"7", 0),           # 0x85 is not white space in the C locale
            (b"2147483647", 2147483647),
            (b"2147483648", -2147483648),  # wraps silently
            (b"4294967297", 1),
            (b"-4294967295", 1),
            (b"12\x003", 12),              # a NUL ends the text
        ]
        for text, expected in rows:
            self.assertEqual(atoi(text), expected, text)

    def test_sub_text(self):
        rows = [
            (b"abc", 1, 10, b"bc"), (b"abc", 3, 5, b""), (b"abc", 4, 5, b""),
            (b"abc", 1, 0, b""), (b"", 0, 3, b""), (b"abc", 0, 0, b"a"),
        ]
        for src, start, to, expected in rows:
            self.assertEqual(sub_text(src, start, to), expected, (src, start, to))

    def test_field_of(self):
        rows = [
            (b"  a b", 0, False, b""),  # a run at the start counts: field 0 is empty
            (b"  a b", 1, True, b"a"),
            (b"a  b", 1, True, b"b"),
            (b"a b ", 2, False, b""),
            (b"a", 0, True, b"a"),
            (b"", 0, False, b""),
            (b"1) a b", 2, True, b"b"),
        ]
        for src, n, present, expected in rows:
            self.assertEqual(field_of(src, n, ord(" ")), (present, expected), (src, n))


class HeaderShapes(unittest.TestCase):
    def test_first_line(self):
        rows = [
            (LINE1, True), (b"1/1 ABCDEFGH", True), (b"12/5  ABCDEFGH", True),
            (b"12x/5y ABCD1234", True), (b"\t12/5 ABCDEFGH", True),
            (b"12/5 \tABCDEFG", True),       # a TAB is no separator: it is part of the ID
            (b"4294967297/1 ABCDEFGH", True),  # wraps to 1
            (b"12/5 ABCDEFG", False), (b"12 /5 ABCDEFGH", False), (b"/12/5 ABCDEFGH", False),
            (b"12/ 5 ABCDEFGH", False), (b"0/5 ABCDEFGH", False), (b"-3/5 ABCDEFGH", False),
            (b"12/5 ABCDEFGHI", False), (b"12/5", False),
        ]
        for line, expected in rows:
            self.assertEqual(is_header_line1(line), expected, line)

    def test_second_line(self):
        rows = [
            (LINE2, True), (b"1) a b", True), (b" a b", True), (b"12345) a b", True),
            (b"a b c", True), (b"123456) a b", False), (b"ab cd", False), (b")1 a b", False),
            (b"", False), (b"1) a", False),
        ]
        for line, expected in rows:
            self.assertEqual(is_header_line2(line), expected, line)


SCRATCH = tempfile.TemporaryDirectory(prefix="zu_ref_self_")  # removed when the tests end


def log_of(data):
    path = os.path.join(tempfile.mkdtemp(dir=SCRATCH.name), "t.log")
    with open(path, "wb") as f:
        f.write(data)
    log = LogFile()
    return log, log.open(path), path


class Reader(unittest.TestCase):
    def test_documented_example(self):
        data = (b"other text\r\n" + LINE1 + b"\r\n" + LINE2 + b"\r\nbody 1\r\nbody 2\r\n\r\n"
                + b"1/1 ABCDEFGH\r\n1) a b\r\n")
        log, ok, _ = log_of(data)
        self.assertTrue(ok)
        self.assertEqual(log.count(), 2)
        self.assertEqual(log.message_starts[:3], [12, len(data) - 22, -1])
        self.assertEqual((log.get_number(0), log.get_parent_number(0)), (123, 120))
        self.assertEqual(log.get_sender_id(0), b"ABCD1234")
        self.assertEqual(log.get_sender_name(0), b"SAMPLE USER     ")
        self.assertEqual(log.get_title(0), b"Sample title")
        self.assertEqual((log.get_date(0), log.get_time(0)), (b"96/05/17", b"21:05"))
        self.assertEqual([log.get_body_line(0, j) for j in range(3)],
                         [b"body 1", b"body 2", None])
        self.assertEqual((log.get_sender_name(1), log.get_title(1)), (b"", b""))
        self.assertEqual(log.find_number(123), 123)
        self.assertEqual(log.find_number(5), -1)

    def test_lines(self):
        long_line = b"\x82\xa0" * 127 + b"\x82\xa0tail"  # the cut falls after 254 bytes
        log, _, _ = log_of(b"a\rb\0c\r\n" + long_line + b"\nlast")
        self.assertEqual(log.read_line(0), (7, b"ab"))
        self.assertEqual(log.read_line(7), (7 + len(long_line) + 1, long_line[:254]))
        self.assertEqual(log.read_line(log.data_length - 4), (-1, b"last"))
        self.assertEqual(log.read_line(log.data_length), (-1, b""))
        self.assertEqual(log.read_line(log.data_length + 1), (-1, b""))

    def test_second_line_as_final_piece_is_indexed(self):
        log, ok, _ = log_of(b"1/1 ABCDEFGH\n1) a b")
        self.assertTrue(ok)
        log, ok, _ = log_of(b"x\n1/1 ABCDEFGH")
        self.assertFalse(ok)
        self.assertEqual(log.count(), 0)

    def test_first_line_before_a_true_first_line_hides_it(self):
        log, _, _ = log_of(b"2/2 ABCDEFGH\n1/1 ABCDEFGH\n1) a b\n3/3 ABCDEFGH\n1) a b\n")
        self.assertEqual(log.count(), 1)
        self.assertEqual(log.get_number(0), 3)

    def test_parent_number(self):
        tails = [
            (b"  42\x82\xa0", 42), (b"0\x82\xa0", -1), (b"42", -1), (b"\x82\xa0", -1),
            (b"42\x83\x82", 42),  # the trail byte 0x82 ends the digits as well
            (b"-5\x82\xa0", -1),
        ]
        for tail, expected in tails:
            log, _, _ = log_of(b"1/1 ABCDEFGH\n00007) 96/05/17 21:05  " + tail + b"\n")
            self.assertEqual(log.get_parent_number(0), expected, tail)

    def test_date_and_time(self):
        rows = [
            (b"00007)  96/05/17 21:05", b"", b"96/05/17"),  # space at position 7
            (b"1) a b", b"", b""),
            (b"1 2 3) 96/05/17", b"96/05/17", b""),  # no time token after the date
        ]
        for line2, date, time in rows:
            log, _, _ = log_of(b"1/1 ABCDEFGH\n" + line2 + b"\n")
            self.assertEqual((log.get_date(0), log.get_time(0)), (date, time), line2)

    def test_title_threshold(self):
        base = b"1/1 ABCDEFGH  NAME             "  # p = 4, so the title starts at 31
        log, _, _ = log_of(base + b"T" * 6 + b"\n1) a b\n")   # 37 bytes
        self.assertEqual(log.get_title(0), b"")
        log, _, _ = log_of(base + b"T" * 7 + b"\n1) a b\n")   # 38 bytes
        self.assertEqual(log.get_title(0), b"T" * 7)

    def test_body_ends(self):
        log, _, _ = log_of(b"1/1 ABCDEFGH\n1) a b\nb0\nb1\nlost\n2/2 ABCDEFGH\n1) a b\nc0\nlast")
        self.assertEqual(log.body_lines(0), [b"b0", b"b1"])
        self.assertEqual(log.body_lines(1), [b"c0"])
        self.assertIsNone(log.get_body_line(1, -1))

    def test_3001_pairs(self):
        pair = b"%d/1 ABCDEFGH\r\n1) a b\r\n"
        log, ok, _ = log_of(b"".join(pair % (k + 1) for k in range(3001)) + b"x\r\n")
        self.assertTrue(ok)
        self.assertEqual(log.count(), 3000)
        self.assertEqual(log.body_lines(2999), [b"3001/1 ABCDEFGH", b"1) a b", b"x"])
        self.assertEqual((log.get_number(3000), log.get_body_line(3000, 0)), (-1, None))

    def test_failed_open_keeps_previous_file(self):
        log, _, path = log_of(b"1/1 ABCDEFGH\n1) a b\n")
        self.assertFalse(log.open(path + ".missing"))
        self.assertFalse(log.open(os.path.dirname(path)))
        self.assertEqual((log.file_name, log.count()), (path, 1))

    def test_buffer_size_limit(self):
        log, ok, _ = log_of(b"1/1 ABCDEFGH\n1) a b\n".ljust(reader.BUFFER_SIZE, b"x"))
        self.assertTrue(ok)
        log, ok, path = log_of(b"1/1 ABCDEFGH\n1) a b\n".ljust(reader.BUFFER_SIZE + 1, b"x"))
        self.assertFalse(ok)
        self.assertEqual((log.file_name, log.count()), (path, -1))


class RawOutput(unittest.TestCase):
    def test_escapes(self):
        self.assertEqual(raw.record(b"B", b"a\tb\\c\x95\x5c"), b"B\ta\\tb\\\\c\x95\\\\\n")
        self.assertEqual(raw.record(b"M", -1, 3), b"M\t-1\t3\n")
        self.assertEqual(raw.record(b"F", b"a\nb\rc\r\n"), b"F\ta\\nb\\rc\\r\\n\n")
        self.assertEqual(raw.open_failed_message(b"d\\e\nf\r"), "d\\e\\nf\\rを開けませんでした\n")

    def test_messages(self):
        _, _, path = log_of(b"1/1 ABCDEFGH\n00007) 96/05/17 21:05  42\x82\xa0\nb\tx\n")
        status, out, err = raw.messages_raw(path)
        self.assertEqual((status, err), (0, ""))
        self.assertEqual(out, b"M\t0\t1\t42\tABCDEFGH\t\t\t96/05/17\t21:05\nB\tb\\tx\n")
        self.assertEqual(raw.messages_raw(path + "x"),
                         (1, b"", path + "xを開けませんでした\n"))


if __name__ == "__main__":
    unittest.main()
