// Archives as the Open command loads them through LogSource: each member
// that is a log takes a row under its shown name; damaged, encrypted,
// linked or badly named members and archive bombs warn for themselves while
// the rest of the set loads; a member whose archive was deleted or changed
// since loading fails as a changed file does. The archives are made at test
// time by the ordinary tools and make_lzh.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <algorithm>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "core/FakeLogSetUi.h"
#include "core/MessageView.h"
#include "source/Containers.h"
#include "source/LogSource.h"
#include "support/LogFiles.h"

namespace zu {
namespace {

using testing::FakeLogSetUi;
using testing::LogOf;
using testing::M;
using testing::TempDir;

const std::string kLogName = "\x83\x8d\x83\x4f.log";  // ログ.log, as CP932 bytes

#if defined(_WIN32)
constexpr bool kReadsArchives = false;  // no libarchive for mingw-w64
#else
constexpr bool kReadsArchives = true;
#endif

class ArchiveSetTest : public ::testing::Test {
 protected:
  ArchiveSetTest() {
    reader.AllocateBuffer();
    reader.UseSource(source);
    dir.Write("one.log", LogOf({M(1), M(2, 1)}));
    dir.Write("two.log", LogOf({M(10)}));
    dir.Write("readme.txt", "no log here\r\n");
  }

  // Runs `command` in the folder; the test fails when it fails.
  void Sh(const std::string& command) const {
    const std::string line = "cd '" + dir.path().string() + "' && (" + command + ") >/dev/null 2>&1";
    ASSERT_EQ(std::system(line.c_str()), 0) << command;
  }
  std::string Path(const std::string& name) const { return dir.Path(name); }

  // Loads `paths`; gives each row's name and the warnings, one per line.
  std::string Load(const std::vector<std::string>& paths) {
    ui.warnings.clear();
    set.OpenFiles(paths);
    std::string out;
    for (int32_t f = 0; f <= set.LastFile(); ++f) out += "row " + std::string(set[f][0].FileName) + "\n";
    for (const auto& [m, path] : ui.warnings) out += "warn " + path + (m == Message::TooManyFiles ? "limit" : "") + "\n";
    return out;
  }

  bool View(int32_t row) {
    MessageView view;
    return ReadMessageView(set, set[row][0].Node, view);
  }

