// zu_kirdo_dump export of the largest load, run as the user runs it: the
// whole process (load, build, convert, write) on ten files of 1,500,000 bytes
// with 3000 messages each (30,000 messages, 15 MB).
//   ExportMbox, ExportHtml   goal: under 1 s each, peak memory under 200 MB
// Wall time, since the work is the child's; peak_rss_MB is the child's
// largest resident set and cpu_s its user + system time (getrusage of the
// waited process). The html export creates one file per thread (10,001
// here), which costs what the disk's file system asks; the /shm variants
// write to memory (/dev/shm) and so show the program's own share.
#include <benchmark/benchmark.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "TenFullFiles.h"
#include "support/LogFiles.h"

extern char** environ;

namespace {

struct Files {
  Files() {
    for (int f = 0; f < zu::bench::kTenFiles; ++f) {
      paths.push_back(dir.Write("log" + std::to_string(f) + ".log", zu::bench::TenFilesFile(f)));
    }
  }
  zu::testing::TempDir dir;
  std::vector<std::string> paths;
};

Files& TenFiles() {
  static Files files;
  return files;
}

struct ChildUsage {
  long peakKb = 0;
  double cpuSeconds = 0;
};

double Seconds(const timeval& t) { return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6; }

// Runs the export to `output`; false when it did not exit with 0. Adds the
// child's use of memory and time to `used`.
bool RunExport(const std::string& format, const std::string& output, ChildUsage& used) {
  std::vector<std::string> args = {ZU_DUMP_TOOL, "export", "--format", format, "--output", output};
  const auto& paths = TenFiles().paths;
  args.insert(args.end(), paths.begin(), paths.end());
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  pid_t pid = 0;
  if (posix_spawn(&pid, ZU_DUMP_TOOL, nullptr, nullptr, argv.data(), environ) != 0) return false;
  int status = 0;
  rusage usage{};
  if (wait4(pid, &status, 0, &usage) != pid) return false;
  used.peakKb = std::max(used.peakKb, usage.ru_maxrss);
  used.cpuSeconds += Seconds(usage.ru_utime) + Seconds(usage.ru_stime);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

void Export(benchmark::State& state, const std::string& format, bool inMemory) {
  const std::string name = "zu_bench_export." + format;
  const std::string output = inMemory ? "/dev/shm/" + name : TenFiles().dir.Path(name);
  ChildUsage used;
  for (auto _ : state) {
    if (!RunExport(format, output, used)) state.SkipWithError("export failed");
    state.PauseTiming();
    std::filesystem::remove_all(output);
    state.ResumeTiming();
  }
  state.counters["peak_rss_MB"] = static_cast<double>(used.peakKb) / 1024.0;
  state.counters["cpu_s"] = used.cpuSeconds / static_cast<double>(state.iterations());
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * zu::bench::kTenFiles *
                          zu::BufferSize);
}

void BM_ExportMbox(benchmark::State& state) { Export(state, "mbox", false); }
BENCHMARK(BM_ExportMbox)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

void BM_ExportHtml(benchmark::State& state) { Export(state, "html", false); }
BENCHMARK(BM_ExportHtml)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

void BM_ExportMboxShm(benchmark::State& state) { Export(state, "mbox", true); }
BENCHMARK(BM_ExportMboxShm)->Name("BM_ExportMbox/shm")->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

void BM_ExportHtmlShm(benchmark::State& state) { Export(state, "html", true); }
BENCHMARK(BM_ExportHtmlShm)->Name("BM_ExportHtml/shm")->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

}  // namespace

BENCHMARK_MAIN();
