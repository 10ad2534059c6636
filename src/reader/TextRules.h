// Byte-level text rules shared by the log reader's header recognition and its
// field extraction. A text is a line's bytes as the reader delivers it (up to
// its first NUL); positions and lengths count bytes, never characters. The
// results are views into the text they were cut from.
#pragma once

#include <cstdint>
#include <string_view>

namespace zu {

// Bytes of `src` from `from` through `to`, both included, cut short at the end
// of `src`. Empty when `src` is empty, `from` > src.size() or `from` > `to`;
// `from` equal to the length gives an empty text. `from` is never negative.
std::string_view SubText(std::string_view src, int32_t from, int32_t to);

// Position of the first byte of `src` equal to `b`, or -1. Byte by byte: a
// trail byte of a double-byte character matches as well as a lead byte.
int32_t FindByte(std::string_view src, char b);

// Field `n` of `src` split at runs of `sep`: field 0 is the bytes before the
// first run (a run at the very start counts), field n the bytes between run n
// and run n+1. Empty (absent) when `src` is empty or n > src.size().
std::string_view FieldOf(std::string_view src, int32_t n, char sep);

// C atoi over `src`: skips leading white space (9..13, 32), takes one sign,
// then digits; the value wraps in 32 bits on overflow. No digit gives 0.
int32_t AtoI(std::string_view src);

}  // namespace zu
