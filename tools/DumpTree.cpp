// zu_kirdo_dump tree: the files loaded as the Open command loads them and the
// thread tree built from them.
#include <string>
#include <utility>
#include <vector>

#include "DumpCommands.h"
#include "DumpLogSet.h"
#include "DumpOutput.h"

namespace zu::dump {

namespace {

const char* const kTreeUsage = "zu_kirdo_dump [--raw] tree FILE...";

struct Visit {
  NodeId node;
  int32_t depth;
};

// Calls `visit` for every node, a node before its children, siblings in the
// order they were added. Walked with a stack of the siblings still to visit:
// a chain of replies can be thousands deep.
template <typename Visitor>
void InDisplayOrder(const DumpUi& ui, Visitor visit) {
  std::vector<Visit> pending;
  for (Visit v{ui.FirstTopLevel(), 0}; v.node != NoNode;) {
    visit(v);
    const NodeId next = ui.NextSibling(v.node);
    if (ui.FirstChild(v.node) != NoNode) {
      if (next != NoNode) pending.push_back({next, v.depth});
      v = {ui.FirstChild(v.node), v.depth + 1};
    } else if (next != NoNode) {
      v.node = next;
    } else if (!pending.empty()) {
      v = pending.back();
      pending.pop_back();
    } else {
      v.node = NoNode;
    }
  }
}

std::vector<std::pair<int32_t, int32_t>> MessagesWithoutNode(const LogSet& set) {
  std::vector<std::pair<int32_t, int32_t>> out;
  for (int32_t f = 0; f <= set.LastFile(); ++f) {
    for (int32_t i = 0; set[f][i].Index != -1; ++i) {
      if (set[f][i].Node == NoNode) out.emplace_back(f, i);
    }
  }
  return out;
}

void WriteRaw(DumpSession& session) {
  const LogSet& set = session.Set();
  for (int32_t f = 0; f <= set.LastFile(); ++f) {
    WriteRecord({"F", f, set[f][0].FileRank, set[f][0].FileName});
  }
  InDisplayOrder(session.Ui(), [&](const Visit& v) {
    const std::string_view caption = session.Ui().Caption(v.node);
    int32_t row = -1;
    int32_t item = -1;
    if (set.FindItemOfNode(v.node, row, item)) {
      WriteRecord({"N", v.depth, row, item, caption});
    } else {
      WriteRecord({"P", v.depth, "", "", caption});
    }
  });
  for (const auto& [row, item] : MessagesWithoutNode(set)) {
    WriteRecord({"U", row, item});
  }
}

void WriteLine(const std::string& utf8) {
  std::fwrite(utf8.data(), 1, utf8.size(), stdout);
  std::fputc('\n', stdout);
}

std::string Describe(const LogInfoItem& m, int32_t row, int32_t item) {
  std::string out = "#";
  out += std::to_string(m.Number) + "  " + ForPeople(m.Title) + "  (" + std::to_string(row) + ":" +
         std::to_string(item) + ")";
  return out;
}

std::string Indent(int32_t depth) {
  if (depth < ShownLevels) return std::string(static_cast<size_t>(2 * (depth + 1)), ' ');
  return std::string(2 * (ShownLevels + 1), ' ') + "[depth " + std::to_string(depth) + "] ";
}

void WriteHuman(DumpSession& session) {
  const LogSet& set = session.Set();
  WriteLine("Files (row, rank in the tree, path):");
  for (int32_t f = 0; f <= set.LastFile(); ++f) {
    WriteLine("  " + std::to_string(f) + "  " + std::to_string(set[f][0].FileRank) + "  " +
              PathForPeople(set[f][0].FileName));
  }
  WriteLine("Tree:");
  InDisplayOrder(session.Ui(), [&](const Visit& v) {
    const std::string indent = Indent(v.depth);
    int32_t row = -1;
    int32_t item = -1;
    if (set.FindItemOfNode(v.node, row, item)) {
      WriteLine(indent + Describe(set[row][item], row, item));
    } else {
      WriteLine(indent + "[" + ForPeople(session.Ui().Caption(v.node)) + "]  (not loaded)");
    }
  });
  const auto left = MessagesWithoutNode(set);
  if (left.empty()) return;
  WriteLine("Not in the tree (every placeholder taken):");
  for (const auto& [row, item] : left) WriteLine("  " + Describe(set[row][item], row, item));
}

}  // namespace

int RunTree(bool raw, const std::vector<std::string>& args) {
  Arguments parsed;
  std::string error;
  if (!ParseArguments(args, {}, {}, parsed, error)) return UsageError(error, kTreeUsage);
  if (parsed.positionals.empty()) return UsageError("no FILE given", kTreeUsage);
  DumpSession session(parsed.positionals);
  if (raw) WriteRaw(session);
  else WriteHuman(session);
  return session.Set().LastFile() >= 0 ? 0 : 1;
}

}  // namespace zu::dump
