#include "core/PrintLayout.h"

#include <cstring>
#include <string_view>

#include "core/MessageView.h"
#include "reader/ShiftJis.h"

namespace zu {

namespace {

// Columns and output bytes of one character: a tab is written as spaces.
struct CharSize {
  int32_t columns;
  int32_t bytes;
};

CharSize SizeOf(std::string_view line, size_t at, size_t length) {
  if (line[at] == '\t') return {TabColumns, TabColumns};
  const auto n = static_cast<int32_t>(length);
  return {n, n};
}

std::string Banner(const std::string& title) { return BannerHead + title + BannerTail; }

class PageWriter {
 public:
  PageWriter(int32_t lineHeight, int32_t bottom) : lineHeight_(lineHeight), bottom_(bottom) {}

  void Head(const PrintMessage& msg) {
    Draw(1, Banner(msg.Title));
    Draw(4, Separator);
    Draw(5, LabelNumber + std::to_string(msg.Number));
    Draw(6, LabelName + msg.SenderName);
    Draw(7, LabelID + msg.SenderID);
    Draw(8, LabelTime + msg.Date + DateTimeGap + msg.Time);
    Draw(9, Separator);
    n_ = FirstBodyLine;
    title_ = msg.Title;
  }

  // The page break waits for the next piece, so that no page holds the
  // banner alone.
  void Piece(const char* text) {
    if (pageFull_) {
      ++page_;
      Draw(1, Banner(title_));
      n_ = NextBodyLine;
      pageFull_ = false;
    }
    Draw(n_, text);
    if (static_cast<int64_t>(n_) * lineHeight_ > bottom_) pageFull_ = true;
    else ++n_;
  }

  std::vector<PrintLine> Take() { return std::move(lines_); }

 private:
  void Draw(int32_t n, std::string text) { lines_.push_back({page_, n, std::move(text)}); }

  int32_t lineHeight_;
  int32_t bottom_;
  int32_t page_ = 1;
  int32_t n_ = 1;
  bool pageFull_ = false;
  std::string title_;
  std::vector<PrintLine> lines_;
};

}  // namespace

bool GetLinePiece(const char* line, int32_t width, int32_t k, char* out) {
  const std::string_view text(line);
  int32_t piece = 0;
  int32_t columns = 0;
  int32_t bytes = 0;  // of the current piece, as written
  size_t written = 0;
  for (size_t at = 0; at < text.size();) {
    const size_t length = CharBytesAt(text, at);
    const CharSize size = SizeOf(text, at, length);
    const bool full = columns + size.columns > width || bytes + size.bytes > MaxPieceBytes;
    if (bytes > 0 && full) {
      if (++piece > k) break;
      columns = 0;
      bytes = 0;
    }
    columns += size.columns;
    bytes += size.bytes;
    if (piece == k) {
      if (text[at] == '\t') {
        std::memset(out + written, ' ', TabColumns);
      } else {
        std::memcpy(out + written, text.data() + at, length);
      }
      written += static_cast<size_t>(size.bytes);
    }
    at += length;
  }
  out[written] = '\0';
  return written > 0;
}

std::vector<PrintLine> LayoutPrintJob(const PrintMessage& msg, int32_t columns,
                                      int32_t lineHeight, int32_t bottom) {
  PageWriter pages(lineHeight, bottom);
  pages.Head(msg);
  char piece[LineBufferSize];
  for (const std::string& line : msg.Body) {
    for (int32_t k = 0; GetLinePiece(line.c_str(), columns, k, piece); ++k) pages.Piece(piece);
  }
  return pages.Take();
}

bool ReadPrintMessage(LogSet& set, NodeId node, PrintMessage& msg) {
  msg = PrintMessage{};
  const LogInfoItem* m = HoldMessageOf(set, node);
  if (m == nullptr) return false;
  const zuLogFile& reader = set.Reader();
  msg.Title = m->Title;
  msg.Number = m->Number;
  msg.SenderName = reader.GetSenderName(m->Index);
  msg.SenderID = reader.GetSenderID(m->Index);
  msg.Date = reader.GetDate(m->Index);
  msg.Time = reader.GetTime(m->Index);
  msg.Body = ReadBodyLines(reader, m->Index);
  return true;
}

}  // namespace zu
