// Replays every input kept under fuzz/corpus/core (the whole-core fuzz
// target's findings and seeds) through the same run and checks the target
// makes, one set after the other as the target meets them.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>

#include "core/CoreChecks.h"

namespace zu::testing {
namespace {

std::vector<std::filesystem::path> Inputs() {
  std::vector<std::filesystem::path> inputs;
  for (const auto& entry : std::filesystem::directory_iterator(ZU_FUZZ_CORPUS_DIR "/core")) {
    if (entry.is_regular_file()) inputs.push_back(entry.path());
  }
  std::sort(inputs.begin(), inputs.end());
  return inputs;
}

TEST(CoreFuzzReplayTest, EveryKeptInputKeepsTheCoresPromises) {
  const auto inputs = Inputs();
  ASSERT_FALSE(inputs.empty());
  auto run = std::make_unique<CoreRun>();
  for (const auto& input : inputs) {
    std::ifstream in(input, std::ios::binary);
    const std::string raw((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(run->Run(reinterpret_cast<const uint8_t*>(raw.data()), raw.size()), "") << input.filename();
  }
}

}  // namespace
}  // namespace zu::testing
