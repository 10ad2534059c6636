#include "reader/TextRules.h"

namespace zu {

namespace {

// The bytes C's atoi skips before the number.
bool IsAtoISpace(unsigned char c) { return c == ' ' || (c >= 9 && c <= 13); }

}  // namespace

std::string_view SubText(std::string_view src, int32_t from, int32_t to) {
  const auto length = static_cast<int32_t>(src.size());
  if (length == 0 || from < 0 || from > length || from > to) return {};
  const int32_t last = to < length - 1 ? to : length - 1;
  return src.substr(static_cast<size_t>(from), static_cast<size_t>(last - from + 1));
}

int32_t FindByte(std::string_view src, char b) {
  const size_t at = src.find(b);
  return at == std::string_view::npos ? -1 : static_cast<int32_t>(at);
}

std::string_view FieldOf(std::string_view src, int32_t n, char sep) {
  if (src.empty() || n < 0 || static_cast<size_t>(n) > src.size()) return {};
  size_t at = 0;
  for (int32_t field = 0;; ++field) {
    const size_t start = at;
    while (at < src.size() && src[at] != sep) ++at;
    if (field == n) return src.substr(start, at - start);
    if (at >= src.size()) return {};
    while (at < src.size() && src[at] == sep) ++at;  // a whole run separates once
  }
}

int32_t AtoI(std::string_view src) {
  size_t at = 0;
  const auto byte = [&src](size_t k) { return static_cast<unsigned char>(src[k]); };
  while (at < src.size() && IsAtoISpace(byte(at))) ++at;
  bool negative = false;
  if (at < src.size() && (src[at] == '+' || src[at] == '-')) negative = src[at++] == '-';
  // Unsigned arithmetic wraps in 32 bits as the old runtime's int did,
  // without the undefined behaviour of a signed overflow.
  uint32_t value = 0;
  for (; at < src.size() && byte(at) >= '0' && byte(at) <= '9'; ++at) {
    value = value * 10u + static_cast<uint32_t>(byte(at) - '0');
  }
  if (negative) value = 0u - value;
  return static_cast<int32_t>(value);
}

}  // namespace zu
