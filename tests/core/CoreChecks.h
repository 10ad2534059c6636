// The whole core driven by arbitrary bytes, from memory. The bytes choose one
// to twelve log files (some of them failing on purpose: missing, without a
// message, too large, cut short, failing part-way), the Open command loads
// them as one set, and then the tree, the view, searches both ways, printing
// and the print layout of made-up messages are checked against the core's
// promises, most of them against a plain reading of the rules: linear scans,
// a character-by-character match, the fields read afresh by a second reader.
// Last, some files may change or fail underfoot, and every later view,
// search and print must still give the file's present content or its
// failure's own warning. Shared by the fuzz target and the replay test.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/LogSet.h"
#include "core/MessageView.h"
#include "core/PrintLayout.h"
#include "core/Search.h"
#include "reader/ReaderChecks.h"
#include "support/LogFiles.h"
#include "support/MemorySource.h"

namespace zu::testing {

// The fuzz input read as small choices taken from its end and texts taken
// from its start (as LLVM's FuzzedDataProvider does), so that even a short
// input gives both a shape and some text. When the two meet, every choice
// is 0 and OneIn is false, every text empty.
class Choices {
 public:
  Choices(const uint8_t* data, size_t size) : data_(data), end_(size) {}

  uint8_t Byte() { return end_ > begin_ ? data_[--end_] : 0; }
  // 0 to n - 1 (1 ≤ n ≤ 65536), from one byte, or two when n > 256.
  int32_t Below(int32_t n) {
    uint32_t v = Byte();
    if (n > 256) v = v << 8 | Byte();
    return static_cast<int32_t>(v % static_cast<uint32_t>(n));
  }
  bool OneIn(int32_t n) { return Below(n) == n - 1; }

  // Up to `max` bytes of the input as they stand.
  std::string Bytes(int32_t max) {
    const size_t n = std::min(static_cast<size_t>(Below(max + 1)), end_ - begin_);
    std::string out(reinterpret_cast<const char*>(data_ + begin_), n);
    begin_ += n;
    return out;
  }

  // Up to `max` bytes of text: the input's own bytes, or characters that the
  // rules care about (letters of either case, lead bytes at the edges of
  // their ranges, trail bytes that read as letters, tab, CR, NUL), or a short
  // run of them repeated, which makes long lines out of a short input.
  std::string Text(int32_t max) {
    static constexpr char kAlphabet[] = {'a', 'A', 'z', 'Z', '1', '2', ' ', '/', ')', '\t', '\r', '\0',
                                         '\x81', '\x82', '\x9f', '\xe0', '\xfc', '\x80', '\xa0',
                                         '\xfd', '\x40', '\x7f'};
    const int32_t mode = Below(3);
    if (mode == 0) return Bytes(max);
    std::string unit;
    for (int32_t n = 1 + Below(mode == 1 ? 12 : 4); n > 0; --n)
      unit += kAlphabet[Below(static_cast<int32_t>(sizeof kAlphabet))];
    if (mode == 1) return unit.substr(0, static_cast<size_t>(max));
    const auto length = static_cast<size_t>(Below(max + 1));
    std::string out;
    while (out.size() < length) out += unit;
    out.resize(length);
    return out;
  }

 private:
  const uint8_t* data_;
  size_t begin_ = 0;
  size_t end_;
};

// ---- the rules, read plainly ----

namespace plain {

inline bool Lead(char c) {
  const auto b = static_cast<unsigned char>(c);
  return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

// The characters of `text`, as byte strings.
inline std::vector<std::string_view> Characters(std::string_view text) {
  std::vector<std::string_view> out;
  for (size_t at = 0; at < text.size();) {
    const size_t n = Lead(text[at]) && at + 1 < text.size() ? 2 : 1;
    out.push_back(text.substr(at, n));
    at += n;
  }
  return out;
}

inline bool Agree(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  if (a == b) return true;
  auto letter = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); };
  return a.size() == 1 && letter(a[0]) && letter(b[0]) && (a[0] | 0x20) == (b[0] | 0x20);
}

// Mended rules M1, M2: at some character boundary of `text`, the characters
// that follow agree one by one with those of `pattern`.
inline bool Contains(std::string_view text, std::string_view pattern) {
  if (pattern.empty()) return false;
  const auto t = Characters(text);
  const auto p = Characters(pattern);
  for (size_t start = 0; start + p.size() <= t.size(); ++start) {
    size_t k = 0;
    while (k < p.size() && Agree(t[start + k], p[k])) ++k;
    if (k == p.size()) return true;
  }
  return false;
}

// A line as printed: its characters up to a NUL, a tab as four spaces.
inline std::vector<std::string_view> PrintedCharacters(const std::string& line) {
  std::vector<std::string_view> out = Characters(std::string_view(line.c_str()));
  for (std::string_view& c : out) {
    if (c == "\t") c = "    ";
  }
  return out;
}

}  // namespace plain

