#include "DumpLogSet.h"

#include <charconv>
#include <cstdio>
#include <new>

#include "DumpCommands.h"
#include "DumpOutput.h"
#include "core/MessageView.h"

namespace zu::dump {

void DumpUi::ClearTree() {
  nodes_.clear();
  firstTop_ = NoNode;
  lastTop_ = NoNode;
  // Room for the largest tree, so that it is seldom moved while it grows.
  nodes_.reserve(static_cast<size_t>(MaxLogFiles) * MaxMessages + MaxOrphanRoots);
}

// The set names its nodes 0, 1, 2 ... in the order it adds them.
void DumpUi::Add(NodeId id, std::string_view caption, NodeId& first, NodeId& last) {
  nodes_.push_back({NoNode, NoNode, NoNode, caption});
  if (first == NoNode) first = id;
  else nodes_[last].nextSibling = id;
  last = id;
}

void DumpUi::AddTopLevel(NodeId id, std::string_view caption) { Add(id, caption, firstTop_, lastTop_); }

void DumpUi::AddChild(NodeId parent, NodeId id, std::string_view caption) {
  Add(id, caption, nodes_[parent].firstChild, nodes_[parent].lastChild);
}

void DumpUi::Warn(Message m, const std::string& path) {
  if (m == Message::OutOfMemory) outOfMemory_ = true;  // the command ends, and main says why
  else if (m == Message::CannotOpen) WarnCannotOpen(path);
  else WriteError(MessageText(m));
}

DumpSession::DumpSession(const std::vector<std::string>& files) {
  reader_.UseSource(Source());
  if (!reader_.AllocateBuffer()) throw std::bad_alloc();  // met by main as any allocation failure
  set_.OpenFiles(files);
  // A set that found no memory for a file or its tree is not the set the
  // files make: the command does not go on with it.
  if (ui_.OutOfMemory()) throw std::bad_alloc();
}

NodeId DumpSession::NodeOf(int32_t row, int32_t item) const {
  if (row < 0 || row > set_.LastFile() || item < 0 || item >= MaxMessages) return NoNode;
  const LogInfoItem& m = set_[row][item];
  return m.Index == -1 ? NoNode : m.Node;
}

void DumpSession::Select(NodeId node) {
  MessageView view;
  ReadMessageView(set_, node, view);
}

bool ParseArguments(const std::vector<std::string>& args, const std::set<std::string>& valueNames,
                    const std::set<std::string>& flagNames, Arguments& out, std::string& error) {
  size_t at = 0;
  for (; at < args.size(); ++at) {
    const std::string& arg = args[at];
    if (arg == "--") {
      ++at;
      break;
    }
    if (!arg.starts_with("--")) break;  // the first positional: "-x" is a TEXT
    if (flagNames.count(arg)) {
      out.flags.insert(arg);
    } else if (valueNames.count(arg)) {
      if (++at == args.size()) {
        error = arg + " needs a value";
        return false;
      }
      out.values[arg] = args[at];
    } else {
      error = "unknown option " + arg;
      return false;
    }
  }
  out.positionals.assign(args.begin() + static_cast<long>(at), args.end());
  return true;
}

bool ParseInt(const std::string& text, int32_t& value) {
  const char* first = text.data();
  const char* last = first + text.size();
  const bool negative = first != last && *first == '-';
  const char* digits = negative ? first + 1 : first;
  if (digits == last) return false;
  for (const char* p = digits; p != last; ++p) {
    if (*p < '0' || *p > '9') return false;
  }
  auto [end, ec] = std::from_chars(first, last, value);
  return ec == std::errc() && end == last;
}

bool ParseRowItem(const std::string& text, int32_t& row, int32_t& item) {
  const size_t colon = text.find(':');
  if (colon == std::string::npos) return false;
  const std::string rowText = text.substr(0, colon);
  const std::string itemText = text.substr(colon + 1);
  if (rowText.starts_with('-') || itemText.starts_with('-')) return false;
  return ParseInt(rowText, row) && ParseInt(itemText, item);
}

int UsageError(const std::string& problem, const char* usage) {
  WriteError("zu_kirdo_dump: " + problem);
  WriteUsage(usage);
  return ExitUsage;
}

}  // namespace zu::dump
