#include "reader/LargeBlock.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "support/AddressSpace.h"
#include "support/HugePages.h"

namespace zu {
namespace {

// Larger than a huge page and not a multiple of one, as the log set's table.
constexpr size_t kOdd = (size_t{2} << 20) + 12345;

TEST(LargeBlockTest, ZeroFilledAndWritableToItsEnd) {
  for (const size_t bytes : {size_t{1}, size_t{4097}, kOdd}) {  // a page's byte past whole pages
    auto* block = static_cast<unsigned char*>(AllocateLargeBlock(bytes));
    ASSERT_NE(block, nullptr) << bytes;
    EXPECT_EQ(reinterpret_cast<uintptr_t>(block) % alignof(std::max_align_t), 0u);
    size_t nonZero = 0;
    for (size_t k = 0; k < bytes; ++k) nonZero += block[k] != 0;
    EXPECT_EQ(nonZero, 0u) << bytes;
    block[0] = 1;
    block[bytes - 1] = 1;
    FreeLargeBlock(block, bytes);
  }
}

struct Counted {
  Counted() { ++made; }
  ~Counted() { ++gone; }
  int32_t value = 7;
  static inline int made = 0;
  static inline int gone = 0;
};

TEST(LargeBlockTest, ObjectsAreBuiltAndDestroyedInIt) {
  {
    const auto table = MakeInLargeBlock<std::array<Counted, 1000>>();
    EXPECT_EQ(Counted::made, 1000);
    EXPECT_EQ((*table)[999].value, 7);
  }
  EXPECT_EQ(Counted::gone, 1000);
}

// A container grown from small blocks into large ones, and back, gives each
// block back the way it was taken (the sanitizers tell a mismatch) and keeps
// its contents across every move.
TEST(LargeBlockTest, ContainersKeepTheirContentsAcrossTheLargeBlockSize) {
  for (const size_t count : {LargeBlockBytes / 4 - 1, LargeBlockBytes / 4, 3 * LargeBlockBytes}) {
    std::vector<int32_t, LargeBlockAllocator<int32_t>> values;
    for (size_t k = 0; k < count; ++k) values.push_back(static_cast<int32_t>(k));
    values.resize(count / 2);
    values.shrink_to_fit();
    size_t wrong = 0;
    for (size_t k = 0; k < values.size(); ++k) wrong += values[k] != static_cast<int32_t>(k);
    EXPECT_EQ(wrong, 0u) << count;
  }
}

#if defined(__linux__) && !defined(__SANITIZE_ADDRESS__)
// A container's block large enough to take a huge page starts on a huge
// page's boundary, where the kernel can give it one (the heap's blocks under
// the address sanitizer need not).
TEST(LargeBlockTest, ABlockThatMayTakeAHugePageStartsOnItsBoundary) {
  constexpr size_t kHugePage = size_t{2} << 20;
  LargeBlockAllocator<char> allocator;
  constexpr size_t kQuarterMegabyte = size_t{256} << 10;  // the least that is worth a huge page
  for (const size_t bytes : {kQuarterMegabyte, 3 * kQuarterMegabyte, kHugePage + 1}) {
    char* block = allocator.allocate(bytes);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(block) % kHugePage, 0u) << bytes;
    allocator.deallocate(block, bytes);
  }
}
#endif

// Huge pages are asked for where a fill covers at least an eighth of one,
// and for no page that less of the fill reaches.
TEST(LargeBlockTest, HugePagesOnlyWhereTheFillPaysForThem) {
  if (!testing::CanTellHugePages()) GTEST_SKIP() << "no transparent huge pages to tell";
  constexpr size_t kHugePage = size_t{2} << 20;
  const size_t fills[] = {0, LargeBlockBytes - 1, LargeBlockBytes, kOdd};
  for (const size_t fill : fills) {
    char* block = static_cast<char*>(AllocateLargeBlock(kOdd));
    ASSERT_NE(block, nullptr);
    ExpectFill(block, kOdd, fill);
    EXPECT_EQ(testing::HugePagesAskedAt(block), fill >= LargeBlockBytes) << fill;
    EXPECT_EQ(testing::HugePagesAskedAt(block + kHugePage), fill >= kHugePage + LargeBlockBytes) << fill;
    FreeLargeBlock(block, kOdd);
  }
}

#if defined(ZU_CAN_LIMIT_ADDRESS_SPACE)
// A block that goes gives its address space back: a hundred blocks one after
// the other, under a limit that holds a few of them at once.
TEST(LargeBlockDeathTest, ABlockThatGoesGivesItsAddressSpaceBack) {
  EXPECT_EXIT(
      {
        if (!testing::LimitAddressSpace(size_t{64} << 20)) std::_Exit(2);
        for (int k = 0; k < 100; ++k) {
          if (!MakeInLargeBlock<std::array<char, (size_t{8} << 20)>>()) std::_Exit(1);
        }
        std::_Exit(0);
      },
      ::testing::ExitedWithCode(0), "");
}
#endif

}  // namespace
}  // namespace zu
