#include "core/LogSet.h"

#include <algorithm>
#include <cassert>
#include <new>
#include <tuple>
#include <type_traits>

#define XXH_INLINE_ALL
#include <xxhash.h>

namespace zu {

LogSet::LogSet(zuLogFile& reader, LogSetUi& ui) : reader_(reader), ui_(ui) {}

const LogSet::Row& LogSet::operator[](int32_t row) const {
  assert(row >= 0 && row < MaxLogFiles);
  static const Row never{};  // every item empty
  return rows_[row] != nullptr ? *rows_[row] : never;
}

// The block of every row, taken once.
bool LogSet::TakeRowsBlock() {
  if (!rowsBlock_) rowsBlock_.reset(AllocateLargeBlock(kRowsBytes));
  return rowsBlock_ != nullptr;
}

// Row `row`, made when first needed.
bool LogSet::TakeRow(int32_t row) {
  static_assert(std::is_trivially_destructible_v<Row>, "rows are given back with their block, undestroyed");
  if (!TakeRowsBlock()) return false;
  if (rows_[row] == nullptr) rows_[row] = new (static_cast<Row*>(rowsBlock_.get()) + row) Row{};
  return true;
}

void LogSet::ResetLogSet() {
  // The table goes first: a selection change that the tree reports while it
  // is being cleared must find no item. Only what the loads and the build
  // used is emptied; every other item and placeholder entry is empty already.
  for (int32_t f = 0; f <= lastFile_; ++f) {
    Row& row = RowAt(f);
    for (int32_t i = 0; row[i].Index != -1; ++i) row[i] = LogInfoItem{};
    paths_[f] = {};
  }
  orphanRoots_.Clear();
  lastFile_ = -1;
  nodeItems_.clear();
  firstByNumber_.clear();
  numbersIndexed_ = false;
  ui_.ClearTree();
  ui_.ClearView();
  // No item and no node of the front end's views a kept text any more.
  texts_.Clear();
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
  return FillRow();
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
    FillRow();  // a failure has warned
    return true;
  }
  if (member.readable && reader_.GetFileName() == member.name) return false;
  ui_.Warn(Message::CannotOpen, member.name);
  return true;
}

// The next row from the file that the reader has just opened. False, with a
// warning, when there is no memory for it.
bool LogSet::FillRow() {
  const int32_t f = lastFile_ + 1;
  if (!TakeRow(f) || !KeepTitles(f, reader_.GetFileName())) {
    ui_.Warn(Message::OutOfMemory, std::string());
    return false;
  }
  lastFile_ = f;
  numbersIndexed_ = false;
  held_ = loadedBytes_[f] = BytesOf(reader_.Data());
  // Kept so that opening the file again need not index it again; without
  // room for it, it is indexed again.
  if (!indexes_) indexes_.reset(new (std::nothrow) std::array<zuLogFile::Index, MaxLogFiles>);
  if (indexes_) (*indexes_)[f] = reader_.MessageStarts();
  return true;
}

// Fills row `f` (all of whose items are empty) from the reader's current
// file. False, leaving every item of it empty, when the arena has no memory
// left; what was kept is given back by the next reset.
bool LogSet::KeepTitles(int32_t f, std::string_view path) {
  Row& row = RowAt(f);
  std::string_view keptPath;
  if (!texts_.Keep(path, keptPath)) return false;
  const auto& starts = reader_.MessageStarts();
  char line1[LineBufferSize];
  int32_t i = 0;
  for (; i < MaxMessages && starts[i] != -1; ++i) {
    LogInfoItem& m = row[i];
    std::string_view title;
    reader_.GetNumberParentTitle(i, line1, m.Number, m.ParentNumber, title);
    if (!texts_.Keep(title, m.Title)) break;
    m.FileName = keptPath;
    m.Index = i;
    m.InTree = 0;
    m.Node = NoNode;
  }
  if (i < MaxMessages && starts[i] != -1) {
    for (int32_t k = 0; k <= i; ++k) row[k] = LogInfoItem{};
    return false;
  }
  paths_[f] = keptPath;
  return true;
}

