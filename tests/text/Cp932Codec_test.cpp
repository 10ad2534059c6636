// The text layer's plain C++ conversions, without Qt: what the dump tool and
// every platform's build use.
#include "text/Cp932Codec.h"

#include <gtest/gtest.h>

#include <string>

#include "support/Hex.h"

namespace zu {
namespace {

using testing::Hex;

TEST(Utf8ToCp932Test, EncodesTypedTextOrRefuses) {
  struct Case { std::string utf8; bool ok; std::string bytes; };
  const Case cases[] = {
      {"", true, ""},
      {"abc", true, "abc"},
      {"モデム", true, "\x83\x82\x83\x66\x83\x80"},
      {"〜", true, "\x81\x60"},                // U+301C typed on Linux
      {"ｱ", true, "\xb1"},
      {"\xc0\x80", false, ""},                  // overlong NUL
      {"\xe0\x80\xaf", false, ""},              // overlong '/' in three bytes
      {"\xf0\x80\x80\xaf", false, ""},         // and in four
      {"\xe3\x81", false, ""},                  // cut short
      {"\x80", false, ""},                       // a stray continuation byte
      {"\xed\xa0\x80", false, ""},              // a surrogate
      {"\xf4\x90\x80\x80", false, ""},         // past U+10FFFF
      {"\xf0\x9f\x98\x80", false, ""},         // valid, but no CP932 form
      {"\xc3\xa9", false, ""},                   // é
  };
  for (const Case& c : cases) {
    std::string out = "junk";
    EXPECT_EQ(Utf8ToCp932(c.utf8, out), c.ok) << Hex(c.utf8);
    if (c.ok) {
      EXPECT_EQ(out, c.bytes) << Hex(c.utf8);
    }
  }
}

}  // namespace
}  // namespace zu
