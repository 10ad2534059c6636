// The search conditions and the search through the loaded messages.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/LogSet.h"
#include "core/MessageView.h"

namespace zu {

inline constexpr int32_t MaxSearchTextBytes = 255;

// Field bits of SearchFields.
enum SearchField : int32_t {
  FieldNumber = 1,
  FieldName = 2,
  FieldID = 4,
  FieldTitle = 8,
  FieldBody = 16,
};

// The program-wide search conditions, set by the search conditions dialog.
extern std::string SearchText;     // CP932 bytes, at most 255
extern int32_t SearchDirection;    // 1 downwards, 2 upwards
extern int32_t SearchFields;       // bit set of SearchField
extern uint8_t SearchAccepted;     // 1 when the dialog was last accepted

// True when `text` holds `pattern`: at some character boundary of `text` the
// characters that follow agree one by one with those of `pattern` (ASCII
// letters regardless of case, every other character byte for byte). An empty
// text holds nothing.
bool TextContains(const std::string& text, const std::string& pattern);
// The same over views, for callers that hold a line in a buffer. An empty
// pattern is found nowhere (the search never asks for it).
bool TextContainsView(std::string_view text, std::string_view pattern);

// Where `text` holds `pattern`, by the rule of TextContains: the byte offset
// of every character boundary of `text` from which the characters agree one
// by one with those of `pattern`, in increasing order, overlapping ones
// included. Empty exactly when TextContainsView(text, pattern) is false.
std::vector<size_t> MatchPositions(std::string_view text, std::string_view pattern);

// Which field made the search command stop at a message shown as `view`,
// titled `title`: of the bits set in `fields`, the first in the order the
// search tests them (number, name, ID, title, body) whose text holds
// `pattern`; 0 when none does.
int32_t FieldOfHit(const MessageView& view, std::string_view title, std::string_view pattern,
                   int32_t fields);

struct SearchHit {
  int32_t row = -1;
  int32_t item = -1;
};

// Runs the search command from the message of `selected` with the given
// conditions: the neighbours of that message in file-rank and file order,
// downwards when `direction` is 1 and upwards otherwise, reopening each file
// through the set's reader as the walk enters it. On a hit returns true and
// its position (the caller selects its node, which a message left out of a
// full tree does not have). Every stop without a hit is reported through the
// set's ui.
bool RunSearch(LogSet& set, NodeId selected, const std::string& text,
               int32_t direction, int32_t fields, SearchHit& hit);

}  // namespace zu
