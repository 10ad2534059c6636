#include "core/TextArena.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace zu {
namespace {

// Texts of every size around the arena's block and its quarter, kept among
// many small ones: every view must still read its own text at the end.
TEST(TextArenaTest, EveryViewKeepsItsTextUntilClear) {
  const size_t sizes[] = {0, 1, 254, (16 << 10) - 1, 16 << 10, (16 << 10) + 1, 64 << 10, (64 << 10) + 1, 200000};
  TextArena arena;
  std::vector<std::string> texts;
  std::vector<std::string_view> views;
  for (int round = 0; round < 40; ++round) {
    for (size_t size : sizes) {
      texts.push_back(std::string(size, static_cast<char>('a' + texts.size() % 26)));
      views.emplace_back();
      ASSERT_TRUE(arena.Keep(texts.back(), views.back()));
    }
  }
  for (size_t k = 0; k < texts.size(); ++k) ASSERT_EQ(views[k], texts[k]) << k;
  EXPECT_GE(arena.BlockBytes(), 40 * (200000 + (64 << 10) + 1));
  arena.Clear();
  EXPECT_EQ(arena.BlockBytes(), 0u);
}

}  // namespace
}  // namespace zu
