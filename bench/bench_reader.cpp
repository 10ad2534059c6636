// The reader at its limits: a full file of 1,500,000 bytes and 3000
// messages opened and indexed, and a message whose body is 1.4 MB read line
// by line as the view and the search read it.
#include <benchmark/benchmark.h>

#include <string>

#include "reader/zuLogFile.h"
#include "support/LogFiles.h"
#include "text/Cp932.h"

namespace {

using zu::testing::Msg;

constexpr size_t kMessageBytes = zu::BufferSize / zu::MaxMessages;  // 500
constexpr int32_t kLongBodyLines = 40000;

// 3000 messages of exactly 500 bytes each: a file of exactly BufferSize.
std::string FullFile() {
  std::string data;
  for (int32_t n = 1; n <= zu::MaxMessages; ++n) {
    Msg m;
    m.number = n;
    m.parent = n > 1 ? n / 2 : -1;
    const size_t fixed = zu::testing::Header(m).size() + 2;  // and the line before the next pair
    const std::string line = std::string(62, 'x') + "\r\n";
    while (fixed + m.body.size() + line.size() <= kMessageBytes) m.body += line;
    m.body += std::string(kMessageBytes - fixed - m.body.size() - 2, 'y') + "\r\n";
    data += zu::testing::Message(m);
  }
  return data;
}

// One line of 35 bytes in CP932: kana, kanji, ASCII and half-width kana.
std::string BodyLine(int32_t k) {
  std::string line = "\x82\xb1\x82\xea\x82\xcd\x95\x5c\x8e\xa6 test " + std::to_string(k % 10000);
  line += "\xb1\xb2\xb3";
  line.resize(33, '.');
  return line + "\r\n";
}

std::string LongBodyFile() {
  Msg m;
  m.body.reserve(static_cast<size_t>(kLongBodyLines) * 35);
  for (int32_t k = 0; k < kLongBodyLines; ++k) m.body += BodyLine(k);
  return zu::testing::Message(m);
}

struct Files {
  zu::testing::TempDir dir;
  std::string full = dir.Write("full.txt", FullFile());
  std::string longBody = dir.Write("long.txt", LongBodyFile());
};

Files& TheFiles() {
  static Files files;
  return files;
}

zu::zuLogFile& Reader() {
  static zu::zuLogFile reader;
  reader.AllocateBuffer();
  return reader;
}

void BM_OpenFullFile(benchmark::State& state) {
  zu::zuLogFile& reader = Reader();
  for (auto _ : state) {
    benchmark::DoNotOptimize(reader.Open(TheFiles().full));
  }
  if (reader.DataLength() != zu::BufferSize || reader.GetCount() != zu::MaxMessages)
    state.SkipWithError("the full file is not 1,500,000 bytes and 3000 messages");
  state.SetBytesProcessed(state.iterations() * zu::BufferSize);
}
BENCHMARK(BM_OpenFullFile)->Unit(benchmark::kMillisecond);

// What loading the log set reads of every message after Open.
void BM_OpenFullFileAndLoadFields(benchmark::State& state) {
  zu::zuLogFile& reader = Reader();
  for (auto _ : state) {
    reader.Open(TheFiles().full);
    for (int32_t i = 0; i < reader.GetCount(); ++i) {
      benchmark::DoNotOptimize(reader.GetNumber(i));
      benchmark::DoNotOptimize(reader.GetParentNumber(i));
      benchmark::DoNotOptimize(reader.GetTitle(i));
    }
  }
}
BENCHMARK(BM_OpenFullFileAndLoadFields)->Unit(benchmark::kMillisecond);

void BM_ReadEveryBodyLineOfALongBody(benchmark::State& state) {
  zu::zuLogFile& reader = Reader();
  reader.Open(TheFiles().longBody);
  char line[zu::LineBufferSize];
  int32_t lines = 0;
  for (auto _ : state) {
    for (lines = 0; reader.GetBodyLine(0, lines, line); ++lines) benchmark::DoNotOptimize(line);
  }
  // The last message's final line before EOF ("\r\n" from Message) is body too.
  if (lines != kLongBodyLines + 1) state.SkipWithError("the long body has the wrong line count");
  state.counters["lines"] = lines;
  state.SetBytesProcessed(state.iterations() * reader.DataLength());
}
BENCHMARK(BM_ReadEveryBodyLineOfALongBody)->Unit(benchmark::kMillisecond);

// The view converts the body line by line for the text pane.
void BM_ConvertLongBodyLineByLine(benchmark::State& state) {
  zu::zuLogFile& reader = Reader();
  reader.Open(TheFiles().longBody);
  char line[zu::LineBufferSize];
  for (auto _ : state) {
    for (int32_t j = 0; reader.GetBodyLine(0, j, line); ++j) benchmark::DoNotOptimize(zu::FromCp932(line));
  }
}
BENCHMARK(BM_ConvertLongBodyLineByLine)->Unit(benchmark::kMillisecond);

void BM_ConvertLongBodyWhole(benchmark::State& state) {
  const std::string body = LongBodyFile();
  for (auto _ : state) benchmark::DoNotOptimize(zu::FromCp932(body));
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(body.size()));
}
BENCHMARK(BM_ConvertLongBodyWhole)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
