#include "ExportOutput.h"

#if defined(_WIN32)
#include <io.h>
#else
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "OutputTexts.h"
#include "StopSignals.h"
#include "WriteSystem.h"

namespace zu::dump {

namespace {

// Writes this large go straight to the file; smaller ones (an mbox's mails)
// gather in the buffer up to this size first.
constexpr size_t kBufferBytes = size_t{1} << 20;
constexpr size_t kDirectWriteBytes = size_t{1} << 16;

}  // namespace

// The names and calls of POSIX systems; Windows has its own in
// OutputWindows.cpp.
#if !defined(_WIN32)

namespace {

// True when `path` names a folder with no entry but "." and ".."; false, with
// `problem` set when it cannot be listed, otherwise.
bool IsEmptyFolder(const std::string& path, std::string& problem) {
  DIR* dir = opendir(path.c_str());
  if (dir == nullptr) {
    problem = Problem("cannot read the folder", path, errno);
    return false;
  }
  bool empty = true;
  while (const dirent* entry = readdir(dir)) {
    if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0) {
      empty = false;
      break;
    }
  }
  closedir(dir);
  return empty;
}

// The folder that holds `path`'s last name, and that name (trailing slashes
// are not part of it).
void SplitPath(const std::string& path, std::string& folder, std::string& name) {
  const size_t end = path.find_last_not_of('/');
  if (end == std::string::npos) {
    folder = "/";
    name.clear();
    return;
  }
  const size_t slash = path.rfind('/', end);
  const size_t start = slash == std::string::npos ? 0 : slash + 1;
  name = path.substr(start, end + 1 - start);
  if (slash == std::string::npos) {
    folder = ".";
    return;
  }
  const size_t folderEnd = path.find_last_not_of('/', slash);
  folder = folderEnd == std::string::npos ? "/" : path.substr(0, folderEnd + 1);
}

// A template for mkstemp or mkdtemp: a hidden entry beside the output that
// shows whose it is.
std::string HiddenTemplate(const std::string& folder, const std::string& name) {
  return folder + "/." + name.substr(0, kHiddenNameBytes) + ".zu-XXXXXX";
}

// mkstemp and mkdtemp make entries only their owner can use; the output gets
// the permissions that open and mkdir would give it.
mode_t Permissions(mode_t requested) {
  const mode_t mask = umask(0);
  umask(mask);
  return requested & ~mask;
}

// Makes the names in `folder` durable.
bool SyncFolder(const std::string& folder) {
  const int fd = Writes().OpenFolder(folder.c_str());
  if (fd == -1) return false;
  const bool synced = Writes().Sync(fd) == 0;
  const int error = errno;
  const bool closed = Writes().Close(fd) == 0;
  if (!synced) errno = error;
  return synced && closed;
}

}  // namespace

OutputWays SystemWays() {
#if defined(__linux__) && defined(O_TMPFILE)
  return {true, true};
#else
  return {false, false};
#endif
}

std::string FileRefusal(const std::string& path) {
  struct stat st {};
  if (lstat(path.c_str(), &st) != 0) return {};  // nothing there, or creating it will say why
  return FileExists(path);
}

std::string FolderRefusal(const std::string& path) {
  struct stat st {};
  if (lstat(path.c_str(), &st) != 0) return {};
  if (S_ISLNK(st.st_mode)) return SymbolicLink(path);
  if (!S_ISDIR(st.st_mode)) return NotAFolder(path);
  std::string problem;
  if (IsEmptyFolder(path, problem)) return {};
  return problem.empty() ? FolderNotEmpty(path) : problem;
}

#endif

FileWriter::FileWriter(int fd, std::string shownPath, bool syncOnClose)
    : fd_(fd), shownPath_(std::move(shownPath)), syncOnClose_(syncOnClose) {}

FileWriter::~FileWriter() {
#if defined(_WIN32)
  if (fd_ != -1) _close(fd_);
#else
  if (fd_ != -1) ::close(fd_);
#endif
}

bool FileWriter::Fail(const char* what) {
  if (error_.empty()) error_ = StopAsked() ? std::string(kStopped) : Problem(what, shownPath_, errno);
  return false;
}

