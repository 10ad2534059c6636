// zu_kirdo_dump messages, run as a program on files written for each case.
#include <gtest/gtest.h>

#include "DumpProcess.h"

namespace zu::testing {
namespace {

class DumpMessagesTest : public ::testing::Test {
 protected:
  DumpResult Dump(const std::vector<std::string>& args) { return RunDump(dir, args); }

  TempDir dir;
};

Msg Sample() {
  Msg m;
  m.number = 123;
  m.parent = 120;
  m.id = "AB\\D1234";
  m.name = "\x95\x5c\x83\x65\xb1";  // 表テｱ: the trail byte of 表 is 0x5C
  m.title = "tab\there \\ back";
  m.body = "line\tone\r\n\x95\x5c\r\n";
  return m;
}

TEST_F(DumpMessagesTest, RawRecordsAreTheReadersBytesEscaped) {
  Msg second;
  second.number = 124;
  second.title = "";
  const std::string path = dir.Write("log.txt", "junk\r\n" + Message(Sample()) + Message(second));
  const DumpResult run = Dump({"--raw", "messages", path});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.err, "");
  const std::string name = "\x95\x5c\x5c\x83\x65\xb1           ";  // 16 bytes, 0x5C doubled
  EXPECT_EQ(run.out,
            "M\t0\t123\t120\tAB\\\\D1234\t" + name + "\ttab\\there \\\\ back\t96/05/17\t21:05\n"
            "B\tline\\tone\n"
            "B\t\x95\x5c\x5c\n"
            "M\t1\t124\t-1\tABCD1234\tSAMPLE USER     \t\t96/05/17\t21:05\n"
            "B\t\n");  // the last message keeps its final line
}

TEST_F(DumpMessagesTest, HumanOutputIsUtf8Blocks) {
  Msg top;
  top.number = 124;
  const std::string path = dir.Write("log.txt", Message(Sample()) + Message(top));
  const DumpResult run = Dump({"messages", "--", path});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out.substr(0, run.out.find("#1")),
            "#0  No.123  parent 120\n"
            "  From: 表テｱ (AB\\D1234)\n"
            "  Date: 96/05/17 21:05\n"
            "  Title: tab\there \\ back\n"
            "\n"
            "  line\tone\n"
            "  表\n"
            "\n");
  EXPECT_NE(run.out.find("#1  No.124  no parent\n"), std::string::npos) << run.out;
}

TEST_F(DumpMessagesTest, FileTheReaderCannotOpenIsReported) {
  const std::string missing = dir.Path("missing.txt");
  const std::string empty = dir.Write("empty.txt", "");
  const std::string noPairs = dir.Write("text.txt", "no messages\r\n");
  for (const std::string& path : {missing, empty, noPairs, dir.path().string()}) {
    for (bool raw : {true, false}) {
      std::vector<std::string> args = {"messages", path};
      if (raw) args.insert(args.begin(), "--raw");
      const DumpResult run = Dump(args);
      EXPECT_EQ(run.status, 1) << path;
      EXPECT_EQ(run.err, path + "を開けませんでした\n") << path;
      EXPECT_EQ(run.out, "") << path;
    }
  }
}

// The warning is one line even for a path holding LF and CR.
#if !defined(_WIN32)  // Windows' file names hold no line break
TEST_F(DumpMessagesTest, PathWithLineBreaksIsReportedOnOneLine) {
  const std::string path = dir.Write("no\nmessages\r.txt", "text only\r\n");
  const DumpResult run = Dump({"--raw", "messages", path});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, dir.Path("no") + "\\nmessages\\r.txtを開けませんでした\n");
  const std::string log = dir.Write("a\nlog\r.txt", Message(Sample()));
  EXPECT_EQ(Dump({"--raw", "messages", log}).status, 0);
}

#endif

TEST_F(DumpMessagesTest, ExactlyOneFileOrAUsageError) {
  const std::string path = dir.Write("log.txt", Message(Sample()));
  const std::vector<std::vector<std::string>> bad = {
      {"messages"},
      {"--raw", "messages", path, path},
      {"messages", "--"},
      {"messages", "--bogus", path},
      {"messages", "--", path, path},
  };
  for (const auto& args : bad) {
    const DumpResult run = Dump(args);
    EXPECT_EQ(run.status, 2) << args.back();
    EXPECT_NE(run.err.find("usage"), std::string::npos) << args.back();
    EXPECT_EQ(run.out, "");
  }
}

TEST_F(DumpMessagesTest, DumpsEveryIndexedMessageOfAFullFile) {
  std::string data;
  for (int32_t n = 1; n <= 3001; ++n) {
    Msg m;
    m.number = n;
    m.body = "b\r\n";
    data += Message(m);
  }
  const DumpResult run = Dump({"--raw", "messages", dir.Write("full.txt", data)});
  EXPECT_EQ(run.status, 0);
  size_t records = 0;
  size_t messages = 0;
  std::istringstream lines(run.out);
  for (std::string line; std::getline(lines, line); ++records) {
    if (line.starts_with("M\t")) ++messages;
  }
  EXPECT_EQ(messages, 3000u);
  // 2999 bodies of one line; the last runs on through the unindexed message.
  EXPECT_EQ(records, 3000u + 2999u + 6u);
}

}  // namespace
}  // namespace zu::testing
