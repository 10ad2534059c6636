// Byte-level text rules shared by the log reader's header recognition and its
// field extraction. Every text is a NUL-terminated byte string of the log's own
// Shift-JIS bytes; positions and lengths count bytes, never characters.
#pragma once

#include <cstdint>
#include <string>

namespace zu {

// Bytes of `src` from `from` through `to`, both included, cut short at the end
// of `src`. Empty when `src` is empty, `from` > strlen(src) or `from` > `to`;
// `from` equal to the length gives an empty text. `from` is never negative.
std::string SubText(const char* src, int32_t from, int32_t to);

// Position of the first byte of `src` equal to `b`, or -1. Byte by byte: a
// trail byte of a double-byte character matches as well as a lead byte.
int32_t FindByte(const char* src, char b);

// Field `n` of `src` split at runs of `sep`: field 0 is the bytes before the
// first run (a run at the very start counts), field n the bytes between run n
// and run n+1. Empty (absent) when `src` is empty or n > strlen(src).
std::string FieldOf(const char* src, int32_t n, char sep);

// C atoi: skips leading white space (9..13, 32), takes one sign, then digits;
// the value wraps in 32 bits on overflow. No digit gives 0.
int32_t AtoI(const char* src);
int32_t AtoI(const std::string& src);

}  // namespace zu
