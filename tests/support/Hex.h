// Bytes named by their values, for test messages about text that may not print.
#pragma once

#include <cstdio>
#include <string>

namespace zu::testing {

inline std::string Hex(const std::string& bytes) {
  std::string out;
  char buf[4];
  for (unsigned char b : bytes) {
    std::snprintf(buf, sizeof buf, "%02X ", b);
    out += buf;
  }
  return out;
}

}  // namespace zu::testing
