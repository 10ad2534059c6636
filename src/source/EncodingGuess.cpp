#include "source/EncodingGuess.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <string>

#include "reader/zuLogFile.h"
#include "text/Cp932Codec.h"

namespace zu {

namespace {

unsigned char At(std::string_view bytes, size_t at) { return static_cast<unsigned char>(bytes[at]); }

size_t FirstHighByte(std::string_view bytes) {
  for (size_t at = 0; at < bytes.size(); ++at) {
    if (At(bytes, at) >= 0x80) return at;
  }
  return std::string_view::npos;
}

bool HasHighByte(std::string_view bytes) { return FirstHighByte(bytes) != std::string_view::npos; }

// ---- validity: the length of the character at `at`, 0 for none ----

size_t Cp932CharAt(std::string_view b, size_t at) {
  const unsigned char c = At(b, at);
  if (c < 0x80 || (c >= 0xA1 && c <= 0xDF)) return 1;
  if (!((c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC)) || at + 1 >= b.size()) return 0;
  const unsigned char t = At(b, at + 1);
  return t >= 0x40 && t <= 0xFC && t != 0x7F ? 2 : 0;
}

bool IsEucByte(unsigned char c) { return c >= 0xA1 && c <= 0xFE; }

size_t EucCharAt(std::string_view b, size_t at) {
  const unsigned char c = At(b, at);
  if (c < 0x80) return 1;
  const bool second = at + 1 < b.size() && IsEucByte(At(b, at + 1));
  if (c == 0x8E) return second && At(b, at + 1) <= 0xDF ? 2 : 0;
  if (c == 0x8F) return second && at + 2 < b.size() && IsEucByte(At(b, at + 2)) ? 3 : 0;
  return IsEucByte(c) && second ? 2 : 0;
}

size_t Utf8CharAt(std::string_view b, size_t at) {
  const unsigned char c = At(b, at);
  if (c < 0x80) return 1;
  const int more = c >= 0xC2 && c <= 0xDF ? 1 : c >= 0xE0 && c <= 0xEF ? 2 : c >= 0xF0 && c <= 0xF4 ? 3 : -1;
  if (more < 0 || at + static_cast<size_t>(more) >= b.size()) return 0;
  for (int k = 1; k <= more; ++k) {
    if ((At(b, at + static_cast<size_t>(k)) & 0xC0) != 0x80) return 0;
  }
  // Overlong forms and surrogates.
  const unsigned char next = At(b, at + 1);
  if ((c == 0xE0 && next < 0xA0) || (c == 0xED && next >= 0xA0) || (c == 0xF0 && next < 0x90) ||
      (c == 0xF4 && next >= 0x90)) {
    return 0;
  }
  return static_cast<size_t>(more) + 1;
}

// ---- header pairs ----

// The header pairs looked at: enough to tell the encodings apart, few
// enough that a full log costs little more than reading it.
constexpr int kPairsLookedAt = 64;

// Whether the line could be a first header line, by its first byte kept:
// the number before its '/' (atoi's white space, a sign or a digit).
bool MayBeFirstHeaderLine(std::string_view raw) {
  const size_t first = raw.find_first_not_of('\r');
  if (first == std::string_view::npos) return false;
  const char c = raw[first];
  return (c >= '0' && c <= '9') || c == '+' || c == '-' || c == '\t' || c == '\v' || c == '\f';
}

// Calls `pair(line1, line2)` with the raw bytes of the first header lines
// that the next line completes, as the reader's index sees them, until it
// returns false.
template <typename Visit>
void ForEachHeaderPair(std::string_view bytes, Visit pair) {
  char line1[LineBufferSize];
  char line2[LineBufferSize];
  size_t at = 0;
  for (size_t lf; (lf = bytes.find('\n', at)) != std::string_view::npos;) {
    const std::string_view first = bytes.substr(at, lf - at);
    at = lf + 1;
    if (!MayBeFirstHeaderLine(first)) continue;
    CopyLineText(first, line1);
    if (!zuLogFile::IsHeaderLine1(line1)) continue;
    const size_t end = bytes.find('\n', at);
    const std::string_view second = bytes.substr(at, end == std::string_view::npos ? bytes.size() - at : end - at);
    CopyLineText(second, line2);
    if (zuLogFile::IsHeaderLine2(line2)) {
      if (!pair(first, second)) return;
      at = end == std::string_view::npos ? bytes.size() : end + 1;
    }
  }
}

// The one encoding in which more of the header pairs that carry text beyond
// ASCII are whole characters than in either other; false when none is.
bool EncodingOfHeaderPairs(std::string_view bytes, TextEncoding& encoding) {
  constexpr TextEncoding kCandidates[] = {TextEncoding::Cp932, TextEncoding::EucJp, TextEncoding::Utf8};
  constexpr size_t kCount = std::size(kCandidates);
  int pairs[kCount] = {};
  int looked = 0;
  ForEachHeaderPair(bytes, [&](std::string_view line1, std::string_view line2) {
    if (!HasHighByte(line1) && !HasHighByte(line2)) return true;
    for (size_t k = 0; k < kCount; ++k) {
      if (IsValidIn(kCandidates[k], line1) && IsValidIn(kCandidates[k], line2)) ++pairs[k];
    }
    return ++looked < kPairsLookedAt;
  });
  int best = 0;
  bool unique = false;
  for (size_t k = 0; k < kCount; ++k) {
    if (pairs[k] > best) {
      best = pairs[k];
      encoding = kCandidates[k];
      unique = true;
    } else if (pairs[k] == best) {
      unique = false;
    }
  }
  return best > 0 && unique;
}

// ---- 7-bit JIS ----

bool HasJisDesignation(std::string_view bytes) {
  static constexpr std::string_view kJapanese[] = {"\x1b$B", "\x1b$@", "\x1b$(", "\x1b(I"};
  for (const std::string_view sequence : kJapanese) {
    if (bytes.find(sequence) != std::string_view::npos) return true;
  }
  return bytes.find('\x0e') != std::string_view::npos && bytes.find("\x1b)I") != std::string_view::npos;
}

// ---- the guess of nkf ----

// Marks against a reading, as nkf scores them, one bit each: the lowest
// total wins.
constexpr unsigned kLevel2 = 1;         // a second-level kanji
constexpr unsigned kKana = 1u << 1;     // a half-width kana
constexpr unsigned kDepend = 1u << 2;   // an NEC special character
constexpr unsigned kCp932 = 1u << 3;    // an IBM extension
constexpr unsigned kX0212 = 1u << 4;
constexpr unsigned kX0213 = 1u << 5;
constexpr unsigned kNoExist = 1u << 6;  // a cell that holds no character
constexpr unsigned kInitial = 1u << 7;
constexpr unsigned kError = 1u << 8;

// Marks by the 7-bit first byte of a JIS cell: rows 9-14 are NEC's, 15 is
// JIS X 0213's; rows 80-84 second-level kanji, 85-86 NEC's, 89-92 IBM's.
constexpr unsigned kRowsA0[16] = {0, 0, 0, 0, 0, 0, 0, 0, 0, kDepend, kDepend, kDepend, kDepend, kDepend, kDepend, kX0213};
constexpr unsigned kRowsF0[16] = {kLevel2, kLevel2, kLevel2, kLevel2, kLevel2, kDepend, kX0213, kX0213,
                                  kDepend, kDepend, kCp932, kCp932, kCp932, kX0213, kX0213, kError};

unsigned ScoreOfCell(unsigned j1) {
  if ((j1 & 0x70) == 0x20) return kRowsA0[j1 & 0x0F];
  if ((j1 & 0x70) == 0x70) return kRowsF0[j1 & 0x0F];
  if ((j1 & 0x70) >= 0x50) return kLevel2;
  return 0;
}

// The JIS first byte of a Shift-JIS pair, by the code page's arithmetic.
unsigned JisRowOfSjis(unsigned lead, unsigned trail) {
  const unsigned base = lead <= 0x9F ? lead - 0x70 : lead - 0xB0;
  return base * 2 - (trail < 0x9F ? 1 : 0);
}

enum class Reader { Euc, Sjis, Utf8 };

struct Candidate {
  Reader reader;
  int stat = 0;  // -1 refused, 0 between characters, > 0 inside one
  unsigned buf[4] = {};
  int count = 0;
  unsigned score = kInitial;

