// Output helpers of zu_kirdo_dump: the raw record format and the human one.
// Text for people never holds a control character but TAB and LF, so that
// a log cannot drive the terminal it is shown on.
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

// CP932 bytes as UTF-8 (invalid bytes become U+FFFD), controls kept.
std::string ToUtf8(std::string_view cp932);

// UTF-8 text appended with every control character but TAB and LF made
// visible: C0 controls and DEL as their Control Pictures (ESC as U+241B
// "␛", DEL as U+2421 "␡"), C1 controls (U+0080 to U+009F, which only a
// UTF-8 file name can bring) as "<U+0085>". Other bytes are unchanged.
void AppendVisible(std::string_view utf8, std::string& out);

// CP932 bytes as UTF-8 for people: ToUtf8 with AppendVisible's pictures.
std::string ForPeople(std::string_view cp932);

// A path for people, decoded as the viewer's warnings decode it: each part
// between slashes that is UTF-8 as it is, any other (a Shift-JIS name of a
// copied log) as CP932; LF and CR as "\n" and "\r" (OneLine), other
// controls visible.
std::string PathForPeople(std::string_view path);

// Text for people indents the tree down to this depth; a deeper node keeps
// that indentation and shows its depth as a number, so that a chain of
// replies thousands deep costs output in proportion to its length.
inline constexpr int32_t ShownLevels = 32;

// A warning or stop message on stderr, in UTF-8, made one line (OneLine).
void WriteError(const std::string& utf8);

// A usage text of the tool's own on stderr, its lines kept.
void WriteUsage(const char* usage);
}  // namespace zu::dump