// ---- the front end: records nodes and warnings ----

class RecordingUi : public LogSetUi {
 public:
  struct Node {
    NodeId parent;
    std::string caption;
  };
  void ClearTree() override { nodes.clear(); }
  void AddTopLevel(NodeId id, std::string_view caption) override { Add(id, NoNode, caption); }
  void AddChild(NodeId parent, NodeId id, std::string_view caption) override {
    if (parent < 0 || parent >= static_cast<NodeId>(nodes.size())) badNode = true;
    Add(id, parent, caption);
  }
  void ClearView() override {}
  void Warn(zu::Message m, const std::string& path) override { warnings.emplace_back(m, path); }

  std::vector<Node> nodes;  // by id
  std::vector<std::pair<zu::Message, std::string>> warnings;
  bool badNode = false;  // an id out of creation order, or a child of no node

 private:
  void Add(NodeId id, NodeId parent, std::string_view caption) {
    if (id != static_cast<NodeId>(nodes.size())) badNode = true;
    nodes.push_back({parent, std::string(caption)});
  }
};

// ---- the logs ----

inline std::string LineEnd(Choices& c) { return c.OneIn(8) ? "\n" : "\r\n"; }

// A text of up to `max` bytes without LF: one line's.
inline std::string LineText(Choices& c, int32_t max) {
  std::string s = c.Text(max);
  std::erase(s, '\n');
  return s;
}

// One message in one of the shapes that the logs have or that break them.
// Numbers come mostly from a small range shared by the whole set, so that
// equal numbers, equal first numbers and parents in other files are common.
inline std::string LogMessage(Choices& c, int32_t& last) {
  const uint8_t form = c.Byte();
  int32_t number = 0;
  switch (form & 3) {
    case 0: number = ++last; break;
    case 1: number = 1 + c.Below(24); break;
    case 2: number = last + 1 + c.Below(4); break;
    default: number = c.Below(65536); break;  // 0 is no header line
  }
  last = std::max(last, number);
  std::string parent = "\x82\xa0";
  switch ((form >> 2) & 7) {
    case 2: parent = Zero5(1 + c.Below(24)) + parent; break;             // often loaded somewhere
    case 3: parent = Zero5(number + 1 + c.Below(3)) + parent; break;     // comes later: a placeholder
    case 4: parent = Zero5(20000 + c.Below(40)) + parent; break;         // missing: a placeholder
    case 5: parent = Zero5(number) + parent; break;                      // answers itself
    case 6: parent = "  " + std::to_string(c.Below(40)) + parent; break;  // spaces; 0 is none
    case 7: parent = LineText(c, 12); break;                             // anything
    default: break;                                                      // none
  }
  std::string title;
  switch ((form >> 5) & 3) {
    case 0: title = "T" + std::to_string(number); break;
    case 1: title = LineText(c, 40); break;
    case 2: title = LineText(c, 300); break;  // past the 254 bytes of a line
    default: break;
  }
  const std::string id = c.OneIn(16) ? LineText(c, 9) : "ABCD1234";
  const std::string name = c.OneIn(4) ? LineText(c, 20) : "SAMPLE";
  const std::string end = LineEnd(c);
  std::string out = c.OneIn(8) ? LineText(c, 64) + end : std::string();  // text between messages
  out += (form & 0x80 ? std::to_string(number) : Zero5(number)) + "/00045 " + id + "  " +
         Pad(name, 16) + " " + title + end;
  out += "00007) 96/05/17 21:05  " + parent + end;
  for (int32_t lines = c.Below(4); lines > 0; --lines) out += c.Text(c.OneIn(8) ? 300 : 80) + end;
  if (!c.OneIn(4)) out += end;  // the line before the next header, never a body line
  return out;
}

// Up to 3001 messages of one plain shape: full rows, long reply chains,
// a full placeholder table, or one number all through.
inline void FullText(Choices& c, std::string& out) {
  const int32_t count = 2990 + c.Below(12);
  const int32_t start = 1 + c.Below(50) * 100;
  const int32_t pattern = c.Below(4);
  for (int32_t k = 0; k < count; ++k) {
    const int32_t number = pattern == 3 ? start : start + k;
    int32_t parent = -1;
    if (pattern == 1 && k > 0) parent = number - 1;
    if (pattern == 2) parent = 100000 + number;  // each its own placeholder
    out += Zero5(number) + "/1 ABCD1234  FULL\r\n";
    out += "00007) 96/05/17 21:05  " + (parent > 0 ? Zero5(parent) : std::string()) + "\x82\xa0\r\n";
  }
}

// A log into `out`, which keeps its memory from run to run.
inline void LogText(Choices& c, std::string& out) {
  out = "Forum log\r\n";
  if (c.OneIn(64)) return FullText(c, out);
  int32_t last = c.Below(4) * 100;
  for (int32_t n = c.Below(12); n > 0; --n) out += LogMessage(c, last);
  if (c.OneIn(4)) out.erase(out.find_last_not_of("\r\n") + 1);  // no line end at the end
}

