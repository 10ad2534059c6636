#include "reader/LargeBlock.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>

#if defined(__linux__)
#include <sys/mman.h>
#endif

// Under the address sanitizer the blocks come from the heap: its leak check
// looks for pointers only there, and the strings a table holds would read as
// leaked from a mapped block.
#if defined(__SANITIZE_ADDRESS__)
#define ZU_HEAP_BLOCKS 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define ZU_HEAP_BLOCKS 1
#endif
#endif

namespace zu {

#if defined(__linux__) && defined(MADV_HUGEPAGE) && !defined(ZU_HEAP_BLOCKS)

namespace {

constexpr size_t kHugePage = size_t{2} << 20;

size_t RoundUp(size_t n, size_t to) { return (n + to - 1) / to * to; }

// The size mapped for a block of `bytes`: whole huge pages when it is large
// enough to ever take one, else whole small pages.
size_t MappedSize(size_t bytes) { return RoundUp(bytes, bytes >= LargeBlockBytes ? kHugePage : 4096); }

}  // namespace

// A block that may take huge pages starts on a huge page boundary: it is
// mapped with a huge page of room to spare, and the spare ends are given
// back at once. Fresh anonymous memory reads as zero.
void* AllocateLargeBlock(size_t bytes) {
  const size_t size = MappedSize(bytes);
  const size_t slack = size % kHugePage == 0 ? kHugePage : 0;
  void* mapped = mmap(nullptr, size + slack, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (mapped == MAP_FAILED) return nullptr;
  if (slack == 0) return mapped;
  auto* const first = static_cast<char*>(mapped);
  auto* const block = reinterpret_cast<char*>(RoundUp(reinterpret_cast<uintptr_t>(first), kHugePage));
  char* const end = block + size;
  if (block > first) munmap(first, static_cast<size_t>(block - first));
  if (first + size + slack > end) munmap(end, static_cast<size_t>(first + size + slack - end));
  return block;
}

void FreeLargeBlock(void* block, size_t bytes) {
  if (block != nullptr) munmap(block, MappedSize(bytes));
}

void ExpectFill(void* block, size_t bytes, size_t fill) {
  const size_t size = MappedSize(bytes);
  if (block == nullptr || size % kHugePage != 0) return;
  const size_t pages = (std::min(fill, size) + kHugePage - LargeBlockBytes) / kHugePage;
  if (pages > 0) madvise(block, pages * kHugePage, MADV_HUGEPAGE);  // no call for nothing to advise
}

#else

void* AllocateLargeBlock(size_t bytes) { return std::calloc(1, bytes); }

void FreeLargeBlock(void* block, size_t) { std::free(block); }

void ExpectFill(void*, size_t, size_t) {}

#endif

}  // namespace zu
