// zu_kirdo_dump messages: every indexed message of one file with its fields
// and body lines, read through the viewer's own reader.
#include <cstdio>
#include <new>
#include <string>
#include <vector>

#include "DumpCommands.h"
#include "DumpOutput.h"
#include "core/Messages.h"
#include "reader/zuLogFile.h"
#include "text/Cp932Codec.h"

namespace zu::dump {

namespace {

const char* const kMessagesUsage = "zu_kirdo_dump [--raw] messages FILE";

int MessagesUsageError(const std::string& problem) {
  WriteError("zu_kirdo_dump: " + problem);
  WriteUsage(kMessagesUsage);
  return ExitUsage;
}

// The one FILE argument, which may follow "--"; empty when the arguments are
// anything else, with `problem` saying why.
std::string FileArgument(const std::vector<std::string>& args, std::string& problem) {
  const bool dashes = !args.empty() && args[0] == "--";
  const std::vector<std::string> files(args.begin() + (dashes ? 1 : 0), args.end());
  if (!dashes && !files.empty() && files[0].starts_with("--")) {
    problem = "unknown option " + files[0];
    return {};
  }
  if (files.size() != 1) {
    problem = files.empty() ? "no FILE given" : "messages takes exactly one FILE";
    return {};
  }
  return files[0];
}

void WriteRawMessage(const zuLogFile& r, int32_t i) {
  WriteRecord({"M", i, r.GetNumber(i), r.GetParentNumber(i),
               r.GetSenderID(i), r.GetSenderName(i), r.GetTitle(i), r.GetDate(i), r.GetTime(i)});
  char line[LineBufferSize];
  for (int32_t j = 0; r.GetBodyLine(i, j, line); ++j) WriteRecord({"B", line});
}

void WriteLine(const std::string& utf8) {
  std::fwrite(utf8.data(), 1, utf8.size(), stdout);
  std::fputc('\n', stdout);
}

// The name column is padded with spaces; people need no padding.
std::string Trimmed(std::string text) {
  text.erase(text.find_last_not_of(' ') + 1);
  return text;
}

void WriteHumanMessage(const zuLogFile& r, int32_t i) {
  const int32_t parent = r.GetParentNumber(i);
  WriteLine("#" + std::to_string(i) + "  No." + std::to_string(r.GetNumber(i)) + "  " +
            (parent == -1 ? std::string("no parent") : "parent " + std::to_string(parent)));
  WriteLine("  From: " + ForPeople(Trimmed(r.GetSenderName(i))) + " (" + ForPeople(r.GetSenderID(i)) + ")");
  WriteLine("  Date: " + ForPeople(r.GetDate(i)) + " " + ForPeople(r.GetTime(i)));
  WriteLine("  Title: " + ForPeople(r.GetTitle(i)));
  WriteLine("");
  // The body lines are most of a file: they go out through one buffer, kept
  // from message to message, converted and made visible in one pass.
  static std::string body;
  body.clear();
  char line[LineBufferSize];
  for (int32_t j = 0; r.GetBodyLine(i, j, line); ++j) {
    body += "  ";
    AppendCp932AsVisibleUtf8(line, body);
    body += '\n';
  }
  std::fwrite(body.data(), 1, body.size(), stdout);
  WriteLine("");
}

}  // namespace

int RunMessages(bool raw, const std::vector<std::string>& args) {
  std::string problem;
  const std::string file = FileArgument(args, problem);
  if (!problem.empty()) return MessagesUsageError(problem);
  if (!LogReader.AllocateBuffer()) throw std::bad_alloc();  // met by main as any allocation failure
  // Open fails for a file without messages too: the viewer warns the same way.
  if (!LogReader.Open(file)) {
    WarnCannotOpen(file);
    return 1;
  }
  const int32_t count = LogReader.GetCount();
  for (int32_t i = 0; i < count; ++i) {
    if (raw) WriteRawMessage(LogReader, i);
    else WriteHumanMessage(LogReader, i);
  }
  return std::fflush(stdout) == 0 ? 0 : 1;
}

}  // namespace zu::dump