  void Push(unsigned c) { buf[count++] = c; }
  void Clear() { stat = 0; count = 0; }
  void Reset() { Clear(); score = kInitial; }
  void Refuse() {
    stat = -1;
    score |= kError;
  }
};

// Fed a byte at a time until it has chosen. A reader that refuses stays
// refused until all three have; an ASCII byte then starts them all again.
class NkfGuess {
 public:
  void Feed(int c) {
    bool settled = true;
    int standing = -1;
    for (int k = 0; k < 3; ++k) {
      Candidate& p = candidates_[k];
      Step(p, c);
      if (p.stat > 0) settled = false;
      else if (p.stat == 0) {
        if (standing != -1) settled = false;
        else standing = k;
      }
    }
    if (!settled) return;
    if (standing != -1) chosen_ = standing;
    else if (c <= 0x7F) {
      for (Candidate& p : candidates_) p.Reset();
    }
  }

  bool Chosen() const { return chosen_ != -1; }
  void Choose() {
    if (chosen_ != -1) return;
    chosen_ = 0;
    for (int k = 1; k < 3; ++k) {
      if (candidates_[k].score < candidates_[chosen_].score) chosen_ = k;
    }
  }
  TextEncoding Result() const {
    static constexpr TextEncoding kEncodings[] = {TextEncoding::EucJp, TextEncoding::Cp932, TextEncoding::Utf8};
    return kEncodings[chosen_];
  }

