// The page layout of a printed message, as a pure function of the message
// and the printer's measures. The drawing code only draws what it returns.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/LogSet.h"

namespace zu {

inline constexpr int32_t PrintLeft = 5;       // x of every drawn line
inline constexpr int32_t MaxPieceBytes = 255;

struct PrintMessage {
  std::string Title;
  int32_t Number = -1;
  std::string SenderName;
  std::string SenderID;
  std::string Date;
  std::string Time;
  std::vector<std::string> Body;  // the text pane's lines
};

struct PrintLine {
  int32_t page;  // from 1
  int32_t line;  // n: drawn at y = n x LH
  std::string text;  // CP932 bytes
};

// Piece `k` of `line` cut to `width` columns into `out` (256 bytes). False
// when the line has no piece k (an empty line has none).
bool GetLinePiece(const char* line, int32_t width, int32_t k, char* out);

// Every text drawn for `msg` on a printer of `columns` columns, line height
// `lineHeight` and bottom limit `bottom`, in drawing order.
std::vector<PrintLine> LayoutPrintJob(const PrintMessage& msg, int32_t columns,
                                      int32_t lineHeight, int32_t bottom);

// Reads the selected message for printing, first making the reader hold its
// file. False when `node` is none or a placeholder (nothing reported) or when
// the file cannot be opened (warned as "<path>を開けませんでした").
bool ReadPrintMessage(LogSet& set, NodeId node, PrintMessage& msg);

}  // namespace zu
