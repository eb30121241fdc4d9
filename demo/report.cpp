// What the user sees: items, message boxes, and what a command changed.

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <sstream>
#include <stdexcept>

#include "demo/session.h"
#include "demo/words.h"

namespace fenmark::demo {

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
    if (const int minutes = item.ActualWork(); minutes != 0) {
      print_.Wrap("    Actual work: " + std::to_string(minutes) + " minutes (" +
                  std::to_string(minutes / 60) + " h " + std::to_string(minutes % 60) + " min)");
    }
  }
  if (const auto start = item.Start()) {
    char when[48];
    std::snprintf(when, sizeof when, "    Starts %02d/%02d/%02d at %02d:%02d, for %d minutes",
                  start->month, start->day, start->year % 100, start->hour, start->minute,
                  item.Duration());
    print_.Wrap(when);
  }
  for (const auto& property : item.UserProperties()) {
    const std::string name = Utf8(property.name);
    std::string value = "\"" + Utf8(property.value) + "\"";
    for (const char* entry_id : {"TaskLinkEntryID", "OstrandTaskKey", "TaskLinkKey"})
      if (SameCaption(name, entry_id)) value = DescribeEntryID(property.value);
    if (SameCaption(name, "TaskLinkStoreID")) {
      value = ShortId(property.value);
      if (property.value == outlook_->StoreID(sim::FolderKind::kInbox)) value += " (Avery's store)";
      if (property.value == outlook_->StoreID(sim::FolderKind::kSharedInbox))
        value += " (the team's store)";
    }
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
