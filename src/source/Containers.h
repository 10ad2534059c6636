// Archives and compressed files, recognised by their content and read from
// memory with libarchive: LZH (-lh0- to -lh7-, header levels 0 to 2), ZIP,
// 7z, tar, and gzip, bzip2 or xz around one file or a tar. Nothing is ever
// written to disk, and no member's data is read past `limit` + 1 bytes. The
// Windows build has no libarchive: it recognises the same files and reads
// none of them.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "source/KeptBytes.h"

namespace zu {

enum class ContainerKind {
  None,        // no archive or compressed file: the bytes are the file
  Compressed,  // one compressed file: one entry, its name meaningless
  Archive,     // members, each an entry
  Unreadable,  // an archive's or compression's mark in a build that reads none
};

// Why a file of the kind Unreadable is not read.
inline constexpr char NoContainerReader[] = "archives and compressed files are not read by the Windows build";

struct ContainerEntry {
  int32_t index = 0;       // the entry's place in the archive, from 0
  std::string name;        // as stored: CP932 in LZH and most ZIP, UTF-8 where flagged so
  bool directory = false;  // a folder, which is no file and is passed over
  std::string refusal;     // why the entry is not read, e.g. "a link"; empty when it is
  KeptBytes data;          // its bytes, at most limit + 1 of them (more: over the limit)
};

struct ContainerListing {
  ContainerKind kind = ContainerKind::None;
  std::string format;  // what libarchive calls it: "gzip", "lha -lh5-", "ZIP 2.0 (deflation)", ...
  std::string broken;  // why the archive could not be read to its end; empty when it could
};

// The bytes that the formats' marks need to be seen: a file whose first
// bytes show none of them is no container.
inline constexpr size_t ContainerMarkBytes = 264;
bool MayBeContainer(std::string_view firstBytes);

// Reads `bytes`. For an archive, `visit` is called with each entry in
// archive order; the data of regular members is read only when
// `wantData(index)` says so. For a compressed file the one entry is visited.
// Returns what was found; the kinds None and Unreadable visit nothing.
ContainerListing ReadContainer(std::string_view bytes, int64_t limit,
                               const std::function<bool(int32_t index)>& wantData,
                               const std::function<void(ContainerEntry&)>& visit);

}  // namespace zu
