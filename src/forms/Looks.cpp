#include "forms/Fonts.h"

#include <QApplication>
#include <QFontDatabase>
#include <initializer_list>

namespace zu {

namespace {

QFont FirstInstalledFace(std::initializer_list<const char*> faces, const QFont& fallback) {
  for (const char* face : faces) {
    const QString family = QString::fromUtf8(face);
    if (QFontDatabase::hasFamily(family)) return QFont(family);
  }
  return fallback;
}

}  // namespace

QFont WindowFont() {
  QFont font = FirstInstalledFace({"ＭＳ Ｐゴシック", "MS PGothic", "IPAPGothic"}, QApplication::font());
  font.setPixelSize(12);
  return font;
}

QFont FixedPitchFont() {
  QFont font = FirstInstalledFace({"ＭＳ ゴシック", "MS Gothic", "IPAGothic"},
                                  QFontDatabase::systemFont(QFontDatabase::FixedFont));
  font.setFixedPitch(true);
  font.setStyleHint(QFont::TypeWriter);
  return font;
}

}  // namespace zu
