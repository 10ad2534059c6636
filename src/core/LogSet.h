// The log set: every message of up to ten loaded log files (LogInfo), the
// placeholder nodes of the thread tree (OrphanRoots) and the count of loaded
// files (LastFile), with the Open command's loading, the thread tree build
// and the lookups between messages and tree nodes.
//
// The set knows no widgets. It talks to its front end through LogSetUi: the
// window implements it with a tree control and message boxes, the dump tool
// with plain records. Both therefore see the same nodes in the same order.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "core/Messages.h"
#include "core/TextArena.h"
#include "reader/LargeBlock.h"
#include "reader/zuLogFile.h"

namespace zu {

inline constexpr int32_t MaxLogFiles = 10;
inline constexpr int32_t RowSize = MaxMessages + 1;  // a full row keeps its end marker
inline constexpr int32_t MaxOrphanRoots = 3000;

// A tree node, named by the order in which the build created it: 0, 1, 2 ...
using NodeId = int32_t;
inline constexpr NodeId NoNode = -1;

// FileName and Title are views of texts that the set keeps in an arena (the
// row's path and the titles of its messages, one after the other): a full
// table then takes a few blocks of memory instead of two for each of 30,000
// items. The arena never moves what it keeps, so they stay valid until the
// set is reset, which empties the items first.
struct LogInfoItem {
  std::string_view FileName;
  std::string_view Title;
  int32_t Index = -1;
  int32_t Number = -1;
  int32_t ParentNumber = -1;
  uint8_t InTree = 0;
  NodeId Node = NoNode;
  int32_t FileRank = -1;  // read on item 0 of a filled row only
};

struct OrphanRoot {
  int32_t Number = -1;  // -1: free entry
  NodeId Node = NoNode;
};

// The placeholder nodes of the tree (OrphanRoots): MaxOrphanRoots entries,
// taken in index order, always the first free one, and freed only all
// together; a taken entry holds a distinct message number. Kept as the taken
// entries in order, with their index by number for the lookup.
class OrphanRootTable {
 public:
  OrphanRootTable() { taken_.reserve(MaxOrphanRoots); }

  // Entry k; a free entry holds Number -1 and no node.
  const OrphanRoot& operator[](int32_t k) const;
  // The entry that holds `number`: true and its index in `k`.
  bool Find(int32_t number, int32_t& k) const;
  // The first free entry, -1 when all are taken.
  int32_t FirstFree() const;
  // Takes the first free entry for `number` and `node` (there must be one).
  void Take(int32_t number, NodeId node);
  void Clear();

 private:
  std::vector<OrphanRoot> taken_;
  std::unordered_map<int32_t, int32_t> byNumber_;
};

// What the log set needs of its front end.
class LogSetUi {
 public:
  virtual ~LogSetUi() = default;
  virtual void ClearTree() = 0;
  // Adds node `id` after all top-level nodes / after all children of `parent`.
  // The caption's bytes stay where they are until the next ClearTree.
  virtual void AddTopLevel(NodeId id, std::string_view caption) = 0;
  virtual void AddChild(NodeId parent, NodeId id, std::string_view caption) = 0;
  // Empties the text pane and the four message fields.
  virtual void ClearView() = 0;
  // A modal warning; `path` is set for Message::CannotOpen only.
  virtual void Warn(Message m, const std::string& path) = 0;
};

class LogSet {
 public:
  using Row = std::array<LogInfoItem, RowSize>;

  // `reader` is the shared reader (LogReader in the program); both must
  // outlive the set. The set starts empty without calling `ui`, which may
  // still be under construction; the front end clears its own controls.
  // Nothing is allocated here: each row's table is taken when a file is
  // first loaded into it and kept for later loads.
  LogSet(zuLogFile& reader, LogSetUi& ui);
  // The items are views of the set's own strings: it stays where it is.
  LogSet(const LogSet&) = delete;
  LogSet& operator=(const LogSet&) = delete;

  // Empties the table and the placeholders, then the tree and the view.
  void ResetLogSet();
  // Loads `path` into the next row; warns and returns false when it cannot
  // (too many files, a file that cannot be opened, no memory for its row).
  bool LoadLogFile(const std::string& path);
  // The Open command after its dialog: reset (when `paths` is not empty),
  // load each path in order, build the tree. An empty list changes nothing.
  // An archive's members that are logs load one by one, as if each had been
  // chosen, under the names the reader's source gives them; a member that
  // holds no message takes no row and is not mentioned.
  void OpenFiles(const std::vector<std::string>& paths);
  // Builds the tree from the loaded rows, starting again from no nodes.
  // False when memory ran out on the way: the set has then been reset to
  // empty, tree and view included, and Message::OutOfMemory warned.
  bool BuildThreadTree();

