// Draws one message on a printer that the print dialog has set up. The page
// layout itself comes from zu::LayoutPrintJob; this file only measures the
// printer, turns the layout's CP932 lines into text and puts them on paper.
#pragma once

#include <QFont>
#include <cstdint>

#include "core/PrintLayout.h"

class QPrinter;

namespace zu {

// The measures of one print job, in printer device pixels except `columns`.
struct PrintMeasures {
  int32_t lineHeight = 0;  // LH: the font's character height + 5
  int32_t charWidth = 0;   // cw: the advance of "A"
  int32_t columns = 0;     // W = (printable width - 30) / cw
  int32_t bottom = 0;      // B = printable height - 3 x LH
};

// The font messages are printed in: fixed pitch, a Japanese face ("ＭＳ
// ゴシック" where installed, else IPAGothic), 9 points.
QFont PrintFont();

// The measures of `font` on the printable area of `printer`, at the
// printer's resolution. The character height is the font's em height in
// device pixels (9 points at 600 dpi: 75), the size a Japanese system gives
// a 9-point printer font; charWidth is 0 when the font has no usable width.
PrintMeasures MeasurePrint(const QFont& font, QPrinter& printer);

// Prints `msg` as one document on `printer`, listed under the message's
// title. False, with nothing printed, when the printer cannot be opened or
// the font has no usable width; false also when the printer refuses a new
// page (what was drawn so far is ended as the document).
bool PrintMessageOn(QPrinter& printer, const PrintMessage& msg);

}  // namespace zu
