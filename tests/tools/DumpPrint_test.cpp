#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tools/DumpProcess.h"

namespace zu::testing {
namespace {

using Lines = std::vector<std::string>;

const std::string Banner = "/----- T123 -----/  [ZU_Kirdo for Windows95 Ver2.0]";
const std::string Sep = "_/_/_/_/_/_/_/_/_/_/_/_/_/_/_/_/_/_/_/";

class DumpPrintTest : public ::testing::Test {
 protected:
  // Message 123 with `body`, followed by another message so that the body
  // ends where it is written.
  std::string File(const std::string& body) {
    return dir.Write("a.log", LogOf({M(123, -1, body), M(124)}));
  }

  DumpResult Print(const std::string& file, std::vector<std::string> options) {
    std::vector<std::string> args = {"--raw", "print", "--from", "0:0"};
    args.insert(args.end(), options.begin(), options.end());
    args.push_back(file);
    return RunDump(dir, args);
  }

  TempDir dir;
};

TEST_F(DumpPrintTest, ShortMessageOnOnePage) {
  const DumpResult r = Print(File("body 1\r\n\r\n\tx\\y\r\n"), {});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "");
  const Lines expected = {
      "1\t1\t" + Banner,
      "1\t4\t" + Sep,
      "1\t5\t*\x94\xad\x8c\xbe\x94\xd4\x8d\x86=123",            // *発言番号=
      "1\t6\t*\x94\xad\x90\x4d\x8e\xd2\x96\xbc=SAMPLE USER     ",  // *発信者名=
      "1\t7\t*\x94\xad\x90\x4d\x8e\xd2ID=ABCD1234",              // *発信者ID=
      "1\t8\t*\x94\xad\x90\x4d\x8e\x9e\x8a\xd4=96/05/17  21:05",   // *発信時間=
      "1\t9\t" + Sep,
      "1\t12\tbody 1",
      "1\t13\t    x\\\\y",  // the tab printed as spaces, the backslash escaped
  };
  EXPECT_EQ(r.OutLines(), expected);
}

TEST_F(DumpPrintTest, PrinterMeasuresCutLinesAndPages) {
  std::string body;
  for (int i = 0; i < 6; ++i) body += "line" + std::to_string(i) + "\r\n";
  // B = 1440 - 3 x 80 = 1200: the piece on line 16 ends page 1.
  const Lines out =
      Print(File(body), {"--columns", "3", "--line-height", "80", "--page-height", "1440"})
          .OutLines();
  const Lines tail(out.begin() + 7, out.end());
  const Lines expected = {"1\t12\tlin", "1\t13\te0",  "1\t14\tlin", "1\t15\te1",
                          "1\t16\tlin", "2\t1\t" + Banner, "2\t4\te2", "2\t5\tlin",
                          "2\t6\te3",  "2\t7\tlin",  "2\t8\te4",  "2\t9\tlin",
                          "2\t10\te5"};
  EXPECT_EQ(tail, expected);
}

TEST_F(DumpPrintTest, LastPieceBelowTheBottomStartsNoPage) {
  const Lines out = Print(File("a\r\nb\r\n"), {"--page-height", "240"}).OutLines();
  // B = 0: "a" ends page 1 and "b" stands alone on page 2, with nothing after.
  ASSERT_EQ(out.size(), 10u);
  EXPECT_EQ(out[7], "1\t12\ta");
  EXPECT_EQ(out[8], "2\t1\t" + Banner);
  EXPECT_EQ(out[9], "2\t4\tb");
}

TEST_F(DumpPrintTest, HumanPagesAreUtf8SeparatedByFormFeeds) {
  const std::string file = File("a\r\nb\r\n");
  const DumpResult human = RunDump(dir, {"print", "--from", "0:0", "--page-height", "240", file});
  EXPECT_EQ(human.status, 0);
  const std::string page1 = Banner + "\n\n\n" + Sep + "\n*発言番号=123\n*発信者名=SAMPLE USER     \n" +
                            "*発信者ID=ABCD1234\n*発信時間=96/05/17  21:05\n" + Sep + "\n\n\na\n";
  const std::string page2 = Banner + "\n\n\nb\n";
  EXPECT_EQ(human.out, page1 + "\f" + page2);
}

TEST_F(DumpPrintTest, UsageErrorsExitWithTwo) {
  const std::string file = File("a\r\n");
  const std::vector<std::vector<std::string>> cases = {
      {"--columns", "0"},
      {"--line-height", "-80"},
      {"--page-height", "6800px"},
      {"--columns", "99999999999"},  // beyond 32 bits
      {"--from", "0:2"},             // the later --from wins: no such message
      {"--size", "1"},
  };
  for (const auto& options : cases) {
    const DumpResult r = Print(file, options);
    EXPECT_EQ(r.status, 2) << ::testing::PrintToString(options);
    EXPECT_EQ(r.out, "");
  }
  const DumpResult noFrom = RunDump(dir, {"--raw", "print", file});
  EXPECT_EQ(noFrom.status, 2);
  // The usage is the tool's own two lines, not one line with an escaped break.
  EXPECT_NE(noFrom.err.find("[--line-height LH]\n                              [--page-height H]"),
            std::string::npos)
      << noFrom.err;
  EXPECT_EQ(RunDump(dir, {"--raw", "print", "--from", "0:0"}).status, 2);  // no FILE
}

}  // namespace
}  // namespace zu::testing
