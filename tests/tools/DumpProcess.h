// Runs zu_kirdo_dump with given arguments and keeps what it wrote.
#pragma once

#if defined(_WIN32)
#include "reader/ByteSource.h"
#else
#include <sys/wait.h>
#endif

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "support/LogFiles.h"

namespace zu::testing {

struct DumpResult {
  int status = -1;
  int signal = 0;   // the signal that ended it, if one did
  std::string out;  // stdout, bytes
  std::string err;  // stderr, bytes

  // The lines of `text` without their LF.
  static std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::string line;
    std::istringstream in(text);
    while (std::getline(in, line)) lines.push_back(line);
    return lines;
  }
  std::vector<std::string> OutLines() const { return Lines(out); }
  std::vector<std::string> ErrLines() const { return Lines(err); }
};

inline std::string ShellQuote(const std::string& arg) {
  std::string q = "'";
  for (char c : arg) {
    if (c == '\'') q += "'\\''";
    else q += c;
  }
  return q + "'";
}

inline std::string ReadAll(const std::string& path) {
  std::ifstream in(NativePath(path), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

#if defined(_WIN32)

// Windows runs the tool through cmd: each setting of `environment` is made
// with `set` first, and the line is given in UTF-16, so that names that are
// not ASCII reach the tool as they are.
inline std::string DumpCommandLine(const std::vector<std::string>& args, const std::string& environment,
                               const char* tool, const std::string& out, const std::string& err) {
  std::string command;
  std::istringstream settings(environment);
  for (std::string setting; settings >> setting;) command += "set \"" + setting + "\" && ";
  command += "\"" + std::string(tool) + "\"";
  for (const std::string& a : args) command += " \"" + a + "\"";
  // cmd takes away the outermost quotes of the line.
  return "\"" + command + " >\"" + out + "\" 2>\"" + err + "\"\"";
}

// cmd's 9009 says it could not start the tool, which it started a moment
// before: under wine on a loaded machine a start now and then fails so. The
// tool is started again; a tool that is truly missing fails every time.
inline void RunCommand(const std::string& command, DumpResult& r) {
  constexpr int kCannotStart = 9009;
  for (int tries = 0; tries < 3; ++tries) {
    r.status = _wsystem(zu::WidePath(command).c_str());
    if (r.status != kCannotStart) return;
  }
}

#else

inline std::string DumpCommandLine(const std::vector<std::string>& args, const std::string& environment,
                               const char* tool, const std::string& out, const std::string& err) {
  std::string command = "exec env " + environment + " " + ShellQuote(tool);
  for (const std::string& a : args) command += " " + ShellQuote(a);
  return command + " >" + ShellQuote(out) + " 2>" + ShellQuote(err);
}

inline void RunCommand(const std::string& command, DumpResult& r) {
  const int raw = std::system(command.c_str());
  r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  r.signal = WIFSIGNALED(raw) ? WTERMSIG(raw) : 0;
}

#endif

// Runs `tool` (the dump tool unless another is named) with `environment`
// ("NAME=value ..." added to it) in `dir`'s folder, its output caught in two
// files there.
inline DumpResult RunDump(const TempDir& dir, const std::vector<std::string>& args,
                          const std::string& environment = "", const char* tool = ZU_DUMP_TOOL) {
  const std::string out = dir.Path("dump.out");
  const std::string err = dir.Path("dump.err");
  DumpResult r;
  RunCommand(DumpCommandLine(args, environment, tool, out, err), r);
  r.out = ReadAll(out);
  r.err = ReadAll(err);
  return r;
}

// A log file holding `messages` in order, after a line of other text.
inline std::string LogOf(const std::vector<Msg>& messages) {
  std::string out = "Forum log\r\n";
  for (const Msg& m : messages) out += Message(m);
  return out;
}

// A message numbered `number` commenting on `parent`, titled "T<number>".
inline Msg M(int32_t number, int32_t parent = -1, const std::string& body = "") {
  Msg m;
  m.number = number;
  m.parent = parent;
  m.title = "T" + std::to_string(number);
  m.body = body;
  return m;
}

}  // namespace zu::testing
