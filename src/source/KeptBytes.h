// The bytes of files and members that the source reads whole and keeps:
// a megabyte or more is taken as a large block, its huge pages asked for,
// since such bytes are written once from end to end. A full log then costs
// one huge page's zeroing instead of a page fault for every 4 KB.
#pragma once

#include <cstddef>
#include <memory>
#include <new>
#include <string>

#include "reader/LargeBlock.h"

namespace zu {

template <typename T>
struct KeptBytesAllocator {
  using value_type = T;
  static constexpr size_t kLarge = size_t{1} << 20;

  KeptBytesAllocator() = default;
  template <typename U>
  KeptBytesAllocator(const KeptBytesAllocator<U>&) {}

  T* allocate(size_t n) {
    const size_t bytes = n * sizeof(T);
    if (bytes < kLarge) return std::allocator<T>().allocate(n);
    void* block = AllocateLargeBlock(bytes);
    if (block == nullptr) throw std::bad_alloc();
    ExpectFill(block, bytes, bytes);
    return static_cast<T*>(block);
  }
  void deallocate(T* p, size_t n) {
    if (n * sizeof(T) < kLarge) std::allocator<T>().deallocate(p, n);
    else FreeLargeBlock(p, n * sizeof(T));
  }
  template <typename U>
  bool operator==(const KeptBytesAllocator<U>&) const { return true; }
  template <typename U>
  bool operator!=(const KeptBytesAllocator<U>&) const { return false; }
};

using KeptBytes = std::basic_string<char, std::char_traits<char>, KeptBytesAllocator<char>>;

}  // namespace zu
