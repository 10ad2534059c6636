#include "reader/TextRules.h"

#include <gtest/gtest.h>

#include <climits>

#include "support/GuardedBytes.h"

namespace zu {
namespace {

// Every text below is read from bytes that end where readable memory does:
// a rule that reads one byte past its text stops the test.
using testing::GuardedBytes;

TEST(SubTextTest, CutsInclusiveRangesShortAtTheEnd) {
  struct Case { const char* src; int32_t from, to; const char* expected; };
  const Case cases[] = {
      {"abcdef", 0, 2, "abc"},
      {"abcdef", 1, 1, "b"},
      {"abcdef", 4, 10, "ef"},        // cut short at the end
      {"abcdef", 0, INT32_MAX, "abcdef"},
      {"abc", 3, 5, ""},              // from equal to the length: empty, not a failure
      {"abc", 4, 9, ""},              // from past the end
      {"abc", 2, 1, ""},              // from after to
      {"abc", 0, -1, ""},             // what a caller gets for "the bytes before position 0"
      {"", 0, 0, ""},
      {"\x82\xa0\x82\xa2", 1, 2, "\xa0\x82"},  // bytes, not characters
  };
  for (const Case& c : cases) {
    EXPECT_EQ(SubText(GuardedBytes(c.src).view(), c.from, c.to), c.expected) << c.src << " " << c.from << ".." << c.to;
  }
}

TEST(FindByteTest, FindsTheFirstMatchingByteIgnoringCharacters) {
  struct Case { const char* src; char b; int32_t expected; };
  const Case cases[] = {
      {"12/5 AB", '/', 2},
      {"1/2/3", '/', 1},
      {"abc", '/', -1},
      {"", '/', -1},
      {"\x82\xa0", '\x82', 0},
      {"\x83\x82\x82\xa0", '\x82', 1},  // a trail byte matches as well as a lead byte
      {"abc", '\0', -1},               // the terminator is not a byte of the text
  };
  for (const Case& c : cases) EXPECT_EQ(FindByte(GuardedBytes(c.src).view(), c.b), c.expected) << c.src;
}

TEST(FieldOfTest, SplitsAtRunsOfTheSeparator) {
  struct Case { const char* src; int32_t n; char sep; const char* expected; };
  const Case cases[] = {
      {"a b", 0, ' ', "a"},
      {"a b", 1, ' ', "b"},
      {"a   b c", 1, ' ', "b"},      // a run separates once
      {"a   b c", 2, ' ', "c"},
      {" a b", 0, ' ', ""},          // a run at the very start counts
      {" a b", 1, ' ', "a"},
      {"  a b", 2, ' ', "b"},
      {"a b ", 2, ' ', ""},          // nothing after the last run
      {"abc", 0, ' ', "abc"},        // no separator: the whole text
      {"abc", 1, ' ', ""},
      {"ab", 3, ' ', ""},            // n beyond the length
      {"", 0, ' ', ""},
      {"12//5/x", 1, '/', "5"},
      {"12345) a", 0, ')', "12345"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FieldOf(GuardedBytes(c.src).view(), c.n, c.sep), c.expected) << "'" << c.src << "' field " << c.n;
  }
}

TEST(AtoITest, FollowsCAtoiWithThirtyTwoBitWrap) {
  struct Case { const char* src; int32_t expected; };
  const Case cases[] = {
      {"0", 0},
      {"12x", 12},
      {"00120", 120},
      {" \t\n\v\f\r42", 42},            // every white space byte is skipped
      {"+7", 7},
      {"-7", -7},
      {"--7", 0},
      {"- 5", 0},                       // no white space after the sign
      {"", 0},
      {"abc", 0},
      {"\xa0" "5", 0},                  // 0xA0 is not white space
      {"\x82\x4f" "1", 0},              // a full-width digit is no digit
      {"2147483647", INT32_MAX},
      {"2147483648", INT32_MIN},        // wraps without notice
      {"-2147483648", INT32_MIN},
      {"4294967297", 1},
      {"12345678901", -539222987},
      {"99999999999999999999", 1661992959},
  };
  for (const Case& c : cases) EXPECT_EQ(AtoI(GuardedBytes(c.src).view()), c.expected) << c.src;
  EXPECT_EQ(AtoI(std::string("  -15 ")), -15);
}

}  // namespace
}  // namespace zu
