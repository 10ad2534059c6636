// Arbitrary bytes as a log file in memory: opened by one long-lived reader
// (so that a short file follows a long one, and a failed read follows a good
// one), then every line, field and body line is read and checked against the
// reader's promises (reader/ReaderChecks.h). Inputs that begin with 'R' or
// 'B' stand for a larger, repeated file; 'S' reads through slow, interrupted,
// short or failing reads.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "reader/ReaderChecks.h"

namespace {

struct Fixture {
  zu::testing::MemorySource source;
  zu::zuLogFile reader;
  Fixture() {
    if (!reader.AllocateBuffer()) std::abort();
    reader.UseSource(source);
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static Fixture fixture;
  const std::string path = "log";
  auto& file = fixture.source.Get(path);
  zu::testing::FuzzFile(data, size, file);
  const std::string broken = zu::testing::OpenAndCheck(fixture.reader, path, file);
  if (!broken.empty()) {
    std::fprintf(stderr, "reader promise broken: %s\n", broken.c_str());
    std::abort();
  }
  return 0;
}
