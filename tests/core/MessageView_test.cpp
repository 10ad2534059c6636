#include "core/MessageView.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "core/FakeLogSetUi.h"

namespace zu {
namespace {

using testing::FakeLogSetUi;
using testing::LogOf;
using testing::M;
using testing::Msg;
using testing::TempDir;

using Lines = std::vector<std::string>;

class MessageViewTest : public ::testing::Test {
 protected:
  MessageViewTest() { reader.AllocateBuffer(); }

  static Msg WithBody(Msg m, const std::string& body) {
    m.body = body;
    return m;
  }

  TempDir dir;
  zuLogFile reader;
  FakeLogSetUi ui;
  LogSet set{reader, ui};
  MessageView view;
};

TEST_F(MessageViewTest, ShowsTheFieldsAndBodyOfTheSelectedMessage) {
  Msg m = WithBody(M(123), "body 1\r\n\r\nbody 3\r\n");
  m.name = "SAMPLE USER";
  m.id = "XYZ98765";
  m.date = "96/05/17";
  m.time = "21:05";
  set.OpenFiles({dir.Write("a.txt", LogOf({m, M(124)}))});
  ASSERT_TRUE(ReadMessageView(set, set[0][0].Node, view));
  EXPECT_EQ(view.Number, "123");
  EXPECT_EQ(view.Name, "SAMPLE USER     ");  // the whole column, padding kept
  EXPECT_EQ(view.ID, "XYZ98765");
  EXPECT_EQ(view.DateTime, "96/05/17 21:05");
  EXPECT_EQ(view.Body, (Lines{"body 1", "", "body 3"}));
  EXPECT_TRUE(ui.warnings.empty());
}

TEST_F(MessageViewTest, MessageWithoutBodyShowsItsFieldsOnly) {
  set.OpenFiles({dir.Write("a.txt", LogOf({M(1), M(2)}))});
  ASSERT_TRUE(ReadMessageView(set, set[0][0].Node, view));
  EXPECT_EQ(view.Number, "1");
  EXPECT_TRUE(view.Body.empty());
}

TEST_F(MessageViewTest, PlaceholderOrNoNodeShowsNothingAndWarnsNothing) {
  set.OpenFiles({dir.Write("a.txt", LogOf({M(2, 1)}))});
  view.Number = "stale";
  EXPECT_FALSE(ReadMessageView(set, set.OrphanRoots()[0].Node, view));
  EXPECT_EQ(view.Number, "");
  EXPECT_FALSE(ReadMessageView(set, NoNode, view));
  EXPECT_TRUE(ui.warnings.empty());
}

// The reader keeps the bytes it read, so a file rewritten on disk shows its
// old text until the view opens it again; then it is no longer the file
// that was loaded, and fails as one that cannot be opened.
TEST_F(MessageViewTest, OpensTheFileOnlyWhenTheReaderHoldsAnother) {
  const std::string a = dir.Write("a.txt", LogOf({M(1)}));
  const std::string b = dir.Write("b.txt", LogOf({M(2)}));
  set.OpenFiles({a, b});
  Msg renamed = M(2);
  renamed.name = "CHANGED";
  dir.Write("b.txt", LogOf({renamed}));
  ASSERT_TRUE(ReadMessageView(set, set[1][0].Node, view));
  EXPECT_EQ(view.Name, "SAMPLE USER     ");  // b is still held from loading
  ASSERT_TRUE(ReadMessageView(set, set[0][0].Node, view));
  EXPECT_EQ(reader.GetFileName(), a);
  EXPECT_FALSE(ReadMessageView(set, set[1][0].Node, view));  // read again on the switch
  EXPECT_EQ(view.Name, "");
  ASSERT_EQ(ui.warnings.size(), 1u);
  EXPECT_EQ(ui.warnings[0], std::make_pair(Message::CannotOpen, b));
}

TEST_F(MessageViewTest, DeletedFileWarnsWithItsPathAndShowsNothing) {
  const std::string a = dir.Write("a.txt", LogOf({M(1)}));
  const std::string b = dir.Write("b.txt", LogOf({M(2)}));
  set.OpenFiles({a, b});
  std::filesystem::remove(a);
  EXPECT_FALSE(ReadMessageView(set, set[0][0].Node, view));
  EXPECT_EQ(view.Number, "");
  EXPECT_TRUE(view.Body.empty());
  ASSERT_EQ(ui.warnings.size(), 1u);
  EXPECT_EQ(ui.warnings[0], std::make_pair(Message::CannotOpen, a));
}

// Another log written over a loaded file is not shown as if it were the
// loaded one (no message 60 under the node of message 2); the loaded bytes
// written back, touched or not, read as before.
TEST_F(MessageViewTest, ChangedFileFailsUntilItsBytesAreBack) {
  const std::string a = dir.Write("a.txt", LogOf({M(1), M(2)}));
  const std::string b = dir.Write("b.txt", LogOf({M(9)}));
  set.OpenFiles({a, b});
  dir.Write("a.txt", LogOf({M(50), M(60)}));
  EXPECT_FALSE(ReadMessageView(set, set[0][1].Node, view));
  EXPECT_EQ(view.Number, "");
  dir.Write("a.txt", LogOf({M(1), M(2)}));
  ASSERT_TRUE(ReadMessageView(set, set[0][1].Node, view));
  EXPECT_EQ(view.Number, "2");
}

TEST_F(MessageViewTest, LastMessageBodyRunsToTheLastLineEndingInLf) {
  const std::string a = dir.Write("a.txt", LogOf({M(1)}) + "tail\r\nno line end");
  set.OpenFiles({a});
  ASSERT_TRUE(ReadMessageView(set, set[0][0].Node, view));
  EXPECT_EQ(view.Body, (Lines{"", "tail"}));
}

}  // namespace
}  // namespace zu
