#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tools/DumpProcess.h"

namespace zu::testing {
namespace {

using Lines = std::vector<std::string>;

const std::string End = "検索末尾まで検索しました";

class DumpSearchTest : public ::testing::Test {
 protected:
  DumpSearchTest() {
    a = dir.Write("a.log", LogOf({M(1, -1, "apple\r\n"), M(2, -1, "banana\r\n"),
                                  M(3, 1, "Apple pie\r\n")}));
    b = dir.Write("b.log", LogOf({M(10, -1, "apple\r\n"), M(11, -1, "cherry\r\n")}));
  }

  DumpResult Search(std::vector<std::string> options, const std::string& text) {
    std::vector<std::string> args = {"--raw", "search"};
    args.insert(args.end(), options.begin(), options.end());
    args.push_back(text);
    args.push_back(a);
    args.push_back(b);
    return RunDump(dir, args);
  }

  TempDir dir;
  std::string a;
  std::string b;
};

TEST_F(DumpSearchTest, OneSearchStopsAtTheFirstHit) {
  const DumpResult r = Search({"--from", "0:0"}, "apple");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "0\t2\n");
  EXPECT_EQ(r.err, "");
}

struct AllCase {
  std::vector<std::string> options;
  std::string text;
  Lines hits;
};

TEST_F(DumpSearchTest, RepeatsFromEachHitUntilTheEnd) {
  const std::vector<AllCase> cases = {
      {{"--from", "0:0", "--all"}, "apple", {"0\t2", "1\t0"}},
      {{"--from", "1:1", "--up", "--all"}, "APPLE", {"1\t0", "0\t2", "0\t0"}},
      {{"--from", "0:0", "--fields", "8", "--all"}, "t1", {"1\t0", "1\t1"}},  // titles T10, T11
      {{"--from", "0:0", "--fields", "1", "--all"}, "1", {"1\t0", "1\t1"}},   // numbers 10, 11
      // Every sender ID is ABCD1234.
      {{"--from", "0:0", "--fields", "31", "--all"}, "b", {"0\t1", "0\t2", "1\t0", "1\t1"}},
  };
  for (const AllCase& c : cases) {
    const DumpResult r = Search(c.options, c.text);
    EXPECT_EQ(r.status, 0) << c.text;
    EXPECT_EQ(r.OutLines(), c.hits) << c.text;
    EXPECT_EQ(r.err, End + "\n") << c.text;
  }
}

TEST_F(DumpSearchTest, NoHitExitsWithOneAndTheStopMessage) {
  const DumpResult none = Search({"--from", "0:0"}, "durian");
  EXPECT_EQ(none.status, 1);
  EXPECT_EQ(none.out, "");
  EXPECT_EQ(none.err, End + "\n");
  const DumpResult noFields = Search({"--from", "0:0", "--fields", "0"}, "apple");
  EXPECT_EQ(noFields.status, 1);
  EXPECT_EQ(noFields.err, "検索タイプを指定してください\n");
}

TEST_F(DumpSearchTest, UsageErrorsExitWithTwo) {
  const std::vector<std::vector<std::string>> cases = {
      {"--from", "0:3"},                   // past the row's last message
      {"--from", "2:0"},                   // no such row
      {"--from", "10:0"},                  // nor a row a set can have
      {"--from", "0"},
      {"--from", "0:x"},
      {"--from", "-1:0"},
      {},                                  // --from is required
      {"--from", "0:0", "--fields", "1x"},
      {"--from", "0:0", "--fields", ""},
      {"--from", "0:0", "--colour"},
      {"--from", "0:0", "--from"},         // the later --from takes TEXT as its value
  };
  for (const auto& options : cases) {
    const DumpResult r = Search(options, "apple");
    EXPECT_EQ(r.status, 2) << ::testing::PrintToString(options);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find("usage: "), std::string::npos);
  }
}

TEST_F(DumpSearchTest, TextAfterTheOptionsMayStartWithADash) {
  const std::string c = dir.Write("c.log", LogOf({M(1), M(2, -1, "x -1 y\r\n"), M(3, -1, "--all\r\n")}));
  EXPECT_EQ(RunDump(dir, {"--raw", "search", "--from", "0:0", "-1", c}).out, "0\t1\n");
  EXPECT_EQ(RunDump(dir, {"--raw", "search", "--from", "0:0", "--", "--all", c}).out, "0\t2\n");
}

TEST_F(DumpSearchTest, SearchTextMustHoldOneTo255Bytes) {
  EXPECT_EQ(Search({"--from", "0:0"}, "").status, 2);
  const DumpResult tooLong = Search({"--from", "0:0"}, std::string(256, 'x'));
  EXPECT_EQ(tooLong.status, 2);
  EXPECT_TRUE(tooLong.err.starts_with("zu_kirdo_dump: TEXT is longer than 255 bytes\n")) << tooLong.err;
  EXPECT_EQ(Search({"--from", "0:0"}, std::string(255, 'x')).status, 1);
}

TEST_F(DumpSearchTest, AFileSetThatLoadsNothingIsAUsageError) {
  const DumpResult r =
      RunDump(dir, {"--raw", "search", "--from", "0:0", "x", dir.Path("missing.log")});
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.ErrLines().at(0), dir.Path("missing.log") + "を開けませんでした");
}

TEST_F(DumpSearchTest, RawTextIsBytesAndHumanTextIsConverted) {
  const std::string c = dir.Write(
      "c.log", LogOf({M(1), M(2, -1, "\x83\x41\r\n"), M(3, -1, "xa\r\n")}));
  // The trail byte 0x41 of ア is no letter A.
  EXPECT_EQ(RunDump(dir, {"--raw", "search", "--from", "0:0", "--all", "A", c}).OutLines(),
            (Lines{"0\t2"}));
#if defined(_WIN32)
  const char* const katakanaA = "ア";  // Windows' arguments are Unicode
#else
  const char* const katakanaA = "\x83\x41";
#endif
  EXPECT_EQ(RunDump(dir, {"--raw", "search", "--from", "0:0", katakanaA, c}).out, "0\t1\n");
  const DumpResult human = RunDump(dir, {"search", "--from", "0:0", "ア", c});
  EXPECT_EQ(human.status, 0);
  EXPECT_EQ(human.out, "0:1  #2  T2\n");
  EXPECT_EQ(RunDump(dir, {"search", "--from", "0:0", "\xF0\x9F\x98\x80", c}).status, 2);  // no CP932 form
}

TEST_F(DumpSearchTest, HitWithoutNodeEmptiesTheSelection) {
  std::vector<Msg> orphans;
  for (int i = 1; i <= 3000; ++i) orphans.push_back(M(i, 10000 + i));
  const std::string full = dir.Write("full.log", LogOf(orphans));
  const std::string more = dir.Write(
      "more.log", LogOf({M(5000), M(5001, 20000, "needle\r\n"), M(5002, -1, "needle\r\n")}));
  const DumpResult r =
      RunDump(dir, {"--raw", "search", "--from", "1:0", "--all", "needle", full, more});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "1\t1\n");
  EXPECT_EQ(r.err, "検索開始位置を指定してください\n");
  // Such a message cannot be the start.
  EXPECT_EQ(RunDump(dir, {"--raw", "search", "--from", "1:1", "needle", full, more}).status, 2);
}

}  // namespace
}  // namespace zu::testing
