// The commands of zu_kirdo_dump. Each gets the arguments that follow its name
// and whether --raw was given, and returns the exit status.
#pragma once

#include <string>
#include <vector>

#include "source/LogSource.h"

namespace zu::dump {

inline constexpr int ExitUsage = 2;

// The source through which every command reads its files: archives, any
// Japanese encoding and line end, as the viewer reads them.
LogSource& Source();

// The viewer's warning that `path` cannot be opened, on stderr, and a line
// more where the source knows why a file that exists is no log (an archive
// in the Windows build).
void WarnCannotOpen(const std::string& path);

int RunMessages(bool raw, const std::vector<std::string>& args);
int RunTree(bool raw, const std::vector<std::string>& args);
int RunSearch(bool raw, const std::vector<std::string>& args);
int RunPrint(bool raw, const std::vector<std::string>& args);
int RunExport(bool raw, const std::vector<std::string>& args);
int RunFiles(bool raw, const std::vector<std::string>& args);

}  // namespace zu::dump
