// nkf's guess where its three readers all refuse a byte: none stands until
// an ASCII byte starts them all again. Each answer is nkf --guess's own.
#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <random>
#include <string>

#include "source/EncodingGuess.h"
#include "text/Cp932Codec.h"
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
// reads the same bytes as characters with no JIS cell, which nkf marks as
// cells that hold no character.
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

#if !defined(_WIN32)
unsigned Below(std::mt19937& random, unsigned n) { return static_cast<unsigned>(random() % n); }

// Texts made to walk every reader's edges: a few random bytes, mostly 8-bit.
std::string RandomBytes(std::mt19937& random) {
  static constexpr char kAscii[] = "A \n@\x7f~\\";
  std::string text;
  for (unsigned n = 1 + Below(random, 8); n > 0; --n) {
    text += Below(random, 5) != 0 ? static_cast<char>(0x80 + Below(random, 0x80)) : kAscii[Below(random, sizeof kAscii - 1)];
  }
  return text;
}

// A few random JIS X 0208 cells, half-width kana and ASCII, written in one
// of Shift_JIS, EUC-JP and UTF-8 (cells the code page lacks left out there).
// EUC-JP leaves out rows 9 to 15 and 85 to 94, where nkf's tables hold cells
// that the code page has not.
std::string RandomCells(std::mt19937& random) {
  const unsigned encoding = Below(random, 3);  // Shift_JIS, EUC-JP, UTF-8
  std::string text;
  for (unsigned n = 1 + Below(random, 4); n > 0; --n) {
    const unsigned kind = Below(random, 20), kana = 0xA1 + Below(random, 63);
    unsigned row = 1 + Below(random, 94);
    const unsigned cell = 1 + Below(random, 94);
    if (kind < 3) {
      text += 'a';
    } else if (kind < 6) {
      const std::string sjis(1, static_cast<char>(kana));
      text += encoding == 0 ? sjis : encoding == 1 ? "\x8e" + sjis : Cp932ToUtf8(sjis);
    } else if (encoding == 1) {
      if (row >= 9 && row <= 15) row += 7;
      if (row >= 85) row -= 10;
      text += {static_cast<char>(0xA0 + row), static_cast<char>(0xA0 + cell)};
    } else {
      const unsigned j1 = row + 0x20, j2 = cell + 0x20;
      const auto lead = static_cast<unsigned char>(((j1 + 1) >> 1) + (j1 <= 0x5E ? 0x70 : 0xB0));
      const auto trail = static_cast<unsigned char>(j1 & 1 ? j2 + (j2 <= 0x5F ? 0x1F : 0x20) : j2 + 0x7E);
      const std::string sjis{static_cast<char>(lead), static_cast<char>(trail)};
      if (encoding == 0) text += sjis;
      else if (IsCp932Pair(lead, trail)) text += Cp932ToUtf8(sjis);
    }
  }
  return text;
}

// The guess against nkf --guess itself, on thousands of such texts; those
// that nkf calls BINARY (no one encoding reads them) are passed over.
TEST(NkfGuessTest, AgreesWithNkfOnRandomTexts) {
  if (std::system("nkf --version > /dev/null 2>&1") != 0) GTEST_SKIP() << "no nkf";
  testing::TempDir dir;
  std::mt19937 random(2026);
  std::map<std::string, std::string> texts;  // by file name
  for (int k = 0; k < 6000; ++k) {
    const std::string name = std::to_string(k);
    texts[name] = k % 2 == 0 ? RandomBytes(random) : RandomCells(random);
    dir.Write(name, texts[name]);
  }
  FILE* nkf = popen(("cd '" + dir.path().string() + "' && nkf --guess *").c_str(), "r");
  ASSERT_NE(nkf, nullptr);
  const std::map<std::string, TextEncoding> kFamilies = {
      {"ASCII", TextEncoding::Cp932}, {"Shift_JIS", TextEncoding::Cp932}, {"CP932", TextEncoding::Cp932},
      {"EUC-JP", TextEncoding::EucJp}, {"EUCJP-MS", TextEncoding::EucJp}, {"CP51932", TextEncoding::EucJp},
      {"EUC-JIS-2004", TextEncoding::EucJp},
      {"UTF-8", TextEncoding::Utf8}};
  int compared = 0;
  char line[4096];
  while (std::fgets(line, sizeof line, nkf) != nullptr) {
    const std::string answer(line);
    const size_t colon = answer.rfind(": ");
    if (colon == std::string::npos || texts.count(answer.substr(0, colon)) == 0) continue;  // a path with a line break
    const std::string name = answer.substr(colon + 2, answer.find_first_of(" \n", colon + 2) - colon - 2);
    if (name == "BINARY") continue;
    const auto family = kFamilies.find(name);
    const std::string& text = texts[answer.substr(0, colon)];
    EXPECT_TRUE(family != kFamilies.end() && GuessLikeNkf(text) == family->second)
        << ::testing::PrintToString(text) << " is " << name << " to nkf";
    ++compared;
  }
  EXPECT_EQ(pclose(nkf), 0);
  EXPECT_GT(compared, 5000);
}
#endif

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
      {TextEncoding::Utf8, "\xdf\xbf\xef\xbf\xbd\xf4\x8f\xbf\xbf", true},  // the greatest lead of each length
      {TextEncoding::Utf16LE, "\xff", true},  // every byte sequence is text as it comes
      {TextEncoding::Iso2022Jp, "\x80", true},
      {TextEncoding::EucJp, "a\x8f\xa1\xa1", true},
      {TextEncoding::EucJp, "a\xa4", false},
      {TextEncoding::EucJp, "a\x8e", false},
      {TextEncoding::EucJp, "a\x8e\xe0" "b", false},  // SS2 before a byte of no half-width kana
      {TextEncoding::EucJp, "a\x8f\xa1", false},
      {TextEncoding::Cp932, "a\x82\xa0", true},
      {TextEncoding::Cp932, "a\x82", false},
      {TextEncoding::Cp932, "\x82\x7f", false},
      {TextEncoding::Cp932, "\x82\xfd", false},
      {TextEncoding::Cp932, "\x81\x40\x9f\xfc\xe0\x40\xfc\xfc", true},  // both ranges of leads, to their ends
      {TextEncoding::Cp932, "\x80\x40", false},
      {TextEncoding::Cp932, "\xa0\x40", false},
      {TextEncoding::Cp932, "\xfd\x40", false},
  };
  for (const Case& c : cases) {
    const testing::GuardedBytes bytes(c.bytes);
    EXPECT_EQ(IsValidIn(c.encoding, bytes.view()), c.valid) << NameOf(c.encoding) << " " << c.bytes;
  }
}

}  // namespace
}  // namespace zu
