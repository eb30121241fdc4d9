#include "demo/words.h"

#include <cctype>

#include "demo/text_output.h"

namespace fenmark::demo {

std::string Lower(std::string_view text) {
  std::string out(text);
  for (auto& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

bool SameCaption(std::string_view a, std::string_view b) {
  return Lower(a) == Lower(b);
}

// Words separated by blanks. A quoted word keeps its blanks and knows \n (a line break), \" and
// \\; a quote must stand alone, not inside or against another word.
std::vector<std::string> Tokenize(std::string_view line) {
  auto blank = [](char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; };
  auto at = [](std::size_t i) { return " at column " + std::to_string(i + 1); };
  std::vector<std::string> words;
  std::size_t i = 0;
  while (true) {
    while (i < line.size() && blank(line[i])) ++i;
    if (i >= line.size()) break;
    std::string word;
    if (line[i] == '"') {
      const std::size_t open = i++;
      bool closed = false;
      while (i < line.size() && !closed) {
        const char c = line[i++];
        if (c == '"') {
          closed = true;
        } else if (c != '\\') {
          word += c;
        } else if (i < line.size() && (line[i] == 'n' || line[i] == '"' || line[i] == '\\')) {
          word += line[i] == 'n' ? std::string("\r\n") : std::string(1, line[i]);
          ++i;
        } else {
          throw UserError("Unknown escape" + at(i - 1) + ": only \\n, \\\" and \\\\ are known.");
        }
      }
      if (!closed) throw UserError("The quote" + at(open) + " is not closed: add the missing \".");
      if (i < line.size() && !blank(line[i]))
        throw UserError("A quoted text must end a word: add a blank" + at(i) + ".");
    } else {
      while (i < line.size() && !blank(line[i])) {
        if (line[i] == '"')
          throw UserError("A quote inside a word" + at(i) + ": quote the whole word.");
        word += line[i++];
      }
    }
    words.push_back(std::move(word));
  }
  return words;
}

// Entry IDs run to some 70 characters; their ends tell them apart.
std::string ShortId(std::wstring_view id) {
  if (id.size() <= 20) return Utf8(id);
  return Utf8(id.substr(0, 4)) + "..." + Utf8(id.substr(id.size() - 12));
}

namespace {

// What the demo calls an item of each class, and the prefix of the names it gives them.
struct ClassWords {
  int item_class;
  const char* name;
  const char* prefix;
};
constexpr ClassWords kClassWords[] = {
    {host::kOlAppointment, "appointment", "appt"},
    {host::kOlMail, "mail", "mail"},
    {host::kOlPost, "post", "post"},
    {host::kOlTask, "task", "task"},
    {host::kOlMeetingRequest, "meeting request", "item"},
    {sim::kOlContact, "contact", "item"},
};

const ClassWords& WordsFor(int item_class) {
  static constexpr ClassWords kOther{0, "item", "item"};
  for (const auto& words : kClassWords) {
    if (words.item_class == item_class) return words;
  }
  return kOther;
}

}  // namespace

std::string ClassName(int item_class) {
  return WordsFor(item_class).name;
}

std::string NamePrefix(int item_class) {
  return WordsFor(item_class).prefix;
}

std::string FolderName(std::optional<sim::FolderKind> folder) {
  if (!folder) return "";
  switch (*folder) {
    case sim::FolderKind::kDeletedItems:
      return "Deleted Items";
    case sim::FolderKind::kInbox:
      return "Inbox";
    case sim::FolderKind::kCalendar:
      return "Calendar";
    case sim::FolderKind::kContacts:
      return "Contacts";
    case sim::FolderKind::kTasks:
      return "Tasks";
    case sim::FolderKind::kDrafts:
      return "Drafts";
    case sim::FolderKind::kOtherCalendar:
      return "a second calendar";
    case sim::FolderKind::kOtherTasks:
      return "a Tasks subfolder";
    case sim::FolderKind::kSharedInbox:
      return "the team's Inbox";
    case sim::FolderKind::kSharedCalendar:
      return "the team's Calendar";
    case sim::FolderKind::kSharedTasks:
      return "the team's Tasks";
    case sim::FolderKind::kMailbox:
      return "the mailbox";
    case sim::FolderKind::kSharedMailbox:
      return "the team's mailbox";
    case sim::FolderKind::kArchive:
      return "the archive";
    case sim::FolderKind::kArchiveTasks:
      return "the archive's Tasks";
    case sim::FolderKind::kPublicFolders:
      return "the public folders";
    case sim::FolderKind::kPublicTasks:
      return "the public Team Tasks";
  }
  return "";
}

std::string TaskStatusName(int status) {
  switch (status) {
    case 0:
      return "not started";
    case 1:
      return "in progress";
    case 2:
      return "complete";
    case 3:
      return "waiting on someone else";
    case 4:
      return "deferred";
    default:
      return std::to_string(status);
  }
}

// The body's paragraphs; CR LF, CR and LF all end one.
std::vector<std::wstring> Paragraphs(const std::wstring& body) {
  std::vector<std::wstring> lines;
  std::wstring line;
  for (std::size_t i = 0; i < body.size(); ++i) {
    const wchar_t c = body[i];
    if (c == L'\r' || c == L'\n') {
      lines.push_back(line);
      line.clear();
      if (c == L'\r' && i + 1 < body.size() && body[i + 1] == L'\n') ++i;
    } else {
      line += c;
    }
  }
  lines.push_back(line);
  return lines;
}

}  // namespace fenmark::demo
