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

int OpenForReading(const std::string& path) {
  return _wopen(WidePath(path).c_str(), _O_RDONLY | _O_BINARY | _O_NOINHERIT);
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

#if defined(_WIN32)

std::wstring WidePath(const std::string& path) {
  const int units = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, path.data(),
                                        static_cast<int>(path.size()), nullptr, 0);
  if (units <= 0) return {};
  std::wstring wide(static_cast<size_t>(units), L'\0');
  MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, path.data(), static_cast<int>(path.size()), wide.data(),
                      units);
  return wide;
}

namespace {

// A file time (100 ns steps from 1601) in nanoseconds from 1970.
int64_t Nanoseconds(int64_t fileTime) {
  constexpr int64_t kFrom1601To1970 = 116444736000000000;
  return (fileTime - kFrom1601To1970) * 100;
}

int64_t Combined(DWORD high, DWORD low) { return static_cast<int64_t>((uint64_t{high} << 32) | low); }

}  // namespace

// The volume and the file index stand for the device and the inode; the
// change time moves on a write or a rename as a POSIX ctime does.
bool FileSource::Stamp(const std::string& path, FileStamp& stamp) {
  const HANDLE file = CreateFileW(WidePath(path).c_str(), FILE_READ_ATTRIBUTES,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                  FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  BY_HANDLE_FILE_INFORMATION info {};
  FILE_BASIC_INFO basic {};
  const bool known = GetFileInformationByHandle(file, &info) != 0 &&
                     GetFileInformationByHandleEx(file, FileBasicInfo, &basic, sizeof basic) != 0;
  CloseHandle(file);
  if (!known) return false;
  stamp.device = info.dwVolumeSerialNumber;
  stamp.inode = static_cast<uint64_t>(Combined(info.nFileIndexHigh, info.nFileIndexLow));
  stamp.size = Combined(info.nFileSizeHigh, info.nFileSizeLow);
  stamp.modified = Nanoseconds(Combined(info.ftLastWriteTime.dwHighDateTime, info.ftLastWriteTime.dwLowDateTime));
  stamp.changed = Nanoseconds(basic.ChangeTime.QuadPart);
  return true;
}

#else

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

#endif

void FileSource::Close() {
  if (fd_ >= 0) CloseFile(fd_);
  fd_ = -1;
}

}  // namespace zu
