// nkf's guess where its three readers all refuse a byte: none stands until
// an ASCII byte starts them all again. Each answer is nkf --guess's own.
#include <gtest/gtest.h>

#include <string>

#include "source/EncodingGuess.h"
#include "support/GuardedBytes.h"
#include "support/LogFiles.h"

namespace zu {
namespace {

TEST(NkfGuessTest, EveryReaderRefusingStartsAgainAtTheNextAsciiByte) {
  const std::string utf8 = "こんにちは、世界です。ありがとう";
  const std::string euc =
      "\xa4\xb3\xa4\xf3\xa4\xcb\xa4\xc1\xa4\xcf\xa1\xa2\xc0\xa4\xb3\xa6\xa4\xc7\xa4\xb9\xa1\xa3";
  const std::string sjis = "\x82\xb1\x82\xf1\x82\xc9\x82\xbf\x82\xcd\x81\x41\xb1\xd8\xb6\xde\xc4\xb3";
  struct Case { std::string bytes; TextEncoding nkf; };
  const Case cases[] = {
      {"\x80" + utf8, TextEncoding::EucJp},  // never started again: the fewest marks, the first reader
      {"\x80 " + utf8, TextEncoding::Utf8},
      {"\x80 " + euc, TextEncoding::EucJp},
      {"\x80 " + sjis, TextEncoding::Cp932},
      {"\xff\xfd\n" + sjis, TextEncoding::Cp932},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(GuessLikeNkf(c.bytes), c.nkf) << c.bytes;
  }
}

// nkf holds 2048 bytes from the first 8-bit one while two readers stand,
// then takes the one with fewer marks (EUC-JP: half-width kana count against
// Shift_JIS). A byte only Shift_JIS reads decides it within the bytes held;
// past them nkf has taken EUC-JP, and calls the text BINARY when it breaks.
TEST(NkfGuessTest, TheBytesHeldBeforeChoosing) {
  const struct {
    size_t held;  // of ｱｲ in Shift_JIS, 渦 in EUC-JP, before あ in Shift_JIS
    TextEncoding nkf;
  } cases[] = {{2046, TextEncoding::Cp932}, {2048, TextEncoding::EucJp}};
  for (const auto& c : cases) {
    std::string text;
    while (text.size() < c.held) text += "\xb1\xb2";
    EXPECT_EQ(GuessLikeNkf(text + "\x82\xa0"), c.nkf) << c.held;
  }
}

// 7-bit text is ISO-2022-JP only with a designation: a shift-out byte alone,
// or the designation of kana to it alone, is ASCII to nkf too.
TEST(NkfGuessTest, ShiftOutNeedsItsDesignation) {
  EXPECT_EQ(GuessLikeNkf("abc\x0e" "def\n"), TextEncoding::Cp932);
  EXPECT_EQ(GuessLikeNkf("abc\x1b)Idef\n"), TextEncoding::Cp932);
  EXPECT_EQ(GuessLikeNkf("abc\x1b)I\x0e\x31\x32\x0f" "def\n"), TextEncoding::Iso2022Jp);
}

// A pair led by a byte that only the code page uses (its IBM rows) counts
// against Shift_JIS however it ends: where EUC-JP reads the same bytes, nkf
// takes EUC-JP. An EUC-JP pair whose cell the code page leaves empty counts
// against EUC-JP, more than half-width kana against Shift_JIS.
TEST(NkfGuessTest, MarksAgainstEachReading) {
  EXPECT_EQ(GuessLikeNkf("\xfa\xa8\n"), TextEncoding::EucJp);
  EXPECT_EQ(GuessLikeNkf("\xb1\xb2\xfc\xbd\n"), TextEncoding::EucJp);
  EXPECT_EQ(GuessLikeNkf("\xa2\xaf\n"), TextEncoding::Cp932);
}

// Where no other reader stands, a pair led by one of the code page's own
// leads is still Shift_JIS. EUC-JP's kanji of the rows on either side of the
// break in Shift_JIS's leads (0x9F, then 0xE0) are all assigned there; UTF-8
// reads the same bytes as characters with no JIS cell, which nkf scores as
// that EUC-JP pair, and the tie goes to EUC-JP.
TEST(NkfGuessTest, TheEdgesOfTheLeadRanges) {
  const struct {
    const char* bytes;
    TextEncoding nkf;
  } cases[] = {
      {"\xed\x40\n", TextEncoding::Cp932}, {"\xee\x40\n", TextEncoding::Cp932},
      {"\xfa\x40\n", TextEncoding::Cp932}, {"\xfc\x40\n", TextEncoding::Cp932},
      {"\xde\xa1\n", TextEncoding::EucJp}, {"\xdf\xa1\n", TextEncoding::EucJp},
      {"\xdf\n", TextEncoding::Cp932},  // the last half-width kana, alone
      {"\x7f\xe3\x81\x82\n", TextEncoding::Utf8},  // DEL is ASCII to every reader
      {"\x7f\xa4\xa2\n", TextEncoding::EucJp}, {"\x7f\x82\xa0\n", TextEncoding::Cp932},
      {"\xd3\xa9\n", TextEncoding::EucJp},  // Cyrillic in UTF-8, a first-level kanji in EUC-JP
      {"\xe0\xb8\x81\n", TextEncoding::Utf8},  // the least three-byte lead: Thai
      {"\xf0\x9f\x98\x80\n", TextEncoding::Utf8},  // past the first plane; nkf 2.1.5 says BINARY
  };
  for (const auto& c : cases) EXPECT_EQ(GuessLikeNkf(c.bytes), c.nkf) << c.bytes;
}

// The encoding in which more header pairs are whole characters than in any
// other wins, every pair looked at, not only the first; a tie is left to
// nkf. Each first pair below is whole characters in CP932 and EUC-JP alike.
TEST(HeaderPairGuessTest, TheMostPairsWinAndATieIsNkfs) {
  const auto pair = [](int32_t number, const std::string& title) {
    testing::Msg m;
    m.number = number;
    m.title = title;
    std::string header = testing::Header(m);
    header.replace(header.rfind("\x82\xA0"), 2, "\xa4\xa2");  // line 2's mark, as EUC-JP has it
    return header;
  };
  const struct {
    const char* what;
    std::string log;
    TextEncoding nkf;
    TextEncoding guessed;
  } cases[] = {
      // A CP932 lead byte ends the second pair's title: EUC-JP alone. nkf's
      // readers take Shift_JIS at the body's あ (nkf itself, reading on,
      // then calls the whole BINARY).
      {"a later pair settles it", pair(1, "\xb1\xb2") + "\x82\xa0\r\n\r\n" + pair(2, "\xb0\xe0"), TextEncoding::Cp932,
       TextEncoding::EucJp},
      // 漢字 in EUC-JP: its last byte opens a CP932 pair that the CR breaks.
      {"a tie", pair(1, "\xb1\xb2") + "\xb4\xc1\xbb\xfa\r\n", TextEncoding::EucJp, TextEncoding::EucJp},
      {"a tie, あ in Shift_JIS after it", pair(1, "\xb1\xb2") + "\x82\xa0\r\n", TextEncoding::Cp932,
       TextEncoding::Cp932},
  };
  for (const auto& c : cases) {
    const std::string log = "Forum log\r\n" + c.log;
    EXPECT_EQ(GuessLikeNkf(log), c.nkf) << c.what;
    EXPECT_EQ(GuessEncoding(log), c.guessed) << c.what;
  }
}

// A lead byte needs its trail bytes: one out of their range, or the end of
// the text, makes it no character. The bytes past the end are never looked
// at: here they cannot be read.
TEST(IsValidInTest, TrailBytesOutOfRangeOrCutShortByTheEnd) {
  struct Case { TextEncoding encoding; std::string bytes; bool valid; };
  const Case cases[] = {
      {TextEncoding::Utf8, "a\xe3\x81\x82", true},
      {TextEncoding::Utf8, "a\xc3", false},
      {TextEncoding::Utf8, "a\xe3\x81", false},
      {TextEncoding::Utf8, "a\xf0\x9f\x98", false},
      {TextEncoding::Utf8, "a\x80" "b", false},  // a trail byte with no lead
      {TextEncoding::Utf8, "a\xed\xa0\x80", false},  // a surrogate
      {TextEncoding::EucJp, "a\x8f\xa1\xa1", true},
      {TextEncoding::EucJp, "a\xa4", false},
      {TextEncoding::EucJp, "a\x8e", false},
      {TextEncoding::EucJp, "a\x8e\xe0" "b", false},  // SS2 before a byte of no half-width kana
      {TextEncoding::EucJp, "a\x8f\xa1", false},
      {TextEncoding::Cp932, "a\x82\xa0", true},
      {TextEncoding::Cp932, "a\x82", false},
      {TextEncoding::Cp932, "\x82\x7f", false},
      {TextEncoding::Cp932, "\x82\xfd", false},
  };
  for (const Case& c : cases) {
    const testing::GuardedBytes bytes(c.bytes);
    EXPECT_EQ(IsValidIn(c.encoding, bytes.view()), c.valid) << NameOf(c.encoding) << " " << c.bytes;
  }
}

}  // namespace
}  // namespace zu
