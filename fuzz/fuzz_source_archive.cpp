// Arbitrary bytes as a chosen file held in memory: read as an archive or a
// compressed file when they look like one, each member opened by the reader.
#include <cstdio>
#include <cstdlib>

#include "source/SourceChecks.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static zu::testing::MemorySource files;
  static zu::zuLogFile reader;
  static const bool ready = reader.AllocateBuffer();
  if (!ready) std::abort();
  const std::string broken = zu::testing::CheckArchive(data, size, files, reader);
  if (!broken.empty()) {
    std::fprintf(stderr, "source promise broken: %s\n", broken.c_str());
    std::abort();
  }
  return 0;
}
