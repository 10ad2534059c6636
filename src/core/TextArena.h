// Keeps texts that callers hold views of. Each text is copied into a block
// that is never moved, grown or shrunk, so a view handed out stays valid
// until Clear, whatever is kept after it (LevelDB's Arena). Blocks are given
// back only by Clear and the destructor.
#pragma once

#include <cstddef>
#include <string_view>

namespace zu {

class TextArena {
 public:
  TextArena() = default;
  ~TextArena() { Clear(); }
  TextArena(const TextArena&) = delete;
  TextArena& operator=(const TextArena&) = delete;

  // Copies `text` into the arena and gives the copy in `kept`. False, with
  // nothing kept, when no memory can be had.
  bool Keep(std::string_view text, std::string_view& kept);

  // Gives every block back: every view handed out so far is invalid.
  void Clear();

  // Bytes of the blocks held now.
  size_t BlockBytes() const { return blockBytes_; }

 private:
  struct Block {
    Block* next;  // the block taken before this one
  };
  // Ten full logs' titles fill some fifteen blocks; a text larger than a
  // quarter of a block (a long path) gets a block of its own, so that little
  // of the current block is left unused.
  static constexpr size_t kBlockSize = size_t{64} << 10;

  char* NewBlock(size_t bytes);

  Block* blocks_ = nullptr;
  char* free_ = nullptr;  // the unused end of the current block
  size_t freeBytes_ = 0;
  size_t blockBytes_ = 0;
};

}  // namespace zu
