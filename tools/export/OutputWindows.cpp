// The export's output with Windows' own calls. A result is built under a
// temporary name beside its name and moved there by MoveFileExW, which never
// replaces an existing entry; MOVEFILE_WRITE_THROUGH returns only once the
// move is on the disk, as the folder sync does on POSIX systems. Windows has
// no unnamed file and no sync of a whole file system: each page is synced as
// it is closed.
#if defined(_WIN32)

#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>

#include <cerrno>
#include <cstdio>
#include <random>

#include "ExportOutput.h"
#include "OutputTexts.h"
#include "StopSignals.h"
#include "WriteSystem.h"
#include "reader/ByteSource.h"

namespace zu::dump {

namespace {

constexpr int kNameTries = 100;

bool IsSeparator(char c) { return c == '/' || c == '\\'; }

// The folder that holds `path`'s last name, and that name; either slash
// separates, and trailing ones are not part of the name.
void SplitPath(const std::string& path, std::string& folder, std::string& name) {
  size_t end = path.size();
  while (end > 0 && IsSeparator(path[end - 1])) --end;
  size_t start = end;
  while (start > 0 && !IsSeparator(path[start - 1]) && path[start - 1] != ':') --start;
  name = path.substr(start, end - start);
  folder = start == 0 ? "." : path.substr(0, start);
}

// The error of the last Windows call as the errno the POSIX call would set.
int LastErrno() {
  switch (GetLastError()) {
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS: return EEXIST;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME: return ENOENT;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION: return EACCES;
    case ERROR_WRITE_PROTECT: return EROFS;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL: return ENOSPC;
    case ERROR_DIR_NOT_EMPTY: return ENOTEMPTY;
    default: return EIO;
  }
}

// A temporary name beside the output that shows whose it is.
std::string HiddenName(const std::string& folder, const std::string& name) {
  static std::mt19937 random{std::random_device{}()};
  char tag[16];
  std::snprintf(tag, sizeof tag, "%06x", static_cast<unsigned>(random() & 0xFFFFFF));
  const std::string joint = folder.empty() || IsSeparator(folder.back()) || folder.back() == ':' ? "" : "\\";
  return folder + joint + "." + name.substr(0, kHiddenNameBytes) + ".zu-" + tag;
}

constexpr DWORD kNoEntry = INVALID_FILE_ATTRIBUTES;

DWORD Attributes(const std::string& path) { return GetFileAttributesW(WidePath(path).c_str()); }

// True when the folder `path` holds no entry; false, with `problem` set when
// it cannot be listed, otherwise.
bool IsEmptyFolder(const std::string& path, std::string& problem) {
  WIN32_FIND_DATAW entry;
  const HANDLE listing = FindFirstFileW((WidePath(path) + L"\\*").c_str(), &entry);
  if (listing == INVALID_HANDLE_VALUE) {
    problem = Problem("cannot read the folder", path, LastErrno());
    return false;
  }
  bool empty = true;
  do {
    const std::wstring_view name = entry.cFileName;
    if (name != L"." && name != L"..") empty = false;
  } while (empty && FindNextFileW(listing, &entry) != 0);
  FindClose(listing);
  return empty;
}

// A writer for the open `fd`. Should making it fail, the file is closed
// first: Windows removes no file that is still open.
std::unique_ptr<FileWriter> WriterOf(int fd, const std::string& shownPath, bool syncOnClose) {
  try {
    return std::make_unique<FileWriter>(fd, shownPath, syncOnClose);
  } catch (...) {
    _close(fd);
    throw;
  }
}

}  // namespace

OutputWays SystemWays() { return {false, false}; }

std::string FileRefusal(const std::string& path) {
  return Attributes(path) == kNoEntry ? std::string() : FileExists(path);
}

std::string FolderRefusal(const std::string& path) {
  const DWORD attributes = Attributes(path);
  if (attributes == kNoEntry) return {};
  if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) return SymbolicLink(path);
  if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) return NotAFolder(path);
  std::string problem;
  if (IsEmptyFolder(path, problem)) return {};
  return problem.empty() ? FolderNotEmpty(path) : problem;
}

bool OutputFile::Create(const std::string& path) {
  path_ = path;
  const std::string refusal = FileRefusal(path);
  if (!refusal.empty()) return Fail(refusal);
  std::string name;
  SplitPath(path, folder_, name);
  return CreateHidden(folder_, name);
}

bool OutputFile::CreateUnnamed(const std::string&) { return false; }

