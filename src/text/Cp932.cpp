#include "text/Cp932.h"

#include "text/Cp932Codec.h"

namespace zu {

QString FromCp932(std::string_view bytes) { return QString::fromStdU16String(DecodeCp932(bytes)); }

qsizetype DecodedLength(std::string_view bytes) { return static_cast<qsizetype>(DecodedUnits(bytes)); }

bool ToCp932(const QString& text, std::string& out) {
  return EncodeCp932(std::u16string_view(reinterpret_cast<const char16_t*>(text.utf16()),
                                         static_cast<size_t>(text.size())),
                     out);
}

}  // namespace zu
