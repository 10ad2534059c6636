// Replays every input kept under fuzz/corpus/export (the export fuzz
// target's findings and seeds) through the target's checks.
#include <gtest/gtest.h>

#include <filesystem>

#include "tools/DumpProcess.h"
#include "tools/ExportChecks.h"

namespace zu::testing {
namespace {

TEST(ExportFuzzReplayTest, EveryKeptInputKeepsTheExportsPromises) {
  int inputs = 0;
  for (const auto& entry : std::filesystem::directory_iterator(ZU_FUZZ_CORPUS_DIR "/export")) {
    EXPECT_EQ(ExportTextBroken(ReadAll(entry.path().string())), "") << entry.path().filename();
    ++inputs;
  }
  EXPECT_GE(inputs, 5);
}

}  // namespace
}  // namespace zu::testing
