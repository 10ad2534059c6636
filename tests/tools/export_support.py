"""What the export tests share: logs written in the forum's layout, the dump tool run as a
program, and its `--raw messages` and `--raw tree` records read back as the viewer shows them.

The dump tool's path is in the environment variable ZU_DUMP_TOOL (CTest sets it)."""

import os
import subprocess

TOOL = os.environ.get("ZU_DUMP_TOOL", "zu_kirdo_dump")
SAMPLES = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "samples")


def cp(text):
    return text.encode("cp932")


def message(number, parent=None, title=b"T", name=b"SAMPLE USER", sender_id=b"ABCD1234",
            date=b"96/05/17", time=b"21:05", body=()):
    """One message in the logs' layout (bytes), CR LF line ends; `body` lines are bytes."""
    line1 = b"%05d/00045 " % number + sender_id + b"  " + name.ljust(16) + b" " + title
    line2 = b"00007) " + date + b" " + time + b"  " + (b"%05d" % parent if parent else b"") + cp("あ")
    lines = [line1, line2] + list(body) + [b""]  # the line before the next header is no body's
    return b"".join(line + b"\r\n" for line in lines)


def write_log(folder, name, messages):
    path = os.path.join(folder, name)
    with open(path, "wb") as f:
        f.write(b"Forum log\r\n" + b"".join(messages))
    return path


def run(*args):
    return subprocess.run([TOOL, *args], capture_output=True, timeout=120)


def decode(data):
    """CP932 bytes as the viewer shows them: a lead byte (0x81-0x9F, 0xE0-0xFC) with a trail
    byte (0x40-0xFC but 0x7F) is one character, U+FFFD when the code page leaves it unassigned;
    every other byte that is not ASCII or half-width katakana is U+FFFD by itself."""
    out = []
    at = 0
    while at < len(data):
        b = data[at]
        if b < 0x80 or 0xA1 <= b <= 0xDF:
            out.append(data[at:at + 1].decode("cp932"))
            at += 1
        elif (0x81 <= b <= 0x9F or 0xE0 <= b <= 0xFC) and at + 1 < len(data) and \
                0x40 <= data[at + 1] <= 0xFC and data[at + 1] != 0x7F:
            try:
                out.append(data[at:at + 2].decode("cp932"))
            except UnicodeDecodeError:
                out.append("\ufffd")
            at += 2
        else:
            out.append("\ufffd")
            at += 1
    return "".join(out)


def unescape(field):
    """A raw record field: \\t, \\n, \\r and \\\\ back to their bytes."""
    out = bytearray()
    at = 0
    while at < len(field):
        if field[at] == 0x5C and at + 1 < len(field):
            out += {ord("t"): b"\t", ord("n"): b"\n", ord("r"): b"\r"}.get(field[at + 1], field[at + 1:at + 2])
            at += 2
        else:
            out.append(field[at])
            at += 1
    return bytes(out)


def records(output):
    return [[unescape(f) for f in line.split(b"\t")] for line in output.split(b"\n") if line]


class Message:
    """A message as the viewer's fields show it, in Unicode, from a raw M record and the
    raw lines of its B records."""

    def __init__(self, fields, body):
        self.number = int(fields[2])
        self.parent = int(fields[3])
        self.sender_id = decode(fields[4])
        self.name = decode(fields[5].rstrip(b" "))
        self.title = decode(fields[6])
        self.date = decode(fields[7])
        self.time = decode(fields[8])
        self.body = [decode(line) for line in body]


def messages_of(path):
    heads = []
    bodies = []
    for r in records(run("--raw", "messages", path).stdout):
        if r[0] == b"M":
            heads.append(r)
            bodies.append([])
        else:
            bodies[-1].append(r[1])
    return [Message(h, b) for h, b in zip(heads, bodies)]


class Node:
    def __init__(self, kind, depth, parent, message=None, caption=None):
        self.kind = kind          # "N" message node, "P" placeholder, "U" message without node
        self.depth = depth
        self.parent = parent      # index of the parent node in the list, or None
        self.message = message    # a Message for N and U
        self.caption = caption


def tree_of(paths):
    """The nodes of `--raw tree`, in its order, each with its parent and message."""
    result = run("--raw", "tree", *paths)
    recs = records(result.stdout)
    rows = {int(r[1]): messages_of(r[3].decode("utf-8", "surrogateescape")) for r in recs if r[0] == b"F"}
    nodes = []
    path = []  # nodes on the way down to the current depth
    for r in recs:
        if r[0] == b"N" or r[0] == b"P":
            depth = int(r[1])
            del path[depth:]
            parent = path[-1] if path else None
            message = rows[int(r[2])][int(r[3])] if r[0] == b"N" else None
            nodes.append(Node(r[0].decode(), depth, parent, message, decode(r[4])))
            path.append(len(nodes) - 1)
        elif r[0] == b"U":
            nodes.append(Node("U", 0, None, rows[int(r[1])][int(r[2])]))
    return nodes
