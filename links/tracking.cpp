#include "links/tracking.h"

#include <optional>
#include <utility>
#include <vector>

#include "links/linked_task.h"

namespace fenmark::links {

MarkerLine FindMarkerLine(std::wstring_view body) {
  MarkerLine line;
  std::size_t at = 0;
  for (;; ++at) {
    if (body.size() - at < kMarker.size()) return line;
    if (SameText(body.substr(at, kMarker.size()), kMarker)) break;
  }
  // A marker at the very end leaves no room for a carriage return: the same as none after it.
  const std::size_t start = at + kEntryIdOffset;
  const std::size_t end = start < body.size() ? body.find(L'\r', start) : std::wstring_view::npos;
  if (end == std::wstring_view::npos) {
    line.kind = MarkerLine::Kind::kUnterminated;
    return line;
  }
  line.kind = MarkerLine::Kind::kFound;
  line.entry_id = body.substr(start, end - start);
  return line;
}

Ref<host::Item> TaskShownIn(host::Inspector& inspector) {
  auto item = inspector.CurrentItem();
  if (host::Require(item).Class() != host::kOlTask) return nullptr;
  return item;
}

namespace {

// Whether `entry_id` (a stamp the task carries that is not its own) names another task still
// there: the task is then a copy of it. Asked in the task's store; a move or a restore left the
// old entry ID naming nothing.
bool NamesAnotherTask(const Ref<host::Application>& app, const std::wstring& entry_id,
                      host::Item& task) {
  auto ns = host::Require(app).GetNamespace(L"MAPI");
  try {
    auto other = host::Require(ns).GetItemFromID(entry_id, host::StoreIDOf(task));
    return other && other->Class() == host::kOlTask;
  } catch (const host::Failure& failure) {
    if (NotInThisStore(failure)) return false;
    throw;
  }
}

}  // namespace

bool StampTask(host::Item& task, const Ref<host::Application>& app, OwnSaves& saves,
               bool with_status) {
  std::wstring entry_id = task.EntryID();
  const bool unsaved = entry_id.empty();
  // The first save gives a new task the entry ID that is stamped below.
  if (unsaved) {
    saves.Save(task);
    entry_id = task.EntryID();
  }
  auto properties = task.UserProperties();
  auto& props = host::Require(properties);
  const auto link = props.Item(std::wstring(kTaskLinkEntryID));
  const std::wstring stamped = link ? link->Value() : std::wstring();
  const bool elsewhere = IsEntryIdText(stamped) && !SameText(stamped, entry_id);
  const bool copy = elsewhere && NamesAnotherTask(app, stamped, task);
  bool changed = false;
  // The key first, before the stamp it may come from is rewritten.
  if (copy || !props.Item(std::wstring(kOstrandTaskKey))) {
    SetTextProperty(props, kOstrandTaskKey, IsEntryIdText(stamped) && !copy ? stamped : entry_id);
    changed = true;
  }
  if (!link || !SameText(stamped, entry_id)) {
    SetTextProperty(props, kTaskLinkEntryID, entry_id);
    changed = true;
  }
  if (with_status && !props.Item(std::wstring(kOstrandStatus))) {
    SetTextProperty(props, kOstrandStatus, std::wstring(kStopped));
    changed = true;
  }
  if (changed) saves.Save(task);
  return changed || unsaved;
}

bool LinkAddedItem(host::Item& item, const Ref<host::Application>& app, OwnSaves& saves) {
  switch (item.Class()) {
    case host::kOlTask:
      StampTask(item, app, saves, false);
      return false;
    case host::kOlAppointment: {
      // Someone else's meeting carries their marker, naming their task; Outlook is still busy
      // with it while this event runs.
      if (IsReceivedMeeting(item)) return false;
      auto properties = item.UserProperties();
      if (host::Require(properties).Item(std::wstring(kTaskLinkEntryID))) return false;
      const MarkerLine line = FindMarkerLine(item.Body());
      if (line.kind == MarkerLine::Kind::kAbsent) return false;
      if (line.kind == MarkerLine::Kind::kUnterminated) throw host::errors::InvalidArgument();
      if (!IsEntryIdText(line.entry_id)) return false;
      const std::wstring store_id = StoreOf(item);
      auto ns = host::Require(app).GetNamespace(L"MAPI");
      auto task = AsTask(host::Require(ns).GetItemFromID(line.entry_id, store_id));
      WriteLink(item, line.entry_id, TaskKeyOf(host::Require(task)), store_id, saves);
      return true;
    }
    default:
      return false;
  }
}

bool StampAddedTask(host::Item& task, const Ref<host::Application>& app, OwnSaves& saves) {
  if (task.Class() != host::kOlTask) return false;
  return StampTask(task, app, saves, true);
}

void WriteLink(host::Item& appointment, const std::wstring& task_entry_id, const std::wstring& key,
               const std::wstring& store_id, OwnSaves& saves) {
  auto properties = appointment.UserProperties();
  auto& props = host::Require(properties);
  struct Before {
    std::wstring_view name;
    std::optional<std::wstring> value;  // none: the property was not there
  };
  std::vector<Before> before;
  try {
    for (const auto& [name, value] : LinkPropertiesOf(task_entry_id, key, store_id)) {
      auto existing = props.Item(std::wstring(name));
      before.push_back({name, existing ? std::optional(existing->Value()) : std::nullopt});
      SetTextProperty(props, name, value);
    }
    saves.Save(appointment);
  } catch (...) {
    // Nothing of a link that is not saved stays in the item, to be saved by the user unawares.
    for (const auto& [name, value] : before) {
      try {
        auto property = props.Item(std::wstring(name));
        if (property && value) property->SetValue(*value);
        if (property && !value) property->Delete();
      } catch (...) {
      }
    }
    throw;
  }
}

bool LinkFoundByMarker(host::Item& appointment, const std::wstring& task_entry_id, host::Item& task,
                       OwnSaves& saves) noexcept {
  try {
    if (!appointment.Saved()) return false;
    WriteLink(appointment, task_entry_id, TaskKeyOf(task), StoreOf(task), saves);
    return true;
  } catch (...) {
    return false;
  }
}

}  // namespace fenmark::links
