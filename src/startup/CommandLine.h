// The viewer's command line: zu_kirdo [--help | --version] [--] [FILE...].
// It is read before the window system is touched, so that --help, --version
// and a wrong option answer without a display. Qt is handed none of it.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace zu {

struct CommandLine {
  enum class Action { Open, Help, Version, Usage };
  Action action = Action::Open;
  // Open: the files to open, in order, as the bytes the shell gave.
  std::vector<std::string> paths;
  // Usage: the argument that is no option of the viewer.
  std::string unknown;
};

// Reads the arguments left to right. --help or --version ends the reading;
// so does any other argument that begins with a dash (Usage). "--" makes
// every later argument a file, and a lone "-" is a file name.
CommandLine ParseCommandLine(int argc, const char* const* argv);

// Prints what Help, Version and Usage ask for (help and version on `out`,
// the usage line on `err`) and returns the exit status: 0, or 2 for Usage.
int ReportCommandLine(const CommandLine& command, std::FILE* out, std::FILE* err);

}  // namespace zu
