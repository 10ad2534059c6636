// The format of a forum log file, as the reader finds messages in it.
//
// A log is Shift-JIS (CP932) text. Lines end at LF; a CR is dropped wherever
// it stands and never ends a line; a line keeps at most MaxLineBytes bytes.
// A message is a pair of header lines followed by its body lines; any other
// text is ignored. The header lines are recognised by their shape alone, and
// their fields are cut at the byte positions below, counted in a line as the
// reader delivers it (CR dropped, cut, ended by its first NUL).
//
// First header line:
//
//   <number>/<number> <sender ID>  <sender name>     <title>
//
//   Both numbers are positive (C atoi rules). The first '/' stands before the
//   first space. p, the first byte after the first run of spaces, is where
//   the sender ID starts, and the columns count from there:
//     p .. p+7       sender ID, exactly 8 bytes, ended by a space or the line's end
//     p+10 .. p+25   sender name, a 16-byte column, padding kept
//     p+27 ..        title, only in a line of at least 38 bytes
//
// Second header line:
//
//   <1 to 5 bytes>) <date> <time>  <parent number><lead byte 0x82>...
//
//   Fields 1 and 2 at spaces are present.
//     7 ..           date, up to the next space; the time is the token after it
//     23 ..          parent number, up to the first byte 0x82 (the lead byte
//                    of the Shift-JIS text that follows the digits)
#pragma once

#include <cstdint>

namespace zu {

inline constexpr int32_t MaxLineBytes = 254;    // kept bytes of one line
inline constexpr int32_t LineBufferSize = 256;  // every caller's line buffer
inline constexpr char LineEnd = '\n';
inline constexpr char DroppedCR = '\r';

namespace format {

// First header line.
inline constexpr char NumberEnd = '/';
inline constexpr char Separator = ' ';
inline constexpr int32_t SenderIDBytes = 8;
inline constexpr int32_t SenderNameFrom = 10;  // from p
inline constexpr int32_t SenderNameTo = 25;    // included
inline constexpr int32_t TitleFrom = 27;       // from p
inline constexpr int32_t MinTitleLineBytes = 38;

// Second header line.
inline constexpr char Line2Mark = ')';
inline constexpr int32_t MaxBeforeLine2Mark = 5;
inline constexpr int32_t DateFrom = 7;
inline constexpr int32_t ParentFrom = 23;
inline constexpr char ParentEnd = static_cast<char>(0x82);

}  // namespace format

}  // namespace zu
