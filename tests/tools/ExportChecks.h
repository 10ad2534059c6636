// The export's and the people mode's text rules driven by arbitrary bytes,
// taken as a text from a log (CP932) and as a file name: what people see
// holds no control but TAB and LF, an HTML page's text holds no markup and
// gives the same text back, a mail header holds printable ASCII folded only
// between encoded-words and gives the log's text back, and a sender address
// names every ID apart. Shared by the fuzz target and the replay test.
#pragma once

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

#include "DumpOutput.h"
#include "export/Export.h"
#include "export/MailHeaders.h"
#include "text/Cp932Codec.h"

namespace zu::testing {

// The offset of the first control byte in `text` (C0 but TAB and LF, DEL, or
// a C1 control in UTF-8), or npos. Bytes in `allowed` are let through.
inline size_t FirstControl(std::string_view text, std::string_view allowed = "") {
  for (size_t at = 0; at < text.size(); ++at) {
    const auto b = static_cast<unsigned char>(text[at]);
    if (allowed.find(text[at]) != std::string_view::npos || b == '\t' || b == '\n') continue;
    if (b < 0x20 || b == 0x7F) return at;
    if (b == 0xC2 && at + 1 < text.size() && (static_cast<unsigned char>(text[at + 1]) & 0xE0) == 0x80) return at;
  }
  return std::string_view::npos;
}

// Printable ASCII, with an LF only where a space follows (folding).
inline bool FoldedAscii(std::string_view text) {
  for (size_t at = 0; at < text.size(); ++at) {
    if (text[at] == '\n' ? at + 1 == text.size() || text[at + 1] != ' ' : text[at] < 0x20 || text[at] > 0x7E) {
      return false;
    }
  }
  return true;
}

// A header value as a mail reader takes it: printable ASCII, lines folded
// by "\n " only between encoded-words "=?UTF-8?B?...?=", whose decoded bytes
// join into the text. False for anything else.
inline bool ReadHeaderValue(std::string_view value, std::string& text) {
  static constexpr std::string_view kDigits = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  if (!FoldedAscii(value)) return false;
  if (value.find("=?") == std::string_view::npos) {
    text = value;
    return value.find('\n') == std::string_view::npos;
  }
  text.clear();
  for (size_t at = 0; at <= value.size();) {
    const size_t end = std::min(value.find("\n ", at), value.size());
    std::string_view word = value.substr(at, end - at);
    if (!word.starts_with("=?UTF-8?B?") || !word.ends_with("?=") || word.size() % 4 != 0) return false;
    word = word.substr(10, word.size() - 12);
    for (size_t k = 0; k < word.size(); k += 4) {
      uint32_t group = 0;
      int pads = 0;
      for (size_t j = k; j < k + 4; ++j) {
        const size_t digit = kDigits.find(word[j]);
        if (word[j] == '=') ++pads;
        else if (digit == std::string_view::npos || pads > 0) return false;
        group = group << 6 | static_cast<uint32_t>(digit == std::string_view::npos ? 0 : digit);
      }
      for (int b = 0; b < 3 - pads; ++b) text += static_cast<char>((group >> (16 - 8 * b)) & 0xFF);
    }
    at = end + 2;
  }
  return true;
}

// An HTML text with its five references taken back; false for any other "&".
inline bool ReadHtmlText(std::string_view html, std::string& text) {
  static constexpr std::pair<std::string_view, char> kReferences[] = {
      {"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}, {"&quot;", '"'}, {"&#39;", '\''}};
  text.clear();
  for (size_t at = 0; at < html.size(); ++at) {
    if (html[at] != '&') {
      text += html[at];
      continue;
    }
    bool known = false;
    for (const auto& [reference, c] : kReferences) {
      if (!html.substr(at).starts_with(reference)) continue;
      text += c;
      at += reference.size() - 1;
      known = true;
    }
    if (!known) return false;
  }
  return true;
}

// The sender ID that an address in the mails' domain names: letters, digits,
// "-" and "_" as they are, "=XX" for any other byte; "=" alone for none.
inline bool ReadAddress(std::string_view address, std::string& id) {
  const size_t at = address.find('@');
  if (at == std::string_view::npos || address.substr(at + 1) != dump::MailDomain) return false;
  std::string_view local = address.substr(0, at);
  id.clear();
  if (local == "=") return true;
  while (!local.empty()) {
    const char c = local.front();
    if (c != '=') {
      if (!std::isalnum(static_cast<unsigned char>(c)) && c != '-' && c != '_') return false;
      id += c;
      local.remove_prefix(1);
      continue;
    }
    unsigned value = 0;
    if (local.size() < 3 || std::from_chars(local.data() + 1, local.data() + 3, value, 16).ptr != local.data() + 3) {
      return false;
    }
    id += static_cast<char>(value);
    local.remove_prefix(3);
  }
  return true;
}

// What broke for `bytes`, or "".
inline std::string ExportTextBroken(std::string_view bytes) {
  const std::string utf8 = dump::ToUtf8(bytes);
  const std::string people = dump::ForPeople(bytes);
  if (FirstControl(people) != std::string::npos || !IsUtf8(people)) return "people text: " + people;
  const std::string path = dump::PathForPeople(bytes);
  if (FirstControl(path, "") != std::string::npos || path.find('\n') != std::string::npos || !IsUtf8(path)) {
    return "a path for people: " + path;
  }
  std::string html;
  dump::AppendHtmlText(html, utf8);
  std::string back;
  if (html.find_first_of("<>\"'") != std::string::npos || !ReadHtmlText(html, back) || back != people) {
    return "HTML text: " + html;
  }
  if (!ReadHeaderValue(dump::UnstructuredValue(utf8), back) || back != utf8) {
    return "header value: " + dump::UnstructuredValue(utf8);
  }
  const std::string mailbox = dump::Mailbox(utf8, "id@x.invalid");
  if (!FoldedAscii(mailbox) || !mailbox.ends_with(utf8.empty() ? "id@x.invalid" : " <id@x.invalid>")) {
    return "mailbox: " + mailbox;
  }
  const std::string address = dump::SenderAddress(utf8);
  if (!ReadAddress(address, back) || back != utf8) return "sender address: " + address;
  return "";
}

}  // namespace zu::testing
