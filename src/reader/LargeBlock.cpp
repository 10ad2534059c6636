#include "reader/LargeBlock.h"

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

}  // namespace

// Mapped with a huge page of room to spare, so that the block can start on a
// huge page boundary; the spare ends are given back at once. Fresh anonymous
// memory reads as zero.
void* AllocateLargeBlock(size_t bytes) {
  const size_t size = RoundUp(bytes, kHugePage);
  const size_t mappedSize = size + kHugePage;
  void* mapped = mmap(nullptr, mappedSize, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (mapped == MAP_FAILED) return nullptr;
  auto* const first = static_cast<char*>(mapped);
  auto* const block = reinterpret_cast<char*>(RoundUp(reinterpret_cast<uintptr_t>(first), kHugePage));
  char* const end = block + size;
  if (block > first) munmap(first, static_cast<size_t>(block - first));
  if (first + mappedSize > end) munmap(end, static_cast<size_t>(first + mappedSize - end));
  madvise(block, size, MADV_HUGEPAGE);  // a hint: without huge pages the block still works
  return block;
}

void FreeLargeBlock(void* block, size_t bytes) {
  if (block != nullptr) munmap(block, RoundUp(bytes, kHugePage));
}

#else

void* AllocateLargeBlock(size_t bytes) { return std::calloc(1, bytes); }

void FreeLargeBlock(void* block, size_t) { std::free(block); }

#endif

}  // namespace zu
