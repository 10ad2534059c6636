#include "DumpOutput.h"

#include <cstdio>

#include "text/Cp932Codec.h"

namespace zu::dump {

namespace {

// The escape of a byte that a raw field cannot hold as it is; null for the rest.
const char* EscapeOf(char c) {
  // The four escaped bytes are all at or below the backslash, 0x5C; most
  // bytes of a text (lower-case letters, lead bytes) stand above it. A trail
  // byte can be 0x5C itself or lower (they start at 0x40) and is escaped as
  // any byte of its value is.
  if (static_cast<unsigned char>(c) > '\\') return nullptr;
  switch (c) {
    case '\t': return "\\t";
    case '\n': return "\\n";
    case '\r': return "\\r";
    case '\\': return "\\\\";
    default: return nullptr;
  }
}

// Appends `bytes` escaped, copying the stretches between escapes whole.
void AppendEscaped(std::string& out, std::string_view bytes) {
  size_t from = 0;
  for (size_t at = 0; at < bytes.size(); ++at) {
    const char* escape = EscapeOf(bytes[at]);
    if (escape == nullptr) continue;
    out.append(bytes.data() + from, at - from);
    out += escape;
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

void WriteRecord(std::initializer_list<std::string_view> fields) {
  // A tree writes a record per node: one line's memory serves them all.
  static std::string line;
  line.clear();
  bool first = true;
  for (std::string_view f : fields) {
    if (!first) line += '\t';
    first = false;
    AppendEscaped(line, f);
  }
  line += '\n';
  std::fwrite(line.data(), 1, line.size(), stdout);
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
  AppendVisible(Cp932ToUtf8(cp932), out);
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
