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

// Bytes of the valid character at `at`, or 0 when the byte there starts
// no character (a stray byte, a lead byte without a trail byte after it).
size_t CharacterLength(std::string_view bytes, size_t at) {
  const unsigned char b = ByteAt(bytes, at);
  if (b < 0x80 || IsHalfWidthKana(b)) return 1;
  if (IsLeadByte(b) && at + 1 < bytes.size() && IsTrailByte(ByteAt(bytes, at + 1))) return 2;
  return 0;
}

// End of the stretch of valid characters from `at`; counts them.
size_t ValidRunEnd(std::string_view bytes, size_t at, size_t& characters) {
  characters = 0;
  while (at < bytes.size()) {
    const size_t length = CharacterLength(bytes, at);
    if (length == 0) break;
    at += length;
    ++characters;
  }
  return at;
}

QStringDecoder& Decoder() {
  thread_local QStringDecoder decoder(kCodec, QStringDecoder::Flag::Stateless);
  decoder.resetState();
  return decoder;
}

// Appends a stretch of valid characters. The whole stretch is decoded in one
// call; the converter gives one UTF-16 unit per character, so its output is
// walked in step with the characters.
void AppendValidRun(std::string_view run, size_t characters, QString& out) {
  const QString decoded = Decoder().decode(QByteArrayView(run.data(), static_cast<qsizetype>(run.size())));
  const bool inStep = static_cast<size_t>(decoded.size()) == characters;
  size_t k = 0;
  for (size_t at = 0; at < run.size(); ++k) {
    const size_t length = CharacterLength(run, at);
    const unsigned char b = ByteAt(run, at);
    if (length == 1 && b < 0x80) {
      out += QChar(char16_t(b));
    } else if (length == 1) {
      out += QChar(char16_t(0xFF61 + (b - 0xA1)));  // half-width katakana
    } else {
      // A pair the table leaves unassigned must not pass as a real 0x1A.
      const char16_t unit = inStep ? decoded.at(static_cast<qsizetype>(k)).unicode() : kReplacement;
      out += QChar(unit == kConverterSubstitute ? kReplacement : unit);
    }
    at += length;
  }
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

}  // namespace

QString FromCp932(std::string_view bytes) {
  QString out;
  out.reserve(static_cast<qsizetype>(bytes.size()));
  size_t at = 0;
  while (at < bytes.size()) {
    size_t characters = 0;
    const size_t runEnd = ValidRunEnd(bytes, at, characters);
    if (characters > 0) AppendValidRun(bytes.substr(at, runEnd - at), characters, out);
    at = runEnd;
    if (at < bytes.size()) {
      out += QChar(kReplacement);
      ++at;  // only the bad byte: what follows a cut lead byte is read again
    }
  }
  return out;
}

bool ToCp932(const QString& text, std::string& out) {
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
