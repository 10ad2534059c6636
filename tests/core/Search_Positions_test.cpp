// Where the search text stands in a line (MatchPositions), which the window
// marks, against whether the search finds it there (TextContains), and which
// field the search stopped for (FieldOfHit).
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "core/Search.h"
#include "reader/ShiftJis.h"
#include "support/GuardedBytes.h"

namespace zu {
namespace {

using Positions = std::vector<size_t>;

// The positions against TextContains itself: for every character boundary
// q, the search finds `pattern` in the characters from q to the first
// boundary e at least pattern.size() bytes on exactly when a listed match
// lies within [q, e). Positions off the boundaries are never listed.
void ExpectSameRuleAsTextContains(const std::string& text, const std::string& pattern) {
  const Positions found = MatchPositions(text, pattern);
  const std::string_view whole(text);
  EXPECT_EQ(!found.empty(), TextContains(text, pattern)) << "'" << text << "' / '" << pattern << "'";
  std::vector<size_t> boundaries;
  for (size_t q = 0; q < text.size(); q += CharBytesAt(text, q)) boundaries.push_back(q);
  boundaries.push_back(text.size());
  for (size_t k = 0; k + 1 < boundaries.size(); ++k) {
    const size_t q = boundaries[k];
    size_t e = q;
    for (size_t n = k; n < boundaries.size() && e < q + pattern.size(); ++n) e = boundaries[n];
    bool listedWithin = false;
    for (size_t p : found) listedWithin |= p >= q && p + pattern.size() <= e;
    EXPECT_EQ(listedWithin, TextContainsView(whole.substr(q, e - q), pattern))
        << "'" << text << "' / '" << pattern << "' from " << q;
  }
  for (size_t p : found) {
    EXPECT_TRUE(std::find(boundaries.begin(), boundaries.end(), p) != boundaries.end()) << p;
  }
}

TEST(MatchPositionsTest, FindsEveryMatchWhereTheSearchDoes) {
  struct Case {
    std::string text;
    std::string pattern;
    Positions positions;
  };
  const std::vector<Case> cases = {
      {"112", "12", {1}},                        // a broken partial match is tried again
      {"aaab", "aab", {1}},
      {"aaa", "aa", {0, 1}},                     // overlapping matches are both listed
      {"ABC abc aBc", "abc", {0, 4, 8}},
      {"\x83\x41" "A", "a", {2}},                // not on ア's trail byte 0x41
      {"\x83\x41\x83\x41", "\x83\x41", {0, 2}},
      {"\x88\x82\xa0\x82\xa0", "\x82\xa0", {3}},  // not across two characters
      {"ab\x82", "\x82", {2}},                   // a lead byte at the end is a character
      {"\x82\xa0\x82", "\x82", {2}},
      {"\x82\x60\x82\x81", "\x82\x81", {2}},     // Ａ and ａ: full-width letters fold no case
      {"\x82\x60\x82\x81", "a", {}},
      {"", "a", {}},
      {"abc", "", {}},
  };
  for (const Case& c : cases) {
    const testing::GuardedBytes text(c.text);  // a read past its end stops the test
    EXPECT_EQ(MatchPositions(text.view(), c.pattern), c.positions) << "'" << c.text << "' / '" << c.pattern << "'";
    ExpectSameRuleAsTextContains(c.text, c.pattern);
  }
}

// Texts and patterns drawn from the pieces that the rule tells apart: ASCII
// letters of both cases, kana whose trail bytes are letters, full-width
// letters, half-width katakana and a lead byte left without its trail.
TEST(MatchPositionsTest, AgreesWithTextContainsOnDrawnTexts) {
  const std::vector<std::string> pieces = {"a", "A", "b", "1", "2", "\x83\x41", "\x83\x61",
                                           "\x82\x60", "\x82\x81", "\xb1", "\x82", " "};
  std::mt19937 draw(12);
  auto text = [&](size_t most) {
    std::string out;
    for (size_t n = draw() % (most + 1); n > 0; --n) out += pieces[draw() % pieces.size()];
    return out;
  };
  for (int round = 0; round < 3000; ++round) {
    const std::string pattern = text(3);
    if (pattern.empty()) continue;
    ExpectSameRuleAsTextContains(text(12), pattern);
  }
}

TEST(FieldOfHitTest, TheFirstFieldInTheSearchOrderThatHoldsTheText) {
  MessageView view;
  view.Number = "112";
  view.Name = "SAMPLE USER     ";
  view.ID = "ABCD1234";
  view.Body = {"first line", "a modem here", "MODEM again"};
  const std::string title = "Re: modem";
  EXPECT_EQ(FieldOfHit(view, title, "12", 31), FieldNumber);
  EXPECT_EQ(FieldOfHit(view, title, "user ", 31), FieldName);  // the padding counts
  EXPECT_EQ(FieldOfHit(view, title, "d1", 31), FieldID);
  EXPECT_EQ(FieldOfHit(view, title, "modem", 31), FieldTitle);
  EXPECT_EQ(FieldOfHit(view, title, "modem", FieldBody), FieldBody);
  EXPECT_EQ(FieldOfHit(view, title, "12", FieldBody | FieldTitle), 0);
  EXPECT_EQ(FieldOfHit(view, title, "again", 15), 0);  // the body is not searched
}

}  // namespace
}  // namespace zu
