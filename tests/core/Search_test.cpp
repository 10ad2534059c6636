#include "core/Search.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "core/FakeLogSetUi.h"

namespace zu {
namespace {

using testing::FakeLogSetUi;
using testing::Header;
using testing::LogOf;
using testing::M;
using testing::Msg;
using testing::TempDir;

struct ContainsCase {
  std::string text;
  std::string pattern;
  bool found;
};

TEST(TextContainsTest, MatchesAtCharacterBoundaries) {
  const std::vector<ContainsCase> cases = {
      {"abc", "abc", true},
      {"xABCx", "abc", true},
      {"aBc", "abc", true},
      {"ABC", "aBc", true},
      {"ab", "abc", false},
      {"112", "12", true},    // a broken partial match is tried again
      {"aaab", "aab", true},
      {"1203", "12", true},
      {"4512", "12", true},
      {"1", "12", false},
      {"SAMPLE USER     ", "USER ", true},  // the name column's padding
      {"\x82\x81\x82\x82\x82\x83", "abc", false},  // full-width ａｂｃ is not ASCII
      {"\x82\x81\x82\x82\x82\x83", "\x82\x81\x82\x82", true},
      {"\x82\x60\x82\x61", "\x82\x81\x82\x82", false},  // full-width ＡＢ is not ａｂ
      {"\x82\x81", "\x82\x60", false},
      {"\xfc\x41", "A", false},        // 0xFC is a lead byte too: 0x41 is its trail
      {"\xfc\x40\xfc\x40", "\x40\xfc", false},
      {"\xfc\x4b", "\xfc\x4b", true},
      {"\x83\x41", "A", false},        // ア: its trail byte 0x41 is no letter A
      {"\x83\x41", "a", false},
      {"\x83\x61", "\x83\x41", false},  // trail bytes never fold case
      {"\x83\x41" "A", "a", true},      // the real A after the kana
      {"\x88\x82\xa0", "\x82\xa0", false},  // あ's bytes straddling two characters
      {"\x82\xa0\x82\xa0", "\x82\xa0", true},
      {"ab\x82", "\x82", true},        // a lead byte at the end is a character
      {"\x82\xa0", "\x82", false},     // ... but inside a text it takes its trail
      {"\xb1\xb2", "\xb2", true},      // half-width katakana are single bytes
      {"[x]", "X]", true},
      {"@", "`", false},               // 0x40 and 0x60 are no letters
      {"", "a", false},                // an empty text holds nothing
      {"abc", "", false},
  };
  for (const ContainsCase& c : cases) {
    EXPECT_EQ(TextContains(c.text, c.pattern), c.found) << "'" << c.text << "' / '" << c.pattern << "'";
  }
}

TEST(SearchConditionsTest, StartValues) {
  EXPECT_EQ(SearchText, "");
  EXPECT_EQ(SearchDirection, 1);
  EXPECT_EQ(SearchFields, FieldBody);
  EXPECT_EQ(SearchAccepted, 0);
}

class SearchTest : public ::testing::Test {
 protected:
  SearchTest() { reader.AllocateBuffer(); }

  void Open(const std::vector<std::vector<Msg>>& files) {
    paths.clear();
    for (const auto& messages : files) {
      paths.push_back(dir.Write("log" + std::to_string(paths.size()) + ".txt", LogOf(messages)));
    }
    set.OpenFiles(paths);
    ui.warnings.clear();
  }

  // Searches from (row, item); "row:item" of the hit, or the stop message.
  std::string Find(int32_t row, int32_t item, const std::string& text, int32_t direction = 1,
                   int32_t fields = FieldBody) {
    return FindFromNode(set[row][item].Node, text, direction, fields);
  }

  std::string FindFromNode(NodeId node, const std::string& text, int32_t direction,
                           int32_t fields) {
    ui.warnings.clear();
    SearchHit hit;
    if (RunSearch(set, node, text, direction, fields, hit)) {
      EXPECT_TRUE(ui.warnings.empty());
      return std::to_string(hit.row) + ":" + std::to_string(hit.item);
    }
    EXPECT_EQ(ui.warnings.size(), 1u);
    return ui.warnings.empty() ? "no stop message" : MessageText(ui.warnings[0].first);
  }

