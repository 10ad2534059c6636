// The text layer's plain C++ conversions, without Qt: what the dump tool and
// every platform's build use.
#include "text/Cp932Codec.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "support/GuardedBytes.h"
#include "support/Hex.h"
#include "support/LogFiles.h"
#include "text/ToCp932.h"

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
      {"\xef\xbf\xbd", false, ""},               // U+FFFD, past the code page's last character
  };
  for (const Case& c : cases) {
    std::string out = "junk";
    EXPECT_EQ(Utf8ToCp932(c.utf8, out), c.ok) << Hex(c.utf8);
    if (c.ok) {
      EXPECT_EQ(out, c.bytes) << Hex(c.utf8);
    }
  }
}

// Strict UTF-8, whether or not each character has a CP932 form.
TEST(IsUtf8Test, EveryCharacterWholeAndInItsShortestForm) {
  const std::pair<std::string, bool> rows[] = {
      {"\xc3\xa9", true}, {"\xf0\x9f\x98\x80", true}, {"\xf4\x8f\xbf\xbf", true},  // é, an emoji, U+10FFFF
      {"\xe0\x80\xaf", false}, {"\xed\xa0\x80", false}, {"\xf4\x90\x80\x80", false},  // overlong, surrogate, too high
      {"\x7f\xc2\x80\xdf\xbf", true}, {"\x80", false},  // the ends of the one- and two-byte forms; a trail byte alone
  };
  for (const auto& [bytes, valid] : rows) EXPECT_EQ(IsUtf8(bytes), valid) << Hex(bytes);
}

// A log converted from UTF-8: every malformed sequence is no character, each
// of its bytes a 〓; a character without a CP932 form is one 〓.
TEST(Utf8LogToCp932Test, MalformedBytesAndMissingFormsBecomeGetaMarks) {
  const std::string mark = "\x81\xac";
  struct Case { std::string utf8; std::string cp932; };
  const Case cases[] = {
      {"\xe3\x81\x82\xef\xbd\xb1" "a", "\x82\xa0\xb1" "a"},  // あｱa
      {"\xc2\xa7", "\x81\x98"},                         // §, of the least two-byte lead
      {"\xdf\xbf", mark},                                // U+07FF, of the greatest, without a form
      {"\xe0\xa0\x80", mark},                          // U+0800, the least three-byte character
      {"\xee\x80\x80", "\xf0\x40"},                    // U+E000, the code page's user area
      {"\xe0\x80\xaf", mark + mark + mark},              // overlong '/'
      {"\xed\xa0\x80", mark + mark + mark},              // surrogates, first
      {"\xed\xbf\xbf", mark + mark + mark},              // and last
      {"\xf0\x9f\x98\x80", mark},                        // valid, but no CP932 form
      {"\xf4\x8f\xbf\xbf", mark},                        // U+10FFFF, of the greatest lead
      {"\xf8\x90\x80\x80", mark + mark + mark + mark},  // no lead, before three trail bytes
      {"\x80\x90\x80\x80", mark + mark + mark + mark},  // a trail byte, before three more
      {"\xe3\x81", mark + mark},                          // cut short
  };
  for (const Case& c : cases) {
    std::string out;
    AppendAsCp932(TextEncoding::Utf8, c.utf8, out);
    EXPECT_EQ(Hex(out), Hex(c.cp932)) << Hex(c.utf8);
  }
}

// The code page's user area from EUC-JP (eucJP-ms): its first 940 places
// are rows 85-94 of the first plane, the rest those rows of the second.
// Each pair is iconv's (-f CP932 -t EUC-JP-MS). A cell of a row that the
// code page leaves empty (row 9) has no form: one 〓.
TEST(EucJpToCp932Test, TheUserAreaFromBothPlanes) {
  struct Case { std::string euc; std::string cp932; };
  const Case cases[] = {
      {"\xf5\xa1", "\xf0\x40"}, {"\xfd\xfe", "\xf4\x9e"}, {"\xfe\xa1", "\xf4\x9f"},
      {"\x8f\xfe\xfe", "\xf9\xfc"}, {"\xa9\xa1", "\x81\xac"},
  };
  for (const Case& c : cases) {
    std::string out;
    AppendAsCp932(TextEncoding::EucJp, c.euc, out);
    EXPECT_EQ(Hex(out), Hex(c.cp932)) << Hex(c.euc);
  }
}

// An encoding named as iconv or nkf users spell it, in either case.
TEST(TextEncodingNamedTest, IconvsNamesInAnyCase) {
  const struct {
    const char* name;
    bool known;
    TextEncoding encoding;
  } rows[] = {
      {"Shift_JIS", true, TextEncoding::Cp932},   {"windows-31j", true, TextEncoding::Cp932},
      {"eucJP-ms", true, TextEncoding::EucJp},    {"iso-2022-jp-3", true, TextEncoding::Iso2022Jp},
      {"utf8", true, TextEncoding::Utf8},         {"UTF-16BE", true, TextEncoding::Utf16BE},
      {"UTF-16", false, TextEncoding::Cp932},     {"LATIN1", false, TextEncoding::Cp932},  // no byte order; no Japanese
  };
  for (const auto& row : rows) {
    TextEncoding found = TextEncoding::Cp932;
    EXPECT_EQ(TextEncodingNamed(row.name, found), row.known) << row.name;
    EXPECT_EQ(found, row.encoding) << row.name;
  }
}

