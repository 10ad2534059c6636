"""A log file held in memory, its message index and the fields of its messages.

Everything works on ``bytes`` and counts bytes, as the viewer does: no byte is ever decoded.
A "text" here is what a C caller would see in its NUL-terminated line buffer, so every text
handed out stops before its first NUL byte.

Two ways to walk lines exist. The literal one (``LITERAL = True``) goes byte by byte exactly as
the rules read and re-walks a body from the message start for every line. The default one cuts
lines with ``bytes.find`` and caches body walks; both must give the same results, and
diff_messages.py can run either.
"""

import os
import stat

BUFFER_SIZE = 1_500_000
MAX_MESSAGES = 3000
MAX_LINE_BYTES = 254

LF = 0x0A
CR = 0x0D
SLASH = 0x2F
SPACE = 0x20
CLOSE_PAREN = 0x29
PARENT_END = 0x82

# Switch the whole module to the slow byte-by-byte walk (for cross-checking the fast one).
LITERAL = False


# ---------------------------------------------------------------- text rules

def text_of(b):
    """The text a C caller sees: the bytes before the first NUL."""
    nul = b.find(b"\0")
    return b if nul < 0 else b[:nul]


def sub_text(src, start, to):
    """Bytes start..to of src, both included, cut at the end; empty on failure."""
    src = text_of(src)
    if len(src) == 0 or start > len(src) or start > to:
        return b""
    return src[start:to + 1]


def find_byte(src, b):
    """Position of the first byte b in src (trail bytes match too), else -1."""
    src = text_of(src)
    for pos, value in enumerate(src):
        if value == b:
            return pos
    return -1


def field_of(src, n, sep):
    """Field n of src split at runs of sep; (present, bytes).

    Field 0 stands before the first run (empty when src begins with a run); field n stands
    between run n and run n+1 or the end.
    """
    src = text_of(src)
    if len(src) == 0 or n > len(src):
        return False, b""
    runs_seen = 0
    field = bytearray()
    pos = 0
    while pos < len(src):
        if src[pos] == sep:
            while pos < len(src) and src[pos] == sep:
                pos += 1
            runs_seen += 1
            if runs_seen > n:
                break
            continue
        if runs_seen == n:
            field.append(src[pos])
        pos += 1
    return len(field) > 0, bytes(field)


def field_bytes(src, n, sep):
    return field_of(src, n, sep)[1]


def wrap32(value):
    value &= 0xFFFFFFFF
    return value - 0x1_0000_0000 if value >= 0x8000_0000 else value


def atoi(src):
    """C atoi over a text, with 32-bit signed wrap-around instead of overflow."""
    src = text_of(src)
    pos = 0
    while pos < len(src) and (9 <= src[pos] <= 13 or src[pos] == SPACE):
        pos += 1
    negative = False
    if pos < len(src) and src[pos] in (ord("+"), ord("-")):
        negative = src[pos] == ord("-")
        pos += 1
    value = 0
    while pos < len(src) and ord("0") <= src[pos] <= ord("9"):
        value = wrap32(value * 10 + (src[pos] - ord("0")))
        pos += 1
    return wrap32(-value) if negative else value


# ---------------------------------------------------------------- header shapes

def is_header_line1(line):
    line = text_of(line)
    s = find_byte(line, SLASH)
    p = find_byte(line, SPACE)
    if s < 1:
        return False
    if p <= s:
        return False
    if atoi(sub_text(line, 0, s - 1)) <= 0:
        return False
    if p <= s + 1 or atoi(sub_text(line, s + 1, p - 1)) <= 0:
        return False
    return len(field_bytes(line, 1, SPACE)) == 8


def is_header_line2(line):
    line = text_of(line)
    if not 1 <= len(field_bytes(line, 0, CLOSE_PAREN)) <= 5:
        return False
    if not field_of(line, 1, SPACE)[0]:
        return False
    return field_of(line, 2, SPACE)[0]


def reference_point(line1):
    """Start of the sender ID: the first non-space byte after the first space, else -1."""
    line1 = text_of(line1)
    seen_space = False
    for pos, value in enumerate(line1):
        if value == SPACE:
            seen_space = True
        elif seen_space:
            return pos
    return -1


# ---------------------------------------------------------------- the reader

