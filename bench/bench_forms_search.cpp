// The main window's Search command (F3) on the largest load: ten full files,
// 30,000 messages. From the first message of the first file down to the end
// of the search order, with nothing found, until the warning
// "検索末尾まで検索しました", which the benchmark answers. Goal: under 100 ms.
//   SearchBody     the body, as the conditions dialog first offers
//   SearchAll      every field: number, name, ID, title and body
//   SearchBodyBox  the body, with the real warning box shown and closed as
//                  soon as it is up (offscreen, so without a window manager)
// Each run starts with the reader holding the last file, as a search that
// ran to the end leaves it, so every file is read again.
// Run offscreen: QT_QPA_PLATFORM=offscreen bench_forms_search
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QTimer>
#include <QTreeWidget>
#include <memory>
#include <string>

#include "TenFullFiles.h"
#include "core/Search.h"
#include "forms/WindowDialogs.h"
#include "WindowBenchMain.h"
#include "forms/Unit1.h"

namespace {

const QString kEndWarning = QStringLiteral("検索末尾まで検索しました");

class AnsweringDialogs : public zu::WindowDialogs {
 public:
  void Warning(QWidget* owner, const QString& text) override {
    warnings.append(text);
    if (!showBox) return;
    // Pressed as soon as the box's own event loop runs.
    QTimer::singleShot(0, [] {
      if (QWidget* box = QApplication::activeModalWidget()) box->close();
    });
    WindowDialogs::Warning(owner, text);
  }
  QStringList ChooseFiles(QWidget*, const QString&) override { return chosen; }
  QStringList chosen;
  QStringList warnings;
  bool showBox = false;
};

struct Fixture {
  Fixture() {
    for (int f = 0; f < zu::bench::kTenFiles; ++f) {
      const std::string name = "log" + std::to_string(f) + ".log";
      dialogs.chosen.append(QString::fromStdString(dir.Write(name, zu::bench::TenFilesFile(f))));
    }
    zu::SetDialogs(&dialogs);
    window.show();
    window.MN_File_OpenClick();
    // The first message of the first file, selected as a user clicks it.
    window.TV_Log->setCurrentItem(window.TV_Log->topLevelItem(0));
  }
  ~Fixture() { zu::SetDialogs(nullptr); }

  zu::testing::TempDir dir;
  AnsweringDialogs dialogs;
  zu::TFrm_Kirdo window;
};

std::unique_ptr<Fixture> shared;

Fixture& Shared() {
  if (!shared) shared = std::make_unique<Fixture>();
  return *shared;
}

void SearchToTheEnd(benchmark::State& state, int32_t fields, bool showBox = false) {
  Fixture& fx = Shared();
  fx.dialogs.showBox = showBox;
  zu::SearchText = "ZZZQQQ";
  zu::SearchDirection = 1;
  zu::SearchFields = fields;
  QTreeWidgetItem* start = fx.window.TV_Log->currentItem();
  for (auto _ : state) {
    fx.dialogs.warnings.clear();
    fx.window.MN_Edit_SearchClick();
    if (fx.dialogs.warnings != QStringList{kEndWarning}) state.SkipWithError("no end warning");
  }
  if (fx.window.TV_Log->currentItem() != start) state.SkipWithError("the selection moved");
  fx.dialogs.showBox = false;
}

void SearchBody(benchmark::State& state) { SearchToTheEnd(state, zu::FieldBody); }
BENCHMARK(SearchBody)->Unit(benchmark::kMillisecond);

void SearchAll(benchmark::State& state) {
  using namespace zu;
  SearchToTheEnd(state, FieldNumber | FieldName | FieldID | FieldTitle | FieldBody);
}
BENCHMARK(SearchAll)->Unit(benchmark::kMillisecond);

void SearchBodyBox(benchmark::State& state) { SearchToTheEnd(state, zu::FieldBody, true); }
BENCHMARK(SearchBodyBox)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) { return RunWindowBenchmarks(argc, argv, shared); }
