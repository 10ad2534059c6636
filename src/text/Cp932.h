// The QString faces of the CP932 conversion (text/Cp932Codec.h), for the
// windows.
#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace zu {

// Decodes CP932 bytes as DecodeCp932 does: a byte sequence that is not valid
// CP932 becomes U+FFFD, and the rest of the text is kept.
QString FromCp932(std::string_view bytes);

// How many UTF-16 units FromCp932(bytes) gives, counted without decoding.
qsizetype DecodedLength(std::string_view bytes);

// Encodes `text` as CP932 into `out` as EncodeCp932 does: the JIS forms of the
// few characters the code page knows under another code point are taken as
// that character. False, with `out` unspecified, when a character has no
// CP932 form.
bool ToCp932(const QString& text, std::string& out);

}  // namespace zu
