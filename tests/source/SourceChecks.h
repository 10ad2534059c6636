// What the fuzz targets of the converting source check, shared with the
// replay of their kept inputs: arbitrary bytes read as every encoding, and
// as an archive in memory, keep the source's promises or say which broke.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "reader/zuLogFile.h"
#include "source/EncodingGuess.h"
#include "source/LogSource.h"
#include "support/MemorySource.h"

namespace zu::testing {

// Converting into a buffer gives what converting into a string gives:
// where the bytes stand, in a buffer they fill, one the text grown fills
// exactly and a roomier one, into another buffer, of room enough and one
// byte short, and a string where it stands, however it grows.
inline std::string CheckIntoBuffer(TextEncoding e, std::string_view bytes, const std::string& converted) {
  struct Way {
    bool inPlace;
    size_t capacity;
  };
  const size_t exact = converted.size();
  for (const Way way : {Way{true, bytes.size()}, Way{true, std::max(exact, bytes.size())},
                        Way{true, 2 * bytes.size() + 2}, Way{false, exact}, Way{false, exact > 0 ? exact - 1 : 0}}) {
    constexpr char kPast = '\x7F';  // the byte just past the room given, which stays as it is
    std::string buffer(bytes);
    buffer.resize(std::max(way.capacity, bytes.size()));
    buffer.push_back(kPast);
    std::string other(way.capacity, '\0');
    other.push_back(kPast);
    char* const out = way.inPlace ? buffer.data() : other.data();
    const size_t length = ConvertToCp932(e, buffer.data(), bytes.size(), out, way.capacity);
    const std::string where = std::string(way.inPlace ? " in place" : " into another buffer") + " from " + NameOf(e);
    if (out[way.capacity] != kPast) return "a byte written past the room" + where;
    if (length != exact) return "another length" + where;
    if (length <= way.capacity && std::string_view(out, length) != converted) return "other bytes" + where;
  }
  std::string text(bytes);
  ConvertToCp932(e, text);
  if (text != converted) return std::string("another text converted where it stands from ") + NameOf(e);
  return {};
}

// Every encoding's conversion gives whole CP932 characters, CP932 itself
// the bytes unchanged, in a string as in place; the guess and the line ends
// are found without fault.
inline std::string CheckText(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const TextEncoding guessed = GuessEncoding(bytes);
  LineEndsOf(bytes);
  for (const TextEncoding e : {TextEncoding::Cp932, TextEncoding::EucJp, TextEncoding::Iso2022Jp,
                               TextEncoding::Utf8, TextEncoding::Utf16LE, TextEncoding::Utf16BE}) {
    std::string out;
    AppendAsCp932(e, bytes, out);
    if (e == TextEncoding::Cp932 && out != bytes) return "CP932 changed";
    if (e != TextEncoding::Cp932 && !IsValidIn(TextEncoding::Cp932, out)) return std::string("no CP932 from ") + NameOf(e);
    if (std::string broken = CheckIntoBuffer(e, bytes, out); !broken.empty()) return broken;
  }
  // Without header pairs to go by, only an encoding the whole text is valid
  // in is taken over CP932.
  if (guessed == TextEncoding::EucJp && bytes.find_first_of("\r\n") == std::string_view::npos && !IsValidIn(guessed, bytes)) {
    return "guessed EUC-JP for text that is no EUC-JP";
  }
  return {};
}

// The bytes as a chosen file: split into members, each opened by a reader;
// every member is named under the archive, and nothing read exceeds the limits.
inline std::string CheckArchive(const uint8_t* data, size_t size, MemorySource& files, zuLogFile& reader) {
  files.Put("a", std::string_view(reinterpret_cast<const char*>(data), size));
  LogSource source(files);
  reader.UseSource(source);
  std::vector<SourceMember> members;
  const bool archive = source.MembersOf("a", members);
  std::string broken;
  for (const SourceMember& m : members) {
    if (m.name != "a" && m.name.rfind("a!/", 0) != 0) broken = "a member named outside its archive";
    if (m.readable && reader.Open(m.name) && reader.DataLength() > BufferSize) broken = "a member over the limit";
  }
  if (!archive && reader.Open("a") && reader.DataLength() > BufferSize) broken = "a file over the limit";
  source.Describe("a");
  reader.UseSource(files);
  return broken;
}

}  // namespace zu::testing