// From UTF-16: a character past the basic plane, its two surrogates, has
// no CP932 form and is one 〓, at the end as anywhere; a lone surrogate too.
// A byte order mark alone is no text.
TEST(Utf16ToCp932Test, SurrogatesAreOneMarkAPair) {
  const std::string mark = "\x81\xac";
  struct Case { std::string utf16le; std::string cp932; };
  const Case cases[] = {
      {std::string("\x3d\xd8\x00\xde", 4), mark},                  // U+1F600, the last unit
      {std::string("\x00\xd8\x00\xdc", 4), mark},                  // U+10000, the least high surrogate
      {std::string("\xff\xfe", 2), ""},
      {std::string("\x3d\xd8\x00\xde" "A\0", 6), mark + "A"},
      {std::string("\x3d\xd8" "A\0", 4), mark + "A"},             // a lone high surrogate
      {std::string("\x00\xde" "A\0", 4), mark + "A"},             // a lone low one
      {std::string("A\0\x00\xde", 4), "A" + mark},                // a low one after a character
  };
  for (const Case& c : cases) {
    std::string out;
    AppendAsCp932(TextEncoding::Utf16LE, c.utf16le, out);
    EXPECT_EQ(Hex(out), Hex(c.cp932)) << Hex(c.utf16le);
  }
}

// A text that ends inside a character is read up to its last byte and not one
// byte past: the bytes end where readable memory does.
TEST(AppendAsCp932Test, ATextCutShortIsReadToItsEndOnly) {
  const std::string mark = "\x81\xac";
  struct Case { TextEncoding from; std::string bytes; std::string cp932; };
  const Case cases[] = {
      {TextEncoding::Utf8, "a\xc3", "a" + mark},
      {TextEncoding::Utf8, "a\xe3\x81", "a" + mark + mark},
      {TextEncoding::Utf8, "a\xf0\x9f\x98", "a" + mark + mark + mark},
      {TextEncoding::EucJp, "a\xa4", "a" + mark},
      {TextEncoding::EucJp, "a\x8e", "a" + mark},
      {TextEncoding::EucJp, "a\x8f\xa1", "a" + mark + mark},
      {TextEncoding::Iso2022Jp, "a\x1b$B\x30", "a" + mark},
      {TextEncoding::Utf16LE, std::string("\x3d\xd8" "A", 3), mark + mark},  // a high surrogate, then half a unit
      {TextEncoding::Utf16LE, std::string("A\0\x3d\xd8", 4), "A" + mark},
      {TextEncoding::Utf16BE, std::string("\xd8\x3d\0", 3), mark + mark},
  };
  for (const Case& c : cases) {
    const testing::GuardedBytes bytes(c.bytes);
    std::string out;
    AppendAsCp932(c.from, bytes.view(), out);
    EXPECT_EQ(Hex(out), Hex(c.cp932)) << NameOf(c.from) << " " << Hex(c.bytes);
  }
}

#if !defined(_WIN32)
// What iconv's `command` makes of the file `path`.
std::string Iconv(const std::string& command, const std::string& path) {
  std::string out;
  FILE* pipe = popen((command + " '" + path + "' 2>/dev/null").c_str(), "r");
  if (pipe == nullptr) return out;
  char block[4096];
  for (size_t n; (n = std::fread(block, 1, sizeof block, pipe)) > 0;) out.append(block, n);
  pclose(pipe);
  return out;
}

// Every character of the code page, written by iconv in each encoding that
// logs were converted to, reads back as iconv reads it back: the character
// itself, or its one form where the code page has two (NEC's and IBM's).
TEST(AppendAsCp932Test, EveryCharacterComesBackAsIconvBringsIt) {
  // Pair after pair, a kana and a space among them now and then.
  std::string all;
  unsigned k = 0;
  for (unsigned lead = 0x81; lead <= 0xFC; ++lead) {
    for (unsigned trail = 0x40; trail <= 0xFC; ++trail) {
      if (!IsCp932Pair(static_cast<unsigned char>(lead), static_cast<unsigned char>(trail))) continue;
      all += {static_cast<char>(lead), static_cast<char>(trail)};
      if (++k % 3 == 0) all += static_cast<char>(0xA1 + k % 63);
      if (k % 7 == 0) all += ' ';
    }
  }
  testing::TempDir dir;
  dir.Write("all", all);
  const struct {
    const char* charset;
    TextEncoding encoding;
  } cases[] = {{"EUC-JP-MS", TextEncoding::EucJp},       {"UTF-8", TextEncoding::Utf8},
               {"UTF-16LE", TextEncoding::Utf16LE},      {"UTF-16BE", TextEncoding::Utf16BE},
               {"ISO-2022-JP-3", TextEncoding::Iso2022Jp}, {"ISO-2022-JP", TextEncoding::Iso2022Jp}};
  for (const auto& c : cases) {
    // -c: ISO-2022-JP-3 has no place for some; they are left out.
    const std::string written = Iconv(std::string("iconv -c -f CP932 -t ") + c.charset, dir.Path("all"));
    dir.Write(c.charset, written);
    const std::string back = Iconv(std::string("iconv -f ") + c.charset + " -t CP932", dir.Path(c.charset));
    ASSERT_GT(back.size(), all.size() / 2) << c.charset;
    std::string ours;
    AppendAsCp932(c.encoding, written, ours);
    size_t same = 0;
    while (same < ours.size() && same < back.size() && ours[same] == back[same]) ++same;
    EXPECT_EQ(same, back.size()) << c.charset << ": ours " << Hex(ours.substr(same, 6)) << ", iconv's "
                                 << Hex(back.substr(same, 6)) << " after " << Hex(back.substr(same >= 6 ? same - 6 : 0, 6));
    EXPECT_EQ(ours.size(), back.size()) << c.charset;
  }
}
#endif

}  // namespace
}  // namespace zu
