"""Independent Python model of the log reader and the dump tool's raw output.

Written from the documented rules alone, byte by byte, so that the C++ build can be compared
against it on generated files.
"""

from .reader import (  # noqa: F401
    BUFFER_SIZE, MAX_LINE_BYTES, MAX_MESSAGES, LogFile,
    atoi, field_of, find_byte, sub_text,
)
