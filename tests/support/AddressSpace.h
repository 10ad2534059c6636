// Running out of memory on purpose, in a child process of a death test: the
// address space is limited to what the process holds now and `more` bytes.
// The sanitizers reserve more address space than any such limit leaves.
#pragma once

#if !defined(_WIN32) && !defined(__SANITIZE_ADDRESS__)
#define ZU_CAN_LIMIT_ADDRESS_SPACE 1

#include <sys/resource.h>
#include <unistd.h>

#include <cstddef>
#include <cstdio>
#include <cstdlib>

namespace zu::testing {

inline size_t AddressSpaceNow() {
  unsigned long pages = 0;
  FILE* statm = std::fopen("/proc/self/statm", "r");
  if (statm == nullptr || std::fscanf(statm, "%lu", &pages) != 1) std::_Exit(2);
  std::fclose(statm);
  return pages * static_cast<size_t>(sysconf(_SC_PAGESIZE));
}

inline bool LimitAddressSpace(size_t more) {
  rlimit limit{};
  getrlimit(RLIMIT_AS, &limit);
  limit.rlim_cur = AddressSpaceNow() + more;
  return setrlimit(RLIMIT_AS, &limit) == 0;
}

}  // namespace zu::testing

#endif
