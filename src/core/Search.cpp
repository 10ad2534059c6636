#include "core/Search.h"

#include "core/ShiftJis.h"

namespace zu {

std::string SearchText;
int32_t SearchDirection = 1;
int32_t SearchFields = FieldBody;
uint8_t SearchAccepted = 0;

namespace {

bool IsAsciiLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// Two single-byte characters agree when they are the same byte or the same
// ASCII letter in either case.
bool SameSingle(char a, char b) {
  return a == b || (IsAsciiLetter(a) && IsAsciiLetter(b) && (a | 0x20) == (b | 0x20));
}

// Whether the characters of `text` from the boundary `at` agree one by one
// with those of `pattern`. A double-byte character agrees only with itself,
// so its trail byte is never compared as a letter.
bool MatchesAt(std::string_view text, size_t at, std::string_view pattern) {
  size_t p = 0;
  while (p < pattern.size()) {
    if (at >= text.size()) return false;
    const size_t length = CharBytesAt(pattern, p);
    if (CharBytesAt(text, at) != length) return false;
    if (length == 2) {
      if (text[at] != pattern[p] || text[at + 1] != pattern[p + 1]) return false;
    } else if (!SameSingle(text[at], pattern[p])) {
      return false;
    }
    p += length;
    at += length;
  }
  return true;
}

}  // namespace

bool TextContainsView(std::string_view text, std::string_view pattern) {
  if (pattern.empty() || pattern.size() > text.size()) return false;
  // Most characters fail on their first byte: test that inline and leave
  // the rest of the comparison to MatchesAt.
  const char first = pattern[0];
  const bool firstIsLetter = IsAsciiLetter(first);
  const char firstFolded = static_cast<char>(first | 0x20);
  const size_t lastStart = text.size() - pattern.size();
  for (size_t at = 0; at <= lastStart;) {
    const char c = text[at];
    const bool candidate = c == first || (firstIsLetter && (c | 0x20) == firstFolded);
    if (candidate && MatchesAt(text, at, pattern)) return true;
    at += IsLeadByte(c) && at + 1 < text.size() ? 2 : 1;
  }
  return false;
}

bool TextContains(const std::string& text, const std::string& pattern) {
  return TextContainsView(text, pattern);
}

std::vector<size_t> MatchPositions(std::string_view text, std::string_view pattern) {
  std::vector<size_t> found;
  if (pattern.empty()) return found;
  for (size_t at = 0; at < text.size(); at += CharBytesAt(text, at)) {
    // A character whose first byte already differs cannot begin a match.
    if (SameSingle(text[at], pattern[0]) && MatchesAt(text, at, pattern)) found.push_back(at);
  }
  return found;
}

int32_t FieldOfHit(const MessageView& view, const std::string& title, std::string_view pattern,
                   int32_t fields) {
  const std::pair<int32_t, const std::string*> heads[] = {
      {FieldNumber, &view.Number}, {FieldName, &view.Name}, {FieldID, &view.ID}, {FieldTitle, &title}};
  for (const auto& [bit, text] : heads) {
    if ((fields & bit) && TextContainsView(*text, pattern)) return bit;
  }
  if (fields & FieldBody) {
    for (const std::string& line : view.Body) {
      if (TextContainsView(line, pattern)) return FieldBody;
    }
  }
  return 0;
}

namespace {

// One step of the walk through the loaded messages: row f, position p.
// False at the end of the search order.
bool StepDown(const LogSet& set, int32_t& f, int32_t& p) {
  if (set[f][p + 1].Number != -1) {
    ++p;
    return true;
  }
  const int32_t rank = set[f][0].FileRank + 1;
  if (rank > set.LastFile()) return false;
  f = set.RowOfRank(rank);
  p = 0;
  return true;
}

bool StepUp(const LogSet& set, int32_t& f, int32_t& p) {
  if (p > 0) {
    --p;
    return true;
  }
  const int32_t rank = set[f][0].FileRank - 1;
  if (rank < 0) return false;
  f = set.RowOfRank(rank);
  p = 0;
  while (set[f][p + 1].Number != -1) ++p;  // the row's last message
  return true;
}

bool BodyContains(const zuLogFile& reader, int32_t p, std::string_view pattern) {
  char line[LineBufferSize];
  for (int32_t j = 0; reader.GetBodyLine(p, j, line); ++j) {
    if (TextContainsView(line, pattern)) return true;
  }
  return false;
}

// The fields are tested in the order number, name, ID, title, body; the
// number as its decimal text, the name as the whole column with its padding.
bool MessageMatches(const LogSet& set, int32_t f, int32_t p, std::string_view pattern,
                    int32_t fields) {
  const LogInfoItem& m = set[f][p];
  const zuLogFile& reader = set.Reader();
  if ((fields & FieldNumber) && TextContainsView(std::to_string(m.Number), pattern)) return true;
  if ((fields & FieldName) && TextContainsView(reader.GetSenderName(p), pattern)) return true;
  if ((fields & FieldID) && TextContainsView(reader.GetSenderID(p), pattern)) return true;
  if ((fields & FieldTitle) && TextContainsView(m.Title, pattern)) return true;
  return (fields & FieldBody) && BodyContains(reader, p, pattern);
}

bool CheckConditions(const LogSet& set, NodeId selected, const std::string& text,
                     int32_t fields, int32_t& f, int32_t& p) {
  Message stop;
  if (selected == NoNode) stop = Message::SearchNoStart;
  else if (!set.FindItemOfNode(selected, f, p)) stop = Message::SearchFromPlaceholder;
  else if (text.empty()) stop = Message::SearchNoText;
  else if (fields <= 0) stop = Message::SearchNoFields;
  else return true;
  set.Ui().Warn(stop, std::string());
  return false;
}

}  // namespace

bool RunSearch(LogSet& set, NodeId selected, const std::string& text, int32_t direction,
               int32_t fields, SearchHit& hit) {
  int32_t f = -1;
  int32_t p = -1;
  if (!CheckConditions(set, selected, text, fields, f, p)) return false;
  // Nothing but this walk opens files while it runs, so the reader's file
  // needs checking only when the walk enters a row.
  int32_t heldRow = -1;
  int32_t heldCount = 0;
  for (;;) {
    const bool moved = direction == 1 ? StepDown(set, f, p) : StepUp(set, f, p);
    if (!moved) {
      set.Ui().Warn(Message::SearchEnd, std::string());
      return false;
    }
    if (f != heldRow) {
      if (!set.HoldFileOf(f, 0)) {
        set.Ui().Warn(Message::SearchFileError, std::string());
        return false;
      }
      heldRow = f;
      heldCount = set.Reader().GetCount();
    }
    // A file cut short since loading no longer holds the message: that is
    // a file error too, not a message that fails to match.
    if (p >= heldCount) {
      set.Ui().Warn(Message::SearchFileError, std::string());
      return false;
    }
    if (MessageMatches(set, f, p, text, fields)) {
      hit = {f, p};
      return true;
    }
  }
}

}  // namespace zu