 private:
  void Step(Candidate& p, int c) {
    if (p.stat == -1) return;  // until every reader refuses, and all start again
    switch (p.reader) {
      case Reader::Euc: StepEuc(p, c); break;
      case Reader::Sjis: StepSjis(p, c); break;
      case Reader::Utf8: StepUtf8(p, c); break;
    }
  }

  static void StepEuc(Candidate& p, int c) {
    const auto b = static_cast<unsigned>(c);
    if (p.stat == 0) {
      if (c <= 0x7F) return;
      if (b == 0x8E || (b >= 0xA1 && b <= 0xFE)) p.stat = 1, p.Push(b);
      else if (b == 0x8F) p.stat = 2, p.Push(b);
      else p.Refuse();
    } else if (c < 0xA1 || c > 0xFE) {
      p.Refuse();
    } else if (p.stat == 2) {
      p.stat = 1;
      p.Push(b);
    } else {
      p.Push(b);
      if (p.buf[0] == 0x8E) p.score |= kKana;
      else if (p.buf[0] == 0x8F) p.score |= kX0212;
      else p.score |= ScoreOfEucPair(p.buf[0], b);
      p.Clear();
    }
  }

  static void StepSjis(Candidate& p, int c) {
    const auto b = static_cast<unsigned>(c);
    if (p.stat == 0) {
      if (c <= 0x7F) return;
      if (b >= 0xA1 && b <= 0xDF) p.score |= kKana;
      else if ((b >= 0x81 && b < 0xA0) || (b >= 0xE0 && b <= 0xEA) || (b >= 0xF0 && b <= 0xF9)) p.stat = 1, p.Push(b);
      else if (b == 0xED || b == 0xEE || (b >= 0xFA && b <= 0xFC)) p.stat = 3, p.Push(b);
      else p.Refuse();
      return;
    }
    if (c < 0x40 || c > 0xFC || c == 0x7F) {
      p.Refuse();
      return;
    }
    if (p.stat == 3) {
      p.score |= kCp932;
    } else {
      // nkf reads the user-defined leads F0-F4 as rows 85-94, where EB-EF
      // would stand, and F5-F9 as rows of JIS X 0212 that hold nothing.
      const unsigned lead = p.buf[0] >= 0xF0 ? p.buf[0] - 5 : p.buf[0];
      const bool cell = lead < 0xF0 && IsCp932Pair(static_cast<unsigned char>(lead), static_cast<unsigned char>(b));
      p.score |= cell ? ScoreOfCell(JisRowOfSjis(lead, b)) : kNoExist;
    }
    p.Clear();
  }

