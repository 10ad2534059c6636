// A LogSetUi that records what the log set asks of its front end, and helpers
// that write log files of given messages.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "core/LogSet.h"
#include "support/LogFiles.h"

namespace zu::testing {

class FakeLogSetUi : public LogSetUi {
 public:
  struct Node {
    NodeId id;
    NodeId parent;  // NoNode for a top-level node
    std::string caption;
    std::vector<NodeId> children = {};
  };

  void ClearTree() override {
    calls.push_back("ClearTree");
    nodes.clear();
    topLevel.clear();
    if (set != nullptr) lastFileAtClearTree = set->LastFile();
  }
  void AddTopLevel(NodeId id, std::string_view caption) override {
    Add({id, NoNode, std::string(caption)});
    topLevel.push_back(id);
  }
  void AddChild(NodeId parent, NodeId id, std::string_view caption) override {
    Add({id, parent, std::string(caption)});
    nodes.at(parent).children.push_back(id);
  }
  void ClearView() override { calls.push_back("ClearView"); }
  void Warn(zu::Message m, const std::string& path) override { warnings.emplace_back(m, path); }

  // The tree as text: every node's caption followed by its children in
  // brackets, siblings separated by commas, e.g. "1[2,3[4]],37[5]".
  std::string Tree() const { return Children(NoNode); }

  std::string Children(NodeId parent) const {
    std::string out;
    for (NodeId id : parent == NoNode ? topLevel : nodes.at(parent).children) {
      if (!out.empty()) out += ",";
      out += nodes[id].caption;
      const std::string below = Children(id);
      if (!below.empty()) out += "[" + below + "]";
    }
    return out;
  }

  // Ids must come as 0, 1, 2 ... in creation order.
  void Add(Node n) {
    EXPECT_EQ(n.id, static_cast<NodeId>(nodes.size()));
    nodes.push_back(std::move(n));
  }

  const LogSet* set = nullptr;  // when set, ClearTree notes LastFile
  int32_t lastFileAtClearTree = -2;
  std::vector<std::string> calls;
  std::vector<Node> nodes;  // by id
  std::vector<NodeId> topLevel;
  std::vector<std::pair<zu::Message, std::string>> warnings;
};

// A log file holding `messages` in order, after a line of other text.
inline std::string LogOf(const std::vector<Msg>& messages) {
  std::string out = "Forum log\r\n";
  for (const Msg& m : messages) out += Message(m);
  return out;
}

// A message numbered `number` commenting on `parent`, titled "T<number>".
inline Msg M(int32_t number, int32_t parent = -1) {
  Msg m;
  m.number = number;
  m.parent = parent;
  m.title = "T" + std::to_string(number);
  return m;
}

}  // namespace zu::testing
