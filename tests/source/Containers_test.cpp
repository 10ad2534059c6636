// Which files are looked at as archives: only those whose first bytes show
// a format's mark. libarchive is loaded for those alone, and a build without
// it names them as archives it cannot read.
#include "source/Containers.h"

#include <gtest/gtest.h>

#include <string>

namespace zu {
namespace {

TEST(MayBeContainerTest, OnlyAFormatsMarkAtItsPlace) {
  const std::string tar = std::string(257, '\0') + "ustar" + std::string(6, '\0');
  struct Case { const char* what; std::string head; bool container; };
  const Case cases[] = {
      {"gzip", "\x1f\x8b\x08\x00", true},
      {"bzip2", "BZh91AY", true},
      {"xz", std::string("\xfd" "7zXZ\0\0", 7), true},
      {"ZIP", "PK\x03\x04\x14\x00", true},
      {"empty ZIP", "PK\x05\x06\x00\x00", true},
      {"7z", "7z\xbc\xaf\x27\x1c\x00", true},
      {"LZH -lh5-", "\x25\x9a-lh5-\x10\x00", true},
      {"LZH -lzs-", "\x25\x9a-lzs-\x10\x00", true},
      {"LZH mark cut short", "\x25\x9a-lh5-", false},
      {"a dash where LZH has one", "96-05-01 forum\r\n", false},
      {"LZH mark off by one", "\x25-lh5-\x10\x00\x00", false},
      {"tar", tar, true},
      {"tar cut short", tar.substr(0, 262), false},
      {"a log", "Forum log\r\n", false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(MayBeContainer(c.head), c.container) << c.what;
  }
}

}  // namespace
}  // namespace zu