bool FileWriter::WriteOut(const char* bytes, size_t count) {
  while (count > 0) {
    if (StopAsked()) return Fail(kStopped);
    const ssize_t n = Writes().Write(fd_, bytes, count);
    if (n < 0 && errno == EINTR) continue;  // the flag is looked at again first
    if (n <= 0) {
      if (n == 0) errno = ENOSPC;  // a regular file that takes nothing is full
      return Fail("cannot write");
    }
    wrote_ = true;
    bytes += n;
    count -= static_cast<size_t>(n);
  }
  return true;
}

bool FileWriter::Flush() {
  if (fd_ == -1 || !error_.empty()) return false;
  if (!WriteOut(buffer_.data(), buffer_.size())) return false;
  buffer_.clear();
  return true;
}

bool FileWriter::Write(std::string_view bytes) {
  if (fd_ == -1 || !error_.empty()) return false;
  if (buffer_.size() + bytes.size() > kBufferBytes && !Flush()) return false;
  if (buffer_.empty() && bytes.size() >= kDirectWriteBytes) return WriteOut(bytes.data(), bytes.size());
  buffer_.append(bytes);
  return true;
}

bool FileWriter::Sync() {
  if (!Flush()) return false;
  return Writes().Sync(fd_) == 0 || Fail("cannot write");
}

bool FileWriter::Close() {
  const bool written = syncOnClose_ ? Sync() : Flush();
  if (fd_ == -1) return false;
  const int fd = fd_;
  fd_ = -1;
  // close reports errors that a network or delayed-allocation file system
  // keeps until then.
  if (Writes().Close(fd) != 0 && written) return Fail("cannot write");
  return written;
}

OutputFile::~OutputFile() {
  if (!committed_) Remove();
}

bool OutputFile::Fail(const std::string& problem) {
  if (error_.empty()) error_ = problem;
  return false;
}

bool OutputFile::Write(std::string_view bytes) {
  if (!writer_ || !error_.empty()) return false;
  return writer_->Write(bytes) || Fail(writer_->error());
}

#if defined(_WIN32)
namespace {
// MoveFileExW with MOVEFILE_WRITE_THROUGH returns once the name is on the disk.
bool SyncFolder(const std::string&) { return true; }
}  // namespace
#endif

bool OutputFile::Commit() {
  if (!writer_ || !error_.empty()) return false;
  if (!writer_->Sync()) return Fail(writer_->error());
  if (!Name()) return false;
  if (!SyncFolder(folder_)) return Fail(Problem("cannot write", path_, errno));
  committed_ = true;
  return true;
}

OutputFolder::~OutputFolder() {
  if (!committed_) Remove();
}

bool OutputFolder::Fail(const std::string& problem) {
  if (error_.empty()) error_ = problem;
  return false;
}

#if !defined(_WIN32)

bool OutputFile::Create(const std::string& path) {
  path_ = path;
  const std::string refusal = FileRefusal(path);
  if (!refusal.empty()) return Fail(refusal);
  std::string name;
  SplitPath(path, folder_, name);
  if (ways_.unnamedFile && CreateUnnamed(folder_)) return true;
  return error_.empty() && CreateHidden(folder_, name);
}

// False with no error where the file system makes no unnamed file.
bool OutputFile::CreateUnnamed(const std::string& folder) {
  const int fd = Writes().OpenUnnamed(folder.c_str());
  if (fd != -1) {
    writer_ = std::make_unique<FileWriter>(fd, path_, false);
    return true;
  }
  if (errno == EOPNOTSUPP || errno == EISDIR || errno == EINVAL) return false;
  return Fail(Problem("cannot create", path_, errno));
}

bool OutputFile::CreateHidden(const std::string& folder, const std::string& name) {
  std::string hidden = HiddenTemplate(folder, name);
  const int fd = mkstemp(hidden.data());
  if (fd == -1) return Fail(Problem("cannot create", path_, errno));
  hidden_ = std::move(hidden);  // moved: nothing may fail between making it and noting it
  writer_ = std::make_unique<FileWriter>(fd, path_, false);
  if (fchmod(fd, Permissions(0666)) != 0) return Fail(Problem("cannot create", path_, errno));
  return true;
}

