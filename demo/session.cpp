#include "demo/session.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <sstream>
#include <stdexcept>

namespace fenmark::demo {
namespace {

// A command the demo cannot carry out, told to the user as it is.
struct UserError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

std::string Lower(std::string_view text) {
  std::string out(text);
  for (auto& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

bool SameCaption(std::string_view a, std::string_view b) {
  return Lower(a) == Lower(b);
}

// Words separated by blanks; "..." keeps blanks, with \n for a line break, \" and \\.
std::vector<std::string> Tokenize(std::string_view line) {
  std::vector<std::string> words;
  std::size_t i = 0;
  while (true) {
    while (i < line.size() && std::isspace(static_cast<unsigned char>(line[i]))) ++i;
    if (i >= line.size()) break;
    std::string word;
    if (line[i] == '"') {
      ++i;
      bool closed = false;
      while (i < line.size()) {
        const char c = line[i++];
        if (c == '"') {
          closed = true;
          break;
        }
        if (c == '\\' && i < line.size()) {
          const char e = line[i++];
          if (e == 'n') {
            word += "\r\n";
          } else {
            word += e;
          }
        } else {
          word += c;
        }
      }
      if (!closed) throw UserError("A quoted text is not closed: add the missing \".");
    } else {
      while (i < line.size() && !std::isspace(static_cast<unsigned char>(line[i])))
        word += line[i++];
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

constexpr std::size_t kBodyLines = 12;

struct CommandHelp {
  std::string_view usage;
  std::string_view what;
};

constexpr CommandHelp kHelp[] = {
    {"receive mail|post \"SUBJECT\" [\"BODY\"]", "a mail or post item arrives in the Inbox"},
    {"appointment \"SUBJECT\" [\"BODY\"]", "you make an appointment in the calendar"},
    {"task \"SUBJECT\" [\"BODY\"]", "you make a task in the Tasks folder"},
    {"select ITEM... | select none", "select items in the main window"},
    {"right-click [ITEM...]", "right-click the selection (or select these items first)"},
    {"click ENTRY", "click an entry of the last context menu, by caption or number"},
    {"open ITEM", "open the item's window (an appointment shows its Ostrand tab)"},
    {"tab", "show the Ostrand tab of the front window"},
    {"press BUTTON", "click a button of the Ostrand tab, by caption or id"},
    {"type ITEM \"TEXT\"", "type into the item's open window"},
    {"save [ITEM]", "save the item (default: the front window's)"},
    {"close [ITEM] [discard]", "close the item's window, saving unless \"discard\""},
    {"schedule TASK", "drag the task into the calendar"},
    {"delete ITEM", "delete the item for good"},
    {"show ITEM", "show the item"},
    {"items", "list every item"},
    {"version 12|14|TEXT", "switch the Outlook version (12: command-bar menus)"},
    {"time HH:MM[:SS]", "set the clock (same day) that dates the task notes"},
    {"word on|off ITEM", "give the item's window a Word editor, or not"},
    {"explorer on|off", "open or close Outlook's main window"},
    {"say TEXT", "print a line of narration"},
    {"help", "this list"},
    {"quit", "end the session"},
};

}  // namespace

Session::Session(std::ostream& out, Options options)
    : out_(out), print_(out, options.width), options_(options) {
  Start();
}

Session::~Session() {
  if (outlook_) outlook_->AttachRibbon(nullptr);
  if (connect_) connect_->AddinInstance_OnDisconnection();
  bridge_.reset();
  connect_.reset();
  outlook_.reset();
}

void Session::Start() {
  outlook_ = std::make_unique<sim::Outlook>();
  outlook_->SetVersion(options_.outlook12 ? kOutlook12Version : kOutlook14Version);
  outlook_->SetMessageBoxHandler([this](const sim::MessageBoxRecord& box) {
    PrintMessageBox(box);
    return 1;
  });
  connect_ = std::make_unique<Connect>(outlook_->Platform());
  bridge_ = std::make_unique<RibbonBridge>(*connect_);
  print_.Wrap("Outlook " + Utf8(outlook_->Version()) +
              " starts and loads the Fenmark add-in (\"Ostrand\")." +
              (options_.outlook12 ? " Context menus are command bars, as in Outlook 12."
                                  : " Context menus come from the add-in's markup, as from "
                                    "Outlook 14 on."));
  try {
    connect_->AddinInstance_OnConnection(outlook_->Application());
  } catch (const host::Failure& failure) {
    print_.Wrap("The add-in failed to connect: " + std::to_string(failure.Number()) + " - " +
                Utf8(failure.Description()));
  }
  outlook_->AttachRibbon(bridge_.get());
  failures_seen_ = outlook_->ReturnedFailures().size();
  print_.Blank();
}

void Session::PrintHelp(std::ostream& out) {
  Printer print(out);
  print.Wrap(
      "fenmark-demo plays a working session in a simulated Outlook through the real Fenmark "
      "add-in code, and shows what the user would see at each step.");
  print.Blank();
  print.Wrap("Usage: fenmark-demo [--outlook12] [--width N] [FILE | -]");
  print.Wrap("  ",
             "With no FILE, plays the built-in session. With FILE (or - for standard input), "
             "runs the commands in it, one per line.",
             2);
  print.Wrap("  ", "--outlook12  Outlook 12: context-menu entries are command-bar buttons.", 15);
  print.Wrap("  ", "--script     print the built-in session's commands and exit.", 15);
  print.Wrap("  ", "--width N    wrap the output at N columns (default 80).", 15);
  print.Blank();
  print.Wrap(
      "Commands (items get names such as mail1, task1, appt1 as they appear; quoted text may use "
      "\\n for a line break; lines starting with # are ignored):");
  for (const auto& help : kHelp) {
    std::string usage = "  " + std::string(help.usage);
    if (usage.size() < 40) {
      usage.resize(40, ' ');
      print.Wrap(usage, help.what, 40);
    } else {
      print.Wrap(usage);
      print.Wrap(std::string(40, ' '), help.what, 40);
    }
  }
}

std::string_view Session::DefaultScript() {
  return R"(say Avery works with Outlook and the Fenmark add-in. A mail about the budget arrives.
receive mail "RE: Budget 2024 / Q3?" "Hi Avery,\nplease check the Q3 figures before Friday.\nThanks, Jo"
say Avery right-clicks the mail to turn it into a task.
right-click mail1
click "Send to Ostrand"
say The new task window shows the mail's subject, the mail attached, and its text below a separator line, with the cursor at the top. Avery saves the task and closes its window.
save task1
close task1
say Avery drags the task into the calendar to plan the work. The appointment arrives with the task's entry ID and the add-in links it.
schedule task1
say The appointment's context menu offers the linked task's commands; stop is greyed, because work has not started.
right-click appt1
say At nine, Avery opens the appointment and starts work from its Ostrand tab.
time 09:05:12
open appt1
press "Start Ostrand Task"
close appt1
say At lunch, Avery stops work from the calendar's context menu.
time 12:31:40
right-click appt1
click "Stop Ostrand Task"
say In the afternoon the work is done: Avery opens the appointment and clicks Fenmark to complete the task.
time 14:25:07
open appt1
press Fenmark
right-click appt1
say With two mails selected, Outlook shows its menu for several items, and the add-in offers nothing there.
receive mail "Lunch on Friday?" "Who is in?"
right-click mail1 mail2
say Someone deletes the task. The appointment can no longer find it, and the add-in says so each time Outlook asks about one of its entries.
delete task1
right-click appt1
)";
}

// ---------------------------------------------------------------- running commands

int Session::Run(std::istream& in, bool echo, std::string_view prompt) {
  int failed = 0;
  std::string line;
  while (!quit_ && (out_ << prompt << std::flush) && std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (echo) {
      const auto first = line.find_first_not_of(" \t");
      if (first != std::string::npos && line[first] != '#') print_.Wrap("> ", line, 4);
    }
    if (!Execute(line)) ++failed;
    print_.Flush();
  }
  return failed;
}

int Session::PlayDefault() {
  std::istringstream script{std::string(DefaultScript())};
  int failed = 0;
  std::string line;
  while (std::getline(script, line)) {
    if (line.rfind("say ", 0) != 0) print_.Wrap("> ", line, 4);
    if (!Execute(line)) ++failed;
  }
  print_.Wrap("End of the session. Run fenmark-demo --help to try your own sequence of commands.");
  return failed;
}

bool Session::Execute(std::string_view line) {
  const auto first = line.find_first_not_of(" \t");
  if (first == std::string_view::npos || line[first] == '#') return true;
  shown_.clear();
  const auto before = TakeSnapshot();
  bool ok = true;
  try {
    auto words = Tokenize(line);
    const std::string command = Lower(words.front());
    words.erase(words.begin());
    Dispatch(command, words);
  } catch (const UserError& error) {
    print_.Wrap("Error: ", error.what(), 7);
    ok = false;
  } catch (const host::Failure& failure) {
    print_.Wrap("Error: ",
                "Outlook refused: " + std::to_string(failure.Number()) + " - " +
                    Utf8(failure.Description()),
                7);
    ok = false;
  } catch (const std::exception& error) {
    print_.Wrap("Error: ", error.what(), 7);
    ok = false;
  }
  try {
    ReportChanges(before, false);
  } catch (const std::exception& error) {
    print_.Wrap("Error: ", error.what(), 7);
    ok = false;
  }
  print_.Blank();
  return ok;
}

void Session::Dispatch(const std::string& command, const Args& args) {
  using Handler = void (Session::*)(const Args&);
  static const std::pair<std::string_view, Handler> kCommands[] = {
      {"say", &Session::Say},
      {"receive", &Session::Receive},
      {"appointment", &Session::NewAppointment},
      {"task", &Session::NewTask},
      {"select", &Session::Select},
      {"right-click", &Session::RightClick},
      {"rightclick", &Session::RightClick},
      {"click", &Session::Click},
      {"open", &Session::Open},
      {"tab", &Session::ShowTab},
      {"press", &Session::Press},
      {"save", &Session::Save},
      {"close", &Session::Close},
      {"type", &Session::Type},
      {"schedule", &Session::Schedule},
      {"delete", &Session::Delete},
      {"show", &Session::Show},
      {"items", &Session::ListItems},
      {"version", &Session::Version},
      {"time", &Session::Time},
      {"word", &Session::Word},
      {"explorer", &Session::Explorer},
  };
  if (command == "help" || command == "--help" || command == "?") {
    PrintHelp(out_);
    return;
  }
  if (command == "quit" || command == "exit") {
    quit_ = true;
    return;
  }
  for (const auto& [name, handler] : kCommands) {
    if (command == name) return (this->*handler)(args);
  }
  throw UserError("Unknown command \"" + command + "\". Type help for the list of commands.");
}

// ---------------------------------------------------------------- items by name

Session::Named Session::Lookup(const std::string& name) const {
  for (const auto& named : items_) {
    if (SameCaption(named.name, name)) return named;
  }
  std::string known;
  for (const auto& named : items_) known += (known.empty() ? "" : ", ") + named.name;
  throw UserError("There is no item called \"" + name + "\"." +
                  (known.empty() ? " There are no items yet." : " Items: " + known + "."));
}

std::vector<sim::SimItem> Session::LookupAll(const Args& args, std::size_t from) const {
  std::vector<sim::SimItem> items;
  for (std::size_t i = from; i < args.size(); ++i) items.push_back(Lookup(args[i]).item);
  return items;
}

std::string Session::NameOf(const sim::SimItem& item) const {
  for (const auto& named : items_) {
    if (named.item == item) return named.name;
  }
  return "an unnamed item";
}

std::string Session::Adopt(const sim::SimItem& item) {
  for (const auto& named : items_) {
    if (named.item == item) return named.name;
  }
  const std::string prefix = NamePrefix(item.Class());
  std::string name = prefix + std::to_string(++counters_[prefix]);
  items_.push_back({name, item});
  return name;
}

sim::SimItem Session::WindowItem(const Args& args, std::size_t index) const {
  if (index < args.size()) return Lookup(args[index]).item;
  auto item = outlook_->ActiveWindowItem();
  if (!item) throw UserError("No window is open; name the item.");
  return item;
}

// ---------------------------------------------------------------- commands

void Session::Say(const Args& args) {
  std::string text;
  for (const auto& word : args) text += (text.empty() ? "" : " ") + word;
  print_.Wrap(text);
}

void Session::Receive(const Args& args) {
  if (args.size() < 2 || args.size() > 3) {
    throw UserError("Usage: receive mail|post \"SUBJECT\" [\"BODY\"]");
  }
  const std::string kind = Lower(args[0]);
  const std::wstring subject = Wide(args[1]);
  const std::wstring body = args.size() > 2 ? Wide(args[2]) : L"";
  sim::SimItem item;
  if (kind == "mail") {
    item = outlook_->ReceiveMail(subject, body);
  } else if (kind == "post") {
    item = outlook_->ReceivePost(subject, body);
  } else {
    throw UserError("receive takes mail or post, not \"" + args[0] + "\".");
  }
  print_.Wrap("A " + kind + " arrives in the Inbox; the demo calls it " + Adopt(item) + ".");
}

void Session::NewAppointment(const Args& args) {
  if (args.empty() || args.size() > 2) throw UserError("Usage: appointment \"SUBJECT\" [\"BODY\"]");
  auto item = outlook_->CreateAppointment(Wide(args[0]), args.size() > 1 ? Wide(args[1]) : L"");
  print_.Wrap("You save a new appointment in the calendar; the demo calls it " + Adopt(item) + ".");
}

void Session::NewTask(const Args& args) {
  if (args.empty() || args.size() > 2) throw UserError("Usage: task \"SUBJECT\" [\"BODY\"]");
  auto item = outlook_->CreateTask(Wide(args[0]), args.size() > 1 ? Wide(args[1]) : L"");
  print_.Wrap("You save a new task in the Tasks folder; the demo calls it " + Adopt(item) + ".");
}

void Session::Select(const Args& args) {
  if (args.empty()) throw UserError("Usage: select ITEM... | select none");
  if (args.size() == 1 && Lower(args[0]) == "none") {
    outlook_->Select(std::vector<sim::SimItem>{});
    print_.Wrap("Nothing is selected.");
    return;
  }
  outlook_->Select(LookupAll(args, 0));
  std::string names;
  for (const auto& word : args) names += (names.empty() ? "" : ", ") + Lookup(word).name;
  print_.Wrap("Selected: " + names + ".");
}

void Session::RightClick(const Args& args) {
  if (!args.empty()) outlook_->Select(LookupAll(args, 0));
  const auto selection = outlook_->Selection();
  std::string about;
  if (selection.empty()) {
    about = "an empty selection";
  } else if (selection.size() == 1) {
    about = NameOf(selection.front()) + " (" + ClassName(selection.front().Class()) + " \"" +
            Utf8(selection.front().Subject()) + "\")";
  } else {
    about = std::to_string(selection.size()) + " selected items";
  }
  print_.Wrap("You right-click " + about + ".");
  last_menu_ = outlook_->RightClick();
  have_menu_ = true;
  PrintMenu(last_menu_);
}

void Session::PrintMenu(const sim::ContextMenu& menu) {
  last_lines_.clear();
  std::vector<MenuLine> lines;
  const auto controls = menu.Controls();
  for (std::size_t i = 0; i < controls.size(); ++i) {
    MenuLine line;
    line.caption = Utf8(controls[i].caption);
    line.enabled = controls[i].enabled;
    line.separator_above = controls[i].begin_group;
    line.command_bar_index = static_cast<int>(i) + 1;
    line.own_entry = controls[i].added_by_addin;
    lines.push_back(line);
  }
  // The markup places the add-in's entries before one of Outlook's own.
  const std::string id_mso = Utf8(menu.IdMso());
  const std::string anchor = id_mso == Utf8(sim::kMailItemMenu)       ? "Copy"
                             : id_mso == Utf8(sim::kCalendarItemMenu) ? "Quick Print"
                                                                      : "";
  auto at = std::find_if(lines.begin(), lines.end(), [&](const MenuLine& line) {
    return !line.own_entry && SameCaption(line.caption, anchor);
  });
  std::vector<MenuLine> markup;
  bool separator_pending = false;
  for (const auto& entry : menu.RibbonEntries()) {
    if (entry.separator) {
      separator_pending = true;
      continue;
    }
    if (!entry.visible) continue;
    MenuLine line;
    line.caption = Utf8(entry.label);
    line.enabled = entry.enabled;
    line.ribbon_id = entry.id;
    line.own_entry = true;
    markup.push_back(line);
  }
  // Without that entry they go to the top, where Outlook keeps it.
  const auto offset = at == lines.end() ? 0 : at - lines.begin();
  lines.insert(lines.begin() + offset, markup.begin(), markup.end());
  if (separator_pending && static_cast<std::size_t>(offset) + markup.size() < lines.size()) {
    lines[offset + markup.size()].separator_above = true;
  }

  print_.Wrap("The context menu shows:");
  if (lines.empty()) print_.Wrap("    (no entries)");
  int number = 0;
  for (const auto& line : lines) {
    if (line.separator_above && number > 0) print_.Wrap("      ------------------");
    ++number;
    std::string text = (number < 10 ? "   " : "  ") + std::to_string(number) + ". " + line.caption;
    if (!line.enabled) text += "   (greyed)";
    print_.Wrap(text);
  }
  last_lines_ = std::move(lines);
}

void Session::Click(const Args& args) {
  if (args.size() != 1) throw UserError("Usage: click ENTRY (a caption in quotes, or a number)");
  if (!have_menu_) throw UserError("No context menu is open; right-click first.");
  const MenuLine* chosen = nullptr;
  for (const auto& line : last_lines_) {
    if (SameCaption(line.caption, args[0])) {
      chosen = &line;
      break;
    }
  }
  if (!chosen && !args[0].empty() &&
      std::all_of(args[0].begin(), args[0].end(), [](char c) { return std::isdigit(c); })) {
    const auto index = std::stoul(args[0].substr(0, 6));
    if (index >= 1 && index <= last_lines_.size()) chosen = &last_lines_[index - 1];
  }
  if (!chosen) throw UserError("The menu has no entry \"" + args[0] + "\".");
  const MenuLine line = *chosen;
  if (!line.enabled) {
    print_.Wrap("\"" + line.caption + "\" is greyed; clicking it does nothing.");
    return;
  }
  if (!line.own_entry) {
    print_.Wrap("\"" + line.caption + "\" is one of Outlook's own entries; the demo leaves it be.");
    have_menu_ = false;
    return;
  }
  print_.Wrap("You click \"" + line.caption + "\".");
  have_menu_ = false;
  if (line.command_bar_index > 0) {
    last_menu_.Click(line.command_bar_index);
  } else {
    last_menu_.ClickRibbonEntry(line.ribbon_id);
  }
}

void Session::Open(const Args& args) {
  if (args.size() != 1) throw UserError("Usage: open ITEM");
  const Named named = Lookup(args[0]);
  outlook_->OpenItem(named.item);
  print_.Wrap("The window of " + named.name + " opens:");
  PrintItem(named.item);
  if (named.item.Class() == host::kOlAppointment) {
    // Every window builds its tab anew, asking the add-in for each button's state; the simulated
    // Office keeps one tab per ribbon, so it is loaded again for the new window.
    if (outlook_->RibbonLoaded(sim::kAppointmentRibbon))
      outlook_->LoadRibbon(sim::kAppointmentRibbon);
    last_tab_ = outlook_->ShowTab();
    PrintTab(last_tab_);
  }
}

void Session::ShowTab(const Args& args) {
  if (!args.empty()) throw UserError("Usage: tab");
  auto item = outlook_->ActiveWindowItem();
  if (!item) throw UserError("No window is open.");
  if (item.Class() != host::kOlAppointment) {
    throw UserError("The front window shows " + NameOf(item) +
                    ", not an appointment; the Ostrand tab is on appointment windows.");
  }
  last_tab_ = outlook_->ShowTab();
  PrintTab(last_tab_);
}

void Session::PrintTab(const std::vector<sim::RibbonButton>& buttons) {
  std::vector<sim::RibbonButton> shown;
  for (const auto& button : buttons) {
    if (!button.on_action.empty()) shown.push_back(button);
  }
  if (shown.empty()) {
    print_.Wrap("  The window has no Ostrand tab.");
    return;
  }
  print_.Wrap("  Ostrand tab, group \"Actions for linked task\":");
  for (const auto& button : shown) {
    std::string text = "    [" + Utf8(button.label) + "]";
    text.resize(std::max<std::size_t>(text.size() + 1, 28), ' ');
    print_.Wrap(text + (button.enabled ? "enabled" : "greyed"));
  }
}

void Session::Press(const Args& args) {
  if (args.size() != 1) throw UserError("Usage: press BUTTON (its caption in quotes, or its id)");
  auto item = outlook_->ActiveWindowItem();
  if (!item || item.Class() != host::kOlAppointment) {
    throw UserError("No appointment window is in front; open one first.");
  }
  if (last_tab_.empty()) last_tab_ = outlook_->ShowTab();
  const sim::RibbonButton* chosen = nullptr;
  for (const auto& button : last_tab_) {
    if (!button.on_action.empty() &&
        (SameCaption(Utf8(button.label), args[0]) || SameCaption(Utf8(button.id), args[0]))) {
      chosen = &button;
    }
  }
  if (!chosen) throw UserError("The Ostrand tab has no button \"" + args[0] + "\".");
  const sim::RibbonButton button = *chosen;
  if (!button.enabled) {
    print_.Wrap("[" + Utf8(button.label) + "] is greyed; pressing it does nothing.");
    return;
  }
  const std::string window = NameOf(item);
  print_.Wrap("You press [" + Utf8(button.label) + "] on the tab of " + window + ".");
  const int invalidated = outlook_->InvalidateCount(sim::kAppointmentRibbon);
  outlook_->ClickTabButton(button.id);
  const bool refreshed = outlook_->InvalidateCount(sim::kAppointmentRibbon) > invalidated;
  if (!item.WindowOpen()) {
    print_.Wrap("The window of " + window + " closes.");
    last_tab_.clear();
    return;
  }
  if (refreshed) {
    print_.Wrap("The add-in refreshes the tab, which asks for every button's state again:");
    last_tab_ = outlook_->ShowTab();
    PrintTab(last_tab_);
  }
}

void Session::Save(const Args& args) {
  if (args.size() > 1) throw UserError("Usage: save [ITEM]");
  auto item = WindowItem(args, 0);
  outlook_->UserSave(item);
  print_.Wrap("You save " + NameOf(item) + ".");
}

void Session::Close(const Args& args) {
  if (args.size() > 2) throw UserError("Usage: close [ITEM] [discard]");
  Args rest = args;
  bool save = true;
  if (!rest.empty() && Lower(rest.back()) == "discard") {
    save = false;
    rest.pop_back();
  }
  auto item = WindowItem(rest, 0);
  if (!item.WindowOpen()) throw UserError(NameOf(item) + " has no open window.");
  outlook_->CloseWindow(item, save);
  print_.Wrap("You close the window of " + NameOf(item) +
              (save ? (item.Dirty() ? "." : ", saving it.") : ", discarding the changes."));
  if (item.Class() == host::kOlAppointment) last_tab_.clear();
}

void Session::Type(const Args& args) {
  if (args.size() != 2) throw UserError("Usage: type ITEM \"TEXT\"");
  const Named named = Lookup(args[0]);
  if (!named.item.WindowOpen()) throw UserError(named.name + " has no open window; open it first.");
  outlook_->UserTypes(named.item, Wide(args[1]));
  print_.Wrap("You type into the window of " + named.name + ".");
}

void Session::Schedule(const Args& args) {
  if (args.size() != 1) throw UserError("Usage: schedule TASK");
  const Named named = Lookup(args[0]);
  if (named.item.Class() != host::kOlTask) throw UserError(named.name + " is not a task.");
  if (named.item.Deleted()) throw UserError(named.name + " was deleted.");
  auto appointment = outlook_->ScheduleTask(named.item);
  print_.Wrap("You drag " + named.name +
              " into the calendar; Outlook makes an appointment of it, "
              "which the demo calls " +
              Adopt(appointment) + ".");
}

void Session::Delete(const Args& args) {
  if (args.size() != 1) throw UserError("Usage: delete ITEM");
  const Named named = Lookup(args[0]);
  if (named.item.Deleted()) throw UserError(named.name + " is already deleted.");
  outlook_->DeleteItem(named.item);
  print_.Wrap(named.name + " is deleted for good.");
  shown_.push_back(named.item.Serial());
}

void Session::Show(const Args& args) {
  if (args.size() != 1) throw UserError("Usage: show ITEM");
  PrintItem(Lookup(args[0]).item);
}

void Session::ListItems(const Args& args) {
  if (!args.empty()) throw UserError("Usage: items");
  if (items_.empty()) print_.Wrap("There are no items yet.");
  for (const auto& named : items_) print_.Wrap("  ", Heading(named.item), 4);
}

void Session::Version(const Args& args) {
  if (args.size() != 1) throw UserError("Usage: version 12|14|TEXT");
  std::wstring version = Wide(args[0]);
  if (args[0] == "12") version = kOutlook12Version;
  if (args[0] == "14") version = kOutlook14Version;
  outlook_->SetVersion(version);
  print_.Wrap("Outlook now reports version " + Utf8(version) + ".");
}

void Session::Time(const Args& args) {
  int hour = -1, minute = -1, second = 0;
  char extra = 0;
  const int fields =
      args.size() == 1 ? std::sscanf(args[0].c_str(), "%d:%d:%d%c", &hour, &minute, &second, &extra)
                       : 0;
  if (fields < 2 || fields > 3 || hour < 0 || hour > 23 || minute < 0 || minute > 59 ||
      second < 0 || second > 59) {
    throw UserError("Usage: time HH:MM[:SS] (24-hour clock)");
  }
  host::DateTime now = outlook_->Now();
  now.hour = hour;
  now.minute = minute;
  now.second = second;
  outlook_->SetNow(now);
  char text[16];
  std::snprintf(text, sizeof text, "%02d:%02d:%02d", hour, minute, second);
  print_.Wrap(std::string("The clock now reads ") + text + ".");
}

void Session::Word(const Args& args) {
  if (args.size() != 2 || (Lower(args[0]) != "on" && Lower(args[0]) != "off")) {
    throw UserError("Usage: word on|off ITEM");
  }
  const Named named = Lookup(args[1]);
  const bool on = Lower(args[0]) == "on";
  outlook_->SetWordAvailable(named.item, on);
  print_.Wrap("The window of " + named.name +
              (on ? " has a Word editor." : " has no Word editor."));
}

void Session::Explorer(const Args& args) {
  if (args.size() != 1 || (Lower(args[0]) != "on" && Lower(args[0]) != "off")) {
    throw UserError("Usage: explorer on|off");
  }
  const bool on = Lower(args[0]) == "on";
  outlook_->SetExplorerOpen(on);
  print_.Wrap(on ? "Outlook's main window is open." : "Outlook's main window is closed.");
}

// ---------------------------------------------------------------- what the user sees

std::string Session::DescribeEntryID(const std::wstring& entry_id) const {
  if (entry_id.empty()) return "(empty)";
  std::string text = ShortId(entry_id);
  for (const auto& named : items_) {
    if (named.item.EntryID() == entry_id) return text + " (the entry ID of " + named.name + ")";
  }
  return text + " (no item has this entry ID)";
}

std::string Session::Heading(const sim::SimItem& item) const {
  std::string text =
      NameOf(item) + ": " + ClassName(item.Class()) + " \"" + Utf8(item.Subject()) + "\"";
  std::vector<std::string> states;
  if (item.Deleted()) {
    states.push_back("deleted");
  } else if (!item.Saved()) {
    states.push_back("never saved");
  } else {
    const std::string folder = FolderName(item.Folder());
    states.push_back(folder.empty() ? "saved" : "saved in " + folder);
    if (item.Dirty()) states.push_back("unsaved changes");
  }
  if (item.WindowOpen()) states.push_back("window open");
  std::string joined;
  for (const auto& state : states) joined += (joined.empty() ? "" : ", ") + state;
  return text + " - " + joined;
}

void Session::PrintItem(const sim::SimItem& item, bool with_body) {
  shown_.push_back(item.Serial());
  print_.Wrap("  ", Heading(item), 4);
  if (item.Deleted()) return;
  const auto attachments = item.Attachments();
  for (const auto& attachment : attachments) {
    print_.Wrap("    Attachment: ", Utf8(attachment.display_name), 16);
  }
  if (item.Class() == host::kOlTask) {
    print_.Wrap("    Task status: " +
                (item.Complete() ? std::string("complete") : TaskStatusName(item.Status())));
  }
  for (const auto& property : item.UserProperties()) {
    const std::string name = Utf8(property.name);
    const std::string value = SameCaption(name, "TaskLinkEntryID")
                                  ? DescribeEntryID(property.value)
                                  : "\"" + Utf8(property.value) + "\"";
    print_.Wrap("    " + name + ": ", value, 8);
  }
  if (!with_body) return;
  std::wstring body = item.Body();
  const bool cursor = item.WindowOpen();
  if (cursor) body.insert(std::min(item.InsertionPoint(), body.size()), 1, L'|');
  // Entry IDs are long; shown shortened as everywhere else.
  for (const auto& named : items_) {
    const std::wstring id = named.item.EntryID();
    if (id.size() <= 20) continue;
    const std::wstring shortened = Wide(ShortId(id));
    for (auto at = body.find(id); at != std::wstring::npos; at = body.find(id, at)) {
      body.replace(at, id.size(), shortened);
      at += shortened.size();
    }
  }
  auto paragraphs = Paragraphs(body);
  while (paragraphs.size() > 1 && paragraphs.back().empty()) paragraphs.pop_back();
  if (paragraphs.size() == 1 && paragraphs.front().empty()) {
    print_.Wrap("    Body: (empty)");
    return;
  }
  print_.Wrap(cursor ? "    Body (| is the insertion point):" : "    Body:");
  std::size_t shown = 0;
  for (const auto& paragraph : paragraphs) {
    if (shown == kBodyLines) {
      print_.Wrap("      (" + std::to_string(paragraphs.size() - shown) + " more lines)");
      break;
    }
    print_.Wrap("      ", Utf8(paragraph), 6);
    ++shown;
  }
}

void Session::PrintMessageBox(const sim::MessageBoxRecord& box) {
  const std::string icon = box.style == host::kMbIconStop ? "critical-stop icon" : "no icon";
  print_.Wrap("  +-- Message box \"" + Utf8(box.title) + "\" (" + icon + ", OK button)");
  for (const auto& paragraph : Paragraphs(box.text)) print_.Wrap("  |   ", Utf8(paragraph), 6);
  print_.Wrap("  +-- You click OK.");
}

std::map<int, Session::Snapshot> Session::TakeSnapshot() const {
  std::map<int, Snapshot> snapshot;
  if (!outlook_) return snapshot;
  for (const auto& item : outlook_->AllItems()) {
    snapshot[item.Serial()] = {item.WriteCount(), item.WindowOpen(), item.Deleted(), item.Body()};
  }
  return snapshot;
}

void Session::ReportChanges(const std::map<int, Snapshot>& before, bool) {
  for (const auto& item : outlook_->AllItems()) {
    const auto was = before.find(item.Serial());
    const bool already_shown =
        std::find(shown_.begin(), shown_.end(), item.Serial()) != shown_.end();
    if (was == before.end()) {
      const bool named = NameOf(item) != "an unnamed item";
      const std::string name = Adopt(item);
      if (already_shown) continue;
      if (item.WindowOpen()) {
        print_.Wrap("A new window opens: " + name + ".");
      } else if (!named) {
        print_.Wrap("New: " + name + ".");
      }
      PrintItem(item);
      continue;
    }
    const Snapshot& old = was->second;
    const bool written = item.WriteCount() != old.writes;
    const bool window = item.WindowOpen() != old.window_open;
    const bool deleted = item.Deleted() != old.deleted;
    if (!written && !deleted && (!window || already_shown)) continue;
    if (already_shown && !written) continue;
    std::string what = NameOf(item);
    if (window && !written) {
      print_.Wrap(std::string("The window of ") + what +
                  (item.WindowOpen() ? " opens." : " closes."));
      continue;
    }
    print_.Wrap(what + " changed:");
    PrintItem(item, item.Body() != old.body);
  }
  const auto failures = outlook_->ReturnedFailures();
  for (std::size_t i = failures_seen_; i < failures.size(); ++i) {
    const auto& failure = failures[i];
    print_.Wrap("  (",
                "The add-in returned a failure to Outlook from " + Utf8(failure.source) + ": " +
                    std::to_string(failure.number) + " - " + Utf8(failure.description) +
                    "; Outlook shows nothing.)",
                3);
  }
  failures_seen_ = failures.size();
}

}  // namespace fenmark::demo
