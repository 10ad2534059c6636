#include "reader/zuLogFile.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>

// The index scan looks at sixteen bytes at a time where the processor can;
// ZU_PORTABLE_SCAN builds the plain scan that every other processor uses, so
// that it is tested too.
#if defined(__SSE2__) && !defined(ZU_PORTABLE_SCAN)
#define ZU_SSE2_SCAN 1
#include <emmintrin.h>
#endif

#include "reader/TextRules.h"

namespace zu {

zuLogFile LogReader;

namespace {

constexpr int32_t ToTheEnd = INT32_MAX;  // SubText's "to the end of the line"

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
  const int32_t space = FindByte(line1, format::Separator);
  if (space < 0) return -1;
  int32_t at = space;
  while (line1[at] == format::Separator) ++at;
  return line1[at] == '\0' ? -1 : at;
}

// Where the first byte at or after `at` stands that is `a` or `b` (or just
// `b`), or the end of `line`.
size_t SkipBytesOtherThan(std::string_view line, size_t at, char a, char b) {
  while (at < line.size() && line[at] != a && line[at] != b) ++at;
  return at;
}

size_t SkipBytesOtherThan(std::string_view line, size_t at, char b) {
  return SkipBytesOtherThan(line, at, b, b);
}

// Where the run of `b` that starts at `at` ends.
size_t SkipBytes(std::string_view line, size_t at, char b) {
  while (at < line.size() && line[at] == b) ++at;
  return at;
}

int32_t LineLength(const char* line) { return static_cast<int32_t>(std::strlen(line)); }

// The last `b` in `bytes[0, count)`, or null: memrchr where the C library has
// it (a GNU extension), a backward walk elsewhere.
const char* LastByte(const char* bytes, size_t count, char b) {
#if defined(__GLIBC__) && !defined(ZU_PORTABLE_SCAN)
  return static_cast<const char*>(memrchr(bytes, b, count));
#else
  for (const char* at = bytes + count; at != bytes;) {
    if (*--at == b) return at;
  }
  return nullptr;
#endif
}

int32_t NumberOf(const char* line1) { return AtoI(FieldOf(line1, 0, format::NumberEnd)); }

// The digits from column 23 up to the first 0x82; 0x82 may also be a trail
// byte, and the digits before it still count. -1 for none.
int32_t ParentOf(const char* line2) {
  const std::string_view tail = SubText(line2, format::ParentFrom, ToTheEnd);
  const int32_t end = FindByte(tail, format::ParentEnd);
  const int32_t parent = AtoI(SubText(tail, 0, end - 1));
  return parent > 0 ? parent : -1;
}

std::string_view SenderIDOf(const char* line1) { return FieldOf(line1, 1, format::Separator); }

std::string_view SenderNameOf(const char* line1) {
  const int32_t p = ReferencePoint(line1);
  if (p < 0) return {};
  return SubText(line1, p + format::SenderNameFrom, p + format::SenderNameTo);
}

std::string_view TitleOf(const char* line1) {
  const int32_t p = ReferencePoint(line1);
  if (p < 0 || LineLength(line1) < format::MinTitleLineBytes) return {};
  return SubText(line1, p + format::TitleFrom, ToTheEnd);
}

// What the index keeps of a first header line, found in the walk that
// recognises it: NumberOf and TitleOf of the line.
struct HeaderLine1 {
  int32_t number = 0;
  std::string_view title;
};

// Whether `line` is a first header line, with its fields when it is. The
// first '/' must stand before the first space: one pass finds whichever
// comes first. Called for every line that may start a pair, so each step
// walks on from the last.
bool ParseHeaderLine1(std::string_view line, HeaderLine1& out) {
  const size_t slash = SkipBytesOtherThan(line, 0, format::NumberEnd, format::Separator);
  if (slash < 1 || slash == line.size() || line[slash] != format::NumberEnd) return false;
  const size_t space = SkipBytesOtherThan(line, slash, format::Separator);
  if (space == line.size() || space == slash + 1) return false;
  const int32_t number = AtoI(line.substr(0, slash));
  if (number <= 0 || AtoI(line.substr(slash + 1, space - slash - 1)) <= 0) return false;
  // No space comes before `space`, so the sender ID is field 1 at spaces,
  // and where it starts is the reference point of the columns.
  const size_t idFrom = SkipBytes(line, space, format::Separator);
  const size_t idTo = SkipBytesOtherThan(line, idFrom, format::Separator);
  if (idTo - idFrom != static_cast<size_t>(format::SenderIDBytes)) return false;
  out.number = number;
  const size_t titleFrom = idFrom + format::TitleFrom;
  const bool titled = line.size() >= static_cast<size_t>(format::MinTitleLineBytes) && titleFrom <= line.size();
  out.title = titled ? line.substr(titleFrom) : std::string_view();
  return true;
}

// ParentOf, for a line known to be a second header line (its length from
// the walk that recognised it).
int32_t ParentOfLine2(std::string_view line2) {
  if (line2.size() <= static_cast<size_t>(format::ParentFrom)) return -1;
  const std::string_view tail = line2.substr(format::ParentFrom);
  const size_t end = tail.find(format::ParentEnd);
  if (end == std::string_view::npos || end == 0) return -1;
  const int32_t parent = AtoI(tail.substr(0, end));
  return parent > 0 ? parent : -1;
}

// Whether a line that opens with `c` could be a first header line: the text
// must open with the number before the '/', that is atoi's white space (but
// no space, which would come before the '/'), a sign or a digit, after any
// CRs, which are dropped. An empty line cannot. Most lines fail here and are
// never copied.
bool MayOpenHeaderLine1(char c) {
  const auto b = static_cast<unsigned char>(c);
  return static_cast<unsigned char>(b - '0') <= 9 || b == '+' || b == '-' ||
         (static_cast<unsigned char>(b - '\t') <= '\r' - '\t' && b != LineEnd);
}

// Where the first line at or after `from`, itself a line start, begins whose
// first byte MayOpenHeaderLine1 accepts; -1 when there is none. Lines average
// fifty bytes, so the LFs are found sixteen at a time rather than with a
// memchr call per line.
int32_t NextLineThatMayBeHeader1(const char* data, int32_t from, int32_t length) {
  if (from >= length) return -1;
  if (MayOpenHeaderLine1(data[from])) return from;
  int32_t at = from;
#if defined(ZU_SSE2_SCAN)
  const __m128i lf = _mm_set1_epi8(LineEnd);
  // The byte after each block's last is read too, so a block must end before the data does.
  for (; at + 16 < length; at += 16) {
    const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + at));
    for (auto lfs = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(block, lf))); lfs != 0;
         lfs &= lfs - 1) {
      const int32_t next = at + __builtin_ctz(lfs) + 1;
      if (MayOpenHeaderLine1(data[next])) return next;
    }
  }