  static void StepUtf8(Candidate& p, int c) {
    const auto b = static_cast<unsigned>(c);
    if (p.stat == 0) {
      if (c <= 0x7F) return;
      if (b >= 0xC0 && b <= 0xDF) p.stat = 1, p.Push(b);
      else if (b >= 0xE0 && b <= 0xEF) p.stat = 2, p.Push(b);
      else if (b >= 0xF0 && b <= 0xF4) p.stat = 3, p.Push(b);
      else p.Refuse();
      return;
    }
    if (c < 0x80 || c > 0xBF) {
      p.Refuse();
      return;
    }
    if (p.stat == 3) {
      if (p.count < 3) p.Push(b);
      else p.Clear();
      return;
    }
    p.Push(b);
    if (p.count <= p.stat) return;
    p.score |= ScoreOfCharacter(p);
    p.Clear();
  }

  // A character read as UTF-8 is scored as nkf's own map places it: by its
  // cell of JIS X 0208 (NEC's row 13, IBM's extensions and the user-defined
  // area are none), else by its row of JIS X 0212, else as a cell that holds
  // no character (an overlong form of ASCII among them); a byte order mark
  // not at all. Half-width kana are no mark against UTF-8.
  static unsigned ScoreOfCharacter(const Candidate& p) {
    const char32_t c = p.stat == 1 ? (p.buf[0] & 0x1Fu) << 6 | (p.buf[1] & 0x3Fu)
                                   : (p.buf[0] & 0x0Fu) << 12 | (p.buf[1] & 0x3Fu) << 6 | (p.buf[2] & 0x3Fu);
    if (c == 0xFEFF) return 0;
    if (c < 0x80) return kNoExist;  // an overlong form of ASCII
    const uint16_t form = Cp932FormOf(c);
    const unsigned lead = form >> 8;
    if (form != 0 && lead != 0x87 && lead < 0xED) return lead == 0 ? 0 : ScoreOfCell(JisRowOfSjis(lead, form & 0xFFu));
    const unsigned row = JisX0212RowOf(c);
    return row != 0 ? ScoreOfCell(row) : kNoExist;
  }

  static unsigned ScoreOfEucPair(unsigned first, unsigned second) {
    const unsigned none = Existence(first & 0x7F, second & 0x7F);
    return none != 0 ? none : ScoreOfCell(first & 0x7F);
  }

  // A JIS X 0208 cell that the code page leaves unassigned.
  static unsigned Existence(unsigned j1, unsigned j2) {
    if (j2 < 0x21 || j2 > 0x7E) return kNoExist;  // no cell at all
    const unsigned lead = ((j1 + 1) >> 1) + (j1 <= 0x5E ? 0x70 : 0xB0);
    const unsigned trail = (j1 & 1) ? j2 + (j2 <= 0x5F ? 0x1F : 0x20) : j2 + 0x7E;
    return IsCp932Pair(static_cast<unsigned char>(lead), static_cast<unsigned char>(trail)) ? 0 : kNoExist;
  }

