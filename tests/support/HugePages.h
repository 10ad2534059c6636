// Whether huge pages were asked for (madvise MADV_HUGEPAGE) at an address:
// the kernel lists the flag "hg" for the mapping that holds it in
// /proc/self/smaps. Only Linux with transparent huge pages can tell.
#pragma once

#include <cstdint>
#include <fstream>
#include <sstream>
#include <string>

namespace zu::testing {

inline bool CanTellHugePages() {
#if defined(__linux__) && !defined(__SANITIZE_ADDRESS__)  // blocks are the heap's under the sanitizer
  return std::ifstream("/sys/kernel/mm/transparent_hugepage/enabled").good();
#else
  return false;
#endif
}

inline bool HugePagesAskedAt(const void* address) {
  const auto at = reinterpret_cast<uintptr_t>(address);
  std::ifstream smaps("/proc/self/smaps");
  bool inside = false;
  for (std::string line; std::getline(smaps, line);) {
    uintptr_t start = 0, end = 0;
    char dash = 0;
    std::istringstream head(line);
    if (head >> std::hex >> start >> dash >> end && dash == '-') inside = start <= at && at < end;
    else if (inside && line.rfind("VmFlags:", 0) == 0) return (line + " ").find(" hg ") != std::string::npos;
  }
  return false;
}

}  // namespace zu::testing
