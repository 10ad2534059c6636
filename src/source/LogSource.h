// LogSource: what the programs' reader reads through. It turns a chosen
// file, whatever encoding, line ends or container it came in, into the CP932
// bytes of a log, and splits an archive into its members.
//
// A member is opened under its shown name, ARCHIVE!/MEMBER: the archive's
// path, "!/", the member's name as stored (CP932 in LZH and most ZIP). The
// CP932 bytes of members, and of files that needed converting once they are
// read a second time, are kept while the file's stamp stays the same, so
// that moving between files and searching do not decompress again; a plain
// CP932 file is read from disk each time, as the reader always read it.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "reader/ByteSource.h"
#include "source/EncodingGuess.h"
#include "source/KeptBytes.h"

namespace zu {

inline constexpr char MemberMark[] = "!/";  // between an archive's path and a member's name

// The most bytes of a file or member that are read before conversion: the
// largest log, 1,500,000 CP932 bytes, takes up to three times as many in
// UTF-8 (a half-width kana is three bytes there).
inline constexpr int64_t MaxSourceBytes = 4500000;
// The largest archive that is read.
inline constexpr int64_t MaxArchiveBytes = int64_t{256} << 20;

class LogSource final : public ByteSource {
 public:
  // Reads the files through `files` (a FileSource in the programs), which
  // must outlive the source.
  explicit LogSource(ByteSource& files) : files_(files) {}
  LogSource(const LogSource&) = delete;
  LogSource& operator=(const LogSource&) = delete;

  // Reads every file in `encoding` instead of guessing; nullopt guesses.
  void SetEncoding(std::optional<TextEncoding> encoding);

  bool Open(const std::string& name, int64_t& size) override;
  ReadResult Read(char* into, int64_t count) override;
  void Close() override;
  bool Stamp(const std::string& path, FileStamp& stamp) override { return files_.Stamp(path, stamp); }
  // The members of an archive that may be logs (a header pair stands in
  // them) and those that cannot be read, in archive order; folders and
  // members without a header pair are passed over.
  bool MembersOf(const std::string& path, std::vector<SourceMember>& members) override;

  // What was found in a file or one member of an archive.
  struct Finding {
    std::string name;       // the shown name
    std::string container;  // "" for a plain file; else what libarchive calls the format
    TextEncoding encoding = TextEncoding::Cp932;
    LineEnds lineEnds = LineEnds::None;
    int64_t storedBytes = -1;  // as stored, decompressed; -1 when unknown
    int64_t cp932Bytes = -1;   // as the reader gets them; -1 when not read
    std::string leftOut;       // why it is not read; empty when it is
    bool mayHoldMessages = false;  // a header pair stands in its text, as Describe finds it
  };
  // Every file that `path` is or holds (folders of an archive left out).
  std::vector<Finding> Describe(const std::string& path);
  // Why `path`, which could not be opened as a log, is no log to this
  // program although it is a file: an archive in a build that reads none.
  // Empty for every other file.
  std::string NotReadBecause(const std::string& path) const;

 private:
  struct Decoded {
    Finding finding;
    // The bytes for the reader; null for a plain CP932 file that is read
    // from disk, or when they were let go and must be decoded again.
    std::shared_ptr<const KeptBytes> cp932;
    bool fromDisk = false;  // a plain CP932 file, read from disk each time
    uint64_t used = 0;      // when last opened, to let the oldest go first
  };
  struct Known {
    std::string archive;  // the archive's path for a member, empty for a file
    int32_t index = -1;   // the member's place in its archive
    FileStamp stamp;      // of the file, or of the archive
    Decoded decoded;
  };

  bool OpenFile(const std::string& path, const FileStamp& stamp, bool stamped, int64_t& size);
  bool OpenForFirstRead(const std::string& name, const FileStamp& stamp, int64_t& size);
  ReadResult ReadFirst(char* into, int64_t count);
  bool OpenMember(const std::string& name, int64_t& size);
  bool ReadAll(const std::string& path, KeptBytes& bytes, int64_t& stated);
  bool HeadMayBeContainer(const std::string& path);
  bool List(const std::string& archive, const FileStamp& stamp, std::string_view bytes);
  std::vector<const Known*> ListedMembers(const std::string& archive) const;
  bool Extract(Known& member);
  void Decode(KeptBytes&& bytes, Decoded& decoded) const;
  bool Serve(Decoded& decoded, std::shared_ptr<const KeptBytes> text, int64_t& size);
  void LetOldestGo();

  ByteSource& files_;
  std::optional<TextEncoding> encoding_;
  std::map<std::string, Known> known_;
  std::map<std::string, std::string> broken_;  // archives that could not be read to the end, and why
  uint64_t clock_ = 0;

  // The open file: bytes in memory, or the file system's file itself.
  std::shared_ptr<const KeptBytes> serving_;
  int64_t servedAt_ = 0;
  bool direct_ = false;
  int readError_ = 0;
  // A file opened for its first read, found out as it is read.
  struct FirstRead {
    std::string name;
    FileStamp stamp;
  };
  std::optional<FirstRead> firstRead_;
  // Where a file met for the first time is read when it is larger than the
  // reader's buffer (a UTF-8 log takes more bytes than its CP932 form);
  // MaxSourceBytes of address space, taken at the first such file.
  struct BlockDelete {
    void operator()(char* block) const;
  };
  std::unique_ptr<char, BlockDelete> rawBlock_;
  bool readingRaw_ = false;  // the first read goes to rawBlock_
  bool describing_ = false;
};

// The file system's files as logs: the source of the programs' readers.
LogSource& FilesAsLogs();

}  // namespace zu