  Candidate candidates_[3] = {{Reader::Euc}, {Reader::Sjis}, {Reader::Utf8}};
  int chosen_ = -1;
};

// nkf holds at most this many bytes from the first 8-bit one while no
// reader stands alone, then takes the best so far.
constexpr size_t kNkfHoldBytes = 2048;

}  // namespace

bool IsValidIn(TextEncoding encoding, std::string_view bytes) {
  size_t (*charAt)(std::string_view, size_t) = nullptr;
  switch (encoding) {
    case TextEncoding::Cp932: charAt = Cp932CharAt; break;
    case TextEncoding::EucJp: charAt = EucCharAt; break;
    case TextEncoding::Utf8: charAt = Utf8CharAt; break;
    default: return true;  // read as they come: every byte sequence gives text
  }
  for (size_t at = 0; at < bytes.size();) {
    const size_t length = charAt(bytes, at);
    if (length == 0) return false;
    at += length;
  }
  return true;
}

TextEncoding GuessLikeNkf(std::string_view bytes) {
  if (bytes.substr(0, 3) == "\xEF\xBB\xBF") return TextEncoding::Utf8;
  if (bytes.substr(0, 2) == "\xFF\xFE") return TextEncoding::Utf16LE;
  if (bytes.substr(0, 2) == "\xFE\xFF") return TextEncoding::Utf16BE;
  const size_t firstHigh = FirstHighByte(bytes);
  if (firstHigh == std::string_view::npos) {
    return HasJisDesignation(bytes) ? TextEncoding::Iso2022Jp : TextEncoding::Cp932;
  }
  // nkf starts guessing at the byte after the first 8-bit one; with none
  // there, it has read ASCII.
  if (firstHigh + 1 == bytes.size()) return TextEncoding::Cp932;
  NkfGuess guess;
  for (size_t at = 0; at < bytes.size() && !guess.Chosen(); ++at) {
    guess.Feed(At(bytes, at));
    if (at + 1 >= firstHigh + kNkfHoldBytes) guess.Choose();
  }
  if (!guess.Chosen()) {
    guess.Feed(-1);  // the end: a reader inside a character refuses
    guess.Choose();
  }
  return guess.Result();
}

TextEncoding GuessEncoding(std::string_view bytes) {
  const TextEncoding nkf = GuessLikeNkf(bytes);
  if (nkf == TextEncoding::Utf16LE || nkf == TextEncoding::Utf16BE || nkf == TextEncoding::Iso2022Jp) return nkf;
  if (bytes.substr(0, 3) == "\xEF\xBB\xBF") return TextEncoding::Utf8;
  // Lines that end in CR alone are lines too.
  std::string lines;
  if (bytes.find('\n') == std::string_view::npos && bytes.find('\r') != std::string_view::npos) {
    lines.assign(bytes);
    std::replace(lines.begin(), lines.end(), '\r', '\n');
  }
  TextEncoding byPairs;
  if (EncodingOfHeaderPairs(lines.empty() ? bytes : lines, byPairs)) return byPairs;
  return nkf == TextEncoding::Cp932 || IsValidIn(nkf, bytes) ? nkf : TextEncoding::Cp932;
}

bool HasHeaderPair(std::string_view text) {
  bool found = false;
  ForEachHeaderPair(text, [&](std::string_view, std::string_view) {
    found = true;
    return false;  // one is enough
  });
  return found;
}

const char* NameOf(LineEnds ends) {
  switch (ends) {
    case LineEnds::None: return "none";
    case LineEnds::CrLf: return "CRLF";
    case LineEnds::Lf: return "LF";
    case LineEnds::Cr: return "CR";
    case LineEnds::Mixed: return "mixed";
  }
  return "";
}

LineEnds LineEndsOf(std::string_view text) {
  // LF by LF, and the CRs counted at once: a CR that stands before no LF
  // ends a line by itself.
  size_t crlf = 0, lf = 0;
  for (const char* at = text.data(), *end = text.data() + text.size();;) {
    const auto* found = static_cast<const char*>(std::memchr(at, '\n', static_cast<size_t>(end - at)));
    if (found == nullptr) break;
    if (found > text.data() && found[-1] == '\r') ++crlf;
    else ++lf;
    at = found + 1;
  }
  const size_t cr = static_cast<size_t>(std::count(text.begin(), text.end(), '\r')) - crlf;
  const int kinds = (crlf > 0) + (lf > 0) + (cr > 0);
  if (kinds == 0) return LineEnds::None;
  if (kinds > 1) return LineEnds::Mixed;
  return crlf > 0 ? LineEnds::CrLf : lf > 0 ? LineEnds::Lf : LineEnds::Cr;
}

}  // namespace zu