LogSet::LoadedBytes LogSet::BytesOf(std::string_view data) {
  const XXH128_hash_t digest = XXH3_128bits(data.data(), data.size());
  return {static_cast<int64_t>(data.size()), digest.low64, digest.high64};
}

void LogSet::OpenFiles(const std::vector<std::string>& paths) {
  if (paths.empty()) return;
  ResetLogSet();
  // The table takes huge pages only where the rows to be filled fill them.
  if (TakeRowsBlock()) {
    ExpectFill(rowsBlock_.get(), kRowsBytes, sizeof(Row) * std::min<size_t>(paths.size(), MaxLogFiles));
  }
  for (const std::string& path : paths) LoadChosen(path);  // a failure has warned
  BuildThreadTree();
}

bool LogSet::BuildThreadTree() {
  // The indexes and the front end's tree take memory as the tree grows. A
  // tree cut short would show a lie, so it is not shown at all.
  try {
    BuildTree();
    return true;
  } catch (const std::bad_alloc&) {
    ResetLogSet();
    ui_.Warn(Message::OutOfMemory, std::string());
    return false;
  }
}

void LogSet::BuildTree() {
  ui_.ClearTree();
  ForgetTree();
  RankFiles();
  IndexFirstNumbers();
  for (int32_t rank = 0; rank <= lastFile_; ++rank) {
    const int32_t f = RowOfRank(rank);
    Row& row = RowAt(f);
    for (int32_t i = 0; row[i].Index != -1; ++i) PlaceMessage(row[i], f, i);
  }
}