// An unnamed file is linked to its name while it is still open; a hidden
// one is closed, linked and its hidden name taken away. Either way an entry
// at the name, however it got there, makes the link fail and stays as it is.
bool OutputFile::Name() {
  if (hidden_.empty()) {
    char self[64];
    std::snprintf(self, sizeof self, "/proc/self/fd/%d", writer_->fd());
    if (StopAsked()) return Fail(kStopped);
    if (linkat(AT_FDCWD, self, AT_FDCWD, path_.c_str(), AT_SYMLINK_FOLLOW) != 0) {
      return Fail(errno == EEXIST ? FileExists(path_) : Problem("cannot create", path_, errno));
    }
    named_ = true;
    return writer_->Close() || Fail(writer_->error());
  }
  if (!writer_->Close()) return Fail(writer_->error());
  if (StopAsked()) return Fail(kStopped);
  if (link(hidden_.c_str(), path_.c_str()) != 0) {
    return Fail(errno == EEXIST ? FileExists(path_) : Problem("cannot create", path_, errno));
  }
  named_ = true;
  unlink(hidden_.c_str());
  hidden_.clear();
  return true;
}

// Allocates nothing: it also runs while an allocation failure unwinds.
void OutputFile::Remove() {
  writer_.reset();  // an unnamed file goes with its last descriptor
  if (!hidden_.empty()) unlink(hidden_.c_str());
  if (named_) unlink(path_.c_str());
  hidden_.clear();
  named_ = false;
}

bool OutputFolder::Create(const std::string& path) {
  path_ = path;
  const std::string refusal = FolderRefusal(path);
  if (!refusal.empty()) return Fail(refusal);
  std::string folder;
  std::string name;
  SplitPath(path, folder, name);
  std::string hidden = HiddenTemplate(folder, name);
  if (mkdtemp(hidden.data()) == nullptr) return Fail(Problem("cannot create the folder", path, errno));
  fd_ = Writes().OpenFolder(hidden.c_str());
  if (fd_ == -1) {
    const int error = errno;
    rmdir(hidden.c_str());
    return Fail(Problem("cannot create the folder", path, error));
  }
  hidden_ = std::move(hidden);  // moved: nothing may fail between making it and noting it
  if (fchmod(fd_, Permissions(0777)) != 0) return Fail(Problem("cannot create the folder", path, errno));
  return true;
}

std::unique_ptr<FileWriter> OutputFolder::NewFile(const std::string& name) {
  if (fd_ == -1 || !error_.empty()) return nullptr;
  if (StopAsked()) {
    Fail(kStopped);
    return nullptr;
  }
  std::string shown = path_ + "/" + name;
  files_.push_back(name);  // before it exists, so that Remove never misses it
  const int fd = openat(fd_, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd == -1) {
    Fail(Problem("cannot create", shown, errno));
    files_.pop_back();
    return nullptr;
  }
  return std::make_unique<FileWriter>(fd, std::move(shown), !ways_.syncFileSystem);
}

bool OutputFolder::Commit() {
  if (fd_ == -1 || !error_.empty()) return false;
  if (ways_.syncFileSystem && Writes().SyncFileSystem(fd_) != 0) return Fail(Problem("cannot write", path_, errno));
  if (Writes().Sync(fd_) != 0) return Fail(Problem("cannot write", path_, errno));
  if (StopAsked()) return Fail(kStopped);
  // rename replaces an empty folder and nothing else: one that holds
  // anything, a file or a symbolic link at the name makes it fail.
  if (rename(hidden_.c_str(), path_.c_str()) != 0) {
    if (errno == ENOTEMPTY || errno == EEXIST) return Fail(FolderNotEmpty(path_));
    if (errno == ENOTDIR) return Fail(NotAFolder(path_));
    return Fail(Problem("cannot create the folder", path_, errno));
  }
  named_ = true;
  std::string folder;
  std::string name;
  SplitPath(path_, folder, name);
  if (!SyncFolder(folder)) return Fail(Problem("cannot write", path_, errno));
  committed_ = true;
  ::close(fd_);
  fd_ = -1;
  return true;
}

// Allocates nothing: it also runs while an allocation failure unwinds.
void OutputFolder::Remove() {
  if (fd_ == -1) return;
  for (const std::string& name : files_) unlinkat(fd_, name.c_str(), 0);
  ::close(fd_);
  fd_ = -1;
  rmdir(named_ ? path_.c_str() : hidden_.c_str());
}

#endif

}  // namespace zu::dump