// Puts a file in memory as `path`, with one of the faults a file can have.
inline void PutLog(Choices& c, MemorySource& source, const std::string& path, std::string& bytes) {
  LogText(c, bytes);
  const auto size = static_cast<int64_t>(bytes.size());
  switch (c.Below(20)) {
    case 0: source.Remove(path); break;  // missing
    case 1: source.Put(path, "Forum log\r\nno message here\r\n"); break;
    case 2: source.Put(path, bytes).failAt = c.Below(static_cast<int32_t>(std::min<int64_t>(size + 1, 65536))); break;
    case 3: source.Put(path, bytes).statedSize = BufferSize + c.Below(2); break;  // too large, or short
    case 4: source.Put(path, bytes).statedSize = size + 1 + c.Below(200); break;  // ends early
    case 5: {  // slow reads; a big file in fewer of them, to keep runs fast
      MemorySource::File& f = source.Put(path, bytes);
      f.chunk = std::max<int64_t>(1 + c.Below(16), size / 256);
      f.interruptions = c.Below(3);
      break;
    }
    case 6: source.Put(path, bytes).regular = false; break;
    default: source.Put(path, bytes); break;
  }
}

// The paths of one Open command; a path may come twice. The files of an
// earlier set that this one does not name stay in `source`, unread. `bytes`
// is room to write a log in, kept from run to run like the source's files.
inline std::vector<std::string> PutSet(Choices& c, MemorySource& source, std::string& bytes) {
  std::vector<std::string> paths;
  for (int32_t n = 1 + c.Below(12), k = 0; k < n; ++k) {
    if (k > 0 && c.OneIn(8)) {
      paths.push_back(paths[static_cast<size_t>(c.Below(k))]);
      continue;
    }
    paths.push_back("log" + std::to_string(k));
    PutLog(c, source, paths.back(), bytes);
  }
  return paths;
}

// ---- one run ----

class CoreRun {
 public:
  CoreRun() {
    reader_.AllocateBuffer();
    plain_.AllocateBuffer();
    reader_.UseSource(source_);
    plain_.UseSource(source_);
  }
  CoreRun(const CoreRun&) = delete;
  CoreRun& operator=(const CoreRun&) = delete;

  // Empty when every promise held, else the first one broken. The set is
  // kept from run to run, so that every run also checks the reset.
  std::string Run(const uint8_t* data, size_t size) {
    Choices c(data, size);
    plainPath_.clear();
    readFailureOpened_ = false;
    const std::vector<std::string> paths = PutSet(c, source_, text_);
    ui_.warnings.clear();
    ui_.badNode = false;
    set_.OpenFiles(paths);
    std::string broken = CheckLoad(paths);
    if (broken.empty()) broken = CheckReset();
    if (broken.empty()) broken = CheckTree();
    for (int32_t n = 1 + c.Below(6); broken.empty() && n > 0; --n) broken = Operation(c);
    if (broken.empty() && c.OneIn(3)) broken = ChangeFilesUnderfoot(c, paths);
    Remember();
    if (broken.empty() && readFailureOpened_) broken = "a file whose read failed opened";
    return broken;
  }

 private:
  using Warnings = std::vector<std::pair<zu::Message, std::string>>;

  // The plain reader reads a file again only when it holds another or the
  // files may have changed: its own memory, not the reader's under test.
  // A file whose read fails must never open, in either reader.
  bool PlainOpen(std::string_view path) {
    if (path == plainPath_) return plainOpened_;
    plainPath_ = path;
    plainOpened_ = plain_.Open(plainPath_);
    const MemorySource::File* file = source_.Find(plainPath_);
    if (plainOpened_ && file != nullptr && ExpectOpen(*file).readFails) readFailureOpened_ = true;
    return plainOpened_;
  }

  // -- loading --

  // Each file is checked against its row while the plain reader holds it.
  std::string CheckLoad(const std::vector<std::string>& paths) {
    Warnings expected;
    int32_t loaded = 0;
    for (const std::string& path : paths) {
      if (loaded == MaxLogFiles) {
        expected.emplace_back(zu::Message::TooManyFiles, std::string());
      } else if (PlainOpen(path)) {
        if (loaded > set_.LastFile()) return "a file that opens did not load";
        const std::string broken = CheckRow(loaded++, path);
        if (!broken.empty()) return broken;
      } else {
        expected.emplace_back(zu::Message::CannotOpen, path);
      }
    }
    if (ui_.warnings != expected) return "load warnings differ";
    if (set_.LastFile() != loaded - 1) return "LastFile is not the count loaded";
    for (int32_t f = loaded; f < MaxLogFiles; ++f) {
      const std::string broken = CheckEmpty(f, 0, 0);
      if (!broken.empty()) return broken;
    }
    return {};
  }

