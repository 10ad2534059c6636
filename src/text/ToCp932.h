// The Japanese encodings that logs were converted to on their way (with nkf
// or iconv), read back into the CP932 bytes that the reader works on. Plain
// C++ over the code page's tables, like the rest of zu_cp932: no ICU and no
// iconv at run time.
//
// A character that has no CP932 form, and a byte sequence that is no
// character of the encoding, becomes 〓 (0x81AC), as Japanese software has
// always written it. A byte order mark at the start is dropped.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace zu {

enum class TextEncoding {
  Cp932,      // Shift-JIS as Windows writes it: taken as it is
  EucJp,      // EUC-JP with the NEC and IBM rows that eucJP-ms carries
  Iso2022Jp,  // 7-bit JIS: JIS X 0208, 0212, both planes of 0213, kana by ESC ( I or SO
  Utf8,
  Utf16LE,
  Utf16BE,
};

inline constexpr char32_t NoCp932Form = 0x81AC;  // 〓

// The name the project gives the encoding ("CP932", "EUC-JP", ...).
const char* NameOf(TextEncoding encoding);
// The encoding that `name` names, in any case, with the usual aliases
// (SJIS, Shift_JIS, EUC-JP-MS, eucJP-ms, JIS, ISO-2022-JP-3, UTF8 ...).
bool TextEncodingNamed(std::string_view name, TextEncoding& encoding);

// Appends `bytes`, read as `from`, to `out` as CP932.
void AppendAsCp932(TextEncoding from, std::string_view bytes, std::string& out);

// Converts the `size` bytes at `bytes`, read as `from`, into the `capacity`
// bytes at `out`, which may be `bytes` itself (then `size` <= `capacity`),
// and gives the CP932 length. When that is over `capacity`, `out` holds no
// text in any form.
size_t ConvertToCp932(TextEncoding from, const char* bytes, size_t size, char* out, size_t capacity);
// Converts the `size` bytes at `text`, read as `from`, to CP932 where they
// stand, and gives how many of them the CP932 text fills; what follows, when
// the text has grown (stray bytes become two-byte 〓), is put in `rest`.
size_t ConvertToCp932InPlace(TextEncoding from, char* text, size_t size, std::string& rest);

// The row of JIS X 0212, as its 7-bit byte, that holds `c`, a character the
// code page lacks or has only among IBM's extensions; 0 for none. nkf scores
// such a character by it.
unsigned JisX0212RowOf(char32_t c);

// Converts the string `text`, read as `from`, to CP932 where it stands.
template <typename String>
void ConvertToCp932(TextEncoding from, String& text) {
  std::string rest;
  text.resize(ConvertToCp932InPlace(from, text.data(), text.size(), rest));
  text.append(rest.data(), rest.size());
}

}  // namespace zu
