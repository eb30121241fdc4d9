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

std::optional<TaskLink> FindTaskLink(host::Item& appointment) {
  auto properties = appointment.UserProperties();
  if (auto link = host::Require(properties).Item(std::wstring(kTaskLinkEntryID)))
    return TaskLink{link->Value(), false};
  // A marker that names nothing, or runs to the end of the body, links nothing either.
  const MarkerLine line = FindMarkerLine(appointment.Body());
  if (line.kind != MarkerLine::Kind::kFound || line.entry_id.empty()) return std::nullopt;
  return TaskLink{line.entry_id, true};
}

bool NotInThisStore(const host::Failure& failure) noexcept {
  constexpr auto kNotFound = static_cast<std::int32_t>(0x8004010F);        // MAPI_E_NOT_FOUND
  constexpr auto kInvalidEntryId = static_cast<std::int32_t>(0x80040107);  // MAPI_E_INVALID_ENTRYID
  return failure.Number() == kNotFound || failure.Number() == kInvalidEntryId;
}

Ref<host::Item> GetLinkedTask(host::Namespace& ns, const std::wstring& entry_id,
                              host::Item& appointment, TaskStores* stores) {
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
  auto ns = host::Require(app).GetNamespace(L"MAPI");
  const auto link = FindTaskLink(*appointment);
  if (!link) return {};
  auto task = GetLinkedTask(host::Require(ns), link->task_entry_id, *appointment, stores);
  const bool complete = host::Require(task).Complete();
  auto properties = task->UserProperties();
  auto ostrand = host::Require(properties).Item(std::wstring(kOstrandStatus));
  if (!complete) return ostrand ? ostrand->Value() : std::wstring();
  // Work started and then the task ticked complete by hand: only Stop can end that work.
  if (!ostrand || !SameText(ostrand->Value(), kStarted)) return std::wstring(kComplete);
  auto started = properties->Item(std::wstring(kOstrandStartedAt));
  return std::wstring(started && !started->Value().empty() ? kCompleteButStarted : kComplete);
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
