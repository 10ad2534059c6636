#include "reader/ByteSource.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zu {

FileSource::~FileSource() { Close(); }

bool FileSource::Open(const std::string& path, int64_t& size) {
  Close();
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    ::close(fd);
    return false;
  }
  fd_ = fd;
  size = info.st_size;
  return true;
}

ReadResult FileSource::Read(char* into, int64_t count) {
  const ssize_t n = ::read(fd_, into, static_cast<size_t>(count));
  if (n < 0) return {0, errno};
  return {n, 0};
}

bool FileSource::Stamp(const std::string& path, FileStamp& stamp) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) return false;
  stamp.device = static_cast<uint64_t>(info.st_dev);
  stamp.inode = static_cast<uint64_t>(info.st_ino);
  stamp.size = info.st_size;
  stamp.modified = info.st_mtim.tv_sec * int64_t{1000000000} + info.st_mtim.tv_nsec;
  stamp.changed = info.st_ctim.tv_sec * int64_t{1000000000} + info.st_ctim.tv_nsec;
  return true;
}

void FileSource::Close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

}  // namespace zu
