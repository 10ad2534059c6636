// Replays every input kept under tests/data/fuzz (the fuzz target's crashes
// and a few hand-made hard cases) through the same checks the target makes.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "reader/ReaderChecks.h"
#include "support/LogFiles.h"

namespace zu::testing {
namespace {

std::vector<std::filesystem::path> Inputs() {
  std::vector<std::filesystem::path> inputs;
  for (const auto& entry : std::filesystem::directory_iterator(ZU_TEST_DATA_DIR "/fuzz")) {
    if (entry.is_regular_file()) inputs.push_back(entry.path());
  }
  std::sort(inputs.begin(), inputs.end());
  return inputs;
}

TEST(FuzzReplayTest, EveryKeptInputKeepsTheReadersPromises) {
  const auto inputs = Inputs();
  ASSERT_FALSE(inputs.empty());
  TempDir dir;
  zuLogFile reader;
  ASSERT_TRUE(reader.AllocateBuffer());
  for (const auto& input : inputs) {
    std::ifstream in(input, std::ios::binary);
    const std::string raw((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const std::string bytes =
        ExpandFuzzInput(reinterpret_cast<const uint8_t*>(raw.data()), raw.size());
    const std::string path = dir.Write(input.filename().string(), bytes);
    EXPECT_EQ(OpenAndCheck(reader, path, bytes), "") << input.filename();
  }
}

}  // namespace
}  // namespace zu::testing
