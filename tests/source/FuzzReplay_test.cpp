// Replays every input kept under fuzz/corpus/source_text and source_archive
// (the seeds that make_source_seeds.sh writes and the targets' findings)
// through the checks the fuzz targets make.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "source/SourceChecks.h"

namespace zu::testing {
namespace {

std::vector<std::string> Inputs(const char* corpus) {
  std::vector<std::filesystem::path> paths;
  for (const auto& entry : std::filesystem::directory_iterator(std::string(ZU_FUZZ_CORPUS_DIR "/") + corpus)) {
    if (entry.is_regular_file()) paths.push_back(entry.path());
  }
  std::sort(paths.begin(), paths.end());
  std::vector<std::string> inputs;
  for (const auto& path : paths) {
    std::ifstream in(path, std::ios::binary);
    inputs.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  return inputs;
}

const uint8_t* Bytes(const std::string& s) { return reinterpret_cast<const uint8_t*>(s.data()); }

TEST(SourceFuzzReplayTest, EveryKeptTextKeepsTheConversionsPromises) {
  const auto inputs = Inputs("source_text");
  ASSERT_FALSE(inputs.empty());
  for (const std::string& input : inputs) EXPECT_EQ(CheckText(Bytes(input), input.size()), "");
}

TEST(SourceFuzzReplayTest, EveryKeptArchiveKeepsTheSourcesPromises) {
  const auto inputs = Inputs("source_archive");
  ASSERT_FALSE(inputs.empty());
  MemorySource files;
  zuLogFile reader;
  ASSERT_TRUE(reader.AllocateBuffer());
  for (const std::string& input : inputs) EXPECT_EQ(CheckArchive(Bytes(input), input.size(), files, reader), "");
}

}  // namespace
}  // namespace zu::testing
