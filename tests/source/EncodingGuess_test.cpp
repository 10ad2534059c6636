// nkf's guess where its three readers all refuse a byte: none stands until
// an ASCII byte starts them all again. Each answer is nkf --guess's own.
#include <gtest/gtest.h>

#include <string>

#include "source/EncodingGuess.h"

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

}  // namespace
}  // namespace zu
