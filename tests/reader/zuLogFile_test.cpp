// The reader's file handling, line reader, header recognition and index.
#include "reader/zuLogFile.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <future>
#if !defined(_WIN32)
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "reader/ReaderChecks.h"
#include "reader/ReaderFixture.h"
#include "support/HugePages.h"
#include "support/MemorySource.h"

namespace zu::testing {
namespace {

using namespace std::string_literals;

const std::string kPair = "1/1 ABCDEFGH\r\n1) a b\r\n";  // the shortest header pair, 22 bytes

TEST_F(ReaderTest, ReadLineCutsLinesAsTheLogsAreRead) {
  struct Case { std::string data; int32_t pos; std::string text; int32_t next; };
  const Case cases[] = {
      {"ab\r\ncd\n", 0, "ab", 4},
      {"ab\r\ncd\n", 4, "cd", 7},
      {"ab\r\ncd\n", 1, "b", 4},
      {"ab\r\ncd\n", 7, "", -1},             // just after the final LF
      {"ab\r\ncd\n", 8, "", -1},             // past the data
      {"ab\r\ncd\n", -1, "", -1},
      {"a\rb\r\r\nc\n", 0, "ab", 6},         // CR is dropped anywhere, never ends a line
      {"a\0b\r\nc\n"s, 0, "a", 5},           // NUL ends the text, not the line
      {"ab\ncd", 3, "cd", -1},               // the final piece comes with the end mark
      {"\n\n", 0, "", 1},
      {std::string(300, 'x') + "\nnext\n", 0, std::string(254, 'x'), 301},  // rest passed over
      {std::string(300, 'x') + "\nnext\n", 301, "next", 306},
      {std::string(254, 'y') + "\r\n", 0, std::string(254, 'y'), 256},
      {std::string(253, 'z') + "\x82\xa0\n", 0, std::string(253, 'z') + "\x82", 256},  // cut inside a character
      {std::string(250, 'w') + "\r\r\r\r\rabcd\n", 0, std::string(250, 'w') + "abcd", 260},  // CRs do not count
      {std::string(300, 'v') + "\r", 0, std::string(254, 'v'), -1},
      {"ab\n", 5, "", -1},  // past the data, where the file before left its bytes
  };
  for (const Case& c : cases) {
    Load(c.data);
    char out[LineBufferSize];
    std::fill(std::begin(out), std::end(out), '#');
    EXPECT_EQ(reader.ReadLine(c.pos, out), c.next) << c.data.substr(0, 20) << " at " << c.pos;
    EXPECT_EQ(std::string(out), c.text) << c.data.substr(0, 20) << " at " << c.pos;
  }
}

// The buffer takes a huge page for a file that fills enough of one, and
// none for a short file.
TEST(ReaderHugePagesTest, AskedForAsTheFileFillsThem) {
  if (!CanTellHugePages()) GTEST_SKIP() << "no transparent huge pages to tell";
  TempDir dir;
  for (const size_t size : {kPair.size(), LargeBlockBytes}) {
    zuLogFile reader;
    ASSERT_TRUE(reader.AllocateBuffer());
    ASSERT_TRUE(reader.Open(dir.Write("log.txt", kPair + std::string(size - kPair.size(), 'x'))));
    EXPECT_EQ(HugePagesAskedAt(reader.Data().data()), size >= LargeBlockBytes) << size;
  }
}

TEST(ReaderNoBufferTest, OpensButHoldsNoData) {
  TempDir dir;
  zuLogFile reader;
  const std::string path = dir.Write("log.txt", kPair);
  EXPECT_FALSE(reader.Open(path));
  EXPECT_EQ(reader.GetFileName(), path);
  EXPECT_EQ(reader.GetCount(), -1);
  char out[LineBufferSize] = "x";
  EXPECT_EQ(reader.ReadLine(0, out), -1);
  EXPECT_STREQ(out, "");
}

TEST(HeaderLineTest, FirstLineShape) {
  struct Case { const char* line; bool expected; };
  const Case cases[] = {
      {"1/1 ABCDEFGH", true},
      {"00123/00045 ABCD1234  SAMPLE USER      Sample title", true},
      {"12/5  ABCDEFGH", true},         // a run of spaces counts once
      {"12x/5y ABCD1234", true},        // the numbers only need to convert to > 0
      {"1/1 ABCD1234  ", true},
      {"1/1 \x83\x41\x83\x43\x83\x45\x83\x47", true},  // an ID of four kana is 8 bytes
      {"4294967297/1 ABCD1234", true},  // 32-bit wrap gives 1
      {"12/5 ABCDEFG", false},          // 7-byte ID
      {"1/1 ABCD12345", false},         // 9-byte ID
      {"12 /5 ABCDEFGH", false},        // space before the '/'
      {"/12/5 ABCDEFGH", false},
      {"12/ 5 ABCDEFGH", false},        // nothing between '/' and space
      {"0/5 ABCDEFGH", false},
      {"5/0 ABCDEFGH", false},
      {"-1/5 ABCDEFGH", false},
      {"2147483648/1 ABCD1234", false},  // wraps negative
      {"1/1", false},
      {"1 1 ABCDEFGH", false},
      {"1/1\tABCDEFGH", false},         // a tab is no space
      {"", false},
  };
  for (const Case& c : cases) EXPECT_EQ(zuLogFile::IsHeaderLine1(c.line), c.expected) << c.line;
}

TEST(HeaderLineTest, SecondLineShape) {
  struct Case { const char* line; bool expected; };
  const Case cases[] = {
      {"1) a b", true},
      {" a b", true},                   // field 0 at spaces empty; a and b are fields 1 and 2
      {"12345) a b", true},
      {"00007) 96/05/17 21:05  00120\x82\xa0", true},
      {"a b c", true},                  // no ')' in a line of 5 bytes
      {"1)) a b", true},
      {"1)  a  b  ", true},
      {"123456) a b", false},           // six bytes before the ')'
      {"ab cd", false},                 // no field 2
      {") a b", false},
      {"1) a", false},
      {"1)a b", false},
      {"12345 a b", false},             // no ')' and longer than 5 bytes
      {"", false},
  };
  for (const Case& c : cases) EXPECT_EQ(zuLogFile::IsHeaderLine2(c.line), c.expected) << c.line;
}

TEST_F(ReaderTest, IndexRecordsTheFirstLineOfEachPair) {
  struct Case { std::string data; std::vector<int32_t> starts; };
  const std::vector<Case> cases = {
      {kPair, {0}},
      {"1/1 ABCDEFGH\r\n a b\r\n", {0}},
      {"12/5  ABCDEFGH\r\n1) a b\r\n", {0}},
      {"other\r\n" + kPair + kPair, {7, 29}},
      {"1/1 ABCDEFGH\n1) a b\n", {0}},                           // LF alone ends lines too
      {"1\r2/5\r ABCDEFGH\r\n1) a b\r\n", {0}},                  // CR before the first space
      // The number before the '/' may open with atoi's white space or a sign,
      // after CRs: such lines are header lines as well.
      {"\r\t\v\f+1/1 ABCDEFGH\r\n1) a b\r\n", {0}},
      {"x\r\n\t7/1 ABCDEFGH\r\n1) a b\r\n", {3}},
      {"1/1 ABCDEFGH\0junk\r\n1) a b\r\n"s, {0}},                // NUL ends the line's text
      {"junk\r\n1/1 ABCDEFGH\r\nnot a pair\r\n", {}},
      {"1/1 ABCDEFGH\r\nxx\r\n2/1 ABCDEFGH\r\n1) a b\r\n", {18}},
      // A first line followed by a true first line consumes it: that message is lost.
      {"1/1 ABCDEFGH\r\n2/1 ABCDEFGH\r\n1) a b\r\n", {}},
      // ...and scanning resumes after the consumed line.
      {"1/1 ABCDEFGH\r\n3/1 ABCDEFGH\r\n4/1 ABCDEFGH\r\n1) a b\r\n", {28}},
      {"x\r\n1/1 ABCDEFGH\r\n1) a b", {3}},                      // second line without LF
      {"1) a b\r\n1/1 ABCDEFGH", {}},                           // first line without LF
      {"1/1 ABCDEFGH\r\n", {}},                                 // nothing after the first line
      {"1/1 ABCDEFGH\r1) a b\r1/1 ABCDEFGH\r1) a b\r", {}},     // CR alone: one single line
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Load(c.data), !c.starts.empty()) << c.data;
    EXPECT_EQ(Starts(), c.starts) << c.data;
    EXPECT_EQ(reader.GetCount(), static_cast<int32_t>(c.starts.size())) << c.data;
  }
}

// Opened with the index it was made from, a file's titles are read from its
// own lines, whatever the file read before kept of its own.
TEST_F(ReaderTest, AKnownIndexKeepsNoTitleOfTheFileBefore) {
  const auto log = [](const char* first, const char* second) {
    Msg m;
    m.title = first;
    std::string text = Message(m);
    m.number = 2;
    m.title = second;
    return text + Message(m);
  };
  const std::string path = dir.Write("known.log", log("Known one", "Known two"));
  ASSERT_TRUE(reader.Open(path));
  const zuLogFile::Index known = reader.MessageStarts();
  ASSERT_TRUE(Load("Some lines before\r\n" + log("A title of the file before", "Another of it")));
  ASSERT_TRUE(reader.Open(path, &known, [](std::string_view) { return true; }));
  for (const auto& [i, expected] : {std::pair{0, "Known one"}, std::pair{1, "Known two"}}) {
    char line1[LineBufferSize];
    int32_t number = 0;
    int32_t parent = 0;
    std::string_view title;
    ASSERT_TRUE(reader.GetNumberParentTitle(i, line1, number, parent, title));
    EXPECT_EQ(title, expected);
    EXPECT_EQ(number, i + 1);
  }
}

TEST_F(ReaderTest, CrOnlyFileIsOneCutLine) {
  std::string data;
  for (int k = 0; k < 40; ++k) data += "1/1 ABCDEFGH\r1) a b\r";
  EXPECT_FALSE(Load(data));
  char out[LineBufferSize];
  EXPECT_EQ(reader.ReadLine(0, out), -1);
  EXPECT_EQ(std::string(out).size(), 254u);
  EXPECT_EQ(reader.GetCount(), 0);
}

TEST_F(ReaderTest, IndexKeepsTheFirst3000Pairs) {
  std::string data;
  for (int32_t n = 1; n <= 3001; ++n) data += Message(Numbered(n));
  EXPECT_TRUE(Load(data));
  EXPECT_EQ(reader.GetCount(), 3000);
  for (int32_t s : reader.MessageStarts()) EXPECT_NE(s, -1);
  EXPECT_EQ(reader.GetNumber(2999), 3000);
  EXPECT_EQ(reader.GetNumber(3000), -1);
  EXPECT_EQ(reader.FindNumber(3001), -1);
}

TEST_F(ReaderTest, CountIsMinusOneWithoutDataAndZeroWithoutPairs) {
  EXPECT_EQ(reader.GetCount(), -1);  // nothing opened yet
  EXPECT_EQ(reader.GetFileName(), "");
  EXPECT_FALSE(Load(""));
  EXPECT_EQ(reader.GetCount(), -1);
  EXPECT_NE(reader.GetFileName(), "");  // the empty file is current all the same
  EXPECT_FALSE(Load("no messages here\r\n"));
  EXPECT_EQ(reader.GetCount(), 0);
  EXPECT_FALSE(Load("x"));  // one byte is data too
  EXPECT_EQ(reader.GetCount(), 0);
}

TEST_F(ReaderTest, ReadsAFileOfExactlyTheBufferSize) {
  std::string data = kPair;
  const std::string line = std::string(98, 'x') + "\r\n";
  while (data.size() + line.size() <= static_cast<size_t>(BufferSize)) data += line;
  const std::string last(BufferSize - data.size() - 1, 'y');
  data += last + "\n";
  ASSERT_EQ(data.size(), static_cast<size_t>(BufferSize));
  EXPECT_TRUE(Load(data));
  EXPECT_EQ(reader.DataLength(), BufferSize);
  const auto body = Body(0);
  ASSERT_FALSE(body.empty());
  EXPECT_EQ(body.back(), last);  // the file's last line is there
}

TEST_F(ReaderTest, FileLargerThanTheBufferHoldsNoData) {
  ASSERT_TRUE(Load(kPair));
  std::string data = kPair + std::string(BufferSize, 'x');
  data.resize(BufferSize + 1);
  const std::string path = dir.Write("big.txt", data);
  EXPECT_FALSE(reader.Open(path));
  EXPECT_EQ(reader.GetFileName(), path);
  EXPECT_EQ(reader.DataLength(), 0);
  EXPECT_EQ(reader.GetCount(), -1);
  EXPECT_TRUE(Starts().empty());
  EXPECT_EQ(reader.GetNumber(0), -1);  // not the earlier file's message
}

TEST_F(ReaderTest, FailedOpenKeepsThePreviousFile) {
  ASSERT_TRUE(Load(Message(Numbered(7, "text\r\n"))));
  const std::string current = reader.GetFileName();
  std::vector<std::string> unreadable = {dir.Path("missing.txt"), dir.path().string(), ""};
#if !defined(_WIN32)
  ASSERT_EQ(mkfifo(dir.Path("fifo").c_str(), 0600), 0);
  unreadable.insert(unreadable.end(), {"/dev/null", dir.Path("fifo")});
#endif
  for (const std::string& path : unreadable) {
    EXPECT_FALSE(reader.Open(path)) << path;
    EXPECT_EQ(reader.GetFileName(), current) << path;
    EXPECT_EQ(reader.GetNumber(0), 7) << path;
    EXPECT_EQ(Body(0), (std::vector<std::string>{"text", ""})) << path;
  }
}

#if !defined(_WIN32)  // FIFOs and files that read shorter than their size
// Started with no standard input, as a launcher may start it, the program
// gets descriptor 0 for the first file it opens.
TEST_F(ReaderTest, AFileOpenedAsDescriptorZeroIsRead) {
  const std::string path = dir.Write("log.txt", Message(Numbered(7, "text\r\n")));
  EXPECT_EXIT(
      {
        close(0);
        std::_Exit(reader.Open(path) && reader.GetNumber(0) == 7 ? 0 : 1);
      },
      ::testing::ExitedWithCode(0), "");
}

TEST_F(ReaderTest, FifoWithoutWriterDoesNotHang) {
  const std::string fifo = dir.Path("fifo");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  auto opened = std::async(std::launch::async, [&] { return reader.Open(fifo); });
  if (opened.wait_for(std::chrono::seconds(5)) != std::future_status::ready) {
    ADD_FAILURE() << "Open of a FIFO blocks";
    // Release the blocked open so that the test can end.
    const int writer = open(fifo.c_str(), O_WRONLY | O_NONBLOCK);
    if (writer >= 0) close(writer);
  }
  EXPECT_FALSE(opened.get());
  EXPECT_EQ(reader.GetFileName(), "");
}

// A sysfs file reports a size of a whole page but reads far less: a real
// short read. Bytes of the earlier, larger file must not show through.
TEST_F(ReaderTest, ShortReadKeepsOnlyTheBytesRead) {
  const char* const candidates[] = {"/sys/kernel/mm/transparent_hugepage/enabled",
                                    "/sys/power/state", "/sys/kernel/profiling"};
  std::string path;
  struct stat info {};
  for (const char* c : candidates) {
    if (stat(c, &info) == 0 && S_ISREG(info.st_mode) && info.st_size > 0) {
      path = c;
      break;
    }
  }
  std::ifstream in(path, std::ios::binary);
  const std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (path.empty() || content.size() >= static_cast<size_t>(info.st_size))
    GTEST_SKIP() << "no file here reads shorter than its size";
  ASSERT_TRUE(Load(kPair + std::string(8000, 'X') + "\n"));
  EXPECT_FALSE(reader.Open(path));
  EXPECT_EQ(reader.DataLength(), static_cast<int32_t>(content.size()));
  char out[LineBufferSize];
  for (int32_t pos = 0; pos != -1;) {
    pos = reader.ReadLine(pos, out);
    EXPECT_EQ(std::string(out).find('X'), std::string::npos);
  }
}
#endif

TEST_F(ReaderTest, SmallerFileNeverShowsBytesOfALargerOne) {
  ASSERT_TRUE(Load(kPair + "body one\r\nbody two\r\nbody three\r\n"));
  ASSERT_TRUE(Load(kPair + "body"));  // the earlier file has " one\r\n" beyond this end
  EXPECT_EQ(reader.DataLength(), static_cast<int32_t>(kPair.size()) + 4);
  EXPECT_TRUE(Body(0).empty());
  char out[LineBufferSize];
  EXPECT_EQ(reader.ReadLine(static_cast<int32_t>(kPair.size()), out), -1);
  EXPECT_STREQ(out, "body");
}

TEST_F(ReaderTest, OpenReadsTheFileAgainEveryTime) {
  const std::string path = dir.Write("same.txt", Message(Numbered(1)));
  ASSERT_TRUE(reader.Open(path));
  dir.Write("same.txt", Message(Numbered(2)) + Message(Numbered(3)));
  ASSERT_TRUE(reader.Open(path));
  EXPECT_EQ(reader.GetCount(), 2);
  EXPECT_EQ(reader.GetNumber(0), 2);
}

// The reader over files in memory, whose reads can be slow, interrupted,
// end early or fail part-way, as a real file system's can.
class SourceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(reader.AllocateBuffer());
    reader.UseSource(source);
  }

  MemorySource::File& Put(const std::string& path, const std::string& bytes) {
    return source.Put(path, bytes);
  }

  MemorySource source;
  zuLogFile reader;
};

