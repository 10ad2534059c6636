// The export's output under a file system that fails on demand, in each of
// its ways (unnamed or hidden file; one sync of the file system or one per
// page): what a fault leaves under the output's name (the whole result or
// nothing), and what an entry put at the name while the export ran keeps.
#include <gtest/gtest.h>

#if !defined(_WIN32)
#include <sys/resource.h>
#include <unistd.h>
#endif

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <iterator>
#include <functional>
#include <set>
#include <string>

#include "export/ExportOutput.h"
#include "export/WriteSystem.h"
#include "support/LogFiles.h"
#include "tools/DumpProcess.h"

namespace zu::dump {
namespace {

namespace fs = std::filesystem;
using zu::testing::ReadAll;
using zu::testing::TempDir;

// Fails the `nth` call named `call` (and, with `every`, each later one)
// with `error`; `before` runs just before that call instead, when set. Syncs
// that do not fail do nothing: durability is not what these tests look at,
// and a real sync of a busy disk takes long.
class FaultyWrites : public WriteSystem {
 public:
  std::string call;
  int nth = 1;
  bool every = false;
  int error = 0;  // 0 for a write: it takes nothing; -1: it takes at most 1000 bytes
  std::function<void()> before;

  ssize_t Write(int fd, const char* bytes, size_t count) override {
    if (!Meets("write")) return WriteSystem::Write(fd, bytes, count);
    if (error == -1) return WriteSystem::Write(fd, bytes, std::min<size_t>(count, 1000));
    return error == 0 ? 0 : Failed();
  }
  int Sync(int) override { return Meets("sync") ? Failed() : 0; }
  int SyncFileSystem(int) override { return Meets("syncfs") ? Failed() : 0; }
  int OpenFolder(const char* path) override { return Meets("open folder") ? Failed() : WriteSystem::OpenFolder(path); }
  int OpenUnnamed(const char* path) override {
    return Meets("open unnamed") ? Failed() : WriteSystem::OpenUnnamed(path);
  }
  int Close(int fd) override {
    const bool fails = Meets("close");
    const int closed = WriteSystem::Close(fd);  // the descriptor is gone either way
    return fails ? Failed() : closed;
  }

 private:
  bool Meets(const std::string& name) {
    if (name != call) return false;
    ++seen_;
    if (seen_ == nth && before) before();
    return !before && (seen_ == nth || (every && seen_ > nth));
  }
  int Failed() const {
    errno = error;
    return -1;
  }
  int seen_ = 0;
};

struct Way {
  const char* name;
  bool folder;
  OutputWays ways;
};
const Way kWays[] = {
#if !defined(_WIN32)  // Windows has neither an unnamed file nor a sync of a file system
    {"unnamed file", false, {true, true}},
#endif
    {"hidden file", false, {false, false}},
#if !defined(_WIN32)
    {"folder, one sync", true, {true, true}},
#endif
    {"folder, a sync a page", true, {false, false}},
};

// Large enough that a file is written in two calls, one page in one.
const std::string kPage(600000, 'p');

class ExportOutputTest : public ::testing::Test {
 protected:
  void TearDown() override { UseWriteSystem(nullptr); }

  // Writes two pages (a folder) or the same bytes in pieces (a file) to
  // `out` in the given way; gives whether it committed, and its error.
  bool Export(const Way& way, std::string& error) {
    const std::string out = dir.Path("out");
    if (!way.folder) {
      OutputFile file(way.ways);
      const bool done = file.Create(out) && file.Write(kPage.substr(0, 1000)) && file.Write(kPage.substr(1000)) &&
                        file.Write(kPage) && file.Commit();
      error = file.error();
      return done;
    }
    OutputFolder folder(way.ways);
    bool done = folder.Create(out);
    for (const char* name : {"a.html", "b.html"}) {
      const auto page = done ? folder.NewFile(name) : nullptr;
      done = page && page->Write(kPage) && page->Close();
      if (page && !done) error = page->error();
    }
    done = done && folder.Commit();
    if (error.empty()) error = folder.error();
    return done;
  }

  std::set<std::string> Entries() const {
    std::set<std::string> names;
    for (const auto& e : fs::directory_iterator(dir.path())) names.insert(e.path().filename().string());
    return names;
  }

  bool Whole(const Way& way) const {
    if (!way.folder) return ReadAll(dir.Path("out")) == kPage + kPage;
    return ReadAll(dir.Path("out/a.html")) == kPage && ReadAll(dir.Path("out/b.html")) == kPage;
  }

