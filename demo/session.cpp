#include "demo/session.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <sstream>
#include <stdexcept>

#include "demo/words.h"
#include "sim/fidelity/fidelity.h"

namespace fenmark::demo {

Session::Session(std::ostream& out, Options options)
    : out_(out), print_(out, options.width), options_(options) {
  Start();
}

Session::~Session() {
  if (outlook_) {
    outlook_->AttachRibbon(nullptr);
    addin_.Disconnect();
  }
  addin_.Release();
  outlook_.reset();
}

void Session::Start() {
  outlook_ = std::make_unique<sim::Outlook>();
  sim::UseOffice(*outlook_);
  outlook_->SetVersion(options_.outlook12 ? support::kOutlook12Version : support::kOutlook14Version);
  outlook_->SetMessageBoxHandler([this](const sim::MessageBoxRecord& box) {
    PrintMessageBox(box);
    return 1;
  });
  addin_.Create(*outlook_);
  print_.Wrap("Outlook " + Utf8(outlook_->Version()) +
              " starts and loads the Fenmark add-in (\"Ostrand\")." +
              (options_.outlook12 ? " Context menus are command bars, as in Outlook 12."
                                  : " Context menus come from the add-in's markup, as from "
                                    "Outlook 14 on."));
  const auto connected = addin_.Connect();
  if (connected != L"ok") print_.Wrap("The add-in failed to connect: " + Utf8(connected));
  outlook_->AttachRibbon(&addin_.Ribbon());
  failures_seen_ = outlook_->ReturnedFailures().size();
  print_.Blank();
}

// ---------------------------------------------------------------- running commands

namespace {

// One command. A line ending in a backslash goes on in the next, whose leading blanks go; a
// leading "> " goes too: so an echoed command can be pasted back as it was printed.
bool ReadCommand(std::istream& in, std::string& line) {
  auto read = [&in](std::string& text) {
    if (!std::getline(in, text)) return false;
    if (!text.empty() && text.back() == '\r') text.pop_back();
    return true;
  };
  if (!read(line)) return false;
  std::string next;
  while (!line.empty() && line.back() == '\\' && read(next)) {
    line.pop_back();
    line += next.substr(std::min(next.find_first_not_of(" \t"), next.size()));
  }
  if (line.rfind("> ", 0) == 0) line.erase(0, 2);
  return true;
}

}  // namespace

int Session::Run(std::istream& in, bool echo, std::string_view prompt) {
  int failed = 0;
  std::string line;
  while (!quit_ && (out_ << prompt << std::flush) && ReadCommand(in, line)) {
    if (echo) {
      const auto first = line.find_first_not_of(" \t");
      if (first != std::string::npos && line[first] != '#') print_.Command(line);
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
  while (ReadCommand(script, line)) {
    if (line.rfind("say ", 0) != 0) print_.Command(line);
    if (!Execute(line)) ++failed;
  }
  print_.Wrap(
      "End of the session. Run scripts/demo --help for the commands, and scripts/demo - to type "
      "your own.");
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
      {"right-click-outside", &Session::RightClickOutside},
      {"click", &Session::Click},
      {"open", &Session::Open},
      {"tab", &Session::ShowTab},
      {"press", &Session::Press},
      {"save", &Session::Save},
      {"close", &Session::Close},
      {"type", &Session::Type},
      {"schedule", &Session::Schedule},
      {"move", &Session::Move},
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

}  // namespace fenmark::demo
