#include "forms/PrintJob.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPrinter>
#include <cmath>

#include "forms/Looks.h"
#include "text/Cp932.h"

namespace zu {

namespace {

constexpr double PrintPointSize = 9.0;
constexpr int32_t LineGap = 5;        // device pixels between two lines' characters
constexpr int32_t RightSpare = 30;    // device pixels kept free at the right edge
constexpr int32_t FooterLines = 3;    // lines kept free below the bottom limit

// A font's height on a Japanese system is its em height: the size the
// point size gives at the device's resolution, not the ascent-plus-descent
// of the face. Lines are spaced from it so that they do not depend on the
// face's own leading.
int32_t CharacterHeight(const QFont& font, const QFontMetrics& metrics) {
  if (font.pixelSize() > 0) return font.pixelSize();
  return static_cast<int32_t>(std::lround(font.pointSizeF() * metrics.fontDpi() / 72.0));
}

}  // namespace

QFont PrintFont() {
  QFont font = FixedPitchFont();
  font.setPointSizeF(PrintPointSize);
  return font;
}

PrintMeasures MeasurePrint(const QFont& font, QPrinter& printer) {
  const QFontMetrics metrics(font, &printer);
  const QRect area = printer.pageLayout().paintRectPixels(printer.resolution());
  PrintMeasures m;
  m.lineHeight = CharacterHeight(font, metrics) + LineGap;
  m.charWidth = metrics.horizontalAdvance(QLatin1Char('A'));
  m.columns = m.charWidth > 0 ? (area.width() - RightSpare) / m.charWidth : 0;
  m.bottom = area.height() - FooterLines * m.lineHeight;
  return m;
}

bool PrintMessageOn(QPrinter& printer, const PrintMessage& msg) {
  const QFont font = PrintFont();
  const PrintMeasures m = MeasurePrint(font, printer);
  if (m.charWidth <= 0) return false;

  printer.setDocName(FromCp932(msg.Title));
  QPainter painter;
  if (!painter.begin(&printer)) return false;
  painter.setFont(font);
  // The layout places a line by the top of its text; drawText wants the baseline.
  const int32_t ascent = painter.fontMetrics().ascent();
  int32_t page = 1;
  bool pagesGiven = true;
  for (const PrintLine& line : LayoutPrintJob(msg, m.columns, m.lineHeight, m.bottom)) {
    while (page < line.page && pagesGiven) {
      pagesGiven = printer.newPage();
      ++page;
    }
    if (!pagesGiven) break;
    painter.drawText(PrintLeft, line.line * m.lineHeight + ascent, FromCp932(line.text));
  }
  painter.end();
  return pagesGiven;
}

}  // namespace zu