  // Every item of the row against its message; in a long row a sample, as
  // reading every field twice over would slow the run down tenfold.
  std::string CheckRow(int32_t f, const std::string& path) {
    PlainOpen(path);
    const int32_t count = plain_.GetCount();
    for (int32_t i = 0; i < count; i += i < 64 || i >= count - 64 ? 1 : 61) {
      const LogInfoItem& m = set_[f][i];
      if (m.FileName != path || m.Index != i) return "item has the wrong file or index";
      if (m.Number != plain_.GetNumber(i) || m.ParentNumber != plain_.GetParentNumber(i) ||
          m.Title != plain_.GetTitle(i))
        return "item differs from its message";
      if (i > 0 && m.FileRank != -1) return "FileRank on an item other than the first";
    }
    rowCount_[static_cast<size_t>(f)] = count;
    return CheckEmpty(f, count, count);
  }

  // Items `from` to `to` of row `f` are empty.
  std::string CheckEmpty(int32_t f, int32_t from, int32_t to) const {
    for (int32_t i = from; i <= to && i < RowSize; ++i) {
      const LogInfoItem& m = set_[f][i];
      if (!m.FileName.empty() || !m.Title.empty() || m.Index != -1 || m.Number != -1 ||
          m.ParentNumber != -1 || m.InTree != 0 || m.Node != NoNode || m.FileRank != -1)
        return "an item past the end of a row is not empty";
    }
    return {};
  }

  // What the run before used must be empty again, unless loaded anew.
  std::string CheckReset() const {
    for (int32_t f = 0; f < MaxLogFiles; ++f) {
      const int32_t from = f <= set_.LastFile() ? rowCount_[static_cast<size_t>(f)] : 0;
      const std::string broken = CheckEmpty(f, from, usedBefore_[static_cast<size_t>(f)]);
      if (!broken.empty()) return "reset: " + broken;
    }
    return {};
  }

  void Remember() {
    for (int32_t f = 0; f < MaxLogFiles; ++f) {
      int32_t used = 0;
      while (set_[f][used].Index != -1) ++used;
      usedBefore_[static_cast<size_t>(f)] = used;
    }
  }

  // -- the tree, built again by the plain rules --

  // Kept from run to run, so that a big set costs no new memory.
  struct PlainTree {
    std::vector<RecordingUi::Node> nodes;
    std::vector<NodeId> nodeOfItem;  // by Slot
    std::vector<std::pair<int32_t, NodeId>> placeholders;  // in the order taken
  };

  // Items numbered through the loaded rows in row order: a place in a list.
  int32_t Slot(int32_t f, int32_t i) const { return firstSlot_[static_cast<size_t>(f)] + i; }

  // Part of the rule of FindMessageByNumber: the first item with each number,
  // in row order, as a sorted list of (number, slot).
  void FirstOfEachNumber(std::vector<std::pair<int32_t, int32_t>>& firsts) const {
    firsts.clear();
    for (int32_t f = 0; f <= set_.LastFile(); ++f) {
      for (int32_t i = 0; set_[f][i].Index != -1; ++i) firsts.emplace_back(set_[f][i].Number, Slot(f, i));
    }
    std::sort(firsts.begin(), firsts.end());  // by number, then by slot: row order
    firsts.erase(std::unique(firsts.begin(), firsts.end(),
                             [](const auto& a, const auto& b) { return a.first == b.first; }),
                 firsts.end());
  }

  void BuildPlainTree(PlainTree& t) {
    t.nodes.clear();
    t.placeholders.clear();
    const int32_t last = set_.LastFile();
    int32_t items = 0;
    for (int32_t f = 0; f <= last; ++f) {
      firstSlot_[static_cast<size_t>(f)] = items;
      items += rowCount_[static_cast<size_t>(f)];
    }
    t.nodeOfItem.assign(static_cast<size_t>(items), NoNode);
    std::vector<int32_t> rowOfRank(static_cast<size_t>(last + 1), -1);
    for (int32_t f = 0; f <= last; ++f) {
      int32_t rank = 0;
      for (int32_t g = 0; g <= last; ++g) {
        const int32_t a = set_[g][0].Number;
        const int32_t b = set_[f][0].Number;
        if (a < b || (g < f && a == b)) ++rank;
      }
      rowOfRank[static_cast<size_t>(rank)] = f;
    }
    std::vector<std::pair<int32_t, int32_t>>& firsts = firsts_;
    FirstOfEachNumber(firsts);
    std::map<int32_t, NodeId> placeholderOf;
    auto add = [&](NodeId parent, std::string_view caption) {
      t.nodes.push_back({parent, std::string(caption)});
      return static_cast<NodeId>(t.nodes.size()) - 1;
    };
    for (int32_t f : rowOfRank) {
      for (int32_t i = 0; set_[f][i].Index != -1; ++i) {
        const LogInfoItem& m = set_[f][i];
        const auto first = std::lower_bound(firsts.begin(), firsts.end(), std::make_pair(m.ParentNumber, 0));
        const bool parentPlaced = first != firsts.end() && first->first == m.ParentNumber &&
                                  t.nodeOfItem[static_cast<size_t>(first->second)] != NoNode;
        NodeId node = NoNode;
        if (m.ParentNumber == -1) {
          node = add(NoNode, m.Title);
        } else if (parentPlaced) {
          node = add(t.nodeOfItem[static_cast<size_t>(first->second)], m.Title);
        } else if (placeholderOf.count(m.ParentNumber)) {
          node = add(placeholderOf[m.ParentNumber], m.Title);
        } else if (t.placeholders.size() < static_cast<size_t>(MaxOrphanRoots)) {
          const NodeId top = add(NoNode, std::to_string(m.ParentNumber));
          placeholderOf[m.ParentNumber] = top;
          t.placeholders.emplace_back(m.ParentNumber, top);
          node = add(top, m.Title);
        }
        t.nodeOfItem[static_cast<size_t>(Slot(f, i))] = node;
      }
    }
  }

