// What the tree, search and print commands of zu_kirdo_dump share: a log set
// loaded as the Open command loads it, with a front end that keeps the tree
// as records and writes warnings on standard error, and the parsing of the
// commands' options.
#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "core/LogSet.h"

namespace zu::dump {

// Keeps the nodes that the build adds; every warning is one line on stderr,
// in the viewer's words, a path as its own bytes.
class DumpUi : public LogSetUi {
 public:
  void ClearTree() override;
  void AddTopLevel(NodeId id, std::string_view caption) override;
  void AddChild(NodeId parent, NodeId id, std::string_view caption) override;
  void ClearView() override {}
  void Warn(Message m, const std::string& path) override;
  // Whether the set warned that it found no memory.
  bool OutOfMemory() const { return outOfMemory_; }

  // The tree as built: the top-level nodes, and the children of each node,
  // each in the order they were added. NoNode ends a list.
  NodeId FirstTopLevel() const { return firstTop_; }
  NodeId FirstChild(NodeId node) const { return nodes_[node].firstChild; }
  NodeId NextSibling(NodeId node) const { return nodes_[node].nextSibling; }
  std::string_view Caption(NodeId node) const { return nodes_[node].caption; }

 private:
  // Links instead of a list of children per node: the largest tree (over
  // 30,000 nodes) then costs one block of memory rather than a block per
  // node. The captions stay where the set keeps them.
  struct Node {
    NodeId firstChild = NoNode;
    NodeId lastChild = NoNode;
    NodeId nextSibling = NoNode;
    std::string_view caption;
  };

  void Add(NodeId id, std::string_view caption, NodeId& first, NodeId& last);

  std::vector<Node, LargeBlockAllocator<Node>> nodes_;  // by id, reserved for the largest tree
  bool outOfMemory_ = false;
  NodeId firstTop_ = NoNode;
  NodeId lastTop_ = NoNode;
};

// The reader and the log set of one run.
class DumpSession {
 public:
  // Loads `files` in order and builds the tree, warning as the viewer does.
  explicit DumpSession(const std::vector<std::string>& files);

  LogSet& Set() { return set_; }
  const DumpUi& Ui() const { return ui_; }
  // The node of message row:item, NoNode when there is no such message or it
  // has no node.
  NodeId NodeOf(int32_t row, int32_t item) const;
  // What the window does when the tree selects `node`: the view reads it
  // (making the reader hold its file) and warns when it cannot.
  void Select(NodeId node);

 private:
  zuLogFile reader_;
  DumpUi ui_;
  LogSet set_{reader_, ui_};
};

// Arguments after the command: options first (`--name value` or `--name`),
// then positionals; `--` ends the options. Every option is long, so an
// argument with a single dash (a search text such as "-1") is a positional.
struct Arguments {
  std::map<std::string, std::string> values;
  std::set<std::string> flags;
  std::vector<std::string> positionals;
};

// False, with `error` set, for an unknown option or one without its value.
bool ParseArguments(const std::vector<std::string>& args, const std::set<std::string>& valueNames,
                    const std::set<std::string>& flagNames, Arguments& out, std::string& error);

// A plain decimal integer, with an optional minus sign, that fits 32 bits.
bool ParseInt(const std::string& text, int32_t& value);
// ROW:ITEM, two plain decimal integers of 0 or more.
bool ParseRowItem(const std::string& text, int32_t& row, int32_t& item);

// Writes "zu_kirdo_dump: <problem>" and the command's usage line on stderr
// and gives the usage exit status.
int UsageError(const std::string& problem, const char* usage);

}  // namespace zu::dump
