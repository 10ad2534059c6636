#include "core/Search.h"

#include <algorithm>
#include <cstring>

#include "reader/ShiftJis.h"

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

// The positions of `text` that hold a byte with which a match can begin: the
// pattern's first byte, and for an ASCII letter the same letter in the other
// case. Found with memchr; each kind is looked for again only once the walk
// has passed where it was last found.
class FirstBytes {
 public:
  FirstBytes(std::string_view text, char first) : text_(text) {
    kinds_[count_++] = first;
    if (IsAsciiLetter(first)) kinds_[count_++] = static_cast<char>(first ^ 0x20);
    for (int k = 0; k < count_; ++k) next_[k] = Find(kinds_[k], 0);
  }

  // The first such position at or after `from`; npos when there is none.
  size_t Next(size_t from) {
    size_t nearest = std::string_view::npos;
    for (int k = 0; k < count_; ++k) {
      if (next_[k] < from) next_[k] = Find(kinds_[k], from);
      nearest = std::min(nearest, next_[k]);
    }
    return nearest;
  }

 private:
  size_t Find(char b, size_t from) const {
    if (from >= text_.size()) return std::string_view::npos;
    const auto* hit = static_cast<const char*>(std::memchr(text_.data() + from, b, text_.size() - from));
    return hit ? static_cast<size_t>(hit - text_.data()) : std::string_view::npos;
  }

  std::string_view text_;
  char kinds_[2] = {};
  size_t next_[2] = {};
  int count_ = 0;
};

// Whether a match can begin at `at` of a body's raw bytes: the pattern's
// bytes agree one by one (the same byte, or the same ASCII letter) before the
// line's LF. A CR among them is not part of the line's text, so only the text
// can tell; true sends the line to the exact test.
bool MayMatchAt(std::string_view raw, size_t at, std::string_view pattern) {
  for (const char p : pattern) {
    if (at >= raw.size() || raw[at] == LineEnd) return false;
    if (raw[at] == DroppedCR) return true;
    if (!SameSingle(raw[at], p)) return false;
    ++at;
  }
  return true;
}

}  // namespace

bool TextContainsView(std::string_view text, std::string_view pattern) {
  if (pattern.empty() || pattern.size() > text.size()) return false;
  const size_t lastStart = text.size() - pattern.size();
  FirstBytes candidates(text, pattern[0]);
  size_t boundary = 0;  // the character boundaries are walked up to each candidate
  for (size_t at = candidates.Next(0); at <= lastStart; at = candidates.Next(at + 1)) {
    while (boundary < at) boundary += CharBytesAt(text, boundary);
    if (boundary == at && MatchesAt(text, at, pattern)) return true;  // else a trail byte
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

int32_t FieldOfHit(const MessageView& view, std::string_view title, std::string_view pattern,
                   int32_t fields) {
  const std::pair<int32_t, std::string_view> heads[] = {
      {FieldNumber, view.Number}, {FieldName, view.Name}, {FieldID, view.ID}, {FieldTitle, title}};
  for (const auto& [bit, text] : heads) {
    if ((fields & bit) && TextContainsView(text, pattern)) return bit;
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

// A body holds the pattern when one of its lines does. A line is taken out
// of the buffer (CR dropped, cut at MaxLineBytes) and matched by characters
// only where a match may begin; memchr passes over everything else.
bool BodyContains(const zuLogFile& reader, int32_t p, std::string_view pattern) {
  if (pattern.empty()) return false;
  const std::string_view body = reader.BodyBytes(p);
  FirstBytes candidates(body, pattern[0]);
  for (size_t at = candidates.Next(0); at != std::string_view::npos;) {
    if (!MayMatchAt(body, at, pattern)) {
      at = candidates.Next(at + 1);
      continue;
    }
    const size_t lineStart = at == 0 ? 0 : body.rfind(LineEnd, at - 1) + 1;  // npos + 1 is 0
    const size_t lineEnd = body.find(LineEnd, at);  // every body line ends in LF
    char text[LineBufferSize];
    CopyLineText(body.substr(lineStart, lineEnd - lineStart), text);
    if (TextContainsView(text, pattern)) return true;
    at = candidates.Next(lineEnd + 1);
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
  if (fields & (FieldName | FieldID)) {
    char line1[LineBufferSize];
    std::string_view name;
    std::string_view id;
    reader.GetSenderNameAndID(p, line1, name, id);
    if ((fields & FieldName) && TextContainsView(name, pattern)) return true;
    if ((fields & FieldID) && TextContainsView(id, pattern)) return true;
  }
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
      heldRow = f;
      heldCount = set.HoldFileOf(f) ? set.Reader().GetCount() : 0;
    }
    // A file that cannot be read as it was loaded holds none of its
    // messages: that is a file error, not a message that fails to match.
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