  std::string CheckTree() {
    if (ui_.badNode) return "node ids out of creation order";
    PlainTree& t = tree_;
    BuildPlainTree(t);
    for (int32_t rank = 0; rank <= set_.LastFile(); ++rank) {
      const int32_t row = set_.RowOfRank(rank);
      if (row < 0 || set_[row][0].FileRank != rank) return "FileRank is no permutation";
    }
    if (ui_.nodes.size() != t.nodes.size() || set_.NodeCount() != static_cast<int32_t>(t.nodes.size()))
      return "node count differs from the plain build";
    for (size_t n = 0; n < t.nodes.size(); ++n) {
      if (ui_.nodes[n].parent != t.nodes[n].parent || ui_.nodes[n].caption != t.nodes[n].caption)
        return "node differs from the plain build";
    }
    std::vector<int> owners(t.nodes.size(), 0);
    for (int32_t f = 0; f <= set_.LastFile(); ++f) {
      for (int32_t i = 0; set_[f][i].Index != -1; ++i) {
        const LogInfoItem& m = set_[f][i];
        const NodeId expected = t.nodeOfItem[static_cast<size_t>(Slot(f, i))];
        if (m.Node != expected || m.InTree != (expected != NoNode ? 1 : 0)) return "message node differs";
        if (m.Node == NoNode) continue;
        if (++owners[static_cast<size_t>(m.Node)] > 1) return "two messages share a node";
        int32_t row = -1, item = -1;
        if (!set_.FindItemOfNode(m.Node, row, item) || row != f || item != i)
          return "FindItemOfNode does not invert the node table";
      }
    }
    return CheckPlaceholders(t, owners);
  }

  std::string CheckPlaceholders(const PlainTree& t, const std::vector<int>& owners) const {
    const auto& roots = set_.OrphanRoots();
    for (int32_t k = 0; k < MaxOrphanRoots; ++k) {
      const bool taken = static_cast<size_t>(k) < t.placeholders.size();
      const int32_t number = taken ? t.placeholders[static_cast<size_t>(k)].first : -1;
      const NodeId node = taken ? t.placeholders[static_cast<size_t>(k)].second : NoNode;
      if (roots[k].Number != number || roots[k].Node != node) return "placeholder table differs";
    }
    int32_t row = -1, item = -1;
    for (size_t n = 0; n < t.nodes.size(); ++n) {
      if (owners[n] == 0 && set_.FindItemOfNode(static_cast<NodeId>(n), row, item))
        return "FindItemOfNode finds an item for a placeholder";
    }
    for (NodeId n : {NoNode, -2, set_.NodeCount(), set_.NodeCount() + 1}) {
      if (set_.FindItemOfNode(n, row, item)) return "FindItemOfNode finds an item for no node";
    }
    const int32_t firstFree = set_.FindFreeOrphanRoot();
    if (firstFree != (t.placeholders.size() < static_cast<size_t>(MaxOrphanRoots) ? static_cast<int32_t>(t.placeholders.size()) : -1))
      return "FindFreeOrphanRoot is not the first free entry";
    return {};
  }

  // -- operations after the load --

  std::string Operation(Choices& c) {
    switch (c.Below(5)) {
      case 0: return View(PickNode(c));
      case 1: return Print(PickNode(c), c);
      case 2: return Search(c);
      case 3: return Layout(MadeUpMessage(c), c);
      default: return Contains(c);
    }
  }

  // A message's node mostly, else a placeholder, none, or no node at all.
  NodeId PickNode(Choices& c) const {
    if (set_.LastFile() >= 0 && !c.OneIn(4)) {
      const int32_t f = c.Below(set_.LastFile() + 1);
      return set_[f][c.Below(std::max(1, rowCount_[static_cast<size_t>(f)]))].Node;
    }
    return c.Below(set_.NodeCount() + 3) - 2;
  }