  // Lookups, of the last build; out-values are meaningful only when the
  // result is true.
  bool FindMessageByNumber(int32_t number, int32_t& row, int32_t& item) const;
  bool FindOrphanRoot(int32_t number, int32_t& k) const;
  int32_t FindFreeOrphanRoot() const;
  bool FindItemOfNode(NodeId node, int32_t& row, int32_t& item) const;
  // The filled row whose FileRank is `rank`, or -1.
  int32_t RowOfRank(int32_t rank) const;

  // Makes the reader hold `row`'s file, opening it again unless the reader
  // holds it from an Open that succeeded; false when that open fails, or
  // when the file's bytes are no longer those it was loaded with (nothing is
  // reported here).
  bool HoldFileOf(int32_t row);

  // Row `row` (0 .. MaxLogFiles - 1); a row no file was ever loaded into
  // reads as empty.
  const Row& operator[](int32_t row) const;
  int32_t LastFile() const { return lastFile_; }
  const OrphanRootTable& OrphanRoots() const { return orphanRoots_; }
  int32_t NodeCount() const { return static_cast<int32_t>(nodeItems_.size()); }
  zuLogFile& Reader() const { return reader_; }
  // Bytes the set holds for the titles and paths of the loaded files.
  size_t KeptTextBytes() const { return texts_.BlockBytes(); }
  LogSetUi& Ui() const { return ui_; }

 private:
  struct Position {
    int32_t row;
    int32_t item;
  };
  static constexpr Position kPlaceholder{-1, -1};  // the node of a missing message

  Row& RowAt(int32_t row) { return *rows_[row]; }
  bool TakeRowsBlock();
  bool TakeRow(int32_t row);
  void LoadChosen(const std::string& path);
  bool LoadMember(const SourceMember& member);
  bool FillRow();
  bool KeepTitles(int32_t f, std::string_view path);
  void BuildTree();
  void RankFiles();
  void ForgetTree();
  void PlaceMessage(LogInfoItem& m, int32_t row, int32_t item);
  // A node at the top level, or under `parent`, for the item at `at`: a
  // node is never without its item.
  NodeId NewTopLevel(std::string_view caption, Position at);
  NodeId NewChild(NodeId parent, std::string_view caption, Position at);
  // An entry of the index of first numbers; where -1: a free slot.
  struct NumberSlot {
    int32_t number = 0;
    int32_t where = -1;  // row x RowSize + item
  };
  void IndexFirstNumbers();
  const NumberSlot& SlotOf(int32_t number) const;
  NumberSlot& SlotOf(int32_t number);
  bool FirstItemWithNumber(int32_t number, Position& at) const;

  zuLogFile& reader_;
  LogSetUi& ui_;
  // LogInfo: one block for every row, taken at the first load, each row
  // made at its first load and kept for later ones.
  static constexpr size_t kRowsBytes = sizeof(Row) * MaxLogFiles;
  struct FreeRows {
    void operator()(void* block) const { FreeLargeBlock(block, kRowsBytes); }
  };
  std::unique_ptr<void, FreeRows> rowsBlock_;
  std::array<Row*, MaxLogFiles> rows_{};
  // What the items' FileName and Title are views of.
  TextArena texts_;
  std::array<std::string_view, MaxLogFiles> paths_;
  // Each row's file as it was loaded, by its size and a digest of its bytes,
  // and the bytes the reader holds since the set last opened a file: a file
  // changed on disk since loading is not read as the one that was loaded.
  struct LoadedBytes {
    int64_t size = -1;
    uint64_t low = 0;
    uint64_t high = 0;
    bool operator==(const LoadedBytes&) const = default;
  };
  static LoadedBytes BytesOf(std::string_view data);
  std::array<LoadedBytes, MaxLogFiles> loadedBytes_;
  LoadedBytes held_;
  // Each row's index, as the load made it.
  std::unique_ptr<std::array<zuLogFile::Index, MaxLogFiles>> indexes_;
  int32_t lastFile_ = -1;
  OrphanRootTable orphanRoots_;

  // Indexes that give the same answers as scans of the tables in row and
  // item order. The table does not change between two loads, so the index
  // of first numbers is built once per tree build and dropped by every load.
  // Both filled as soon as they are sized: they take huge pages when large.
  std::vector<Position, LargeBlockAllocator<Position>> nodeItems_;  // by NodeId; kPlaceholder for a placeholder
  std::vector<NumberSlot, LargeBlockAllocator<NumberSlot>> firstByNumber_;  // hashed by number
  int32_t hashShift_ = 28;
  bool numbersIndexed_ = false;
};

}  // namespace zu