  TempDir dir;
  FileSource files;
  LogSource source{files};
  zuLogFile reader;
  FakeLogSetUi ui;
  LogSet set{reader, ui};
};

TEST_F(ArchiveSetTest, MembersLoadOrWarnAsChosenOneByOne) {
  if (!kReadsArchives) GTEST_SKIP() << "this build reads no archive";
  const std::string lzh = ZU_MAKE_LZH;
  struct Case {
    const char* what;
    std::string make;  // writes a.arc in the folder
    std::vector<std::string> rows;
    std::vector<std::string> warnings;  // after the rows
  };
  const std::string a = Path("a.arc");
  const Case cases[] = {
      {"LZH with a CP932 name, a readme and a folder passed over",
       lzh + " -lh5- 1 a.arc one.log '" + kLogName + "' readme.txt readme.txt two.log 'dir/two.log'",
       {a + "!/" + kLogName, a + "!/dir/two.log"}, {}},
      {"ZIP of logs", "zip -q a.arc one.log readme.txt two.log", {a + "!/one.log", a + "!/two.log"}, {}},
      {"ZIP with a UTF-8 name", "cp one.log café.log && zip -q a.arc café.log", {a + "!/café.log"}, {}},  // not Latin-1
      {"ZIP flagged UTF-8, its name not", "python3 -c \"import zipfile; z = zipfile.ZipFile('a.arc', 'w'); "
       "z.writestr('caf\\u00e9.log', open('one.log', 'rb').read()); z.close(); b = open('a.arc', 'rb').read(); "
       "open('a.arc', 'wb').write(b.replace(b'caf\\xc3', b'caf\\xff'))\"",
       {}, {a + "!/"}},  // no name in any form
      {"encrypted ZIP member", "zip -q a.arc one.log && zip -q -P secret a.arc two.log", {a + "!/one.log"},
       {a + "!/two.log"}},
      {"symbolic link in a tar", "ln -s one.log link.log && bsdtar -cf a.arc one.log link.log", {a + "!/one.log"},
       {a + "!/link.log"}},
      {"name with ..", lzh + " -lh0- 2 a.arc one.log ../one.log two.log two.log", {a + "!/two.log"},
       {a + "!/../one.log"}},
      {"no log in it", "zip -q a.arc readme.txt", {}, {a}},
      // A NUL written into a stored name, the header's checksum kept right.
      {"LZH name with NUL", lzh + " -lh5- 1 a.arc one.log ab.log two.log two.log && python3 -c \"" +
           "b = bytearray(open('a.arc', 'rb').read()); i = b.index(b'ab.log'); b[i + 1] = 0; "
           "b[1] = (b[1] - 0x62) & 255; open('a.arc', 'wb').write(b)\"",
       {a + "!/two.log"}, {a + "!/a"}},
      {"LZH of header level 2, name with NUL", lzh + " -lh5- 2 a.arc one.log a%00b.log two.log two.log",
       {a + "!/two.log"}, {a + "!/a"}},
      {"LZH cut short", lzh + " -lh5- 2 full.lzh one.log one.log two.log two.log && head -c -40 full.lzh > a.arc",
       {a + "!/one.log"}, {a + "!/two.log"}},
      {"gzip bomb: far more than a log", "head -c 20000000 /dev/zero | gzip > a.arc", {}, {a}},
      {"gzip stream of a tar holding a bomb before a log",
       "head -c 80000000 /dev/zero > big.log && bsdtar -czf a.arc big.log one.log", {}, {a + "!/big.log", a}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::filesystem::remove(a);
    Sh(c.make);
    // The plain file chosen after the archive still loads.
    std::string expected;
    for (const std::string& row : c.rows) expected += "row " + row + "\n";
    expected += "row " + Path("two.log") + "\n";
    for (const std::string& warning : c.warnings) expected += "warn " + warning + "\n";
    EXPECT_EQ(Load({a, Path("two.log")}), expected);
  }
}

// A level-2 name's extended header is found even where it ends the file:
// an archive cut right after its last header, its end mark lost.
TEST_F(ArchiveSetTest, ANameWithNulIsSeenInAHeaderThatEndsTheFile) {
  if (!kReadsArchives) GTEST_SKIP() << "this build reads no archive";
  Sh(": > empty && " + std::string(ZU_MAKE_LZH) + " -lh0- 2 full.lzh empty a%00b.log && head -c -1 full.lzh > a.lzh");
  const std::vector<LogSource::Finding> found = source.Describe(Path("a.lzh"));
  ASSERT_EQ(found.size(), 1u);
  EXPECT_EQ(found[0].leftOut, "a name with NUL");
}

TEST_F(ArchiveSetTest, TheTenFileRuleCountsMembersThatAreLogs) {
  if (!kReadsArchives) GTEST_SKIP() << "this build reads no archive";
  std::string args;
  for (int k = 0; k < 12; ++k) args += " one.log m" + std::to_string(k) + ".log readme.txt r" + std::to_string(k);
  Sh(std::string(ZU_MAKE_LZH) + " -lh5- 2 a.lzh" + args);
  const std::string loaded = Load({Path("a.lzh")});
  EXPECT_EQ(set.LastFile(), 9);
  EXPECT_NE(loaded.find("row " + Path("a.lzh") + "!/m9.log\nwarn limit\nwarn limit\n"), std::string::npos) << loaded;
}

// A member may be named by itself, as it is shown, without its archive
// being chosen first.
TEST_F(ArchiveSetTest, AMemberNamedAsShownLoadsByItself) {
  if (!kReadsArchives) GTEST_SKIP() << "this build reads no archive";
  Sh(std::string(ZU_MAKE_LZH) + " -lh5- 1 a.lzh one.log one.log two.log two.log && zip -q a.zip two.log");
  struct Case { std::string name; bool loads; };
  const Case cases[] = {
      {Path("a.lzh") + "!/two.log", true},
      {Path("a.zip") + "!/two.log", true},
      {Path("a.zip") + "!/one.log", false},  // not in it
      {Path("gone.zip") + "!/two.log", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Load({c.name}), c.loads ? "row " + c.name + "\n" : "warn " + c.name + "\n");
    if (c.loads) {
      EXPECT_TRUE(View(0));
    }
    int64_t size = 0;
    EXPECT_EQ(source.Open(c.name, size), c.loads);
    source.Close();
  }
  // Named again once its archive is known, it is still one file.
  Load({Path("a.lzh")});
  EXPECT_EQ(Load({Path("a.lzh") + "!/two.log"}), "row " + Path("a.lzh") + "!/two.log\n");
}

// A member counts as held only while its archive holds the bytes that were
// loaded: deleted or changed, it fails; copied back, it reads again.
TEST_F(ArchiveSetTest, MembersOfADeletedOrChangedArchiveFail) {
  if (!kReadsArchives) GTEST_SKIP() << "this build reads no archive";
  Sh("zip -q a.zip one.log && cp a.zip kept.zip && zip -q b.zip two.log");
  ASSERT_EQ(Load({Path("a.zip"), Path("b.zip")}), "row " + Path("a.zip") + "!/one.log\nrow " + Path("b.zip") + "!/two.log\n");
  ASSERT_TRUE(View(0));
  ASSERT_TRUE(View(1));
  std::filesystem::remove(Path("a.zip"));
  EXPECT_FALSE(View(0));
  Sh("cp kept.zip a.zip");
  EXPECT_TRUE(View(0));
  EXPECT_TRUE(View(1));
  dir.Write("one.log", LogOf({M(1), M(3, 1)}));
  Sh("rm a.zip && zip -q a.zip one.log");
  EXPECT_TRUE(View(1));
  EXPECT_FALSE(View(0));
  EXPECT_FALSE(View(0));
}

// The reader's limit holds for the CP932 bytes, whichever way a file is
// read: the first time (straight into the reader's buffer) or again later.
TEST_F(ArchiveSetTest, TheByteLimitHoldsForTheConvertedText) {
  const std::string pair = LogOf({M(1)});
  const std::string kana = "\xef\xbd\xb1";  // ｱ: three bytes in UTF-8, one in CP932
  struct Case {
    const char* what;
    std::string bytes;
    std::optional<TextEncoding> encoding;
    bool loads;
  };
  const Case cases[] = {
      {"CP932 of the buffer's size", pair + std::string(BufferSize - pair.size(), 'x'), {}, true},
      {"CP932 one byte over", pair + std::string(BufferSize - pair.size() + 1, 'x'), {}, false},
      {"UTF-8 over the buffer, its CP932 within", pair + [&] {
         std::string t;
         for (int k = 0; k < 600000; ++k) t += kana;
         return t;
       }(), TextEncoding::Utf8, true},
      {"UTF-8 whose bad bytes outgrow the bytes read, its CP932 within", pair + std::string(100000, '\xff') + [&] {
         std::string t;
         for (int k = 0; k < 300000; ++k) t += kana;
         return t;
       }(), TextEncoding::Utf8, true},
      {"UTF-8 within the buffer, its CP932 over (each bad byte a two-byte mark)",
       pair + std::string(800000, '\xff'), TextEncoding::Utf8, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    source.SetEncoding(c.encoding);
    const std::string path = dir.Write("limit.log", c.bytes);
    for (int open = 0; open < 2; ++open) {  // the first read, then one as known
      EXPECT_EQ(reader.Open(path), c.loads) << open;
      if (c.loads) {
        std::string cp932;
        AppendAsCp932(c.encoding.value_or(TextEncoding::Cp932), c.bytes, cp932);
        EXPECT_TRUE(reader.Data() == cp932) << open;
      }
    }
    std::filesystem::remove(path);
  }
  source.SetEncoding({});
}

// What `files` says of a text's line ends.
TEST(LineEndsTest, EachKindAloneOrMixed) {
  struct Case {
    std::string text;
    LineEnds ends;
  };
  for (const Case& c : {Case{"ab", LineEnds::None}, Case{"a\r\nb\r\n", LineEnds::CrLf}, Case{"a\nb\n", LineEnds::Lf},
                        Case{"a\rb\r", LineEnds::Cr}, Case{"\na\r\n", LineEnds::Mixed}, Case{"a\r\nb\r", LineEnds::Mixed}}) {
    EXPECT_EQ(LineEndsOf(c.text), c.ends) << ::testing::PrintToString(c.text);
  }
}

#if defined(__linux__)
// A loaded file is not held open, however it was read: it can be replaced
// or deleted while the set shows it.
TEST_F(ArchiveSetTest, NoFileIsHeldOpenAfterItIsRead) {
  const auto openFiles = [] {
    return std::distance(std::filesystem::directory_iterator("/proc/self/fd"), std::filesystem::directory_iterator());
  };
  const std::string plain = LogOf({M(1)});
  const std::string utf8 = plain + "\xe3\x81\x82\r\n";  // one character that is not ASCII
  const auto before = openFiles();
  for (const std::string& bytes : {plain, utf8}) {
    const std::string path = dir.Write("held.log", bytes);
    for (int open = 0; open < 2; ++open) {  // the first read, then one as known
      EXPECT_TRUE(reader.Open(path));
      EXPECT_EQ(openFiles(), before) << open;
    }
    std::filesystem::remove(path);
  }
  std::vector<SourceMember> members;
  EXPECT_FALSE(source.MembersOf(dir.Write("plain.log", plain), members));  // its first bytes looked at
  EXPECT_EQ(openFiles(), before);
}
#endif

// The file system beneath a source, counting the archives it opens; its
// reads fail with EIO past `failAfter` bytes of a file when that is set,
// its opens fail while `failOpens` is, and its stamps once `stampsLeft`
// have been given.
class CountingFiles : public ByteSource {
 public:
  bool Open(const std::string& path, int64_t& size) override {
    opened[path] += 1;
    at_ = 0;
    return !failOpens && files_.Open(path, size);
  }
  ReadResult Read(char* into, int64_t count) override {
    if (failAfter >= 0 && at_ >= failAfter) return {0, EIO};
    const ReadResult r = files_.Read(into, failAfter >= 0 ? std::min(count, failAfter - at_) : count);
    at_ += r.bytes;
    return r;
  }
  void Close() override { files_.Close(); }
  bool Stamp(const std::string& path, FileStamp& stamp) override {
    if (stampsLeft == 0) return false;
    if (stampsLeft > 0) --stampsLeft;
    return files_.Stamp(path, stamp);
  }

  std::map<std::string, int> opened;
  int64_t failAfter = -1;
  bool failOpens = false;
  int stampsLeft = -1;

 private:
  FileSource files_;
  int64_t at_ = 0;
};

// A member listed and then gone (its archive with it) is warned of by its
// own name, not passed over as a member that holds no message.
TEST_F(ArchiveSetTest, AListedMemberThatCannotBeOpenedIsWarnedOfByName) {
  if (!kReadsArchives) GTEST_SKIP() << "this build reads no archive";
  Sh(std::string(ZU_MAKE_LZH) + " -lh0- 1 a.lzh one.log one.log");
  CountingFiles counting;
  counting.stampsLeft = 1;  // the listing's
  LogSource counted(counting);
  zuLogFile countedReader;
  countedReader.AllocateBuffer();
  countedReader.UseSource(counted);
  LogSet countedSet{countedReader, ui};
  countedSet.OpenFiles({Path("a.lzh")});
  EXPECT_EQ(ui.warnings, (std::vector<std::pair<Message, std::string>>{{Message::CannotOpen, Path("a.lzh") + "!/one.log"}}));
}

// A chosen file with an archive's mark is read whole before it is known:
// an archive without a log opens as an empty file; one past the archive
// limit is told by its size alone, unread; and a read that fails part-way
// is left for the reader's first read, as a plain file's would be.
TEST_F(ArchiveSetTest, AFileWithAnArchivesMarkOpensAsFarAsItCan) {
  if (!kReadsArchives) GTEST_SKIP() << "this build reads no archive";
  Sh("zip -q readme.zip readme.txt && truncate -s 300M big.gz && printf '\\037\\213\\010' | dd of=big.gz conv=notrunc && "
     "head -c 2000 /dev/urandom > noise.bin && cat one.log noise.bin | gzip > one.gz");
  CountingFiles counting;
  LogSource counted(counting);
  int64_t size = -1;
  ASSERT_TRUE(counted.Open(Path("readme.zip"), size));
  EXPECT_EQ(size, 0);
  ASSERT_TRUE(counted.Open(Path("big.gz"), size));
  EXPECT_EQ(size, int64_t{300} << 20);
  EXPECT_EQ(counting.opened[Path("big.gz")], 2);  // its mark looked at, then its size taken
  counting.failAfter = ContainerMarkBytes + 1;  // past the look at its mark
  ASSERT_TRUE(counted.Open(Path("one.gz"), size));
  char byte;
  EXPECT_EQ(counted.Read(&byte, 1).error, EIO);
}

// An archive whose headers break off lists the members before the break,
// and says after them what is wrong with the rest.
TEST_F(ArchiveSetTest, ADamagedArchiveSaysSoAfterItsMembers) {
  if (!kReadsArchives) GTEST_SKIP() << "this build reads no archive";
  Sh(std::string(ZU_MAKE_LZH) + " -lh0- 1 full.lzh one.log one.log two.log two.log && python3 -c \"b = "
     "open('full.lzh', 'rb').read(); open('a.lzh', 'wb').write(b[:b.index(b'two.log') + 3])\"");
  const auto findings = source.Describe(Path("a.lzh"));
  ASSERT_EQ(findings.size(), 2u);
  EXPECT_EQ(findings[0].name, Path("a.lzh") + "!/one.log");
  EXPECT_EQ(findings[1].name, Path("a.lzh"));
  EXPECT_EQ(findings[1].leftOut.rfind("damaged: ", 0), 0u) << findings[1].leftOut;
}

// An archive's members are given afresh, whatever the list held before.
TEST_F(ArchiveSetTest, MembersAreListedAfresh) {
  if (!kReadsArchives) GTEST_SKIP() << "this build reads no archive";
  Sh(std::string(ZU_MAKE_LZH) + " -lh0- 1 a.lzh one.log one.log two.log two.log");
  std::vector<SourceMember> members(1);
  ASSERT_TRUE(source.MembersOf(Path("a.lzh"), members));
  EXPECT_EQ(members.size(), 2u);
}

// A member whose archive changed is read from the archive as it is now; a
// read of it that fails gives no member and no listing, not one from the
// bytes before the failure.
TEST_F(ArchiveSetTest, AChangedArchiveThatCannotBeReadGivesNoMember) {
  if (!kReadsArchives) GTEST_SKIP() << "this build reads no archive";
  const std::string lzh = std::string(ZU_MAKE_LZH) + " -lh0- 1 a.lzh one.log one.log";
  Sh(lzh);
  CountingFiles counting;
  LogSource counted(counting);
  const std::string member = Path("a.lzh") + "!/one.log";
  int64_t size = 0;
  ASSERT_TRUE(counted.Open(member, size));
  dir.Write("one.log", LogOf({M(5)}));
  Sh("head -c 100000 /dev/zero > big.bin && rm a.lzh && " + lzh + " big.bin big.bin");
  counting.failAfter = 50000;  // within big.bin, one.log whole before it
  EXPECT_FALSE(counted.Open(member, size));
  std::vector<SourceMember> members;
  EXPECT_FALSE(counted.MembersOf(Path("a.lzh"), members));  // nor is it listed
  counting.failAfter = -1;
  ASSERT_TRUE(counted.Open(member, size));
  EXPECT_EQ(size, static_cast<int64_t>(LogOf({M(5)}).size()));
}

// A member let go and read again from an archive whose read now fails
// before it is not opened; it opens once the archive reads whole again.
TEST_F(ArchiveSetTest, AMemberLetGoWhoseArchiveNoLongerReadsIsNotOpened) {
  if (!kReadsArchives) GTEST_SKIP() << "this build reads no archive";
  std::string args;
  for (int k = 0; k < 12; ++k) args += " one.log m" + std::to_string(k) + ".log";
  Sh(std::string(ZU_MAKE_LZH) + " -lh0- 1 a.lzh" + args);
  CountingFiles counting;
  LogSource counted(counting);
  std::vector<SourceMember> members;
  ASSERT_TRUE(counted.MembersOf(Path("a.lzh"), members));  // keeps the first ten
  const std::string last = Path("a.lzh") + "!/m11.log";
  int64_t size = 0;
  counting.failAfter = 100;
  EXPECT_FALSE(counted.Open(last, size));
  counting.failAfter = -1;
  ASSERT_TRUE(counted.Open(last, size));
  EXPECT_EQ(size, static_cast<int64_t>(LogOf({M(1), M(2, 1)}).size()));
}

// At most twenty members are kept decompressed, those used last, however
// they came to be kept: by being listed or by being opened. Others are
// decompressed again when opened.
TEST_F(ArchiveSetTest, TheTwentyMembersUsedLastAreKept) {
  if (!kReadsArchives) GTEST_SKIP() << "this build reads no archive";
  std::string args;
  for (int k = 0; k < 20; ++k) args += " one.log m" + std::to_string(k) + ".log";
  Sh(std::string(ZU_MAKE_LZH) + " -lh5- 1 a.lzh" + args + " && " + ZU_MAKE_LZH + " -lh5- 1 b.lzh" + args);
  CountingFiles counting;
  LogSource counted(counting);
  const auto open = [&](const std::string& archive, int member) {
    int64_t size = 0;
    EXPECT_TRUE(counted.Open(Path(archive) + "!/m" + std::to_string(member) + ".log", size));
    counted.Close();
    return counting.opened[Path(archive)];
  };
  std::vector<SourceMember> members;
  ASSERT_TRUE(counted.MembersOf(Path("a.lzh"), members));  // keeps the first ten
  const int listed = counting.opened[Path("a.lzh")];
  for (int k = 0; k < 20; ++k) open("a.lzh", k);
  EXPECT_EQ(counting.opened[Path("a.lzh")], listed + 10);  // the last ten read again
  ASSERT_TRUE(counted.MembersOf(Path("b.lzh"), members));  // its first ten take the place of a's first ten
  EXPECT_EQ(open("a.lzh", 0), listed + 11);
  EXPECT_EQ(open("a.lzh", 10), listed + 12);  // let go for the one before
  EXPECT_EQ(open("a.lzh", 19), listed + 12);
  EXPECT_EQ(open("a.lzh", 12), listed + 12);  // the least recently used of the twenty kept
  // One let go cannot be had while its archive cannot be opened.
  counting.failOpens = true;
  int64_t size = 0;
  EXPECT_FALSE(counted.Open(Path("a.lzh") + "!/m1.log", size));
}

// A file that had to be converted is kept converted, from its second
// reading on, while it stays as it was; a CP932 file is read from disk each
// time, as it stands there.
TEST_F(ArchiveSetTest, AConvertedFileIsKeptWhileUnchanged) {
  dir.Write("utf8.log", "\xef\xbb\xbf" + LogOf({M(1), M(2, 1)}));  // UTF-8 by its byte order mark
  CountingFiles counting;
  LogSource counted(counting);
  const auto readings = [&](const char* name) {
    int64_t size = 0;
    EXPECT_TRUE(counted.Open(Path(name), size)) << name;
    std::vector<char> text(static_cast<size_t>(std::max<int64_t>(size, 1)));  // all it may give, as the reader asks
    EXPECT_GT(counted.Read(text.data(), size).bytes, 0) << name;
    counted.Close();
    return counting.opened[Path(name)];
  };
  readings("utf8.log");
  const int kept = readings("utf8.log");
  const int cp932 = readings("one.log");
  EXPECT_EQ(readings("utf8.log"), kept);
  EXPECT_EQ(readings("utf8.log"), kept);
  EXPECT_EQ(readings("one.log"), cp932 + 1);
}

// A log with CR-only line ends reads as its LF copy does, the first time and
// every time after.
TEST_F(ArchiveSetTest, CrOnlyLineEndsReadAsLf) {
  testing::Msg second = M(2, 1);
  second.body = "body\r\n";
  std::string lf = LogOf({M(1), second});
  lf.erase(std::remove(lf.begin(), lf.end(), '\r'), lf.end());
  std::string cr = lf;
  std::replace(cr.begin(), cr.end(), '\n', '\r');
  const std::string path = dir.Write("cr.log", cr);
  for (int open = 0; open < 2; ++open) {
    ASSERT_TRUE(reader.Open(path)) << open;
    EXPECT_EQ(reader.Data(), lf) << open;
  }
}

}  // namespace
}  // namespace zu
