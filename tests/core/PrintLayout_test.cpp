#include "core/PrintLayout.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "core/FakeLogSetUi.h"

namespace zu {

void PrintTo(const PrintLine& l, std::ostream* os) {
  *os << "{" << l.page << ", " << l.line << ", \"" << l.text << "\"}";
}

namespace {

// Every piece of `line`, asking for k = 0, 1, 2 ... as the print loop does.
std::vector<std::string> Pieces(const std::string& line, int32_t width) {
  std::vector<std::string> pieces;
  char out[LineBufferSize];
  for (int32_t k = 0; k < 1000 && GetLinePiece(line.c_str(), width, k, out); ++k) {
    EXPECT_LE(std::strlen(out), static_cast<size_t>(MaxPieceBytes));
    pieces.emplace_back(out);
  }
  return pieces;
}

std::string Repeat(const std::string& s, int n) {
  std::string out;
  for (int i = 0; i < n; ++i) out += s;
  return out;
}

const std::string A = "\x82\xa0";   // あ, two columns
const std::string I = "\x82\xa2";   // い
const std::string Ka = "\x83\x80";  // ム: trail byte 0x80 used to open a cut

struct PieceCase {
  std::string line;
  int32_t width;
  std::vector<std::string> pieces;
};

TEST(GetLinePieceTest, CutsByCharacters) {
  const std::vector<PieceCase> cases = {
      {"", 10, {}},  // an empty line has no piece
      {"abc", 10, {"abc"}},
      {"abcdef", 3, {"abc", "def"}},
      {"abcdefg", 3, {"abc", "def", "g"}},
      {Repeat("x", 130), 124, {Repeat("x", 124), Repeat("x", 6)}},  // ASCII is cut too
      {Repeat(A, 70), 124, {Repeat(A, 62), Repeat(A, 8)}},
      {"a" + A, 2, {"a", A}},          // a double-byte character is never split
      {"a" + A + "b", 3, {"a" + A, "b"}},
      {A + I, 1, {A, I}},              // narrower than a character: one per piece
      {"ab", 0, {"a", "b"}},
      {Repeat(Ka, 5), 4, {Ka + Ka, Ka + Ka, Ka}},  // trail byte 0x80 opens nothing
      {"ab\x82", 2, {"ab", "\x82"}},   // a lead byte at the end stands alone
      {"\x82" "a", 1, {"\x82" "a"}},   // ... but takes any byte after it
      {"\xfc\x40\xfc\x40", 3, {"\xfc\x40", "\xfc\x40"}},  // 0xFC is the last lead byte
      {"a\xfc" "b", 2, {"a", "\xfc" "b"}},
  };
  for (const PieceCase& c : cases) {
    EXPECT_EQ(Pieces(c.line, c.width), c.pieces) << c.line << " width " << c.width;
  }
}

TEST(GetLinePieceTest, TabsAreFourSpacesWhereverTheyStand) {
  const std::vector<PieceCase> cases = {
      {"\tab", 10, {"    ab"}},
      {"ab\tcd", 5, {"ab", "    c", "d"}},
      {A + "\t", 10, {A + "    "}},    // after a double-byte character as well
      {Ka + "\tx", 10, {Ka + "    x"}},  // after a trail byte of 0x80 or more
      {"\t\t", 4, {"    ", "    "}},
      {"\t", 2, {"    "}},            // wider than the page still makes one piece
  };
  for (const PieceCase& c : cases) {
    EXPECT_EQ(Pieces(c.line, c.width), c.pieces) << c.line << " width " << c.width;
  }
}

TEST(GetLinePieceTest, NoPieceExceeds255Bytes) {
  EXPECT_EQ(Pieces(Repeat("a", 300), 1000), (std::vector<std::string>{Repeat("a", 255), Repeat("a", 45)}));
  // 63 tabs make 252 bytes; the 64th would pass 255.
  EXPECT_EQ(Pieces(Repeat("\t", 70), 1000),
            (std::vector<std::string>{Repeat(" ", 252), Repeat(" ", 28)}));
  // 127 double-byte characters make 254 bytes; the next one goes on.
  EXPECT_EQ(Pieces(Repeat(A, 128), 1000), (std::vector<std::string>{Repeat(A, 127), A}));
}

TEST(GetLinePieceTest, PieceBeyondTheLastGivesFalse) {
  char out[LineBufferSize];
  EXPECT_TRUE(GetLinePiece("abcd", 2, 1, out));
  EXPECT_STREQ(out, "cd");
  EXPECT_FALSE(GetLinePiece("abcd", 2, 2, out));
  EXPECT_FALSE(GetLinePiece("", 2, 0, out));
}

PrintMessage Sample(std::vector<std::string> body) {
  PrintMessage msg;
  msg.Title = "Sample title";
  msg.Number = 123;
  msg.SenderName = "SAMPLE USER     ";
  msg.SenderID = "ABCD1234";
  msg.Date = "96/05/17";
  msg.Time = "21:05";
  msg.Body = std::move(body);
  return msg;
}

const std::string Banner = "/----- Sample title -----/  [ZU_Kirdo for Windows95 Ver2.0]";
const std::string Sep = "_/_/_/_/_/_/_/_/_/_/_/_/_/_/_/_/_/_/_/";

TEST(LayoutPrintJobTest, ShortMessageOnOnePage) {
  const std::vector<PrintLine> expected = {
      {1, 1, Banner},
      {1, 4, Sep},
      {1, 5, std::string(LabelNumber) + "123"},
      {1, 6, std::string(LabelName) + "SAMPLE USER     "},
      {1, 7, std::string(LabelID) + "ABCD1234"},
      {1, 8, std::string(LabelTime) + "96/05/17  21:05"},
      {1, 9, Sep},
      {1, 12, "body 1"},
      {1, 13, "body 2"},
  };
  EXPECT_EQ(LayoutPrintJob(Sample({"body 1", "body 2"}), 124, 80, 6560), expected);
}

std::vector<PrintLine> BodyOf(const std::vector<PrintLine>& lines) {
  return std::vector<PrintLine>(lines.begin() + 7, lines.end());  // after the head block
}

TEST(LayoutPrintJobTest, BlankLinesTakeNoLine) {
  const std::vector<PrintLine> expected = {{1, 12, "a"}, {1, 13, "b"}};
  EXPECT_EQ(BodyOf(LayoutPrintJob(Sample({"a", "", "", "b"}), 124, 80, 6560)), expected);
}

TEST(LayoutPrintJobTest, PiecesOfOneLineTakeOneLineEach) {
  const std::vector<PrintLine> expected = {{1, 12, "abc"}, {1, 13, "de"}, {1, 14, "f"}};
  EXPECT_EQ(BodyOf(LayoutPrintJob(Sample({"abcde", "f"}), 3, 80, 6560)), expected);
}

// With LH 80 and B 1200, the piece on line 16 (1280 > 1200) is the last of
// its page; later pages hold lines 4 to 16.
TEST(LayoutPrintJobTest, LongBodyContinuesOnPagesHeadedByTheBanner) {
  std::vector<std::string> body;
  for (int i = 0; i < 20; ++i) body.push_back("line " + std::to_string(i));
  const auto lines = LayoutPrintJob(Sample(body), 124, 80, 1200);
  std::vector<PrintLine> expected;
  for (int i = 0; i < 5; ++i) expected.push_back({1, 12 + i, body[i]});
  expected.push_back({2, 1, Banner});
  for (int i = 5; i < 18; ++i) expected.push_back({2, 4 + i - 5, body[i]});
  expected.push_back({3, 1, Banner});
  for (int i = 18; i < 20; ++i) expected.push_back({3, 4 + i - 18, body[i]});
  EXPECT_EQ(BodyOf(lines), expected);
}

TEST(LayoutPrintJobTest, NoPageHoldsTheBannerAlone) {
  // The fifth piece lands on line 16, below B: nothing follows, so no page 2.
  const auto lines = LayoutPrintJob(Sample({"1", "2", "3", "4", "5"}), 124, 80, 1200);
  EXPECT_EQ(lines.back(), (PrintLine{1, 16, "5"}));
  // A trailing blank line draws nothing and so starts no page either.
  const auto withBlank = LayoutPrintJob(Sample({"1", "2", "3", "4", "5", ""}), 124, 80, 1200);
  EXPECT_EQ(withBlank.back(), (PrintLine{1, 16, "5"}));
}

TEST(LayoutPrintJobTest, HeadIsNeverTestedAgainstTheBottom) {
  const auto lines = LayoutPrintJob(Sample({"a", "b"}), 124, 80, 0);
  const std::vector<PrintLine> expected = {{1, 12, "a"}, {2, 1, Banner}, {2, 4, "b"}};
  EXPECT_EQ(BodyOf(lines), expected);
  EXPECT_EQ(lines[6], (PrintLine{1, 9, Sep}));
}

TEST(LayoutPrintJobTest, NoBodyPrintsTheHeadOnly) {
  EXPECT_EQ(LayoutPrintJob(Sample({}), 124, 80, 6560).size(), 7u);
}

class ReadPrintMessageTest : public ::testing::Test {
 protected:
  ReadPrintMessageTest() {
    reader.AllocateBuffer();
    testing::Msg first = testing::M(1);
    first.name = "FIRST";
    first.body = "one\r\n\r\ntwo\r\n";
    a = dir.Write("a.log", testing::LogOf({first, testing::M(2)}));
    b = dir.Write("b.log", testing::LogOf({testing::M(3, 77)}));
    set.OpenFiles({a, b});
  }

