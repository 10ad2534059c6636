#include "reader/zuLogFile.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <new>

#include "reader/TextRules.h"

namespace zu {

zuLogFile LogReader;

namespace {

constexpr int32_t ToTheEnd = INT32_MAX;           // SubText's "to the end of the line"
constexpr char ParentEnd = static_cast<char>(0x82);  // lead byte of the text after the parent
constexpr int32_t MinTitleLineBytes = 38;

// Reads `size` bytes into `into`, or fewer when the file ends sooner than
// its size said: `got` tells how many arrived. False on a read error; the
// bytes at `into` are then a mixture of this file and the one before.
bool ReadWhole(ByteSource& source, char* into, int32_t size, int32_t& got) {
  got = 0;
  while (got < size) {
    const ReadResult read = source.Read(into + got, size - got);
    if (read.error == EINTR) continue;
    if (read.error != 0) return false;
    if (read.bytes <= 0) break;  // the file ended early: a short read
    got += static_cast<int32_t>(std::min<int64_t>(read.bytes, size - got));
  }
  return true;
}

// Start of the sender ID: the first non-space byte after the first space.
int32_t ReferencePoint(const char* line1) {
  const int32_t space = FindByte(line1, ' ');
  if (space < 0) return -1;
  int32_t at = space;
  while (line1[at] == ' ') ++at;
  return line1[at] == '\0' ? -1 : at;
}

int32_t LineLength(const char* line) { return static_cast<int32_t>(std::strlen(line)); }

}  // namespace

zuLogFile::zuLogFile() { messageStarts_.fill(-1); }

zuLogFile::~zuLogFile() = default;

bool zuLogFile::AllocateBuffer() {
  if (!buffer_) buffer_.reset(new (std::nothrow) char[static_cast<size_t>(bufferSize_)]());
  return buffer_ != nullptr;
}

bool zuLogFile::Open(const std::string& path) {
  int64_t size = 0;
  if (!source_->Open(path, size)) return false;  // the previous file stays current
  // A file too large for the buffer is current with no data, so that no
  // byte of an earlier file is taken for its own.
  int32_t length = 0;
  bool read = true;
  if (buffer_ && size > 0 && size <= bufferSize_)
    read = ReadWhole(*source_, buffer_.get(), static_cast<int32_t>(size), length);
  source_->Close();
  if (!read) {
    HoldNothing();
    return false;
  }
  dataLength_ = length;
  BuildIndex();
  currentFile_ = path;
  held_ = messageStarts_[0] != -1;
  return held_;
}

// After a failed read the buffer belongs to no file: neither the earlier
// file's bytes nor its index may be taken for anyone's content.
void zuLogFile::HoldNothing() {
  dataLength_ = 0;
  BuildIndex();
  currentFile_.clear();
  held_ = false;
}

std::string zuLogFile::GetFileName() const { return currentFile_; }

int32_t zuLogFile::GetCount() const {
  if (currentFile_.empty() || dataLength_ < 1) return -1;
  int32_t count = 0;
  while (count < MaxMessages && messageStarts_[count] != -1) ++count;
  return count;
}

int32_t zuLogFile::ReadLine(int32_t pos, char* out) const {
  out[0] = '\0';
  if (pos < 0 || !buffer_ || pos > dataLength_) return -1;
  const char* begin = buffer_.get() + pos;
  const char* dataEnd = buffer_.get() + dataLength_;
  const auto* lf = static_cast<const char*>(std::memchr(begin, '\n', static_cast<size_t>(dataEnd - begin)));
  const char* lineEnd = lf ? lf : dataEnd;
  // Copied in stretches between CRs: CR is dropped anywhere and never ends a
  // line. Bytes past MaxLineBytes are consumed, not kept.
  int32_t kept = 0;
  for (const char* at = begin; at < lineEnd && kept < MaxLineBytes;) {
    const auto span = std::min<size_t>(static_cast<size_t>(lineEnd - at), static_cast<size_t>(MaxLineBytes - kept));
    const auto* cr = static_cast<const char*>(std::memchr(at, '\r', span));
    const char* stop = cr ? cr : at + span;
    std::memcpy(out + kept, at, static_cast<size_t>(stop - at));
    kept += static_cast<int32_t>(stop - at);
    at = cr ? cr + 1 : stop;
  }
  out[kept] = '\0';
  return lf ? static_cast<int32_t>(lf + 1 - buffer_.get()) : -1;
}

void zuLogFile::BuildIndex() {
  messageStarts_.fill(-1);
  bodyCacheMessage_ = -1;
  char line[LineBufferSize];
  int32_t count = 0;
  int32_t pos = 0;
  // Pairs after the last index entry would be passed over; stop there.
  while (count < MaxMessages) {
    const int32_t next = ReadLine(pos, line);
    if (next == -1) return;  // a final piece without LF is never a first line
    if (!IsHeaderLine1(line)) {
      pos = next;
      continue;
    }
    // The line after a first header line is consumed whatever it holds,
    // even when it is itself a first header line.
    const int32_t afterPair = ReadLine(next, line);
    if (IsHeaderLine2(line)) messageStarts_[count++] = pos;
    if (afterPair == -1) return;
    pos = afterPair;
  }
}

bool zuLogFile::IsHeaderLine1(const char* line) {
  // The first '/' must stand before the first space: one pass finds
  // whichever comes first, which is what most body lines fail on.
  const auto slash = static_cast<int32_t>(std::strcspn(line, "/ "));
  if (line[slash] != '/' || slash < 1) return false;
  const int32_t afterSlash = FindByte(line + slash, ' ');
  if (afterSlash < 0) return false;
  const int32_t space = slash + afterSlash;
  if (AtoI(SubText(line, 0, slash - 1)) <= 0) return false;
  if (space == slash + 1 || AtoI(SubText(line, slash + 1, space - 1)) <= 0) return false;
  return FieldOf(line, 1, ' ').size() == 8;
}

bool zuLogFile::IsHeaderLine2(const char* line) {
  const size_t beforeParen = FieldOf(line, 0, ')').size();
  if (beforeParen < 1 || beforeParen > 5) return false;
  return !FieldOf(line, 1, ' ').empty() && !FieldOf(line, 2, ' ').empty();
}

bool zuLogFile::HasMessage(int32_t i) const {
  return i >= 0 && i < MaxMessages && messageStarts_[i] != -1;
}

bool zuLogFile::ReadHeaderLines(int32_t i, char* line1, char* line2) const {
  if (!HasMessage(i)) return false;
  ReadLine(ReadLine(messageStarts_[i], line1), line2);
  return true;
}

int32_t zuLogFile::GetNumber(int32_t i) const {
  char line1[LineBufferSize], line2[LineBufferSize];
  if (!ReadHeaderLines(i, line1, line2)) return -1;
  return AtoI(FieldOf(line1, 0, '/'));
}

int32_t zuLogFile::FindNumber(int32_t number) const {
  const int32_t count = GetCount();
  for (int32_t i = 0; i < count; ++i) {
    if (GetNumber(i) == number) return number;
  }
  return -1;
}

int32_t zuLogFile::GetParentNumber(int32_t i) const {
  char line1[LineBufferSize], line2[LineBufferSize];
  if (!ReadHeaderLines(i, line1, line2)) return -1;
  const std::string tail = SubText(line2, 23, ToTheEnd);
  // 0x82 may also be a trail byte; the digits before it still count.
  const int32_t end = FindByte(tail.c_str(), ParentEnd);
  const int32_t parent = AtoI(SubText(tail.c_str(), 0, end - 1));
  return parent > 0 ? parent : -1;
}

std::string zuLogFile::GetSenderID(int32_t i) const {
  char line1[LineBufferSize], line2[LineBufferSize];
  if (!ReadHeaderLines(i, line1, line2)) return {};
  return FieldOf(line1, 1, ' ');
}

std::string zuLogFile::GetSenderName(int32_t i) const {
  char line1[LineBufferSize], line2[LineBufferSize];
  if (!ReadHeaderLines(i, line1, line2)) return {};
  const int32_t p = ReferencePoint(line1);
  if (p < 0) return {};
  return SubText(line1, p + 10, p + 25);
}

std::string zuLogFile::GetTitle(int32_t i) const {
  char line1[LineBufferSize], line2[LineBufferSize];
  if (!ReadHeaderLines(i, line1, line2)) return {};
  const int32_t p = ReferencePoint(line1);
  if (p < 0 || LineLength(line1) < MinTitleLineBytes) return {};
  return SubText(line1, p + 27, ToTheEnd);
}

std::string zuLogFile::GetDate(int32_t i) const {
  char line1[LineBufferSize], line2[LineBufferSize];
  if (!ReadHeaderLines(i, line1, line2)) return {};
  return FieldOf(SubText(line2, 7, ToTheEnd).c_str(), 0, ' ');
}

std::string zuLogFile::GetTime(int32_t i) const {
  char line1[LineBufferSize], line2[LineBufferSize];
  if (!ReadHeaderLines(i, line1, line2)) return {};
  return FieldOf(SubText(line2, 7, ToTheEnd).c_str(), 1, ' ');
}

bool zuLogFile::GetBodyLine(int32_t i, int32_t j, char* out) const {
  if (!HasMessage(i) || j < 0) return false;
  // The next message's first line; its preceding line is never body. The
  // last index entry has no successor even when more pairs follow.
  const int32_t end = i + 1 < MaxMessages ? messageStarts_[i + 1] : -1;
  int32_t pos;
  int32_t line;
  if (i == bodyCacheMessage_ && j == bodyCacheLine_ + 1) {
    pos = bodyCacheNext_;
    line = j;
  } else {
    pos = ReadLine(ReadLine(messageStarts_[i], out), out);  // pass the header pair
    line = 0;
  }
  for (; line <= j; ++line) {
    const int32_t next = ReadLine(pos, out);
    if (next == -1 || (end != -1 && next >= end)) return false;
    pos = next;
  }
  bodyCacheMessage_ = i;
  bodyCacheLine_ = j;
  bodyCacheNext_ = pos;
  return true;
}

}  // namespace zu
