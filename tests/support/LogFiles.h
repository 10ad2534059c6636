// Test helpers that write log files: header pairs in the logs' own layout,
// CP932 bytes as escapes, CR LF line ends, into a temporary folder that is
// removed with its helper.
#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

namespace zu::testing {

// A path named in UTF-8, as the programs name files on Windows; elsewhere
// the name's bytes as they are.
inline std::filesystem::path NativePath(const std::string& name) {
#if defined(_WIN32)
  return std::filesystem::path(std::u8string(name.begin(), name.end()));
#else
  return name;
#endif
}

inline std::string PathText(const std::filesystem::path& path) {
#if defined(_WIN32)
  const std::u8string utf8 = path.u8string();
  return std::string(utf8.begin(), utf8.end());
#else
  return path.string();
#endif
}

// A fresh folder under the system's temporary folder, removed at scope end.
class TempDir {
 public:
  TempDir() {
    const std::filesystem::path base = std::filesystem::temp_directory_path();
    std::random_device random;
    do {
      path_ = base / ("zu_test_" + std::to_string(random()));
    } while (!std::filesystem::create_directory(path_));  // false: the name was taken
  }
  ~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  // Writes `bytes` to `name` in the folder and gives its path.
  std::string Write(const std::string& name, const std::string& bytes) const {
    const std::filesystem::path p = path_ / NativePath(name);
    std::ofstream(p, std::ios::binary) << bytes;
    return PathText(p);
  }
  std::string Path(const std::string& name) const { return PathText(path_ / NativePath(name)); }
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

// Fields of one message as the logs lay them out.
struct Msg {
  int32_t number = 1;
  int32_t parent = -1;  // -1: a message that comments on none
  std::string id = "ABCD1234";  // 8 bytes
  std::string name = "SAMPLE USER";
  std::string title = "Sample title";
  std::string date = "96/05/17";
  std::string time = "21:05";
  std::string body;  // lines, each ended by "\r\n" by the caller
};

inline std::string Pad(const std::string& s, size_t width) {
  return s.size() < width ? s + std::string(width - s.size(), ' ') : s;
}

inline std::string Zero5(int32_t n) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%05d", n);
  return buf;
}

// The two header lines of `m`, each ended by CR LF. The parent is written as
// five digits followed by the hiragana "あ" (0x82 0xA0), whose lead byte ends it.
inline std::string Header(const Msg& m) {
  std::string line1 = Zero5(m.number) + "/00045 " + m.id + "  " + Pad(m.name, 16) + " " + m.title;
  std::string line2 = "00007) " + m.date + " " + m.time + "  ";
  if (m.parent > 0) line2 += Zero5(m.parent) + "\x82\xA0";
  else line2 += "\x82\xA0";
  return line1 + "\r\n" + line2 + "\r\n";
}

// A whole message: header pair, body, and the one line before the next
// header that no body ever includes.
inline std::string Message(const Msg& m) { return Header(m) + m.body + "\r\n"; }

}  // namespace zu::testing
