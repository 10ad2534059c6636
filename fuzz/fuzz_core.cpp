// The whole core from memory: each input becomes a set of one to ten logs
// (with failing files among them), loaded by the Open command, whose tree,
// view, searches, printing and print layout are checked against the core's
// promises (core/CoreChecks.h). One set is kept from input to input, so that
// every load also checks what the reset left.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "core/CoreChecks.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static auto* run = new zu::testing::CoreRun;  // lives as long as the fuzzer
  const std::string broken = run->Run(data, size);
  if (!broken.empty()) {
    std::fprintf(stderr, "core promise broken: %s\n", broken.c_str());
    std::abort();
  }
  return 0;
}
