// zu_kirdo_dump export --format mbox: one mail per message, threaded as the
// viewer's tree.
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "Export.h"
#include "MailHeaders.h"

namespace zu::dump {

namespace {

// Ancestors named in References: the thread's root and the nearest ones.
// Enough for any reader to thread the file (every parent but a placeholder is
// in it), and a chain thousands deep keeps its headers short.
constexpr size_t kMaxReferences = 10;

std::string MessageId(const std::string& local) {
  std::string id(1, '<');
  return id.append(local).append("@").append(MailDomain).append(">");
}

// Message-IDs by node. A message is named by its number and the digest of
// its header fields; a copy of the same message loaded twice gets ".2",
// ".3" ... in display order. A placeholder is named by the missing number.
std::vector<std::string> MessageIds(const ExportSet& set) {
  std::vector<std::string> ids;
  ids.reserve(set.nodes.size());
  std::unordered_map<std::string, int> seen;
  for (const ExportNode& n : set.nodes) {
    if (n.message == -1) {
      ids.push_back(MessageId(std::to_string(n.placeholderNumber) + ".missing"));
      continue;
    }
    const ExportMessage& m = set.messages[n.message];
    const std::string name = std::to_string(m.number) + "." + m.digest;
    const int copy = ++seen[name];
    ids.push_back(MessageId(copy > 1 ? name + "." + std::to_string(copy) : name));
  }
  return ids;
}

// The body lines, each ended by LF, with mboxrd quoting.
void AppendBody(std::string_view body, std::string& mail) {
  size_t at = 0;
  while (at < body.size()) {
    size_t end = body.find('\n', at);
    if (end == std::string_view::npos) end = body.size();
    const std::string_view line = body.substr(at, end - at);
    const size_t quotes = line.find_first_not_of('>');
    if (quotes != std::string_view::npos && line.substr(quotes).starts_with("From ")) mail += '>';
    mail.append(line);
    mail += '\n';
    at = end + 1;
  }
}

void AppendHeader(std::string& mail, std::string_view name, std::string_view value) {
  mail.append(name);
  mail += ':';
  if (!value.empty()) {
    mail += ' ';
    mail.append(value);
  }
  mail += '\n';
}

// In-Reply-To and References of a node whose ancestors, root first, are
// `path`.
void AppendThreading(const std::vector<int32_t>& path, const std::vector<std::string>& ids,
                     std::string& mail) {
  if (path.empty()) return;
  AppendHeader(mail, "In-Reply-To", ids[path.back()]);
  std::string references = ids[path.front()];
  const size_t first = path.size() > kMaxReferences ? path.size() - (kMaxReferences - 1) : 1;
  for (size_t k = first; k < path.size(); ++k) references += "\n " + ids[path[k]];
  AppendHeader(mail, "References", references);
}

void AppendMail(const ExportMessage& m, const std::string& id, const std::vector<int32_t>& path,
                const std::vector<std::string>& ids, std::string& mail) {
  const std::string address = SenderAddress(m.senderID);
  LogTime time;
  const bool dated = ReadLogTime(m.date, m.time, time);
  mail += "From " + address + " " + (dated ? EnvelopeDate(time) : UnknownEnvelopeDate) + "\n";
  AppendHeader(mail, "From", Mailbox(m.senderName, address));
  AppendHeader(mail, "Subject", UnstructuredValue(m.title));
  if (dated) AppendHeader(mail, "Date", MailDate(time));
  AppendHeader(mail, "Message-ID", id);
  AppendThreading(path, ids, mail);
  AppendHeader(mail, "X-Log-Number", std::to_string(m.number));
  if (m.parentNumber != -1) AppendHeader(mail, "X-Log-Parent", std::to_string(m.parentNumber));
  AppendHeader(mail, "X-Log-Date", UnstructuredValue(m.date));
  AppendHeader(mail, "X-Log-Time", UnstructuredValue(m.time));
  mail +=
      "MIME-Version: 1.0\n"
      "Content-Type: text/plain; charset=UTF-8\n"
      "Content-Transfer-Encoding: 8bit\n"
      "\n";
  AppendBody(m.body, mail);
  mail += '\n';  // the empty line that ends every mail of an mbox
}

}  // namespace

bool WriteMbox(const ExportSet& set, OutputFile& out, std::string& error) {
  const std::vector<std::string> ids = MessageIds(set);
  std::vector<int32_t> path;  // the ancestors of the current node, root first
  std::string mail;
  for (size_t i = 0; i < set.nodes.size(); ++i) {
    const ExportNode& n = set.nodes[i];
    path.resize(static_cast<size_t>(n.depth));  // display order: the parent is on the path
    if (n.message != -1) {
      mail.clear();
      AppendMail(set.messages[n.message], ids[i], path, ids, mail);
      if (!out.Write(mail)) {
        error = out.error();
        return false;
      }
    }
    path.push_back(static_cast<int32_t>(i));
  }
  if (out.Commit()) return true;
  error = out.error();
  return false;
}

}  // namespace zu::dump
