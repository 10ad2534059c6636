#include "reader/ByteSource.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>

#if defined(_WIN32)
#include <io.h>
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace zu {

namespace {

#if defined(_WIN32)

// Windows names files in UTF-16; the program's paths are UTF-8 there. A path
// that is not UTF-8 names no file.
int OpenForReading(const std::string& path) {
  const int units = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, path.data(),
                                        static_cast<int>(path.size()), nullptr, 0);
  if (units <= 0 && !path.empty()) return -1;
  std::wstring wide(static_cast<size_t>(units), L'\0');
  MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, path.data(), static_cast<int>(path.size()),
                      wide.data(), units);
  return _wopen(wide.c_str(), _O_RDONLY | _O_BINARY | _O_NOINHERIT);
}

bool IsRegularFile(int fd) {
  struct _stat64 info {};
  return _fstat64(fd, &info) == 0 && (info.st_mode & _S_IFMT) == _S_IFREG;
}

int64_t SizeOf(int fd) {
  struct _stat64 info {};
  return _fstat64(fd, &info) == 0 ? info.st_size : 0;
}

int64_t ReadSome(int fd, char* into, int64_t count) {
  const int64_t most = count < (int64_t{1} << 30) ? count : (int64_t{1} << 30);
  return _read(fd, into, static_cast<unsigned>(most));
}

void CloseFile(int fd) { _close(fd); }

#else

// The open does not block, so that a FIFO without a writer cannot hang it.
int OpenForReading(const std::string& path) { return ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC); }

bool IsRegularFile(int fd) {
  struct stat info {};
  return ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
}

int64_t SizeOf(int fd) {
  struct stat info {};
  return ::fstat(fd, &info) == 0 ? info.st_size : 0;
}

int64_t ReadSome(int fd, char* into, int64_t count) { return ::read(fd, into, static_cast<size_t>(count)); }

void CloseFile(int fd) { ::close(fd); }

#endif

}  // namespace

FileSource::~FileSource() { Close(); }

bool FileSource::Open(const std::string& path, int64_t& size) {
  Close();
  const int fd = OpenForReading(path);
  if (fd < 0) return false;
  if (!IsRegularFile(fd)) {
    CloseFile(fd);
    return false;
  }
  fd_ = fd;
  size = SizeOf(fd);
  return true;
}

ReadResult FileSource::Read(char* into, int64_t count) {
  const int64_t n = ReadSome(fd_, into, count);
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
  if (fd_ >= 0) CloseFile(fd_);
  fd_ = -1;
}

}  // namespace zu