  // The view as the plain rules give it, reading the file's present content;
  // false with the warning that failure gives.
  bool PlainView(NodeId node, MessageView& view, Warnings& warnings) {
    view = MessageView{};
    int32_t f = -1, i = -1;
    if (!set_.FindItemOfNode(node, f, i)) return false;
    const LogInfoItem& m = set_[f][i];
    if (!PlainOpen(m.FileName) || m.Index >= plain_.GetCount()) {
      warnings.emplace_back(zu::Message::CannotOpen, std::string(m.FileName));
      return false;
    }
    view.Number = std::to_string(plain_.GetNumber(m.Index));
    view.Name = plain_.GetSenderName(m.Index);
    view.ID = plain_.GetSenderID(m.Index);
    view.DateTime = plain_.GetDate(m.Index) + " " + plain_.GetTime(m.Index);
    char line[LineBufferSize];
    for (int32_t j = 0; plain_.GetBodyLine(m.Index, j, line); ++j) view.Body.emplace_back(line);
    return true;
  }

  static bool SameView(const MessageView& a, const MessageView& b) {
    return a.Number == b.Number && a.Name == b.Name && a.ID == b.ID && a.DateTime == b.DateTime &&
           a.Body == b.Body;
  }

  std::string View(NodeId node) {
    ui_.warnings.clear();
    MessageView view, expected;
    Warnings warnings;
    const bool shown = ReadMessageView(set_, node, view);
    if (shown != PlainView(node, expected, warnings)) return "view shown or not against the plain view";
    if (ui_.warnings != warnings) return "view warnings differ";
    if (!SameView(view, expected)) return "view differs from the message's file";
    for (const std::string& line : view.Body) {
      if (line.size() > static_cast<size_t>(MaxLineBytes)) return "view line over 254 bytes";
    }
    return {};
  }

  std::string Print(NodeId node, Choices& c) {
    ui_.warnings.clear();
    PrintMessage msg;
    MessageView expected;
    Warnings warnings;
    const bool read = ReadPrintMessage(set_, node, msg);
    if (read != PlainView(node, expected, warnings)) return "print read or not against the plain view";
    if (ui_.warnings != warnings) return "print warnings differ";
    if (!read) return {};
    int32_t f = -1, i = -1;
    set_.FindItemOfNode(node, f, i);
    if (msg.Title != set_[f][i].Title || msg.Number != set_[f][i].Number) return "print head is not the item's";
    if (msg.SenderName != expected.Name || msg.SenderID != expected.ID ||
        msg.Date + " " + msg.Time != expected.DateTime || msg.Body != expected.Body)
      return "printed fields differ from the view";
    return Layout(msg, c);
  }

  static PrintMessage MadeUpMessage(Choices& c) {
    PrintMessage msg;
    msg.Title = c.Text(40);
    msg.Number = c.Below(65536);
    msg.SenderName = c.Text(16);
    for (int32_t n = c.Below(8); n > 0; --n) {
      std::string line = c.Text(c.OneIn(3) ? 600 : 80);
      std::erase(line, '\0');  // the pane's lines hold none
      msg.Body.push_back(line);
    }
    return msg;
  }

  // The pieces of every body line: whole characters, at most 255 bytes, within
  // the width unless one character is wider, each as long as the greedy cut
  // makes it; together, the line as printed.
  static std::string Pieces(const PrintMessage& msg, int32_t width, std::vector<std::string>& pieces) {
    char out[LineBufferSize];
    for (const std::string& line : msg.Body) {
      const std::vector<std::string_view> chars = plain::PrintedCharacters(line);
      size_t next = 0;  // the first character not yet in a piece
      int32_t k = 0;
      for (; GetLinePiece(line.c_str(), width, k, out); ++k) {
        const std::string piece = out;
        if (piece.size() > static_cast<size_t>(MaxPieceBytes)) return "piece over 255 bytes";
        std::string whole;
        const size_t first = next;
        while (next < chars.size() && whole.size() < piece.size()) whole += chars[next++];
        if (whole != piece || next == first) return "piece is not whole characters of the line";
        const size_t room = static_cast<size_t>(std::clamp(width, 0, MaxPieceBytes));
        if (next - first > 1 && piece.size() > room) return "piece wider than the width";
        if (next < chars.size() && piece.size() + chars[next].size() <= room) return "piece cut too soon";
        pieces.push_back(piece);
      }
      if (next != chars.size()) return "pieces leave part of the line out";
      if (GetLinePiece(line.c_str(), width, k + 1, out)) return "a piece past the last";
    }
    return {};
  }

