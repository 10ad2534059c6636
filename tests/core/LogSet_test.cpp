#include "core/LogSet.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/FakeLogSetUi.h"
#include "support/AddressSpace.h"

namespace zu {
namespace {

using testing::FakeLogSetUi;
using testing::LogOf;
using testing::M;
using testing::Msg;
using testing::TempDir;

class LogSetTest : public ::testing::Test {
 protected:
  LogSetTest() {
    reader.AllocateBuffer();
    ui.set = &set;
  }

  // Writes one file per message list and gives their paths in order.
  std::vector<std::string> Files(const std::vector<std::vector<Msg>>& files) {
    std::vector<std::string> paths;
    for (const auto& messages : files) {
      paths.push_back(dir.Write("log" + std::to_string(written++) + ".txt", LogOf(messages)));
    }
    return paths;
  }

  std::string Open(const std::vector<std::vector<Msg>>& files) {
    set.OpenFiles(Files(files));
    return ui.Tree();
  }

  TempDir dir;
  int written = 0;
  zuLogFile reader;
  FakeLogSetUi ui;
  LogSet set{reader, ui};
};

TEST_F(LogSetTest, TwelveFilesLoadTheFirstTenAndWarnTwice) {
  std::vector<std::vector<Msg>> files;
  for (int i = 1; i <= 12; ++i) files.push_back({M(i)});
  EXPECT_EQ(Open(files), "T1,T2,T3,T4,T5,T6,T7,T8,T9,T10");
  EXPECT_EQ(set.LastFile(), 9);
  ASSERT_EQ(ui.warnings.size(), 2u);
  EXPECT_EQ(ui.warnings[0].first, Message::TooManyFiles);
  EXPECT_EQ(ui.warnings[1].first, Message::TooManyFiles);
}

TEST_F(LogSetTest, LoadLogFileSaysWhetherTheFileTookARow) {
  const std::vector<std::string> paths = Files(std::vector<std::vector<Msg>>(11, {M(1)}));
  EXPECT_FALSE(set.LoadLogFile(dir.Path("missing.txt")));
  for (int k = 0; k < 10; ++k) EXPECT_TRUE(set.LoadLogFile(paths[k])) << k;
  EXPECT_FALSE(set.LoadLogFile(paths[10]));
  ASSERT_EQ(ui.warnings.size(), 2u);
  EXPECT_EQ(ui.warnings[1].first, Message::TooManyFiles);
}

#if defined(ZU_CAN_LIMIT_ADDRESS_SPACE)
TEST_F(LogSetTest, ARowWithNoMemoryForItIsRefusedWithAWarning) {
  const std::string path = Files({{M(1)}})[0];
  EXPECT_EXIT(
      {
        if (!testing::LimitAddressSpace(size_t{1} << 20)) std::_Exit(2);
        const bool refused = !set.LoadLogFile(path) && set.LastFile() == -1;
        std::_Exit(refused && ui.warnings.size() == 1 && ui.warnings[0].first == Message::OutOfMemory ? 0 : 1);
      },
      ::testing::ExitedWithCode(0), "");
}
#endif

TEST_F(LogSetTest, ElevenFilesWithOneFailingLoadTen) {
  std::vector<std::vector<Msg>> files;
  for (int i = 1; i <= 11; ++i) files.push_back({M(i)});
  std::vector<std::string> paths = Files(files);
  paths[3] = dir.Path("missing.txt");
  set.OpenFiles(paths);
  EXPECT_EQ(set.LastFile(), 9);
  ASSERT_EQ(ui.warnings.size(), 1u);
  EXPECT_EQ(ui.warnings[0], std::make_pair(Message::CannotOpen, paths[3]));
  EXPECT_EQ(set[3][0].FileName, paths[4]);  // the next good file takes the row
  EXPECT_EQ(set[9][0].Number, 11);
}

TEST_F(LogSetTest, FileWithoutMessagesTakesNoRow) {
  const std::string empty = dir.Write("empty.txt", "no header here\r\n");
  std::vector<std::string> paths = {empty, Files({{M(7)}})[0]};
  set.OpenFiles(paths);
  EXPECT_EQ(set.LastFile(), 0);
  EXPECT_EQ(set[0][0].FileName, paths[1]);
  ASSERT_EQ(ui.warnings.size(), 1u);
  EXPECT_EQ(ui.warnings[0], std::make_pair(Message::CannotOpen, empty));
}

TEST_F(LogSetTest, LoadCopiesTheFieldsOfEveryMessage) {
  Msg titled = M(12, 11);
  titled.title = "A title";
  const std::vector<std::string> paths = Files({{M(11), titled}});
  set.OpenFiles(paths);
  const LogInfoItem& m = set[0][1];
  EXPECT_EQ(m.FileName, paths[0]);
  EXPECT_EQ(m.Title, "A title");
  EXPECT_EQ(m.Index, 1);
  EXPECT_EQ(m.Number, 12);
  EXPECT_EQ(m.ParentNumber, 11);
  EXPECT_EQ(m.InTree, 1);
  EXPECT_EQ(set[0][0].ParentNumber, -1);
  EXPECT_EQ(set[0][2].Index, -1);  // end marker
  EXPECT_EQ(set[0][2].Number, -1);
  EXPECT_EQ(set[1][0].Index, -1);  // an unused row starts with its end marker
}

TEST_F(LogSetTest, RowOf3000MessagesKeepsItsEndMarker) {
  std::vector<Msg> many;
  for (int i = 1; i <= 3001; ++i) many.push_back(M(i));  // one more than the index takes
  set.OpenFiles(Files({many, {M(5000)}}));
  EXPECT_EQ(set[0][2999].Number, 3000);
  EXPECT_EQ(set[0][3000].Index, -1);
  EXPECT_EQ(set[0][3000].Number, -1);
  EXPECT_EQ(set[1][0].Number, 5000);
  EXPECT_EQ(set[1][1].Index, -1);
  EXPECT_EQ(set.NodeCount(), 3001);
}

TEST_F(LogSetTest, ResetEmptiesTheTableBeforeTheTreeAndTheView) {
  Open({{M(1)}, {M(2)}});
  ui.calls.clear();
  set.OpenFiles({dir.Path("missing.txt")});  // everything goes, even though nothing loads
  ASSERT_GE(ui.calls.size(), 2u);
  EXPECT_EQ(ui.calls[0], "ClearTree");
  EXPECT_EQ(ui.calls[1], "ClearView");
  EXPECT_EQ(ui.lastFileAtClearTree, -1);
  EXPECT_EQ(set.LastFile(), -1);
  EXPECT_EQ(set[0][0].Index, -1);
  EXPECT_EQ(set[0][0].FileName, "");
  EXPECT_EQ(ui.Tree(), "");
  EXPECT_EQ(set.NodeCount(), 0);
}

// The reset empties only what was used; a smaller set after a larger one
// must still find nothing of it: no item, no placeholder, no rank.
TEST_F(LogSetTest, SmallerSetKeepsNothingOfTheSetBefore) {
  Open({{M(1), M(2, 77), M(3, 78)}, {M(4, 79), M(5)}});
  Open({{M(9)}});
  const LogInfoItem empty;
  for (int32_t f = 0; f < 2; ++f) {
    for (int32_t i = f == 0 ? 1 : 0; i <= 3; ++i) {
      const LogInfoItem& m = set[f][i];
      EXPECT_TRUE(m.FileName == empty.FileName && m.Title == empty.Title && m.Index == -1 &&
                  m.Number == -1 && m.ParentNumber == -1 && m.InTree == 0 && m.Node == NoNode &&
                  m.FileRank == -1)
          << f << ":" << i;
    }
  }
  EXPECT_EQ(set[0][0].Number, 9);
  EXPECT_EQ(set.OrphanRoots()[0].Number, -1);
  EXPECT_EQ(set.FindFreeOrphanRoot(), 0);
}

TEST_F(LogSetTest, EmptyChoiceChangesNothing) {
  Open({{M(1)}});
  ui.calls.clear();
  set.OpenFiles({});
  EXPECT_TRUE(ui.calls.empty());
  EXPECT_EQ(set.LastFile(), 0);
  EXPECT_EQ(ui.Tree(), "T1");
}

TEST_F(LogSetTest, FilesAreRankedByTheirFirstNumbers) {
  EXPECT_EQ(Open({{M(500)}, {M(100)}}), "T100,T500");
  EXPECT_EQ(set[0][0].FileRank, 1);
  EXPECT_EQ(set[1][0].FileRank, 0);
  EXPECT_EQ(set.RowOfRank(0), 1);
  EXPECT_EQ(set.RowOfRank(2), -1);
}

TEST_F(LogSetTest, EqualFirstNumbersKeepTheLoadOrder) {
  Msg second = M(100);
  second.title = "copy";
  EXPECT_EQ(Open({{M(300)}, {M(100)}, {second}}), "T100,copy,T300");
  EXPECT_EQ(set[1][0].FileRank, 0);
  EXPECT_EQ(set[2][0].FileRank, 1);
  EXPECT_EQ(set[0][0].FileRank, 2);
}

struct TreeCase {
  const char* what;
  std::vector<std::vector<Msg>> files;
  std::string tree;
};

TEST_F(LogSetTest, BuildsTheThreadTree) {
  const std::vector<TreeCase> cases = {
      {"replies under their parents", {{M(1), M(2, 1), M(3, 1), M(4, 2)}}, "T1[T2[T4],T3]"},
      {"a missing parent gets one placeholder", {{M(5, 37), M(6, 37)}}, "37[T5,T6]"},
      {"placeholders sit among the top level in creation order",
       {{M(1), M(2, 40), M(3), M(4, 40)}}, "T1,40[T2,T4],T3"},
      // The parent, placed later, does not take over its placeholder.
      {"comment before its parent", {{M(2, 1), M(1), M(3, 1)}}, "1[T2],T1[T3]"},
      {"parent in a file of lower rank", {{M(10), M(11, 5)}, {M(5)}}, "T5[T11],T10"},
      {"parent in a file of higher rank", {{M(1), M(2, 20)}, {M(20)}}, "T1,20[T2],T20"},
      {"a placeholder serves every file", {{M(1, 9)}, {M(2, 9)}}, "9[T1,T2]"},
      // 7 is in both files. The first copy in row order is row 0's, placed
      // after row 1's: a comment placed before it goes to a placeholder.
      {"the first copy in load order decides",
       {{M(100), M(7), M(101, 7)}, {M(5), M(7), M(8, 7)}}, "T5,T7,7[T8],T100,T7[T101]"},
      {"a message on itself", {{M(3, 3)}}, "3[T3]"},
  };
  for (const TreeCase& c : cases) {
    EXPECT_EQ(Open(c.files), c.tree) << c.what;
  }
}

TEST_F(LogSetTest, FullPlaceholderTableLeavesMessagesOut) {
  std::vector<Msg> orphans;
  for (int i = 1; i <= 3000; ++i) orphans.push_back(M(i, 10000 + i));
  Open({orphans, {M(5001, 10001), M(5002, 20000), M(5003, 5001), M(5004, 20000)}});
  EXPECT_EQ(set.FindFreeOrphanRoot(), -1);
  EXPECT_TRUE(ui.warnings.empty());
  EXPECT_EQ(ui.Children(set.OrphanRoots()[0].Node), "T1,T5001[T5003]");  // an existing placeholder still serves
  EXPECT_EQ(set[1][1].InTree, 0);
  EXPECT_EQ(set[1][1].Node, NoNode);
  EXPECT_EQ(ui.Children(set[1][0].Node), "T5003");
  EXPECT_EQ(set[1][3].Node, NoNode);
  EXPECT_EQ(set.NodeCount(), 6000 + 2);
}

TEST_F(LogSetTest, LookupsAfterTheBuild) {
  Open({{M(1), M(2, 1), M(3, 99)}, {M(2)}});
  int32_t row = -1;
  int32_t item = -1;
  ASSERT_TRUE(set.FindMessageByNumber(2, row, item));
  EXPECT_EQ(row, 0);
  EXPECT_EQ(item, 1);
  EXPECT_FALSE(set.FindMessageByNumber(99, row, item));
  int32_t k = -1;
  ASSERT_TRUE(set.FindOrphanRoot(99, k));
  EXPECT_EQ(k, 0);
  EXPECT_FALSE(set.FindOrphanRoot(2, k));
  EXPECT_EQ(set.FindFreeOrphanRoot(), 1);
}

TEST_F(LogSetTest, FindItemOfNodeGivesTheMessageOrFalseForAPlaceholder) {
  Open({{M(1), M(2, 50)}, {M(3)}});
  for (int32_t f = 0; f <= 1; ++f) {
    for (int32_t i = 0; set[f][i].Index != -1; ++i) {
      int32_t row = -1;
      int32_t item = -1;
      ASSERT_TRUE(set.FindItemOfNode(set[f][i].Node, row, item));
      EXPECT_EQ(row, f);
      EXPECT_EQ(item, i);
    }
  }
  int32_t row = -1;
  int32_t item = -1;
  EXPECT_FALSE(set.FindItemOfNode(set.OrphanRoots()[0].Node, row, item));
  EXPECT_FALSE(set.FindItemOfNode(NoNode, row, item));
  EXPECT_FALSE(set.FindItemOfNode(set.NodeCount(), row, item));
}

TEST_F(LogSetTest, BuildingAgainGivesTheSameTree) {
  const std::string first = Open({{M(2, 1), M(1), M(3, 1)}, {M(4, 77)}});
  set.BuildThreadTree();
  EXPECT_EQ(ui.Tree(), first);
  EXPECT_EQ(set.FindFreeOrphanRoot(), 2);
}

TEST_F(LogSetTest, NothingLoadedGivesAnEmptyTree) {
  set.OpenFiles({dir.Path("a"), dir.Path("b")});
  EXPECT_EQ(set.LastFile(), -1);
  EXPECT_EQ(ui.Tree(), "");
  EXPECT_EQ(ui.warnings.size(), 2u);
}

// A row keeps its titles one after the other: a file of 3000 titles as long
// as a line allows must keep every one, and every later Open into the same
// rows must show only its own files' titles and paths, holding no more than
// the first did.
TEST_F(LogSetTest, RowsKeepTheirTitlesAndPathsUntilTheNextOpen) {
  std::vector<Msg> longest;
  for (int32_t n = 1; n <= MaxMessages; ++n) {
    Msg m = M(n);
    m.title = std::to_string(n) + std::string(300, 'x');  // the line is cut at 254 bytes
    longest.push_back(m);
  }
  const std::vector<std::string> paths = Files({longest, {M(5000), M(5001, 5000)}});
  size_t firstKept = 0;
  for (const auto& order : {std::vector<int>{0, 1}, std::vector<int>{1, 0}, std::vector<int>{0, 1}}) {
    set.OpenFiles({paths[order[0]], paths[order[1]]});
    if (firstKept == 0) firstKept = set.KeptTextBytes();
    EXPECT_LE(set.KeptTextBytes(), firstKept);
    for (int32_t f = 0; f <= set.LastFile(); ++f) {
      ASSERT_TRUE(set.HoldFileOf(f));
      for (int32_t i = 0; i < reader.GetCount(); ++i) {
        ASSERT_EQ(set[f][i].Title, reader.GetTitle(i)) << f << ":" << i;
        ASSERT_EQ(set[f][i].FileName, paths[order[f]]);
      }
    }
    ASSERT_TRUE(set.HoldFileOf(order[0]));  // the longest titles' row
    EXPECT_EQ(reader.GetCount(), MaxMessages);
    // The title begins 39 bytes into its line.
    EXPECT_EQ(set[order[0]][MaxMessages - 1].Title.size(), static_cast<size_t>(MaxLineBytes) - 39);
  }
}

// A front end that finds no memory for a node: the tree is not shown cut
// short, the set is left empty and says why, and the next Open works.
TEST_F(LogSetTest, NoMemoryForANodeLeavesAnEmptySetAndAWarning) {
  struct FailingUi : FakeLogSetUi {
    int32_t failAt = 0;
    void AddChild(NodeId parent, NodeId id, std::string_view caption) override {
      if (id == failAt) throw std::bad_alloc();
      FakeLogSetUi::AddChild(parent, id, caption);
    }
  };
  const std::vector<std::string> paths = Files({{M(1), M(2, 1), M(3, 9)}, {M(4, 3)}});
  for (const int32_t failAt : {1, 3, 4}) {  // a reply, a placeholder's child, the last node
    SCOPED_TRACE(failAt);
    FailingUi failing;
    failing.failAt = failAt;
    LogSet small{reader, failing};
    small.OpenFiles(paths);
    EXPECT_EQ(small.LastFile(), -1);
    EXPECT_EQ(small.NodeCount(), 0);
    EXPECT_EQ(failing.Tree(), "");
    ASSERT_FALSE(failing.warnings.empty());
    EXPECT_EQ(failing.warnings.back().first, Message::OutOfMemory);
    failing.failAt = -1;
    small.OpenFiles(paths);
    EXPECT_EQ(failing.Tree(), "T1[T2],9[T3[T4]]");
  }
}

TEST_F(LogSetTest, HoldFileOfOpensOnlyAnotherFile) {
  const std::vector<std::string> paths = Files({{M(1)}, {M(2)}});
  set.OpenFiles(paths);
  EXPECT_EQ(reader.GetFileName(), paths[1]);
  ASSERT_TRUE(set.HoldFileOf(0));
  EXPECT_EQ(reader.GetFileName(), paths[0]);
  std::filesystem::remove(paths[1]);
  EXPECT_FALSE(set.HoldFileOf(1));
  EXPECT_EQ(reader.GetFileName(), paths[0]);
}

}  // namespace
}  // namespace zu
