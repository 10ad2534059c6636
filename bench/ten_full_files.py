#!/usr/bin/env python3
"""Writes the largest load the viewer takes: ten logs of exactly 1,500,000 bytes, 3000 messages each.

    ten_full_files.py DIR      writes DIR/log0.log .. DIR/log9.log and prints their paths

The bytes are those of bench/TenFullFiles.h (the header layout of tests/support/LogFiles.h, CR LF
line ends): a third of the messages start threads, the rest answer the message before or one
a few back, some a message of the file before. Bodies are seven lines of Japanese and ASCII,
so that the messages nearly fill the file; the last message's body is padded up to the buffer's
limit. Nothing is random, so the same files come out every time.
"""

import os
import sys

FILES = 10
MESSAGES = 3000
FILE_BYTES = 1_500_000

NAME = "田中 一郎".encode("cp932")
TITLE_HEAD = "Re:モデムの設定 ".encode("cp932")
BODY_HEAD = "モデムの設定について line ".encode("cp932")


def header(number, parent, title):
    line1 = b"%05d/00045 ABCD1234  %s %s" % (number, NAME.ljust(16, b" "), title)
    line2 = b"00007) 96/05/17 21:05  "
    line2 += (b"%05d" % parent if parent > 0 else b"") + "あ".encode("cp932")
    return line1 + b"\r\n" + line2 + b"\r\n"


def message(f, k):
    number = 1 + f * MESSAGES + k
    parent = -1
    if k % 3 == 1:
        parent = number - 1
    if k % 3 == 2:
        parent = number - MESSAGES if f > 0 and k % 9 == 2 else number - 2
    title = TITLE_HEAD + b"%d" % (number % 500)
    body = b"".join(BODY_HEAD + b"%d of message %d, settings\r\n" % (line, number) for line in range(7))
    return header(number, parent, title) + body + b"\r\n"


def file_of(f):
    text = bytearray(b"Forum log\r\n")
    for k in range(MESSAGES):
        text += message(f, k)
    assert len(text) <= FILE_BYTES - 2
    while len(text) < FILE_BYTES:
        left = FILE_BYTES - len(text)
        line = 100 if left >= 102 else left - 2
        text += b"p" * line + b"\r\n"
    return bytes(text)


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    directory = sys.argv[1]
    os.makedirs(directory, exist_ok=True)
    for f in range(FILES):
        path = os.path.join(directory, "log%d.log" % f)
        with open(path, "wb") as out:
            out.write(file_of(f))
        print(path)


if __name__ == "__main__":
    main()
