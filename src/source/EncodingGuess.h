// Which Japanese encoding a log's bytes are in, and how its lines end.
//
// The log format is the strongest evidence: the encoding in which the
// header pairs that carry Japanese text are whole characters. A byte order
// mark, or 7-bit text with JIS escape sequences, settles it first; text
// without such pairs is guessed as nkf --guess guesses (its three readers,
// EUC-JP, Shift_JIS and UTF-8, fed byte by byte, the first to be the only
// one left standing wins, else the one with the fewest marks against it),
// and only an encoding in which the whole text is valid is taken over CP932.
#pragma once

#include <string_view>

#include "text/ToCp932.h"

namespace zu {

TextEncoding GuessEncoding(std::string_view bytes);

// What nkf --guess alone would answer, in the project's names (its ASCII is
// CP932, as nothing needs converting).
TextEncoding GuessLikeNkf(std::string_view bytes);

// Whether `bytes` read as `encoding` holds no byte that begins no character.
bool IsValidIn(TextEncoding encoding, std::string_view bytes);

// Whether a header pair stands in the text: a first header line followed by
// a second, wherever the reader's index could find one. A text without one
// holds no message.
bool HasHeaderPair(std::string_view text);

enum class LineEnds { None, CrLf, Lf, Cr, Mixed };
const char* NameOf(LineEnds ends);
// How the lines of CP932 text end: CR LF, LF or CR alone throughout, a
// mixture, or no line end at all.
LineEnds LineEndsOf(std::string_view cp932);

}  // namespace zu
