// The characters of a Shift-JIS (CP932) text, as the search, the print
// layout and the conversion read them: a lead byte (0x81-0x9F, 0xE0-0xFC)
// takes the byte after it into one double-byte character; a lead byte that
// is the text's last byte, and every other byte, is a character by itself.
#pragma once

#include <cstddef>
#include <string_view>

namespace zu {

// The two ranges of lead bytes, ends included.
inline constexpr unsigned char LeadBytes1From = 0x81;
inline constexpr unsigned char LeadBytes1To = 0x9F;
inline constexpr unsigned char LeadBytes2From = 0xE0;
inline constexpr unsigned char LeadBytes2To = 0xFC;

inline bool IsLeadByte(char c) {
  const auto b = static_cast<unsigned char>(c);
  return static_cast<unsigned char>(b - LeadBytes1From) <= LeadBytes1To - LeadBytes1From ||
         static_cast<unsigned char>(b - LeadBytes2From) <= LeadBytes2To - LeadBytes2From;
}

// Bytes of the character that starts at `at` (< text.size()): 1 or 2.
inline size_t CharBytesAt(std::string_view text, size_t at) {
  return IsLeadByte(text[at]) && at + 1 < text.size() ? 2 : 1;
}

}  // namespace zu
