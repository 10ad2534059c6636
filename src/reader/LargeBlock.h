// Large blocks that a load fills, such as the reader's buffer and the log
// set's table of 10 x 3001 messages. Their pages are taken as they are first
// touched. On Linux a caller about to fill one can ask for huge pages: a
// small page's first touch costs a page fault, a huge page the zeroing of
// 2 MB. On the virtual machines this project runs on, a fault took from 1.7
// to 8 us and a huge page from 50 to 180 us (the zeroing at 0.1 to 0.35 us
// per 4 KB), so a huge page pays once an eighth of it is filled, and is
// never taken for less. Elsewhere, or when the system gives no huge pages,
// they are ordinary blocks.
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
// they fill at least an eighth of are asked for. Only pages not touched yet can
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

// The smallest block that may take a huge page.
inline constexpr size_t LargeBlockBytes = size_t{256} << 10;

// For containers that are filled once they are sized (a string read whole,
// a table reserved for what a load puts in it): a LargeBlockBytes or more
// is taken as a large block, its huge pages asked for.
template <typename T>
struct LargeBlockAllocator {
  using value_type = T;

  LargeBlockAllocator() = default;
  template <typename U>
  LargeBlockAllocator(const LargeBlockAllocator<U>&) {}

  T* allocate(size_t n) {
    const size_t bytes = n * sizeof(T);
    if (bytes < LargeBlockBytes) return std::allocator<T>().allocate(n);
    void* block = AllocateLargeBlock(bytes);
    if (block == nullptr) throw std::bad_alloc();
    ExpectFill(block, bytes, bytes);
    return static_cast<T*>(block);
  }
  void deallocate(T* p, size_t n) {
    if (n * sizeof(T) < LargeBlockBytes) std::allocator<T>().deallocate(p, n);
    else FreeLargeBlock(p, n * sizeof(T));
  }
  template <typename U>
  bool operator==(const LargeBlockAllocator<U>&) const { return true; }
  template <typename U>
  bool operator!=(const LargeBlockAllocator<U>&) const { return false; }
};

// Constructs a T in a large block; null when there is no memory.
template <typename T, typename... Args>
LargeBlockPtr<T> MakeInLargeBlock(Args&&... args) {
  void* block = AllocateLargeBlock(sizeof(T));
  if (block == nullptr) return nullptr;
  return LargeBlockPtr<T>(new (block) T(std::forward<Args>(args)...));
}

}  // namespace zu
