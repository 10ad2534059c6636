// What a body search shows of its hit, on a message of 40,000 body lines
// whose only hit is on its last line.
//   MarkAndScroll     the marks set and the hit line brought into view, the
//                     message already in the pane (goal: under 50 ms)
//   SearchToLongBody  the Search command from the message before: the walk,
//                     the selection, the view filled, marked and scrolled
// Run offscreen: QT_QPA_PLATFORM=offscreen bench_forms_hit
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTreeWidget>
#include <memory>
#include <string>
#include <vector>

#include "core/MessageView.h"
#include "core/Search.h"
#include "forms/HitMarks.h"
#include "WindowBenchMain.h"
#include "forms/Unit1.h"
#include "forms/WindowDialogs.h"
#include "support/LogFiles.h"

namespace {

constexpr int kLines = 40000;
const std::string kNeedle = "\x83\x82\x83\x66\x83\x80";  // モデム

class ChosenFile : public zu::WindowDialogs {
 public:
  void Warning(QWidget*, const QString& text) override { warnings.append(text); }
  QStringList ChooseFiles(QWidget*, const QString&) override { return chosen; }
  QStringList chosen;
  QStringList warnings;
};

std::string LongBody() {
  std::string body;
  for (int line = 0; line < kLines - 1; ++line) {
    body += "\x96\x7b\x95\xb6 body line " + std::to_string(line) + "\r\n";  // 本文
  }
  return body + "the last line holds " + kNeedle + "\r\n";
}

struct Fixture {
  Fixture() {
    zu::testing::Msg first;
    first.number = 1;
    first.body = "a short one\r\n";
    zu::testing::Msg second;
    second.number = 2;
    second.parent = 1;
    second.body = LongBody();
    const std::string text = "Forum log\r\n" + zu::testing::Message(first) + zu::testing::Header(second) + second.body;
    dialogs.chosen = {QString::fromStdString(dir.Write("long.log", text))};
    zu::SetDialogs(&dialogs);
    window.show();
    window.MN_File_OpenClick();
    zu::SearchText = kNeedle;
    zu::SearchFields = zu::FieldBody;
    zu::SearchDirection = 1;
  }
  ~Fixture() { zu::SetDialogs(nullptr); }

  QTreeWidgetItem* First() { return window.TV_Log->topLevelItem(0); }

  zu::testing::TempDir dir;
  ChosenFile dialogs;
  zu::TFrm_Kirdo window;
};

std::unique_ptr<Fixture> shared;  // dropped before the application object

Fixture& Shared() {
  if (!shared) shared = std::make_unique<Fixture>();
  return *shared;
}

// The pane back at its top with no marks, as a newly shown message is.
void Unmark(QPlainTextEdit& pane) {
  zu::ClearBodyMarks(pane);
  pane.moveCursor(QTextCursor::Start);
  pane.verticalScrollBar()->setValue(0);
}

void MarkAndScroll(benchmark::State& state) {
  Fixture& fx = Shared();
  fx.window.TV_Log->setCurrentItem(fx.First()->child(0));
  zu::MessageView view;
  zu::ReadMessageView(fx.window.Logs(), zu::TFrm_Kirdo::NodeOf(fx.First()->child(0)), view);
  QPlainTextEdit& pane = *fx.window.MM_Text;
  for (auto _ : state) {
    state.PauseTiming();
    Unmark(pane);
    state.ResumeTiming();
    if (!zu::MarkBodyHits(pane, view.Body, kNeedle)) state.SkipWithError("no hit");
  }
  if (pane.verticalScrollBar()->value() < kLines / 2) state.SkipWithError("not scrolled");
  state.counters["lines"] = static_cast<double>(view.Body.size());
}
BENCHMARK(MarkAndScroll)->Unit(benchmark::kMillisecond);

void SearchToLongBody(benchmark::State& state) {
  Fixture& fx = Shared();
  for (auto _ : state) {
    state.PauseTiming();
    fx.window.TV_Log->setCurrentItem(fx.First());
    state.ResumeTiming();
    fx.window.RunSearch();
  }
  if (fx.window.MM_Text->extraSelections().size() != 1) state.SkipWithError("not marked");
}
BENCHMARK(SearchToLongBody)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) { return RunWindowBenchmarks(argc, argv, shared); }
