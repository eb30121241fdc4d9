// Commands of the add-in's surfaces: the context menu and the appointment window's tab.

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <sstream>
#include <stdexcept>

#include "demo/session.h"
#include "demo/words.h"

namespace fenmark::demo {

namespace {

std::string About(const std::vector<sim::SimItem>& selection, const std::string& first_name) {
  std::string about;
  if (selection.size() == 1) {
    about = first_name + " (" + ClassName(selection.front().Class()) + " \"" +
            Utf8(selection.front().Subject()) + "\")";
  } else {
    about = std::to_string(selection.size()) + " selected items";
  }
  return about;
}

}  // namespace

void Session::RightClick(const Args& args) {
  if (!args.empty()) outlook_->Select(LookupAll(args, 0));
  const auto selection = outlook_->Selection();
  if (selection.empty())
    throw UserError("Nothing is selected: right-click an item, or select one.");
  print_.Wrap("You right-click " +
              About(selection, selection.empty() ? "" : NameOf(selection.front())) + ".");
  last_menu_ = outlook_->RightClick();
  have_menu_ = true;
  PrintMenu(last_menu_);
}

void Session::RightClickOutside(const Args& args) {
  if (args.empty()) throw UserError("Usage: right-click-outside ITEM...");
  const auto items = LookupAll(args, 0);
  print_.Wrap("You right-click " + About(items, Lookup(args[0]).name) +
              " outside the main window's list, in the To-Do Bar; the main window's selection "
              "stays as it is.");
  last_menu_ = outlook_->RightClickOutside(items);
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
  const int invalidated = outlook_->InvalidateCount(sim::kAppointmentRibbon);
  if (line.command_bar_index > 0) {
    last_menu_.Click(line.command_bar_index);
  } else {
    last_menu_.ClickRibbonEntry(line.ribbon_id);
  }
  if (outlook_->InvalidateCount(sim::kAppointmentRibbon) > invalidated) PrintRefreshedTabs();
}

namespace {

// Appointment and task windows carry an Ostrand tab.
bool HasOstrandTab(const sim::SimItem& item) {
  return item.Class() == host::kOlAppointment || item.Class() == host::kOlTask;
}

}  // namespace

void Session::PrintRefreshedTabs() {
  std::vector<sim::SimItem> windows;
  for (const auto& window : outlook_->OpenWindows()) {
    if (window.Class() == host::kOlAppointment) windows.push_back(window);
  }
  if (windows.empty()) return;
  if (windows.size() == 1) {
    print_.Wrap("The add-in refreshes the tab of " + NameOf(windows.front()) +
                "'s window, which asks for every button's state again:");
  } else {
    print_.Wrap("The add-in refreshes the tabs; Office asks every open appointment window again:");
  }
  for (const auto& window : windows) {
    if (windows.size() > 1) print_.Wrap("  The window of " + NameOf(window) + ":");
    PrintTab(outlook_->ShowTab(window));
  }
  if (auto front = outlook_->ActiveWindowItem(); front && front.Class() == host::kOlAppointment)
    last_tab_ = outlook_->ShowTab(front);
}

void Session::Open(const Args& args) {
  if (args.size() != 1) throw UserError("Usage: open ITEM");
  const Named named = Lookup(args[0]);
  outlook_->OpenItem(named.item);
  print_.Wrap("The window of " + named.name + " opens:");
  PrintItem(named.item);
  if (HasOstrandTab(named.item)) {
    // Office asked the new window's tab while it built the window.
    last_tab_ = outlook_->ShowTab(named.item);
    PrintTab(last_tab_);
  }
}

void Session::ShowTab(const Args& args) {
  if (args.size() > 1) throw UserError("Usage: tab [ITEM]");
  auto item = WindowItem(args, 0);
  if (!item.WindowOpen()) throw UserError(NameOf(item) + " has no open window.");
  if (!HasOstrandTab(item)) {
    throw UserError("The window shows " + NameOf(item) +
                    "; the Ostrand tab is on appointment and task windows.");
  }
  print_.Wrap("The tab of " + NameOf(item) + "'s window, as it shows now:");
  PrintTab(outlook_->ShowTab(item));
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
  const bool task_window = shown.front().id == L"VB_ScheduleTask";
  print_.Wrap(task_window ? "  Ostrand tab, group \"Linked appointments\":"
                          : "  Ostrand tab, group \"Actions for linked task\":");
  int number = 0;
  for (const auto& button : shown) {
    std::string text = "    " + std::to_string(++number) + ". [" + Utf8(button.label) + "]";
    text.resize(std::max<std::size_t>(text.size() + 1, 31), ' ');
    print_.Wrap(text + (button.enabled ? "enabled" : "greyed"));
  }
}

void Session::Press(const Args& args) {
  if (args.empty() || args.size() > 2) {
    throw UserError("Usage: press BUTTON [ITEM] (its number or its caption)");
  }
  auto item = args.size() > 1 ? Lookup(args[1]).item : outlook_->ActiveWindowItem();
  if (!item || !HasOstrandTab(item) || !item.WindowOpen()) {
    throw UserError("No appointment or task window is open there; open one first.");
  }
  // The window comes to the front as the user clicks in it.
  if (!(item == outlook_->ActiveWindowItem())) outlook_->ActivateWindow(item);
  last_tab_ = outlook_->ShowTab(item);
  const sim::RibbonButton* chosen = nullptr;
  int number = 0;
  for (const auto& button : last_tab_) {
    if (button.on_action.empty()) continue;
    if (SameCaption(Utf8(button.label), args[0]) || args[0] == std::to_string(++number))
      chosen = &button;
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
  outlook_->ClickTabButton(button.id, item);
  const bool refreshed = outlook_->InvalidateCount(sim::kAppointmentRibbon) > invalidated;
  if (!item.WindowOpen()) {
    print_.Wrap("The window of " + window + " closes.");
    last_tab_.clear();
  }
  if (refreshed) PrintRefreshedTabs();
}

}  // namespace fenmark::demo
