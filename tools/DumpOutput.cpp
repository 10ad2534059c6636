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
