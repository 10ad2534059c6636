// Where an export writes: a new file, or the files of a new (or empty)
// folder. Nothing that exists is ever replaced, and when a write fails
// everything this output created is removed again, so a failed export leaves
// the disk as it found it.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace zu::dump {

// Why `path` cannot take an export of the given kind without replacing
// something (it exists; for a folder: it is not an empty folder); empty when
// it can. Checked before the logs are loaded, and again when writing starts.
std::string FileRefusal(const std::string& path);
std::string FolderRefusal(const std::string& path);

// One file created new, written through a buffer. After the first failure
// every call fails and error() says what happened.
class OutputFile {
 public:
  OutputFile() = default;
  ~OutputFile();
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  // Creates `path`, failing when anything exists there.
  bool Create(const std::string& path);
  bool Write(std::string_view bytes);
  // Writes what is buffered and closes the file.
  bool Close();
  // Closes the file if open and removes it.
  void Remove();

  const std::string& error() const { return error_; }
  const std::string& path() const { return path_; }

 private:
  bool Flush();
  bool Fail(const std::string& what);

  std::string path_;
  int fd_ = -1;
  bool created_ = false;
  std::string buffer_;
  std::string error_;
};

// A folder made for the export (or an empty one that was there), in which
// files are created new. Remove() takes away every file made here and the
// folder when this output made it.
class OutputFolder {
 public:
  bool Create(const std::string& path);
  // A new file `name` in the folder, open for writing; null, with error()
  // set, when it cannot be created.
  std::unique_ptr<OutputFile> NewFile(const std::string& name);
  void Remove();

  const std::string& error() const { return error_; }

 private:
  std::string path_;
  bool made_ = false;
  std::vector<std::string> files_;
  std::string error_;
};

}  // namespace zu::dump
