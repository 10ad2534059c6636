// Output helpers of zu_kirdo_dump: the raw record format and the human one.
#pragma once

#include <cstdint>
#include <cstdio>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace zu::dump {

// A raw field: TAB, LF and CR written as the two bytes "\t", "\n" and "\r",
// a backslash as "\\"; every other byte unchanged.
std::string EscapeField(std::string_view bytes);

// `text` with LF and CR written as "\n" and "\r" and nothing else changed:
// a path may hold them, and a warning or a listed path must stay one line.
std::string OneLine(std::string_view text);

// A field of a raw record: bytes, or a number written in decimal.
class RecordField {
 public:
  RecordField(std::string_view bytes) : bytes_(bytes) {}  // NOLINT: fields convert implicitly
  RecordField(const char* bytes) : bytes_(bytes) {}       // NOLINT
  RecordField(const std::string& bytes) : bytes_(bytes) {}  // NOLINT
  RecordField(int32_t number);                            // NOLINT

  bool IsNumber() const { return digitCount_ > 0; }
  std::string_view Bytes() const { return IsNumber() ? std::string_view(digits_, digitCount_) : bytes_; }

 private:
  std::string_view bytes_;
  char digits_[12];
  size_t digitCount_ = 0;
};

// One raw record: fields escaped, joined by TAB, ended by LF, on stdout.
void WriteRecord(std::initializer_list<RecordField> fields);

// CP932 bytes as UTF-8 for people (invalid bytes become U+FFFD).
std::string ToUtf8(std::string_view cp932);

// A warning or stop message on stderr, in UTF-8, made one line (OneLine).
void WriteError(const std::string& utf8);

// A usage text of the tool's own on stderr, its lines kept.
void WriteUsage(const char* usage);
}  // namespace zu::dump
