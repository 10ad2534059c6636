// The core writes its fixed print texts as CP932 bytes; they must be what the
// text boundary makes of the texts they stand for. Every other fixed text is
// one the code page can hold, as the system's own texts always were.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/Messages.h"
#include "core/PrintLayout.h"
#include "text/Cp932.h"

namespace zu {
namespace {

TEST(FixedTextsTest, PrintLabelsAreTheirTextsInCp932) {
  struct Case { std::string bytes; const char16_t* text; };
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

TEST(FixedTextsTest, FieldCaptionsHaveTheSameTextInBothForms) {
  for (const FixedText& t : {caption::Number, caption::SenderName, caption::SenderID,
                             caption::DateTime, caption::Time}) {
    EXPECT_EQ(FromCp932(t.cp932), QString::fromUtf8(t.utf8)) << t.utf8;
  }
}

TEST(FixedTextsTest, EveryMessageAndCaptionHasACp932Form) {
  std::vector<const char*> texts = {ApplicationTitle, HelpFileName, WarningCaption, OpenDialogTitle};
  for (int m = 0; m <= static_cast<int>(Message::TreeTooDeep); ++m) {  // the last one
    texts.push_back(MessageText(static_cast<Message>(m)));
  }
  for (const char* text : texts) {
    std::string encoded;
    EXPECT_FALSE(std::string(text).empty());
    EXPECT_TRUE(ToCp932(QString::fromUtf8(text), encoded)) << text;
  }
}

}  // namespace
}  // namespace zu
