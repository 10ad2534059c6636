#include "DumpOutput.h"

#include <array>
#include <charconv>
#include <cstdio>
#include <cstring>

#include "text/Cp932Codec.h"

namespace zu::dump {

namespace {

// The escape of a byte that a raw field cannot hold as it is; null for the
// rest. Of these only the backslash can be a trail byte (trail bytes start at
// 0x40); it is escaped as any byte of its value is.
const char* EscapeOf(char c) {
  switch (c) {
    case '\t': return "\\t";
    case '\n': return "\\n";
    case '\r': return "\\r";
    case '\\': return "\\\\";
    default: return nullptr;
  }
}

// Which bytes EscapeOf escapes, looked up once per byte: a tree writes
// every caption through here.
constexpr std::array<bool, 256> kEscaped = [] {
  std::array<bool, 256> escaped{};
  for (const char c : {'\t', '\n', '\r', '\\'}) escaped[static_cast<unsigned char>(c)] = true;
  return escaped;
}();

// Appends `bytes` escaped, copying the stretches between escapes whole.
void AppendEscaped(std::string& out, std::string_view bytes) {
  size_t from = 0;
  for (size_t at = 0; at < bytes.size(); ++at) {
    if (!kEscaped[static_cast<unsigned char>(bytes[at])]) continue;
    out.append(bytes.data() + from, at - from);
    out += EscapeOf(bytes[at]);
    from = at + 1;
  }
  out.append(bytes.data() + from, bytes.size() - from);
}

}  // namespace

std::string EscapeField(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  AppendEscaped(out, bytes);
  return out;
}

RecordField::RecordField(int32_t number) {
  const auto written = std::to_chars(digits_, digits_ + sizeof digits_, number);
  digitCount_ = static_cast<size_t>(written.ptr - digits_);
}

void WriteRecord(std::initializer_list<RecordField> fields) {
  // A tree writes a record per node: one line's memory serves them all, and
  // each record is escaped straight into it. Escaped, a field takes at most
  // twice its bytes.
  static std::string line;
  if (fields.size() == 0) return;
  size_t most = fields.size();
  for (const RecordField& f : fields) most += 2 * f.Bytes().size();
  if (line.size() < most) line.resize(most);
  char* out = line.data();
  for (const RecordField& f : fields) {
    const std::string_view bytes = f.Bytes();
    if (f.IsNumber()) {  // digits and a sign need no escape
      std::memcpy(out, bytes.data(), bytes.size());
      out += bytes.size();
    } else {
      for (const char c : bytes) {
        if (kEscaped[static_cast<unsigned char>(c)]) {
          const char* escape = EscapeOf(c);
          *out++ = escape[0];
          *out++ = escape[1];
        } else {
          *out++ = c;
        }
      }
    }
    *out++ = '\t';
  }
  out[-1] = '\n';  // in place of the last TAB
  std::fwrite(line.data(), 1, static_cast<size_t>(out - line.data()), stdout);
}

std::string ToUtf8(std::string_view cp932) { return Cp932ToUtf8(cp932); }

void AppendVisible(std::string_view utf8, std::string& out) {
  size_t from = 0;
  for (size_t at = 0; at < utf8.size(); ++at) {
    const auto b = static_cast<unsigned char>(utf8[at]);
    const bool c0 = (b < 0x20 && b != '\t' && b != '\n') || b == 0x7F;
    // C2 80 to C2 9F: the second byte is 10xxxxxx with its 0x20 bit clear.
    const bool c1 = b == 0xC2 && at + 1 < utf8.size() && (static_cast<unsigned char>(utf8[at + 1]) & 0xE0) == 0x80;
    if (!c0 && !c1) continue;
    out.append(utf8.data() + from, at - from);
    if (c0) {
      const unsigned picture = b == 0x7F ? 0x2421 : 0x2400 + b;  // U+2400 ... U+241F, U+2421
      out += static_cast<char>(0xE0 | (picture >> 12));
      out += static_cast<char>(0x80 | ((picture >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (picture & 0x3F));
    } else {
      char named[16];
      std::snprintf(named, sizeof named, "<U+%04X>", static_cast<unsigned char>(utf8[++at]) & 0xFF);
      out += named;
    }
    from = at + 1;
  }
  out.append(utf8.data() + from, utf8.size() - from);
}

std::string ForPeople(std::string_view cp932) {
  std::string out;
  AppendCp932AsVisibleUtf8(cp932, out);
  return out;
}

std::string PathForPeople(std::string_view path) {
  std::string text;
  for (size_t at = 0;;) {
    const size_t slash = path.find('/', at);
    const std::string_view part = path.substr(at, slash == std::string_view::npos ? slash : slash - at);
    if (IsUtf8(part)) text.append(part);
    else AppendCp932AsUtf8(part, text);
    if (slash == std::string_view::npos) break;
    text += '/';
    at = slash + 1;
  }
  std::string out;
  AppendVisible(OneLine(text), out);
  return out;
}

std::string OneLine(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    if (c == '\n') out += "\\n";
    else if (c == '\r') out += "\\r";
    else out += c;
  }
  return out;
}

void WriteError(const std::string& utf8) {
  const std::string line = OneLine(utf8) + '\n';
  std::fwrite(line.data(), 1, line.size(), stderr);
}

void WriteUsage(const char* usage) { std::fprintf(stderr, "usage: %s\n", usage); }

}  // namespace zu::dump
