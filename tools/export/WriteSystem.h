// The calls through which an export's output reaches the disk. The tool
// always writes through the system's own calls; tests put in their place a
// system that fails on demand (short writes, EINTR, EIO, ENOSPC at a write,
// a sync or a close, a name taken underfoot), as LevelDB's fault-injection
// Env does for its files. Each call behaves as the POSIX call it is named
// after: -1 with errno set when it fails. On Windows a descriptor is the C
// runtime's over a file handle, and a sync is FlushFileBuffers.
#pragma once

#include <sys/types.h>

#include <cstddef>

namespace zu::dump {

class WriteSystem {
 public:
  virtual ~WriteSystem() = default;
  virtual ssize_t Write(int fd, const char* bytes, size_t count);  // write(2)
  virtual int Sync(int fd);                                        // fsync(2)
  // Makes every file written in the file system of `fd` durable at once
  // (syncfs(2)), where fsync on each of tens of thousands of pages would take
  // minutes.
  virtual int SyncFileSystem(int fd);
  virtual int Close(int fd);  // close(2); the descriptor is gone either way
  // A descriptor of the folder `path`, whose names a sync makes durable
  // (open(2) with O_DIRECTORY). Windows syncs no folder and opens none.
  virtual int OpenFolder(const char* path);
  // A file with no name in the folder `path`, opened for writing, to be
  // linked to its name once whole (open(2) with O_TMPFILE). Fails with
  // EOPNOTSUPP, EISDIR or EINVAL where the system or the file system makes
  // no such file.
  virtual int OpenUnnamed(const char* path);
};

// The system that the export's output writes through; the system's own
// unless a test chose another.
WriteSystem& Writes();
// Puts `system` in place of the system's own calls, or the own ones back for
// null. `system` must outlive its use.
void UseWriteSystem(WriteSystem* system);

}  // namespace zu::dump
