#include "text/Cp932.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace zu {

namespace {

// ICU's "Shift_JIS" is the Windows code page 932 table: NEC specials, NEC
// selected and IBM extensions included. It also swaps the control bytes
// 0x1A, 0x1C and 0x7F as IBM code pages do, so single bytes below 0x80 never
// go through it; code page 932 maps them to themselves.
constexpr const char* kCodec = "Shift_JIS";
constexpr char16_t kReplacement = u'\uFFFD';
constexpr char16_t kConverterSubstitute = u'\u001A';  // what the converter gives for an unmapped pair

bool IsLeadByte(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }
bool IsTrailByte(unsigned char b) { return b >= 0x40 && b <= 0xFC && b != 0x7F; }
bool IsHalfWidthKana(unsigned char b) { return b >= 0xA1 && b <= 0xDF; }

unsigned char ByteAt(std::string_view bytes, size_t at) { return static_cast<unsigned char>(bytes[at]); }

// A stretch of valid characters and how many of them are double-byte. A
// stray byte, or a lead byte without a trail byte after it, ends it.
struct ValidRun {
  size_t end;
  size_t characters;
  size_t pairs;
};

ValidRun ValidRunFrom(std::string_view bytes, size_t at) {
  ValidRun run{at, 0, 0};
  const size_t size = bytes.size();
  while (run.end < size) {
    const unsigned char b = ByteAt(bytes, run.end);
    if (b < 0x80 || IsHalfWidthKana(b)) {
      ++run.end;
    } else if (IsLeadByte(b) && run.end + 1 < size && IsTrailByte(ByteAt(bytes, run.end + 1))) {
      run.end += 2;
      ++run.pairs;
    } else {
      break;
    }
    ++run.characters;
  }
  return run;
}

QStringDecoder& Decoder() {
  thread_local QStringDecoder decoder(kCodec, QStringDecoder::Flag::Stateless);
  decoder.resetState();
  return decoder;
}

char16_t SingleByte(unsigned char b) {
  return b < 0x80 ? char16_t(b) : char16_t(0xFF61 + (b - 0xA1));  // else half-width katakana
}

// Writes a stretch of valid characters to `dst`. Single bytes are mapped
// here; the pairs go to the converter, the whole stretch in one call. It
// gives one UTF-16 unit per character, so its output is walked in step.
char16_t* WriteValidRun(std::string_view run, size_t characters, bool hasPairs, char16_t* dst) {
  const char16_t* decoded = nullptr;
  bool inStep = false;
  thread_local QString scratch;
  if (hasPairs) {
    QStringDecoder& decoder = Decoder();
    const auto length = static_cast<qsizetype>(run.size());
    scratch.resize(decoder.requiredSpace(length));
    const QChar* end = decoder.appendToBuffer(scratch.data(), QByteArrayView(run.data(), length));
    decoded = reinterpret_cast<const char16_t*>(scratch.constData());
    inStep = static_cast<size_t>(end - scratch.constData()) == characters;
  }
  for (size_t at = 0, k = 0; at < run.size(); ++k) {
    const unsigned char b = ByteAt(run, at);
    if (b < 0x80 || IsHalfWidthKana(b)) {
      *dst++ = SingleByte(b);
      ++at;
      continue;
    }
    // A pair the table leaves unassigned must not pass as a real 0x1A.
    const char16_t unit = inStep ? decoded[k] : kReplacement;
    *dst++ = unit == kConverterSubstitute ? kReplacement : unit;
    at += 2;
  }
  return dst;
}

// Appends the non-ASCII run `text` encoded; false when a character of it has
// no CP932 form (the converter writes a substitute and flags an error).
bool AppendEncodedRun(QStringView text, std::string& out) {
  QStringEncoder encoder(kCodec, QStringEncoder::Flag::Stateless);
  const QByteArray encoded = encoder.encode(text);
  if (encoder.hasError()) return false;
  out.append(encoded.constData(), static_cast<size_t>(encoded.size()));
  return true;
}

// Characters that JIS X 0208 and most keyboards on other systems write with
// one code point and the Windows code page with another (a wave dash typed on
// Linux is U+301C, the code page reads 0x8160 as U+FF5E). Both mean the same
// glyph of the same JIS row, so a search typed either way finds it.
char16_t CodePageForm(char16_t unit) {
  switch (unit) {
    case 0x301C: return 0xFF5E;  // wave dash
    case 0x2016: return 0x2225;  // double vertical line
    case 0x2212: return 0xFF0D;  // minus sign
    case 0x00A2: return 0xFFE0;  // cent sign
    case 0x00A3: return 0xFFE1;  // pound sign
    case 0x00AC: return 0xFFE2;  // not sign
    case 0x2014: return 0x2015;  // em dash
    default: return unit;
  }
}

}  // namespace

QString FromCp932(std::string_view bytes) {
  // Every character takes at least one byte and gives one UTF-16 unit.
  QString out(static_cast<qsizetype>(bytes.size()), Qt::Uninitialized);
  auto* const begin = reinterpret_cast<char16_t*>(out.data());
  char16_t* dst = begin;
  for (size_t at = 0; at < bytes.size();) {
    const ValidRun run = ValidRunFrom(bytes, at);
    dst = WriteValidRun(bytes.substr(at, run.end - at), run.characters, run.pairs > 0, dst);
    at = run.end;
    if (at < bytes.size()) {
      *dst++ = kReplacement;
      ++at;  // only the bad byte: what follows a cut lead byte is read again
    }
  }
  out.truncate(dst - begin);
  return out;
}

qsizetype DecodedLength(std::string_view bytes) {
  size_t units = 0;
  for (size_t at = 0; at < bytes.size();) {
    const ValidRun run = ValidRunFrom(bytes, at);
    units += run.characters;  // one unit each: the code page holds nothing beyond the BMP
    at = run.end;
    if (at < bytes.size()) {
      ++units;  // U+FFFD for the one bad byte
      ++at;
    }
  }
  return static_cast<qsizetype>(units);
}

bool ToCp932(const QString& typed, std::string& out) {
  QString text = typed;
  for (QChar& unit : text) unit = QChar(CodePageForm(unit.unicode()));
  out.clear();
  out.reserve(static_cast<size_t>(text.size()) * 2);
  const qsizetype size = text.size();
  for (qsizetype at = 0; at < size;) {
    if (text.at(at).unicode() < 0x80) {
      out += static_cast<char>(text.at(at).unicode());
      ++at;
      continue;
    }
    qsizetype end = at;
    while (end < size && text.at(end).unicode() >= 0x80) ++end;
    if (!AppendEncodedRun(QStringView(text).sliced(at, end - at), out)) return false;
    at = end;
  }
  // A converter may map a character to a near look-alike (a fallback); only
  // a form that reads back as the same text counts.
  return FromCp932(out) == text;
}

}  // namespace zu
