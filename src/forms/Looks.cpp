#include "forms/Looks.h"

#include <QApplication>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QPushButton>
#include <QScreen>
#include <QWidget>
#include <algorithm>
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

Qt::WindowFlags DialogFlags() {
  return Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
         Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint;
}

void SetDialogChrome(QWidget& dialog, QSize clientSize) {
  dialog.setWindowFlags(DialogFlags());
  dialog.setFixedSize(clientSize);
  dialog.setFont(WindowFont());
}

bool TakeDialogKey(QWidget& dialog, QKeyEvent& event) {
  if (event.matches(QKeySequence::Cancel)) {
    event.accept();
    return true;
  }
  if (event.key() != Qt::Key_Return && event.key() != Qt::Key_Enter) return false;
  if (auto* button = qobject_cast<QPushButton*>(dialog.focusWidget())) button->click();
  event.accept();
  return true;
}

QPoint CentredFramePosition(QSize frame, const QRect& area) {
  return {area.left() + std::max(0, (area.width() - frame.width()) / 2),
          area.top() + std::max(0, (area.height() - frame.height()) / 2)};
}

void CentreOnScreen(QWidget& window) {
  const QWidget* parent = window.parentWidget();
  const QScreen* where = parent != nullptr ? parent->screen() : window.screen();
  if (where == nullptr) return;
  window.move(CentredFramePosition(window.frameGeometry().size(), where->availableGeometry()));
}

}  // namespace zu
