#include "MailHeaders.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <chrono>
#include <cstdint>
#include <cstdio>

namespace zu::dump {

namespace {

// UTF-8 bytes per encoded-word: a multiple of three, so only the last word
// pads, and short enough that "X-Log-Date: " and one word stay within 78.
constexpr size_t kWordBytes = 39;
constexpr int kJapanHours = 9;

std::string Base64(std::string_view bytes) {
  static constexpr char kDigits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  for (size_t at = 0; at < bytes.size(); at += 3) {
    const size_t n = std::min<size_t>(3, bytes.size() - at);
    uint32_t group = 0;
    for (size_t k = 0; k < 3; ++k)
      group = group << 8 | (k < n ? static_cast<unsigned char>(bytes[at + k]) : 0u);
    for (size_t k = 0; k < 4; ++k) out += k <= n ? kDigits[(group >> (18 - 6 * k)) & 0x3F] : '=';
  }
  return out;
}

bool IsPrintableAscii(char c) { return c >= 0x20 && c <= 0x7E; }
bool IsContinuationByte(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

bool IsAtext(char c) {
  if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')) return true;
  return std::string_view("!#$%&'*+-/=?^_`{|}~").find(c) != std::string_view::npos;
}

// Text that every reader takes back unchanged without encoding: printable
// ASCII, words separated by single spaces, nothing that reads as an
// encoded-word.
bool IsPlain(std::string_view text, bool (*allowed)(char)) {
  if (text.find("=?") != std::string_view::npos) return false;
  if (!text.empty() && (text.front() == ' ' || text.back() == ' ')) return false;
  if (text.find("  ") != std::string_view::npos) return false;
  for (char c : text) {
    if (c != ' ' && !allowed(c)) return false;
  }
  return true;
}

bool IsPrintableNotSpace(char c) { return IsPrintableAscii(c) && c != ' '; }

std::string EncodedWords(std::string_view utf8) {
  std::string out;
  size_t at = 0;
  while (at < utf8.size()) {
    size_t end = std::min(utf8.size(), at + kWordBytes);
    while (end < utf8.size() && IsContinuationByte(utf8[end])) --end;  // whole characters only
    const std::string base64 = Base64(utf8.substr(at, end - at));
    if (!out.empty()) out += "\n ";  // folded: the space between two words is not text
    out += "=?UTF-8?B?" + base64 + "?=";
    at = end;
  }
  return out;
}

// Printable ASCII that a quoted string keeps as it is, spaces included.
bool IsQuotable(std::string_view text) {
  return text.find("=?") == std::string_view::npos &&
         std::all_of(text.begin(), text.end(), IsPrintableAscii);
}

std::string QuotedString(std::string_view text) {
  std::string out = "\"";
  for (char c : text) {
    if (c == '"' || c == '\\') out += '\\';
    out += c;
  }
  return out + "\"";
}

bool ReadNumber(std::string_view text, size_t minDigits, size_t maxDigits, int& value) {
  if (text.size() < minDigits || text.size() > maxDigits) return false;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
  }
  return std::from_chars(text.data(), text.data() + text.size(), value).ec == std::errc();
}

// Splits `text` at every `separator` into `parts`; false when the count differs.
template <size_t N>
bool SplitExactly(std::string_view text, char separator, std::array<std::string_view, N>& parts) {
  size_t count = 0;
  for (;;) {
    const size_t end = text.find(separator);
    if (count == N) return false;
    parts[count++] = text.substr(0, end);
    if (end == std::string_view::npos) break;
    text.remove_prefix(end + 1);
  }
  return count == N;
}

bool ReadDate(std::string_view date, LogTime& t) {
  std::array<std::string_view, 3> p;
  if (!SplitExactly(date, '/', p)) return false;
  if (p[0].size() != 2 && p[0].size() != 4) return false;
  if (!ReadNumber(p[0], 2, 4, t.year) || !ReadNumber(p[1], 1, 2, t.month) ||
      !ReadNumber(p[2], 1, 2, t.day)) {
    return false;
  }
  if (p[0].size() == 2) t.year += t.year >= 69 ? 1900 : 2000;
  if (t.year < 1900) return false;  // RFC 5322 knows no earlier year
  using namespace std::chrono;
  return year_month_day{year{t.year}, month{static_cast<unsigned>(t.month)},
                        day{static_cast<unsigned>(t.day)}}.ok();
}

bool ReadTime(std::string_view time, LogTime& t) {
  std::array<std::string_view, 3> hms;
  std::array<std::string_view, 2> hm;
  t.second = 0;
  if (SplitExactly(time, ':', hms)) {
    if (!ReadNumber(hms[2], 2, 2, t.second)) return false;
    hm = {hms[0], hms[1]};
  } else if (!SplitExactly(time, ':', hm)) {
    return false;
  }
  return ReadNumber(hm[0], 1, 2, t.hour) && ReadNumber(hm[1], 2, 2, t.minute) && t.hour <= 23 &&
         t.minute <= 59 && t.second <= 59;
}

const char* const kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                               "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

std::chrono::sys_days DaysOf(const LogTime& t) {
  using namespace std::chrono;
  return sys_days{year{t.year} / month{static_cast<unsigned>(t.month)} / day{static_cast<unsigned>(t.day)}};
}

}  // namespace

std::string UnstructuredValue(std::string_view utf8) {
  return IsPlain(utf8, IsPrintableNotSpace) ? std::string(utf8) : EncodedWords(utf8);
}

std::string Mailbox(std::string_view nameUtf8, const std::string& address) {
  if (nameUtf8.empty()) return address;
  std::string phrase;
  if (IsPlain(nameUtf8, IsAtext)) phrase = nameUtf8;
  else if (IsQuotable(nameUtf8)) phrase = QuotedString(nameUtf8);
  else phrase = EncodedWords(nameUtf8);
  return phrase + " <" + address + ">";
}

std::string SenderAddress(std::string_view senderIdUtf8) {
  std::string local;
  for (char c : senderIdUtf8) {
    const bool keep = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                      c == '-' || c == '_';
    if (keep) {
      local += c;
      continue;
    }
    char hex[4];
    std::snprintf(hex, sizeof hex, "=%02X", static_cast<unsigned char>(c));
    local += hex;
  }
  if (local.empty()) local.push_back('=');  // an ID is never empty; an address must have a local part
  return local + "@" + MailDomain;
}

bool ReadLogTime(std::string_view date, std::string_view time, LogTime& out) {
  LogTime t;
  if (!ReadDate(date, t) || !ReadTime(time, t)) return false;
  out = t;
  return true;
}

std::string MailDate(const LogTime& t) {
  const unsigned weekday = std::chrono::weekday{DaysOf(t)}.c_encoding();
  char text[64];
  std::snprintf(text, sizeof text, "%s, %d %s %04d %02d:%02d:%02d +0900", kDays[weekday], t.day,
                kMonths[t.month - 1], t.year, t.hour, t.minute, t.second);
  return text;
}

std::string EnvelopeDate(const LogTime& t) {
  using namespace std::chrono;
  const sys_seconds japan = DaysOf(t) + hours{t.hour} + minutes{t.minute} + seconds{t.second};
  const sys_seconds utc = japan - hours{kJapanHours};
  const sys_days days = floor<std::chrono::days>(utc);
  const year_month_day ymd{days};
  const hh_mm_ss clock{utc - days};
  char text[64];
  std::snprintf(text, sizeof text, "%s %s %2u %02d:%02d:%02d %04d",
                kDays[weekday{days}.c_encoding()], kMonths[static_cast<unsigned>(ymd.month()) - 1],
                static_cast<unsigned>(ymd.day()), static_cast<int>(clock.hours().count()),
                static_cast<int>(clock.minutes().count()), static_cast<int>(clock.seconds().count()),
                static_cast<int>(ymd.year()));
  return text;
}

}  // namespace zu::dump
