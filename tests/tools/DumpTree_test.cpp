#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "DumpOutput.h"
#include "tools/DumpProcess.h"

namespace zu::testing {
namespace {

using Lines = std::vector<std::string>;

class DumpTreeTest : public ::testing::Test {
 protected:
  std::string File(const std::string& name, const std::vector<Msg>& messages) {
    return dir.Write(name, LogOf(messages));
  }
  TempDir dir;
};

TEST_F(DumpTreeTest, WritesFilesThenNodesDepthFirst) {
  const std::string a = File("a.log", {M(500), M(501, 500), M(502, 501)});
  const std::string b = File("b.log", {M(100), M(101, 37), M(102, 100)});
  const DumpResult r = RunDump(dir, {"--raw", "tree", a, b});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "");
  const Lines expected = {
      "F\t0\t1\t" + dump::EscapeField(a),
      "F\t1\t0\t" + dump::EscapeField(b),
      "N\t0\t1\t0\tT100",
      "N\t1\t1\t2\tT102",  // added after the placeholder, shown under its parent
      "P\t0\t\t\t37",
      "N\t1\t1\t1\tT101",
      "N\t0\t0\t0\tT500",
      "N\t1\t0\t1\tT501",
      "N\t2\t0\t2\tT502",
  };
  EXPECT_EQ(r.OutLines(), expected);
}

TEST_F(DumpTreeTest, WarnsForFailuresAndTheTenFileLimit) {
  std::vector<std::string> args = {"--raw", "tree", dir.Path("missing.log")};
  for (int i = 1; i <= 11; ++i) args.push_back(File("f" + std::to_string(i) + ".log", {M(i)}));
  const DumpResult r = RunDump(dir, args);
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.ErrLines(), (Lines{dir.Path("missing.log") + "を開けませんでした",
                                 "一度に11以上のﾌｧｲﾙを開けません"}));
  const Lines out = r.OutLines();
  ASSERT_EQ(out.size(), 20u);
  EXPECT_EQ(out[9], "F\t9\t9\t" + dump::EscapeField(dir.Path("f10.log")));
}

TEST_F(DumpTreeTest, NothingLoadedExitsWithOne) {
  const std::string empty = dir.Write("empty.log", "no message\r\n");
  const DumpResult r = RunDump(dir, {"--raw", "tree", empty});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err, empty + "を開けませんでした\n");
}

TEST_F(DumpTreeTest, MessagesLeftOutOfAFullTreeAreListedLast) {
  std::vector<Msg> orphans;
  for (int i = 1; i <= 3000; ++i) orphans.push_back(M(i, 10000 + i));
  const std::string a = File("a.log", orphans);
  const std::string b = File("b.log", {M(5001, 20000), M(5002, 10001), M(5003, 20001)});
  const Lines out = RunDump(dir, {"--raw", "tree", a, b}).OutLines();
  ASSERT_EQ(out.size(), 2u + 6000u + 1u + 2u);
  EXPECT_EQ(out[2], "P\t0\t\t\t10001");
  EXPECT_EQ(out[3], "N\t1\t0\t0\tT1");
  EXPECT_EQ(out[4], "N\t1\t1\t1\tT5002");
  EXPECT_EQ(out[out.size() - 2], "U\t1\t0");
  EXPECT_EQ(out.back(), "U\t1\t2");
}

TEST_F(DumpTreeTest, RawCaptionsKeepTheirBytesWithTabAndBackslashEscaped) {
  Msg m = M(1);
  m.title = "a\tb\\c \x83\x5c";  // ソ, whose trail byte is a backslash
  const std::string a = File("a.log", {m});
  EXPECT_EQ(RunDump(dir, {"--raw", "tree", a}).OutLines().at(1), "N\t0\t0\t0\ta\\tb\\\\c \x83\\\\");
}

TEST_F(DumpTreeTest, HumanTreeIsUtf8AndIndented) {
  Msg m = M(2, 1);
  m.title = "\x83\x5c\x83\x74\x83\x67";  // ソフト
  const std::string a = File("a.log", {M(1), m});
  const DumpResult r = RunDump(dir, {"tree", a});
  EXPECT_EQ(r.status, 0);
  EXPECT_NE(r.out.find("\n    #2  ソフト  (0:1)\n"), std::string::npos) << r.out;
}

#if defined(_WIN32)
// The Windows build reads no archive: a file with an archive's mark says so.
TEST_F(DumpTreeTest, AnArchiveSaysItIsNotReadHere) {
  const std::string zip = dir.Write("a.zip", std::string("PK\x03\x04", 4) + "rest");
  const DumpResult r = RunDump(dir, {"--raw", "tree", zip});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.ErrLines(), (Lines{zip + "を開けませんでした",
                                 "zu_kirdo_dump: " + zip + ": archives and compressed files are not read by the Windows build"}));
}
#endif

