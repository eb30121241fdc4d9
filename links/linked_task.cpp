#include "links/linked_task.h"

#include <cwctype>

#include "links/tracking.h"
#include "links/work_time.h"

namespace fenmark::links {

namespace {
Ref<host::Item> AsClass(Ref<host::Item> item, int item_class) {
  if (item && item->Class() != item_class) throw host::errors::TypeMismatch();
  return item;
}
}  // namespace

Ref<host::Item> AsTask(Ref<host::Item> item) {
  return AsClass(std::move(item), host::kOlTask);
}

Ref<host::Item> AsAppointment(Ref<host::Item> item) {
  return AsClass(std::move(item), host::kOlAppointment);
}

bool IsEntryIdText(std::wstring_view text) noexcept {
  if (text.empty() || text.size() % 2 != 0 || text.size() > kMaxEntryIdLength) return false;
  for (const wchar_t c : text)
    if (!std::iswxdigit(static_cast<std::wint_t>(c)) || c > 0x7F) return false;
  return true;
}

bool IsReceivedMeeting(host::Item& appointment) {
  const int status = appointment.MeetingStatus();
  return status == host::kOlMeetingReceived || status == host::kOlMeetingReceivedAndCanceled;
}

namespace {
// The value of the item's property of that name, or "" when it has none.
std::wstring ValueOf(host::UserPropertyCollection& properties, std::wstring_view name) {
  auto property = properties.Item(std::wstring(name));
  return property ? property->Value() : std::wstring();
}
}  // namespace

std::optional<TaskLink> FindTaskLink(host::Item& appointment) {
  if (IsReceivedMeeting(appointment)) return std::nullopt;
  auto properties = appointment.UserProperties();
  auto& props = host::Require(properties);
  if (auto link = props.Item(std::wstring(kTaskLinkEntryID))) {
    std::wstring entry_id = link->Value();
    // A link saved from a broken marker before it was checked names nothing: the marker stands.
    if (IsEntryIdText(entry_id)) return TaskLink{entry_id, ValueOf(props, kTaskLinkStoreID)};
  }
  // A marker that names nothing, or runs to the end of the body, links nothing either.
  const MarkerLine line = FindMarkerLine(appointment.Body());
  if (line.kind != MarkerLine::Kind::kFound || !IsEntryIdText(line.entry_id)) return std::nullopt;
  return TaskLink{line.entry_id, {}, true};
}

std::optional<TaskLink> FindTaskLink(host::Item& appointment, const std::wstring& entry_id,
                                     const TaskStores* stores) {
  if (const auto* relink = stores ? stores->RelinkOf(entry_id) : nullptr)
    return TaskLink{relink->first, relink->second};
  return FindTaskLink(appointment);
}

void SetTextProperty(host::UserPropertyCollection& properties, std::wstring_view name,
                     const std::wstring& value) {
  host::Require(properties.Add(std::wstring(name), host::kOlText)).SetValue(value);
}

std::wstring StoreOf(host::Item& item) {
  auto folder = item.Parent();
  return host::Require(folder).StoreID();
}

std::wstring TaskKeyOf(host::Item& task) {
  auto properties = task.UserProperties();
  auto& props = host::Require(properties);
  for (const auto name : {kOstrandTaskKey, kTaskLinkEntryID})
    if (std::wstring key = ValueOf(props, name); IsEntryIdText(key)) return key;
  return task.EntryID();
}

bool NotInThisStore(const host::Failure& failure) noexcept {
  constexpr auto kNotFound = static_cast<std::int32_t>(0x8004010F);        // MAPI_E_NOT_FOUND
  constexpr auto kInvalidEntryId = static_cast<std::int32_t>(0x80040107);  // MAPI_E_INVALID_ENTRYID
  return failure.Number() == kNotFound || failure.Number() == kInvalidEntryId;
}

Ref<host::Item> GetLinkedTask(host::Namespace& ns, const TaskLink& link, host::Item& appointment,
                              TaskStores* stores) {
  const std::wstring& entry_id = link.task_entry_id;
  if (!link.store_id.empty()) return AsTask(ns.GetItemFromID(entry_id, link.store_id));
  if (const std::wstring known = stores ? stores->StoreOf(entry_id) : L""; !known.empty()) {
    try {
      return AsTask(ns.GetItemFromID(entry_id, known));
    } catch (const host::Failure& failure) {
      // Moved to another store since: looked for afresh below.
      if (!NotInThisStore(failure)) throw;
      stores->Forget(entry_id);
    }
  }
  Ref<host::Item> task;
  try {
    task = ns.GetItemFromID(entry_id, {});
  } catch (const host::Failure& failure) {
    // A task in a shared mailbox or a delegate's folders is found only in its own store, which
    // is the appointment's; a server that cannot answer is no reason to ask another store.
    if (!NotInThisStore(failure)) throw;
    const std::wstring store_id = host::StoreIDOf(appointment);
    if (store_id.empty()) throw;
    task = ns.GetItemFromID(entry_id, store_id);
    if (stores && task) stores->Remember(entry_id, store_id);
  }
  return AsTask(std::move(task));
}

std::wstring ReadTaskStatus(const Ref<host::Application>& app, const Ref<host::Item>& appointment,
                            TaskStores* stores) {
  if (host::Require(appointment).EntryID().empty()) return {};
  return ReadSavedTaskStatus(app, *appointment, stores);
}

namespace {
std::wstring StatusOf(host::Item& task) {
  const bool complete = task.Complete();
  auto properties = task.UserProperties();
  auto ostrand = host::Require(properties).Item(std::wstring(kOstrandStatus));
  if (!complete) return ostrand ? ostrand->Value() : std::wstring();
  // Work started and then the task ticked complete by hand: only Stop can end that work.
  if (!ostrand || !SameText(ostrand->Value(), kStarted)) return std::wstring(kComplete);
  auto started = properties->Item(std::wstring(kOstrandStartedAt));
  return std::wstring(started && !started->Value().empty() ? kCompleteButStarted : kComplete);
}
}  // namespace

std::wstring ReadSavedTaskStatus(const Ref<host::Application>& app, host::Item& appointment,
                                 TaskStores* stores) {
  const auto link = FindTaskLink(appointment);
  if (!link) return {};
  auto ns = host::Require(app).GetNamespace(L"MAPI");
  return StatusOf(host::Require(GetLinkedTask(host::Require(ns), *link, appointment, stores)));
}

std::wstring ReadDrawnTaskStatus(const Ref<host::Application>& app, host::Item& appointment,
                                 const std::wstring& entry_id, TaskStores& stores) {
  if (stores.Missed(entry_id)) return std::wstring(kTaskNotFound);
  const auto link = FindTaskLink(appointment, entry_id, &stores);
  if (!link) return {};
  auto ns = host::Require(app).GetNamespace(L"MAPI");
  Ref<host::Item> task;
  try {
    task = GetLinkedTask(host::Require(ns), *link, appointment, &stores);
  } catch (const host::Failure& failure) {
    if (!NotInThisStore(failure)) throw;
    stores.RememberMiss(entry_id);
    return std::wstring(kTaskNotFound);
  }
  return StatusOf(host::Require(task));
}

std::wstring GetTaskStatus(host::Platform& platform, const Ref<host::Application>& app,
                           const Ref<host::Item>& appointment, TaskStores* stores) {
  try {
    const std::wstring status = ReadTaskStatus(app, appointment, stores);
    return std::wstring(status == kCompleteButStarted ? kComplete : status);
  } catch (...) {
    host::ReportFailure(platform, host::CurrentFailure(), L"GetTaskStatus");
  }
  return {};
}

}  // namespace fenmark::links
