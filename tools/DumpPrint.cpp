// zu_kirdo_dump print: the print job of one message laid out on a simulated
// printer, as every text drawn with its page and line.
#include <algorithm>
#include <cstdio>
#include <limits>
#include <string>
#include <vector>

#include "DumpCommands.h"
#include "DumpLogSet.h"
#include "DumpOutput.h"
#include "core/PrintLayout.h"

namespace zu::dump {

namespace {

const char* const kPrintUsage =
    "zu_kirdo_dump [--raw] print --from ROW:ITEM [--columns W] [--line-height LH]\n"
    "                              [--page-height H] FILE...   (W, LH, H above 0)";

struct PrintRequest {
  int32_t row = -1;
  int32_t item = -1;
  int32_t columns = 124;
  int32_t lineHeight = 80;
  int32_t pageHeight = 6800;
  std::vector<std::string> files;
};

// A measure of the simulated printer: a decimal number above 0.
std::string ParseMeasure(Arguments& parsed, const std::string& name, int32_t& value) {
  if (!parsed.values.count(name)) return {};
  if (!ParseInt(parsed.values[name], value) || value <= 0) {
    return name + " needs a decimal number above 0";
  }
  return {};
}

std::string ParseRequest(const std::vector<std::string>& args, PrintRequest& request) {
  Arguments parsed;
  std::string error;
  if (!ParseArguments(args, {"--from", "--columns", "--line-height", "--page-height"}, {}, parsed,
                      error)) {
    return error;
  }
  if (!parsed.values.count("--from")) return "--from ROW:ITEM is required";
  if (!ParseRowItem(parsed.values["--from"], request.row, request.item)) {
    return "--from needs ROW:ITEM, two decimal numbers";
  }
  for (std::string problem : {ParseMeasure(parsed, "--columns", request.columns),
                              ParseMeasure(parsed, "--line-height", request.lineHeight),
                              ParseMeasure(parsed, "--page-height", request.pageHeight)}) {
    if (!problem.empty()) return problem;
  }
  if (parsed.positionals.empty()) return "no FILE given";
  request.files = parsed.positionals;
  return {};
}

// B = H - 3 x LH, held within 32 bits: a bottom below the range breaks the
// page after every piece just as the true value would.
int32_t BottomLimit(const PrintRequest& r) {
  const int64_t bottom = static_cast<int64_t>(r.pageHeight) - 3 * static_cast<int64_t>(r.lineHeight);
  return static_cast<int32_t>(std::max<int64_t>(bottom, std::numeric_limits<int32_t>::min()));
}

// Pages as plain text: each text on its own line number, pages separated by
// a form feed.
void WriteHuman(const std::vector<PrintLine>& lines) {
  std::string out;
  int32_t page = 1;
  int32_t line = 0;  // lines written on the current page
  for (const PrintLine& l : lines) {
    if (l.page != page) {
      out += '\f';
      page = l.page;
      line = 0;
    }
    for (; line < l.line - 1; ++line) out += '\n';
    out += ForPeople(l.text) + "\n";
    line = l.line;
  }
  std::fwrite(out.data(), 1, out.size(), stdout);
}

}  // namespace

int RunPrint(bool raw, const std::vector<std::string>& args) {
  PrintRequest request;
  const std::string problem = ParseRequest(args, request);
  if (!problem.empty()) return UsageError(problem, kPrintUsage);

  DumpSession session(request.files);
  if (session.Set().LastFile() < 0) return UsageError("no FILE could be loaded", kPrintUsage);
  const NodeId node = session.NodeOf(request.row, request.item);
  if (node == NoNode) return UsageError("--from is not a message in the tree", kPrintUsage);
  session.Select(node);

  PrintMessage msg;
  if (!ReadPrintMessage(session.Set(), node, msg)) return 0;  // warned; nothing is printed
  const auto lines = LayoutPrintJob(msg, request.columns, request.lineHeight, BottomLimit(request));
  if (!raw) {
    WriteHuman(lines);
    return 0;
  }
  for (const PrintLine& l : lines) {
    WriteRecord({l.page, l.line, l.text});
  }
  return 0;
}

}  // namespace zu::dump
