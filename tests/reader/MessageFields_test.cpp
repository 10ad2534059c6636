// The fields and body lines that the reader cuts out of a message.
#include <gtest/gtest.h>

#include <climits>
#include <random>

#include "reader/ReaderChecks.h"
#include "reader/ReaderFixture.h"

namespace zu::testing {
namespace {

const std::string kLine2 = "1) a b";
const std::string kPrefix23 = "00007) 96/05/17 21:05  ";  // a second line up to position 23

// The example pair, by byte position, with a line before it and a second pair after.
std::string ExampleFile() {
  const std::string line1 = "00123/00045 ABCD1234  SAMPLE USER      Sample title";
  const std::string line2 = "00007) 96/05/17 21:05  00120\x82\xa0";
  EXPECT_EQ(line1.size(), 51u);
  EXPECT_EQ(line2.size(), 30u);
  return "other text\r\n" + line1 + "\r\n" + line2 + "\r\nbody 1\r\nbody 2\r\n\r\n" +
         Header(Numbered(124));
}

TEST_F(ReaderTest, ExamplePairGivesItsFields) {
  ASSERT_TRUE(Load(ExampleFile()));
  EXPECT_EQ(Starts(), (std::vector<int32_t>{12, 115}));
  EXPECT_EQ(reader.GetNumber(0), 123);
  EXPECT_EQ(reader.GetSenderID(0), "ABCD1234");
  EXPECT_EQ(reader.GetSenderName(0), "SAMPLE USER     ");
  EXPECT_EQ(reader.GetTitle(0), "Sample title");
  EXPECT_EQ(reader.GetDate(0), "96/05/17");
  EXPECT_EQ(reader.GetTime(0), "21:05");
  EXPECT_EQ(reader.GetParentNumber(0), 120);
  EXPECT_EQ(Body(0), (std::vector<std::string>{"body 1", "body 2"}));  // not the empty line
}

TEST_F(ReaderTest, FirstLineFields) {
  struct Case { std::string line1; int32_t number; std::string id, name, title; };
  const std::string name16(16, 'N');
  const std::vector<Case> cases = {
      {"1/1 ABCDEFGH", 1, "ABCDEFGH", "", ""},  // 12 bytes: shorter than p+10 and than 38
      {"12x/5y ABCD1234", 12, "ABCD1234", "", ""},
      {"1/1 ABCDEFGH  NAME", 1, "ABCDEFGH", "NAME", ""},
      {"1/1 ABCDEFGH  ", 1, "ABCDEFGH", "", ""},  // exactly p+10 bytes
      // 37 bytes: no title even though bytes stand at p+27.
      {"1/1 ABCDEFGH  " + name16 + "-TITLE1", 1, "ABCDEFGH", name16, ""},
      {"1/1 ABCDEFGH  " + name16 + "-TITLE12", 1, "ABCDEFGH", name16, "TITLE12"},  // 38 bytes
      // p is 7 after a run of three spaces; the columns move with it.
      {"12/5   ABCDEFGH  " + name16 + "|TITLE", 12, "ABCDEFGH", name16, "TITLE"},
      // p is 13: 40 bytes reach p+27 exactly and give no title, 41 give one byte.
      {"1/1          ABCDEFGH " + std::string(18, '.'), 1, "ABCDEFGH", std::string(16, '.'), ""},
      {"1/1          ABCDEFGH " + std::string(18, '.') + "T", 1, "ABCDEFGH", std::string(16, '.'), "T"},
      // Cut to 254 bytes, title included.
      {"1/1 ABCDEFGH  " + name16 + "-" + std::string(300, 'T'), 1, "ABCDEFGH", name16,
       std::string(254 - 31, 'T')},
      // Kana bytes are taken by position, a character cut or not.
      {"1/1 ABCDEFGH  \x83\x41\x83\x43\x83\x45\x83\x47\x83\x49\x83\x4a\x83\x4c\x83\x4e "
       "\x95\x5c\x91\xe8\x82\xa0\x82\xa0",
       1, "ABCDEFGH", "\x83\x41\x83\x43\x83\x45\x83\x47\x83\x49\x83\x4a\x83\x4c\x83\x4e",
       "\x95\x5c\x91\xe8\x82\xa0\x82\xa0"},
  };
  for (const Case& c : cases) {
    ASSERT_TRUE(Load(c.line1 + "\r\n" + kLine2 + "\r\n")) << c.line1;
    EXPECT_EQ(reader.GetNumber(0), c.number) << c.line1;
    EXPECT_EQ(reader.GetSenderID(0), c.id) << c.line1;
    EXPECT_EQ(reader.GetSenderName(0), c.name) << c.line1;
    EXPECT_EQ(reader.GetTitle(0), c.title) << c.line1;
  }
}

TEST_F(ReaderTest, SecondLineFields) {
  struct Case { std::string line2; std::string date, time; int32_t parent; };
  const std::vector<Case> cases = {
      {kPrefix23 + "00120\x82\xa0", "96/05/17", "21:05", 120},
      {kPrefix23 + "  42\x82\xa0", "96/05/17", "21:05", 42},  // white space before digits skipped
      {kPrefix23 + "42x\x82\xa0", "96/05/17", "21:05", 42},
      {kPrefix23 + "0\x82\xa0", "96/05/17", "21:05", -1},
      {kPrefix23 + "abc\x82\xa0", "96/05/17", "21:05", -1},
      {kPrefix23 + "-5\x82\xa0", "96/05/17", "21:05", -1},
      {kPrefix23 + "\x82\xa0", "96/05/17", "21:05", -1},       // 0x82 right at 23
      {kPrefix23 + "00120", "96/05/17", "21:05", -1},          // no 0x82 at all
      {kPrefix23 + "2147483648\x82\xa0", "96/05/17", "21:05", -1},  // wraps negative
      {kPrefix23 + "42\x83\x82", "96/05/17", "21:05", 42},     // 0x82 as a trail byte ends it
      {kPrefix23 + "\x83\x82" "42\x82\xa0", "96/05/17", "21:05", -1},  // digits after it are cut off
      {"00007) 96/05/17 21:05 9\x82\xa0", "96/05/17", "21:05", -1},   // position 22 is not read
      {"00007)  21:05 x", "", "21:05", -1},   // space at 7: no date, the first token is the time
      {"1) a b 96/05/17 21:05", "96/05/17", "21:05", -1},
      {"1) a b", "", "", -1},                 // 6 bytes
      {"1) a bc", "", "", -1},                // 7 bytes
      {"1) a bcd", "d", "", -1},
  };
  for (const Case& c : cases) {
    ASSERT_TRUE(Load("1/1 ABCDEFGH\r\n" + c.line2 + "\r\n")) << c.line2;
    EXPECT_EQ(reader.GetDate(0), c.date) << c.line2;
    EXPECT_EQ(reader.GetTime(0), c.time) << c.line2;
    EXPECT_EQ(reader.GetParentNumber(0), c.parent) << c.line2;
  }
}

TEST_F(ReaderTest, NoMessageGivesEmptyResults) {
  ASSERT_TRUE(Load(Message(Numbered(5))));
  char out[LineBufferSize];
  for (int32_t i : {-1, 1, 2999, 3000, INT32_MIN, INT32_MAX}) {
    EXPECT_EQ(reader.GetNumber(i), -1) << i;
    EXPECT_EQ(reader.GetParentNumber(i), -1) << i;
    EXPECT_EQ(reader.GetSenderID(i), "") << i;
    EXPECT_EQ(reader.GetSenderName(i), "") << i;
    EXPECT_EQ(reader.GetTitle(i), "") << i;
    EXPECT_EQ(reader.GetDate(i), "") << i;
    EXPECT_EQ(reader.GetTime(i), "") << i;
    EXPECT_FALSE(reader.GetBodyLine(i, 0, out)) << i;
  }
  EXPECT_FALSE(reader.GetBodyLine(0, -1, out));
}

TEST_F(ReaderTest, FindNumberGivesTheNumberOfAnIndexedMessage) {
  EXPECT_EQ(reader.FindNumber(1), -1);  // no file current
  ASSERT_TRUE(Load(Message(Numbered(5)) + Message(Numbered(7)) + Message(Numbered(9))));
  struct Case { int32_t number, expected; };
  const Case cases[] = {{5, 5}, {7, 7}, {9, 9}, {8, -1}, {0, -1}, {-1, -1}, {INT32_MIN, -1}};
  for (const Case& c : cases) EXPECT_EQ(reader.FindNumber(c.number), c.expected) << c.number;
  EXPECT_FALSE(Load("no pairs\r\n"));
  EXPECT_EQ(reader.FindNumber(5), -1);
}

TEST_F(ReaderTest, BodyEndsBeforeTheLineBeforeTheNextPair) {
  const std::string pair1 = Header(Numbered(1));
  const std::string pair2 = Header(Numbered(2));
  struct Case { std::string data; int32_t i; std::vector<std::string> body; };
  const std::vector<Case> cases = {
      {pair1 + "x\r\ny\r\n\r\n" + pair2, 0, {"x", "y"}},
      {pair1 + "x\r\nnot empty\r\n" + pair2, 0, {"x"}},    // that line is dropped whatever it holds
      {pair1 + "only\r\n" + pair2, 0, {}},
      {pair1 + pair2, 0, {}},
      {pair1 + "a\r\nb\r\n", 0, {"a", "b"}},               // last message: to the last LF
      {pair1 + "a\r\nlast line", 0, {"a"}},                // a final piece without LF is not given
      {pair1 + "a\r\nlast line\r\n", 0, {"a", "last line"}},
      {"1/1 ABCDEFGH\r\n1) a b", 0, {}},                     // the pair ends the file
      {pair1 + "1/1 ABCDEFGH\r\njunk\r\nend\r\n", 0, {"1/1 ABCDEFGH", "junk", "end"}},
      {pair1 + "a\rb\r\n" + std::string(300, 'c') + "\r\n", 0, {"ab", std::string(254, 'c')}},
      {pair1 + "\r\n" + pair2 + "p\r\nq\r\n", 1, {"p", "q"}},
  };
  for (const Case& c : cases) {
    Load(c.data);
    EXPECT_EQ(Body(c.i), c.body) << c.data;
  }
}

TEST_F(ReaderTest, LastEntryBodyRunsThroughUnindexedMessages) {
  std::string data;
  for (int32_t n = 1; n <= 3001; ++n) data += Message(Numbered(n, "b" + std::to_string(n) + "\r\n"));
  ASSERT_TRUE(Load(data));
  const std::string pair3001 = Header(Numbered(3001));
  const size_t lineEnd = pair3001.find("\r\n");
  const std::vector<std::string> expected = {
      "b3000", "", pair3001.substr(0, lineEnd),
      pair3001.substr(lineEnd + 2, pair3001.size() - lineEnd - 4), "b3001", ""};
  EXPECT_EQ(Body(2999), expected);
  EXPECT_EQ(Body(2998), (std::vector<std::string>{"b2999"}));
}

TEST_F(ReaderTest, LastOfExactly3000MessagesRunsToTheEnd) {
  std::string data;
  for (int32_t n = 1; n <= 3000; ++n) data += Message(Numbered(n, "b\r\n"));
  ASSERT_TRUE(Load(data + "tail\r\nno LF"));
  EXPECT_EQ(reader.GetCount(), 3000);
  EXPECT_EQ(Body(2999), (std::vector<std::string>{"b", "", "tail"}));
}

// The body-line memory must give exactly what the plain walk gives, whatever
// the order of the calls and whatever happens between them.
TEST_F(ReaderTest, BodyLineMemoryAgreesWithThePlainWalk) {
  auto file = [](int32_t seed) {
    std::string data = "preamble\r\n";
    std::mt19937 rng(static_cast<uint32_t>(seed));
    auto below = [&rng](uint32_t n) { return static_cast<uint32_t>(rng() % n); };
    for (int32_t n = 1; n <= 6; ++n) {
      Msg m = Numbered(n);
      for (uint32_t k = below(12); k > 0; --k) m.body += "s" + std::to_string(seed) + " line " + std::to_string(k) + "\r\n";
      data += Message(m);
    }
    return data + "tail";
  };
  const std::string pathA = dir.Write("a.txt", file(1));
  const std::string pathB = dir.Write("b.txt", file(2));
  ASSERT_TRUE(reader.Open(pathA));

  struct Call { int32_t i, j; const char* open; };
  std::vector<Call> calls = {
      {0, 0, nullptr}, {0, 1, nullptr}, {0, 2, nullptr}, {0, 5, nullptr}, {0, 1, nullptr},
      {0, 2, nullptr}, {1, 0, nullptr}, {0, 3, nullptr}, {0, 4, nullptr},
      {2, 0, nullptr}, {2, 1, nullptr}, {2, 2, "b"}, {2, 3, nullptr},  // another file between
      {2, 4, "a"}, {2, 5, nullptr}, {5, 0, nullptr}, {5, 1, nullptr}, {-1, 0, nullptr}, {5, 2, nullptr},
  };
  std::mt19937 rng(7);
  auto below = [&rng](uint32_t n) { return static_cast<uint32_t>(rng() % n); };
  for (int k = 0; k < 2000; ++k) {
    const uint32_t kind = below(10);
    const int32_t i = static_cast<int32_t>(below(7));
    const int32_t j = kind < 6 ? calls.back().j + 1 : static_cast<int32_t>(below(14));
    calls.push_back({kind < 6 ? calls.back().i : i, j, kind == 9 ? (below(2) ? "a" : "b") : nullptr});
  }
  for (const Call& c : calls) {
    if (c.open) {
      ASSERT_TRUE(reader.Open(*c.open == 'a' ? pathA : pathB));
    }
    char out[LineBufferSize], walked[LineBufferSize];
    const bool got = reader.GetBodyLine(c.i, c.j, out);
    ASSERT_EQ(got, WalkBodyLine(reader, c.i, c.j, walked)) << c.i << "," << c.j;
    if (got) {
      ASSERT_STREQ(out, walked) << c.i << "," << c.j;
    }
  }
}

}  // namespace
}  // namespace zu::testing
