// The core's costly paths on the largest load the viewer takes: ten files of
// 1,500,000 bytes and 3000 messages each, with replies across files.
//   OpenFiles          load and build, as the Open command
//   BuildThreadTree    the tree alone (goal: under 30 ms)
//   ViewOtherFile      selecting a message of another file (goal: under 20 ms)
//   SearchBodyNothing  a body search through every file that finds nothing,
//                      re-reading each file (goal: under 150 ms)
#include <benchmark/benchmark.h>

#include "NoUi.h"

#include <cstdio>
#include <string>
#include <vector>

#include "core/LogSet.h"
#include "core/MessageView.h"
#include "core/Search.h"
#include "support/LogFiles.h"

namespace {

using zu::testing::Msg;

constexpr int kFiles = 10;
constexpr int kMessages = 3000;
constexpr size_t kFileBytes = 1500000;

using zu::bench::NoUi;

// Body text of mixed Japanese (CP932) and ASCII, about 400 bytes.
std::string BodyOf(int number) {
  std::string body;
  for (int line = 0; line < 6; ++line) {
    body += "\x83\x82\x83\x66\x83\x80\x82\xcc\x90\xdd\x92\xe8 line " + std::to_string(line) +
            " of message " + std::to_string(number) + ", some words about settings.\r\n";
  }
  return body;
}

// Message k of file f. Most are replies: to the message before, to one in
// the file before, to one in the file after (placed later, so it goes under a
// placeholder), or to one that no file holds. The placeholders needed stay
// just within the table.
Msg MessageOf(int f, int k) {
  Msg m;
  m.number = 1 + f * kMessages + k;
  m.title = "Re: topic " + std::to_string(m.number % 700);
  switch (k % 12) {
    case 1: case 7: case 9: m.parent = m.number - 1; break;
    case 2: case 8: case 10: m.parent = f > 0 ? m.number - kMessages : -1; break;
    case 4: m.parent = f + 1 < kFiles ? m.number + kMessages - 5 : -1; break;
    case 5: case 11: m.parent = 90000 + k % 500; break;
    default: m.parent = -1;
  }
  m.body = BodyOf(m.number);
  return m;
}

// A file of exactly kFileBytes: the last message's body is padded.
std::string FileOf(int f) {
  std::string text = "Forum log\r\n";
  for (int k = 0; k < kMessages; ++k) text += zu::testing::Message(MessageOf(f, k));
  if (text.size() > kFileBytes) std::abort();
  size_t left = kFileBytes - text.size();
  while (left > 0) {
    const size_t line = left > 102 ? 100 : left - 2;
    if (left < 2) std::abort();
    text += std::string(line, 'p') + "\r\n";
    left -= line + 2;
  }
  return text;
}

struct Fixture {
  Fixture() {
    for (int f = 0; f < kFiles; ++f) {
      paths.push_back(dir.Write("log" + std::to_string(f) + ".txt", FileOf(f)));
    }
    reader.AllocateBuffer();
    set.OpenFiles(paths);
    if (set.LastFile() != kFiles - 1 || set[kFiles - 1][kMessages - 1].Number == -1) std::abort();
  }

  zu::testing::TempDir dir;
  std::vector<std::string> paths;
  zu::zuLogFile reader;
  NoUi ui;
  zu::LogSet set{reader, ui};
};

Fixture& Files() {
  static Fixture fixture;
  return fixture;
}

void BM_OpenFiles(benchmark::State& state) {
  Fixture& fx = Files();
  for (auto _ : state) fx.set.OpenFiles(fx.paths);
  state.counters["nodes"] = fx.set.NodeCount();
}
BENCHMARK(BM_OpenFiles)->Unit(benchmark::kMillisecond);

void BM_BuildThreadTree(benchmark::State& state) {
  Fixture& fx = Files();
  fx.set.OpenFiles(fx.paths);
  for (auto _ : state) fx.set.BuildThreadTree();
  const int32_t free = fx.set.FindFreeOrphanRoot();
  state.counters["placeholders"] = free == -1 ? zu::MaxOrphanRoots : free;
}
BENCHMARK(BM_BuildThreadTree)->Unit(benchmark::kMillisecond);

// Every selection switches file, so each one reads and indexes a file.
void BM_ViewOtherFile(benchmark::State& state) {
  Fixture& fx = Files();
  fx.set.OpenFiles(fx.paths);
  zu::MessageView view;
  int turn = 0;
  for (auto _ : state) {
    const zu::NodeId node = fx.set[turn % 2][1500].Node;
    if (!zu::ReadMessageView(fx.set, node, view)) state.SkipWithError("view failed");
    ++turn;
  }
}
BENCHMARK(BM_ViewOtherFile)->Unit(benchmark::kMillisecond);

// From the first message of the first file down to the end; the reader holds
// the last file when each run starts, so all ten files are read again.
void BM_SearchBodyNothing(benchmark::State& state) {
  Fixture& fx = Files();
  fx.set.OpenFiles(fx.paths);
  const zu::NodeId start = fx.set[fx.set.RowOfRank(0)][0].Node;
  zu::SearchHit hit;
  for (auto _ : state) {
    if (zu::RunSearch(fx.set, start, "needle", 1, zu::FieldBody, hit)) {
      state.SkipWithError("unexpected hit");
    }
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * kFiles * kFileBytes);
}
BENCHMARK(BM_SearchBodyNothing)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
