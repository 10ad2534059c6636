// What the message view shows for a selected tree node: the four fields and
// the body lines, read from the shared reader after making it hold the
// message's file.
#pragma once

#include <string>
#include <vector>

#include "core/LogSet.h"

namespace zu {

struct MessageView {
  std::string Number;    // decimal
  std::string Name;      // sender name column, padding kept
  std::string ID;
  std::string DateTime;  // date, one blank, time
  std::vector<std::string> Body;  // one entry per body line, NUL-free
};

// Fills `view` for `node`. False, with `view` empty, when `node` is none or a
// placeholder, or when the message's file can no longer be opened (that case
// warns "<path>を開けませんでした" through the set's ui first).
bool ReadMessageView(LogSet& set, NodeId node, MessageView& view);

// The body lines of message `index` of the reader's current file, in order:
// what the text pane shows and what printing prints.
std::vector<std::string> ReadBodyLines(const zuLogFile& reader, int32_t index);

}  // namespace zu
