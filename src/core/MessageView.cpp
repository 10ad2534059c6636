#include "core/MessageView.h"

namespace zu {

std::vector<std::string> ReadBodyLines(const zuLogFile& reader, int32_t index) {
  std::vector<std::string> lines;
  char line[LineBufferSize];
  for (int32_t j = 0; reader.GetBodyLine(index, j, line); ++j) lines.emplace_back(line);
  return lines;
}

const LogInfoItem* HoldMessageOf(LogSet& set, NodeId node) {
  int32_t row = -1;
  int32_t item = -1;
  if (!set.FindItemOfNode(node, row, item)) return nullptr;  // none, or a placeholder
  const LogInfoItem& m = set[row][item];
  // A file changed on disk since loading fails as a file that cannot be
  // opened when no message stands at the recorded index any more.
  if (!set.HoldFileOf(row) || m.Index >= set.Reader().GetCount()) {
    set.Ui().Warn(Message::CannotOpen, std::string(m.FileName));
    return nullptr;
  }
  return &m;
}

bool ReadMessageView(LogSet& set, NodeId node, MessageView& view) {
  view = MessageView{};
  const LogInfoItem* m = HoldMessageOf(set, node);
  if (m == nullptr) return false;
  // The index recorded at loading: a file changed on disk since then shows
  // whatever message now stands at that place.
  const zuLogFile& reader = set.Reader();
  view.Number = std::to_string(reader.GetNumber(m->Index));
  view.Name = reader.GetSenderName(m->Index);
  view.ID = reader.GetSenderID(m->Index);
  view.DateTime = reader.GetDate(m->Index) + " " + reader.GetTime(m->Index);
  view.Body = ReadBodyLines(reader, m->Index);
  return true;
}

}  // namespace zu
