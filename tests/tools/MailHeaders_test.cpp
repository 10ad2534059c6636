// The mbox export's headers: dates read from the logs' fields, the envelope
// date in UTC, texts that must come back whole, and the headers a mail has or
// has not. One table per rule.
#include "export/MailHeaders.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "export/Export.h"
#include "tools/ExportChecks.h"

namespace zu::dump {
namespace {

TEST(MailHeadersTest, DatesInJapanTimeAndTheEnvelopeInUtc) {
  struct Case {
    const char* date;
    const char* time;
    const char* mail;      // "" when the date cannot be read
    const char* envelope;
  };
  const Case cases[] = {
      {"96/05/17", "21:05", "Fri, 17 May 1996 21:05:00 +0900", "Fri May 17 12:05:00 1996"},
      {"96/05/01", "00:30", "Wed, 1 May 1996 00:30:00 +0900", "Tue Apr 30 15:30:00 1996"},  // the day before in UTC
      {"00/01/01", "08:59:59", "Sat, 1 Jan 2000 08:59:59 +0900", "Fri Dec 31 23:59:59 1999"},
      {"96/05/17", "21:05:30", "Fri, 17 May 1996 21:05:30 +0900", "Fri May 17 12:05:30 1996"},
      {"69/12/31", "9:00", "Wed, 31 Dec 1969 09:00:00 +0900", "Wed Dec 31 00:00:00 1969"},
      {"68/02/29", "12:00", "Wed, 29 Feb 2068 12:00:00 +0900", "Wed Feb 29 03:00:00 2068"},
      {"1996/02/29", "23:59", "Thu, 29 Feb 1996 23:59:00 +0900", "Thu Feb 29 14:59:00 1996"},
      {"97/02/29", "12:00", "", ""},  // no such day
      {"96/13/01", "12:00", "", ""},
      {"96/05/17", "24:00", "", ""},
      {"96/05/17", "21:5", "", ""},  // minutes take two digits
      {"96/05/17", "21:05:5", "", ""},  // and seconds, when given
      {"96/05/17", "21:05:059", "", ""},
      {"096/05/17", "21:05", "", ""},
      {"96-05-17", "21:05", "", ""},
      {"", "", "", ""},
  };
  for (const Case& c : cases) {
    LogTime t;
    const bool read = ReadLogTime(c.date, c.time, t);
    EXPECT_EQ(read, *c.mail != '\0') << c.date << " " << c.time;
    if (!read) continue;
    EXPECT_EQ(MailDate(t), c.mail) << c.date << " " << c.time;
    EXPECT_EQ(EnvelopeDate(t), c.envelope) << c.date << " " << c.time;
  }
}

// A header value gives back every character: spaces at either end and runs
// of them included, and text that looks like an encoded-word.
TEST(MailHeadersTest, UnstructuredValuesGiveTheTextBack) {
  struct Case {
    std::string text;
    bool plain;  // written as it is
  };
  const Case cases[] = {
      {"Re: modem settings", true},
      {"title ending in a space ", false},
      {" leading space", false},
      {"two  spaces", false},
      {"=?UTF-8?B?QQ==?=", false},
      {"モデムの設定について、もう一度お尋ねします。長いタイトル", false},
      {"", true},
  };
  for (const Case& c : cases) {
    const std::string value = UnstructuredValue(c.text);
    EXPECT_EQ(value == c.text, c.plain) << c.text;
    std::string back;
    ASSERT_TRUE(testing::ReadHeaderValue(value, back)) << value;
    EXPECT_EQ(back, c.text) << value;
    EXPECT_TRUE(testing::FoldedAscii(value)) << value;
  }
}

TEST(MailHeadersTest, MailboxesAndAddresses) {
  struct Case {
    std::string name;
    std::string id;
    const char* mailbox;
  };
  const Case cases[] = {
      {"SAMPLE", "ABCD1234", "SAMPLE <ABCD1234@zu-kirdo.invalid>"},
      {"SAMPLE USER", "PXA01234", "SAMPLE USER <PXA01234@zu-kirdo.invalid>"},
      {"A. User", "AB.D1234", "\"A. User\" <AB=2ED1234@zu-kirdo.invalid>"},
      {"", "ABCD1234", "ABCD1234@zu-kirdo.invalid"},
      {"", "AZaz09-_", "AZaz09-_@zu-kirdo.invalid"},  // the ends of each range kept
      {"AZaz09!~", "A", "AZaz09!~ <A@zu-kirdo.invalid>"},  // a name of atext alone, from its ranges' ends
      {"say \"hi\"", "a b", "\"say \\\"hi\\\"\" <a=20b@zu-kirdo.invalid>"},
  };
  for (const Case& c : cases) EXPECT_EQ(Mailbox(c.name, SenderAddress(c.id)), c.mailbox) << c.name;
}

}  // namespace
}  // namespace zu::dump