class LogFile:
    """One log file at a time, wholly in memory, with the offsets of its messages."""

    def __init__(self):
        self.data = b""
        self.current_file = ""
        self.message_starts = [-1] * MAX_MESSAGES
        self._body_cache = {}

    # -- file

    @property
    def file_name(self):
        return self.current_file

    def get_file_name(self):
        return self.current_file

    @property
    def data_length(self):
        return len(self.data)

    def open(self, path):
        """Read and index path; True when it holds at least one message.

        A path that cannot be opened, or is not a regular file, changes nothing. A file larger
        than the buffer becomes current with no data.
        """
        try:
            info = os.stat(path)
        except (OSError, ValueError):
            return False
        if not stat.S_ISREG(info.st_mode):
            return False
        try:
            with open(path, "rb") as f:
                size = os.fstat(f.fileno()).st_size
                # One read of the size found up front; a short read keeps what came.
                data = b"" if size > BUFFER_SIZE else f.read(size)
        except (OSError, ValueError):
            return False
        # The viewer reads a file whose lines end in CR alone (no LF in it) as
        # if each CR were an LF.
        if b"\n" not in data and b"\r" in data:
            data = data.replace(b"\r", b"\n")
        self.data = data
        self.message_starts = [-1] * MAX_MESSAGES
        self._body_cache = {}
        self.build_index()
        self.current_file = path
        return self.message_starts[0] != -1

    def count(self):
        if len(self.current_file) == 0 or len(self.data) < 1:
            return -1
        for i, start in enumerate(self.message_starts):
            if start == -1:
                return i
        return MAX_MESSAGES

    # -- lines

    def read_line(self, pos):
        """(offset of the next line or -1, the line's text)."""
        if LITERAL:
            return self._read_line_literal(pos)
        return self._read_line_fast(pos)

    def _read_line_literal(self, pos):
        out = bytearray()
        if pos < 0 or pos > len(self.data):
            return -1, b""
        data = self.data
        while pos < len(data):
            value = data[pos]
            pos += 1
            if value == LF:
                return pos, text_of(bytes(out))
            if value == CR:
                continue  # dropped wherever it stands
            if len(out) < MAX_LINE_BYTES:
                out.append(value)
        return -1, text_of(bytes(out))

    def _read_line_fast(self, pos):
        if pos < 0 or pos > len(self.data):
            return -1, b""
        lf = self.data.find(b"\n", pos)
        if lf < 0:
            piece, following = self.data[pos:], -1
        else:
            piece, following = self.data[pos:lf], lf + 1
        kept = piece.replace(b"\r", b"")[:MAX_LINE_BYTES]
        return following, text_of(kept)

    # -- index

    def build_index(self):
        recorded = 0
        pos = 0
        while True:
            following, line = self.read_line(pos)
            if following == -1:
                return
            start = pos
            pos = following
            if is_header_line1(line):
                pos, second = self.read_line(pos)
                if is_header_line2(second) and recorded < MAX_MESSAGES:
                    self.message_starts[recorded] = start
                    recorded += 1

    def _exists(self, i):
        return 0 <= i < MAX_MESSAGES and self.message_starts[i] != -1

    def _header_lines(self, i):
        following, line1 = self.read_line(self.message_starts[i])
        _, line2 = self.read_line(following)
        return line1, line2

    # -- fields

    def get_number(self, i):
        if not self._exists(i):
            return -1
        line1, _ = self._header_lines(i)
        return atoi(field_bytes(line1, 0, SLASH))

    def find_number(self, number):
        for i in range(max(self.count(), 0)):
            if self.get_number(i) == number:
                return number
        return -1

    def get_parent_number(self, i):
        if not self._exists(i):
            return -1
        _, line2 = self._header_lines(i)
        tail = sub_text(line2, 23, len(line2))
        q = find_byte(tail, PARENT_END)
        digits = sub_text(tail, 0, q - 1)
        value = atoi(digits)
        return value if value > 0 else -1

    def get_sender_id(self, i):
        if not self._exists(i):
            return b""
        line1, _ = self._header_lines(i)
        return field_bytes(line1, 1, SPACE)

    def get_sender_name(self, i):
        if not self._exists(i):
            return b""
        line1, _ = self._header_lines(i)
        p = reference_point(line1)
        if p < 0:
            return b""
        return sub_text(line1, p + 10, p + 25)

    def get_title(self, i):
        if not self._exists(i):
            return b""
        line1, _ = self._header_lines(i)
        p = reference_point(line1)
        if p < 0 or len(line1) < 38:
            return b""
        return sub_text(line1, p + 27, len(line1))

    def _date_time_field(self, i, n):
        if not self._exists(i):
            return b""
        _, line2 = self._header_lines(i)
        tail = sub_text(line2, 7, len(line2))
        return field_bytes(tail, n, SPACE)

    def get_date(self, i):
        return self._date_time_field(i, 0)

    def get_time(self, i):
        return self._date_time_field(i, 1)

    # -- body

    def _body_end(self, i):
        return self.message_starts[i + 1] if i + 1 < MAX_MESSAGES else -1

    def get_body_line(self, i, j):
        """Body line j of message i as bytes, or None when the body has no line j."""
        if not self._exists(i) or j < 0:
            return None
        if not LITERAL:
            lines = self.body_lines(i)
            return lines[j] if j < len(lines) else None
        end = self._body_end(i)
        pos, _ = self.read_line(self.message_starts[i])
        pos, _ = self.read_line(pos)
        out = b""
        for _ in range(j + 1):
            following, out = self.read_line(pos)
            if following == -1 or (end != -1 and following >= end):
                return None
            pos = following
        return out

    def body_lines(self, i):
        """All body lines of message i, in one walk."""
        if not self._exists(i):
            return []
        if LITERAL:
            lines = []
            while True:
                line = self.get_body_line(i, len(lines))
                if line is None:
                    return lines
                lines.append(line)
        cached = self._body_cache.get(i)
        if cached is not None:
            return cached
        end = self._body_end(i)
        pos, _ = self.read_line(self.message_starts[i])
        pos, _ = self.read_line(pos)
        lines = []
        while True:
            following, out = self.read_line(pos)
            if following == -1 or (end != -1 and following >= end):
                break
            lines.append(out)
            pos = following
        self._body_cache[i] = lines
        return lines