#endif
  while (at < length) {
    const auto* end = static_cast<const char*>(std::memchr(data + at, LineEnd, static_cast<size_t>(length - at)));
    if (end == nullptr) return -1;
    at = static_cast<int32_t>(end + 1 - data);
    if (at < length && MayOpenHeaderLine1(data[at])) return at;
  }
  return -1;
}

}  // namespace

int32_t CopyLineText(std::string_view raw, char* out) {
  // Copied in stretches between CRs: CR is dropped anywhere and never ends a
  // line. Bytes past MaxLineBytes are consumed, not kept.
  const char* at = raw.data();
  const char* const end = at + raw.size();
  int32_t kept = 0;
  while (at < end && kept < MaxLineBytes) {
    const auto span = std::min<size_t>(static_cast<size_t>(end - at), static_cast<size_t>(MaxLineBytes - kept));
    const auto* cr = static_cast<const char*>(std::memchr(at, DroppedCR, span));
    const char* stop = cr ? cr : at + span;
    std::memcpy(out + kept, at, static_cast<size_t>(stop - at));
    kept += static_cast<int32_t>(stop - at);
    at = cr ? cr + 1 : stop;
  }
  out[kept] = '\0';
  return kept;
}

zuLogFile::zuLogFile() { messageStarts_.fill(-1); }

zuLogFile::~zuLogFile() = default;

bool zuLogFile::AllocateBuffer() {
  if (!buffer_) buffer_.reset(static_cast<char*>(AllocateLargeBlock(BufferSize)));
  return buffer_ != nullptr;
}

bool zuLogFile::Open(const std::string& path) { return Open(path, nullptr, {}); }

