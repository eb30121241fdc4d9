#include "links/tracking.h"

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

void StampWatchedTask(host::Item& task) {
  // The first save gives a new task the entry ID that is stamped below.
  task.Save();
  auto properties = task.UserProperties();
  auto& props = host::Require(properties);
  props.Add(std::wstring(kTaskLinkEntryID), host::kOlText);
  host::Require(props.Item(std::wstring(kTaskLinkEntryID))).SetValue(task.EntryID());
  if (!props.Item(std::wstring(kOstrandStatus))) {
    host::Require(props.Add(std::wstring(kOstrandStatus), host::kOlText))
        .SetValue(std::wstring(kStopped));
  }
  task.Save();
}

namespace {

Ref<host::UserProperty> AddLink(host::Item& item) {
  auto properties = item.UserProperties();
  auto link = host::Require(properties).Add(std::wstring(kTaskLinkEntryID), host::kOlText);
  host::Require(link);
  return link;
}

}  // namespace

bool LinkAddedItem(host::Item& item) {
  switch (item.Class()) {
    case host::kOlTask:
      item.Save();
      AddLink(item)->SetValue(item.EntryID());
      item.Save();
      return false;
    case host::kOlAppointment: {
      const MarkerLine line = FindMarkerLine(item.Body());
      if (line.kind == MarkerLine::Kind::kAbsent) return false;
      if (line.kind == MarkerLine::Kind::kUnterminated) throw host::errors::InvalidArgument();
      AddLink(item)->SetValue(line.entry_id);
      item.Save();
      return true;
    }
    default:
      return false;
  }
}

bool StampAddedTask(host::Item& task) {
  if (task.Class() != host::kOlTask) return false;
  auto properties = task.UserProperties();
  auto& props = host::Require(properties);
  std::wstring entry_id = task.EntryID();
  const auto link = props.Item(std::wstring(kTaskLinkEntryID));
  const bool has_status = static_cast<bool>(props.Item(std::wstring(kOstrandStatus)));
  // A copy of a stamped task carries its original's entry ID: that one is no stamp of its own.
  if (!entry_id.empty() && link && link->Value() == entry_id && has_status) return false;
  if (entry_id.empty()) {
    task.Save();
    entry_id = task.EntryID();
  }
  host::Require(props.Add(std::wstring(kTaskLinkEntryID), host::kOlText)).SetValue(entry_id);
  if (!has_status) {
    host::Require(props.Add(std::wstring(kOstrandStatus), host::kOlText))
        .SetValue(std::wstring(kStopped));
  }
  task.Save();
  return true;
}

bool LinkFoundByMarker(host::Item& appointment, const std::wstring& task_entry_id) noexcept {
  try {
    if (!appointment.Saved()) return false;
    AddLink(appointment)->SetValue(task_entry_id);
    appointment.Save();
    return true;
  } catch (...) {
    return false;
  }
}

}  // namespace fenmark::links
