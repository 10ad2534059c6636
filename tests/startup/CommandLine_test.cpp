// The viewer's command line: which arguments are files and which are
// options, and the real viewer answering --help, --version and a wrong
// option without a display and without a window.
#include "startup/CommandLine.h"

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "support/LogFiles.h"
#include "tools/DumpProcess.h"

namespace zu::testing {
namespace {

using Action = CommandLine::Action;

CommandLine Parse(const std::vector<std::string>& args) {
  std::vector<const char*> argv = {"zu_kirdo"};
  for (const std::string& a : args) argv.push_back(a.c_str());
  argv.push_back(nullptr);
  return ParseCommandLine(static_cast<int>(argv.size() - 1), argv.data());
}

struct ParseCase {
  std::vector<std::string> args;
  Action action;
  std::vector<std::string> paths;
  std::string unknown;
};

TEST(CommandLineTest, ArgumentsBecomeFilesOrAnAnswer) {
  const std::vector<ParseCase> cases = {
      {{}, Action::Open, {}, ""},  // the start without files
      {{"b.log", "a.log", "b.log"}, Action::Open, {"b.log", "a.log", "b.log"}, ""},
      {{"\x83\x65\x83\x58\x83\x67.log"}, Action::Open, {"\x83\x65\x83\x58\x83\x67.log"}, ""},  // Shift-JIS bytes
      {{"-"}, Action::Open, {"-"}, ""},                            // a lone dash is a name
      {{""}, Action::Open, {""}, ""},                              // fails later, as the dialog's would
      {{"--", "-x.log", "--help", "--"}, Action::Open, {"-x.log", "--help", "--"}, ""},
      {{"a.log", "--", "b.log"}, Action::Open, {"a.log", "b.log"}, ""},
      {{"a.log", "--help"}, Action::Help, {}, ""},
      {{"--version", "--bogus"}, Action::Version, {}, ""},        // read left to right
      {{"--bogus", "--help"}, Action::Usage, {}, "--bogus"},
      {{"-platform", "offscreen"}, Action::Usage, {}, "-platform"},  // Qt's options are not read
      {{"a.log", "-x"}, Action::Usage, {}, "-x"},
      {{"--help=all"}, Action::Usage, {}, "--help=all"},
  };
  for (const ParseCase& c : cases) {
    const CommandLine command = Parse(c.args);
    const std::string name = ::testing::PrintToString(c.args);
    EXPECT_EQ(command.action, c.action) << name;
    EXPECT_EQ(command.paths, c.paths) << name;
    EXPECT_EQ(command.unknown, c.unknown) << name;
  }
}

// Runs the built viewer with no display at all and a Qt platform that does
// not exist: any attempt to start the window system fails the run.
DumpResult RunViewer(const TempDir& dir, const std::vector<std::string>& args) {
  std::string command = "env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=no-such-platform " +
                        ShellQuote(ZU_VIEWER);
  for (const std::string& a : args) command += " " + ShellQuote(a);
  const std::string out = dir.Path("viewer.out");
  const std::string err = dir.Path("viewer.err");
  command += " >" + ShellQuote(out) + " 2>" + ShellQuote(err) + " </dev/null";
  DumpResult r;
  const int raw = std::system(command.c_str());
  r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  r.out = ReadAll(out);
  r.err = ReadAll(err);
  return r;
}

TEST(CommandLineTest, ViewerAnswersWithoutADisplay) {
  TempDir dir;
  const DumpResult help = RunViewer(dir, {"--help", "never-opened.log"});
  EXPECT_EQ(help.status, 0);
  EXPECT_EQ(help.out.rfind("Usage: zu_kirdo [--help | --version] [--] [FILE...]\n", 0), 0u) << help.out;
  for (const char* option : {"\n  --help ", "\n  --version "}) {
    EXPECT_NE(help.out.find(option), std::string::npos) << "the help tells of" << option;
  }
  EXPECT_EQ(help.err, "");

  const DumpResult version = RunViewer(dir, {"--version"});
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out, "zu_kirdo " ZU_KIRDO_VERSION "\n");
  EXPECT_EQ(version.err, "");

  const DumpResult wrong = RunViewer(dir, {"a.log", "-platform", "xcb"});
  EXPECT_EQ(wrong.status, 2);
  EXPECT_EQ(wrong.out, "");
  EXPECT_EQ(wrong.ErrLines(), (std::vector<std::string>{
                                  "zu_kirdo: unknown option '-platform'",
                                  "Usage: zu_kirdo [--help | --version] [--] [FILE...]"}));
}

}  // namespace
}  // namespace zu::testing
