// Output for people from a hostile log: no control byte but TAB and LF
// reaches the terminal, whichever command shows the text; file names are
// decoded as the viewer's warnings decode them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tools/DumpProcess.h"
#include "tools/ExportChecks.h"

namespace zu::testing {
namespace {

TEST(DumpPeopleTest, ALogCannotDriveTheTerminal) {
  TempDir dir;
  Msg m = M(1);
  m.title = "\x1b]0;owned\x07\x1b[2J";               // retitles the window, clears the screen
  m.name = "\x1b]52;c;Zm9v\x07";                     // writes the clipboard
  m.body = "a\x7f\x01\tb\r\n\x82\x1b[31m red\r\n";  // a lead byte before ESC stays apart
#if defined(_WIN32)
  const std::string a = dir.Write("plain.log", LogOf({m, M(2, 1)}));  // Windows' names hold no control
#else
  const std::string a = dir.Write("\x1b[1m.log", LogOf({m, M(2, 1)}));
#endif
  struct Case {
    std::vector<std::string> args;
    const char* shown;  // a piece of the output
    const char* allowed;
  };
  const Case cases[] = {
      {{"messages", a}, "Title: ␛]0;owned␇␛[2J", ""},
      {{"messages", a}, "From: ␛]52;c;Zm9v␇", ""},
      {{"messages", a}, "  a␡␁\tb\n  \xef\xbf\xbd␛[31m red\n", ""},
      {{"tree", a}, "#1  ␛]0;owned␇␛[2J  (0:0)", ""},
#if !defined(_WIN32)
      {{"tree", a}, "/␛[1m.log\n", ""},
#endif
      {{"search", "--from", "0:1", "--up", "--fields", "8", "owned", a}, "0:0  #1  ␛]0;owned␇␛[2J", ""},
      {{"print", "--from", "0:0", a}, "␛]0;owned␇␛[2J", "\f"},  // the form feed between pages
  };
  for (const Case& c : cases) {
    const DumpResult r = RunDump(dir, c.args);
    SCOPED_TRACE(c.args[0] + ": " + r.out);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find(c.shown), std::string::npos);
    EXPECT_EQ(FirstControl(r.out, c.allowed), std::string::npos);
  }
}

// The one-pass conversion for people shows what the two passes show: every
// byte value alone, and controls at every place of the eight-byte stretches
// that are copied whole.
TEST(DumpPeopleTest, TextForPeopleIsTheTextWithItsControlsVisible) {
  std::vector<std::string> texts;
  for (int b = 0; b < 256; ++b) texts.push_back(std::string(1, static_cast<char>(b)) + "\x82");
  for (const char control : {'\x1b', '\x7f', '\t', '\n', '\x00', '\x1f'}) {
    for (size_t at = 0; at < 17; ++at) {
      std::string text = "ascii text, \x83\x82\x83\x66\x83\x80 and more ascii";
      text[at] = control;
      texts.push_back(text);
    }
  }
  for (const std::string& text : texts) {
    std::string twoPasses;
    dump::AppendVisible(Cp932ToUtf8(text), twoPasses);
    ASSERT_EQ(dump::ForPeople(text), twoPasses) << text;
  }
}

// A log copied from the old system keeps its Shift-JIS name: shown decoded,
// as the viewer's warnings show it, next to a UTF-8 folder name. Windows
// keeps every name in UTF-16, so there the name reaches the tool as Unicode
// through its wide arguments, and is shown the same.
TEST(DumpPeopleTest, FileNamesAreDecodedAsTheWarningsDecodeThem) {
  TempDir dir;
  const std::string folder = dir.Path("ログ");
  std::filesystem::create_directory(NativePath(folder));
#if defined(_WIN32)
  const std::string a = dir.Write("ログ/ソフト.log", LogOf({M(1)}));
#else
  const std::string a = dir.Write("ログ/\x83\x5c\x83\x74\x83\x67.log", LogOf({M(1)}));  // ソフト.log
#endif
  const DumpResult r = RunDump(dir, {"tree", a});
  EXPECT_NE(r.out.find("ログ/ソフト.log\n"), std::string::npos) << r.out;
  EXPECT_EQ(RunDump(dir, {"export", "--format", "html", "--output", dir.Path("site"), a}).status, 0);
  const std::string index = ReadAll(dir.Path("site/index.html"));
  EXPECT_NE(index.find("<title>ZU_Kirdo: ソフト.log</title>"), std::string::npos) << index;
  EXPECT_EQ(index.find("\x83\x5c"), std::string::npos);
}

}  // namespace
}  // namespace zu::testing
