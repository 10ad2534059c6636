// Large blocks that a load fills, such as the reader's buffer and the log
// set's table of 10 x 3001 messages. Their pages are taken as they are first
// touched. On Linux a caller about to fill one can ask for huge pages: a
// small page's first touch costs a page fault (about 1.7 us each on a
// virtual machine of this project's kind), a huge page costs the zeroing of
// 2 MB (about 0.35 us per 4 KB), so a huge page pays once half of it is
// filled, and is never taken for less. Elsewhere, or when the system gives
// no huge pages, they are ordinary blocks.
#pragma once

#include <cstddef>
#include <memory>
#include <new>
#include <utility>

namespace zu {

// A zero-filled block of at least `bytes` bytes, aligned for any object;
// nullptr when there is no memory. Give it back with FreeLargeBlock.
void* AllocateLargeBlock(size_t bytes);
void FreeLargeBlock(void* block, size_t bytes);

// Says that the first `fill` bytes of `block` (from AllocateLargeBlock,
// `bytes` long) are about to be written: the huge pages of the block that
// they fill at least half of are asked for. Only pages not touched yet can
// become huge ones; a hint, without effect where there are none.
void ExpectFill(void* block, size_t bytes, size_t fill);

template <typename T>
struct LargeBlockDelete {
  void operator()(T* object) const {
    object->~T();
    FreeLargeBlock(object, sizeof(T));
  }
};

template <typename T>
using LargeBlockPtr = std::unique_ptr<T, LargeBlockDelete<T>>;

// Constructs a T in a large block; null when there is no memory.
template <typename T, typename... Args>
LargeBlockPtr<T> MakeInLargeBlock(Args&&... args) {
  void* block = AllocateLargeBlock(sizeof(T));
  if (block == nullptr) return nullptr;
  return LargeBlockPtr<T>(new (block) T(std::forward<Args>(args)...));
}

}  // namespace zu
