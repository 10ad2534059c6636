#include "text/ToCp932.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>

#include "text/Cp932Codec.h"

namespace zu {

namespace {

struct JisPair {
  uint16_t jis;    // row and cell as their 7-bit bytes
  uint16_t cp932;  // a byte, or lead << 8 | trail
};

struct UnitRow {
  char16_t unit;
  uint8_t row;  // as its 7-bit byte
};

// kJisX0212, kJisX0213Plane1, kJisX0213Plane2: the cells whose characters
// have a CP932 form, sorted by cell; kJisX0212Formless: the characters of
// JIS X 0212 that have none, or only an IBM extension, sorted by unit
// (make_cp932_tables).
#include "JisTables.inc"

constexpr uint64_t kHighBits = 0x8080808080808080u;
constexpr unsigned char kEsc = 0x1B;
constexpr unsigned char kShiftOut = 0x0E;  // JIS kana on
constexpr unsigned char kShiftIn = 0x0F;   // JIS kana off
constexpr unsigned char kSs2 = 0x8E;       // EUC-JP: a half-width kana follows
constexpr unsigned char kSs3 = 0x8F;       // EUC-JP: a JIS X 0212 cell follows
constexpr unsigned char kFirstUserRow = 0x75;  // row 85, as its 7-bit byte

unsigned char At(std::string_view bytes, size_t at) { return static_cast<unsigned char>(bytes[at]); }

// Where the converters write: the end of a string.
class AppendTo {
 public:
  explicit AppendTo(std::string& out) : out_(out) {}
  void ReadTo(const char*) {}
  void Push(char c) { out_ += c; }
  void PushPair(char lead, char trail) {
    const char pair[] = {lead, trail};
    out_.append(pair, 2);
  }
  void Append(const char* from, size_t count) { out_.append(from, count); }

 private:
  std::string& out_;
};

// Writing into a buffer of `capacity` bytes, which may be the one being
// read: then behind the reading. Every character's CP932 form is at most as
// long as the bytes it is read from, but for a stray byte, which becomes the
// two bytes of 〓; a form that would reach bytes not yet read goes aside,
// and so does all that follows it, to be put in place once everything has
// been read. Past the capacity of another buffer, bytes are only counted.
class IntoBuffer {
 public:
  IntoBuffer(char* out, size_t capacity, const char* in)
      : out_(out), capacity_(capacity), inPlace_(out == in), limit_(inPlace_ ? 0 : capacity) {}
  // The bytes before `end` have been read.
  void ReadTo(const char* end) {
    if (inPlace_) limit_ = static_cast<size_t>(end - out_);
  }
  void Push(char c) {
    if (aside_.empty() && written_ < limit_) out_[written_++] = c;
    else PutAside(&c, 1);
  }
  void PushPair(char lead, char trail) {
    if (aside_.empty() && written_ + 2 <= limit_) {
      out_[written_] = lead;
      out_[written_ + 1] = trail;
      written_ += 2;
    } else {
      const char pair[] = {lead, trail};
      PutAside(pair, 2);
    }
  }
  void Append(const char* from, size_t count) {
    if (aside_.empty() && written_ + count <= limit_) {
      std::memmove(out_ + written_, from, count);
      written_ += count;
    } else {
      PutAside(from, count);
    }
  }
  size_t Length() const { return written_ + aside_.size() + dropped_; }
  // Puts what went aside in place, if all of it fits.
  void Finish() {
    if (Length() <= capacity_) std::memcpy(out_ + written_, aside_.data(), aside_.size());
  }
  // Of a text converted where it stood of `size` bytes: how many it fills,
  // and what follows them when it has grown.
  size_t FinishInPlace(size_t size, std::string& rest) {
    if (Length() <= size) {
      Finish();
      return Length();
    }
    rest = std::move(aside_);
    return written_;
  }

 private:
  void PutAside(const char* from, size_t count) {
    if (inPlace_) aside_.append(from, count);
    else dropped_ += count;
  }