  testing::TempDir dir;
  std::string a;
  std::string b;
  zuLogFile reader;
  testing::FakeLogSetUi ui;
  LogSet set{reader, ui};
  PrintMessage msg;
};

// The reader holds b after loading; the message of a must be read from a.
TEST_F(ReadPrintMessageTest, ReadsTheMessageFromItsOwnFile) {
  ASSERT_TRUE(ReadPrintMessage(set, set[0][0].Node, msg));
  EXPECT_EQ(msg.Title, "T1");
  EXPECT_EQ(msg.Number, 1);
  EXPECT_EQ(msg.SenderName, "FIRST           ");
  EXPECT_EQ(msg.SenderID, "ABCD1234");
  EXPECT_EQ(msg.Date, "96/05/17");
  EXPECT_EQ(msg.Time, "21:05");
  EXPECT_EQ(msg.Body, (std::vector<std::string>{"one", "", "two"}));
  EXPECT_TRUE(ui.warnings.empty());
}

TEST_F(ReadPrintMessageTest, PlaceholderOrNoNodeReadsNothingSilently) {
  EXPECT_FALSE(ReadPrintMessage(set, set.OrphanRoots()[0].Node, msg));
  EXPECT_FALSE(ReadPrintMessage(set, NoNode, msg));
  EXPECT_TRUE(ui.warnings.empty());
}

TEST_F(ReadPrintMessageTest, FileGoneFromDiskWarnsWithItsPath) {
  std::filesystem::remove(a);
  EXPECT_FALSE(ReadPrintMessage(set, set[0][0].Node, msg));
  ASSERT_EQ(ui.warnings.size(), 1u);
  EXPECT_EQ(ui.warnings[0], std::make_pair(Message::CannotOpen, a));
}

}  // namespace
}  // namespace zu