  // Every hit of repeating the search from each hit, as F3 pressed again.
  std::vector<std::string> FindAll(int32_t row, int32_t item, const std::string& text,
                                   int32_t direction = 1, int32_t fields = FieldBody) {
    std::vector<std::string> hits;
    NodeId node = set[row][item].Node;
    for (;;) {
      SearchHit hit;
      if (!RunSearch(set, node, text, direction, fields, hit)) break;
      hits.push_back(std::to_string(hit.row) + ":" + std::to_string(hit.item));
      node = set[hit.row][hit.item].Node;
    }
    return hits;
  }

  static Msg Body(int32_t number, const std::string& body, int32_t parent = -1) {
    Msg m = M(number, parent);
    m.body = body;
    return m;
  }

  TempDir dir;
  std::vector<std::string> paths;
  zuLogFile reader;
  FakeLogSetUi ui;
  LogSet set{reader, ui};
};

const std::string End = "検索末尾まで検索しました";

TEST_F(SearchTest, ChecksRunInOrderBeforeAnythingIsSearched) {
  Open({{M(1, 50), Body(2, "x\r\n")}});
  const NodeId placeholder = set.OrphanRoots()[0].Node;
  EXPECT_EQ(FindFromNode(NoNode, "", 1, 0), "検索開始位置を指定してください");
  EXPECT_EQ(FindFromNode(placeholder, "", 1, 0), "その位置からは検索できません");
  EXPECT_EQ(Find(0, 0, "", 1, 0), "検索文字列を指定してください");
  EXPECT_EQ(Find(0, 0, "x", 1, 0), "検索タイプを指定してください");
  EXPECT_EQ(Find(0, 0, "x", 1, -16), "検索タイプを指定してください");
  EXPECT_EQ(Find(0, 0, "x"), "0:1");
}

TEST_F(SearchTest, StopsAtEitherEndWithoutTesting) {
  Open({{Body(300, "x\r\n"), Body(301, "x\r\n")}, {Body(100, "x\r\n"), Body(101, "x\r\n")}});
  EXPECT_EQ(Find(0, 1, "x"), End);            // last message of the highest rank
  EXPECT_EQ(Find(1, 0, "x", 2), End);         // first message of rank 0
  EXPECT_EQ(Find(1, 0, "x", 7), End);         // any direction but 1 is upwards
}

TEST_F(SearchTest, SkipsTheSelectedMessage) {
  Open({{Body(1, "needle\r\n"), Body(2, "hay\r\n"), Body(3, "needle\r\n")}});
  EXPECT_EQ(Find(0, 0, "needle"), "0:2");
  EXPECT_EQ(Find(0, 2, "needle", 2), "0:0");
}

TEST_F(SearchTest, WalksFilesByRankAndRepeatsToTheEnd) {
  // Loaded out of order: row 1 (first number 100) is searched first.
  Open({{Body(500, "needle\r\n"), Body(501, "hay\r\n"), Body(502, "Needle\r\n")},
        {Body(100, "hay\r\n"), Body(101, "needle\r\n"), Body(102, "hay\r\n")}});
  EXPECT_EQ(FindAll(1, 0, "needle"), (std::vector<std::string>{"1:1", "0:0", "0:2"}));
  EXPECT_EQ(Find(0, 2, "needle"), End);
  EXPECT_EQ(FindAll(0, 2, "needle", 2), (std::vector<std::string>{"0:0", "1:1"}));
  // Upwards from the first message of a file the last one of the file below comes next.
  EXPECT_EQ(Find(0, 0, "hay", 2), "1:2");
}

TEST_F(SearchTest, CommentsAreMetInTheirOwnFile) {
  // 201 hangs under 101 in the tree but is searched in its own file.
  Open({{Body(101, "a\r\n"), Body(102, "b\r\n")}, {Body(201, "b\r\n", 101)}});
  EXPECT_EQ(Find(0, 0, "b"), "0:1");
  EXPECT_EQ(Find(0, 1, "b"), "1:0");
}

TEST_F(SearchTest, TestsTheChosenFields) {
  Msg m = Body(4512, "line one\r\nline two\r\n");
  m.name = "TARO";
  m.id = "QQQ00001";
  m.title = "Meeting notes";
  Open({{M(1), m, M(112)}});
  struct Row {
    std::string text;
    int32_t fields;
    std::string result;
  };
  const std::vector<Row> rows = {
      {"12", FieldNumber, "0:1"},
      {"12", FieldNumber | FieldTitle, "0:1"},
      {"taro", FieldName, "0:1"},
      {"TARO ", FieldName, "0:1"},         // padding of the name column
      {"q00001", FieldID, "0:1"},
      {"NOTES", FieldTitle, "0:1"},
      {"two", FieldBody, "0:1"},
      {"one\nline", FieldBody, End},       // never across two lines
      {"notes", FieldBody | FieldName | FieldID | FieldNumber, End},
      {"113", FieldNumber, End},
  };
  for (const Row& r : rows) {
    EXPECT_EQ(Find(0, 0, r.text, 1, r.fields), r.result) << r.text << " fields " << r.fields;
  }
  EXPECT_EQ(Find(0, 1, "12", 1, FieldNumber), "0:2");  // 112 holds 12
}

// The body is searched where it stands in the reader's buffer; a match must
// still be one in a line as the reader gives it.
TEST_F(SearchTest, BodyLinesMatchAsTheReaderGivesThem) {
  const std::string x250(250, 'x');
  struct Row {
    std::string body;
    std::string text;
    bool found;
  };
  const std::vector<Row> rows = {
      {"ne\redle\r\n", "needle", true},             // CR is dropped inside a line too
      {"n\r\re\redle\r\n", "nEEdle", true},
      {x250 + "need\r\n", "need", true},             // ends at the 254th byte
      {x250 + "needle\r\n", "needle", false},        // passes the cut
      {x250 + "ne\redle\r\n", "need", true},
      {std::string("ab\0needle\r\n", 11), "needle", false},  // NUL ends the text
      {"\x83needle\r\n", "needle", false},           // 0x83 takes the n
      {"\xfc" "A\r\n", "A", false},                  // 0xFC takes the A
      {"\xfc\x40" "A\r\n", "a", true},
      {"nee\r\ndle\r\n", "needle", false},          // never across lines
      {"needless\r\nzzz\r\n", "needle", true},
      {"nEEd\r\nneedle\r\n", "needle", true},         // after a line that failed
      {"n\r\nNEEDLE\r\n", "needle", true},
  };
  for (const Row& r : rows) {
    Open({{Body(1, "x\r\n"), Body(2, r.body), Body(3, "y\r\n")}});
    EXPECT_EQ(Find(0, 0, r.text), r.found ? "0:1" : End) << r.body << " / " << r.text;
  }
}

TEST_F(SearchTest, TheLineBeforeTheNextMessageAndAFinalPieceAreNoBody) {
  // Message's trailer line ("\r\n" of Message) is replaced by one holding the text.
  std::string log = LogOf({Body(1, "x\r\n")});
  log += Header(Body(2, "")) + "needle\r\n" + Header(Body(3, "")) + "body\r\nneedle";
  paths = {dir.Write("log0.txt", log)};
  set.OpenFiles(paths);
  EXPECT_EQ(Find(0, 0, "needle"), End);
  EXPECT_EQ(Find(0, 0, "body"), "0:2");
}

TEST_F(SearchTest, EnteringAFileReopensItAndAFailureStops) {
  Open({{Body(1, "x\r\n")}, {Body(2, "y\r\n")}, {Body(3, "z\r\n")}});
  EXPECT_EQ(Find(0, 0, "z"), "2:0");
  EXPECT_EQ(reader.GetFileName(), paths[2]);
  std::filesystem::remove(paths[1]);
  EXPECT_EQ(Find(0, 0, "z"), "ファイルエラー");
  EXPECT_EQ(reader.GetFileName(), paths[2]);  // a failed open keeps the file held before
}

TEST_F(SearchTest, EndLeavesTheReaderOnTheLastFileEntered) {
  Open({{Body(1, "x\r\n")}, {Body(2, "y\r\n")}});
  EXPECT_EQ(Find(1, 0, "nothing", 2), End);
  EXPECT_EQ(reader.GetFileName(), paths[0]);
}

TEST_F(SearchTest, HitOnAMessageWithoutNodeIsStillAHit) {
  std::vector<Msg> orphans;
  for (int i = 1; i <= 3000; ++i) orphans.push_back(M(i, 10000 + i));
  Open({orphans, {Body(5000, "x\r\n"), Body(5001, "needle\r\n", 20000)}});
  ASSERT_EQ(set[1][1].Node, NoNode);
  EXPECT_EQ(Find(1, 0, "needle"), "1:1");
}

}  // namespace
}  // namespace zu
