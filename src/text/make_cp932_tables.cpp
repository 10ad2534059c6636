// Build step: writes ICU's code page 932 table as C++ arrays, so that the
// programs convert by table and start without loading ICU; and the CP932
// forms of the JIS X 0212 and JIS X 0213 characters that logs converted to
// EUC-JP or ISO-2022-JP may hold, read through the C library's iconv, with
// the rows of the JIS X 0212 characters that have none or only an IBM
// extension (kJisX0212Formless).
//
//   make_cp932_tables OUT.inc JIS_OUT.inc
//
// kPairUnits holds what every double-byte character decodes to, one UTF-16
// unit each (U+FFFD where the code page leaves the pair unassigned), by lead
// byte (0x81-0x9F, 0xE0-0xFC) and trail byte (0x40-0xFC). kEncodings holds,
// in code unit order, every character of the basic plane from U+0080 on that
// ICU encodes, with its one or two bytes. Fails, writing nothing, when ICU
// has no "Shift_JIS" or decodes a pair to other than one unit.
#include <iconv.h>
#include <unicode/ucnv.h>

#include <cstdint>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "reader/ShiftJis.h"
#include "text/CodePageForms.h"

namespace {

// ICU's "Shift_JIS" is the Windows code page 932 table: NEC specials, NEC
// selected and IBM extensions included.
constexpr const char* kCodec = "Shift_JIS";

UConverter* Open() {
  UErrorCode error = U_ZERO_ERROR;
  UConverter* converter = ucnv_open(kCodec, &error);
  return U_SUCCESS(error) ? converter : nullptr;
}

// Every pair decoded alone. 0x7F is no trail byte; its place holds U+FFFD.
bool PairUnits(std::vector<char16_t>& units) {
  UConverter* converter = Open();
  if (converter == nullptr) return false;
  bool ok = true;
  for (int lead = 0x81; lead <= 0xFC && ok; ++lead) {
    if (!zu::IsLeadByte(static_cast<char>(lead))) continue;
    for (int trail = 0x40; trail <= 0xFC; ++trail) {
      const char pair[] = {static_cast<char>(lead), static_cast<char>(trail)};
      UChar out[4];
      UErrorCode error = U_ZERO_ERROR;
      const int32_t n = ucnv_toUChars(converter, out, 4, pair, 2, &error);
      if (trail == 0x7F) {
        units.push_back(u'\uFFFD');
      } else if (U_FAILURE(error) || n != 1) {
        ok = false;
        break;
      } else {
        // The converter marks an unassigned pair with 0x1A, which must not
        // pass for the control character.
        units.push_back(out[0] == u'\x1A' ? u'\uFFFD' : static_cast<char16_t>(out[0]));
      }
    }
  }
  ucnv_close(converter);
  return ok;
}

struct Encoding {
  char16_t unit;
  unsigned bytes;  // one byte, or lead << 8 | trail
};

// What the converter writes for each character alone; a character it
// cannot write is left out.
bool Encodings(std::vector<Encoding>& encodings) {
  UConverter* converter = Open();
  if (converter == nullptr) return false;
  UErrorCode error = U_ZERO_ERROR;
  ucnv_setFromUCallBack(converter, UCNV_FROM_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &error);
  if (U_FAILURE(error)) return false;
  for (unsigned unit = 0x80; unit <= 0xFFFF; ++unit) {
    if (unit >= 0xD800 && unit <= 0xDFFF) continue;  // surrogates are no characters
    const UChar text[] = {static_cast<UChar>(unit)};
    char out[8];
    error = U_ZERO_ERROR;
    const int32_t n = ucnv_fromUChars(converter, out, sizeof out, text, 1, &error);
    if (U_FAILURE(error) || n < 1 || n > 2) continue;
    const auto first = static_cast<unsigned char>(out[0]);
    const unsigned bytes = n == 1 ? first : (first << 8 | static_cast<unsigned char>(out[1]));
    encodings.push_back({static_cast<char16_t>(unit), bytes});
  }
  ucnv_close(converter);
  return true;
}

// The one character that iconv's `codec` reads from `bytes`, or 0 for none,
// an unassigned code or a base with a combining mark.
char32_t CharacterOf(iconv_t codec, std::string bytes) {
  iconv(codec, nullptr, nullptr, nullptr, nullptr);
  char out[16];
  char* in = bytes.data();
  size_t inLeft = bytes.size();
  char* at = out;
  size_t outLeft = sizeof out;
  if (iconv(codec, &in, &inLeft, &at, &outLeft) == static_cast<size_t>(-1) || inLeft != 0) return 0;
  if (iconv(codec, nullptr, nullptr, &at, &outLeft) == static_cast<size_t>(-1)) return 0;
  if (at - out != 4) return 0;
  const auto* b = reinterpret_cast<const unsigned char*>(out);
  return static_cast<char32_t>(b[0] | b[1] << 8 | b[2] << 16 | static_cast<uint32_t>(b[3]) << 24);
}

struct JisPair {
  unsigned jis;  // row and cell as their 7-bit bytes, 0x2121 to 0x7E7E
  unsigned cp932;
};

// Every cell of a 94 x 94 plane that iconv's `charset` reads, from the bytes
// `prefix` and the cell's bytes with their high bits set, whose character
// has a CP932 form, up to the row `lastRow`; those of the basic plane with
// none or only an IBM extension, as character and row, in `formless` when
// given.
bool JisPairs(const char* charset, const std::string& prefix, unsigned lastRow,
              const std::map<char32_t, unsigned>& forms, std::vector<JisPair>& pairs,
              std::map<char32_t, unsigned>* formless = nullptr) {
  iconv_t codec = iconv_open("UTF-32LE", charset);
  if (codec == reinterpret_cast<iconv_t>(-1)) return false;
  for (unsigned row = 0x21; row <= lastRow; ++row) {
    for (unsigned cell = 0x21; cell <= 0x7E; ++cell) {
      const char32_t c = CharacterOf(codec, prefix + static_cast<char>(row | 0x80) + static_cast<char>(cell | 0x80));
      if (c == 0) continue;
      const auto form = forms.find(c < 0x80 ? c : zu::CodePageForm(c));
      if (c < 0x80) pairs.push_back({row << 8 | cell, static_cast<unsigned>(c)});
      else if (form != forms.end()) pairs.push_back({row << 8 | cell, form->second});
      if (formless != nullptr && c <= 0xFFFF && (form == forms.end() || form->second >= 0xFA00)) formless->emplace(c, row);
    }
  }
  iconv_close(codec);
  return true;
}

void WriteJisTable(std::FILE* out, const char* name, const std::vector<JisPair>& pairs) {
  std::fprintf(out, "constexpr JisPair %s[] = {", name);
  for (size_t k = 0; k < pairs.size(); ++k) {
    std::fprintf(out, "%s{0x%04X, 0x%04X},", k % 6 ? " " : "\n    ", pairs[k].jis, pairs[k].cp932);
  }
  std::fprintf(out, "\n};\n\n");
}

bool WriteJisTables(const char* path, const std::vector<Encoding>& encodings) {
  std::map<char32_t, unsigned> forms;
  for (const Encoding& e : encodings) forms.emplace(e.unit, e.bytes);
  for (const Encoding& e : encodings) forms.emplace(zu::CodePageForm(e.unit), e.bytes);
  std::vector<JisPair> x0212, plane1, plane2;
  std::map<char32_t, unsigned> x0212Formless;
  // eucJP-ms's rows 85 to 94 are the user-defined area, which the converter
  // places by arithmetic; JIS X 0213's hold kanji.
  if (!JisPairs("EUC-JP-MS", "\x8F", 0x74, forms, x0212, &x0212Formless) ||
      !JisPairs("EUC-JISX0213", "", 0x7E, forms, plane1) || !JisPairs("EUC-JISX0213", "\x8F", 0x7E, forms, plane2)) {
    std::fprintf(stderr, "make_cp932_tables: iconv has no EUC-JP-MS or EUC-JISX0213\n");
    return false;
  }
  std::FILE* out = std::fopen(path, "w");
  if (out == nullptr) return false;
  std::fprintf(out, "// Generated by make_cp932_tables from iconv and ICU %s; do not edit.\n", U_ICU_VERSION);
  WriteJisTable(out, "kJisX0212", x0212);
  WriteJisTable(out, "kJisX0213Plane1", plane1);
  WriteJisTable(out, "kJisX0213Plane2", plane2);
  std::fprintf(out, "constexpr UnitRow kJisX0212Formless[] = {");
  size_t k = 0;
  for (const auto& [unit, row] : x0212Formless) std::fprintf(out, "%s{0x%04X, 0x%02X},", k++ % 6 ? " " : "\n    ", unit, row);
  std::fprintf(out, "\n};\n");
  return std::fclose(out) == 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: make_cp932_tables OUT.inc JIS_OUT.inc\n");
    return 2;
  }
  std::vector<char16_t> units;
  std::vector<Encoding> encodings;
  if (!PairUnits(units) || !Encodings(encodings)) {
    std::fprintf(stderr, "make_cp932_tables: ICU's %s table is missing or unlike code page 932\n", kCodec);
    return 1;
  }
  std::FILE* out = std::fopen(argv[1], "w");
  if (out == nullptr) return 1;
  std::fprintf(out, "// Generated by make_cp932_tables from ICU %s; do not edit.\n", U_ICU_VERSION);
  std::fprintf(out, "constexpr char16_t kPairUnits[] = {");
  for (size_t k = 0; k < units.size(); ++k) std::fprintf(out, "%s0x%04X,", k % 12 ? " " : "\n    ", units[k]);
  std::fprintf(out, "\n};\n\nconstexpr Encoding kEncodings[] = {");
  for (size_t k = 0; k < encodings.size(); ++k) {
    std::fprintf(out, "%s{0x%04X, 0x%04X},", k % 6 ? " " : "\n    ", encodings[k].unit, encodings[k].bytes);
  }
  std::fprintf(out, "\n};\n");
  if (std::fclose(out) != 0) return 1;
  return WriteJisTables(argv[2], encodings) ? 0 : 1;
}
