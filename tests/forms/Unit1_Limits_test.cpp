// The window at the machine's limits: a stack that holds a shallower tree
// than the logs make, and an allocation that fails inside a command.
#include <QTimer>
#include <QTreeWidgetItemIterator>
#include <new>

#include "Unit1Harness.h"
#include "core/Messages.h"

namespace zu::testing {
namespace {

QString Said(zu::Message m) { return QString::fromUtf8(MessageText(m)); }

// Throws std::bad_alloc instead of showing the next warning, once.
class FailingDialogs : public ScriptedDialogs {
 public:
  bool failNext = false;
  void Warning(QWidget* owner, const QString& text) override {
    if (failNext) {
      failNext = false;
      throw std::bad_alloc();
    }
    ScriptedDialogs::Warning(owner, text);
  }
};

class LimitsTest : public MainWindowTest {
 protected:
  // A reply chain 1 <- 2 <- ... <- 6, five levels deep.
  std::string Chain() {
    std::vector<Msg> chain;
    for (int32_t i = 1; i <= 6; ++i) {
      Msg m;
      m.number = i;
      m.parent = i > 1 ? i - 1 : -1;
      m.title = "T" + std::to_string(i);
      chain.push_back(m);
    }
    return WriteLog(dir, "chain.log", chain);
  }

  // How many nodes the tree shows, and the deepest level among them.
  std::pair<int, int> CountAndDepth() {
    int count = 0;
    int deepest = 0;
    for (QTreeWidgetItemIterator it(&Tree()); *it != nullptr; ++it) {
      int depth = 0;
      for (const QTreeWidgetItem* up = (*it)->parent(); up != nullptr; up = up->parent()) ++depth;
      deepest = std::max(deepest, depth);
      ++count;
    }
    return {count, deepest};
  }
};

TEST_F(LimitsTest, ATreeDeeperThanTheStackHoldsStandsFlatBelowIt) {
  const std::string log = Chain();
  struct Row {
    int32_t limit;
    int deepestShown;
    bool warned;
  };
  // A flat set first: the depths of its nodes are no guide to the next set's.
  std::vector<Msg> flat;
  for (int32_t i = 1; i <= 6; ++i) flat.push_back(M(i, -1, "F" + std::to_string(i)));
  Open({WriteLog(dir, "flat.log", flat)});
  for (const Row& row : {Row{2, 2, true}, Row{5, 5, false}, Row{0, 0, true}}) {
    SCOPED_TRACE(row.limit);
    dialogs.warnings.clear();
    window->LimitTreeDepth(row.limit);
    Open({log});
    EXPECT_EQ(CountAndDepth(), std::make_pair(6, row.deepestShown));
    EXPECT_EQ(dialogs.warnings, row.warned ? std::vector<QString>{Said(zu::Message::TreeTooDeep)}
                                           : std::vector<QString>{});
    // A node shown out of place still shows its own message.
    const auto found = Tree().findItems(QStringLiteral("T6"), Qt::MatchExactly | Qt::MatchRecursive);
    ASSERT_EQ(found.size(), 1);
    Select(found[0]);
    EXPECT_EQ(window->Ed_Number->text(), QStringLiteral("6"));
  }
}

// The failure comes out of a command run from the event loop, as a user's
// command runs: an Open left half done is undone, anything else keeps the
// set; either way the window says so and goes on.
TEST_F(LimitsTest, AnAllocationFailingInACommandIsMetWithAWarning) {
  FailingDialogs failing;
  SetDialogs(&failing);
  const std::string log = Chain();
  struct Row {
    const char* command;
    std::function<void()> run;
    int nodesAfter;
  };
  const Row rows[] = {
      {"an Open warning of a missing file",
       [&] {
         failing.chosen = {QString::fromStdString(log), QString::fromStdString(dir.Path("missing.log"))};
         window->MN_File_OpenClick();
       },
       0},
      {"a search that reaches the end",
       [&] {
         SearchText = "no such text";
         window->RunSearch();
       },
       6},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.command);
    failing.chosen = {QString::fromStdString(log)};
    window->MN_File_OpenClick();
    Select(Top(0));
    failing.warnings.clear();
    failing.failNext = true;
    QTimer::singleShot(0, window.get(), row.run);
    QCoreApplication::processEvents();
    EXPECT_EQ(failing.warnings, std::vector<QString>{Said(zu::Message::OutOfMemory)});
    EXPECT_EQ(CountAndDepth().first, row.nodesAfter);
    if (row.nodesAfter == 0) {
      EXPECT_TRUE(ViewIsEmpty());
    }
  }
  failing.chosen = {QString::fromStdString(log)};
  window->MN_File_OpenClick();  // and the next Open works
  EXPECT_EQ(CountAndDepth().first, 6);
  SetDialogs(&dialogs);
}

}  // namespace
}  // namespace zu::testing
