// The loaded messages as `zu_kirdo_dump export` writes them: every node of
// the thread tree in display order (a node before its children, siblings in
// the order in which they were added), then the messages that have no node,
// in row and item order; each message's texts converted to UTF-8.
//
// Built with explicit stacks, never by recursion over the tree: a chain of
// replies can be as deep as the set is large.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "DumpLogSet.h"

namespace zu::dump {

struct ExportMessage {
  int32_t number = -1;
  int32_t parentNumber = -1;  // -1: comments on none
  // UTF-8; bytes that are not CP932 became U+FFFD.
  std::string senderID;
  std::string senderName;  // the column's padding spaces trimmed
  std::string title;
  std::string date;
  std::string time;
  std::string body;  // every body line followed by LF
  // Twelve hex digits that name the message by its header fields: the same
  // for the same log text on every run, whatever else is loaded with it.
  std::string digest;
};

struct ExportNode {
  int32_t parent = -1;   // index in ExportSet::nodes; -1 at the top level and when unplaced
  int32_t depth = 0;     // 0 at the top level
  int32_t message = -1;  // index in ExportSet::messages; -1 for a placeholder
  int32_t placeholderNumber = -1;  // the missing message's number, for a placeholder
  int32_t thread = -1;   // which top-level node it descends from; -1 when unplaced
};

struct ExportSet {
  std::vector<ExportMessage> messages;  // in row and item order
  // The tree in display order, then one node (depth 0, no parent, no thread)
  // for each message left out of a full tree. Every message appears once.
  std::vector<ExportNode> nodes;
  int32_t threads = 0;  // count of top-level nodes
  std::vector<std::string> fileNames;  // the loaded files' paths, row order, as given
};

// Reads every loaded message of `session` (each file once, in row order)
// into `out`. False, after the viewer's warning "<path>を開けませんでした" on
// stderr, when a loaded file can no longer be read.
bool BuildExportSet(DumpSession& session, ExportSet& out);

}  // namespace zu::dump