bool OutputFile::CreateHidden(const std::string& folder, const std::string& name) {
  widePath_ = WidePath(path_);
  if (widePath_.empty()) return Fail(Problem("cannot create", path_, EINVAL));
  for (int tries = 0; tries < kNameTries; ++tries) {
    std::string hidden = HiddenName(folder, name);
    std::wstring wide = WidePath(hidden);
    const int fd = _wopen(wide.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY | _O_NOINHERIT,
                          _S_IREAD | _S_IWRITE);
    if (fd == -1 && errno == EEXIST) continue;
    if (fd == -1) return Fail(Problem("cannot create", path_, errno));
    hidden_ = std::move(hidden);
    wideHidden_ = std::move(wide);  // moved: nothing may fail between making it and noting it
    writer_ = WriterOf(fd, path_, false);
    return true;
  }
  return Fail(Problem("cannot create", path_, EEXIST));
}

// The file is closed before the move: Windows moves no file that is open
// without sharing its deletion.
bool OutputFile::Name() {
  if (!writer_->Close()) return Fail(writer_->error());
  if (StopAsked()) return Fail(kStopped);
  if (MoveFileExW(wideHidden_.c_str(), widePath_.c_str(), MOVEFILE_WRITE_THROUGH) == 0) {
    const int error = LastErrno();
    return Fail(error == EEXIST ? FileExists(path_) : Problem("cannot create", path_, error));
  }
  named_ = true;
  hidden_.clear();
  wideHidden_.clear();
  return true;
}

// Allocates nothing: it also runs while an allocation failure unwinds.
void OutputFile::Remove() {
  writer_.reset();
  if (!wideHidden_.empty()) _wremove(wideHidden_.c_str());
  if (named_) _wremove(widePath_.c_str());
  hidden_.clear();
  wideHidden_.clear();
  named_ = false;
}

bool OutputFolder::Create(const std::string& path) {
  path_ = path;
  const std::string refusal = FolderRefusal(path);
  if (!refusal.empty()) return Fail(refusal);
  widePath_ = WidePath(path);
  if (widePath_.empty()) return Fail(Problem("cannot create the folder", path, EINVAL));
  std::string folder;
  std::string name;
  SplitPath(path, folder, name);
  for (int tries = 0; tries < kNameTries; ++tries) {
    std::string hidden = HiddenName(folder, name);
    std::wstring wide = WidePath(hidden);
    if (CreateDirectoryW(wide.c_str(), nullptr) == 0) {
      const int error = LastErrno();
      if (error == EEXIST) continue;
      return Fail(Problem("cannot create the folder", path, error));
    }
    hidden_ = std::move(hidden);
    wideHidden_ = std::move(wide);  // moved: nothing may fail between making it and noting it
    return true;
  }
  return Fail(Problem("cannot create the folder", path, EEXIST));
}

std::unique_ptr<FileWriter> OutputFolder::NewFile(const std::string& name) {
  if (wideHidden_.empty() || !error_.empty()) return nullptr;
  if (StopAsked()) {
    Fail(kStopped);
    return nullptr;
  }
  std::string shown = path_ + "\\" + name;
  files_.push_back(name);
  wideFiles_.push_back(wideHidden_ + L"\\" + WidePath(name));  // before it exists: Remove never misses it
  const int fd = _wopen(wideFiles_.back().c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY | _O_NOINHERIT,
                        _S_IREAD | _S_IWRITE);
  if (fd == -1) {
    Fail(Problem("cannot create", shown, errno));
    files_.pop_back();
    wideFiles_.pop_back();
    return nullptr;
  }
  return WriterOf(fd, shown, !ways_.syncFileSystem);
}

// MoveFileExW replaces no folder, not even an empty one: an empty folder at
// the name is taken away first and made again when the move fails, so that
// the name is left as it was found.
bool OutputFolder::Commit() {
  if (wideHidden_.empty() || !error_.empty()) return false;
  if (StopAsked()) return Fail(kStopped);
  if (RemoveDirectoryW(widePath_.c_str()) != 0) {
    emptiedPath_ = true;
  } else if (LastErrno() == ENOTEMPTY) {
    return Fail(FolderNotEmpty(path_));
  }
  if (MoveFileExW(wideHidden_.c_str(), widePath_.c_str(), MOVEFILE_WRITE_THROUGH) == 0) {
    const int error = LastErrno();
    if (emptiedPath_) CreateDirectoryW(widePath_.c_str(), nullptr);
    emptiedPath_ = false;
    if (error == EEXIST) return Fail(FolderRefusal(path_).empty() ? FolderNotEmpty(path_) : FolderRefusal(path_));
    return Fail(Problem("cannot create the folder", path_, error));
  }
  named_ = true;
  committed_ = true;
  wideHidden_.clear();  // as a closed folder on POSIX: nothing more is made, committed or removed in it
  return true;
}

// Allocates nothing: it also runs while an allocation failure unwinds.
void OutputFolder::Remove() {
  if (wideHidden_.empty() || named_) return;
  for (const std::wstring& file : wideFiles_) _wremove(file.c_str());
  RemoveDirectoryW(wideHidden_.c_str());
  wideHidden_.clear();
}

}  // namespace zu::dump

#endif
