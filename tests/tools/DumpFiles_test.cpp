#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "tools/DumpProcess.h"

namespace zu::testing {
namespace {

#if defined(_WIN32)
constexpr bool kReadsArchives = false;  // no libarchive for mingw-w64
#else
constexpr bool kReadsArchives = true;
#endif

// Each record's name, messages and why it is left out: the fields that do
// not hang on the zip program's choice of method.
std::vector<std::string> NamesMessagesAndWhy(const DumpResult& r) {
  std::vector<std::string> kept;
  for (const std::string& record : r.OutLines()) {
    std::vector<std::string> fields;
    for (size_t at = 0, tab; at <= record.size(); at = tab + 1) {
      tab = record.find('\t', at);
      if (tab == std::string::npos) tab = record.size();
      fields.push_back(record.substr(at, tab - at));
    }
    kept.push_back(fields.size() == 8 ? fields[0] + " " + fields[5] + " " + fields[6] + " " + fields[7]
                                      : "bad record: " + record);
  }
  return kept;
}

// The messages are counted in every file and member that holds them, and
// one that holds none says why, whether in an archive or not.
TEST(DumpFilesTest, MessagesOrWhyNoneForEachFileAndMember) {
  if (!kReadsArchives) GTEST_SKIP() << "this build reads no archive";
  TempDir dir;
  const std::string log = dir.Write("one.log", LogOf({M(1), M(2, 1)}));
  const std::string bytes = std::to_string(ReadAll(log).size());  // in CP932 as they are
  dir.Write("readme.txt", "no log here\r\n");
  const std::string zip = "cd '" + dir.path().string() + "' && zip -q a.zip one.log readme.txt";
  ASSERT_EQ(std::system(zip.c_str()), 0);
  const std::string a = dir.Path("a.zip");
  const DumpResult r = RunDump(dir, {"--raw", "files", a, dir.Path("one.log"), dir.Path("readme.txt"),
                                     dir.Path("gone.log")});
  EXPECT_EQ(r.status, 0);
  const std::vector<std::string> expected = {
      a + "!/one.log " + bytes + " 2 ",
      a + "!/readme.txt 13 0 no message",
      log + " " + bytes + " 2 ",
      dir.Path("readme.txt") + " 13 0 no message",
      dir.Path("gone.log") + " -1 0 cannot be opened",  // never read
  };
  EXPECT_EQ(NamesMessagesAndWhy(r), expected);
}

// A compressed file whose folder's name ends in the member mark is one
// file, not a member, and is read for its messages.
TEST(DumpFilesTest, ACompressedFileInAFolderNamedLikeAnArchiveIsRead) {
  if (!kReadsArchives) GTEST_SKIP() << "this build reads no archive";
  TempDir dir;
  const std::string log = dir.Write("one.log", LogOf({M(1), M(2, 1)}));
  const std::string gz = "cd '" + dir.path().string() + "' && mkdir 'x!' && gzip -c one.log > 'x!/one.gz'";
  ASSERT_EQ(std::system(gz.c_str()), 0);
  const DumpResult r = RunDump(dir, {"--raw", "files", dir.Path("x!/one.gz")});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(NamesMessagesAndWhy(r),
            std::vector<std::string>{dir.Path("x!/one.gz") + " " + std::to_string(ReadAll(log).size()) + " 2 "});
}

// Without --raw the same is said in words, and a CP932 name is shown in
// UTF-8.
TEST(DumpFilesTest, InWordsForPeople) {
#if defined(_WIN32)
  const std::string name = "a.log", shown = name;  // the test's narrow names are not CP932 there
#else
  const std::string name = "\x93\xfa\x96\x7b.log", shown = "日本.log";
#endif
  TempDir dir;
  const std::string log = LogOf({M(1), M(2, 1)});
  dir.Write(name, log);
  const std::string size = std::to_string(log.size());
  const DumpResult r = RunDump(dir, {"files", dir.Path(name), dir.Path("gone.log")});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, dir.Path(shown) + "\n  CP932, CRLF line ends, " + size + " bytes (" + size +
                       " in CP932), 2 messages\n" + dir.Path("gone.log") + "\n  left out: cannot be opened\n");
  EXPECT_EQ(RunDump(dir, {"files", dir.Path("gone.log")}).status, 1);  // no file holds a message
}

}  // namespace
}  // namespace zu::testing
