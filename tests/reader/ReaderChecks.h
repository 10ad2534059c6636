// Promises of zuLogFile that hold for any file whatever its bytes and however
// its reads go, checked by walking every field and body line of the current
// file. Shared by the fuzz target and the replay test of the inputs it has
// found, so that both apply the same checks to the same files in memory.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "reader/zuLogFile.h"
#include "support/MemorySource.h"

namespace zu::testing {

// Body line `j` of message `i` by the plain walk from the message start,
// with no memory of earlier calls: the reference for GetBodyLine.
inline bool WalkBodyLine(const zuLogFile& r, int32_t i, int32_t j, char* out) {
  const auto& starts = r.MessageStarts();
  if (i < 0 || i >= MaxMessages || starts[i] == -1 || j < 0) return false;
  const int32_t end = i + 1 < MaxMessages ? starts[i + 1] : -1;
  int32_t pos = r.ReadLine(r.ReadLine(starts[i], out), out);
  for (int32_t k = 0; k <= j; ++k) {
    const int32_t next = r.ReadLine(pos, out);
    if (next == -1 || (end != -1 && next >= end)) return false;
    pos = next;
  }
  return true;
}

// The index by the plain walk: every line read whole and tested, as the
// reader's own scan (which copies only lines that could start a header
// pair) must find it.
inline std::vector<int32_t> WalkIndex(const zuLogFile& r) {
  std::vector<int32_t> starts;
  char line[LineBufferSize];
  for (int32_t pos = 0; starts.size() < static_cast<size_t>(MaxMessages);) {
    const int32_t next = r.ReadLine(pos, line);
    if (next == -1) break;
    if (!zuLogFile::IsHeaderLine1(line)) {
      pos = next;
      continue;
    }
    const int32_t afterPair = r.ReadLine(next, line);
    if (zuLogFile::IsHeaderLine2(line)) starts.push_back(pos);
    if (afterPair == -1) break;
    pos = afterPair;
  }
  return starts;
}

// The body lines of message `i` cut from BodyBytes as ReadLine cuts lines.
inline std::vector<std::string> LinesOfBodyBytes(const zuLogFile& r, int32_t i) {
  std::vector<std::string> lines;
  const std::string_view body = r.BodyBytes(i);
  char out[LineBufferSize];
  for (size_t at = 0; at < body.size();) {
    const size_t lf = body.find('\n', at);
    if (lf == std::string_view::npos) return {"(a body line without LF)"};
    CopyLineText(body.substr(at, lf - at), out);
    lines.emplace_back(out);
    at = lf + 1;
  }
  return lines;
}

// Fuzz inputs that begin with 'R' or 'B' stand for a larger file: the next
// two bytes are a repeat count (little-endian) and the rest is repeated that
// many times. 'R' files stop at 128 KiB, enough for 3000 short messages;
// 'B' files at one byte past the buffer, for the size limit. Big files are
// slow to check, so the fuzzer meets them only when it asks for them.
inline void ExpandFuzzInput(const uint8_t* data, size_t size, std::string& out) {
  const bool repeat = size >= 3 && (data[0] == 'R' || data[0] == 'B');
  out.clear();  // keeps its memory: a big file costs no new pages each time
  if (!repeat) {
    out.append(reinterpret_cast<const char*>(data), size);
    return;
  }
  const size_t cap = data[0] == 'B' ? static_cast<size_t>(BufferSize) + 1 : size_t{128} << 10;
  const size_t count = data[1] | (size_t{data[2]} << 8);
  const std::string_view unit(reinterpret_cast<const char*>(data + 3), size - 3);
  for (size_t k = 0; k < count && out.size() < cap && !unit.empty(); ++k) out += unit;
  if (out.size() > cap) out.resize(cap);
}

// A fuzz input as a file in memory, written over `file`. Inputs that begin
// with 'S' read through the faults of a real file system: the next six bytes
// are the most bytes one read delivers (0: any), the count of EINTRs before
// each read, the offset at which a read fails with EIO (little-endian,
// 0xFFFF: never), and how many bytes more than it holds the file says it has
// (a short read, little-endian); the rest is the file as above.
inline void FuzzFile(const uint8_t* data, size_t size, MemorySource::File& file) {
  std::string bytes = std::move(file.bytes);
  file = MemorySource::File{};
  if (size < 7 || data[0] != 'S') {
    ExpandFuzzInput(data, size, bytes);
    file.bytes = std::move(bytes);
    return;
  }
  ExpandFuzzInput(data + 7, size - 7, bytes);
  file.bytes = std::move(bytes);
  file.chunk = data[1];
  file.interruptions = data[2] % 4;
  const int64_t failAt = data[3] | (data[4] << 8);
  file.failAt = failAt == 0xFFFF ? -1 : failAt;
  const int64_t more = data[5] | (data[6] << 8);
  if (more > 0) file.statedSize = static_cast<int64_t>(file.bytes.size()) + more;
}

// What opening `file` must leave in the reader: whether the read fails, and
// otherwise the bytes that count as its data.
struct ExpectedOpen {
  bool readFails = false;
  std::string_view held;  // into the file's bytes
};

inline ExpectedOpen ExpectOpen(const MemorySource::File& file) {
  const auto holds = static_cast<int64_t>(file.bytes.size());
  const int64_t size = file.statedSize >= 0 ? file.statedSize : holds;
  if (size > BufferSize) return {};  // not read: current with no data
  // The reader asks until it has `size` bytes or the file ends; the read
  // that reaches failAt fails, unless the file ended before it.
  const int64_t arrives = std::min(size, holds);
  if (file.failAt >= 0 && file.failAt < size && file.failAt <= holds) return {true, {}};
  return {false, std::string_view(file.bytes).substr(0, static_cast<size_t>(arrives))};
}

namespace detail {

// A small deterministic generator, so a replayed input takes the same calls.
struct Lcg {
  uint32_t state;
  uint32_t Next(uint32_t bound) {
    state = state * 1664525u + 1013904223u;
    return bound == 0 ? 0 : (state >> 8) % bound;
  }
};

inline std::string CheckIndex(const zuLogFile& r) {
  const int32_t count = r.GetCount();
  if (count < -1 || count > MaxMessages) return "count out of range";
  if (r.DataLength() < 1 && count != -1) return "no data but count is not -1";
  const auto& starts = r.MessageStarts();
  const int32_t used = count < 0 ? 0 : count;
  for (int32_t i = 0; i < MaxMessages; ++i) {
    if (i < used && (starts[i] < 0 || starts[i] >= r.DataLength())) return "start outside the data";
    if (i < used && i > 0 && starts[i] <= starts[i - 1]) return "starts not increasing";
    if (i >= used && starts[i] != -1) return "entry after the last message is not -1";
  }
  const std::vector<int32_t> walked = WalkIndex(r);
  if (!std::equal(starts.begin(), starts.begin() + used, walked.begin(), walked.end()))
    return "index differs from the plain walk";
  char line[LineBufferSize];
  for (int32_t i = 0; i < used; ++i) {
    const int32_t next = r.ReadLine(starts[i], line);
    if (!zuLogFile::IsHeaderLine1(line) || next == -1) return "indexed line is no first header line";
    r.ReadLine(next, line);
    if (!zuLogFile::IsHeaderLine2(line)) return "indexed pair has no second header line";
  }
  return {};
}

// FindNumber scans the whole index, so only `findIt` messages are looked up.
inline std::string CheckFields(const zuLogFile& r, int32_t i, bool findIt) {
  const int32_t number = r.GetNumber(i);
  if (number <= 0) return "number not positive";
  if (findIt && r.FindNumber(number) != number) return "FindNumber misses an indexed number";
  const int32_t parent = r.GetParentNumber(i);
  if (parent == 0 || parent < -1) return "parent neither -1 nor positive";
  if (r.GetSenderID(i).size() != 8) return "sender ID not 8 bytes";
  if (r.GetSenderName(i).size() > 16) return "sender name over 16 bytes";
  if (r.GetTitle(i).size() > static_cast<size_t>(MaxLineBytes)) return "title over a line";
  if (r.GetDate(i).size() > static_cast<size_t>(MaxLineBytes)) return "date over a line";
  if (r.GetTime(i).size() > static_cast<size_t>(MaxLineBytes)) return "time over a line";
  int32_t number3 = 0;
  int32_t parent3 = 0;
  char line1[LineBufferSize];
  std::string_view title3;
  if (!r.GetNumberParentTitle(i, line1, number3, parent3, title3) || number3 != number ||
      parent3 != parent || title3 != r.GetTitle(i))
    return "number, parent and title read together differ";
  std::string_view name;
  std::string_view id;
  if (!r.GetSenderNameAndID(i, line1, name, id) || name != r.GetSenderName(i) || id != r.GetSenderID(i))
    return "name and ID read together differ";
  return {};
}

inline std::string CheckNoMessage(const zuLogFile& r, int32_t i) {
  char out[LineBufferSize];
  if (r.GetNumber(i) != -1 || r.GetParentNumber(i) != -1) return "number for a missing message";
  if (!r.GetSenderID(i).empty() || !r.GetSenderName(i).empty() || !r.GetTitle(i).empty() ||
      !r.GetDate(i).empty() || !r.GetTime(i).empty())
    return "field for a missing message";
  if (r.GetBodyLine(i, 0, out)) return "body for a missing message";
  if (!r.BodyBytes(i).empty()) return "body bytes for a missing message";
  int32_t number = 0;
  int32_t parent = 0;
  std::string_view title;
  std::string_view name;
  std::string_view id;
  if (r.GetNumberParentTitle(i, out, number, parent, title) || r.GetSenderNameAndID(i, out, name, id))
    return "fields read together for a missing message";
  return {};
}

// Every body line in order; gives the number of lines.
inline std::string ReadBody(const zuLogFile& r, int32_t i, int32_t& lines) {
  char out[LineBufferSize];
  char walked[LineBufferSize];
  const std::vector<std::string> inPlace = LinesOfBodyBytes(r, i);
  for (lines = 0; r.GetBodyLine(i, lines, out); ++lines) {
    if (std::strlen(out) > static_cast<size_t>(MaxLineBytes)) return "body line over 254 bytes";
    if (static_cast<size_t>(lines) >= inPlace.size() || inPlace[static_cast<size_t>(lines)] != out)
      return "body bytes differ from the body lines";
    // The first lines against the plain walk; beyond them the walk costs too much.
    if (lines < 4 && (!WalkBodyLine(r, i, lines, walked) || std::strcmp(out, walked) != 0))
      return "body line differs from the walk";
  }
  if (inPlace.size() != static_cast<size_t>(lines)) return "body bytes hold more lines than the body";
  return lines < 4 && WalkBodyLine(r, i, lines, walked) ? "walk gives a line the reader does not"
                                                        : std::string{};
}

// Body lines asked for out of order give what the plain walk gives; the
// messages are those of `sample`, whose bodies have `lines` lines.
inline std::string CheckBodyOrder(const zuLogFile& r, const std::vector<int32_t>& sample,
                                  const std::vector<int32_t>& lines, Lcg& lcg) {
  char out[LineBufferSize];
  char walked[LineBufferSize];
  const auto count = static_cast<uint32_t>(lines.size());
  size_t at = 0;
  int32_t i = sample.empty() ? 0 : sample[0], j = 0;
  // Each call is checked against a walk from the message start, so jumps
  // stay near the start of long bodies to keep a check cheap.
  constexpr uint32_t kFarthest = 512;
  for (int k = 0; k < 24 && count > 0; ++k) {
    switch (lcg.Next(4)) {
      case 0:
        at = lcg.Next(count);
        i = sample[at];
        j = static_cast<int32_t>(lcg.Next(std::min(static_cast<uint32_t>(lines[at]) + 2, kFarthest)));
        break;
      case 1: ++j; break;  // the walk a reader of the whole body takes
      case 2: j = lines[at] < static_cast<int32_t>(kFarthest) ? lines[at] : j; break;  // the first line not there
      default: j = j > 0 ? j - 1 : 0; break;
    }
    const bool got = r.GetBodyLine(i, j, out);
    if (got != WalkBodyLine(r, i, j, walked)) return "body result differs from the walk";
    if (got && std::strcmp(out, walked) != 0) return "body line differs from the walk";
  }
  return {};
}

}  // namespace detail

// Empty when every promise holds for the current file, else the first one
// broken. `seed` picks the out-of-order body calls.
inline std::string CheckReader(const zuLogFile& r, uint32_t seed) {
  std::string broken = detail::CheckIndex(r);
  const int32_t used = r.GetCount() < 0 ? 0 : r.GetCount();
  // Every message of a short file; of a long one (a repeated input, whose
  // messages are alike) the first and last 64 and every 61st, which keeps
  // a run fast enough for the fuzzer.
  std::vector<int32_t> sample;
  for (int32_t i = 0; i < used; i += i < 64 || i >= used - 64 ? 1 : 61) sample.push_back(i);
  for (int32_t i : sample) {
    if (broken.empty()) broken = detail::CheckFields(r, i, i < 8 || i == used - 1);
  }
  for (int32_t i : {-1, used, MaxMessages, INT32_MIN, INT32_MAX}) {
    if (broken.empty()) broken = detail::CheckNoMessage(r, i);
  }
  std::vector<int32_t> lines(sample.size());
  for (size_t k = 0; broken.empty() && k < sample.size(); ++k) broken = detail::ReadBody(r, sample[k], lines[k]);
  detail::Lcg lcg{seed};
  if (broken.empty()) broken = detail::CheckBodyOrder(r, sample, lines, lcg);
  return broken;
}

// Every line ReadLine gives from offset 0 on is the file's own line: cut at
// LF, CR dropped, 254 bytes kept, and never a byte of an earlier file.
inline std::string CheckLines(const zuLogFile& r, std::string_view held) {
  char out[LineBufferSize];
  char expected[LineBufferSize];
  for (size_t pos = 0;;) {
    const size_t lf = held.find('\n', pos);
    const size_t end = lf == std::string_view::npos ? held.size() : lf;
    size_t kept = 0;
    for (size_t at = pos; at < end && kept < static_cast<size_t>(MaxLineBytes); ++at) {
      if (held[at] == '\r') continue;  // dropped anywhere
      if (held[at] == '\0') break;     // ends the line's text
      expected[kept++] = held[at];
    }
    expected[kept] = '\0';
    const int32_t next = r.ReadLine(static_cast<int32_t>(pos), out);
    if (std::strcmp(out, expected) != 0) return "line differs from the file's bytes";
    if (lf == std::string_view::npos) return next == -1 ? std::string{} : "line after the end of the data";
    if (next != static_cast<int32_t>(lf + 1)) return "next line offset is not after the LF";
    pos = lf + 1;
  }
}

// Opens `path`, which `source` (the reader's source) holds as `file`, and
// checks what Open promises before checking the file's lines and messages.
inline std::string OpenAndCheck(zuLogFile& r, const std::string& path, const MemorySource::File& file) {
  const ExpectedOpen expected = ExpectOpen(file);
  const bool opened = r.Open(path);
  if (expected.readFails) {
    if (opened || !r.GetFileName().empty() || r.Holds(path)) return "a failed read left a file current";
    if (r.DataLength() != 0 || r.GetCount() != -1) return "a failed read left data";
    return CheckLines(r, std::string_view());
  }
  if (r.GetFileName() != path) return "a regular file did not become current";
  if (static_cast<size_t>(r.DataLength()) != expected.held.size()) return "data length is not what arrived";
  if (opened != (r.GetCount() > 0)) return "Open's result disagrees with the count";
  if (r.Holds(path) != opened) return "held although its Open failed";
  std::string broken = CheckLines(r, expected.held);
  return broken.empty() ? CheckReader(r, static_cast<uint32_t>(file.bytes.size())) : broken;
}

}  // namespace zu::testing
