// zu_kirdo_dump files: what was found in each FILE and in each member of an
// archive, as the viewer's reader is given it; and the one source through
// which every command of the tool reads its files.
#include <cstdio>
#include <string>
#include <vector>

#include "DumpCommands.h"
#include "DumpLogSet.h"
#include "DumpOutput.h"
#include "core/Messages.h"
#include "source/LogSource.h"

namespace zu::dump {

namespace {

const char* const kFilesUsage = "zu_kirdo_dump [--raw] files FILE...";

// A path for people: each part between slashes that is no UTF-8 is taken
// as CP932, as the viewer shows names copied from Windows.
std::string HumanPath(const std::string& path) {
  std::string out;
  for (size_t at = 0; at <= path.size();) {
    size_t end = path.find('/', at);
    if (end == std::string::npos) end = path.size();
    const std::string part = path.substr(at, end - at);
    out += IsValidIn(TextEncoding::Utf8, part) ? part : ToUtf8(part);
    if (end < path.size()) out += '/';
    at = end + 1;
  }
  return OneLine(out);
}

// The messages the reader indexes in a file that the source reads; when
// none, why the file is left out.
int32_t CountMessages(zuLogFile& reader, LogSource::Finding& f) {
  if (!f.leftOut.empty()) return 0;
  if (!f.container.empty() && !f.mayHoldMessages && f.name.find(MemberMark) != std::string::npos) {
    f.leftOut = "no message";
    return 0;
  }
  if (!reader.Open(f.name)) {
    if (reader.GetFileName() == f.name) f.leftOut = "no message";
    else f.leftOut = "cannot be opened";
    return 0;
  }
  return reader.GetCount();
}

void WriteFinding(bool raw, const LogSource::Finding& f, int32_t messages) {
  const bool read = f.cp932Bytes >= 0;
  const std::string encoding = read ? NameOf(f.encoding) : "-";
  const std::string ends = read ? NameOf(f.lineEnds) : "-";
  const std::string container = f.container.empty() ? "-" : f.container;
  if (raw) {
    WriteRecord({f.name, container, encoding, ends, std::to_string(f.storedBytes), std::to_string(f.cp932Bytes),
                 std::to_string(messages), f.leftOut});
    return;
  }
  std::string line = HumanPath(f.name) + "\n  ";
  if (!f.container.empty()) line += OneLine(f.container) + ", ";
  if (read) {
    line += encoding + ", " + ends + " line ends, " + std::to_string(f.storedBytes) + " bytes (" +
            std::to_string(f.cp932Bytes) + " in CP932), " + std::to_string(messages) + " messages";
  }
  if (!f.leftOut.empty()) line += std::string(read ? "; " : "") + "left out: " + OneLine(f.leftOut);
  line += '\n';
  std::fwrite(line.data(), 1, line.size(), stdout);
}

}  // namespace

LogSource& Source() { return FilesAsLogs(); }

void WarnCannotOpen(const std::string& path) {
  WriteError(path + MessageText(Message::CannotOpen));
  const std::string why = Source().NotReadBecause(path);
  if (!why.empty()) WriteError("zu_kirdo_dump: " + path + ": " + why);
}

int RunFiles(bool raw, const std::vector<std::string>& args) {
  Arguments parsed;
  std::string error;
  if (!ParseArguments(args, {}, {}, parsed, error)) return UsageError(error, kFilesUsage);
  if (parsed.positionals.empty()) return UsageError("no FILE given", kFilesUsage);
  LogReader.AllocateBuffer();
  bool found = false;
  for (const std::string& file : parsed.positionals) {
    for (LogSource::Finding& f : Source().Describe(file)) {
      const int32_t messages = CountMessages(LogReader, f);
      found = found || messages > 0;
      WriteFinding(raw, f, messages);
    }
  }
  return std::fflush(stdout) == 0 && found ? 0 : 1;
}

}  // namespace zu::dump
