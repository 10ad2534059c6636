// Arbitrary bytes as a log file: opened by one long-lived reader (so that a
// short file follows a long one), then every line, field and body line is
// read and checked against the reader's promises (reader/ReaderChecks.h).
// Inputs that begin with 'R' or 'B' stand for a larger, repeated file.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

#include "reader/ReaderChecks.h"

namespace {

std::string TempFile() {
  std::string tmpl = (std::filesystem::temp_directory_path() / "zu_fuzz_XXXXXX").string();
  const int fd = mkstemp(tmpl.data());
  if (fd < 0) std::abort();
  close(fd);
  return tmpl;
}

bool WriteFile(const std::string& path, const std::string& bytes) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) return false;
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return std::fclose(f) == 0 && written;
}

zu::zuLogFile& Reader() {
  static zu::zuLogFile reader;
  static const bool allocated = reader.AllocateBuffer();
  if (!allocated) std::abort();
  return reader;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string path = TempFile();
  const std::string bytes = zu::testing::ExpandFuzzInput(data, size);
  if (!WriteFile(path, bytes)) std::abort();
  const std::string broken = zu::testing::OpenAndCheck(Reader(), path, bytes);
  if (!broken.empty()) {
    std::fprintf(stderr, "reader promise broken: %s\n", broken.c_str());
    std::abort();
  }
  return 0;
}