  char* out_;
  size_t capacity_;
  bool inPlace_;
  size_t limit_;
  size_t written_ = 0;
  size_t dropped_ = 0;  // past the capacity of another buffer
  std::string aside_;
};

template <typename Out>
void PutForm(unsigned form, Out& out) {
  if (form > 0xFF) out.PushPair(static_cast<char>(form >> 8), static_cast<char>(form & 0xFF));
  else out.Push(static_cast<char>(form));
}

template <typename Out>
void PutNoForm(Out& out) { PutForm(NoCp932Form, out); }

// Copies the run of bytes below 0x80 at `at`, eight at a time while it
// lasts; gives where it ends.
template <typename Out>
size_t CopyAscii(std::string_view bytes, size_t at, Out& out) {
  const size_t from = at;
  uint64_t eight;
  while (at + 8 <= bytes.size() && (std::memcpy(&eight, bytes.data() + at, 8), (eight & kHighBits) == 0)) at += 8;
  while (at < bytes.size() && At(bytes, at) < 0x80) ++at;
  out.ReadTo(bytes.data() + at);
  out.Append(bytes.data() + from, at - from);
  return at;
}

// A JIS X 0208 cell (7-bit bytes j1 j2) in CP932 by the code page's own
// arithmetic; the user-defined rows 85 to 94 go to the code page's
// user-defined area from 0xF040, as eucJP-ms places them. A pair that the
// code page leaves unassigned has no form.
template <typename Out>
void PutJisX0208(unsigned j1, unsigned j2, bool secondUserPlane, Out& out) {
  if (j1 >= kFirstUserRow) j1 += secondUserPlane ? 20 : 10;
  const unsigned lead = ((j1 + 1) >> 1) + (j1 <= 0x5E ? 0x70 : 0xB0);
  const unsigned trail = (j1 & 1) ? j2 + (j2 <= 0x5F ? 0x1F : 0x20) : j2 + 0x7E;
  if (lead > 0xFC || !IsCp932Pair(static_cast<unsigned char>(lead), static_cast<unsigned char>(trail))) {
    PutNoForm(out);
    return;
  }
  out.PushPair(static_cast<char>(lead), static_cast<char>(trail));
}

template <size_t N, typename Out>
void PutFromTable(const JisPair (&table)[N], unsigned j1, unsigned j2, Out& out) {
  const auto jis = static_cast<uint16_t>(j1 << 8 | j2);
  const auto* at = std::lower_bound(std::begin(table), std::end(table), jis,
                                    [](const JisPair& p, uint16_t key) { return p.jis < key; });
  PutForm(at != std::end(table) && at->jis == jis ? at->cp932 : NoCp932Form, out);
}

// JIS X 0212 (and eucJP-ms's IBM rows in its plane): the user-defined rows
// follow those of JIS X 0208 in the code page's area.
template <typename Out>
void PutJisX0212(unsigned j1, unsigned j2, Out& out) {
  if (j1 >= kFirstUserRow) PutJisX0208(j1, j2, true, out);
  else PutFromTable(kJisX0212, j1, j2, out);
}

bool IsGraphicJis(unsigned char b) { return b >= 0x21 && b <= 0x7E; }
bool IsEucByte(unsigned char b) { return b >= 0xA1 && b <= 0xFE; }

template <typename Out>
void EucJpToCp932(std::string_view bytes, Out& out) {
  for (size_t at = 0; at < bytes.size();) {
    if (At(bytes, at) < 0x80) {
      at = CopyAscii(bytes, at, out);
      continue;
    }
    const unsigned char b = At(bytes, at);
    const bool second = at + 1 < bytes.size() && IsEucByte(At(bytes, at + 1));
    const bool third = at + 2 < bytes.size() && IsEucByte(At(bytes, at + 2));
    const size_t from = at;
    if (b == kSs2 && second && At(bytes, at + 1) <= 0xDF) {
      out.ReadTo(bytes.data() + (at += 2));
      out.Push(bytes[from + 1]);  // half-width kana
    } else if (b == kSs3 && second && third) {
      out.ReadTo(bytes.data() + (at += 3));
      PutJisX0212(At(bytes, from + 1) & 0x7Fu, At(bytes, from + 2) & 0x7Fu, out);
    } else if (IsEucByte(b) && second) {
      out.ReadTo(bytes.data() + (at += 2));
      PutJisX0208(b & 0x7Fu, At(bytes, from + 1) & 0x7Fu, false, out);
    } else {
      out.ReadTo(bytes.data() + (at += 1));
      PutNoForm(out);  // a byte that begins no character
    }
  }
}

// The character sets that ESC sequences designate.
enum class JisSet { Ascii, Kana, X0208, X0212, X0213Plane1, X0213Plane2 };

// The set that the escape sequence at `at` designates and its length, or
// length 0 for an ESC that designates none of them.
size_t Designation(std::string_view bytes, size_t at, JisSet& set) {
  const std::string_view rest = bytes.substr(at);
  struct Sequence {
    std::string_view bytes;
    JisSet set;
  };
  static constexpr Sequence kSequences[] = {
      {"\x1b$B", JisSet::X0208},       {"\x1b$@", JisSet::X0208},       {"\x1b$(B", JisSet::X0208},
      {"\x1b$(D", JisSet::X0212},      {"\x1b$(O", JisSet::X0213Plane1}, {"\x1b$(Q", JisSet::X0213Plane1},
      {"\x1b$(P", JisSet::X0213Plane2}, {"\x1b(B", JisSet::Ascii},       {"\x1b(J", JisSet::Ascii},
      {"\x1b(H", JisSet::Ascii},        {"\x1b(I", JisSet::Kana},
  };
  for (const Sequence& s : kSequences) {
    if (rest.substr(0, s.bytes.size()) == s.bytes) {
      set = s.set;
      return s.bytes.size();
    }
  }
  return 0;
}

template <typename Out>
void PutJisPair(JisSet set, unsigned j1, unsigned j2, Out& out) {
  switch (set) {
    case JisSet::X0208: PutJisX0208(j1, j2, false, out); break;
    case JisSet::X0212: PutJisX0212(j1, j2, out); break;
    case JisSet::X0213Plane1: PutFromTable(kJisX0213Plane1, j1, j2, out); break;
    default: PutFromTable(kJisX0213Plane2, j1, j2, out); break;
  }
}

template <typename Out>
void Iso2022JpToCp932(std::string_view bytes, Out& out) {
  JisSet set = JisSet::Ascii;
  bool shifted = false;  // SO: kana until SI
  for (size_t at = 0; at < bytes.size();) {
    const unsigned char b = At(bytes, at);
    JisSet designated;
    if (b == kEsc) {
      if (const size_t length = Designation(bytes, at, designated)) {
        set = designated;
        at += length;
        continue;
      }
    }
    if (b == kShiftOut || b == kShiftIn) {
      shifted = b == kShiftOut;
      ++at;
      continue;
    }
    const bool pair = IsGraphicJis(b) && !shifted && set != JisSet::Kana && set != JisSet::Ascii &&
                      at + 1 < bytes.size() && IsGraphicJis(At(bytes, at + 1));
    const size_t from = at;
    out.ReadTo(bytes.data() + (at += pair ? 2 : 1));
    if (!IsGraphicJis(b)) {
      // Controls, the line ends among them, keep their place in any set;
      // an 8-bit byte is no JIS character.
      if (b < 0x80) out.Push(static_cast<char>(b));
      else PutNoForm(out);
    } else if (shifted || set == JisSet::Kana) {
      if (b <= 0x5F) out.Push(static_cast<char>(b | 0x80));
      else PutNoForm(out);
    } else if (set == JisSet::Ascii) {
      out.Push(static_cast<char>(b));
    } else if (pair) {
      PutJisPair(set, b, At(bytes, from + 1), out);
    } else {
      PutNoForm(out);  // half a character
    }
  }
}

template <typename Out>
void PutCharacter(char32_t c, Out& out) {
  const uint16_t form = Cp932FormOf(c);
  if (form == 0 && c != 0) PutNoForm(out);
  else PutForm(form, out);
}

// Strict UTF-8: an overlong form, a surrogate, a code point past U+10FFFF
// or a cut sequence is no character; its first byte becomes 〓 and what
// follows it is read again.
size_t Utf8CharacterAt(std::string_view bytes, size_t at, char32_t& c) {
  const unsigned char b = At(bytes, at);
  const int more = b >= 0xC2 && b <= 0xDF ? 1 : b >= 0xE0 && b <= 0xEF ? 2 : b >= 0xF0 && b <= 0xF4 ? 3 : -1;
  if (more < 0 || at + static_cast<size_t>(more) >= bytes.size()) return 0;
  c = b & (0x3Fu >> more);
  for (int k = 1; k <= more; ++k) {
    const unsigned char next = At(bytes, at + static_cast<size_t>(k));
    if ((next & 0xC0) != 0x80) return 0;
    c = c << 6 | (next & 0x3Fu);
  }
  constexpr char32_t kLeast[] = {0, 0x80, 0x800, 0x10000};
  if (c < kLeast[more] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return 0;
  return static_cast<size_t>(more) + 1;
}

// The character of the three bytes at `at`, the form of nearly every
// Japanese character in UTF-8, or 0 when they are no such character.
char32_t ThreeByteCharacterAt(std::string_view bytes, size_t at) {
  const unsigned char b0 = At(bytes, at), b1 = At(bytes, at + 1), b2 = At(bytes, at + 2);
  if ((b0 & 0xF0) != 0xE0 || (b1 & 0xC0) != 0x80 || (b2 & 0xC0) != 0x80) return 0;
  const char32_t c = (b0 & 0x0Fu) << 12 | (b1 & 0x3Fu) << 6 | (b2 & 0x3Fu);
  return c < 0x800 || (c >= 0xD800 && c <= 0xDFFF) ? 0 : c;
}

template <typename Out>
void Utf8ToCp932Text(std::string_view bytes, Out& out) {
  if (bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
  for (size_t at = 0; at < bytes.size();) {
    if (At(bytes, at) < 0x80) {
      at = CopyAscii(bytes, at, out);
      continue;
    }
    char32_t c = at + 2 < bytes.size() ? ThreeByteCharacterAt(bytes, at) : 0;
    size_t length = 3;
    if (c == 0) length = Utf8CharacterAt(bytes, at, c);
    out.ReadTo(bytes.data() + (at += std::max<size_t>(length, 1)));
    if (length == 0) PutNoForm(out);
    else PutCharacter(c, out);
  }
}

template <typename Out>
void Utf16ToCp932(std::string_view bytes, bool bigEndian, Out& out) {
  auto unitAt = [&](size_t at) -> char16_t {
    const unsigned first = At(bytes, at), second = At(bytes, at + 1);
    return static_cast<char16_t>(bigEndian ? first << 8 | second : second << 8 | first);
  };
  size_t at = bytes.size() >= 2 && unitAt(0) == 0xFEFF ? 2 : 0;
  for (; at + 1 < bytes.size(); at += 2) {
    const char16_t unit = unitAt(at);
    // A character past the basic plane has no CP932 form: its pair of
    // surrogates, and a lone surrogate, which has none either, is one 〓.
    if (unit >= 0xD800 && unit <= 0xDBFF && at + 3 < bytes.size()) {
      const char16_t low = unitAt(at + 2);
      if (low >= 0xDC00 && low <= 0xDFFF) at += 2;
    }
    out.ReadTo(bytes.data() + at + 2);
    PutCharacter(unit, out);
  }
  out.ReadTo(bytes.data() + bytes.size());
  if (at < bytes.size()) PutNoForm(out);  // an odd last byte
}

template <typename Out>
void ConvertToCp932(TextEncoding from, std::string_view bytes, Out& out) {
  switch (from) {
    case TextEncoding::Cp932:
      out.ReadTo(bytes.data() + bytes.size());
      out.Append(bytes.data(), bytes.size());
      break;
    case TextEncoding::EucJp: EucJpToCp932(bytes, out); break;
    case TextEncoding::Iso2022Jp: Iso2022JpToCp932(bytes, out); break;
    case TextEncoding::Utf8: Utf8ToCp932Text(bytes, out); break;
    case TextEncoding::Utf16LE: Utf16ToCp932(bytes, false, out); break;
    case TextEncoding::Utf16BE: Utf16ToCp932(bytes, true, out); break;
  }
}

}  // namespace

const char* NameOf(TextEncoding encoding) {
  switch (encoding) {
    case TextEncoding::Cp932: return "CP932";
    case TextEncoding::EucJp: return "EUC-JP";
    case TextEncoding::Iso2022Jp: return "ISO-2022-JP";
    case TextEncoding::Utf8: return "UTF-8";
    case TextEncoding::Utf16LE: return "UTF-16LE";
    case TextEncoding::Utf16BE: return "UTF-16BE";
  }
  return "";
}

bool TextEncodingNamed(std::string_view name, TextEncoding& encoding) {
  struct Alias {
    std::string_view name;
    TextEncoding encoding;
  };
  static constexpr Alias kAliases[] = {
      {"CP932", TextEncoding::Cp932},       {"SJIS", TextEncoding::Cp932},
      {"SHIFT_JIS", TextEncoding::Cp932},   {"SHIFT-JIS", TextEncoding::Cp932},
      {"WINDOWS-31J", TextEncoding::Cp932}, {"EUC-JP", TextEncoding::EucJp},
      {"EUCJP", TextEncoding::EucJp},       {"EUC-JP-MS", TextEncoding::EucJp},
      {"EUCJP-MS", TextEncoding::EucJp},    {"ISO-2022-JP", TextEncoding::Iso2022Jp},
      {"ISO-2022-JP-3", TextEncoding::Iso2022Jp}, {"JIS", TextEncoding::Iso2022Jp},
      {"UTF-8", TextEncoding::Utf8},        {"UTF8", TextEncoding::Utf8},
      {"UTF-16LE", TextEncoding::Utf16LE},  {"UTF-16BE", TextEncoding::Utf16BE},
  };
  std::string upper(name);
  std::transform(upper.begin(), upper.end(), upper.begin(),
                 [](char ch) { return ch >= 'a' && ch <= 'z' ? static_cast<char>(ch - 'a' + 'A') : ch; });
  for (const Alias& a : kAliases) {
    if (a.name == upper) {
      encoding = a.encoding;
      return true;
    }
  }
  return false;
}

void AppendAsCp932(TextEncoding from, std::string_view bytes, std::string& out) {
  out.reserve(out.size() + bytes.size());
  AppendTo to(out);
  ConvertToCp932(from, bytes, to);
}

size_t ConvertToCp932(TextEncoding from, const char* bytes, size_t size, char* out, size_t capacity) {
  IntoBuffer into(out, capacity, bytes);
  ConvertToCp932(from, std::string_view(bytes, size), into);
  into.Finish();
  return into.Length();
}

size_t ConvertToCp932InPlace(TextEncoding from, char* text, size_t size, std::string& rest) {
  rest.clear();
  if (from == TextEncoding::Cp932) return size;
  IntoBuffer into(text, size, text);
  ConvertToCp932(from, std::string_view(text, size), into);
  return into.FinishInPlace(size, rest);
}

unsigned JisX0212RowOf(char32_t c) {
  const auto* at = std::lower_bound(std::begin(kJisX0212Formless), std::end(kJisX0212Formless), c,
                                    [](const UnitRow& u, char32_t key) { return u.unit < key; });
  return at != std::end(kJisX0212Formless) && at->unit == c ? at->row : 0;
}

}  // namespace zu
