// Commands about items and windows: receive, make, select, open, save, close, type, delete...

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <sstream>
#include <stdexcept>

#include "demo/session.h"
#include "demo/words.h"

namespace fenmark::demo {

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

void Session::Save(const Args& args) {
  if (args.size() > 1) throw UserError("Usage: save [ITEM]");
  auto item = WindowItem(args, 0);
  const int invalidated = outlook_->InvalidateCount(sim::kAppointmentRibbon);
  outlook_->UserSave(item);
  print_.Wrap("You save " + NameOf(item) + ".");
  if (outlook_->InvalidateCount(sim::kAppointmentRibbon) > invalidated) PrintRefreshedTabs();
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
  shown_.push_back(item.Serial());  // the closing is told; only a save shows the item again
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
  const bool other = args.size() == 2 && args[1] == "other";
  if (args.size() != 1 && !other) throw UserError("Usage: schedule TASK [other]");
  const Named named = Lookup(args[0]);
  if (named.item.Class() != host::kOlTask) throw UserError(named.name + " is not a task.");
  if (named.item.Deleted()) throw UserError(named.name + " was deleted.");
  auto appointment =
      outlook_->ScheduleTask(named.item, std::nullopt,
                             other ? sim::FolderKind::kOtherCalendar : sim::FolderKind::kCalendar);
  print_.Wrap("You drag " + named.name + " into " +
              (other ? "the calendar \"Other Calendar\"" : "the calendar") +
              "; Outlook makes an appointment of it, which the demo calls " + Adopt(appointment) +
              ".");
}

void Session::Move(const Args& args) {
  struct Destination {
    std::string_view word;
    sim::FolderKind folder;
  };
  static constexpr Destination kDestinations[] = {
      {"tasks", sim::FolderKind::kTasks},
      {"subfolder", sim::FolderKind::kOtherTasks},
      {"deleted", sim::FolderKind::kDeletedItems},
      {"archive", sim::FolderKind::kArchiveTasks},
  };
  if (args.size() != 2) throw UserError("Usage: move ITEM tasks|subfolder|deleted|archive");
  const Named named = Lookup(args[0]);
  if (named.item.Deleted()) throw UserError(named.name + " was deleted.");
  for (const auto& destination : kDestinations) {
    if (args[1] != destination.word) continue;
    outlook_->MoveItem(named.item, destination.folder);
    print_.Wrap("You move " + named.name + " to " + FolderName(destination.folder) +
                "; it gets a new entry ID there, and the old one no longer finds it.");
    return;
  }
  throw UserError("Usage: move ITEM tasks|subfolder|deleted|archive");
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
  if (args.size() != 1 || args[0].empty()) throw UserError("Usage: version 12|14|TEXT");
  std::wstring version = Wide(args[0]);
  if (args[0] == "12") version = support::kOutlook12Version;
  if (args[0] == "14") version = support::kOutlook14Version;
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

}  // namespace fenmark::demo
