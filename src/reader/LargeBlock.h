// Large blocks that a load touches whole, such as the log set's table of
// 10 x 3001 messages. On Linux they are asked for in huge pages: the first
// touch of every 4 KB page costs a page fault, microseconds each on a virtual
// machine, and ten full files touch well over a thousand of them. Elsewhere,
// or when the system gives no huge pages, they are ordinary blocks.
#pragma once

#include <cstddef>
#include <memory>
#include <new>
#include <utility>
#include <vector>

namespace zu {

// A zero-filled block of at least `bytes` bytes, aligned for any object;
// nullptr when there is no memory. Give it back with FreeLargeBlock.
void* AllocateLargeBlock(size_t bytes);
void FreeLargeBlock(void* block, size_t bytes);

template <typename T>
struct LargeBlockDelete {
  void operator()(T* object) const {
    object->~T();
    FreeLargeBlock(object, sizeof(T));
  }
};

template <typename T>
using LargeBlockPtr = std::unique_ptr<T, LargeBlockDelete<T>>;

// For the few containers that a load of ten full files fills to hundreds of
// kilobytes (reserve them first): every allocation is a large block, so a
// small one still takes a huge page.
template <typename T>
struct LargeBlockAllocator {
  using value_type = T;
  LargeBlockAllocator() = default;
  template <typename U>
  LargeBlockAllocator(const LargeBlockAllocator<U>&) {}  // NOLINT: converts as std::allocator does

  T* allocate(size_t n) {
    void* block = AllocateLargeBlock(n * sizeof(T));
    if (block == nullptr) throw std::bad_alloc();
    return static_cast<T*>(block);
  }
  void deallocate(T* block, size_t n) { FreeLargeBlock(block, n * sizeof(T)); }
  friend bool operator==(const LargeBlockAllocator&, const LargeBlockAllocator&) { return true; }
};

template <typename T>
using LargeVector = std::vector<T, LargeBlockAllocator<T>>;

// Constructs a T in a large block; throws std::bad_alloc as new would.
template <typename T, typename... Args>
LargeBlockPtr<T> MakeInLargeBlock(Args&&... args) {
  void* block = AllocateLargeBlock(sizeof(T));
  if (block == nullptr) throw std::bad_alloc();
  return LargeBlockPtr<T>(new (block) T(std::forward<Args>(args)...));
}

}  // namespace zu
