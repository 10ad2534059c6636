#include "reader/LargeBlock.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>

namespace zu {
namespace {

// Larger than a huge page and not a multiple of one, as the log set's table.
constexpr size_t kOdd = (size_t{2} << 20) + 12345;

TEST(LargeBlockTest, ZeroFilledAndWritableToItsEnd) {
  auto* block = static_cast<unsigned char*>(AllocateLargeBlock(kOdd));
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(reinterpret_cast<uintptr_t>(block) % alignof(std::max_align_t), 0u);
  size_t nonZero = 0;
  for (size_t k = 0; k < kOdd; ++k) nonZero += block[k] != 0;
  EXPECT_EQ(nonZero, 0u);
  block[0] = 1;
  block[kOdd - 1] = 1;
  FreeLargeBlock(block, kOdd);
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

}  // namespace
}  // namespace zu
