#include "WriteSystem.h"

#if defined(_WIN32)
#include <io.h>
#include <windows.h>

#include <cerrno>
#include <climits>
#else
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#endif

namespace zu::dump {

namespace {

WriteSystem own;
WriteSystem* chosen = &own;

}  // namespace

#if defined(_WIN32)

// The descriptors are the C runtime's over Windows handles: the runtime
// writes and closes them, and sets errno as the POSIX calls would.
ssize_t WriteSystem::Write(int fd, const char* bytes, size_t count) {
  return _write(fd, bytes, static_cast<unsigned>(count < INT_MAX ? count : INT_MAX));
}

int WriteSystem::Sync(int fd) {
  const auto file = reinterpret_cast<HANDLE>(_get_osfhandle(fd));
  if (file == INVALID_HANDLE_VALUE) {
    errno = EBADF;
    return -1;
  }
  if (FlushFileBuffers(file) != 0) return 0;
  errno = GetLastError() == ERROR_DISK_FULL ? ENOSPC : EIO;
  return -1;
}

// Windows has no sync of a whole file system that a program may call; the
// export syncs each page instead (SystemWays).
int WriteSystem::SyncFileSystem(int fd) { return Sync(fd); }

int WriteSystem::Close(int fd) { return _close(fd); }

int WriteSystem::OpenFolder(const char*) {
  errno = ENOSYS;
  return -1;
}

int WriteSystem::OpenUnnamed(const char*) {
  errno = EOPNOTSUPP;
  return -1;
}

#else

ssize_t WriteSystem::Write(int fd, const char* bytes, size_t count) { return ::write(fd, bytes, count); }

int WriteSystem::Sync(int fd) { return ::fsync(fd); }

int WriteSystem::SyncFileSystem(int fd) {
#if defined(__linux__)
  return ::syncfs(fd);
#else
  return ::fsync(fd);  // callers that cannot sync a whole file system sync each file instead
#endif
}

int WriteSystem::Close(int fd) { return ::close(fd); }

int WriteSystem::OpenFolder(const char* path) { return ::open(path, O_RDONLY | O_DIRECTORY | O_CLOEXEC); }

int WriteSystem::OpenUnnamed(const char* path) {
#if defined(O_TMPFILE)
  return ::open(path, O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
#else
  (void)path;
  errno = EOPNOTSUPP;
  return -1;
#endif
}

#endif

WriteSystem& Writes() { return *chosen; }

void UseWriteSystem(WriteSystem* system) { chosen = system != nullptr ? system : &own; }

}  // namespace zu::dump
