// zu_kirdo_dump export as a program: what it refuses to replace, and what it
// leaves behind when writing fails (nothing). The formats themselves are
// read back by the Python tests test_export_mbox.py and test_export_html.py.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "tools/DumpProcess.h"

namespace zu::testing {
namespace {

namespace fs = std::filesystem;

class DumpExportTest : public ::testing::Test {
 protected:
  DumpExportTest() {
    std::vector<Msg> messages;
    for (int i = 1; i <= 200; ++i) messages.push_back(M(i, i > 1 ? i - 1 : -1, std::string(60, 'x') + "\r\n"));
    log = dir.Write("a.log", LogOf(messages));
  }

  DumpResult Export(const std::string& format, const std::string& output) {
    return RunDump(dir, {"export", "--format", format, "--output", output, log});
  }

#if !defined(_WIN32)  // a file size limit is a POSIX shell's
  // The export run with a file size limit of `kilobytes`, as on a full disk.
  // Its messages come through a pipe, which the limit does not hold back.
  DumpResult ExportLimited(const std::string& format, const std::string& output, int kilobytes,
                           const std::string& from = {}) {
    const std::string command = "ulimit -f " + std::to_string(kilobytes * 2) + "; exec " +
                                ShellQuote(ZU_DUMP_TOOL) + " export --format " + format +
                                " --output " + ShellQuote(output) + " " + ShellQuote(from.empty() ? log : from) +
                                " 2>&1";
    DumpResult r;
    FILE* pipe = popen(("sh -c " + ShellQuote(command)).c_str(), "r");
    for (int c; (c = std::fgetc(pipe)) != EOF;) r.err += static_cast<char>(c);
    const int raw = pclose(pipe);
    r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    return r;
  }

#endif

  std::vector<std::string> Entries(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(folder)) names.push_back(e.path().filename().string());
    return names;
  }

  TempDir dir;
  std::string log;
};

TEST_F(DumpExportTest, NeverReplacesAFileOrFillsAFolderThatHoldsSomething) {
  const std::string mbox = dir.Write("old.mbox", "keep me");
  DumpResult r = Export("mbox", mbox);
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "zu_kirdo_dump: " + mbox + " exists already; export writes a new file only\n");
  EXPECT_EQ(ReadAll(mbox), "keep me");

  fs::create_directory(dir.Path("site"));
  dir.Write("site/notes.txt", "mine");
  r = Export("html", dir.Path("site"));
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("is a folder that is not empty"), std::string::npos) << r.err;
  EXPECT_EQ(Entries(dir.Path("site")), std::vector<std::string>{"notes.txt"});

  EXPECT_EQ(Export("html", mbox).status, 1);  // a file where the folder should be
  EXPECT_EQ(Export("mbox", dir.Path("site")).status, 1);
  EXPECT_EQ(ReadAll(mbox), "keep me");

#if !defined(_WIN32)  // wine makes no symbolic link
  fs::create_directory(dir.Path("empty"));  // a link is not followed, not even to an empty folder
  fs::create_directory_symlink(dir.Path("empty"), dir.Path("link"));
  r = Export("html", dir.Path("link"));
  EXPECT_EQ(r.err, "zu_kirdo_dump: " + dir.Path("link") + " is a symbolic link; export does not write through one\n");
  EXPECT_TRUE(fs::is_empty(dir.Path("empty")));
#endif
}

TEST_F(DumpExportTest, WritesIntoANewOrEmptyFolder) {
  fs::create_directory(dir.Path("empty"));
  EXPECT_EQ(Export("html", dir.Path("empty")).status, 0);
  EXPECT_TRUE(fs::exists(dir.Path("empty/index.html")));
  const DumpResult r = Export("html", dir.Path("new"));
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(Entries(dir.Path("new")).size(), 2u);  // index and the one thread
}

#if !defined(_WIN32)  // a file size limit is a POSIX shell's
TEST_F(DumpExportTest, AWriteErrorRemovesWhatWasWritten) {
  const std::string mbox = dir.Path("out.mbox");
  DumpResult r = ExportLimited("mbox", mbox, 4);
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("cannot write " + mbox + ": File too large"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("what was written has been removed"), std::string::npos) << r.err;
  EXPECT_FALSE(fs::exists(mbox));

  r = ExportLimited("html", dir.Path("site"), 4);
  EXPECT_EQ(r.status, 1);
  EXPECT_FALSE(fs::exists(dir.Path("site")));

  fs::create_directory(dir.Path("empty"));  // a folder that was there stays, empty again
  EXPECT_EQ(ExportLimited("html", dir.Path("empty"), 4).status, 1);
  EXPECT_TRUE(fs::is_directory(dir.Path("empty")));
  EXPECT_TRUE(Entries(dir.Path("empty")).empty());

  // Two hundred threads of one message: every thread's page fits, the
  // index that lists them all does not.
  std::vector<Msg> threads;
  for (int i = 1; i <= 200; ++i) threads.push_back(M(i));
  r = ExportLimited("html", dir.Path("site"), 4, dir.Write("threads.log", LogOf(threads)));
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("index.html"), std::string::npos) << r.err;
  EXPECT_FALSE(fs::exists(dir.Path("site")));

  r = ExportLimited("mbox", mbox, 0);  // not a byte could be written: none is said to be removed
  EXPECT_EQ(r.err, "zu_kirdo_dump: cannot write " + mbox + ": File too large\n");
  EXPECT_EQ(ExportLimited("mbox", mbox, 1000).status, 0);  // the same export with room enough
}

#endif

TEST_F(DumpExportTest, OutputThatCannotBeMadeOrNothingLoadedWritesNothing) {
  const std::string file = dir.Write("file", "");
  DumpResult r = Export("mbox", file + "/out.mbox");
  EXPECT_EQ(r.status, 1);
#if defined(_WIN32)
  const char* const why = "No such file or directory";
#else
  const char* const why = "Not a directory";
#endif
  EXPECT_NE(r.err.find("cannot create " + file + "/out.mbox: " + why), std::string::npos) << r.err;
  EXPECT_EQ(Export("html", dir.Path("no/such/site")).status, 1);

  r = RunDump(dir, {"export", "--format", "mbox", "--output", dir.Path("out.mbox"), dir.Path("missing.log")});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.ErrLines(), (std::vector<std::string>{dir.Path("missing.log") + "を開けませんでした",
                                                    "zu_kirdo_dump: no FILE could be loaded; nothing was written"}));
  EXPECT_FALSE(fs::exists(dir.Path("out.mbox")));
}

TEST_F(DumpExportTest, UsageErrors) {
  const std::string out = dir.Path("out");
  for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
           {"export", "--output", out, log},
           {"export", "--format", "pdf", "--output", out, log},
           {"export", "--format", "mbox", log},
           {"export", "--format", "mbox", "--output", out},
           {"--raw", "export", "--format", "mbox", "--output", out, log}}) {
    const DumpResult r = RunDump(dir, args);
    EXPECT_EQ(r.status, 2) << args.back();
    // What is wrong, in a line of its own, then the command's usage.
    EXPECT_TRUE(r.err.starts_with("zu_kirdo_dump: ") && r.err.find("\nusage: zu_kirdo_dump export") != std::string::npos) << r.err;
  }
  EXPECT_FALSE(fs::exists(out));
}

}  // namespace
}  // namespace zu::testing
