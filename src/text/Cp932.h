// The one place where the logs' CP932 (Shift-JIS) bytes meet Unicode text.
#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace zu {

// Decodes CP932 bytes. A byte sequence that is not valid CP932 (a stray
// byte, a lead byte without its trail byte at the end) becomes U+FFFD, and
// the rest of the text is kept.
QString FromCp932(std::string_view bytes);

// How many UTF-16 units FromCp932(bytes) gives, counted without decoding: a
// byte offset at which a character begins maps to this length of the bytes
// before it.
qsizetype DecodedLength(std::string_view bytes);

// Encodes `text` as CP932 into `out`. The JIS forms of the few characters the
// code page knows under another code point (U+301C wave dash, U+2212 minus,
// ...) are taken as that character. False, with `out` unspecified, when a
// character has no CP932 form.
bool ToCp932(const QString& text, std::string& out);

}  // namespace zu
