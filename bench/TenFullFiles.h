// The largest load the viewer takes: ten logs of exactly BufferSize bytes
// with MaxMessages messages each (30,000 tree nodes, 15 MB). A third of the
// messages start threads, the rest answer the message before or one a few
// back, some one in the file before. bench/ten_full_files.py writes the same
// bytes for the comparisons of whole processes with the plain tools.
#pragma once

#include <cstdlib>
#include <string>

#include "reader/zuLogFile.h"
#include "support/LogFiles.h"

namespace zu::bench {

inline constexpr int kTenFiles = 10;

// Message k of file f.
inline testing::Msg TenFilesMessage(int f, int k) {
  testing::Msg m;
  m.number = 1 + f * MaxMessages + k;
  m.name = "\x93\x63\x92\x86 \x88\xea\x98\x59";  // 田中 一郎
  m.title = "Re:\x83\x82\x83\x66\x83\x80\x82\xcc\x90\xdd\x92\xe8 " + std::to_string(m.number % 500);
  if (k % 3 == 1) m.parent = m.number - 1;
  if (k % 3 == 2) m.parent = f > 0 && k % 9 == 2 ? m.number - MaxMessages : m.number - 2;
  for (int line = 0; line < 7; ++line) {
    m.body += "\x83\x82\x83\x66\x83\x80\x82\xcc\x90\xdd\x92\xe8\x82\xc9\x82\xc2\x82\xa2\x82\xc4 line " +
              std::to_string(line) + " of message " + std::to_string(m.number) + ", settings\r\n";
  }
  return m;
}

// File f of the ten: the last message's body is padded to BufferSize bytes.
inline std::string TenFilesFile(int f) {
  const auto size = static_cast<size_t>(BufferSize);
  std::string text = "Forum log\r\n";
  for (int k = 0; k < MaxMessages; ++k) text += testing::Message(TenFilesMessage(f, k));
  if (text.size() > size - 2) std::abort();
  while (text.size() < size) {
    const size_t left = size - text.size();
    const size_t line = left >= 102 ? 100 : left - 2;
    text += std::string(line, 'p') + "\r\n";
  }
  return text;
}

}  // namespace zu::bench