bool zuLogFile::Open(const std::string& path, const Index* known,
                     const std::function<bool(std::string_view)>& madeFrom) {
  int64_t size = 0;
  if (!source_->Open(path, size)) return false;  // the previous file stays current
  // A file too large for the buffer is current with no data, so that no
  // byte of an earlier file is taken for its own.
  int32_t length = 0;
  bool read = true;
  if (buffer_ && size > 0 && size <= BufferSize) {
    ExpectFill(buffer_.get(), BufferSize, static_cast<size_t>(size));
    read = ReadWhole(*source_, buffer_.get(), static_cast<int32_t>(size), length);
  }
  source_->Close();
  if (!read) {
    HoldNothing();
    return false;
  }
  dataLength_ = length;
  if (known != nullptr && madeFrom(Data())) {
    TakeIndex(*known);
  } else {
    BuildIndex();
  }
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
  if (!HoldsLineAt(pos)) return -1;
  const int32_t next = LineAfter(pos);
  const int32_t lineEnd = next == -1 ? dataLength_ : next - 1;
  CopyLineText(std::string_view(buffer_.get() + pos, static_cast<size_t>(lineEnd - pos)), out);
  return next;
}

bool zuLogFile::HoldsLineAt(int32_t pos) const { return pos >= 0 && buffer_ && pos <= dataLength_; }

int32_t zuLogFile::LineAfter(int32_t pos) const {
  if (!HoldsLineAt(pos)) return -1;  // so that a line after none is none
  const char* data = buffer_.get();
  const auto rest = static_cast<size_t>(dataLength_ - pos);
  const auto* lf = static_cast<const char*>(std::memchr(data + pos, LineEnd, rest));
  return lf ? static_cast<int32_t>(lf + 1 - data) : -1;
}

void zuLogFile::BuildIndex() {
  messageStarts_.fill(-1);
  bodyCacheMessage_ = -1;
  char line[LineBufferSize];
  int32_t count = 0;
  int32_t pos = 0;
  // Pairs after the last index entry would be passed over; stop there.
  while (count < MaxMessages) {
    // Lines that cannot start a pair are passed over unread.
    pos = NextLineThatMayBeHeader1(buffer_.get(), pos, dataLength_);
    if (pos == -1) return;
    const int32_t next = LineAfter(pos);
    if (next == -1) return;  // a final piece without LF is never a first line
    const std::string_view raw(buffer_.get() + pos, static_cast<size_t>(next - 1 - pos));
    HeaderLine1 fields;
    CopyLineText(raw, line);  // the line as read ends at its first NUL
    if (ParseHeaderLine1(std::string_view(line, std::strlen(line)), fields)) {
      KeepHeaderLine1(count, pos, raw, line, fields.number, fields.title);
      // The line after a first header line is consumed whatever it holds,
      // even when it is itself a first header line.
      const int32_t afterPair = ReadLine(next, line);
      if (IsHeaderLine2(line)) {
        parents_[count] = ParentOfLine2(line);
        messageStarts_[count++] = pos;
      }
      if (afterPair == -1) return;
      pos = afterPair;
      continue;
    }
    pos = next;
  }
}

// An index made from these very bytes: the fields BuildIndex keeps beside it
// are not known, and are read from the lines again when asked for.
void zuLogFile::TakeIndex(const Index& index) {
  messageStarts_ = index;
  titleAt_.fill(-1);
  bodyCacheMessage_ = -1;
}

// What the log set takes of every message, kept while the line is at hand:
// its number, and where its title stands in the buffer when the line's bytes
// up to the title's end are the text itself (no CR among them to drop).
void zuLogFile::KeepHeaderLine1(int32_t i, int32_t pos, std::string_view raw, const char* line1,
                                int32_t number, std::string_view title) {
  numbers_[i] = number;
  titleBytes_[i] = static_cast<int32_t>(title.size());
  if (title.empty()) {
    titleAt_[i] = pos;
    return;
  }
  const auto end = static_cast<size_t>(title.data() + title.size() - line1);
  const bool asRead = end <= raw.size() && std::memchr(raw.data(), DroppedCR, end) == nullptr;
  titleAt_[i] = asRead ? pos + static_cast<int32_t>(title.data() - line1) : -1;
}

bool zuLogFile::IsHeaderLine1(const char* text) {
  HeaderLine1 fields;
  return ParseHeaderLine1(text, fields);
}

bool zuLogFile::IsHeaderLine2(const char* text) {
  const std::string_view line(text);
  const size_t beforeMark = SkipBytesOtherThan(line, 0, format::Line2Mark);
  if (beforeMark < 1 || beforeMark > static_cast<size_t>(format::MaxBeforeLine2Mark)) return false;
  // Fields 1 and 2 at spaces are present: a run of spaces, bytes, a run of
  // spaces and a byte, after field 0 (which may be empty).
  size_t at = SkipBytesOtherThan(line, 0, format::Separator);
  for (int field = 1; field <= 2; ++field) {
    at = SkipBytes(line, at, format::Separator);
    if (at == line.size()) return false;
    at = SkipBytesOtherThan(line, at, format::Separator);
  }
  return true;
}