const std::string kLog = Message(Numbered(7, "one\r\ntwo\r\n")) + Message(Numbered(8, "three\r\n"));

// Lines that cannot start a pair are passed over sixteen bytes at a time: a
// pair must be found wherever its lines fall against those blocks and
// against the end of the data.
TEST_F(SourceTest, IndexFindsPairsWhereverTheirLinesFall) {
  const std::string pairs[] = {"1/1 ABCDEFGH\n1) a b\n", "\r\r+2/5 ABCDEFGH\r\n1) a b\r\n",
                               "3/1 ABCDEFGH\n1) a b"};
  for (const std::string& pair : pairs) {
    for (int before = -1; before < 34; ++before) {
      for (int after = 0; after < 18; ++after) {
        // `before` bytes of a line that is no header (none: the pair opens
        // the data), then the pair twice, then bytes of a last line.
        const std::string data = (before < 0 ? "" : std::string(static_cast<size_t>(before), '\x83') + "\n") +
                                 pair + "\n" + pair + std::string(static_cast<size_t>(after), '9');
        Put("log", data);
        reader.Open("log");
        std::vector<int32_t> starts;
        for (int32_t s : reader.MessageStarts()) {
          if (s != -1) starts.push_back(s);
        }
        ASSERT_EQ(starts, WalkIndex(reader)) << before << " " << after << " " << pair;
        ASSERT_GE(starts.size(), 1u) << before << " " << after << " " << pair;
      }
    }
  }
}

