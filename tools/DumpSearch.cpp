// zu_kirdo_dump search: the search command run from a selected message, once
// or repeated from each hit as a user pressing F3 again would.
#include <cstdio>
#include <string>
#include <vector>

#include "DumpCommands.h"
#include "DumpLogSet.h"
#include "DumpOutput.h"
#include "core/Search.h"
#include "text/Cp932Codec.h"

namespace zu::dump {

namespace {

const char* const kSearchUsage =
    "zu_kirdo_dump [--raw] search --from ROW:ITEM [--up] [--fields BITS] [--all] TEXT FILE...";

struct SearchRequest {
  int32_t row = -1;
  int32_t item = -1;
  int32_t fields = FieldBody;
  bool up = false;
  bool all = false;
  std::string text;  // CP932
  std::vector<std::string> files;
};

// Fills `request` from the arguments; an empty `problem` means success.
std::string ParseRequest(bool raw, const std::vector<std::string>& args, SearchRequest& request) {
  Arguments parsed;
  std::string error;
  if (!ParseArguments(args, {"--from", "--fields"}, {"--up", "--all"}, parsed, error)) return error;
  if (!parsed.values.count("--from")) return "--from ROW:ITEM is required";
  if (!ParseRowItem(parsed.values["--from"], request.row, request.item)) {
    return "--from needs ROW:ITEM, two decimal numbers";
  }
  if (parsed.values.count("--fields") && !ParseInt(parsed.values["--fields"], request.fields)) {
    return "--fields needs a decimal number";
  }
  request.up = parsed.flags.count("--up") > 0;
  request.all = parsed.flags.count("--all") > 0;
  if (parsed.positionals.size() < 2) return "TEXT and at least one FILE are needed";
  const std::string& text = parsed.positionals[0];
#if defined(_WIN32)
  // Windows hands every argument over as Unicode: the bytes a raw TEXT
  // stands for are its CP932 form, as a Japanese Windows gives a program.
  (void)raw;
  if (!Utf8ToCp932(text, request.text)) {
#else
  if (raw) request.text = text;
  else if (!Utf8ToCp932(text, request.text)) {
#endif
    return "TEXT has a character without a CP932 form";
  }
  if (request.text.empty()) return "TEXT is empty";
  if (request.text.size() > static_cast<size_t>(MaxSearchTextBytes)) {
    return "TEXT is longer than 255 bytes";
  }
  request.files.assign(parsed.positionals.begin() + 1, parsed.positionals.end());
  return {};
}

void WriteHit(bool raw, const LogSet& set, const SearchHit& hit) {
  if (raw) {
    WriteRecord({hit.row, hit.item});
    return;
  }
  const LogInfoItem& m = set[hit.row][hit.item];
  const std::string line = std::to_string(hit.row) + ":" + std::to_string(hit.item) + "  #" +
                           std::to_string(m.Number) + "  " + ForPeople(m.Title) + "\n";
  std::fwrite(line.data(), 1, line.size(), stdout);
}

}  // namespace

int RunSearch(bool raw, const std::vector<std::string>& args) {
  SearchRequest request;
  const std::string problem = ParseRequest(raw, args, request);
  if (!problem.empty()) return UsageError(problem, kSearchUsage);

  DumpSession session(request.files);
  LogSet& set = session.Set();
  if (set.LastFile() < 0) return UsageError("no FILE could be loaded", kSearchUsage);
  NodeId selected = session.NodeOf(request.row, request.item);
  if (selected == NoNode) return UsageError("--from is not a message in the tree", kSearchUsage);
  session.Select(selected);

  SearchText = request.text;
  SearchDirection = request.up ? 2 : 1;
  SearchFields = request.fields;
  int hits = 0;
  SearchHit hit;
  while (zu::RunSearch(set, selected, SearchText, SearchDirection, SearchFields, hit)) {
    WriteHit(raw, set, hit);
    ++hits;
    if (!request.all) break;
    // A message left out of a full tree has no node: the selection empties.
    selected = set[hit.row][hit.item].Node;
    if (selected != NoNode) session.Select(selected);
  }
  return hits > 0 ? 0 : 1;
}

}  // namespace zu::dump
