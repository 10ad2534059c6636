#include "core/TextArena.h"

#include <cstdlib>
#include <cstring>
#include <new>

namespace zu {

bool TextArena::Keep(std::string_view text, std::string_view& kept) {
  if (text.empty()) {
    kept = {};
    return true;
  }
  char* at = nullptr;
  if (text.size() <= freeBytes_) {
    at = free_;
    free_ += text.size();
    freeBytes_ -= text.size();
  } else if (text.size() > kBlockSize / 4) {
    at = NewBlock(text.size());  // the current block stays current
  } else if ((at = NewBlock(kBlockSize)) != nullptr) {
    free_ = at + text.size();
    freeBytes_ = kBlockSize - text.size();
  }
  if (at == nullptr) return false;
  std::memcpy(at, text.data(), text.size());
  kept = std::string_view(at, text.size());
  return true;
}

void TextArena::Clear() {
  while (blocks_ != nullptr) {
    Block* next = blocks_->next;
    ::operator delete(blocks_);
    blocks_ = next;
  }
  free_ = nullptr;
  freeBytes_ = 0;
  blockBytes_ = 0;
}

// A block's bytes follow its link; null when no memory can be had.
char* TextArena::NewBlock(size_t bytes) {
  void* memory = ::operator new(sizeof(Block) + bytes, std::nothrow);
  if (memory == nullptr) return nullptr;
  auto* block = new (memory) Block{blocks_};
  blocks_ = block;
  blockBytes_ += bytes;
  return reinterpret_cast<char*>(block + 1);
}

}  // namespace zu
