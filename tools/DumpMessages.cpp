// zu_kirdo_dump messages: every indexed message of one file with its fields
// and body lines, read through the viewer's own reader.
#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <new>
#include <string>
#include <string_view>
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

// The name column is padded with spaces; people need no padding.
std::string Trimmed(std::string text) {
  text.erase(text.find_last_not_of(' ') + 1);
  return text;
}

// A message for people goes out in one write, from a page kept from message
// to message: grown as the longest message needs, never filled beforehand.
class Page {
 public:
  void Clear() { end_ = 0; }
  void Add(std::string_view ascii) {
    std::memcpy(Room(ascii.size()), ascii.data(), ascii.size());
    end_ += ascii.size();
  }
  void AddNumber(int32_t n) {
    char digits[16];
    const auto result = std::to_chars(digits, digits + sizeof digits, n);
    Add(std::string_view(digits, static_cast<size_t>(result.ptr - digits)));
  }
  // A log's text, converted and its controls made visible.
  void AddForPeople(std::string_view cp932) {
    char* const at = Room(3 * cp932.size());
    end_ = static_cast<size_t>(PutCp932AsVisibleUtf8(cp932, at) - bytes_.data());
  }
  void Write() const { std::fwrite(bytes_.data(), 1, end_, stdout); }

 private:
  char* Room(size_t n) {
    if (bytes_.size() < end_ + n) bytes_.resize(std::max(2 * bytes_.size(), end_ + n));
    return bytes_.data() + end_;
  }

  std::string bytes_;
  size_t end_ = 0;
};

void WriteHumanMessage(const zuLogFile& r, int32_t i) {
  static Page page;
  page.Clear();
  page.Add("#");
  page.AddNumber(i);
  page.Add("  No.");
  page.AddNumber(r.GetNumber(i));
  if (const int32_t parent = r.GetParentNumber(i); parent == -1) {
    page.Add("  no parent\n");
  } else {
    page.Add("  parent ");
    page.AddNumber(parent);
    page.Add("\n");
  }
  page.Add("  From: ");
  page.AddForPeople(Trimmed(r.GetSenderName(i)));
  page.Add(" (");
  page.AddForPeople(r.GetSenderID(i));
  page.Add(")\n  Date: ");
  page.AddForPeople(r.GetDate(i));
  page.Add(" ");
  page.AddForPeople(r.GetTime(i));
  page.Add("\n  Title: ");
  page.AddForPeople(r.GetTitle(i));
  page.Add("\n\n");
  char line[LineBufferSize];
  for (int32_t j = 0; r.GetBodyLine(i, j, line); ++j) {
    page.Add("  ");
    page.AddForPeople(line);
    page.Add("\n");
  }
  page.Add("\n");
  page.Write();
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
