// Header texts of the mails that `zu_kirdo_dump export --format mbox`
// writes: values encoded so that any mail reader gets the log's text back,
// the sender's address, and the date read from the logs' date and time.
#pragma once

#include <string>
#include <string_view>

namespace zu::dump {

// The domain of every address and Message-ID: ".invalid" is reserved
// (RFC 2606), so nothing made up here can reach or name a real host.
inline constexpr const char* MailDomain = "zu-kirdo.invalid";

// An unstructured header value (Subject, X-...): the text itself when it is
// plain printable ASCII, else RFC 2047 encoded-words (UTF-8, base64), folded
// one word a line, which give back every character, spaces included.
std::string UnstructuredValue(std::string_view utf8);

// "name <address>", the name as a phrase, a quoted string or encoded-words;
// the bare address when the name is empty.
std::string Mailbox(std::string_view nameUtf8, const std::string& address);

// The sender ID as an address in MailDomain: letters, digits, '-' and '_'
// kept, every other byte written "=XX", so that distinct IDs stay distinct.
std::string SenderAddress(std::string_view senderIdUtf8);

// A moment read from a log's date and time fields, in Japan time.
struct LogTime {
  int year = 0;
  int month = 0;
  int day = 0;
  int hour = 0;
  int minute = 0;
  int second = 0;
};

// Reads the date "YY/MM/DD" or "YYYY/MM/DD" and the time "HH:MM" or
// "HH:MM:SS". A two-digit year is read as POSIX strptime's %y reads it:
// 69-99 are 1969-1999, 00-68 are 2000-2068. False for anything else or for a
// day that does not exist.
bool ReadLogTime(std::string_view date, std::string_view time, LogTime& out);

// RFC 5322 date in Japan time: "Fri, 17 May 1996 21:05:00 +0900".
std::string MailDate(const LogTime& t);
// The date of an mbox "From " line: the same moment in UTC, asctime style
// ("Fri May 17 12:05:00 1996").
std::string EnvelopeDate(const LogTime& t);
// The envelope date of a mail whose date cannot be read.
inline constexpr const char* UnknownEnvelopeDate = "Thu Jan  1 00:00:00 1970";

}  // namespace zu::dump
