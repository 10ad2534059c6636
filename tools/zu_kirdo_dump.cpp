// zu_kirdo_dump: the viewer's reader, log set, search and print layout from
// the command line, for people (UTF-8) and for exact tests (--raw, CP932).
#include <cstdio>
#include <cstring>
#include <new>
#include <string>
#include <vector>
#if defined(_WIN32)
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#else
#include <unistd.h>
#endif
#if defined(__GLIBC__)
#include <stdio_ext.h>
#endif

#include "DumpCommands.h"
#include "DumpOutput.h"
#include "core/Messages.h"
#include "reader/zuLogFile.h"

namespace {

const char* const kHelp =
    "Usage:\n"
    "  zu_kirdo_dump [--raw] messages FILE\n"
    "  zu_kirdo_dump [--raw] tree FILE...\n"
    "  zu_kirdo_dump [--raw] search --from ROW:ITEM [--up] [--fields BITS] [--all] TEXT FILE...\n"
    "  zu_kirdo_dump [--raw] print --from ROW:ITEM [--columns W] [--line-height LH]\n"
    "                              [--page-height H] FILE...\n"
    "  zu_kirdo_dump export --format mbox|html --output PATH FILE...\n"
    "  zu_kirdo_dump [--raw] files FILE...\n"
    "  zu_kirdo_dump --help | --version\n"
    "  (--encoding NAME may stand with --raw before the command)\n"
    "\n"
    "Reads ZU_Kirdo log files as the viewer does (CP932, EUC-JP, ISO-2022-JP,\n"
    "UTF-8 or UTF-16; any line ends; LZH, ZIP, 7z, tar, gzip, bzip2, xz) and\n"
    "prints:\n"
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
    "  files     what each FILE is or holds: container, encoding, line ends,\n"
    "            bytes as stored and in CP932, messages, why one is left out\n"
    "  --encoding NAME  reads every FILE in NAME instead of guessing (CP932,\n"
    "            EUC-JP, ISO-2022-JP, UTF-8, UTF-16LE, UTF-16BE)\n"
    "\n"
    "Without --raw the output is UTF-8 for reading. With --raw it is the fixed\n"
    "machine format: TAB-separated records in the logs' own CP932 bytes.\n"
    "Text for people shows every control character but TAB and LF as its\n"
    "Control Picture (ESC as \xe2\x90\x9b), so that a log cannot drive the terminal.\n"
    "\n"
    "An export is built hidden beside PATH and named only when it is whole:\n"
    "stopped by a signal, out of memory or a failed write, it leaves nothing.\n";

bool StdoutIsTerminal() {
#if defined(_WIN32)
  return _isatty(_fileno(stdout)) != 0;
#else
  return isatty(STDOUT_FILENO) != 0;
#endif
}

void SetUpOutput() {
#if defined(_WIN32)
  // Records end in LF, and text from a log is written byte for byte.
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
#endif
  // Into a pipe or a file, output goes in few large writes; a terminal keeps
  // its lines as they come.
  static char output[size_t{1} << 16];
  if (!StdoutIsTerminal()) std::setvbuf(stdout, output, _IOFBF, sizeof output);
#if defined(__GLIBC__)
  // One thread writes: a tree's tens of thousands of records need no lock each.
  __fsetlocking(stdout, FSETLOCKING_BYCALLER);
#endif
}

int Run(const std::vector<std::string>& args) {
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
  // --raw and --encoding NAME, in either order, before the command.
  for (bool more = true; more && at < args.size();) {
    if (args[at] == "--raw") {
      raw = true;
      ++at;
    } else if (args[at] == "--encoding") {
      zu::TextEncoding encoding;
      if (at + 1 >= args.size() || !zu::TextEncodingNamed(args[at + 1], encoding)) {
        zu::dump::WriteError("zu_kirdo_dump: --encoding needs CP932, EUC-JP, ISO-2022-JP, UTF-8, UTF-16LE or UTF-16BE");
        return zu::dump::ExitUsage;
      }
      zu::dump::Source().SetEncoding(encoding);
      at += 2;
    } else {
      more = false;
    }
  }
  zu::LogReader.UseSource(zu::dump::Source());
  if (at >= args.size()) {
    std::fputs(kHelp, stderr);
    return zu::dump::ExitUsage;
  }
  const std::string command = args[at++];
  std::vector<std::string> rest(args.begin() + static_cast<long>(at), args.end());
  if (command == "messages") return zu::dump::RunMessages(raw, rest);
  if (command == "tree") return zu::dump::RunTree(raw, rest);
  if (command == "search") return zu::dump::RunSearch(raw, rest);
  if (command == "print") return zu::dump::RunPrint(raw, rest);
  if (command == "export") return zu::dump::RunExport(raw, rest);
  if (command == "files") return zu::dump::RunFiles(raw, rest);
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
template <typename Command>
int SayingOutOfMemory(Command run) {
  try {
    return run();
  } catch (const std::bad_alloc&) {
    std::fflush(stdout);
    std::fputs(zu::MessageText(zu::Message::OutOfMemory), stderr);
    std::fputc('\n', stderr);
    return 1;
  }
}

}  // namespace

#if defined(_WIN32)
// Windows hands the arguments over in UTF-16, file names included; the
// program's paths and texts are UTF-8 there.
int wmain(int argc, wchar_t** argv) {
  SetUpOutput();
  return SayingOutOfMemory([&] {
    std::vector<std::string> args;
    for (int k = 1; k < argc; ++k) {
      const int bytes = WideCharToMultiByte(CP_UTF8, 0, argv[k], -1, nullptr, 0, nullptr, nullptr);
      std::string arg(static_cast<size_t>(bytes > 0 ? bytes : 1), '\0');
      WideCharToMultiByte(CP_UTF8, 0, argv[k], -1, arg.data(), bytes, nullptr, nullptr);
      arg.pop_back();  // the terminating NUL
      args.push_back(arg);
    }
    return Run(args);
  });
}
#else
int main(int argc, char** argv) {
  SetUpOutput();
  return SayingOutOfMemory([&] { return Run(std::vector<std::string>(argv + 1, argv + argc)); });
}
#endif