  TempDir dir;
  FaultyWrites faults;
};

TEST_F(ExportOutputTest, AFaultLeavesTheWholeResultOrNothing) {
  struct Fault {
    const char* call;
    int nth;
    bool every;
    int error;
    const char* expected;  // in the error; null: the export succeeds
  };
  const Fault rows[] = {
      {"write", 1, true, -1, nullptr},  // short writes throughout
      {"write", 1, false, EINTR, nullptr},  // a signal came: the write is tried again
      {"write", 2, false, EINTR, nullptr},
      {"write", 1, false, EIO, "cannot write"},
      {"write", 2, false, ENOSPC, "No space left on device"},
      {"write", 1, false, 0, "No space left on device"},  // a write that takes nothing
      {"sync", 1, false, EIO, "Input/output error"},
      {"syncfs", 1, false, EIO, "Input/output error"},  // only the folder of one sync meets it
      {"close", 1, false, EIO, "Input/output error"},
      {"close", 1, false, ENOSPC, "No space left on device"},  // a delayed allocation
#if defined(EDQUOT)
      {"close", 2, false, EDQUOT, "quota exceeded"},
#endif
#if !defined(_WIN32)
      {"open folder", 1, false, EACCES, "Permission denied"},  // its names cannot be made durable
      {"open unnamed", 1, false, EOPNOTSUPP, nullptr},  // a file system without unnamed files: a hidden name
      {"open unnamed", 1, false, EISDIR, nullptr},  // a kernel older than unnamed files
      {"open unnamed", 1, false, EINVAL, nullptr},
      {"open unnamed", 1, false, EACCES, "Permission denied"},
#endif
  };
  for (const Way& way : kWays) {
    for (const Fault& f : rows) {
      SCOPED_TRACE(std::string(way.name) + ": " + f.call + " " + std::to_string(f.nth) + " " +
                   std::strerror(f.error));
      faults = FaultyWrites{};
      faults.call = f.call;
      faults.nth = f.nth;
      faults.every = f.every;
      faults.error = f.error;
      UseWriteSystem(&faults);
      std::string error;
      const bool done = Export(way, error);
      UseWriteSystem(nullptr);
      const bool unused = (std::string(f.call) == "syncfs" && !(way.folder && way.ways.syncFileSystem)) ||
                          (std::string(f.call) == "open unnamed" && (way.folder || !way.ways.unnamedFile));
      if (f.expected == nullptr || unused) {
        EXPECT_TRUE(done) << error;
        EXPECT_TRUE(Whole(way));
      } else {
        EXPECT_FALSE(done);
        EXPECT_NE(error.find(f.expected), std::string::npos) << error;
        EXPECT_NE(error.find(dir.Path("out")), std::string::npos) << error;
      }
      EXPECT_EQ(Entries(), (done ? std::set<std::string>{"out"} : std::set<std::string>{}));
      fs::remove_all(dir.Path("out"));
    }
  }
}

// A page never overwrites one made before it under the same name: a page
// of the export holds what was written to it alone.
TEST_F(ExportOutputTest, APageIsMadeNewOrNotAtAll) {
  OutputFolder folder;
  ASSERT_TRUE(folder.Create(dir.Path("out")));
  const auto first = folder.NewFile("a.html");
  ASSERT_TRUE(first && first->Write("first") && first->Close());
  EXPECT_EQ(folder.NewFile("a.html"), nullptr);
  EXPECT_NE(folder.error().find("cannot create"), std::string::npos) << folder.error();
  EXPECT_FALSE(folder.Commit());
}

// A folder named with trailing slashes is made under its own name.
TEST_F(ExportOutputTest, TrailingSlashesNameTheSameFolder) {
  for (const std::string slashes : {"/", "//"}) {
    const std::string name = "out" + std::to_string(slashes.size());
    OutputFolder folder;
    ASSERT_TRUE(folder.Create(dir.Path(name) + slashes) && folder.Commit()) << folder.error();
    EXPECT_TRUE(std::filesystem::is_directory(dir.Path(name))) << slashes;
  }
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 2);  // nothing beside them
}

// An export committed is done: committing it again does nothing and says nothing.
TEST_F(ExportOutputTest, ACommittedFolderIsNotCommittedAgain) {
  OutputFolder folder;
  ASSERT_TRUE(folder.Create(dir.Path("out")) && folder.Commit());
  EXPECT_FALSE(folder.Commit());
  EXPECT_EQ(folder.error(), "");
}

// Between the check before loading and the naming, anything may appear at
// the name. The export then fails and leaves it as it is, except that a
// folder export takes the place of an empty folder, as when it was there.
TEST_F(ExportOutputTest, AnEntryPutAtTheNameMeanwhileIsNeverReplaced) {
  using Check = std::function<void(const TempDir&)>;
  struct Intruder {
    const char* kind;
    Check make;
    Check kept;  // it is as it was made
    const char* folderError;  // null: the folder export replaces it
  };
  const auto file = [](const TempDir& d) { d.Write("out", "mine"); };
  const auto fileKept = [](const TempDir& d) { EXPECT_EQ(ReadAll(d.Path("out")), "mine"); };
  const auto full = [](const TempDir& d) {
    fs::create_directory(d.Path("out"));
    d.Write("out/a.html", "mine");
  };
  const auto fullKept = [](const TempDir& d) {
    EXPECT_EQ(ReadAll(d.Path("out/a.html")), "mine");
    EXPECT_FALSE(fs::exists(d.Path("out/b.html")));
  };
  [[maybe_unused]] const auto link = [](const TempDir& d) {
    fs::create_directory(d.Path("empty"));
    fs::create_directory_symlink(d.Path("empty"), d.Path("out"));
  };
  [[maybe_unused]] const auto linkKept = [](const TempDir& d) {
    EXPECT_TRUE(fs::is_symlink(d.Path("out")));
    EXPECT_TRUE(fs::is_empty(d.Path("empty")));
  };
  const auto empty = [](const TempDir& d) { fs::create_directory(d.Path("out")); };
  const auto emptyKept = [](const TempDir& d) { EXPECT_TRUE(fs::is_empty(d.Path("out"))); };
  const Intruder rows[] = {
      {"file", file, fileKept, "exists already and is not a folder"},
      {"folder with a file", full, fullKept, "is a folder that is not empty"},
#if !defined(_WIN32)  // wine makes no symbolic link
      {"symbolic link to an empty folder", link, linkKept, "exists already and is not a folder"},
#endif
      {"empty folder", empty, emptyKept, nullptr},
  };
  for (const Way& way : kWays) {
    for (const Intruder& row : rows) {
      SCOPED_TRACE(std::string(way.name) + " meets a " + row.kind);
      faults = FaultyWrites{};
      faults.call = "write";
      faults.before = [&] { row.make(dir); };
      UseWriteSystem(&faults);
      std::string error;
      const bool done = Export(way, error);
      UseWriteSystem(nullptr);
      const char* refusal = way.folder ? row.folderError : "exists already; export writes a new file only";
      EXPECT_EQ(done, refusal == nullptr) << error;
      if (done) EXPECT_TRUE(Whole(way));
      else {
        EXPECT_NE(error.find(refusal), std::string::npos) << error;
        row.kept(dir);
      }
      fs::remove_all(dir.Path("out"));
      fs::remove_all(dir.Path("empty"));
      EXPECT_EQ(Entries(), std::set<std::string>{});  // nothing hidden was left
    }
  }
}

#if !defined(_WIN32)
// With every descriptor taken, each way fails at its first open, whether of
// a file or of the folder just made, says why, and leaves nothing behind.
TEST_F(ExportOutputTest, NoDescriptorToSpareFailsAtTheStartAndLeavesNothing) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "the sanitizers' checks open files of their own";
#endif
  rlimit limit{};
  ASSERT_EQ(getrlimit(RLIMIT_NOFILE, &limit), 0);
  const int lowestFree = dup(0);
  ASSERT_NE(lowestFree, -1);
  close(lowestFree);
  for (const Way& way : kWays) {
    SCOPED_TRACE(way.name);
    rlimit none = limit;
    none.rlim_cur = static_cast<rlim_t>(lowestFree);
    ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &none), 0);
    std::string error;
    const bool done = Export(way, error);
    ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &limit), 0);
    EXPECT_FALSE(done);
    EXPECT_NE(error.find(std::strerror(EMFILE)), std::string::npos) << error;
    EXPECT_EQ(Entries(), std::set<std::string>{});
  }
}
#endif

}  // namespace
}  // namespace zu::dump
