// What the export's output says when it refuses or stops, in the same words
// on every system (ExportOutput.cpp and, on Windows, OutputWindows.cpp).
#pragma once

#include <cstddef>
#include <cstring>
#include <string>

namespace zu::dump {

inline constexpr const char* kStopped = "stopped by a signal";

// A hidden name keeps this much of the output's name, so that it stays
// within the file system's limit for a name.
inline constexpr size_t kHiddenNameBytes = 200;

inline std::string Problem(const std::string& what, const std::string& path, int error) {
  return what + " " + path + ": " + std::strerror(error);
}

inline std::string FileExists(const std::string& path) {
  return path + " exists already; export writes a new file only";
}

inline std::string FolderNotEmpty(const std::string& path) {
  return path + " is a folder that is not empty; export fills an empty or new one only";
}

inline std::string NotAFolder(const std::string& path) { return path + " exists already and is not a folder"; }

inline std::string SymbolicLink(const std::string& path) {
  return path + " is a symbolic link; export does not write through one";
}

}  // namespace zu::dump
