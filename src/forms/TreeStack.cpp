#include "forms/TreeStack.h"

#include <algorithm>
#include <climits>
#include <cstdio>

#include "core/LogSet.h"

// Not QThread: a QThread is a QObject, and the thread that makes Qt's first
// object becomes its main thread for good, so the thread that runs Qt must
// be started with the platform's own call.
#if defined(_WIN32)
#include <process.h>
#include <windows.h>
#else
#include <pthread.h>
#include <sys/resource.h>
#include <unistd.h>
#endif

namespace zu {

namespace {

// Three times the stack a level took where it was measured, and room for
// the frames below the tree's (the event loop, a dialog, printing).
constexpr size_t kBytesPerLevel = 1024;
constexpr size_t kRoomBelowTree = size_t{2} << 20;
// The deepest tree: a full set, each message answering the one before.
constexpr int32_t kDeepestTree = MaxLogFiles * MaxMessages - 1;
// The address space a running viewer takes beside its stack (about 315 MB
// on Linux with Qt 6.4), with a margin: what a limited address space must
// keep free for it before a stack is taken from the rest.
constexpr size_t kRoomForQt = size_t{384} << 20;
constexpr size_t kMinimumThreadStack = size_t{4} << 20;

int32_t depthLimit = INT32_MAX;
bool stackShort = false;

struct Call {
  const std::function<int()>* body;
  int result;
};

void NoteStack(size_t bytes) {
  depthLimit = LevelsInStack(bytes);
  stackShort = depthLimit < kDeepestTree;
}

#if defined(_WIN32)

unsigned __stdcall RunCall(void* call) {
  auto* c = static_cast<Call*>(call);
  c->result = (*c->body)();
  return 0;
}

// Windows limits no process's address space but by the machine's.
size_t StackWithinAddressSpace() { return TreeStackBytes; }

// The first thread's stack as the linker reserved it (1 MB unless told).
size_t CallingThreadStack() { return size_t{1} << 20; }

bool RunOnThread(Call& call, size_t stackBytes) {
  const uintptr_t thread = _beginthreadex(nullptr, static_cast<unsigned>(stackBytes), RunCall, &call,
                                          STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr);
  if (thread == 0) return false;
  const auto handle = reinterpret_cast<HANDLE>(thread);
  WaitForSingleObject(handle, INFINITE);
  CloseHandle(handle);
  return true;
}

#else

void* RunCall(void* call) {
  auto* c = static_cast<Call*>(call);
  c->result = (*c->body)();
  return nullptr;
}

// The address space the program has mapped so far.
size_t AddressSpaceInUse() {
  FILE* statm = std::fopen("/proc/self/statm", "r");
  if (statm == nullptr) return 0;
  unsigned long pages = 0;
  const bool read = std::fscanf(statm, "%lu", &pages) == 1;
  std::fclose(statm);
  return read ? pages * static_cast<size_t>(sysconf(_SC_PAGESIZE)) : 0;
}

// The stack a thread may take under `ulimit -v` and still leave Qt its room:
// the whole reserve without a limit; nothing when Qt alone needs it all.
size_t StackWithinAddressSpace() {
  rlimit limit{};
  if (getrlimit(RLIMIT_AS, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY) return TreeStackBytes;
  const size_t taken = AddressSpaceInUse() + kRoomForQt;
  if (limit.rlim_cur <= taken) return 0;
  return std::min(TreeStackBytes, static_cast<size_t>(limit.rlim_cur) - taken);
}

// The calling thread's stack grows up to the stack limit. A limit that
// cannot be read is taken as no room at all: a flat tree, never a crash.
size_t CallingThreadStack() {
  rlimit limit{};
  if (getrlimit(RLIMIT_STACK, &limit) != 0) return 0;
  if (limit.rlim_cur == RLIM_INFINITY) return TreeStackBytes;
  return static_cast<size_t>(limit.rlim_cur);
}

bool RunOnThread(Call& call, size_t stackBytes) {
  pthread_attr_t attributes;
  if (pthread_attr_init(&attributes) != 0) return false;
  pthread_t thread;
  const bool started = pthread_attr_setstacksize(&attributes, stackBytes) == 0 &&
                       pthread_create(&thread, &attributes, RunCall, &call) == 0;
  pthread_attr_destroy(&attributes);
  if (started) pthread_join(thread, nullptr);
  return started;
}

#endif

}  // namespace

int32_t LevelsInStack(size_t bytes) {
  if (bytes <= kRoomBelowTree) return 0;
  const size_t levels = (bytes - kRoomBelowTree) / kBytesPerLevel;
  return levels > static_cast<size_t>(INT32_MAX) ? INT32_MAX : static_cast<int32_t>(levels);
}

int RunWithTreeStack(const std::function<int()>& body) {
  Call call{&body, 0};
  const size_t stackBytes = StackWithinAddressSpace();
  if (stackBytes >= kMinimumThreadStack) {
    NoteStack(stackBytes);
    if (RunOnThread(call, stackBytes)) return call.result;
  }
  NoteStack(CallingThreadStack());
  return body();
}

int32_t TreeDepthLimit() { return depthLimit; }

bool TreeStackShort() { return stackShort; }

}  // namespace zu
