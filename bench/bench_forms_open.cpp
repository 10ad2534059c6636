// The main window on the largest load the viewer takes: the ten full files of
// TenFullFiles.h (30,000 tree nodes).
//   OpenCommand         the Open command from the chosen list to the filled
//                       tree (goal: under 500 ms)
//   OpenCommandShown    the same, and the tree drawn once
//   SelectOtherFile     selecting a message of another file, which re-reads
//                       that file (goal: under 20 ms)
//   SelectLongBody      selecting a message of 40,000 body lines
// Run offscreen: QT_QPA_PLATFORM=offscreen bench_forms_open
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QPlainTextEdit>
#include <QTreeWidget>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "TenFullFiles.h"
#include "forms/WindowDialogs.h"
#include "WindowBenchMain.h"
#include "forms/Unit1.h"

namespace {

using zu::testing::Msg;

constexpr int kFiles = zu::bench::kTenFiles;
constexpr int kMessages = zu::MaxMessages;

class ChosenFiles : public zu::WindowDialogs {
 public:
  void Warning(QWidget*, const QString& text) override { warnings.append(text); }
  QStringList ChooseFiles(QWidget*, const QString&) override { return chosen; }
  QStringList chosen;
  QStringList warnings;
};

// One message whose body fills a file with 40,000 short lines.
std::string LongBodyFile() {
  Msg m;
  for (int line = 0; line < 40000; ++line) {
    m.body += "\x96\x7b\x95\xb6 body line " + std::to_string(line) + "\r\n";  // 本文
  }
  return zu::testing::Header(m) + m.body;
}

struct Fixture {
  Fixture() {
    for (int f = 0; f < kFiles; ++f) {
      const std::string name = "log" + std::to_string(f) + ".log";
      dialogs.chosen.append(QString::fromStdString(dir.Write(name, zu::bench::TenFilesFile(f))));
    }
    longBody = QString::fromStdString(dir.Write("long.log", LongBodyFile()));
    zu::SetDialogs(&dialogs);
    window.show();
  }
  ~Fixture() { zu::SetDialogs(nullptr); }

  zu::testing::TempDir dir;
  ChosenFiles dialogs;
  QString longBody;
  zu::TFrm_Kirdo window;
};

// Made on first use and dropped before the application object.
std::unique_ptr<Fixture> shared;

Fixture& Shared() {
  if (!shared) shared = std::make_unique<Fixture>();
  return *shared;
}

void CheckLoaded(benchmark::State& state, Fixture& fx) {
  if (!fx.dialogs.warnings.isEmpty()) state.SkipWithError("a file failed to load");
  if (fx.window.Logs().NodeCount() < kFiles * kMessages) state.SkipWithError("nodes missing");
}

void OpenCommand(benchmark::State& state) {
  Fixture& fx = Shared();
  for (auto _ : state) fx.window.MN_File_OpenClick();
  CheckLoaded(state, fx);
  state.counters["nodes"] = fx.window.Logs().NodeCount();
}
BENCHMARK(OpenCommand)->Unit(benchmark::kMillisecond)->Iterations(5);

void OpenCommandShown(benchmark::State& state) {
  Fixture& fx = Shared();
  for (auto _ : state) {
    fx.window.MN_File_OpenClick();
    fx.window.TV_Log->repaint();
  }
  CheckLoaded(state, fx);
}
BENCHMARK(OpenCommandShown)->Unit(benchmark::kMillisecond)->Iterations(5);

void SelectOtherFile(benchmark::State& state) {
  Fixture& fx = Shared();
  fx.window.MN_File_OpenClick();
  QTreeWidget& tree = *fx.window.TV_Log;
  // The first and the last top-level message: two different files.
  QTreeWidgetItem* items[] = {tree.topLevelItem(0), tree.topLevelItem(tree.topLevelItemCount() - 1)};
  int turn = 0;
  for (auto _ : state) tree.setCurrentItem(items[turn++ % 2]);
  if (fx.window.MM_Text->toPlainText().isEmpty()) state.SkipWithError("nothing shown");
}
BENCHMARK(SelectOtherFile)->Unit(benchmark::kMillisecond);

void SelectLongBody(benchmark::State& state) {
  Fixture& fx = Shared();
  const QStringList tenFiles = fx.dialogs.chosen;
  fx.dialogs.chosen = QStringList{fx.longBody};
  fx.window.MN_File_OpenClick();
  fx.dialogs.chosen = tenFiles;
  QTreeWidget& tree = *fx.window.TV_Log;
  for (auto _ : state) {
    tree.clearSelection();
    tree.setCurrentItem(tree.topLevelItem(0));
  }
  if (fx.window.MM_Text->document()->blockCount() != 40000) state.SkipWithError("body incomplete");
}
BENCHMARK(SelectLongBody)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) { return RunWindowBenchmarks(argc, argv, shared); }
