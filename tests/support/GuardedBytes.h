// Bytes that end where readable memory ends: the page after them refuses
// every access, so reading one byte past them stops the test in any build.
// A std::string would not show such a read: its terminating NUL is there to
// be read, and even AddressSanitizer sees nothing wrong with it.
#pragma once

#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#else
#include <sys/mman.h>
#include <unistd.h>
#endif

namespace zu::testing {

class GuardedBytes {
 public:
  explicit GuardedBytes(std::string_view bytes) {
    const size_t page = PageSize();
    size_ = (bytes.size() / page + 2) * page;
    base_ = static_cast<char*>(Map(size_));
    Refuse(base_ + size_ - page, page);
    char* start = base_ + size_ - page - bytes.size();
    if (!bytes.empty()) std::memcpy(start, bytes.data(), bytes.size());
    view_ = {start, bytes.size()};
  }
  ~GuardedBytes() { Unmap(base_, size_); }
  GuardedBytes(const GuardedBytes&) = delete;
  GuardedBytes& operator=(const GuardedBytes&) = delete;

  std::string_view view() const { return view_; }

 private:
  [[noreturn]] static void Fail(const char* what) {
    std::fprintf(stderr, "GuardedBytes: %s failed\n", what);
    std::abort();
  }
#ifdef _WIN32
  static size_t PageSize() {
    SYSTEM_INFO info;
    GetSystemInfo(&info);
    return info.dwPageSize;
  }
  static void* Map(size_t size) {
    void* p = VirtualAlloc(nullptr, size, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
    if (p == nullptr) Fail("VirtualAlloc");
    return p;
  }
  static void Refuse(char* at, size_t size) {
    DWORD was;
    if (!VirtualProtect(at, size, PAGE_NOACCESS, &was)) Fail("VirtualProtect");
  }
  static void Unmap(char* at, size_t) { VirtualFree(at, 0, MEM_RELEASE); }
#else
  static size_t PageSize() { return static_cast<size_t>(sysconf(_SC_PAGESIZE)); }
  static void* Map(size_t size) {
    void* p = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (p == MAP_FAILED) Fail("mmap");
    return p;
  }
  static void Refuse(char* at, size_t size) {
    if (mprotect(at, size, PROT_NONE) != 0) Fail("mprotect");
  }
  static void Unmap(char* at, size_t size) { munmap(at, size); }
#endif

  char* base_ = nullptr;
  size_t size_ = 0;
  std::string_view view_;
};

}  // namespace zu::testing
