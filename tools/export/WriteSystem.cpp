#include "WriteSystem.h"

#include <unistd.h>

namespace zu::dump {

namespace {

WriteSystem own;
WriteSystem* chosen = &own;

}  // namespace

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

WriteSystem& Writes() { return *chosen; }

void UseWriteSystem(WriteSystem* system) { chosen = system != nullptr ? system : &own; }

}  // namespace zu::dump
