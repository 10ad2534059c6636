// Replays every input kept under fuzz/corpus/reader (the fuzz target's
// findings and a few hand-made hard cases) through the same checks the
// target makes, reading from memory as the target does.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "reader/ReaderChecks.h"

namespace zu::testing {
namespace {

std::vector<std::filesystem::path> Inputs() {
  std::vector<std::filesystem::path> inputs;
  for (const auto& entry : std::filesystem::directory_iterator(ZU_FUZZ_CORPUS_DIR "/reader")) {
    if (entry.is_regular_file()) inputs.push_back(entry.path());
  }
  std::sort(inputs.begin(), inputs.end());
  return inputs;
}

TEST(FuzzReplayTest, EveryKeptInputKeepsTheReadersPromises) {
  const auto inputs = Inputs();
  ASSERT_FALSE(inputs.empty());
  MemorySource source;
  zuLogFile reader;
  ASSERT_TRUE(reader.AllocateBuffer());
  reader.UseSource(source);
  for (const auto& input : inputs) {
    std::ifstream in(input, std::ios::binary);
    const std::string raw((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    MemorySource::File& file = source.Get("log");
    FuzzFile(reinterpret_cast<const uint8_t*>(raw.data()), raw.size(), file);
    EXPECT_EQ(OpenAndCheck(reader, "log", file), "") << input.filename();
  }
}

}  // namespace
}  // namespace zu::testing
