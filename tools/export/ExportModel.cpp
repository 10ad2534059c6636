#include "ExportModel.h"

#include <cstdio>

#include "DumpOutput.h"

namespace zu::dump {

namespace {

constexpr int kDigestHexDigits = 12;

std::string TrimmedName(std::string name) {
  name.erase(name.find_last_not_of(' ') + 1);  // the column is padded with spaces
  return name;
}

// FNV-1a over the fields: the same on every run and every machine.
std::string Digest(const zuLogFile& reader, int32_t index) {
  uint64_t hash = 0xcbf29ce484222325u;
  const auto add = [&hash](std::string_view bytes) {
    for (char c : bytes) hash = (hash ^ static_cast<unsigned char>(c)) * 0x100000001b3u;
  };
  const std::string fields[] = {std::to_string(reader.GetNumber(index)),
                                std::to_string(reader.GetParentNumber(index)),
                                reader.GetSenderID(index), reader.GetSenderName(index),
                                reader.GetTitle(index),    reader.GetDate(index),
                                reader.GetTime(index)};
  for (const std::string& f : fields) {
    add(f);
    add(std::string_view("\0", 1));  // no two field lists hash alike by shifting a byte
  }
  char hex[17];
  std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(hash));
  return std::string(hex, kDigestHexDigits);
}

ExportMessage ReadMessage(const zuLogFile& reader, int32_t index) {
  ExportMessage m;
  m.number = reader.GetNumber(index);
  m.parentNumber = reader.GetParentNumber(index);
  m.senderID = ToUtf8(reader.GetSenderID(index));
  m.senderName = ToUtf8(TrimmedName(reader.GetSenderName(index)));
  m.title = ToUtf8(reader.GetTitle(index));
  m.date = ToUtf8(reader.GetDate(index));
  m.time = ToUtf8(reader.GetTime(index));
  // One conversion for the whole body: LF is a character of its own in
  // CP932, so a cut character at a line's end stays within its line.
  std::string body;
  char line[LineBufferSize];
  for (int32_t j = 0; reader.GetBodyLine(index, j, line); ++j) {
    body += line;
    body += '\n';
  }
  m.body = ToUtf8(body);
  m.digest = Digest(reader, index);
  return m;
}

// Reads the messages row by row, so that each file is opened once; gives
// where each row's messages start in `out.messages`.
bool ReadMessages(LogSet& set, ExportSet& out, std::vector<int32_t>& rowStart) {
  for (int32_t f = 0; f <= set.LastFile(); ++f) {
    rowStart.push_back(static_cast<int32_t>(out.messages.size()));
    out.fileNames.emplace_back(set[f][0].FileName);
    if (!set.HoldFileOf(f)) {
      WriteError(std::string(set[f][0].FileName) + MessageText(Message::CannotOpen));
      return false;
    }
    for (int32_t i = 0; set[f][i].Index != -1; ++i) {
      out.messages.push_back(ReadMessage(set.Reader(), set[f][i].Index));
    }
  }
  return true;
}

// The tree walked depth first with a stack of nodes still to visit, each
// with the index of its parent in `out.nodes`: a node's next sibling goes on
// the stack under its first child, so children come before siblings.
void AddTreeNodes(const LogSet& set, const DumpUi& ui, const std::vector<int32_t>& rowStart,
                  ExportSet& out) {
  struct Pending {
    NodeId node;
    int32_t parent;
  };
  std::vector<Pending> stack;
  if (ui.FirstTopLevel() != NoNode) stack.push_back({ui.FirstTopLevel(), -1});
  while (!stack.empty()) {
    const Pending p = stack.back();
    stack.pop_back();
    ExportNode n;
    n.parent = p.parent;
    n.depth = p.parent == -1 ? 0 : out.nodes[p.parent].depth + 1;
    n.thread = p.parent == -1 ? out.threads++ : out.nodes[p.parent].thread;
    int32_t row = -1;
    int32_t item = -1;
    if (set.FindItemOfNode(p.node, row, item)) n.message = rowStart[row] + item;
    else n.placeholderNumber = std::stoi(std::string(ui.Caption(p.node)));  // its caption is the number
    const auto self = static_cast<int32_t>(out.nodes.size());
    out.nodes.push_back(n);
    if (ui.NextSibling(p.node) != NoNode) stack.push_back({ui.NextSibling(p.node), p.parent});
    if (ui.FirstChild(p.node) != NoNode) stack.push_back({ui.FirstChild(p.node), self});
  }
}

void AddUnplaced(const LogSet& set, const std::vector<int32_t>& rowStart, ExportSet& out) {
  for (int32_t f = 0; f <= set.LastFile(); ++f) {
    for (int32_t i = 0; set[f][i].Index != -1; ++i) {
      if (set[f][i].Node != NoNode) continue;
      ExportNode n;
      n.message = rowStart[f] + i;
      out.nodes.push_back(n);
    }
  }
}

}  // namespace

bool BuildExportSet(DumpSession& session, ExportSet& out) {
  out = ExportSet{};
  std::vector<int32_t> rowStart;
  if (!ReadMessages(session.Set(), out, rowStart)) return false;
  AddTreeNodes(session.Set(), session.Ui(), rowStart, out);
  AddUnplaced(session.Set(), rowStart, out);
  return true;
}

}  // namespace zu::dump
