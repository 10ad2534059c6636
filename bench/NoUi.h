// A front end that shows nothing, for benchmarks of the core alone.
#pragma once

#include <string>
#include <string_view>

#include "core/LogSet.h"

namespace zu::bench {

class NoUi : public LogSetUi {
 public:
  void ClearTree() override {}
  void AddTopLevel(NodeId, std::string_view) override {}
  void AddChild(NodeId, NodeId, std::string_view) override {}
  void ClearView() override {}
  void Warn(Message, const std::string&) override {}
};

}  // namespace zu::bench
