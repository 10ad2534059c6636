#include "text/Cp932Codec.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>

#include "reader/ShiftJis.h"
#include "text/CodePageForms.h"

namespace zu {

namespace {

struct Encoding {
  char16_t unit;
  uint16_t bytes;  // one byte, or lead << 8 | trail
};

// ICU's code page 932 table, taken at build time (make_cp932_tables).
#include "Cp932Tables.inc"

constexpr char16_t kReplacement = u'\uFFFD';
constexpr uint64_t kHighBits = 0x8080808080808080u;

bool IsTrailByte(unsigned char b) { return b >= 0x40 && b <= 0xFC && b != 0x7F; }
bool IsHalfWidthKana(unsigned char b) { return b >= 0xA1 && b <= 0xDF; }

unsigned char ByteAt(std::string_view bytes, size_t at) { return static_cast<unsigned char>(bytes[at]); }

constexpr int kLeads1 = LeadBytes1To - LeadBytes1From + 1;
constexpr int kLeads = kLeads1 + (LeadBytes2To - LeadBytes2From + 1);
constexpr int kTrails = 0xFC - 0x40 + 1;

// The table's row of a lead byte: the first range, then the second.
int LeadIndex(unsigned char lead) {
  return lead <= LeadBytes1To ? lead - LeadBytes1From : lead - LeadBytes2From + kLeads1;
}

static_assert(std::size(kPairUnits) == kLeads * kTrails);

// The table entry of the double-byte character at `at`, or -1 when no lead
// byte with a trail byte after it stands there. The entry is U+FFFD for a
// pair the code page leaves unassigned.
int PairAt(std::string_view bytes, size_t at) {
  const unsigned char lead = ByteAt(bytes, at);
  if (!IsLeadByte(static_cast<char>(lead)) || at + 1 >= bytes.size()) return -1;
  const unsigned char trail = ByteAt(bytes, at + 1);
  return IsTrailByte(trail) ? LeadIndex(lead) * kTrails + (trail - 0x40) : -1;
}

char16_t SingleByte(unsigned char b) {
  return b < 0x80 ? char16_t(b) : char16_t(0xFF61 + (b - 0xA1));  // else half-width katakana
}

// Decodes the character at `at` (< bytes.size()) into `unit`; gives where
// the next one starts. Single bytes are mapped here (ICU would swap the
// control bytes 0x1A, 0x1C and 0x7F, as IBM code pages do; code page 932
// keeps them), pairs through the table. A stray byte, or a lead byte without
// a trail byte after it, gives U+FFFD by itself, and what follows it is read
// again.
size_t DecodeAt(std::string_view bytes, size_t at, char16_t& unit) {
  const unsigned char b = ByteAt(bytes, at);
  if (b < 0x80 || IsHalfWidthKana(b)) {
    unit = SingleByte(b);
    return at + 1;
  }
  if (const int pair = PairAt(bytes, at); pair >= 0) {
    unit = kPairUnits[pair];
    return at + 2;
  }
  unit = kReplacement;
  return at + 1;
}

// Writes `unit` as UTF-8 at `out`; gives the byte after it. No surrogate
// comes here: every character decodes to one unit of the basic plane.
char* PutUtf8(char16_t unit, char* out) {
  if (unit < 0x80) {
    *out++ = static_cast<char>(unit);
  } else if (unit < 0x800) {
    *out++ = static_cast<char>(0xC0 | (unit >> 6));
    *out++ = static_cast<char>(0x80 | (unit & 0x3F));
  } else {
    *out++ = static_cast<char>(0xE0 | (unit >> 12));
    *out++ = static_cast<char>(0x80 | ((unit >> 6) & 0x3F));
    *out++ = static_cast<char>(0x80 | (unit & 0x3F));
  }
  return out;
}

// The UTF-8 form of every pair of the table, made once: a log is mostly
// double-byte text, and this takes each pair in one step.
struct Utf8Form {
  char bytes[3];
  uint8_t length;
};

const std::array<Utf8Form, kLeads * kTrails>& PairsAsUtf8() {
  static const auto forms = [] {
    std::array<Utf8Form, kLeads * kTrails> made{};
    for (size_t k = 0; k < made.size(); ++k) {
      made[k].length = static_cast<uint8_t>(PutUtf8(kPairUnits[k], made[k].bytes) - made[k].bytes);
    }
    return made;
  }();
  return forms;
}

// Appends the CP932 form of `unit` (U+0080 and above); nothing when it has
// none, which the text read back then tells.
void AppendEncoded(char16_t unit, std::string& out) {
  const auto* end = std::end(kEncodings);
  const auto* at = std::lower_bound(std::begin(kEncodings), end, unit,
                                    [](const Encoding& e, char16_t u) { return e.unit < u; });
  if (at == end || at->unit != unit) return;
  if (at->bytes > 0xFF) out += static_cast<char>(at->bytes >> 8);
  out += static_cast<char>(at->bytes & 0xFF);
}

// Strict UTF-8 to UTF-16: false for an overlong form, a surrogate, a code
// point past U+10FFFF or a cut sequence.
int FollowingBytes(unsigned char first) {
  if (first < 0x80) return 0;
  if (first >= 0xC2 && first <= 0xDF) return 1;
  if (first >= 0xE0 && first <= 0xEF) return 2;
  if (first >= 0xF0 && first <= 0xF4) return 3;
  return -1;
}

bool Utf8ToUtf16(std::string_view utf8, std::u16string& text) {
  text.clear();
  for (size_t at = 0; at < utf8.size();) {
    const unsigned char b = ByteAt(utf8, at);
    const int more = FollowingBytes(b);
    if (more < 0 || at + static_cast<size_t>(more) >= utf8.size()) return false;
    char32_t c = more == 0 ? b : b & (0x3F >> more);
    for (int k = 1; k <= more; ++k) {
      const unsigned char next = ByteAt(utf8, at + static_cast<size_t>(k));
      if ((next & 0xC0) != 0x80) return false;
      c = c << 6 | (next & 0x3F);
    }
    constexpr char32_t kLeast[] = {0, 0x80, 0x800, 0x10000};
    if (c < kLeast[more] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return false;
    if (c > 0xFFFF) {
      text += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
      text += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
    } else {
      text += static_cast<char16_t>(c);
    }
    at += static_cast<size_t>(more) + 1;
  }
  return true;
}

}  // namespace

std::u16string DecodeCp932(std::string_view bytes) {
  std::u16string out(bytes.size(), u'\0');  // every character takes at least one byte
  size_t length = 0;
  for (size_t at = 0; at < bytes.size();) at = DecodeAt(bytes, at, out[length++]);
  out.resize(length);
  return out;
}

size_t DecodedUnits(std::string_view bytes) {
  size_t units = 0;
  char16_t unit;
  for (size_t at = 0; at < bytes.size(); ++units) at = DecodeAt(bytes, at, unit);
  return units;
}

bool EncodeCp932(std::u16string_view typed, std::string& out) {
  std::u16string text(typed);
  std::transform(text.begin(), text.end(), text.begin(),
                 [](char16_t unit) { return static_cast<char16_t>(CodePageForm(unit)); });
  out.clear();
  out.reserve(text.size() * 2);
  for (const char16_t unit : text) {
    if (unit < 0x80) out += static_cast<char>(unit);
    else AppendEncoded(unit, out);
  }
  // A character without a form, or with one that reads back as another (a
  // look-alike), leaves a text that reads back as another.
  return DecodeCp932(out) == text;
}

std::string Cp932ToUtf8(std::string_view bytes) {
  std::string out;
  AppendCp932AsUtf8(bytes, out);
  return out;
}

namespace {

// Whether one of eight ASCII bytes is a control that people are shown as a
// picture: below 0x20 (TAB and LF too, which the slow path lets through) or
// DEL.
bool HasControl(uint64_t eight) {
  constexpr uint64_t kOnes = 0x0101010101010101u;
  const uint64_t belowSpace = (eight + 0x60 * kOnes) & kHighBits;  // clear where a byte < 0x20
  const uint64_t del = eight ^ (0x7F * kOnes);
  const bool anyDel = ((del - kOnes) & ~del & kHighBits) != 0;
  return belowSpace != kHighBits || anyDel;
}

// A control's picture in UTF-8: U+2400 + its code, DEL as U+2421.
char* PutPicture(unsigned char control, char* out) {
  const unsigned picture = control == 0x7F ? 0x2421 : 0x2400 + control;
  *out++ = static_cast<char>(0xE0 | (picture >> 12));
  *out++ = static_cast<char>(0x80 | ((picture >> 6) & 0x3F));
  *out++ = static_cast<char>(0x80 | (picture & 0x3F));
  return out;
}

template <bool kVisible>
char* PutAsUtf8(std::string_view bytes, char* end) {
  const auto& pairs = PairsAsUtf8();
  for (size_t at = 0; at < bytes.size();) {
    // ASCII is itself in both: eight bytes at a time while they all are.
    uint64_t eight;
    if (at + 8 <= bytes.size() && (std::memcpy(&eight, bytes.data() + at, 8), (eight & kHighBits) == 0) &&
        !(kVisible && HasControl(eight))) {
      std::memcpy(end, &eight, 8);
      end += 8;
      at += 8;
      continue;
    }
    if (const unsigned char b = ByteAt(bytes, at); b < 0x80) {
      const bool control = (b < 0x20 && b != '\t' && b != '\n') || b == 0x7F;
      if (kVisible && control) end = PutPicture(b, end);
      else *end++ = static_cast<char>(b);
      ++at;
      continue;
    }
    if (const int pair = PairAt(bytes, at); pair >= 0) {
      const Utf8Form& form = pairs[static_cast<size_t>(pair)];
      std::memcpy(end, form.bytes, sizeof form.bytes);  // room for all three: the pair's two bytes had six
      end += form.length;
      at += 2;
      continue;
    }
    char16_t unit;
    at = DecodeAt(bytes, at, unit);  // never a control: those are ASCII bytes
    end = PutUtf8(unit, end);
  }
  return end;
}

template <bool kVisible>
void AppendAsUtf8(std::string_view bytes, std::string& out) {
  const size_t kept = out.size();
  out.resize(kept + bytes.size() * 3);  // a byte gives at most three (U+FFFD, half-width kana, a picture)
  out.resize(static_cast<size_t>(PutAsUtf8<kVisible>(bytes, out.data() + kept) - out.data()));
}

}  // namespace

void AppendCp932AsUtf8(std::string_view bytes, std::string& out) { AppendAsUtf8<false>(bytes, out); }

void AppendCp932AsVisibleUtf8(std::string_view bytes, std::string& out) { AppendAsUtf8<true>(bytes, out); }

char* PutCp932AsVisibleUtf8(std::string_view bytes, char* out) { return PutAsUtf8<true>(bytes, out); }

uint16_t Cp932FormOf(char32_t c) {
  // Filled once, from the sorted list: a converter asks for every character
  // of a whole log. The table lies in zeroed memory untouched until then.
  static std::array<uint16_t, 0x10000> forms{};
  static const bool filled = [] {
    for (unsigned u = 0; u < 0x80; ++u) forms[u] = static_cast<uint16_t>(u);
    for (const Encoding& e : kEncodings) forms[e.unit] = e.bytes;
    for (unsigned u = 0x80; u < 0x10000; ++u) {
      if (forms[u] == 0) forms[u] = forms[CodePageForm(u)];
    }
    return true;
  }();
  return filled && c < 0x10000 ? forms[c] : 0;
}

bool IsCp932Pair(unsigned char lead, unsigned char trail) {
  const char pair[] = {static_cast<char>(lead), static_cast<char>(trail)};
  const int k = PairAt(std::string_view(pair, sizeof pair), 0);
  return k >= 0 && kPairUnits[k] != kReplacement;
}

bool Utf8ToCp932(std::string_view utf8, std::string& out) {
  std::u16string text;
  if (!Utf8ToUtf16(utf8, text)) return false;
  return EncodeCp932(text, out);
}

bool IsUtf8(std::string_view bytes) {
  std::u16string text;
  return Utf8ToUtf16(bytes, text);
}

}  // namespace zu