bool zuLogFile::HasMessage(int32_t i) const {
  return i >= 0 && i < MaxMessages && messageStarts_[i] != -1;
}

bool zuLogFile::ReadHeaderLine1(int32_t i, char* line1) const {
  if (!HasMessage(i)) return false;
  ReadLine(messageStarts_[i], line1);
  return true;
}

bool zuLogFile::ReadHeaderLine2(int32_t i, char* line2) const {
  if (!HasMessage(i)) return false;
  ReadLine(LineAfter(messageStarts_[i]), line2);
  return true;
}

int32_t zuLogFile::GetNumber(int32_t i) const {
  char line1[LineBufferSize];
  return ReadHeaderLine1(i, line1) ? NumberOf(line1) : -1;
}

int32_t zuLogFile::FindNumber(int32_t number) const {
  const int32_t count = GetCount();
  for (int32_t i = 0; i < count; ++i) {
    if (GetNumber(i) == number) return number;
  }
  return -1;
}

int32_t zuLogFile::GetParentNumber(int32_t i) const {
  char line2[LineBufferSize];
  return ReadHeaderLine2(i, line2) ? ParentOf(line2) : -1;
}

std::string zuLogFile::GetSenderID(int32_t i) const {
  char line1[LineBufferSize];
  return ReadHeaderLine1(i, line1) ? std::string(SenderIDOf(line1)) : std::string();
}

std::string zuLogFile::GetSenderName(int32_t i) const {
  char line1[LineBufferSize];
  return ReadHeaderLine1(i, line1) ? std::string(SenderNameOf(line1)) : std::string();
}

std::string zuLogFile::GetTitle(int32_t i) const {
  char line1[LineBufferSize];
  return ReadHeaderLine1(i, line1) ? std::string(TitleOf(line1)) : std::string();
}

std::string zuLogFile::GetDate(int32_t i) const {
  char line2[LineBufferSize];
  if (!ReadHeaderLine2(i, line2)) return {};
  return std::string(FieldOf(SubText(line2, format::DateFrom, ToTheEnd), 0, format::Separator));
}

std::string zuLogFile::GetTime(int32_t i) const {
  char line2[LineBufferSize];
  if (!ReadHeaderLine2(i, line2)) return {};
  return std::string(FieldOf(SubText(line2, format::DateFrom, ToTheEnd), 1, format::Separator));
}

bool zuLogFile::GetSenderNameAndID(int32_t i, char* line1, std::string_view& name,
                                   std::string_view& id) const {
  if (!ReadHeaderLine1(i, line1)) return false;
  name = SenderNameOf(line1);
  id = SenderIDOf(line1);
  return true;
}

bool zuLogFile::GetNumberParentTitle(int32_t i, char* line1, int32_t& number, int32_t& parent,
                                     std::string_view& title) const {
  if (!HasMessage(i)) return false;
  if (titleAt_[i] >= 0) {  // kept by the index
    number = numbers_[i];
    parent = parents_[i];
    title = std::string_view(buffer_.get() + titleAt_[i], static_cast<size_t>(titleBytes_[i]));
    return true;
  }
  char line2[LineBufferSize];
  ReadLine(ReadLine(messageStarts_[i], line1), line2);
  number = NumberOf(line1);
  parent = ParentOf(line2);
  title = TitleOf(line1);
  return true;
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
    pos = LineAfter(LineAfter(messageStarts_[i]));  // pass the header pair
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

std::string_view zuLogFile::BodyBytes(int32_t i) const {
  if (!HasMessage(i)) return {};
  const int32_t from = LineAfter(LineAfter(messageStarts_[i]));  // pass the header pair
  if (from == -1) return {};
  // A line is body while the line after it begins before the next message's
  // first line, or, for the last message, while it ends in LF: so its LF
  // must stand before `limit`.
  const int32_t end = i + 1 < MaxMessages ? messageStarts_[i + 1] : -1;
  const int32_t limit = end == -1 ? dataLength_ : end - 1;
  if (limit <= from) return {};
  const char* body = buffer_.get() + from;
  const auto span = static_cast<size_t>(limit - from);
  const char* lastLF = LastByte(body, span, LineEnd);
  if (lastLF == nullptr) return {};
  return {body, static_cast<size_t>(lastLF + 1 - body)};
}

}  // namespace zu
