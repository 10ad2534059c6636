// Where an export writes: a new file, or a new folder of files, that appears
// under its name only when it is complete and on the disk. Until then it is
// built where the name cannot see it (an unnamed file in the name's folder,
// or a hidden entry beside the name), and it takes the name without
// replacing anything that holds something. Whatever stops the export first (a
// failed write, a stop signal, an exception) removes what was built; a
// SIGKILL leaves at most a hidden temporary entry, never anything under the
// name. On Windows the same holds with its own calls: a hidden entry beside
// the name, FlushFileBuffers, and MoveFileExW, which never replaces.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace zu::dump {

// How a result is built and made durable. On Linux the quick ways; the
// portable ones are what other systems take, and are tested here as well.
struct OutputWays {
  // An unnamed file (O_TMPFILE) linked to its name; else a hidden name that
  // is linked to the name and then unlinked. An unnamed file is given up for
  // a hidden name where the file system cannot make one.
  bool unnamedFile = true;
  // A folder's pages made durable by one sync of their file system; else
  // each page is synced as it is closed.
  bool syncFileSystem = true;
};
OutputWays SystemWays();

// Why `path` cannot take an export of the given kind without replacing
// something: it exists; for a folder, it is not an empty folder (a symbolic
// link is not followed, to a folder or anywhere). Empty when it can. Checked
// before the logs are loaded; naming the result checks again.
std::string FileRefusal(const std::string& path);
std::string FolderRefusal(const std::string& path);

// Buffered writes to one open file through Writes(). After the first failure
// every call fails and error() says what happened, naming the file by
// `shownPath`; a stop signal fails the next write.
class FileWriter {
 public:
  FileWriter(int fd, std::string shownPath, bool syncOnClose);
  ~FileWriter();
  FileWriter(const FileWriter&) = delete;
  FileWriter& operator=(const FileWriter&) = delete;

  bool Write(std::string_view bytes);
  bool Flush();
  bool Sync();
  // Flushes, syncs when asked to at construction, and closes.
  bool Close();

  int fd() const { return fd_; }
  // True once a byte reached the file.
  bool wrote() const { return wrote_; }
  const std::string& error() const { return error_; }

 private:
  bool WriteOut(const char* bytes, size_t count);
  bool Fail(const char* what);

  int fd_;
  std::string shownPath_;
  bool syncOnClose_;
  bool wrote_ = false;
  std::string buffer_;
  std::string error_;
};

// The one file of an mbox export.
class OutputFile {
 public:
  explicit OutputFile(OutputWays ways = SystemWays()) : ways_(ways) {}
  // Removes what was built unless Commit succeeded.
  ~OutputFile();
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  // Starts the file that Commit names `path`. False, with error() set, when
  // `path` exists or its folder takes no new file.
  bool Create(const std::string& path);
  bool Write(std::string_view bytes);
  // Writes what is buffered, syncs the file, gives it its name without
  // replacing anything and syncs the folder that holds the name.
  bool Commit();
  void Remove();

  // True when something reached the disk that a failure had to remove.
  bool wrote() const { return writer_ && writer_->wrote(); }
  const std::string& error() const { return error_; }

 private:
  bool CreateUnnamed(const std::string& folder);
  bool CreateHidden(const std::string& folder, const std::string& name);
  bool Name();
  bool Fail(const std::string& problem);

  OutputWays ways_;
  std::string path_;
  std::string folder_;
  std::string hidden_;  // the hidden name while it exists, for the portable way
#if defined(_WIN32)
  // The names as Windows takes them, made in advance: Remove allocates nothing.
  std::wstring widePath_;
  std::wstring wideHidden_;  // while the hidden file exists
#endif
  std::unique_ptr<FileWriter> writer_;
  bool named_ = false;
  bool committed_ = false;
  std::string error_;
};

// The folder of an html export, built as a hidden folder beside its name.
class OutputFolder {
 public:
  explicit OutputFolder(OutputWays ways = SystemWays()) : ways_(ways) {}
  ~OutputFolder();
  OutputFolder(const OutputFolder&) = delete;
  OutputFolder& operator=(const OutputFolder&) = delete;

  // Starts the folder that Commit names `path`. False, with error() set,
  // when `path` is anything but an empty folder or nothing, or no folder can
  // be made beside it.
  bool Create(const std::string& path);
  // A new file `name` in the folder, open for writing; null, with error()
  // set, when it cannot be made. Close it before Commit.
  std::unique_ptr<FileWriter> NewFile(const std::string& name);
  // Syncs the pages and the folder, gives it its name (an empty folder there
  // is replaced, one that holds anything never is) and syncs the folder that
  // holds the name.
  bool Commit();
  void Remove();

  bool wrote() const { return !files_.empty(); }
  const std::string& error() const { return error_; }

 private:
  bool Fail(const std::string& problem);

  OutputWays ways_;
  std::string path_;
  std::string hidden_;
  int fd_ = -1;  // the folder, under either name
  std::vector<std::string> files_;  // the names made in it
#if defined(_WIN32)
  // The names as Windows takes them, made in advance: Remove allocates nothing.
  std::wstring widePath_;
  std::wstring wideHidden_;  // while the hidden folder exists
  std::vector<std::wstring> wideFiles_;  // the files made in it, by their whole names
  bool emptiedPath_ = false;  // an empty folder at the name was taken away to make room
#endif
  bool named_ = false;
  bool committed_ = false;
  std::string error_;
};

}  // namespace zu::dump
