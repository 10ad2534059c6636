"""What `zu_kirdo_dump --raw tree|search|print` must give: (exit status, stdout bytes, stderr text).

Arguments are byte strings, as the program receives them. Standard error holds the warnings and
the stop message, one per line; encoded in UTF-8 with surrogateescape it gives the bytes written
(a path in a warning as its own bytes, LF and CR in it as \\n and \\r).
"""

import os

from . import raw
from .logset import LogSet
from .printing import print_selected
from .search import SearchConditions, run_search

Usage = 2
MaxSearchTextBytes = 255


class UsageError(Exception):
    pass


def record(*fields):
    return raw.record(*fields)


def number(value):
    return str(value).encode("ascii")


def stderr_of(log_set, stop=None):
    texts = list(log_set.warnings) + ([stop] if stop is not None else [])
    return "".join(raw.warning_line(t) for t in texts)


def load(paths):
    log_set = LogSet()
    log_set.open_files(paths)
    return log_set


# ----- tree -------------------------------------------------------------------------------------

def tree_raw(paths):
    log_set = load(paths)
    out = bytearray()
    for f, messages in log_set.rows():
        first = messages[0]
        out += record(b"F", number(f), number(first.file_rank), os.fsencode(first.file_name))
    node_items = {}
    for f, messages in log_set.rows():
        for i, m in enumerate(messages):
            if m.node is not None:
                node_items[id(m.node)] = (f, i)
    for depth, node in log_set.tree.walk():
        where = node_items.get(id(node))
        if where is None:
            out += record(b"P", number(depth), b"", b"", node.caption)
        else:
            out += record(b"N", number(depth), number(where[0]), number(where[1]), node.caption)
    for f, messages in log_set.rows():
        for i, m in enumerate(messages):
            if m.in_tree == 0:
                out += record(b"U", number(f), number(i))
    status = 0 if log_set.last_file >= 0 else 1
    return status, bytes(out), stderr_of(log_set)


# ----- option parsing ---------------------------------------------------------------------------

def parse_decimal(text):
    if not text or not all(0x30 <= b <= 0x39 for b in text):
        raise UsageError()
    return int(text)


def parse_int32(text):
    """A decimal with an optional minus sign that fits 32 signed bits: the search fields are
    such a value, and one of 0 or less is the search command's own check to report."""
    value = -parse_decimal(text[1:]) if text.startswith(b"-") else parse_decimal(text)
    if not -2 ** 31 <= value < 2 ** 31:
        raise UsageError()
    return value


def parse_position(text):
    row, sep, item = text.partition(b":")
    if not sep:
        raise UsageError()
    return parse_decimal(row), parse_decimal(item)


def split_options(args, flags, valued):
    """Options (flags alone, valued ones with the next argument) up to `--` or the first
    positional; a single dash with anything after it is a positional."""
    options = {}
    k = 0
    while k < len(args):
        a = args[k]
        if a == b"--":
            k += 1
            break
        if not a.startswith(b"--"):
            break
        if a in flags:
            options[a] = True
            k += 1
        elif a in valued:
            if k + 1 >= len(args):
                raise UsageError()
            options[a] = args[k + 1]
            k += 2
        else:
            raise UsageError()
    return options, args[k:]


def select_message(log_set, position):
    """Select the node of message ROW:ITEM as the user would; a position without a message
    node is a usage error."""
    f, i = position
    if log_set.last_file < 0:
        raise UsageError()
    if f > log_set.last_file:
        raise UsageError()
    messages = log_set.messages_of_row(f)
    if i >= len(messages) or messages[i].node is None:
        raise UsageError()
    log_set.select_node(messages[i].node)


# ----- search -----------------------------------------------------------------------------------

def search_raw(args):
    try:
        return run_search_command(args)
    except UsageError:
        return Usage, b"", ""


def run_search_command(args):
    options, positional = split_options(args, {b"--up", b"--all"}, {b"--from", b"--fields"})
    if b"--from" not in options or len(positional) < 2:
        raise UsageError()
    position = parse_position(options[b"--from"])
    fields = parse_int32(options[b"--fields"]) if b"--fields" in options else 16
    text = positional[0]
    if len(text) == 0 or len(text) > MaxSearchTextBytes:
        raise UsageError()
    log_set = load(positional[1:])
    select_message(log_set, position)
    conditions = SearchConditions(text, 2 if b"--up" in options else 1, fields)
    out = bytearray()
    hits = 0
    while True:
        hit, stop = run_search(log_set, conditions)
        if hit is None:
            break
        hits += 1
        out += record(number(hit[0]), number(hit[1]))
        if b"--all" not in options:
            break
    return (0 if hits else 1), bytes(out), stderr_of(log_set, stop)


# ----- print ------------------------------------------------------------------------------------

def print_raw(args):
    try:
        return run_print_command(args)
    except UsageError:
        return Usage, b"", ""


def positive(options, name, default):
    if name not in options:
        return default
    value = parse_decimal(options[name])
    if value <= 0:
        raise UsageError()
    return value


def run_print_command(args):
    options, positional = split_options(
        args, set(), {b"--from", b"--columns", b"--line-height", b"--page-height"})
    if b"--from" not in options or len(positional) < 1:
        raise UsageError()
    position = parse_position(options[b"--from"])
    columns = positive(options, b"--columns", 124)
    line_height = positive(options, b"--line-height", 80)
    page_height = positive(options, b"--page-height", 6800)
    log_set = load(positional)
    select_message(log_set, position)
    records = print_selected(log_set, columns, line_height, page_height)
    out = b"".join(record(number(page), number(n), text) for page, n, text in records)
    return 0, out, stderr_of(log_set)
