#include "source/LogSource.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "reader/LargeBlock.h"
#include "reader/zuLogFile.h"
#include "source/Containers.h"

namespace zu {

namespace {

// Twice the ten files of a set: the files of the set, and the members of
// the archive being loaded, keep their bytes.
constexpr size_t kKeptFiles = 20;

constexpr const char* kTooLarge = "too large";

// What the reader needs to know of a text's line ends: whether its lines
// end in CR alone, which it then reads as LF. A text with an LF is left as
// it is whatever else it holds, and is told apart no further here: `files`
// finds its line ends afresh (LineEndsOf), while a set's loads are spared a
// walk over every line.
LineEnds LineEndsForReading(std::string_view cp932) {
  if (cp932.find('\n') != std::string_view::npos) return LineEnds::Lf;
  return cp932.find('\r') != std::string_view::npos ? LineEnds::Cr : LineEnds::None;
}

std::string ShownName(const std::string& archive, const std::string& member) {
  return archive + MemberMark + member;
}

}  // namespace

void LogSource::SetEncoding(std::optional<TextEncoding> encoding) {
  encoding_ = encoding;
  known_.clear();
  broken_.clear();
}

bool LogSource::Open(const std::string& name, int64_t& size) {
  Close();
  readError_ = 0;
  // What `files` reports is found afresh for a plain file.
  const auto it = describing_ ? known_.end() : known_.find(name);
  if (it != known_.end() && !it->second.archive.empty()) return OpenMember(name, size);
  FileStamp stamp;
  const bool stamped = files_.Stamp(name, stamp);
  if (!stamped && name.find(MemberMark) != std::string::npos && OpenMember(name, size)) return true;
  if (it != known_.end() && stamped && stamp == it->second.stamp) {
    Decoded& decoded = it->second.decoded;
    if (decoded.fromDisk) {
      // A plain CP932 file that is as it was: read as it always was.
      direct_ = files_.Open(name, size);
      return direct_;
    }
    if (decoded.cp932) return Serve(decoded, decoded.cp932, size);
  }
  if (it == known_.end() && stamped && !describing_ && OpenForFirstRead(name, stamp, size)) return true;
  return OpenFile(name, stamp, stamped, size);
}

void LogSource::BlockDelete::operator()(char* block) const { FreeLargeBlock(block, MaxSourceBytes); }

// A file met for the first time that is no archive is read straight into
// the reader's buffer when it fits there, else into a block kept for it,
// its encoding found there, and converted into the reader's buffer (in
// place when it was read there) only when it is not CP932 already: a set of
// plain logs costs no copy beyond the reader's own read, and a converted
// one no more than the conversion. Its size is given as the buffer's, so
// that the reader asks for all the buffer holds; the text delivered is as
// long as the file's CP932 bytes, as a file that ended sooner than its size
// said.
bool LogSource::OpenForFirstRead(const std::string& name, const FileStamp& stamp, int64_t& size) {
  if (HeadMayBeContainer(name)) return false;
  int64_t stated = 0;
  if (!files_.Open(name, stated)) return false;
  readingRaw_ = stated > BufferSize;
  if (readingRaw_ && !rawBlock_) rawBlock_.reset(static_cast<char*>(AllocateLargeBlock(MaxSourceBytes)));
  if (stated <= 0 || stated > MaxSourceBytes || (readingRaw_ && !rawBlock_)) {
    files_.Close();
    return false;
  }
  if (readingRaw_) ExpectFill(rawBlock_.get(), MaxSourceBytes, static_cast<size_t>(stated));
  firstRead_ = FirstRead{name, stamp};
  direct_ = true;
  size = BufferSize;
  return true;
}

ReadResult LogSource::ReadFirst(char* into, int64_t count) {
  const FirstRead first = std::move(*firstRead_);
  firstRead_.reset();
  char* const raw = readingRaw_ ? rawBlock_.get() : into;
  const int64_t room = readingRaw_ ? MaxSourceBytes : count;
  int64_t got = 0;
  while (got < room) {
    const ReadResult r = files_.Read(raw + got, room - got);
    if (r.error == EINTR) continue;
    if (r.error != 0) return r;  // the reader takes it as it would from the file
    if (r.bytes <= 0) break;
    got += std::min(r.bytes, room - got);
  }
  files_.Close();
  direct_ = false;
  serving_ = std::make_shared<const KeptBytes>();  // every later read gives the end

  Known known;
  known.stamp = first.stamp;
  Decoded& decoded = known.decoded;
  Finding& f = decoded.finding;
  f.name = first.name;
  f.storedBytes = got;
  f.encoding = encoding_ ? *encoding_ : GuessEncoding(std::string_view(raw, static_cast<size_t>(got)));
  // Converted into the reader's buffer: a text read once, as a dump command
  // reads it, costs no copy. It is kept converted when it is read again.
  f.cp932Bytes = f.encoding == TextEncoding::Cp932 && !readingRaw_
                     ? got
                     : static_cast<int64_t>(ConvertToCp932(f.encoding, raw, static_cast<size_t>(got), into,
                                                           static_cast<size_t>(count)));
  const bool fits = f.cp932Bytes <= count;
  if (fits) {
    const std::string_view cp932(into, static_cast<size_t>(f.cp932Bytes));
    f.lineEnds = LineEndsForReading(cp932);
    if (f.lineEnds == LineEnds::Cr) std::replace(into, into + f.cp932Bytes, '\r', '\n');
  } else {
    f.leftOut = kTooLarge;
  }
  decoded.fromDisk = fits && f.encoding == TextEncoding::Cp932 && f.lineEnds != LineEnds::Cr;
  decoded.used = ++clock_;
  known_[first.name] = std::move(known);  // keeps no text yet: nothing more to let go
  // Converted text longer than the buffer holds no data, as a file too large.
  if (!fits) return {0, EFBIG};
  return {f.cp932Bytes, 0};
}

// Reads the file `path` afresh and finds what it is.
bool LogSource::OpenFile(const std::string& path, const FileStamp& stamp, bool stamped, int64_t& size) {
  KeptBytes bytes;
  int64_t stated = 0;
  if (!ReadAll(path, bytes, stated)) return false;  // cannot be opened: the reader's file stays
  if (readError_ != 0 || stated > MaxArchiveBytes) {
    // The reader learns it from its first read, or from a size too large to read.
    size = stated;
    serving_ = std::make_shared<const KeptBytes>();
    return true;
  }
  ContainerEntry single;
  const ContainerListing listing = ReadContainer(
      bytes, MaxSourceBytes, [](int32_t) { return false; }, [&](ContainerEntry& e) { single = std::move(e); });
  if (listing.kind == ContainerKind::Unreadable) {
    // Cannot be opened; kept so that `files` and NotReadBecause say why.
    Known& kept = known_[path] = Known();
    kept.stamp = stamp;
    kept.decoded.finding.name = path;
    kept.decoded.finding.leftOut = listing.broken;
    return false;
  }
  if (listing.kind == ContainerKind::Archive) {
    // An archive opened as one file reads as its first member that may be a log.
    if (!List(path, stamp, bytes)) return false;
    const Known* first = nullptr;
    for (const auto& [name, member] : known_) {
      if (member.archive == path && member.decoded.finding.mayHoldMessages && (!first || member.index < first->index)) {
        first = &member;
      }
    }
    if (first == nullptr) {
      // No log in it: an empty file, which holds no message.
      serving_ = std::make_shared<const KeptBytes>();
      size = 0;
      return true;
    }
    return OpenMember(first->decoded.finding.name, size);
  }
  Known known;
  known.stamp = stamp;
  Decoded& decoded = known.decoded;
  decoded.finding.name = path;
  if (listing.kind == ContainerKind::Compressed) {
    if (!single.refusal.empty()) return false;  // damaged
    decoded.finding.container = listing.format;
    Decode(std::move(single.data), decoded);
  } else {
    Decode(std::move(bytes), decoded);
  }
  decoded.fromDisk = stamped && listing.kind == ContainerKind::None &&
                     decoded.finding.encoding == TextEncoding::Cp932 && decoded.finding.lineEnds != LineEnds::Cr;
  std::shared_ptr<const KeptBytes> text = decoded.cp932;
  if (decoded.fromDisk) decoded.cp932.reset();  // read from disk from now on
  Known& kept = known_[path] = std::move(known);
  return Serve(kept.decoded, text ? text : std::make_shared<const KeptBytes>(), size);
}

// Opens a member of an archive, reading the archive again when its stamp
// changed (a member gone from it, or the archive gone, cannot be opened).
bool LogSource::OpenMember(const std::string& name, int64_t& size) {
  auto it = known_.find(name);
  std::string archive = it != known_.end() ? it->second.archive : std::string();
  if (archive.empty()) {
    // A shown name not met before: list the archive that it names.
    for (size_t mark = name.find(MemberMark); archive.empty() && mark != std::string::npos;
         mark = name.find(MemberMark, mark + 1)) {
      std::vector<SourceMember> members;
      if (MembersOf(name.substr(0, mark), members)) archive = name.substr(0, mark);
    }
    it = known_.find(name);
    if (archive.empty() || it == known_.end()) return false;
  }
  FileStamp stamp;
  if (!files_.Stamp(archive, stamp)) return false;
  if (!(stamp == it->second.stamp)) {
    KeptBytes bytes;
    int64_t stated = 0;
    if (!ReadAll(archive, bytes, stated) || readError_ != 0 || !List(archive, stamp, bytes)) return false;
    it = known_.find(name);
    if (it == known_.end()) return false;
  }
  Known& member = it->second;
  if (!member.decoded.finding.leftOut.empty()) return false;
  if (!member.decoded.cp932 && !Extract(member)) return false;
  return Serve(member.decoded, member.decoded.cp932, size);
}

bool LogSource::Serve(Decoded& decoded, std::shared_ptr<const KeptBytes> text, int64_t& size) {
  serving_ = std::move(text);
  decoded.used = ++clock_;
  // A file too large is told by its size alone: the reader then reads none of it.
  size = decoded.finding.leftOut == kTooLarge ? std::max<int64_t>(decoded.finding.cp932Bytes, BufferSize + int64_t{1})
                                              : static_cast<int64_t>(serving_->size());
  LetOldestGo();
  return true;
}

// The whole of `path` into `bytes`, as the file system gives it: a read
// that fails part-way is remembered for the reader's first read, and a file
// that ends sooner than its size said is what arrived.
bool LogSource::ReadAll(const std::string& path, KeptBytes& bytes, int64_t& stated) {
  readError_ = 0;
  if (!files_.Open(path, stated)) return false;
  if (stated > MaxArchiveBytes) {
    files_.Close();
    return true;
  }
  bytes.resize(static_cast<size_t>(stated));
  int64_t got = 0;
  while (got < stated) {
    const ReadResult r = files_.Read(bytes.data() + got, stated - got);
    if (r.error == EINTR) continue;
    if (r.error != 0) {
      readError_ = r.error;
      break;
    }
    if (r.bytes <= 0) break;
    got += std::min(r.bytes, stated - got);
  }
  files_.Close();
  bytes.resize(static_cast<size_t>(got));
  return true;
}

// Whether the first bytes of `path` show an archive's or compression's mark:
// a log is not read whole to learn that it is none.
bool LogSource::HeadMayBeContainer(const std::string& path) {
  int64_t stated = 0;
  if (!files_.Open(path, stated)) return false;
  std::string head(ContainerMarkBytes, '\0');
  size_t got = 0;
  while (got < head.size()) {
    const ReadResult r = files_.Read(head.data() + got, static_cast<int64_t>(head.size() - got));
    if (r.error == EINTR) continue;
    if (r.error != 0 || r.bytes <= 0) break;
    got += static_cast<size_t>(r.bytes);
  }
  files_.Close();
  head.resize(got);
  return MayBeContainer(head);
}

// Records every member of the archive `archive` from its `bytes`, keeping
// the CP932 bytes of the first members that may be logs. False when the
// bytes are no archive.
bool LogSource::List(const std::string& archive, const FileStamp& stamp, std::string_view bytes) {
  for (auto it = known_.begin(); it != known_.end();) {
    it = it->second.archive == archive ? known_.erase(it) : std::next(it);
  }
  size_t kept = 0;
  const ContainerListing listing = ReadContainer(
      bytes, MaxSourceBytes, [](int32_t) { return true; },
      [&](ContainerEntry& e) {
        if (e.directory) return;
        Known member;
        member.archive = archive;
        member.index = e.index;
        member.stamp = stamp;
        Decoded& decoded = member.decoded;
        decoded.finding.name = ShownName(archive, e.name);
        decoded.finding.leftOut = e.refusal;
        if (e.refusal.empty()) Decode(std::move(e.data), decoded);
        if (decoded.finding.mayHoldMessages && kept < kKeptFiles / 2) {
          ++kept;
          decoded.used = ++clock_;
        } else {
          decoded.cp932.reset();
        }
        known_.emplace(decoded.finding.name, std::move(member));
      });
  if (listing.kind != ContainerKind::Archive) return false;
  broken_.erase(archive);
  if (!listing.broken.empty()) broken_[archive] = listing.broken;
  for (auto& [name, k] : known_) {
    if (k.archive == archive) k.decoded.finding.container = listing.format;
  }
  LetOldestGo();
  return true;
}

// Decompresses one member again, its bytes having been let go.
bool LogSource::Extract(Known& member) {
  KeptBytes bytes;
  int64_t stated = 0;
  if (!ReadAll(member.archive, bytes, stated)) return false;
  bool found = false;
  ReadContainer(
      bytes, MaxSourceBytes, [&](int32_t index) { return index == member.index; },
      [&](ContainerEntry& e) {
        if (e.index != member.index || !e.refusal.empty()) return;
        Decode(std::move(e.data), member.decoded);
        found = member.decoded.cp932 != nullptr;
      });
  return found;
}

// The CP932 bytes of `bytes`, converted where they stand, their encoding
// guessed unless one was set, and lines ending in CR alone made to end in LF;
// whether a header pair stands in them is found there too.
void LogSource::Decode(KeptBytes&& bytes, Decoded& decoded) const {
  Finding& f = decoded.finding;
  f.storedBytes = static_cast<int64_t>(bytes.size());
  if (f.storedBytes > MaxSourceBytes) {
    f.leftOut = kTooLarge;
    return;
  }
  f.encoding = encoding_ ? *encoding_ : GuessEncoding(bytes);
  auto text = std::make_shared<KeptBytes>(std::move(bytes));
  ConvertToCp932(f.encoding, *text);
  f.lineEnds = LineEndsOf(*text);
  if (f.lineEnds == LineEnds::Cr) std::replace(text->begin(), text->end(), '\r', '\n');
  f.cp932Bytes = static_cast<int64_t>(text->size());
  if (f.cp932Bytes > BufferSize) f.leftOut = kTooLarge;
  f.mayHoldMessages = f.leftOut.empty() && HasHeaderPair(*text);
  decoded.cp932 = std::move(text);
}

ReadResult LogSource::Read(char* into, int64_t count) {
  if (firstRead_) return ReadFirst(into, count);
  if (direct_) return files_.Read(into, count);
  if (readError_ != 0) return {0, readError_};
  if (!serving_) return {0, EBADF};
  const int64_t n = std::min<int64_t>(count, static_cast<int64_t>(serving_->size()) - servedAt_);
  if (n <= 0) return {0, 0};
  std::memcpy(into, serving_->data() + servedAt_, static_cast<size_t>(n));
  servedAt_ += n;
  return {n, 0};
}

void LogSource::Close() {
  firstRead_.reset();
  if (direct_) files_.Close();
  direct_ = false;
  serving_.reset();
  servedAt_ = 0;
}

bool LogSource::MembersOf(const std::string& path, std::vector<SourceMember>& members) {
  members.clear();
  const auto it = known_.find(path);
  if (it != known_.end() && !it->second.archive.empty()) return false;  // a member is one file
  FileStamp stamp;
  if (!files_.Stamp(path, stamp)) return false;
  bool listed = false;
  for (const auto& [name, k] : known_) listed = listed || (k.archive == path && k.stamp == stamp);
  if (!listed && !HeadMayBeContainer(path)) return false;
  if (!listed) {
    KeptBytes bytes;
    int64_t stated = 0;
    if (!ReadAll(path, bytes, stated) || readError_ != 0 || !List(path, stamp, bytes)) return false;
  }
  for (const Known* k : ListedMembers(path)) {
    const Finding& f = k->decoded.finding;
    if (!f.leftOut.empty()) members.push_back({f.name, false});
    else if (f.mayHoldMessages) members.push_back({f.name, true});
  }
  if (broken_.count(path) != 0) members.push_back({path, false});
  return true;
}

// The members listed of `archive`, in its order.
std::vector<const LogSource::Known*> LogSource::ListedMembers(const std::string& archive) const {
  std::vector<const Known*> order;
  for (const auto& [name, k] : known_) {
    if (k.archive == archive) order.push_back(&k);
  }
  std::sort(order.begin(), order.end(), [](const Known* a, const Known* b) { return a->index < b->index; });
  return order;
}

std::vector<LogSource::Finding> LogSource::Describe(const std::string& path) {
  std::vector<Finding> findings;
  std::vector<SourceMember> members;
  if (MembersOf(path, members)) {
    for (const Known* k : ListedMembers(path)) findings.push_back(k->decoded.finding);
    if (const auto it = broken_.find(path); it != broken_.end()) {
      Finding rest;
      rest.name = path;
      rest.leftOut = "damaged: " + it->second;
      findings.push_back(rest);
    }
    return findings;
  }
  int64_t size = 0;
  describing_ = true;  // what is found is kept at the open, not the read
  const bool opened = Open(path, size);
  describing_ = false;
  Close();
  Finding f;
  f.name = path;
  const auto it = known_.find(path);
  if (it != known_.end()) f = it->second.decoded.finding;
  else if (!opened) f.leftOut = "cannot be opened";
  findings.push_back(f);
  return findings;
}

std::string LogSource::NotReadBecause(const std::string& path) const {
  const auto it = known_.find(path);
  if (it == known_.end() || it->second.decoded.finding.leftOut != NoContainerReader) return {};
  return NoContainerReader;
}

// Lets the bytes of the files opened longest ago go, beyond kKeptFiles.
void LogSource::LetOldestGo() {
  for (;;) {
    std::vector<Decoded*> kept;
    for (auto& [name, k] : known_) {
      if (k.decoded.cp932 && !k.decoded.fromDisk) kept.push_back(&k.decoded);
    }
    if (kept.size() <= kKeptFiles) return;
    const auto oldest = std::min_element(kept.begin(), kept.end(), [](const Decoded* a, const Decoded* b) { return a->used < b->used; });
    (*oldest)->cp932.reset();
  }
}

LogSource& FilesAsLogs() {
  static FileSource files;
  static LogSource source(files);
  return source;
}

}  // namespace zu