  // The page layout: the head, then the pieces in order, a page ending at
  // the first piece drawn below the bottom, and never a banner alone.
  static std::string Layout(const PrintMessage& msg, Choices& c) {
    // Printers give some 60 to 150 columns; past 255 only the piece's bytes
    // hold it back, and below 1 every character is a piece of its own.
    const int32_t width = c.OneIn(4) ? 250 + c.Below(300) : c.Below(170) - 10;
    const int32_t lineHeight = 1 + c.Below(150);
    const int32_t bottom = c.Below(5000) - 3 * lineHeight;
    std::vector<std::string> pieces;
    std::string broken = Pieces(msg, width, pieces);
    if (!broken.empty()) return broken;
    const std::vector<PrintLine> lines = LayoutPrintJob(msg, width, lineHeight, bottom);
    const std::string banner = BannerHead + msg.Title + BannerTail;
    const std::vector<PrintLine> head = {
        {1, 1, banner},
        {1, 4, Separator},
        {1, 5, LabelNumber + std::to_string(msg.Number)},
        {1, 6, LabelName + msg.SenderName},
        {1, 7, LabelID + msg.SenderID},
        {1, 8, LabelTime + msg.Date + DateTimeGap + msg.Time},
        {1, 9, Separator}};
    if (lines.size() < head.size() || !std::equal(head.begin(), head.end(), lines.begin()))
      return "print head differs";
    size_t piece = 0;
    int32_t page = 1, n = FirstBodyLine - 1;
    bool full = false;  // the last piece was drawn below the bottom
    for (size_t k = head.size(); k < lines.size(); ++k) {
      const PrintLine& l = lines[k];
      if (full) {
        if (l.page != page + 1 || l.line != 1 || l.text != banner) return "no banner on a new page";
        if (k + 1 == lines.size()) return "a page holds the banner alone";
        ++page;
        n = NextBodyLine - 1;
        full = false;
        continue;
      }
      if (l.page != page || l.line != n + 1) return "piece on the wrong line";
      if (piece >= pieces.size() || l.text != pieces[piece++]) return "printed pieces differ";
      n = l.line;
      full = static_cast<int64_t>(n) * lineHeight > bottom;
    }
    return piece == pieces.size() ? std::string() : "pieces left unprinted";
  }

  // -- the search --

  // A search text that is often part of a field of a loaded message.
  std::string SearchTextFor(Choices& c) {
    if (set_.LastFile() < 0 || c.OneIn(3)) return c.Text(c.OneIn(8) ? 300 : 12);
    const int32_t f = c.Below(set_.LastFile() + 1);
    const LogInfoItem& m = set_[f][c.Below(std::max(1, rowCount_[static_cast<size_t>(f)]))];
    std::string field(m.Title);
    if (PlainOpen(m.FileName) && m.Index >= 0) {
      char line[LineBufferSize];
      switch (c.Below(4)) {
        case 0: field = plain_.GetSenderName(m.Index); break;
        case 1: field = plain_.GetSenderID(m.Index); break;
        case 2: field = plain_.GetBodyLine(m.Index, c.Below(4), line) ? line : ""; break;
        default: field = std::to_string(m.Number); break;
      }
    }
    const auto from = static_cast<size_t>(c.Below(static_cast<int32_t>(std::min<size_t>(field.size() + 1, 256))));
    std::string text = field.substr(from, static_cast<size_t>(1 + c.Below(8)));
    for (char& ch : text) {
      if (c.OneIn(4) && ((ch >= 'A' && ch <= 'Z') || (ch >= 'a' && ch <= 'z'))) ch = static_cast<char>(ch ^ 0x20);
    }
    return text;
  }

  bool PlainMatches(int32_t f, int32_t p, const std::string& text, int32_t fields) {
    const LogInfoItem& m = set_[f][p];
    if ((fields & FieldNumber) && plain::Contains(std::to_string(m.Number), text)) return true;
    if ((fields & FieldName) && plain::Contains(plain_.GetSenderName(p), text)) return true;
    if ((fields & FieldID) && plain::Contains(plain_.GetSenderID(p), text)) return true;
    if ((fields & FieldTitle) && plain::Contains(m.Title, text)) return true;
    char line[LineBufferSize];
    for (int32_t j = 0; (fields & FieldBody) && plain_.GetBodyLine(p, j, line); ++j) {
      if (plain::Contains(line, text)) return true;
    }
    return false;
  }

  // The search as the plain rules give it: "row:item" or the stop message.
  std::string PlainSearch(NodeId selected, const std::string& text, int32_t direction, int32_t fields) {
    int32_t f = -1, p = -1;
    if (selected == NoNode) return zu::MessageText(zu::Message::SearchNoStart);
    if (!set_.FindItemOfNode(selected, f, p)) return zu::MessageText(zu::Message::SearchFromPlaceholder);
    if (text.empty()) return zu::MessageText(zu::Message::SearchNoText);
    if (fields <= 0) return zu::MessageText(zu::Message::SearchNoFields);
    std::vector<std::pair<int32_t, int32_t>>& order = order_;
    order.clear();
    for (int32_t rank = 0; rank <= set_.LastFile(); ++rank) {
      const int32_t row = set_.RowOfRank(rank);
      for (int32_t i = 0; set_[row][i].Number != -1; ++i) order.emplace_back(row, i);
    }
    auto at = static_cast<int64_t>(std::find(order.begin(), order.end(), std::make_pair(f, p)) - order.begin());
    int32_t entered = -1;
    int32_t count = 0;
    for (;;) {
      at += direction == 1 ? 1 : -1;
      if (at < 0 || at >= static_cast<int64_t>(order.size())) return zu::MessageText(zu::Message::SearchEnd);
      const auto [row, item] = order[static_cast<size_t>(at)];
      if (row != entered) {
        if (!PlainOpen(set_[row][0].FileName)) return zu::MessageText(zu::Message::SearchFileError);
        entered = row;
        count = plain_.GetCount();
      }
      if (item >= count) return zu::MessageText(zu::Message::SearchFileError);
      if (PlainMatches(row, item, text, fields)) return std::to_string(row) + ":" + std::to_string(item);
    }
  }

