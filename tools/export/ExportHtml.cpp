// zu_kirdo_dump export --format html: a static archive that needs no script
// and no server: index.html with the tree, one page per thread, relative
// links only, every text from a log escaped.
#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "Export.h"
#include "DumpOutput.h"
#include "core/Messages.h"

namespace zu::dump {

namespace {

constexpr const char* kIndexPage = "index.html";
constexpr const char* kUnplacedPage = "unplaced.html";
constexpr int32_t kDeepestIndent = 8;  // deeper replies line up with the eighth level

constexpr const char* kIndexLink = "一覧";
constexpr const char* kUnplacedHeading = "ツリーに入らなかった発言";

constexpr const char* kStyle =
    "body{margin:1em 2em;line-height:1.5;font-family:\"IPAPGothic\",\"Noto Sans CJK JP\","
    "\"Hiragino Kaku Gothic ProN\",\"MS PGothic\",sans-serif}\n"
    ".fields,pre,.no{font-family:\"MS Gothic\",\"\xef\xbc\xad\xef\xbc\xb3 \xe3\x82\xb4\xe3\x82\xb7"
    "\xe3\x83\x83\xe3\x82\xaf\",\"IPAGothic\",\"IPA\xe3\x82\xb4\xe3\x82\xb7\xe3\x83\x83\xe3\x82\xaf\","
    "\"Noto Sans Mono CJK JP\",\"Osaka-Mono\",monospace}\n"
    ".tree,.tree ul,.unplaced{list-style:none;margin:0;padding-left:1.4em}\n"
    ".tree{padding-left:0}\n"
    ".no{color:#555;margin-right:.5em}\n"
    ".meta{color:#777;font-size:.85em;margin-left:.8em}\n"
    ".missing,.depth{color:#888}\n"
    ".message{border-top:1px solid #ccc;padding:.4em 0 .8em}\n"
    ".message h2{font-size:1.1em;margin:.2em 0}\n"
    ".fields{display:grid;grid-template-columns:max-content auto;column-gap:1em;margin:0}\n"
    ".fields dt{color:#555}\n"
    ".fields dd{margin:0;white-space:pre-wrap}\n"
    "pre{white-space:pre-wrap;margin:.6em 0 0;background:#f7f7f4;padding:.5em}\n"
    ".reply{margin:.2em 0}\n"
    ".d1{margin-left:1.5em}.d2{margin-left:3em}.d3{margin-left:4.5em}.d4{margin-left:6em}\n"
    ".d5{margin-left:7.5em}.d6{margin-left:9em}.d7{margin-left:10.5em}.d8{margin-left:12em}\n";

}  // namespace

// Made visible first: the references that follow hold no control.
void AppendHtmlText(std::string& out, std::string_view text) {
  std::string visible;
  AppendVisible(text, visible);
  for (char c : visible) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      case '\'': out += "&#39;"; break;
      default: out += c;
    }
  }
}

