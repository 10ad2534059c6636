// The core writes its fixed print texts as CP932 bytes; they must be what the
// text boundary makes of the texts they stand for.
#include <gtest/gtest.h>

#include "core/PrintLayout.h"
#include "text/Cp932.h"

namespace zu {
namespace {

TEST(FixedTextsTest, PrintLabelsAreTheirTextsInCp932) {
  struct Case { const char* bytes; const char16_t* text; };
  const Case cases[] = {
      {LabelNumber, u"*発言番号="},
      {LabelName, u"*発信者名="},
      {LabelID, u"*発信者ID="},
      {LabelTime, u"*発信時間="},
  };
  for (const Case& c : cases) {
    const QString text = QString::fromUtf16(c.text);
    std::string encoded;
    ASSERT_TRUE(ToCp932(text, encoded)) << text.toStdString();
    EXPECT_EQ(encoded, c.bytes) << text.toStdString();
    EXPECT_EQ(FromCp932(c.bytes), text);
  }
}

}  // namespace
}  // namespace zu