TEST_F(SourceTest, SlowOrInterruptedReadsChangeNothing) {
  struct Case { int64_t chunk; int interruptions; };
  const Case cases[] = {{1, 0}, {0, 1}, {1, 2}, {7, 3}, {4096, 1}};
  Put("long", kLog + kLog + kLog);
  ASSERT_TRUE(reader.Open("long"));
  for (const Case& c : cases) {
    MemorySource::File& f = Put("log", kLog);
    f.chunk = c.chunk;
    f.interruptions = c.interruptions;
    EXPECT_EQ(OpenAndCheck(reader, "log", f), "") << c.chunk << "/" << c.interruptions;
    EXPECT_EQ(reader.DataLength(), static_cast<int32_t>(kLog.size()));
    EXPECT_EQ(reader.GetCount(), 2);
    char out[LineBufferSize];
    ASSERT_TRUE(reader.GetBodyLine(0, 1, out));
    EXPECT_STREQ(out, "two");
  }
}

// The file ends sooner than its size said: what arrived is the file, and
// nothing of the longer file read before shows through.
TEST_F(SourceTest, ShortReadKeepsWhatArrived) {
  Put("long", kLog + std::string(5000, 'X') + "\n");
  ASSERT_TRUE(reader.Open("long"));
  for (int64_t chunk : {0, 1}) {
    MemorySource::File& f = Put("short", kLog);
    f.statedSize = static_cast<int64_t>(kLog.size()) + 100;
    f.chunk = chunk;
    EXPECT_TRUE(reader.Open("short"));
    EXPECT_EQ(OpenAndCheck(reader, "short", f), "");
    EXPECT_EQ(reader.DataLength(), static_cast<int32_t>(kLog.size()));
  }
  Put("nothing arrived", "").statedSize = 100;
  EXPECT_FALSE(reader.Open("nothing arrived"));
  EXPECT_EQ(reader.GetFileName(), "nothing arrived");
  EXPECT_EQ(reader.GetCount(), -1);
}

