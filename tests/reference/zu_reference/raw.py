"""The dump tool's raw records, and the whole output of `--raw messages FILE`."""

import os

from .reader import LogFile

OPEN_FAILED = "を開けませんでした"


def escape_field(field):
    """TAB, LF and CR as the two bytes \\t, \\n and \\r, a backslash as \\\\; every other
    byte unchanged."""
    if isinstance(field, int):
        return str(field).encode("ascii")
    return (field.replace(b"\\", b"\\\\").replace(b"\t", b"\\t")
            .replace(b"\n", b"\\n").replace(b"\r", b"\\r"))


def record(*fields):
    return b"\t".join(escape_field(f) for f in fields) + b"\n"


def warning_line(text):
    """A warning as standard error holds it: LF and CR (only a path can hold them) as \\n and
    \\r, so that it stays one line; then the line's end."""
    return text.replace("\n", "\\n").replace("\r", "\\r") + "\n"


def open_failed_message(path):
    """The warning line for a file that could not be loaded (str; a path's undecodable
    bytes kept as surrogate escapes, as os.fsdecode gives them)."""
    return warning_line(os.fsdecode(path) + OPEN_FAILED)


def message_records(log, i):
    out = [record(b"M", i, log.get_number(i), log.get_parent_number(i),
                  log.get_sender_id(i), log.get_sender_name(i), log.get_title(i),
                  log.get_date(i), log.get_time(i))]
    out.extend(record(b"B", line) for line in log.body_lines(i))
    return b"".join(out)


def messages_raw(path):
    """(exit status, standard output bytes, standard error text) of `--raw messages path`."""
    log = LogFile()
    if not log.open(path):
        return 1, b"", open_failed_message(path)
    out = [message_records(log, i) for i in range(log.count())]
    return 0, b"".join(out), ""
