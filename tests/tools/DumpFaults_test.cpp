// zu_kirdo_dump meeting what a failing machine does to it, run as the test
// build of the tool (tools/FaultHooks.cpp): an allocation that fails at the
// Nth allocation, for every N of every command (SQLite's loop), and stop
// signals at several points of an export. Whatever happens, the result is
// whole or absent and the run ends with a message, never a crash.
#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "tools/DumpProcess.h"

namespace zu::testing {
namespace {

namespace fs = std::filesystem;

class DumpFaultsTest : public ::testing::Test {
 protected:
  DumpFaultsTest() {
    std::vector<Msg> messages;
    for (int i = 1; i <= 6; ++i) messages.push_back(M(i, i > 2 ? i - 2 : -1, "body " + std::to_string(i) + "\r\n"));
    log = dir.Write("a.log", LogOf(messages));
    // Titles that take more than the set's first block of kept text.
    std::vector<Msg> titled;
    for (int i = 1; i <= 400; ++i) {
      titled.push_back(M(i));
      titled.back().title = std::string(200, 'w') + std::to_string(i);
    }
    wide = dir.Write("wide.log", LogOf(titled));
    out = dir.Path("out");
  }

  DumpResult Faulty(const std::vector<std::string>& args, const std::string& environment) {
    return RunDump(dir, args, environment, ZU_FAULTY_DUMP_TOOL);
  }

  // What is at `out`: a file's bytes, or a folder's names and their bytes.
  std::string Result() const {
    if (!fs::is_directory(out)) return fs::exists(out) ? ReadAll(out) : "";
    std::set<std::string> files;
    for (const auto& e : fs::directory_iterator(out)) files.insert(e.path().filename().string());
    std::string all = "folder\n";
    for (const std::string& f : files) all += f + "\n" + ReadAll(out + "/" + f);
    return all;
  }

  // The folder's entries other than the log, the captured output and `out`.
  std::set<std::string> Leftovers() const {
    std::set<std::string> names;
    for (const auto& e : fs::directory_iterator(dir.path())) names.insert(e.path().filename().string());
    for (const char* mine : {"a.log", "wide.log", "dump.out", "dump.err", "out", "count"}) names.erase(mine);
    return names;
  }

  void RemoveResult() const {
    fs::remove_all(out);
    for (const std::string& name : Leftovers()) fs::remove_all(dir.Path(name));
  }