  std::string Search(Choices& c) {
    const NodeId start = PickNode(c);
    const std::string text = SearchTextFor(c);
    const int32_t direction = c.Below(3);
    const int32_t fields = c.OneIn(8) ? c.Below(64) - 8 : 1 + c.Below(31);
    ui_.warnings.clear();
    SearchHit hit;
    std::string got;
    if (RunSearch(set_, start, text, direction, fields, hit)) {
      if (!ui_.warnings.empty()) return "a search hit warned";
      got = std::to_string(hit.row) + ":" + std::to_string(hit.item);
    } else {
      if (ui_.warnings.size() != 1) return "a search without a hit did not warn once";
      got = zu::MessageText(ui_.warnings[0].first);
    }
    return got == PlainSearch(start, text, direction, fields) ? std::string() : "search differs from the plain walk";
  }

  static std::string Contains(Choices& c) {
    const std::string text = c.Text(40);
    std::string pattern;
    if (c.OneIn(2) && !text.empty()) {
      const auto from = static_cast<size_t>(c.Below(static_cast<int32_t>(text.size())));
      pattern = text.substr(from, static_cast<size_t>(1 + c.Below(6)));
    } else {
      pattern = c.Text(6);
    }
    for (char& ch : pattern) {
      if (c.OneIn(3) && ((ch >= 'A' && ch <= 'Z') || (ch >= 'a' && ch <= 'z'))) ch = static_cast<char>(ch ^ 0x20);
    }
    return TextContains(text, pattern) == plain::Contains(text, pattern) ? std::string()
                                                                         : "TextContains differs from the plain match";
  }

  // -- files that change underfoot --

  // Deletes, empties, cuts, breaks or keeps each file, moves the reader to
  // another file so that none is held from before, then views, searches and
  // prints again, some of them twice.
  std::string ChangeFilesUnderfoot(Choices& c, const std::vector<std::string>& paths) {
    for (const std::string& path : paths) {
      MemorySource::File* f = source_.Find(path);
      if (f == nullptr) continue;
      const auto size = static_cast<int32_t>(std::min<size_t>(f->bytes.size(), 65535));
      switch (c.Below(8)) {
        case 0: source_.Remove(path); break;
        case 1: source_.Put(path, "Forum log\r\n"); break;                   // no message
        case 2: f->bytes.resize(static_cast<size_t>(c.Below(size + 1))); f->statedSize = -1; break;  // cut
        case 3: f->failAt = c.Below(size + 1); break;                          // a read error
        case 4: f->regular = false; break;
        default: break;
      }
    }
    plainPath_.clear();
    source_.Put("other", Header(Msg{}) + "\r\n");
    if (!reader_.Open("other")) return "a good file did not open";
    std::string broken;
    for (int32_t n = 1 + c.Below(6); broken.empty() && n > 0; --n) {
      const NodeId node = PickNode(c);
      const bool twice = c.OneIn(2);
      switch (c.Below(3)) {
        case 0:
          broken = View(node);
          if (broken.empty() && twice) broken = View(node);
          break;
        case 1:
          broken = Print(node, c);
          if (broken.empty() && twice) broken = Print(node, c);
          break;
        default: broken = Search(c); break;
      }
    }
    return broken.empty() ? broken : "after files changed: " + broken;
  }

  MemorySource source_;
  zuLogFile reader_;  // the set's reader, as LogReader is the program's
  zuLogFile plain_;   // reads the same files for the expected results
  std::string plainPath_;  // the file plain_ read last, "" for none
  bool plainOpened_ = false;
  bool readFailureOpened_ = false;
  std::string text_;
  PlainTree tree_;
  std::vector<std::pair<int32_t, int32_t>> firsts_;  // (number, slot)
  std::vector<std::pair<int32_t, int32_t>> order_;   // (row, item) in search order
  std::array<int32_t, MaxLogFiles> firstSlot_{};
  RecordingUi ui_;
  LogSet set_{reader_, ui_};
  std::array<int32_t, MaxLogFiles> rowCount_{};    // messages per loaded row
  std::array<int32_t, MaxLogFiles> usedBefore_{};  // items the run before filled, per row
};

}  // namespace zu::testing
