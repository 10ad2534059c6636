// Where the reader takes a log file's bytes from. A source names a file by
// its path and hands out its bytes in reads that may each deliver fewer than
// asked for, as POSIX read does. FileSource reads the file system; the
// programs read through the converting source of src/source, which reads
// its files through a FileSource; tests and fuzzers give the reader a source
// that keeps its files in memory and fails on demand (LevelDB's log::Reader
// over a SequentialFile).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zu {

// What one read gave: `bytes` > 0 bytes arrived, or 0 at the end of the
// file; or `error`, an errno value, when the read failed. EINTR only asks
// the caller to read again.
struct ReadResult {
  int64_t bytes = 0;
  int error = 0;
};

// What tells a file's bytes apart without reading them: a file whose stamp
// is unchanged holds the bytes it held.
struct FileStamp {
  uint64_t device = 0;
  uint64_t inode = 0;
  int64_t size = 0;
  int64_t modified = 0;  // nanoseconds
  int64_t changed = 0;   // nanoseconds: any write or rename moves it
  bool operator==(const FileStamp&) const = default;
};

// One file that a chosen path holds: an archive's member, by the name under
// which it is opened; `readable` false for one that cannot be read at all (a
// link, a damaged or encrypted member, or the damaged rest of the archive).
struct SourceMember {
  std::string name;
  bool readable = true;
};

class ByteSource {
 public:
  virtual ~ByteSource() = default;
  // Opens `path` for reading and gives the size that the file says it has.
  // False, with nothing open, when it cannot be opened or is not a regular
  // file (a directory, FIFO or device is never read).
  virtual bool Open(const std::string& path, int64_t& size) = 0;
  // Reads up to `count` (> 0) bytes of the open file into `into`. After a
  // failed read the bytes at `into` are undefined.
  virtual ReadResult Read(char* into, int64_t count) = 0;
  // Closes the open file; harmless when none is open.
  virtual void Close() = 0;

  // The stamp of `path`; false when the source keeps none (the file is then
  // read again whenever it is opened).
  virtual bool Stamp(const std::string& /*path*/, FileStamp& /*stamp*/) { return false; }
  // When `path` is an archive: true, with the members that may be logs in
  // its order. False for a path that is one file.
  virtual bool MembersOf(const std::string& /*path*/, std::vector<SourceMember>& /*members*/) { return false; }
};

// The files of the file system. A path is the bytes the system names the
// file by; on Windows, whose names are UTF-16, it is UTF-8.
class FileSource final : public ByteSource {
 public:
  FileSource() = default;
  ~FileSource() override;
  FileSource(const FileSource&) = delete;
  FileSource& operator=(const FileSource&) = delete;

  bool Open(const std::string& path, int64_t& size) override;
  ReadResult Read(char* into, int64_t count) override;
  void Close() override;
  bool Stamp(const std::string& path, FileStamp& stamp) override;

 private:
  int fd_ = -1;
};

#if defined(_WIN32)
// A UTF-8 path as Windows names files, in UTF-16. A path that is not UTF-8
// becomes the empty path, which names no file.
std::wstring WidePath(const std::string& path);
#endif

}  // namespace zu
