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

// The message of `node`, with the set's reader made to hold its file: the
// step that showing and printing a message share. Null when `node` is none or
// a placeholder (nothing is reported), or when the file can no longer be
// opened (warned as "<path>を開けませんでした" through the set's ui).
const LogInfoItem* HoldMessageOf(LogSet& set, NodeId node);

// Fills `view` for `node`. False, with `view` empty, when HoldMessageOf
// gives no message.
bool ReadMessageView(LogSet& set, NodeId node, MessageView& view);

// The body lines of message `index` of the reader's current file, in order:
// what the text pane shows and what printing prints.
std::vector<std::string> ReadBodyLines(const zuLogFile& reader, int32_t index);

}  // namespace zu
