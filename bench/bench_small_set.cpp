// The Open command on a small set, as the fuzz target and a user who opens
// one short log again and again meet it. Resetting the set costs what the
// set before used, not a sweep of the whole table of 10 x 3001 items.
//   OpenOneSmallLog   one log of two messages, read from memory
#include <benchmark/benchmark.h>

#include "NoUi.h"

#include <string>

#include "core/LogSet.h"
#include "support/LogFiles.h"
#include "support/MemorySource.h"

namespace {

using zu::bench::NoUi;

void BM_OpenOneSmallLog(benchmark::State& state) {
  zu::testing::MemorySource source;
  zu::testing::Msg first;
  zu::testing::Msg reply;
  reply.number = 2;
  reply.parent = 1;
  source.Put("small.log", zu::testing::Message(first) + zu::testing::Message(reply));
  zu::zuLogFile reader;
  reader.AllocateBuffer();
  reader.UseSource(source);
  NoUi ui;
  zu::LogSet set(reader, ui);
  for (auto _ : state) set.OpenFiles({"small.log"});
  if (set.LastFile() != 0 || set.NodeCount() != 2) state.SkipWithError("the log did not load");
}
BENCHMARK(BM_OpenOneSmallLog)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
