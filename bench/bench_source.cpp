// The converting source on the largest load: ten full logs (TenFullFiles.h).
//   ConvertUtf8 / ConvertEucJp   one full log to CP932 (goal: no slower than
//                                iconv on the same bytes, source_ratios.py)
//   GuessCp932 / Utf8 / EucJp    the encoding guess over a full log
//   OpenTenPlain / OpenTenLzh    the Open command on the ten logs, plain and
//                                as one LZH (-lh5-) of them (goal: the LZH
//                                within 1.5 x bsdtar -xOf plus the plain open)
//   SearchTenPlain / SearchTenLzh  a body search that finds nothing through
//                                all ten, plain files and LZH members (goal:
//                                the same; members are not decompressed again)
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "NoUi.h"
#include "TenFullFiles.h"
#include "core/LogSet.h"
#include "core/Search.h"
#include "source/EncodingGuess.h"
#include "source/LogSource.h"
#include "text/Cp932Codec.h"
#include "text/ToCp932.h"

namespace {

using zu::bench::NoUi;

// The ten logs as files and as one LZH, written once.
struct TenFiles {
  zu::testing::TempDir dir;
  std::vector<std::string> plain;
  std::string lzh;

  TenFiles() {
    std::string args;
    for (int f = 0; f < zu::bench::kTenFiles; ++f) {
      plain.push_back(dir.Write("log" + std::to_string(f) + ".log", zu::bench::TenFilesFile(f)));
      args += " '" + plain.back() + "' log" + std::to_string(f) + ".log";
    }
    lzh = dir.Path("ten.lzh");
    const std::string command = std::string(ZU_MAKE_LZH) + " -lh5- 2 '" + lzh + "'" + args;
    if (std::system(command.c_str()) != 0) std::abort();
  }
};

const TenFiles& Ten() {
  static const TenFiles ten;
  return ten;
}

std::string Encoded(zu::TextEncoding encoding) {
  const std::string cp932 = zu::bench::TenFilesFile(0);
  if (encoding == zu::TextEncoding::Utf8) return zu::Cp932ToUtf8(cp932);
  // EUC-JP by the arithmetic that JIS X 0208 rows follow, the inverse of the converter's.
  std::string euc;
  for (size_t at = 0; at < cp932.size(); ++at) {
    const auto lead = static_cast<unsigned char>(cp932[at]);
    if (lead < 0x80) {
      euc += cp932[at];
      continue;
    }
    const auto trail = static_cast<unsigned char>(cp932[++at]);
    unsigned j1 = (lead <= 0x9F ? lead - 0x70 : lead - 0xB0) * 2;
    unsigned j2 = trail;
    if (trail < 0x9F) {
      j1 -= 1;
      j2 = trail - (trail >= 0x80 ? 0x20 : 0x1F);
    } else {
      j2 = trail - 0x7E;
    }
    euc += static_cast<char>(j1 | 0x80);
    euc += static_cast<char>(j2 | 0x80);
  }
  return euc;
}

void Convert(benchmark::State& state, zu::TextEncoding encoding) {
  const std::string bytes = Encoded(encoding);
  std::string out;
  for (auto _ : state) {
    out.clear();
    zu::AppendAsCp932(encoding, bytes, out);
    benchmark::DoNotOptimize(out.data());
  }
  if (out != zu::bench::TenFilesFile(0)) state.SkipWithError("the conversion lost the CP932 original");
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes.size()));
}

void BM_ConvertUtf8(benchmark::State& state) { Convert(state, zu::TextEncoding::Utf8); }
void BM_ConvertEucJp(benchmark::State& state) { Convert(state, zu::TextEncoding::EucJp); }

void Guess(benchmark::State& state, const std::string& bytes) {
  for (auto _ : state) benchmark::DoNotOptimize(zu::GuessEncoding(bytes));
}

void BM_GuessCp932(benchmark::State& state) { Guess(state, zu::bench::TenFilesFile(0)); }
void BM_GuessUtf8(benchmark::State& state) { Guess(state, Encoded(zu::TextEncoding::Utf8)); }
void BM_GuessEucJp(benchmark::State& state) { Guess(state, Encoded(zu::TextEncoding::EucJp)); }

// A fresh source each time, as a new run of a program has.
void Open(benchmark::State& state, bool lzh) {
  const TenFiles& ten = Ten();
  const std::vector<std::string> paths = lzh ? std::vector<std::string>{ten.lzh} : ten.plain;
  for (auto _ : state) {
    zu::FileSource files;
    zu::LogSource source(files);
    zu::zuLogFile reader;
    reader.UseSource(source);
    reader.AllocateBuffer();
    NoUi ui;
    zu::LogSet set(reader, ui);
    set.OpenFiles(paths);
    if (set.LastFile() != zu::bench::kTenFiles - 1) state.SkipWithError("not ten files");
  }
}

void BM_OpenTenPlain(benchmark::State& state) { Open(state, false); }
void BM_OpenTenLzh(benchmark::State& state) { Open(state, true); }

void Search(benchmark::State& state, bool lzh) {
  const TenFiles& ten = Ten();
  zu::FileSource files;
  zu::LogSource source(files);
  zu::zuLogFile reader;
  reader.UseSource(source);
  reader.AllocateBuffer();
  NoUi ui;
  zu::LogSet set(reader, ui);
  set.OpenFiles(lzh ? std::vector<std::string>{ten.lzh} : ten.plain);
  const zu::NodeId first = set[set.RowOfRank(0)][0].Node;
  for (auto _ : state) {
    zu::SearchHit hit;
    if (zu::RunSearch(set, first, "ZZZQQQ", 1, zu::FieldBody, hit)) state.SkipWithError("found");
  }
}

void BM_SearchTenPlain(benchmark::State& state) { Search(state, false); }
void BM_SearchTenLzh(benchmark::State& state) { Search(state, true); }

BENCHMARK(BM_ConvertUtf8)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ConvertEucJp)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GuessCp932)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GuessUtf8)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GuessEucJp)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenTenPlain)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenTenLzh)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SearchTenPlain)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SearchTenLzh)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