// A path may hold LF and CR: the raw field escapes them with its TAB and
// backslash, a warning or the human list only them, each staying one line.
#if !defined(_WIN32)  // Windows' file names hold no line break
TEST_F(DumpTreeTest, PathsWithLineBreaksStayOneLine) {
  const std::string odd = File("a\\b\nc\rd.log", {M(1)});
  const std::string missing = dir.Path("x\\y\n.log");
  const std::string folder = dir.path().string() + "/";
  const DumpResult raw = RunDump(dir, {"--raw", "tree", missing, odd});
  EXPECT_EQ(raw.status, 0);
  EXPECT_EQ(raw.out, "F\t0\t0\t" + folder + "a\\\\b\\nc\\rd.log\nN\t0\t0\t0\tT1\n");
  EXPECT_EQ(raw.err, folder + "x\\y\\n.logを開けませんでした\n");
  const DumpResult human = RunDump(dir, {"tree", missing, odd});
  EXPECT_EQ(human.err, raw.err);
  EXPECT_EQ(human.OutLines().at(1), "  0  0  " + folder + "a\\b\\nc\\rd.log");
}
#endif

// Past 32 levels the human tree stops indenting and names the depth: a chain
// n deep gives output in proportion to n, not to n squared.
TEST_F(DumpTreeTest, HumanTreeCapsItsIndentation) {
  std::vector<Msg> chain;
  for (int n = 1; n <= 3000; ++n) chain.push_back(M(n, n - 1));
  const DumpResult r = RunDump(dir, {"tree", File("chain.log", chain)});
  EXPECT_EQ(r.status, 0);
  const Lines out = r.OutLines();
  ASSERT_EQ(out.size(), 3u + 3000u);  // two lines of files, "Tree:", the nodes
  EXPECT_EQ(out[3 + 31], std::string(64, ' ') + "#32  T32  (0:31)");
  EXPECT_EQ(out[3 + 32], std::string(66, ' ') + "[depth 32] #33  T33  (0:32)");
  EXPECT_EQ(out.back(), std::string(66, ' ') + "[depth 2999] #3000  T3000  (0:2999)");
  EXPECT_LT(r.out.size(), 3000u * 120u);  // indented all the way it is 9 MB
}

TEST_F(DumpTreeTest, UsageErrors) {
  const std::string a = File("a.log", {M(1)});
  EXPECT_EQ(RunDump(dir, {"--raw", "tree"}).status, 2);
  const DumpResult bogus = RunDump(dir, {"--raw", "tree", "--bogus", a});
  EXPECT_EQ(bogus.status, 2);
  EXPECT_TRUE(bogus.err.starts_with("zu_kirdo_dump: unknown option --bogus\n")) << bogus.err;
  EXPECT_EQ(RunDump(dir, {"--raw", "tree", "--", a}).status, 0);
  // --encoding NAME, before or after --raw; a missing or unknown NAME is
  // said as such, a missing command as one.
  const std::string needsName =
      "zu_kirdo_dump: --encoding needs CP932, EUC-JP, ISO-2022-JP, UTF-8, UTF-16LE or UTF-16BE\n";
  struct Case {
    std::vector<std::string> args;
    int status;
    bool saysName;
  };
  for (const Case& c : {Case{{"--encoding"}, 2, true}, Case{{"--encoding", "BOGUS", "tree", a}, 2, true},
                        Case{{"--encoding", "UTF-8"}, 2, false}, Case{{"--encoding", "euc-jp", "--raw", "tree", a}, 0, false},
                        Case{{"--raw", "--encoding", "UTF-8", "tree", a}, 0, false}}) {
    const DumpResult r = RunDump(dir, c.args);
    EXPECT_EQ(r.status, c.status) << c.args.size();
    EXPECT_EQ(r.err == needsName, c.saysName) << c.args.size() << r.err;
  }
}

// Asked for, the usage goes to stdout, before options or after them; an
// unknown command gets the same usage on stderr, after the line that says so.
TEST_F(DumpTreeTest, HelpIsTheUsageOnStdout) {
  const DumpResult unknown = RunDump(dir, {"bogus"});
  ASSERT_EQ(unknown.status, 2);
  const std::string usage = unknown.err.substr(unknown.err.find('\n') + 1);
  ASSERT_TRUE(usage.starts_with("Usage:")) << unknown.err;
  const DumpResult none = RunDump(dir, {});
  EXPECT_EQ(none.status, 2);
  EXPECT_EQ(none.err, usage);
  for (const auto& args : {std::vector<std::string>{"--help"}, {"--raw", "--help"}, {"--encoding", "UTF-8", "--help"}}) {
    const DumpResult r = RunDump(dir, args);
    EXPECT_EQ(r.status, 0) << args.back();
    EXPECT_EQ(r.out, usage) << args.size();
    EXPECT_EQ(r.err, "") << args.size();
  }
}

}  // namespace
}  // namespace zu::testing
