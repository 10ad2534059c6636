// Loaded files that change, vanish or fail underfoot: the view, the search
// and printing take a file as held only while the Open that made it current
// succeeded, so every later access opens it again and fails with its own
// warning each time, never showing a number of -1 or empty fields.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "core/FakeLogSetUi.h"
#include "core/MessageView.h"
#include "core/PrintLayout.h"
#include "core/Search.h"
#include "support/MemorySource.h"

namespace zu {
namespace {

using testing::FakeLogSetUi;
using testing::LogOf;
using testing::M;
using testing::MemorySource;
using testing::Msg;

Msg WithBody(int32_t number, const std::string& body) {
  Msg m = M(number);
  m.body = body + "\r\n";
  return m;
}

const std::string kA = "a.log";
const std::string kB = "b.log";
const std::string kFileError = "ファイルエラー";

// a.log holds messages 1 and 2, b.log message 10, so a.log comes first in
// the search order. The reader holds b.log after loading.
class ChangedFilesTest : public ::testing::Test {
 protected:
  ChangedFilesTest() {
    reader.AllocateBuffer();
    reader.UseSource(source);
    source.Put(kA, LogOf({WithBody(1, "apple"), WithBody(2, "banana")}));
    source.Put(kB, LogOf({WithBody(10, "cherry")}));
    set.OpenFiles({kA, kB});
  }

  NodeId Node(int32_t row, int32_t item) const { return set[row][item].Node; }

  // What a view of (row, item) shows: the number, or the warning.
  std::string View(int32_t row, int32_t item) {
    ui.warnings.clear();
    MessageView view;
    const bool shown = ReadMessageView(set, Node(row, item), view);
    return Outcome(shown, view.Number, view.Body.empty() ? "" : view.Body[0]);
  }

  std::string Print(int32_t row, int32_t item) {
    ui.warnings.clear();
    PrintMessage msg;
    const bool read = ReadPrintMessage(set, Node(row, item), msg);
    return Outcome(read, read ? std::to_string(msg.Number) : "", msg.Body.empty() ? "" : msg.Body[0]);
  }

  std::string Search(int32_t row, int32_t item, const std::string& text, int32_t direction) {
    ui.warnings.clear();
    SearchHit hit;
    if (RunSearch(set, Node(row, item), text, direction, FieldBody, hit))
      return std::to_string(hit.row) + ":" + std::to_string(hit.item);
    return ui.warnings.size() == 1 ? MessageText(ui.warnings[0].first) : "no single warning";
  }

  std::string Outcome(bool ok, const std::string& number, const std::string& body) {
    if (ok) return ui.warnings.empty() ? number + " " + body : "warned and shown";
    if (ui.warnings.size() != 1 || ui.warnings[0].first != Message::CannotOpen) return "no warning";
    return ui.warnings[0].second + MessageText(Message::CannotOpen);
  }

