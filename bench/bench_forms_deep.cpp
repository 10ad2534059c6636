// The main window on the deepest tree the log limits allow: ten full logs
// whose 30,000 messages each answer the one before (one chain 29,999 deep).
//   DeepOpen            the Open command from the chosen list to the filled tree
//   DeepExpandAll       `*` on the top node, the tree laid out and drawn
//   DeepSelectDeepest   selecting the end of the expanded chain, drawn there
//   DeepSearchDeepest   a search from the top of the folded chain to its end
//                       (the tree expands down to the hit), drawn there
// Qt lays out an expanded chain in time that grows with the square of its
// depth; these figures show what that costs at the limit.
// Run offscreen: QT_QPA_PLATFORM=offscreen bench_forms_deep
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTreeWidget>
#include <memory>
#include <string>

#include "core/Search.h"
#include "WindowBenchMain.h"
#include "forms/TreeStack.h"
#include "forms/Unit1.h"
#include "forms/WindowDialogs.h"
#include "support/LogFiles.h"

namespace {

constexpr int kFiles = 10;
constexpr int kPerFile = 3000;
constexpr int kMessages = kFiles * kPerFile;

class ChosenFiles : public zu::WindowDialogs {
 public:
  void Warning(QWidget*, const QString& text) override { warnings.append(text); }
  QStringList ChooseFiles(QWidget*, const QString&) override { return chosen; }
  QStringList chosen;
  QStringList warnings;
};

std::string ChainFile(int f) {
  std::string text = "Forum log\r\n";
  for (int number = f * kPerFile + 1; number <= (f + 1) * kPerFile; ++number) {
    zu::testing::Msg m;
    m.number = number;
    m.parent = number - 1;
    m.title = "Re: chain " + std::to_string(number);
    m.body = "body of " + std::to_string(number) + "\r\n";
    text += zu::testing::Message(m);
  }
  return text;
}

struct Fixture {
  Fixture() {
    for (int f = 0; f < kFiles; ++f) {
      dialogs.chosen.append(QString::fromStdString(dir.Write("deep" + std::to_string(f) + ".log", ChainFile(f))));
    }
    zu::SetDialogs(&dialogs);
    window.show();
  }
  ~Fixture() { zu::SetDialogs(nullptr); }

  QTreeWidget& Tree() { return *window.TV_Log; }
  QTreeWidgetItem* Deepest() {
    QTreeWidgetItem* item = Tree().topLevelItem(0);
    while (item->childCount() == 1) item = item->child(0);
    return item;
  }
  void Draw() {
    QApplication::processEvents();
    Tree().viewport()->repaint();
  }
  void ExpandAll() {
    Tree().setCurrentItem(Tree().topLevelItem(0));
    QKeyEvent asterisk(QEvent::KeyPress, Qt::Key_Asterisk, Qt::NoModifier, QStringLiteral("*"));
    QApplication::sendEvent(&Tree(), &asterisk);
    Draw();
  }

  zu::testing::TempDir dir;
  ChosenFiles dialogs;
  zu::TFrm_Kirdo window;
};

std::unique_ptr<Fixture> shared;

Fixture& Shared() {
  if (!shared) shared = std::make_unique<Fixture>();
  return *shared;
}

void CheckShown(benchmark::State& state, Fixture& fx, int number) {
  if (!fx.dialogs.warnings.isEmpty()) state.SkipWithError("a file failed to load");
  if (fx.window.Ed_Number->text() != QString::number(number)) state.SkipWithError("not shown");
}

void DeepOpen(benchmark::State& state) {
  Fixture& fx = Shared();
  for (auto _ : state) fx.window.MN_File_OpenClick();
  if (fx.window.Logs().NodeCount() != kMessages) state.SkipWithError("nodes missing");
}
BENCHMARK(DeepOpen)->Unit(benchmark::kMillisecond)->Iterations(3);

void DeepExpandAll(benchmark::State& state) {
  Fixture& fx = Shared();
  fx.window.MN_File_OpenClick();
  for (auto _ : state) {
    state.PauseTiming();
    fx.Tree().collapseAll();
    fx.Draw();
    state.ResumeTiming();
    fx.ExpandAll();
  }
  if (!fx.Deepest()->parent()->isExpanded()) state.SkipWithError("not expanded");
}
BENCHMARK(DeepExpandAll)->Unit(benchmark::kMillisecond)->Iterations(3);

void DeepSelectDeepest(benchmark::State& state) {
  Fixture& fx = Shared();
  fx.window.MN_File_OpenClick();
  fx.ExpandAll();
  QTreeWidgetItem* deepest = fx.Deepest();
  for (auto _ : state) {
    state.PauseTiming();
    fx.Tree().setCurrentItem(fx.Tree().topLevelItem(0));
    fx.Draw();
    state.ResumeTiming();
    fx.Tree().setCurrentItem(deepest);
    fx.Draw();
  }
  CheckShown(state, fx, kMessages);
}
BENCHMARK(DeepSelectDeepest)->Unit(benchmark::kMillisecond)->Iterations(3);

void DeepSearchDeepest(benchmark::State& state) {
  Fixture& fx = Shared();
  fx.window.MN_File_OpenClick();
  zu::SearchText = "Re: chain " + std::to_string(kMessages);
  zu::SearchFields = zu::FieldTitle;
  zu::SearchDirection = 1;
  for (auto _ : state) {
    state.PauseTiming();
    fx.Tree().collapseAll();
    fx.Tree().setCurrentItem(fx.Tree().topLevelItem(0));
    fx.Draw();
    state.ResumeTiming();
    fx.window.MN_Edit_SearchClick();
    fx.Draw();
  }
  CheckShown(state, fx, kMessages);
}
BENCHMARK(DeepSearchDeepest)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

// On the viewer's own stack: the chain needs it.
int main(int argc, char** argv) {
  return zu::RunWithTreeStack([&] { return RunWindowBenchmarks(argc, argv, shared); });
}
