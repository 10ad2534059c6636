// zu_kirdo_dump export: the loaded logs written for other programs, as an
// mbox for mail clients or as static HTML pages.
#include <csignal>
#include <string>
#include <vector>

#include "DumpCommands.h"
#include "DumpLogSet.h"
#include "DumpOutput.h"
#include "export/Export.h"
#include "export/StopSignals.h"

namespace zu::dump {

namespace {

const char* const kExportUsage = "zu_kirdo_dump export --format mbox|html --output PATH FILE...";

struct ExportRequest {
  bool html = false;
  std::string output;
  std::vector<std::string> files;
};

std::string ParseRequest(const std::vector<std::string>& args, ExportRequest& request) {
  Arguments parsed;
  std::string error;
  if (!ParseArguments(args, {"--format", "--output"}, {}, parsed, error)) return error;
  if (!parsed.values.count("--format")) return "--format mbox|html is required";
  const std::string& format = parsed.values["--format"];
  if (format != "mbox" && format != "html") return "--format must be mbox or html";
  request.html = format == "html";
  if (parsed.values["--output"].empty()) return "--output PATH is required";
  request.output = parsed.values["--output"];
  if (parsed.positionals.empty()) return "no FILE given";
  request.files = parsed.positionals;
  return {};
}

int Stop(const std::string& problem) {
  WriteError("zu_kirdo_dump: " + problem);
  return 1;
}

// "What was written" is said only when something reached the disk.
int WriteFailed(const std::string& error, bool wrote) {
  return Stop(wrote ? error + "; what was written has been removed" : error);
}

int ExportMbox(const ExportSet& set, const std::string& path) {
  OutputFile out;
  if (!out.Create(path)) return Stop(out.error());
  std::string error;
  if (WriteMbox(set, out, error)) return 0;
  const bool wrote = out.wrote();
  out.Remove();
  return WriteFailed(error, wrote);
}

int ExportHtml(const ExportSet& set, const std::string& path) {
  OutputFolder folder;
  if (!folder.Create(path)) return Stop(folder.error());
  std::string error;
  if (WriteHtml(set, folder, error)) return 0;
  const bool wrote = folder.wrote();
  folder.Remove();
  return WriteFailed(error, wrote);
}

}  // namespace

int RunExport(bool raw, const std::vector<std::string>& args) {
  if (raw) return UsageError("--raw does not apply to export", kExportUsage);
  ExportRequest request;
  const std::string problem = ParseRequest(args, request);
  if (!problem.empty()) return UsageError(problem, kExportUsage);
  // Refused before anything is loaded; checked again when the output is made.
  const std::string refusal =
      request.html ? FolderRefusal(request.output) : FileRefusal(request.output);
  if (!refusal.empty()) return Stop(refusal);

  DumpSession session(request.files);
  if (session.Set().LastFile() < 0) return Stop("no FILE could be loaded; nothing was written");
  ExportSet set;
  if (!BuildExportSet(session, set)) return Stop("nothing was written");
#if defined(SIGXFSZ)
  // A file size limit must end in a write error that removes the output,
  // not in a signal that leaves half of it.
  std::signal(SIGXFSZ, SIG_IGN);
#endif
  // A stop signal from here on removes what was written, then ends the run.
  const CatchStopSignals stops;
  return request.html ? ExportHtml(set, request.output) : ExportMbox(set, request.output);
}

}  // namespace zu::dump
