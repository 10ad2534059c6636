// Log files kept in memory for the reader, each with the faults that a real
// file system can show on demand: a size that says more than the file holds
// (a short read), reads that deliver a few bytes, or one byte, at a time,
// reads interrupted by a signal (EINTR), and a read that fails part-way (EIO).
// Tests and fuzzers read through it with zuLogFile::UseSource: no files.
#pragma once

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <map>
#include <string>
#include <string_view>
#include <utility>

#include "reader/ByteSource.h"

namespace zu::testing {

class MemorySource final : public ByteSource {
 public:
  struct File {
    std::string bytes;
    int64_t statedSize = -1;  // the size Open reports; -1: the size of `bytes`
    int64_t chunk = 0;        // most bytes one read delivers; 0: as many as asked
    int interruptions = 0;    // reads failing with EINTR before every read that delivers
    int64_t failAt = -1;      // the read that reaches this offset fails with EIO; -1: none
    bool regular = true;      // false: a directory, FIFO or device, which cannot be opened
  };

  // Puts (or replaces) the file `path`, without faults; they can be set on
  // the result. A file put again keeps its memory, so that a fuzzer that
  // puts big files over and over costs no new pages.
  File& Put(const std::string& path, std::string_view bytes) {
    File& f = files_[path];
    std::string kept = std::move(f.bytes);
    f = File{};
    kept.assign(bytes);
    f.bytes = std::move(kept);
    return f;
  }
  File& Put(const std::string& path, File file) { return files_[path] = std::move(file); }
  void Remove(const std::string& path) { files_.erase(path); }
  // The file `path`, made empty first when there is none.
  File& Get(const std::string& path) { return files_[path]; }
  File* Find(const std::string& path) {
    const auto it = files_.find(path);
    return it == files_.end() ? nullptr : &it->second;
  }

  bool Open(const std::string& path, int64_t& size) override {
    Close();
    const File* f = Find(path);
    if (f == nullptr || !f->regular) return false;
    open_ = f;
    size = f->statedSize >= 0 ? f->statedSize : static_cast<int64_t>(f->bytes.size());
    ++opens;
    return true;
  }

  ReadResult Read(char* into, int64_t count) override {
    if (open_ == nullptr) return {0, EBADF};
    if (interrupted_ < open_->interruptions) {
      ++interrupted_;
      return {0, EINTR};
    }
    interrupted_ = 0;
    if (open_->failAt >= 0 && at_ >= open_->failAt) {
      // A failed read may leave anything in the caller's buffer.
      std::memset(into, 0xEE, static_cast<size_t>(std::min<int64_t>(count, 64)));
      return {0, EIO};
    }
    int64_t n = std::min<int64_t>(count, static_cast<int64_t>(open_->bytes.size()) - at_);
    if (open_->chunk > 0) n = std::min(n, open_->chunk);
    if (open_->failAt >= 0) n = std::min(n, open_->failAt - at_);
    if (n <= 0) return {0, 0};
    std::memcpy(into, open_->bytes.data() + at_, static_cast<size_t>(n));
    at_ += n;
    return {n, 0};
  }

  void Close() override {
    open_ = nullptr;
    at_ = 0;
    interrupted_ = 0;
  }

  int opens = 0;  // successful opens so far

 private:
  std::map<std::string, File> files_;
  const File* open_ = nullptr;
  int64_t at_ = 0;
  int interrupted_ = 0;
};

}  // namespace zu::testing
