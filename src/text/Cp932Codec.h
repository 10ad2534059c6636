// The one place where the logs' CP932 (Shift-JIS) bytes meet Unicode. Its
// tables are taken from ICU's code page 932 when the program is built; at run
// time it is plain C++ that loads neither ICU nor Qt, so that the dump tool
// starts fast. The windows use its QString faces in text/Cp932.h.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace zu {

// Decodes CP932 bytes. A byte sequence that is not valid CP932 (a stray
// byte, a lead byte without its trail byte at the end) becomes U+FFFD, and
// the rest of the text is kept; every byte below 0x80 is itself.
std::u16string DecodeCp932(std::string_view bytes);

// How many UTF-16 units DecodeCp932(bytes) gives, counted without decoding:
// a byte offset at which a character begins maps to this length of the bytes
// before it.
size_t DecodedUnits(std::string_view bytes);

// Encodes `text` as CP932 into `out`. The JIS forms of the few characters the
// code page knows under another code point (U+301C wave dash, U+2212 minus,
// ...) are taken as that character. False, with `out` unspecified, when a
// character has no CP932 form.
bool EncodeCp932(std::u16string_view text, std::string& out);

// The same for UTF-8 text: Cp932ToUtf8 as DecodeCp932; Utf8ToCp932 is also
// false for bytes that are not UTF-8.
std::string Cp932ToUtf8(std::string_view bytes);
// Cp932ToUtf8(bytes) appended to `out`, for a caller that writes many texts
// through one buffer.
void AppendCp932AsUtf8(std::string_view bytes, std::string& out);
// The same with every control character but TAB and LF shown as its Control
// Picture (U+2400 plus its code, DEL as U+2421): a log's text as people read
// it in a terminal, which the log's bytes must not drive. (Decoded CP932
// holds no C1 control.)
void AppendCp932AsVisibleUtf8(std::string_view bytes, std::string& out);
// The same written at `out`, which has room for three bytes for each of
// `bytes`; gives the end of what was written.
char* PutCp932AsVisibleUtf8(std::string_view bytes, char* out);
bool Utf8ToCp932(std::string_view utf8, std::string& out);
// True when `bytes` are strict UTF-8 (no overlong form, surrogate or cut
// sequence): a file name that is, is shown as it is, any other as CP932.
bool IsUtf8(std::string_view bytes);

// The code page's form of one character, for converters from other
// encodings: its byte (below 0x100) or its lead << 8 | trail, the JIS forms
// of text/CodePageForms.h included; 0 when it has none (U+0000 is 0 too).
uint16_t Cp932FormOf(char32_t c);

// Whether the code page assigns a character to the pair lead, trail.
bool IsCp932Pair(unsigned char lead, unsigned char trail);

}  // namespace zu
