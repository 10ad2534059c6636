#include "ExportOutput.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace zu::dump {

namespace {

constexpr size_t kBufferBytes = size_t{1} << 20;

std::string Problem(const std::string& what, const std::string& path, int error) {
  return what + " " + path + ": " + std::strerror(error);
}

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

}  // namespace

std::string FileRefusal(const std::string& path) {
  struct stat st {};
  if (lstat(path.c_str(), &st) != 0) return {};  // nothing there, or creating it will say why
  return path + " exists already; export writes a new file only";
}

std::string FolderRefusal(const std::string& path) {
  struct stat st {};
  if (lstat(path.c_str(), &st) != 0) return {};
  if (stat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
    return path + " exists already and is not a folder";
  }
  std::string problem;
  if (IsEmptyFolder(path, problem)) return {};
  return problem.empty() ? path + " is a folder that is not empty; export fills an empty or new one only"
                         : problem;
}

OutputFile::~OutputFile() {
  if (fd_ != -1) ::close(fd_);
}

bool OutputFile::Create(const std::string& path) {
  path_ = path;
  fd_ = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd_ == -1) {
    error_ = errno == EEXIST ? FileRefusal(path) : Problem("cannot create", path, errno);
    return false;
  }
  created_ = true;
  buffer_.reserve(kBufferBytes);
  return true;
}

bool OutputFile::Fail(const std::string& what) {
  if (error_.empty()) error_ = Problem(what, path_, errno);
  return false;
}

bool OutputFile::Flush() {
  size_t done = 0;
  while (done < buffer_.size()) {
    const ssize_t n = ::write(fd_, buffer_.data() + done, buffer_.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      if (n == 0) errno = ENOSPC;  // a regular file that takes nothing is full
      return Fail("cannot write");
    }
    done += static_cast<size_t>(n);
  }
  buffer_.clear();
  return true;
}

bool OutputFile::Write(std::string_view bytes) {
  if (fd_ == -1 || !error_.empty()) return false;
  buffer_.append(bytes);
  return buffer_.size() < kBufferBytes || Flush();
}

bool OutputFile::Close() {
  if (fd_ == -1 || !error_.empty()) return false;
  const bool flushed = Flush();
  const int fd = fd_;
  fd_ = -1;
  // close reports errors that a network or delayed-allocation file system
  // keeps until then.
  if (::close(fd) != 0 && flushed) return Fail("cannot write");
  return flushed;
}

void OutputFile::Remove() {
  if (fd_ != -1) ::close(fd_);
  fd_ = -1;
  if (created_) ::unlink(path_.c_str());
  created_ = false;
}

bool OutputFolder::Create(const std::string& path) {
  path_ = path;
  if (::mkdir(path.c_str(), 0777) == 0) {
    made_ = true;
    return true;
  }
  if (errno != EEXIST) {
    error_ = Problem("cannot create the folder", path, errno);
    return false;
  }
  error_ = FolderRefusal(path);  // it appeared since the first check, or was there empty
  return error_.empty();
}

std::unique_ptr<OutputFile> OutputFolder::NewFile(const std::string& name) {
  auto file = std::make_unique<OutputFile>();
  if (!file->Create(path_ + "/" + name)) {
    error_ = file->error();
    return nullptr;
  }
  files_.push_back(file->path());
  return file;
}

void OutputFolder::Remove() {
  for (const std::string& f : files_) ::unlink(f.c_str());
  files_.clear();
  if (made_) ::rmdir(path_.c_str());
  made_ = false;
}

}  // namespace zu::dump