  MemorySource source;
  zuLogFile reader;
  FakeLogSetUi ui;
  LogSet set{reader, ui};
};

struct Change {
  const char* what;
  std::function<void(MemorySource&)> apply;
};

const Change kFailures[] = {
    {"replaced by a file without messages", [](MemorySource& s) { s.Put(kA, "Forum log\r\n"); }},
    {"truncated to nothing", [](MemorySource& s) { s.Put(kA, ""); }},
    {"truncated before its first message ends",
     [](MemorySource& s) { s.Find(kA)->bytes.resize(30); }},
    {"deleted", [](MemorySource& s) { s.Remove(kA); }},
    {"failing part-way with EIO", [](MemorySource& s) { s.Find(kA)->failAt = 40; }},
    // Bytes other than those loaded, though messages still stand where the
    // set's items point: not the file that was loaded.
    {"edited in place, its size kept", [](MemorySource& s) { s.Put(kA, LogOf({WithBody(1, "apply"), WithBody(2, "banana")})); }},
    {"appended to", [](MemorySource& s) { s.Find(kA)->bytes += LogOf({WithBody(3, "date")}); }},
    {"replaced by another log", [](MemorySource& s) { s.Put(kA, LogOf({WithBody(5, "elder"), WithBody(6, "fig")})); }},
};

const std::string kCannotOpenA = kA + "を開けませんでした";

TEST_F(ChangedFilesTest, EveryViewOfAFailedFileWarnsAgain) {
  for (const Change& change : kFailures) {
    SCOPED_TRACE(change.what);
    ASSERT_EQ(View(1, 0), "10 cherry");  // the reader holds b.log
    change.apply(source);
    EXPECT_EQ(View(0, 0), kCannotOpenA);
    EXPECT_EQ(View(0, 0), kCannotOpenA);  // the same message again
    EXPECT_EQ(View(0, 1), kCannotOpenA);  // another of the same file
    EXPECT_EQ(View(1, 0), "10 cherry");   // the other file opens again
    EXPECT_EQ(View(0, 1), kCannotOpenA);
    source.Put(kA, LogOf({WithBody(1, "apple"), WithBody(2, "banana")}));
    EXPECT_EQ(View(0, 1), "2 banana");  // mended on disk: shown again
  }
}

TEST_F(ChangedFilesTest, EveryPrintOfAFailedFileWarnsAndReadsNothing) {
  for (const Change& change : kFailures) {
    SCOPED_TRACE(change.what);
    ASSERT_EQ(View(1, 0), "10 cherry");
    change.apply(source);
    EXPECT_EQ(View(0, 0), kCannotOpenA);
    EXPECT_EQ(Print(0, 0), kCannotOpenA);  // after the failed view
    EXPECT_EQ(Print(0, 0), kCannotOpenA);
    EXPECT_EQ(Print(1, 0), "10 cherry");
    source.Put(kA, LogOf({WithBody(1, "apple"), WithBody(2, "banana")}));
  }
}

TEST_F(ChangedFilesTest, EverySearchIntoAFailedFileIsAFileError) {
  for (const Change& change : kFailures) {
    SCOPED_TRACE(change.what);
    ASSERT_EQ(Search(1, 0, "apple", 2), "0:0");  // upwards from b.log into a.log
    ASSERT_EQ(View(1, 0), "10 cherry");
    change.apply(source);
    EXPECT_EQ(Search(1, 0, "apple", 2), kFileError);
    EXPECT_EQ(Search(1, 0, "apple", 2), kFileError);  // not "検索末尾まで検索しました"
    EXPECT_EQ(View(0, 0), kCannotOpenA);
    EXPECT_EQ(Search(1, 0, "apple", 2), kFileError);
    EXPECT_EQ(Search(0, 0, "cherry", 1), kFileError);  // the walk starts in a.log
    source.Put(kA, LogOf({WithBody(1, "apple"), WithBody(2, "banana")}));
  }
}

// A file cut after its first message is no longer the file that was
// loaded: the message it kept fails as the one it lost, in the view, in
// printing and in the search; copied back, it reads as before.
TEST_F(ChangedFilesTest, FileCutShortFailsForEveryMessage) {
  source.Put(kA, LogOf({WithBody(1, "apple")}));
  EXPECT_EQ(View(0, 0), kCannotOpenA);
  EXPECT_EQ(View(0, 1), kCannotOpenA);
  EXPECT_EQ(Print(0, 1), kCannotOpenA);
  EXPECT_EQ(Search(0, 0, "banana", 1), kFileError);
  EXPECT_EQ(Search(1, 0, "apple", 2), kFileError);
  EXPECT_EQ(Print(0, 0), kCannotOpenA);
  source.Put(kA, LogOf({WithBody(1, "apple"), WithBody(2, "banana")}));
  EXPECT_EQ(View(0, 1), "2 banana");
  EXPECT_EQ(Search(1, 0, "apple", 2), "0:0");
}

// A failed read has overwritten the reader's one buffer: the file held
// before is read again, never shown from what is left of it.
TEST_F(ChangedFilesTest, ReadErrorMakesTheFileHeldBeforeOpenAgain) {
  ASSERT_EQ(View(1, 0), "10 cherry");
  source.Find(kA)->failAt = 40;
  const int opensBefore = source.opens;
  EXPECT_EQ(View(0, 0), kCannotOpenA);
  EXPECT_EQ(reader.GetFileName(), "");
  EXPECT_EQ(View(1, 0), "10 cherry");
  EXPECT_EQ(source.opens, opensBefore + 2);
  EXPECT_EQ(Print(1, 0), "10 cherry");
  EXPECT_EQ(source.opens, opensBefore + 2);  // held again
}

// At loading a read that fails part-way is a file that cannot be read; one
// that ends early keeps what arrived; slow or interrupted reads change nothing.
TEST_F(ChangedFilesTest, ReadFaultsAtLoading) {
  source.Find(kA)->failAt = 40;
  MemorySource::File& slow = source.Put("slow.log", LogOf({WithBody(20, "slow")}));
  slow.chunk = 1;
  slow.interruptions = 2;
  MemorySource::File& shortRead = source.Put("short.log", LogOf({WithBody(30, "short")}));
  shortRead.statedSize = static_cast<int64_t>(shortRead.bytes.size()) + 500;
  ui.warnings.clear();
  set.OpenFiles({kA, "slow.log", "short.log"});
  EXPECT_EQ(ui.warnings, (std::vector<std::pair<Message, std::string>>{{Message::CannotOpen, kA}}));
  EXPECT_EQ(set.LastFile(), 1);
  EXPECT_EQ(View(0, 0), "20 slow");
  EXPECT_EQ(View(1, 0), "30 short");
}

}  // namespace
}  // namespace zu
