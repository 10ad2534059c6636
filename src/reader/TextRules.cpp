#include "reader/TextRules.h"

#include <cstring>

namespace zu {

namespace {

int32_t LengthOf(const char* src) { return static_cast<int32_t>(std::strlen(src)); }

// The bytes C's atoi skips before the number.
bool IsAtoISpace(unsigned char c) { return c == ' ' || (c >= 9 && c <= 13); }

}  // namespace

std::string SubText(const char* src, int32_t from, int32_t to) {
  const int32_t length = LengthOf(src);
  if (length == 0 || from < 0 || from > length || from > to) return {};
  const int32_t last = to < length - 1 ? to : length - 1;
  return std::string(src + from, static_cast<size_t>(last - from + 1));
}

int32_t FindByte(const char* src, char b) {
  const char* hit = std::strchr(src, b);
  // strchr would find the terminating NUL itself when b is 0.
  if (hit == nullptr || b == '\0') return -1;
  return static_cast<int32_t>(hit - src);
}

std::string FieldOf(const char* src, int32_t n, char sep) {
  const int32_t length = LengthOf(src);
  if (length == 0 || n < 0 || n > length) return {};
  int32_t at = 0;
  for (int32_t field = 0;; ++field) {
    const int32_t start = at;
    while (at < length && src[at] != sep) ++at;
    if (field == n) return std::string(src + start, static_cast<size_t>(at - start));
    if (at >= length) return {};
    while (at < length && src[at] == sep) ++at;  // a whole run separates once
  }
}

int32_t AtoI(const char* src) {
  const auto* at = reinterpret_cast<const unsigned char*>(src);
  while (IsAtoISpace(*at)) ++at;
  bool negative = false;
  if (*at == '+' || *at == '-') negative = *at++ == '-';
  // Unsigned arithmetic wraps in 32 bits as the old runtime's int did,
  // without the undefined behaviour of a signed overflow.
  uint32_t value = 0;
  for (; *at >= '0' && *at <= '9'; ++at) value = value * 10u + static_cast<uint32_t>(*at - '0');
  if (negative) value = 0u - value;
  return static_cast<int32_t>(value);
}

int32_t AtoI(const std::string& src) { return AtoI(src.c_str()); }

}  // namespace zu
