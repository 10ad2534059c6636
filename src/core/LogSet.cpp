#include "core/LogSet.h"

#include <algorithm>
#include <tuple>

#define XXH_INLINE_ALL
#include <xxhash.h>

namespace zu {

LogSet::LogSet(zuLogFile& reader, LogSetUi& ui)
    : reader_(reader), ui_(ui), logInfo_(MakeInLargeBlock<std::array<Row, MaxLogFiles>>()) {}

void LogSet::ResetLogSet() {
  // The table goes first: a selection change that the tree reports while it
  // is being cleared must find no item. Only what the loads and the build
  // used is emptied; every other item and placeholder entry is empty already.
  for (int32_t f = 0; f <= lastFile_; ++f) {
    Row& row = (*logInfo_)[f];
    for (int32_t i = 0; row[i].Index != -1; ++i) row[i] = LogInfoItem{};
    rowText_[f].path.clear();
    rowText_[f].titles.clear();
  }
  orphanRoots_.Clear();
  lastFile_ = -1;
  nodeItems_.clear();
  firstByNumber_.clear();
  numbersIndexed_ = false;
  ui_.ClearTree();
  ui_.ClearView();
}

bool LogSet::LoadLogFile(const std::string& path) {
  if (lastFile_ >= MaxLogFiles - 1) {
    ui_.Warn(Message::TooManyFiles, std::string());
    return false;
  }
  if (!reader_.Open(path)) {
    ui_.Warn(Message::CannotOpen, path);
    return false;
  }
  FillRow();
  return true;
}

// One chosen path: a log, or an archive of logs. An archive that gives no
// file and no warning holds no log, and says so as such a file does.
void LogSet::LoadChosen(const std::string& path) {
  std::vector<SourceMember> members;
  if (!reader_.Source().MembersOf(path, members)) {
    LoadLogFile(path);
    return;
  }
  bool told = false;
  for (const SourceMember& member : members) told = LoadMember(member) || told;
  if (!told) ui_.Warn(Message::CannotOpen, path);
}

// As LoadLogFile, but a member that opens and holds no message (a readme
// that a header pair happened to stand in) is passed over without a word.
// True when it loaded or warned.
bool LogSet::LoadMember(const SourceMember& member) {
  if (lastFile_ >= MaxLogFiles - 1) {
    ui_.Warn(Message::TooManyFiles, std::string());
    return true;
  }
  if (member.readable && reader_.Open(member.name)) {
    FillRow();
    return true;
  }
  if (member.readable && reader_.GetFileName() == member.name) return false;
  ui_.Warn(Message::CannotOpen, member.name);
  return true;
}

// The next row from the file that the reader has just opened.
void LogSet::FillRow() {
  Row& row = (*logInfo_)[++lastFile_];
  RowText& text = rowText_[lastFile_];
  numbersIndexed_ = false;
  held_ = loadedBytes_[lastFile_] = BytesOf(reader_);
  text.path = reader_.GetFileName();
  text.titles.reserve(static_cast<size_t>(MaxMessages) * MaxLineBytes);
  const auto& starts = reader_.MessageStarts();
  char line1[LineBufferSize];
  for (int32_t i = 0; i < MaxMessages && starts[i] != -1; ++i) {
    LogInfoItem& m = row[i];
    std::string_view title;
    reader_.GetNumberParentTitle(i, line1, m.Number, m.ParentNumber, title);
    m.FileName = text.path;
    m.Title = std::string_view(text.titles.data() + text.titles.size(), title.size());
    text.titles += title;
    m.Index = i;
    m.InTree = 0;
    m.Node = NoNode;
  }
}

LogSet::LoadedBytes LogSet::BytesOf(const zuLogFile& reader) {
  const std::string_view data = reader.Data();
  const XXH128_hash_t digest = XXH3_128bits(data.data(), data.size());
  return {static_cast<int64_t>(data.size()), digest.low64, digest.high64};
}

void LogSet::OpenFiles(const std::vector<std::string>& paths) {
  if (paths.empty()) return;
  ResetLogSet();
  for (const std::string& path : paths) LoadChosen(path);  // a failure has warned
  BuildThreadTree();
}

void LogSet::BuildThreadTree() {
  ui_.ClearTree();
  ForgetTree();
  RankFiles();
  IndexFirstNumbers();
  for (int32_t rank = 0; rank <= lastFile_; ++rank) {
    const int32_t f = RowOfRank(rank);
    Row& row = (*logInfo_)[f];
    for (int32_t i = 0; row[i].Index != -1; ++i) PlaceMessage(row[i], f, i);
  }
}

// Drops the nodes of an earlier build, so that building again gives the same
// tree as the first build did.
void LogSet::ForgetTree() {
  for (int32_t f = 0; f <= lastFile_; ++f) {
    for (LogInfoItem& m : (*logInfo_)[f]) {
      if (m.Index == -1) break;
      m.InTree = 0;
      m.Node = NoNode;
    }
  }
  orphanRoots_.Clear();
  nodeItems_.clear();
  nodeItems_.reserve(static_cast<size_t>(MaxLogFiles) * MaxMessages + MaxOrphanRoots);
}

// Files are ordered by their first message numbers; equal ones keep their
// load order.
void LogSet::RankFiles() {
  for (int32_t f = 0; f <= lastFile_; ++f) {
    const int32_t first = (*logInfo_)[f][0].Number;
    int32_t rank = 0;
    for (int32_t g = 0; g <= lastFile_; ++g) {
      const int32_t other = (*logInfo_)[g][0].Number;
      if (other < first || (g < f && other == first)) ++rank;
    }
    (*logInfo_)[f][0].FileRank = rank;
  }
}

void LogSet::IndexFirstNumbers() {
  firstByNumber_.clear();
  firstByNumber_.reserve(static_cast<size_t>(lastFile_ + 1) * MaxMessages);
  for (int32_t f = 0; f <= lastFile_; ++f) {
    const Row& row = (*logInfo_)[f];
    for (int32_t i = 0; row[i].Index != -1; ++i) firstByNumber_.push_back({row[i].Number, {f, i}});
  }
  // Equal numbers in row and item order, so that the first in that order
  // stays first; sorted in place.
  std::sort(firstByNumber_.begin(), firstByNumber_.end(), [](const auto& a, const auto& b) {
    return std::tie(a.first, a.second.row, a.second.item) <
           std::tie(b.first, b.second.row, b.second.item);
  });
  auto last = std::unique(firstByNumber_.begin(), firstByNumber_.end(),
                          [](const auto& a, const auto& b) { return a.first == b.first; });
  firstByNumber_.erase(last, firstByNumber_.end());
  numbersIndexed_ = true;
}

void LogSet::PlaceMessage(LogInfoItem& m, int32_t row, int32_t item) {
  NodeId node = NoNode;
  int32_t parentRow = -1;
  int32_t parentItem = -1;
  int32_t k = -1;
  if (m.ParentNumber == -1) {
    node = NewTopLevel(m.Title);
  } else if (FindMessageByNumber(m.ParentNumber, parentRow, parentItem)) {
    node = NewChild((*logInfo_)[parentRow][parentItem].Node, m.Title);
  } else if (FindOrphanRoot(m.ParentNumber, k)) {
    node = NewChild(orphanRoots_[k].Node, m.Title);
  } else {
    // Every placeholder taken: the message stays out of the tree.
    if (FindFreeOrphanRoot() == -1) return;
    const NodeId placeholder = NewTopLevel(std::to_string(m.ParentNumber));
    orphanRoots_.Take(m.ParentNumber, placeholder);
    node = NewChild(placeholder, m.Title);
  }
  m.Node = node;
  m.InTree = 1;
  nodeItems_[node] = {row, item};
}

NodeId LogSet::NewTopLevel(std::string_view caption) {
  const auto id = static_cast<NodeId>(nodeItems_.size());
  nodeItems_.push_back({-1, -1});
  ui_.AddTopLevel(id, caption);
  return id;
}

NodeId LogSet::NewChild(NodeId parent, std::string_view caption) {
  const auto id = static_cast<NodeId>(nodeItems_.size());
  nodeItems_.push_back({-1, -1});
  ui_.AddChild(parent, id, caption);
  return id;
}

bool LogSet::FirstItemWithNumber(int32_t number, Position& at) const {
  if (numbersIndexed_) {
    auto it = std::lower_bound(firstByNumber_.begin(), firstByNumber_.end(), number,
                               [](const auto& entry, int32_t n) { return entry.first < n; });
    if (it == firstByNumber_.end() || it->first != number) return false;
    at = it->second;
    return true;
  }
  for (int32_t f = 0; f <= lastFile_; ++f) {
    const Row& row = (*logInfo_)[f];
    for (int32_t i = 0; row[i].Index != -1; ++i) {
      if (row[i].Number == number) {
        at = {f, i};
        return true;
      }
    }
  }
  return false;
}

// Only the first item with the number counts: when it is not in the tree
// yet, a later copy from another file that is does not stand in for it.
bool LogSet::FindMessageByNumber(int32_t number, int32_t& row, int32_t& item) const {
  Position at{-1, -1};
  if (!FirstItemWithNumber(number, at)) return false;
  row = at.row;
  item = at.item;
  return (*logInfo_)[row][item].InTree == 1;
}

bool LogSet::FindOrphanRoot(int32_t number, int32_t& k) const {
  return orphanRoots_.Find(number, k);
}

int32_t LogSet::FindFreeOrphanRoot() const { return orphanRoots_.FirstFree(); }

bool LogSet::FindItemOfNode(NodeId node, int32_t& row, int32_t& item) const {
  if (node < 0 || node >= NodeCount()) return false;
  const Position at = nodeItems_[node];
  if (at.row == -1) return false;  // a placeholder belongs to no item
  row = at.row;
  item = at.item;
  return true;
}

int32_t LogSet::RowOfRank(int32_t rank) const {
  for (int32_t f = 0; f <= lastFile_; ++f) {
    if ((*logInfo_)[f][0].FileRank == rank) return f;
  }
  return -1;
}

bool LogSet::HoldFileOf(int32_t row) {
  const std::string& path = rowText_[row].path;  // every item of the row has it
  if (reader_.Holds(path) && held_ == loadedBytes_[row]) return true;
  if (!reader_.Open(path)) {
    held_ = LoadedBytes{};
    return false;
  }
  held_ = BytesOf(reader_);
  return held_ == loadedBytes_[row];
}

const OrphanRoot& OrphanRootTable::operator[](int32_t k) const {
  static const OrphanRoot free;
  return k >= 0 && static_cast<size_t>(k) < taken_.size() ? taken_[static_cast<size_t>(k)] : free;
}

bool OrphanRootTable::Find(int32_t number, int32_t& k) const {
  const auto it = byNumber_.find(number);
  if (it == byNumber_.end()) return false;
  k = it->second;
  return true;
}

int32_t OrphanRootTable::FirstFree() const {
  const auto taken = static_cast<int32_t>(taken_.size());
  return taken < MaxOrphanRoots ? taken : -1;
}

void OrphanRootTable::Take(int32_t number, NodeId node) {
  byNumber_.emplace(number, static_cast<int32_t>(taken_.size()));
  taken_.push_back({number, node});
}

void OrphanRootTable::Clear() {
  taken_.clear();
  byNumber_.clear();
}

}  // namespace zu
