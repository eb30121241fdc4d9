#include "links/tracking.h"

#include "links/linked_task.h"

namespace fenmark::links {

MarkerLine FindMarkerLine(std::wstring_view body) {
  MarkerLine line;
  std::size_t at = 0;
  for (;; ++at) {
    if (body.size() - at < kMarker.size()) return line;
    if (EqualsNoCase(body.substr(at, kMarker.size()), kMarker)) break;
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

void LinkAddedItem(host::Item& item) {
  switch (item.Class()) {
    case host::kOlTask:
      item.Save();
      AddLink(item)->SetValue(item.EntryID());
      item.Save();
      return;
    case host::kOlAppointment: {
      const MarkerLine line = FindMarkerLine(item.Body());
      if (line.kind == MarkerLine::Kind::kAbsent) return;
      if (line.kind == MarkerLine::Kind::kUnterminated) throw host::errors::InvalidArgument();
      AddLink(item)->SetValue(line.entry_id);
      item.Save();
      return;
    }
    default:
      return;
  }
}

}  // namespace fenmark::links