// Drops the nodes of an earlier build, so that building again gives the same
// tree as the first build did.
void LogSet::ForgetTree() {
  for (int32_t f = 0; f <= lastFile_; ++f) {
    for (LogInfoItem& m : RowAt(f)) {
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
    const int32_t first = RowAt(f)[0].Number;
    int32_t rank = 0;
    for (int32_t g = 0; g <= lastFile_; ++g) {
      const int32_t other = RowAt(g)[0].Number;
      if (other < first || (g < f && other == first)) ++rank;
    }
    RowAt(f)[0].FileRank = rank;
  }
}

// Open addressing over a power of two slots, at most half of them taken:
// most lookups of a tree build take one probe, where a search in a sorted
// table took fifteen, each likely a cache miss.
void LogSet::IndexFirstNumbers() {
  size_t items = 0;
  for (int32_t f = 0; f <= lastFile_; ++f) {
    const Row& row = (*this)[f];
    for (int32_t i = 0; row[i].Index != -1; ++i) ++items;
  }
  int32_t bits = 4;
  while ((size_t{1} << bits) < 2 * items) ++bits;
  firstByNumber_.assign(size_t{1} << bits, NumberSlot{});
  hashShift_ = 32 - bits;
  // Items in row and item order: the first of equal numbers takes the slot.
  for (int32_t f = 0; f <= lastFile_; ++f) {
    const Row& row = (*this)[f];
    for (int32_t i = 0; row[i].Index != -1; ++i) {
      NumberSlot& slot = SlotOf(row[i].Number);
      if (slot.where == -1) slot = {row[i].Number, f * RowSize + i};
    }
  }
  numbersIndexed_ = true;
}

// The slot that holds `number`, or the empty one where it would go.
const LogSet::NumberSlot& LogSet::SlotOf(int32_t number) const {
  const size_t mask = firstByNumber_.size() - 1;
  size_t at = (static_cast<uint32_t>(number) * 0x9E3779B1u) >> hashShift_;  // Fibonacci hashing
  while (firstByNumber_[at].where != -1 && firstByNumber_[at].number != number) at = (at + 1) & mask;
  return firstByNumber_[at];
}

LogSet::NumberSlot& LogSet::SlotOf(int32_t number) {
  return const_cast<NumberSlot&>(static_cast<const LogSet&>(*this).SlotOf(number));
}

void LogSet::PlaceMessage(LogInfoItem& m, int32_t row, int32_t item) {
  const Position at{row, item};
  NodeId node = NoNode;
  int32_t parentRow = -1;
  int32_t parentItem = -1;
  int32_t k = -1;
  if (m.ParentNumber == -1) {
    node = NewTopLevel(m.Title, at);
  } else if (FindMessageByNumber(m.ParentNumber, parentRow, parentItem)) {
    node = NewChild(RowAt(parentRow)[parentItem].Node, m.Title, at);
  } else if (FindOrphanRoot(m.ParentNumber, k)) {
    node = NewChild(orphanRoots_[k].Node, m.Title, at);
  } else {
    // Every placeholder taken: the message stays out of the tree.
    if (FindFreeOrphanRoot() == -1) return;
    std::string_view caption;  // kept until the set is reset, as every caption is
    if (!texts_.Keep(std::to_string(m.ParentNumber), caption)) throw std::bad_alloc();
    const NodeId placeholder = NewTopLevel(caption, kPlaceholder);
    orphanRoots_.Take(m.ParentNumber, placeholder);
    node = NewChild(placeholder, m.Title, at);
  }
  m.Node = node;
  m.InTree = 1;
}

NodeId LogSet::NewTopLevel(std::string_view caption, Position at) {
  const auto id = static_cast<NodeId>(nodeItems_.size());
  nodeItems_.push_back(at);
  ui_.AddTopLevel(id, caption);
  return id;
}

NodeId LogSet::NewChild(NodeId parent, std::string_view caption, Position at) {
  const auto id = static_cast<NodeId>(nodeItems_.size());
  nodeItems_.push_back(at);
  ui_.AddChild(parent, id, caption);
  return id;
}

// Through the index of the last build: a file loaded since has placed no
// message in the tree yet.
bool LogSet::FirstItemWithNumber(int32_t number, Position& at) const {
  if (!numbersIndexed_) return false;
  const NumberSlot& slot = SlotOf(number);
  if (slot.where == -1) return false;
  at = {slot.where / RowSize, slot.where % RowSize};
  return true;
}

// Only the first item with the number counts: when it is not in the tree
// yet, a later copy from another file that is does not stand in for it.
bool LogSet::FindMessageByNumber(int32_t number, int32_t& row, int32_t& item) const {
  Position at{-1, -1};
  if (!FirstItemWithNumber(number, at)) return false;
  row = at.row;
  item = at.item;
  return (*this)[row][item].InTree == 1;
}

bool LogSet::FindOrphanRoot(int32_t number, int32_t& k) const {
  return orphanRoots_.Find(number, k);
}

int32_t LogSet::FindFreeOrphanRoot() const { return orphanRoots_.FirstFree(); }

bool LogSet::FindItemOfNode(NodeId node, int32_t& row, int32_t& item) const {
  if (node < 0 || node >= NodeCount()) return false;
  const Position at = nodeItems_[node];
  if (at.row == kPlaceholder.row) return false;  // a placeholder belongs to no item
  row = at.row;
  item = at.item;
  return true;
}

int32_t LogSet::RowOfRank(int32_t rank) const {
  for (int32_t f = 0; f <= lastFile_; ++f) {
    if ((*this)[f][0].FileRank == rank) return f;
  }
  return -1;
}

bool LogSet::HoldFileOf(int32_t row) {
  const std::string_view path = paths_[row];  // every item of the row has it
  if (reader_.Holds(path) && held_ == loadedBytes_[row]) return true;
  LoadedBytes read;
  const auto sameAsLoaded = [&](std::string_view bytes) {
    read = BytesOf(bytes);
    return read == loadedBytes_[row];
  };
  const zuLogFile::Index* known = indexes_ ? &(*indexes_)[row] : nullptr;
  if (!reader_.Open(std::string(path), known, sameAsLoaded)) {
    held_ = LoadedBytes{};
    return false;
  }
  held_ = known != nullptr ? read : BytesOf(reader_.Data());
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
