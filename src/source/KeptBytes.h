// The bytes of files and members that the source reads whole and keeps,
// written once from end to end: a full log's take huge pages.
#pragma once

#include <string>

#include "reader/LargeBlock.h"

namespace zu {

using KeptBytes = std::basic_string<char, std::char_traits<char>, LargeBlockAllocator<char>>;

}  // namespace zu