  TempDir dir;
  std::string log;
  std::string wide;
  std::string out;
};

TEST_F(DumpFaultsTest, AnAllocationThatFailsAnywhereEndsTheCommandWithAMessage) {
  const std::vector<std::vector<std::string>> commands = {
      {"messages", log},
      {"--raw", "messages", log},
      {"tree", log, log},
      {"--raw", "tree", wide},
      {"search", "--from", "0:0", "--all", "body", log},
      {"print", "--from", "0:2", log},
      {"export", "--format", "mbox", "--output", out, log},
      {"export", "--format", "html", "--output", out, log},
  };
  for (const auto& args : commands) {
    const DumpResult whole = Faulty(args, "ZU_ALLOCATIONS_TO=" + dir.Path("count"));
    ASSERT_EQ(whole.status, 0) << args[0] << whole.err;
    const std::string result = Result();
    RemoveResult();
    const int count = std::stoi(ReadAll(dir.Path("count")));
    ASSERT_GT(count, 10);
    for (int n = 1; n <= count; ++n) {
      SCOPED_TRACE(args[args.size() > 5 ? 2 : 0] + " with allocation " + std::to_string(n) + " failing");
      const DumpResult r = Faulty(args, "ZU_FAIL_ALLOCATION=" + std::to_string(n));
      if (r.status == 0) {
        EXPECT_EQ(r.out, whole.out);
        EXPECT_EQ(Result(), result);
      } else {
        EXPECT_EQ(r.status, 1) << "signal " << r.signal << ": " << r.err;
        EXPECT_TRUE(r.err.ends_with("メモリが足りません\n")) << r.err;
        EXPECT_EQ(Result(), "");
      }
      EXPECT_EQ(Leftovers(), std::set<std::string>{});
      RemoveResult();
    }
  }
}

#if !defined(_WIN32)
// Where stdout and stderr are one (a terminal, 2>&1), what the command wrote
// before it ran out of memory comes first and the message last.
TEST_F(DumpFaultsTest, TheOutOfMemoryMessageComesAfterWhatWasWritten) {
  const std::string merged = dir.Path("merged");
  const std::string command = "exec env ZU_FAIL_ALLOCATION=%d " + ShellQuote(ZU_FAULTY_DUMP_TOOL) +
                              " messages " + ShellQuote(wide) + " >" + ShellQuote(merged) + " 2>&1";
  const DumpResult whole = Faulty({"messages", wide}, "ZU_ALLOCATIONS_TO=" + dir.Path("count"));
  const int count = std::stoi(ReadAll(dir.Path("count")));
  char line[1024];
  std::snprintf(line, sizeof line, command.c_str(), count - 2);
  DumpResult r;
  RunCommand(line, r);
  const std::string text = ReadAll(merged);
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(text.starts_with(whole.out.substr(0, 100))) << text.substr(0, 200);
  EXPECT_TRUE(text.ends_with("\nメモリが足りません\n")) << text.substr(text.size() > 200 ? text.size() - 200 : 0);
}
#endif

#if !defined(_WIN32)  // stop signals are POSIX; Windows stops a console program by its own events
// The test tool raises the signal just before the Nth write, sync or close
// of the export's output. SIGKILL may leave a hidden entry, never anything
// under the name; the other signals leave nothing but the finished result.
TEST_F(DumpFaultsTest, AnExportStoppedAnywhereLeavesItsResultWholeOrAbsent) {
  struct Stop {
    const char* format;
    const char* at;
    int signal;
    bool whole;
  };
  const Stop stops[] = {
      {"mbox", "write:1", SIGKILL, false}, {"mbox", "write:1", SIGTERM, false},
      {"mbox", "sync:1", SIGINT, false},    // the file synced, not yet named
      {"mbox", "sync:1", SIGKILL, false},
      {"mbox", "close:1", SIGHUP, true},    // named, being closed
      {"mbox", "sync:2", SIGKILL, true},    // named; its folder being synced
      {"html", "write:1", SIGKILL, false}, {"html", "write:2", SIGTERM, false},
      {"html", "close:3", SIGHUP, false},   {"html", "syncfs:1", SIGINT, false},
      {"html", "sync:1", SIGKILL, false},   // the hidden folder synced, not yet named
      {"html", "sync:2", SIGTERM, true},    // named; its folder being synced
  };
  std::string whole[2];
  for (int k = 0; k < 2; ++k) {
    ASSERT_EQ(RunDump(dir, {"export", "--format", k == 0 ? "mbox" : "html", "--output", out, log}).status, 0);
    whole[k] = Result();
    RemoveResult();
  }
  for (const Stop& s : stops) {
    SCOPED_TRACE(std::string(s.format) + " stopped at " + s.at + " by signal " + std::to_string(s.signal));
    const DumpResult r = Faulty({"export", "--format", s.format, "--output", out, log},
                                std::string("ZU_STOP_AT=") + s.at + ":" + std::to_string(s.signal));
    EXPECT_EQ(r.signal, s.signal) << r.status << r.err;
    EXPECT_EQ(Result(), s.whole ? whole[s.format[0] == 'h'] : "");
    const std::set<std::string> left = Leftovers();
    if (s.signal != SIGKILL || s.whole) {
      EXPECT_EQ(left, std::set<std::string>{});
    }
    for (const std::string& name : left) EXPECT_TRUE(name.starts_with(".out.zu-")) << name;
    if (!s.whole && s.signal != SIGKILL) {
      EXPECT_EQ(r.err, "zu_kirdo_dump: stopped by a signal; what was written has been removed\n");
    }
    RemoveResult();
  }
}

#endif

}  // namespace
}  // namespace zu::testing
