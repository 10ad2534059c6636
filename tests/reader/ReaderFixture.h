// A reader with its buffer and a temporary folder to write log files into.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "reader/zuLogFile.h"
#include "support/LogFiles.h"

namespace zu::testing {

// A message with the helper's usual fields but its own number and body.
inline Msg Numbered(int32_t number, std::string body = {}) {
  Msg m;
  m.number = number;
  m.body = std::move(body);
  return m;
}

class ReaderTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(reader.AllocateBuffer()); }

  // Writes `bytes` as a file of its own and opens it.
  bool Load(const std::string& bytes) {
    return reader.Open(dir.Write("log" + std::to_string(++files_) + ".txt", bytes));
  }

  std::vector<int32_t> Starts() const {
    std::vector<int32_t> starts;
    for (int32_t s : reader.MessageStarts()) {
      if (s == -1) break;
      starts.push_back(s);
    }
    return starts;
  }

  // Every body line of message i, read j = 0, 1, ... as the view reads them.
  std::vector<std::string> Body(int32_t i) const {
    std::vector<std::string> lines;
    char out[LineBufferSize];
    for (int32_t j = 0; reader.GetBodyLine(i, j, out); ++j) lines.emplace_back(out);
    return lines;
  }

  TempDir dir;
  zuLogFile reader;

 private:
  int files_ = 0;
};

}  // namespace zu::testing
