// Linked only into zu_kirdo_dump_faulty, the dump tool as the fault tests
// run it; the installed tool has none of this. Set in the environment:
//   ZU_FAIL_ALLOCATION=N       the Nth allocation (operator new in any form, or
//                              a large block) from main on fails, once (SQLite's
//                              OOM loop); the globals made before main are left
//                              alone, since nothing can meet a failure there
//   ZU_ALLOCATIONS_TO=PATH     at exit, how many allocations were made
//   ZU_STOP_AT=CALL:N:SIGNAL   the export's output raises SIGNAL just before its
//                              Nth call of CALL (write, sync, syncfs or close)
#include <fcntl.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

#include "export/WriteSystem.h"
#include "reader/LargeBlock.h"

namespace {

bool inMain = false;
long allocations = 0;

long FailingAllocation() {
  static const long at = std::getenv("ZU_FAIL_ALLOCATION") ? std::atol(std::getenv("ZU_FAIL_ALLOCATION")) : 0;
  return at;
}

bool NextAllocationFails() { return inMain && ++allocations == FailingAllocation(); }

void* Allocate(std::size_t bytes) {
  void* block = NextAllocationFails() ? nullptr : std::malloc(bytes == 0 ? 1 : bytes);
  if (block == nullptr) throw std::bad_alloc();
  return block;
}

// Written at exit without allocating.
struct CountReport {
  ~CountReport() {
    const char* path = std::getenv("ZU_ALLOCATIONS_TO");
    if (path == nullptr) return;
    char text[32];
    const int length = std::snprintf(text, sizeof text, "%ld\n", allocations);
    const int fd = ::open(path, O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd == -1) return;
    if (::write(fd, text, static_cast<size_t>(length)) != length) std::perror(path);
    ::close(fd);
  }
} report;

class StoppingWrites : public zu::dump::WriteSystem {
 public:
  bool Parse(const char* setting) {
    return setting != nullptr && std::sscanf(setting, "%15[a-z]:%d:%d", call_, &nth_, &signal_) == 3;
  }
  ssize_t Write(int fd, const char* bytes, size_t count) override {
    Meet("write");
    return WriteSystem::Write(fd, bytes, count);
  }
  int Sync(int fd) override {
    Meet("sync");
    return WriteSystem::Sync(fd);
  }
  int SyncFileSystem(int fd) override {
    Meet("syncfs");
    return WriteSystem::SyncFileSystem(fd);
  }
  int Close(int fd) override {
    Meet("close");
    return WriteSystem::Close(fd);
  }

 private:
  void Meet(const char* call) {
    if (std::strcmp(call, call_) == 0 && ++seen_ == nth_) std::raise(signal_);
  }
  char call_[16] = {};
  int nth_ = 0;
  int signal_ = 0;
  int seen_ = 0;
};

StoppingWrites stopping;
const bool stopsChosen = [] {
  if (stopping.Parse(std::getenv("ZU_STOP_AT"))) zu::dump::UseWriteSystem(&stopping);
  return true;
}();

}  // namespace

void* operator new(std::size_t bytes) { return Allocate(bytes); }
void* operator new[](std::size_t bytes) { return Allocate(bytes); }
void* operator new(std::size_t bytes, const std::nothrow_t&) noexcept {
  return NextAllocationFails() ? nullptr : std::malloc(bytes == 0 ? 1 : bytes);
}
void* operator new[](std::size_t bytes, const std::nothrow_t& tag) noexcept { return operator new(bytes, tag); }
void operator delete(void* block) noexcept { std::free(block); }
void operator delete[](void* block) noexcept { std::free(block); }
void operator delete(void* block, std::size_t) noexcept { std::free(block); }
void operator delete[](void* block, std::size_t) noexcept { std::free(block); }

// The tool's own main is compiled as DumpToolMain in this build (wmain as
// DumpToolWmain on Windows).
#if defined(_WIN32)
#undef wmain
int DumpToolWmain(int argc, wchar_t** argv);
int wmain(int argc, wchar_t** argv) {
  inMain = true;
  return DumpToolWmain(argc, argv);
}
#else
#undef main
int DumpToolMain(int argc, char** argv);
int main(int argc, char** argv) {
  inMain = true;
  return DumpToolMain(argc, argv);
}
#endif

namespace zu {

void* AllocateLargeBlock(size_t bytes) { return NextAllocationFails() ? nullptr : std::calloc(1, bytes); }
void FreeLargeBlock(void* block, size_t) { std::free(block); }
void ExpectFill(void*, size_t, size_t) {}

}  // namespace zu
