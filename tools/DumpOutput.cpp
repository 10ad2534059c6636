#include "DumpOutput.h"

#include <cstdio>

#include "text/Cp932Codec.h"

namespace zu::dump {

std::string EscapeField(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  for (char c : bytes) {
    if (c == '\t') out += "\\t";
    else if (c == '\n') out += "\\n";
    else if (c == '\r') out += "\\r";
    else if (c == '\\') out += "\\\\";
    else out += c;
  }
  return out;
}

void WriteRecord(std::initializer_list<std::string_view> fields) {
  std::string line;
  bool first = true;
  for (std::string_view f : fields) {
    if (!first) line += '\t';
    first = false;
    line += EscapeField(f);
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
