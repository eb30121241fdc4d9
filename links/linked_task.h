#pragma once
// The linked-task data kept in Outlook items, and the way from an appointment to its task.

#include <optional>
#include <string>
#include <string_view>

#include "host/host.h"
#include "host/text.h"
#include "links/task_stores.h"

namespace fenmark::links {

using host::Ref;

inline constexpr std::wstring_view kTaskLinkEntryID = L"TaskLinkEntryID";
inline constexpr std::wstring_view kOstrandStatus = L"OstrandStatus";
using host::kComplete;
using host::kCompleteButStarted;
using host::kStarted;
using host::kStopped;
using host::SameText;

// The item typed as a task or an appointment, as a typed reference takes it: no object stays no
// object; an item of another class fails with a type mismatch (after reading its `Class`).
Ref<host::Item> AsTask(Ref<host::Item> item);
Ref<host::Item> AsAppointment(Ref<host::Item> item);

// Where an appointment names its task: its own `TaskLinkEntryID`, or else, for an appointment
// whose add event never came (a bulk arrival, another calendar, a sync), the marker line in its
// body. The body is read only when the property is missing.
struct TaskLink {
  std::wstring task_entry_id;
  bool by_marker = false;  // the appointment is not linked yet
};
std::optional<TaskLink> FindTaskLink(host::Item& appointment);

// Whether a lookup's failure says that the store asked does not hold such an item ("not found",
// "invalid entry ID"), so that another store may; any other failure is the answer.
bool NotInThisStore(const host::Failure& failure) noexcept;

// The task with that entry ID, looked up in `ns` and typed as a task: in the store that `stores`
// remembers for it, else by the entry ID alone and, when no store holds it there, in the
// appointment's store. A store that finds the task is remembered in `stores`.
Ref<host::Item> GetLinkedTask(host::Namespace& ns, const std::wstring& task_entry_id,
                              host::Item& appointment, TaskStores* stores = nullptr);

// The status text of the appointment's linked task: "", "Complete" (kCompleteButStarted when work
// is recorded as started on it), or what `OstrandStatus` holds. A failure on the way goes to the
// caller.
std::wstring ReadTaskStatus(const Ref<host::Application>& app, const Ref<host::Item>& appointment,
                            TaskStores* stores = nullptr);

// ReadTaskStatus that reports its own failures under "Ostrand - GetTaskStatus" and then answers "".
// `app` may be empty (after disconnection); that is a failure once the appointment is saved.
std::wstring GetTaskStatus(host::Platform& platform, const Ref<host::Application>& app,
                           const Ref<host::Item>& appointment, TaskStores* stores = nullptr);

}  // namespace fenmark::links
