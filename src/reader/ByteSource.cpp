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

void FileSource::Close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

}  // namespace zu
