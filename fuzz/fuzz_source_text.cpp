// Arbitrary bytes as a log in an unknown encoding: guessed, converted from
// every encoding and checked (tests/source/SourceChecks.h).
#include <cstdio>
#include <cstdlib>

#include "source/SourceChecks.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string broken = zu::testing::CheckText(data, size);
  if (!broken.empty()) {
    std::fprintf(stderr, "source promise broken: %s\n", broken.c_str());
    std::abort();
  }
  return 0;
}
