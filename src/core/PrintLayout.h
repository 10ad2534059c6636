// The page layout of a printed message, as a pure function of the message
// and the printer's measures. The drawing code only draws what it returns.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/LogSet.h"
#include "core/Messages.h"

namespace zu {

inline constexpr int32_t PrintLeft = 5;       // x of every drawn line
inline constexpr int32_t MaxPieceBytes = 255;
inline constexpr int32_t TabColumns = 4;      // a tab prints as four spaces
inline constexpr int32_t FirstBodyLine = 12;  // on the first page
inline constexpr int32_t NextBodyLine = 4;    // on every later page

// The fixed texts of a printed page, in CP932 bytes. The application title
// is ASCII, the same in either form.
inline constexpr const char* BannerHead = "/----- ";
inline const std::string BannerTail = std::string(" -----/  [") + ApplicationTitle + " " + ProductVersion + "]";
inline constexpr const char* Separator = "_/_/_/_/_/_/_/_/_/_/_/_/_/_/_/_/_/_/_/";
inline const std::string LabelNumber = std::string("*") + caption::Number.cp932 + "=";
inline const std::string LabelName = std::string("*") + caption::SenderName.cp932 + "=";
inline const std::string LabelID = std::string("*") + caption::SenderID.cp932 + "=";
inline const std::string LabelTime = std::string("*") + caption::Time.cp932 + "=";
inline constexpr const char* DateTimeGap = "  ";

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

  friend bool operator==(const PrintLine&, const PrintLine&) = default;
};

// Piece `k` of `line` cut to `width` columns into `out` (256 bytes). Pieces
// are cut greedily by characters: a character that would take a piece past
// `width` columns, or past MaxPieceBytes bytes, opens the next one, but every
// piece holds at least one character, so a double-byte character is never
// split. A tab counts TabColumns columns and is written as that many spaces,
// a double-byte character two, any other byte one. False when the line has
// no piece k (an empty line has none).
bool GetLinePiece(const char* line, int32_t width, int32_t k, char* out);

// Every text drawn for `msg` on a printer of `columns` columns, line height
// `lineHeight` and bottom limit `bottom`, in drawing order. A piece drawn on
// line n with n x lineHeight > bottom is the last of its page; a new page,
// headed by the banner, is started only when another piece follows.
std::vector<PrintLine> LayoutPrintJob(const PrintMessage& msg, int32_t columns,
                                      int32_t lineHeight, int32_t bottom);

// Reads the selected message for printing, first making the reader hold its
// file (HoldMessageOf in core/MessageView.h). False when that gives no
// message.
bool ReadPrintMessage(LogSet& set, NodeId node, PrintMessage& msg);

}  // namespace zu
