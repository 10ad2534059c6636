// zu_kirdo_dump: the viewer's reader, log set, search and print layout from
// the command line, for people (UTF-8) and for exact tests (--raw, CP932).
#include <cstdio>
#include <cstring>
#include <new>
#include <string>
#include <unistd.h>
#include <vector>
#if defined(__GLIBC__)
#include <stdio_ext.h>
#endif

#include "DumpCommands.h"
#include "DumpOutput.h"
#include "core/Messages.h"

namespace {

const char* const kHelp =
    "Usage:\n"
    "  zu_kirdo_dump [--raw] messages FILE\n"
    "  zu_kirdo_dump [--raw] tree FILE...\n"
    "  zu_kirdo_dump [--raw] search --from ROW:ITEM [--up] [--fields BITS] [--all] TEXT FILE...\n"
    "  zu_kirdo_dump [--raw] print --from ROW:ITEM [--columns W] [--line-height LH]\n"
    "                              [--page-height H] FILE...\n"
    "  zu_kirdo_dump export --format mbox|html --output PATH FILE...\n"
    "  zu_kirdo_dump --help | --version\n"
    "\n"
    "Reads ZU_Kirdo log files (CP932) as the viewer does and prints:\n"
    "  messages  every message of FILE with its fields and body lines\n"
    "  tree      the thread tree of up to ten files\n"
    "  search    the message(s) that the search command finds from ROW:ITEM\n"
    "            (--fields: 1 number, 2 name, 4 ID, 8 title, 16 body; default 16)\n"
    "  print     the print layout of message ROW:ITEM, pages separated by a form feed\n"
    "  export    every message in the tree's order, written to a new PATH:\n"
    "            mbox  one mbox file (mboxrd), threaded as the tree, UTF-8 mails\n"
    "            html  a new or empty folder of static pages: index.html with the\n"
    "                  tree, one page per thread\n"
    "            An existing file or a non-empty folder is never overwritten.\n"
    "\n"
    "Without --raw the output is UTF-8 for reading. With --raw it is the fixed\n"
    "machine format: TAB-separated records in the logs' own CP932 bytes.\n"
    "Text for people shows every control character but TAB and LF as its\n"
    "Control Picture (ESC as \xe2\x90\x9b), so that a log cannot drive the terminal.\n"
    "\n"
    "An export is built hidden beside PATH and named only when it is whole:\n"
    "stopped by a signal, out of memory or a failed write, it leaves nothing.\n";

// The command `command`, run with the arguments that follow it.
int RunCommand(const std::string& command, bool raw, const std::vector<std::string>& rest) {
  if (command == "messages") return zu::dump::RunMessages(raw, rest);
  if (command == "tree") return zu::dump::RunTree(raw, rest);
  if (command == "search") return zu::dump::RunSearch(raw, rest);
  if (command == "print") return zu::dump::RunPrint(raw, rest);
  if (command == "export") return zu::dump::RunExport(raw, rest);
  if (command == "--help") {
    std::fputs(kHelp, stdout);
    return 0;
  }
  zu::dump::WriteError("zu_kirdo_dump: unknown command '" + command + "'");
  std::fputs(kHelp, stderr);
  return zu::dump::ExitUsage;
}

// Every command meets a failed allocation here, after its output objects
// have removed what they wrote. The message is written without allocating.
int RunCommandOrSayOutOfMemory(int argc, char** argv) {
  try {
    std::vector<std::string> args(argv + 1, argv + argc);
    bool raw = false;
    size_t at = 0;
    if (at < args.size() && args[at] == "--help") {
      std::fputs(kHelp, stdout);
      return 0;
    }
    if (at < args.size() && args[at] == "--version") {
      std::fputs("zu_kirdo_dump " ZU_KIRDO_VERSION "\n", stdout);
      return 0;
    }
    if (at < args.size() && args[at] == "--raw") {
      raw = true;
      ++at;
    }
    if (at >= args.size()) {
      std::fputs(kHelp, stderr);
      return zu::dump::ExitUsage;
    }
    const std::string command = args[at++];
    return RunCommand(command, raw, std::vector<std::string>(args.begin() + static_cast<long>(at), args.end()));
  } catch (const std::bad_alloc&) {
    std::fflush(stdout);
    std::fputs(zu::MessageText(zu::Message::OutOfMemory), stderr);
    std::fputc('\n', stderr);
    return 1;
  }
}

}  // namespace

int main(int argc, char** argv) {
  // Into a pipe or a file, output goes in few large writes; a terminal keeps
  // its lines as they come.
  static char output[size_t{1} << 16];
  if (isatty(STDOUT_FILENO) == 0) std::setvbuf(stdout, output, _IOFBF, sizeof output);
#if defined(__GLIBC__)
  // One thread writes: a tree's tens of thousands of records need no lock each.
  __fsetlocking(stdout, FSETLOCKING_BYCALLER);
#endif
  return RunCommandOrSayOutOfMemory(argc, argv);
}
