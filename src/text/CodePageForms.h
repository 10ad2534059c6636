// Characters that JIS X 0208 and most systems other than Windows write with
// one code point and code page 932 with another (a wave dash typed on Linux
// is U+301C, the code page reads 0x8160 as U+FF5E). Both mean the same glyph
// of the same JIS cell, so text in either form finds its CP932 bytes.
#pragma once

namespace zu {

constexpr char32_t CodePageForm(char32_t c) {
  switch (c) {
    case 0x301C: return 0xFF5E;  // wave dash
    case 0x2016: return 0x2225;  // double vertical line
    case 0x2212: return 0xFF0D;  // minus sign
    case 0x00A2: return 0xFFE0;  // cent sign
    case 0x00A3: return 0xFFE1;  // pound sign
    case 0x00AC: return 0xFFE2;  // not sign
    case 0x2014: return 0x2015;  // em dash
    default: return c;
  }
}

}  // namespace zu
