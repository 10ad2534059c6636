// The export's and the people mode's text rules from arbitrary bytes: people
// text, file names, HTML text, mail header values, mailboxes and sender
// addresses, checked against their promises (tools/ExportChecks.h).
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "tools/ExportChecks.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string broken = zu::testing::ExportTextBroken(std::string_view(reinterpret_cast<const char*>(data), size));
  if (!broken.empty()) {
    std::fprintf(stderr, "export promise broken: %s\n", broken.c_str());
    std::abort();
  }
  return 0;
}