namespace {

std::string ThreadPage(int32_t thread) {
  char name[32];
  std::snprintf(name, sizeof name, "thread-%05d.html", thread + 1);
  return name;
}

std::string Anchor(size_t node) {
  std::string anchor(1, 'm');
  return anchor.append(std::to_string(node));
}

std::string PageOf(const ExportNode& n) { return n.thread == -1 ? kUnplacedPage : ThreadPage(n.thread); }

// The file's name as the viewer's warnings show it, controls made visible.
std::string BaseName(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  return PathForPeople(slash == std::string::npos ? path : path.substr(slash + 1));
}

void AppendHead(std::string& page, std::string_view title) {
  page += "<!DOCTYPE html>\n<html lang=\"ja\">\n<head>\n<meta charset=\"utf-8\">\n<title>";
  AppendHtmlText(page, title);
  page += "</title>\n<style>\n";
  page += kStyle;
  page += "</style>\n</head>\n<body>\n";
}

// What the tree shows for a node: a message's title after its number, with
// its sender and date; a placeholder's caption, the missing number.
void AppendTreeEntry(const ExportSet& set, size_t i, std::string& page) {
  const ExportNode& n = set.nodes[i];
  if (n.message == -1) {
    page += "<span class=\"missing\">" + std::to_string(n.placeholderNumber) + "</span>";
    return;
  }
  const ExportMessage& m = set.messages[n.message];
  page += "<a href=\"" + PageOf(n) + "#" + Anchor(i) + "\"><span class=\"no\">" +
          std::to_string(m.number) + "</span>";
  AppendHtmlText(page, m.title);
  page += "</a><span class=\"meta\">";
  AppendHtmlText(page, m.senderName);
  page += ' ';
  AppendHtmlText(page, m.date + " " + m.time);
  page += "</span>";
}

// The tree as nested lists, opened and closed by depth: no recursion, and
// no indentation, so a deep chain costs bytes in proportion to its length.
// Lists nest ShownLevels deep at most, as far as browsers lay them out well;
// a deeper node stands at that level with its depth in front of it.
void AppendTree(const ExportSet& set, std::string& page) {
  page += "<ul class=\"tree\">\n";
  int32_t open = -1;  // level of the item still open
  for (size_t i = 0; i < set.nodes.size() && set.nodes[i].thread != -1; ++i) {
    const int32_t depth = set.nodes[i].depth;
    const int32_t level = std::min(depth, ShownLevels);
    if (level > open) {
      if (open >= 0) page += "<ul>\n";
    } else {
      page += "</li>\n";
      for (int32_t d = open; d > level; --d) page += "</ul></li>\n";
    }
    page += "<li>";
    if (depth >= ShownLevels) page += "<span class=\"depth\">[depth " + std::to_string(depth) + "]</span> ";
    AppendTreeEntry(set, i, page);
    open = level;
  }
  if (open >= 0) page += "</li>\n";
  for (int32_t d = open; d > 0; --d) page += "</ul></li>\n";
  page += "</ul>\n";
}

void AppendUnplacedList(const ExportSet& set, std::string& page) {
  std::string items;
  for (size_t i = 0; i < set.nodes.size(); ++i) {
    if (set.nodes[i].thread != -1) continue;
    items += "<li>";
    AppendTreeEntry(set, i, items);
    items += "</li>\n";
  }
  if (items.empty()) return;
  page += std::string("<h2>") + kUnplacedHeading + "</h2>\n<ul class=\"unplaced\">\n" + items +
          "</ul>\n";
}

std::string IndexPage(const ExportSet& set) {
  std::string names;
  for (const std::string& f : set.fileNames) names += (names.empty() ? "" : ", ") + BaseName(f);
  std::string page;
  AppendHead(page, "ZU_Kirdo: " + names);
  page += "<h1>ZU_Kirdo</h1>\n<p class=\"files\">";
  AppendHtmlText(page, names);
  page += "</p>\n";
  AppendTree(set, page);
  AppendUnplacedList(set, page);
  page += "</body>\n</html>\n";
  return page;
}

void AppendField(std::string& page, const char* label, std::string_view value) {
  page += std::string("<dt>") + label + "</dt><dd>";
  AppendHtmlText(page, value);
  page += "</dd>";
}

void AppendMessage(const ExportSet& set, size_t i, std::string& page) {
  const ExportNode& n = set.nodes[i];
  const ExportMessage& m = set.messages[n.message];
  page += "<article class=\"message d" + std::to_string(std::min(n.depth, kDeepestIndent)) +
          "\" id=\"" + Anchor(i) + "\">\n<h2>";
  AppendHtmlText(page, m.title);
  page += "</h2>\n<dl class=\"fields\">";
  AppendField(page, caption::Number.utf8, std::to_string(m.number));
  AppendField(page, caption::SenderName.utf8, m.senderName);
  AppendField(page, caption::SenderID.utf8, m.senderID);
  AppendField(page, caption::DateTime.utf8, m.date + " " + m.time);
  page += "</dl>\n";
  if (n.parent != -1) {
    const ExportNode& p = set.nodes[n.parent];
    const int32_t parentNumber =
        p.message == -1 ? p.placeholderNumber : set.messages[p.message].number;
    page += "<p class=\"reply\"><a href=\"#" + Anchor(static_cast<size_t>(n.parent)) + "\">\xe2\x86\x91 " +
            std::to_string(parentNumber) + "</a></p>\n";  // ↑ the message this one answers
  }
  page += "<pre>";
  AppendHtmlText(page, m.body);
  page += "</pre>\n</article>\n";
}

// The nodes [first, last) of one thread, or the unplaced messages.
std::string MessagesPage(const ExportSet& set, size_t first, size_t last) {
  const ExportNode& root = set.nodes[first];
  std::string heading;
  if (root.thread == -1) heading = kUnplacedHeading;
  else if (root.message == -1) heading = std::to_string(root.placeholderNumber);
  else heading = set.messages[root.message].title;
  std::string page;
  AppendHead(page, heading);
  page += std::string("<nav><a href=\"") + kIndexPage + "\">" + kIndexLink + "</a></nav>\n<h1";
  if (root.message == -1) page += " class=\"missing\" id=\"" + Anchor(first) + "\"";
  page += ">";
  AppendHtmlText(page, heading);
  page += "</h1>\n";
  for (size_t i = first; i < last; ++i) {
    if (set.nodes[i].message != -1) AppendMessage(set, i, page);
  }
  page += "</body>\n</html>\n";
  return page;
}

bool WritePage(OutputFolder& folder, const std::string& name, const std::string& page,
               std::string& error) {
  const auto file = folder.NewFile(name);
  if (!file) {
    error = folder.error();
    return false;
  }
  if (file->Write(page) && file->Close()) return true;
  error = file->error();
  return false;
}

}  // namespace

bool WriteHtml(const ExportSet& set, OutputFolder& folder, std::string& error) {
  // A thread is the run of nodes from one top-level node to the next.
  for (size_t first = 0; first < set.nodes.size();) {
    size_t last = first + 1;
    const int32_t thread = set.nodes[first].thread;
    while (last < set.nodes.size() && set.nodes[last].thread == thread) ++last;
    const std::string name = thread == -1 ? kUnplacedPage : ThreadPage(thread);
    if (!WritePage(folder, name, MessagesPage(set, first, last), error)) return false;
    first = last;
  }
  if (!WritePage(folder, kIndexPage, IndexPage(set), error)) return false;
  if (folder.Commit()) return true;
  error = folder.error();
  return false;
}

}  // namespace zu::dump