// A failed read has overwritten part of the one buffer: neither the file
// before nor the failed one is current afterwards, and both open again.
TEST_F(SourceTest, ReadErrorLeavesNoFileCurrent) {
  const std::string before = Message(Numbered(3, "earlier\r\n"));
  const auto size = static_cast<int64_t>(kLog.size());
  struct Case { int64_t failAt; int64_t chunk; };
  const Case cases[] = {{0, 0}, {1, 0}, {size / 2, 0}, {size / 2, 1}, {size - 1, 0}, {size - 1, 5}};
  for (const Case& c : cases) {
    Put("before", before);
    ASSERT_TRUE(reader.Open("before"));
    MemorySource::File& f = Put("failing", kLog);
    f.failAt = c.failAt;
    f.chunk = c.chunk;
    EXPECT_FALSE(reader.Open("failing")) << c.failAt;
    EXPECT_EQ(reader.GetFileName(), "") << c.failAt;
    EXPECT_FALSE(reader.Holds("before"));
    EXPECT_EQ(reader.DataLength(), 0);
    EXPECT_EQ(reader.GetCount(), -1);
    EXPECT_EQ(reader.GetNumber(0), -1);  // neither 3 nor 7
    char out[LineBufferSize];
    EXPECT_FALSE(reader.GetBodyLine(0, 0, out));
    EXPECT_EQ(reader.ReadLine(0, out), -1);
    EXPECT_STREQ(out, "");
    f.failAt = -1;
    EXPECT_TRUE(reader.Open("failing"));
    EXPECT_EQ(reader.GetNumber(0), 7);
  }
  // An error after the last byte is never met: the read stops at the size.
  Put("failing late", kLog).failAt = size;
  EXPECT_TRUE(reader.Open("failing late"));
  // A file that says it holds more reads on, and so meets the error.
  MemorySource::File& f = Put("failing after a short read", kLog);
  f.failAt = size;
  f.statedSize = size + 10;
  EXPECT_FALSE(reader.Open("failing after a short read"));
  EXPECT_EQ(reader.GetFileName(), "");
}

TEST_F(SourceTest, HoldsOnlyAFileWhoseOpenSucceeded) {
  Put("a", kLog);
  Put("no messages", "other text\r\n");
  Put("big", kLog).statedSize = BufferSize + 1;
  Put("device", kLog).regular = false;
  ASSERT_TRUE(reader.Open("a"));
  EXPECT_TRUE(reader.Holds("a"));
  EXPECT_FALSE(reader.Holds("b"));
  for (const char* path : {"missing", "device"}) {  // cannot be opened: nothing changes
    EXPECT_FALSE(reader.Open(path));
    EXPECT_TRUE(reader.Holds("a")) << path;
  }
  for (const char* path : {"no messages", "big"}) {  // current, but not held
    EXPECT_FALSE(reader.Open(path));
    EXPECT_EQ(reader.GetFileName(), path);
    EXPECT_FALSE(reader.Holds(path));
    EXPECT_FALSE(reader.Holds("a"));
  }
  zuLogFile bufferless;
  bufferless.UseSource(source);
  EXPECT_FALSE(bufferless.Open("a"));
  EXPECT_EQ(bufferless.GetFileName(), "a");
  EXPECT_FALSE(bufferless.Holds("a"));
}

}  // namespace
}  // namespace zu::testing
