// zuLogFile holds one log file (the current file) wholly in memory and keeps
// the byte offsets at which its messages begin. A message is addressed by its
// place in that index, which only means something while the same file stays
// current: every successful Open replaces the current file for all callers.
//
// Lines end at LF, CR is dropped anywhere, and a line keeps at most
// MaxLineBytes bytes; lines are handed out in caller buffers of LineBufferSize
// bytes. Fields are the file's own bytes, unconverted and untrimmed.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "reader/LogFormat.h"

#include "reader/ByteSource.h"
#include "reader/LargeBlock.h"

namespace zu {

inline constexpr int32_t BufferSize = 1500000;   // largest file that is read
inline constexpr int32_t MaxMessages = 3000;     // index entries per file

// The text of one line from its bytes in the file (`raw`, without its LF):
// CR dropped, at most MaxLineBytes kept, NUL-terminated in `out` (at least
// 255 bytes). Gives the number of bytes kept.
int32_t CopyLineText(std::string_view raw, char* out);

class zuLogFile {
 public:
  zuLogFile();
  ~zuLogFile();
  zuLogFile(const zuLogFile&) = delete;
  zuLogFile& operator=(const zuLogFile&) = delete;

  // Obtains the zero-filled buffer of BufferSize bytes, once. False (and no
  // buffer) when it cannot be had; without a buffer every Open returns false.
  bool AllocateBuffer();

  // Reads the file whole and indexes it. True when it holds at least one
  // message. A path that cannot be opened, or that is not a regular file,
  // leaves the previous file current and returns false. A file that can be
  // opened becomes current even when it holds no message; one larger than
  // BufferSize is current with no data; one that ends sooner than its size
  // said holds what arrived. A read that fails part-way has overwritten the
  // buffer, so it leaves no file current (GetFileName gives "") and returns
  // false.
  bool Open(const std::string& path);
  // The message starts of a file, as BuildIndex finds them.
  using Index = std::array<int32_t, MaxMessages>;
  // As Open, but when `madeFrom` says that the bytes read are those `known`
  // was made from, `known` is taken as their index instead of building it
  // again: a caller that opens the same files over and over (the search)
  // indexes each once.
  bool Open(const std::string& path, const Index* known, const std::function<bool(std::string_view)>& madeFrom);

  // Takes the bytes of every later Open from `source` instead of the file
  // system (tests and fuzzers); `source` must outlive that use.
  void UseSource(ByteSource& source) { source_ = &source; }
  ByteSource& Source() const { return *source_; }

  std::string GetFileName() const;  // the path as passed to Open, or ""
  // True when `path` is the current file and the Open that made it current
  // succeeded: only then may a caller read its messages without opening it
  // again. A file replaced by one without messages, or gone, never is.
  bool Holds(std::string_view path) const { return held_ && currentFile_ == path; }
  // -1 with no current file or no data; else the number of indexed messages.
  int32_t GetCount() const;

  // Copies the line at byte offset `pos` into `out` (at least 255 bytes,
  // NUL-terminated, at most MaxLineBytes kept). Gives the offset of the next
  // line, or -1 when the data ends before an LF or `pos` is out of range.
  int32_t ReadLine(int32_t pos, char* out) const;

  // Refills MessageStarts from the buffer by scanning for header pairs.
  void BuildIndex();

  static bool IsHeaderLine1(const char* line);
  static bool IsHeaderLine2(const char* line);

  // Per-message fields of message `i` of the current file; -1, "" or false
  // when there is no message at `i`.
  int32_t GetNumber(int32_t i) const;
  int32_t FindNumber(int32_t number) const;  // the number itself, or -1
  int32_t GetParentNumber(int32_t i) const;
  std::string GetSenderID(int32_t i) const;
  std::string GetSenderName(int32_t i) const;
  std::string GetTitle(int32_t i) const;
  std::string GetDate(int32_t i) const;
  std::string GetTime(int32_t i) const;
  // GetSenderName and GetSenderID of message `i` from one read of its first
  // header line into `line1` (LineBufferSize bytes), as views into it.
  // False, changing nothing, when there is no message at `i`.
  bool GetSenderNameAndID(int32_t i, char* line1, std::string_view& name,
                          std::string_view& id) const;
  // GetNumber, GetParentNumber and GetTitle of message `i`, for a caller
  // that takes all three of every message: kept by the index, or read again
  // into `line1` (LineBufferSize bytes). The title is a view into `line1` or
  // the buffer, valid until the next Open. False, changing nothing, when
  // there is no message at `i`.
  bool GetNumberParentTitle(int32_t i, char* line1, int32_t& number, int32_t& parent,
                            std::string_view& title) const;
  // Body line `j` of message `i` into `out` (at least 255 bytes). Reading
  // j = 0, 1, 2, ... in turn costs one line read per call, not j + 3.
  bool GetBodyLine(int32_t i, int32_t j, char* out) const;
  // The body of message `i` as it stands in the buffer: every body line that
  // GetBodyLine gives, each with its LF, its CRs and any bytes past the cut.
  // Empty when there is no message at `i` or it has no body line. Valid
  // until the next Open.
  std::string_view BodyBytes(int32_t i) const;

  // Read-only views for callers that walk the index directly.
  const std::array<int32_t, MaxMessages>& MessageStarts() const { return messageStarts_; }
  int32_t DataLength() const { return dataLength_; }
  // The current file's bytes as read (empty without a buffer); valid until
  // the next Open.
  std::string_view Data() const {
    return buffer_ ? std::string_view(buffer_.get(), static_cast<size_t>(dataLength_)) : std::string_view();
  }

 private:
  bool HasMessage(int32_t i) const;
  // Whether a line may start at `pos`: it lies in the data or just past it.
  bool HoldsLineAt(int32_t pos) const;
  // Where the line after the one at `pos` begins; -1 as ReadLine gives it.
  int32_t LineAfter(int32_t pos) const;
  bool ReadHeaderLine1(int32_t i, char* line1) const;
  bool ReadHeaderLine2(int32_t i, char* line2) const;

  void HoldNothing();
  void TakeIndex(const Index& index);
  void KeepHeaderLine1(int32_t i, int32_t pos, std::string_view raw, const char* line1, int32_t number,
                       std::string_view title);

  FileSource files_;
  ByteSource* source_ = &files_;
  // A large block: the first read of a full file touches all of it, and one
  // huge page costs less than the first touch of 367 small ones.
  struct FreeBuffer {
    void operator()(char* block) const { FreeLargeBlock(block, BufferSize); }
  };
  std::unique_ptr<char[], FreeBuffer> buffer_;
  int32_t dataLength_ = 0;
  std::string currentFile_;
  bool held_ = false;  // the current file's Open succeeded
  std::array<int32_t, MaxMessages> messageStarts_{};
  // Fields of each indexed message, kept by BuildIndex (GetNumberParentTitle).
  std::array<int32_t, MaxMessages> numbers_{};
  std::array<int32_t, MaxMessages> parents_{};
  std::array<int32_t, MaxMessages> titleAt_{};  // -1: read the line again
  std::array<int32_t, MaxMessages> titleBytes_{};

  // Where the last GetBodyLine call left off, so that a walk j = 0, 1, 2 ...
  // reads each line once. Reset by every Open.
  mutable int32_t bodyCacheMessage_ = -1;
  mutable int32_t bodyCacheLine_ = -1;
  mutable int32_t bodyCacheNext_ = -1;
};

// The program-wide reader that every command shares.
extern zuLogFile LogReader;

}  // namespace zu
