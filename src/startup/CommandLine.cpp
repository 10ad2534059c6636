#include "startup/CommandLine.h"

namespace zu {

namespace {

constexpr const char* kUsage = "Usage: zu_kirdo [--help | --version] [--] [FILE...]\n";

constexpr const char* kHelp =
    "\n"
    "Views message logs of Japanese PC-communication forums (Shift-JIS text).\n"
    "Each FILE opens as if chosen in the open dialog, in the order given:\n"
    "up to ten logs in one thread tree.\n"
    "\n"
    "  --help     show this help and exit\n"
    "  --version  show the version and exit\n"
    "  --         end of options: every later argument is a FILE\n"
    "\n"
    "Qt's own options (-platform, -style ...) are not read; use its environment\n"
    "variables (QT_QPA_PLATFORM, QT_STYLE_OVERRIDE ...). See zu_kirdo(1).\n";

}  // namespace

CommandLine ParseCommandLine(int argc, const char* const* argv) {
  CommandLine command;
  bool options = true;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (options && arg == "--") {
      options = false;
    } else if (options && arg == "--help") {
      return {CommandLine::Action::Help, {}, {}};
    } else if (options && arg == "--version") {
      return {CommandLine::Action::Version, {}, {}};
    } else if (options && arg.size() > 1 && arg[0] == '-') {
      return {CommandLine::Action::Usage, {}, arg};
    } else {
      command.paths.push_back(arg);
    }
  }
  return command;
}

int ReportCommandLine(const CommandLine& command, std::FILE* out, std::FILE* err) {
  switch (command.action) {
    case CommandLine::Action::Help:
      std::fputs(kUsage, out);
      std::fputs(kHelp, out);
      return 0;
    case CommandLine::Action::Version:
      std::fputs("zu_kirdo " ZU_KIRDO_VERSION "\n", out);
      return 0;
    case CommandLine::Action::Usage:
      std::fprintf(err, "zu_kirdo: unknown option '%s'\n", command.unknown.c_str());
      std::fputs(kUsage, err);
      return 2;
    case CommandLine::Action::Open:
      break;
  }
  return 0;
}

}  // namespace zu
