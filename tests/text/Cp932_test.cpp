#include "text/Cp932.h"

#include <gtest/gtest.h>

#include <QStringDecoder>
#include <QStringEncoder>
#include <string>
#include <vector>

#include "support/Hex.h"
#include "text/Cp932Codec.h"

namespace zu {
namespace {

using namespace std::string_literals;

std::u16string Decode(const std::string& bytes) { return FromCp932(bytes).toStdU16String(); }

using testing::Hex;

TEST(FromCp932Test, DecodesCodePage932) {
  struct Case { std::string bytes; std::u16string text; };
  const Case cases[] = {
      {"", u""},
      {"abc", u"abc"},
      {"\x5c", u"\\"},                    // a backslash, not a yen sign
      {"\x7e", u"~"},                     // a tilde, not an overline
      {"\x1a\x1c\x7f", u"\x1a\x1c\x7f"},  // control bytes are themselves, never swapped
      {"x\0y"s, u"x\0y"s},
      {"\x82\xa0\x82\xa2", u"あい"},
      {"\x95\x5c\x8e\xa6", u"表示"},       // 0x5C as a trail byte belongs to its character
      {"\xb1\xdf", u"ｱﾟ"},
      {"\xa1\xdf", u"\uff61\uff9f"},      // the ends of the half-width katakana
      {"\x87\x40\x87\x90", u"①≒"},        // NEC specials
      {"\xed\x40\xfa\x40\xfa\x5c", u"纊ⅰ纊"},  // NEC selected and IBM extensions
      {"\x81\x60\x81\x7c\x81\xca", u"～－￢"},    // the code page's own choices, not JIS's
      {"\xf0\x40", u"\ue000"},            // user-defined area to private use
      {"\x82", u"\ufffd"},                // a lead byte cut off at the end
      {"a\x82", u"a\ufffd"},
      {"a\x80" "b", u"a\ufffd" "b"},
      {"\xa0\xfd\xfe\xff", u"\ufffd\ufffd\ufffd\ufffd"},
      {"\x82\x20z", u"\ufffd z"},         // invalid trail byte: kept and read on its own
      {"\x82\x7f", u"\ufffd\x7f"},
      {"\x82\xa0\x85\x40\x82\xa2", u"あ\ufffdい"},  // an unassigned pair
      {"\x85\x85\xa0", u"\ufffd\ufffd"},  // an unassigned pair, then a stray 0xA0
      {"\t\x95\x5c\\\xb1\x82", u"\t表\\ｱ\ufffd"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Decode(c.bytes), c.text) << Hex(c.bytes);
    EXPECT_EQ(DecodedLength(c.bytes), static_cast<qsizetype>(c.text.size())) << Hex(c.bytes);
  }
}

TEST(FromCp932Test, MapsTheExtensionsAndNeverGivesTheSubstituteByte) {
  int assigned = 0;
  for (int lead = 0x81; lead <= 0xfc; ++lead) {
    if (lead > 0x9f && lead < 0xe0) continue;
    for (int trail = 0x40; trail <= 0xfc; ++trail) {
      if (trail == 0x7f) continue;
      const std::string pair{static_cast<char>(lead), static_cast<char>(trail)};
      const std::u16string text = Decode(pair);
      ASSERT_EQ(text.size(), 1u) << Hex(pair);
      EXPECT_EQ(DecodedLength(pair), 1) << Hex(pair);
      EXPECT_NE(text[0], u'\x1a') << Hex(pair);
      if (text[0] != u'\ufffd') ++assigned;
      // NEC specials in row 13 and the IBM extensions at 0xFA40..0xFC4B.
      const int code = lead << 8 | trail;
      const bool nec = (code >= 0x8740 && code <= 0x875d) || (code >= 0x875f && code <= 0x8775) ||
                       (code >= 0x877e && code <= 0x879c);
      const bool ibm = code >= 0xfa40 && code <= 0xfc4b;
      if (nec || ibm) {
        EXPECT_NE(text[0], u'\ufffd') << Hex(pair);
      }
    }
  }
  EXPECT_GE(assigned, 7000);  // JIS X 0208 alone holds 6879 characters
}

// The conversion's table is taken from ICU at build time; it must read and
// write every character as Qt's ICU codec does, the codec's substitute for an
// unassigned pair (0x1A) being U+FFFD here.
TEST(Cp932TableTest, AgreesWithQtsIcuCodecOnEveryPairAndCharacter) {
  for (int lead = 0x81; lead <= 0xfc; ++lead) {
    if (lead > 0x9f && lead < 0xe0) continue;
    for (int trail = 0x40; trail <= 0xfc; ++trail) {
      if (trail == 0x7f) continue;
      const std::string pair{static_cast<char>(lead), static_cast<char>(trail)};
      QStringDecoder decoder("Shift_JIS", QStringDecoder::Flag::Stateless);
      const QString icu = decoder.decode(QByteArrayView(pair.data(), 2));
      const char16_t expected = icu.size() == 1 && icu.at(0) != u'\x1a' ? icu.at(0).unicode() : u'\ufffd';
      EXPECT_EQ(DecodeCp932(pair), std::u16string(1, expected)) << Hex(pair);
    }
  }
  int encoded = 0;
  int jisForms = 0;
  for (char32_t c = 0x80; c <= 0xffff; ++c) {
    if (c >= 0xd800 && c <= 0xdfff) continue;
    const std::u16string text(1, static_cast<char16_t>(c));
    QStringEncoder encoder("Shift_JIS", QStringEncoder::Flag::Stateless);
    const QByteArray icu = encoder.encode(QStringView(text.data(), 1));
    // ICU also writes near look-alikes (fallbacks); only a form that reads
    // back as the same character counts.
    const std::string icuBytes = icu.toStdString();
    const bool icuHas = !encoder.hasError() && DecodeCp932(icuBytes) == text;
    std::string ours;
    if (!EncodeCp932(text, ours)) {
      EXPECT_FALSE(icuHas) << "U+" << std::hex << static_cast<int>(c);
      continue;
    }
    ++encoded;
    if (icuHas) {
      EXPECT_EQ(ours, icuBytes) << "U+" << std::hex << static_cast<int>(c);
      continue;
    }
    // A JIS form (wave dash, minus, ...): written as the code page's own
    // character for the same glyph.
    ++jisForms;
    const std::u16string own = DecodeCp932(ours);
    QStringEncoder again("Shift_JIS", QStringEncoder::Flag::Stateless);
    const QByteArray ownBytes = again.encode(QStringView(own.data(), static_cast<qsizetype>(own.size())));
    EXPECT_EQ(ours, ownBytes.toStdString()) << "U+" << std::hex << static_cast<int>(c);
  }
  EXPECT_GE(encoded, 7000);
  EXPECT_EQ(jisForms, 7);
}

TEST(ToCp932Test, EncodesOrRefuses) {
  struct Case { std::u16string text; bool ok; std::string bytes; };
  const Case cases[] = {
      {u"", true, ""},
      {u"abc\\~\t", true, "abc\\~\t"},
      {u"\x1a\x1c\x7f", true, "\x1a\x1c\x7f"},
      {u"表示", true, "\x95\x5c\x8e\xa6"},
      {u"あ", true, "\x82\xa0"},
      {u"ｱﾟ", true, "\xb1\xdf"},
      {u"①", true, "\x87\x40"},
      {u"ⅰ", true, "\xfa\x40"},
      {u"～", true, "\x81\x60"},
      {u"\ue000", true, "\xf0\x40"},
      {u"é", false, ""},
      {u"a😀b", false, ""},
      {u"¥", false, ""},        // only a look-alike of 0x5C
      {u"−", true, "\x81\x7c"},   // U+2212, the JIS minus sign
      {u"〜‖¢£¬—", true, "\x81\x60\x81\x61\x81\x91\x81\x92\x81\xca\x81\x5c"},
      {u"\ufffd", false, ""},
      {u"a\xd800", false, ""},  // a lone surrogate
  };
  for (const Case& c : cases) {
    std::string out = "junk";
    const QString text = QString::fromStdU16String(c.text);
    EXPECT_EQ(ToCp932(text, out), c.ok) << text.toStdString();
    if (c.ok) {
      EXPECT_EQ(out, c.bytes) << text.toStdString();
    }
  }
}

// Every single byte character comes back as the same byte; every pair comes
// back as the same character (the code page has duplicates, so not always as
// the same bytes).
TEST(Cp932RoundTripTest, DecodedTextEncodesBack) {
  for (int b = 0; b < 0x100; ++b) {
    const std::string byte(1, static_cast<char>(b));
    const QString text = FromCp932(byte);
    if (text == QString(QChar(0xfffd))) continue;
    std::string out;
    ASSERT_TRUE(ToCp932(text, out)) << Hex(byte);
    EXPECT_EQ(out, byte);
  }
  for (int lead = 0x81; lead <= 0xfc; ++lead) {
    if (lead > 0x9f && lead < 0xe0) continue;
    for (int trail = 0x40; trail <= 0xfc; ++trail) {
      const std::string pair{static_cast<char>(lead), static_cast<char>(trail)};
      const QString text = FromCp932(pair);
      if (text.contains(QChar(0xfffd))) continue;
      std::string out;
      ASSERT_TRUE(ToCp932(text, out)) << Hex(pair);
      EXPECT_EQ(FromCp932(out), text) << Hex(pair);
    }
  }
}

// The dump tool writes UTF-8 straight from the bytes; it must say what the
// windows show.
TEST(Cp932ToUtf8Test, SaysWhatTheWindowsShow) {
  std::vector<std::string> texts = {"", "plain ASCII", "\x1a\x1c\x7f", "x\0y"s, "\xa0\xfd\xfe\xff",
                                    "\x82", "a\x82", "\x82\x20z", "\xb1\xdf\xa1", "\x95\x5c\\"};
  for (int b = 0; b < 0x100; ++b) texts.emplace_back(1, static_cast<char>(b));
  for (int lead = 0x81; lead <= 0xfc; ++lead) {
    for (int trail = 0x3f; trail <= 0xfd; ++trail) texts.push_back({static_cast<char>(lead), static_cast<char>(trail)});
  }
  // ASCII goes eight bytes at a time: runs of every length up to two steps
  // around a pair, a stray byte and a lead byte at the end.
  for (size_t run = 0; run <= 17; ++run) {
    const std::string ascii(run, 'a');
    texts.push_back(ascii + "\x82\xa0" + ascii + "\xa0" + ascii + "\x82");
  }
  for (const std::string& bytes : texts) {
    ASSERT_EQ(Cp932ToUtf8(bytes), FromCp932(bytes).toStdString()) << Hex(bytes);
    std::string appended = "kept ";
    AppendCp932AsUtf8(bytes, appended);
    ASSERT_EQ(appended, "kept " + Cp932ToUtf8(bytes)) << Hex(bytes);
  }
}

}  // namespace
}  // namespace zu
