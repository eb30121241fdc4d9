#pragma once
// The linked-task data kept in Outlook items, and the way from an appointment to its task.

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "host/host.h"
#include "host/text.h"
#include "links/task_stores.h"

namespace fenmark::links {

using host::Ref;

inline constexpr std::wstring_view kTaskLinkEntryID = L"TaskLinkEntryID";
inline constexpr std::wstring_view kOstrandStatus = L"OstrandStatus";
// A task's first entry ID, written once: what every appointment made from it shares with it
// after a move has changed its entry ID.
inline constexpr std::wstring_view kOstrandTaskKey = L"OstrandTaskKey";
// On an appointment: its task's key, and the store that holds the task.
inline constexpr std::wstring_view kTaskLinkKey = L"TaskLinkKey";
inline constexpr std::wstring_view kTaskLinkStoreID = L"TaskLinkStoreID";
// The longest entry ID a marker may name.
inline constexpr std::size_t kMaxEntryIdLength = 1024;
using host::kComplete;
using host::kCompleteButStarted;
using host::kStarted;
using host::kStopped;
using host::kTaskNotFound;
using host::SameText;

// The item typed as a task or an appointment, as a typed reference takes it: no object stays no
// object; an item of another class fails with a type mismatch (after reading its `Class`).
Ref<host::Item> AsTask(Ref<host::Item> item);
Ref<host::Item> AsAppointment(Ref<host::Item> item);

// Whether the text can be an entry ID as Outlook writes one: hexadecimal digits, an even number
// of them, no more than kMaxEntryIdLength. Anything else is no link.
bool IsEntryIdText(std::wstring_view text) noexcept;

// A meeting someone else organised (received, or received and cancelled): its body is theirs.
bool IsReceivedMeeting(host::Item& appointment);

// Where an appointment names its task: its own `TaskLinkEntryID` (with `TaskLinkStoreID` when it
// has one), or else, for an appointment whose add event never came (a bulk arrival, another
// calendar, a sync), the marker line in its body. The body is read only when the property is
// missing or names nothing. A received meeting names no task of the user's.
struct TaskLink {
  std::wstring task_entry_id;
  std::wstring store_id = {};  // "" when not recorded
  bool by_marker = false;      // the appointment is not linked yet
};
std::optional<TaskLink> FindTaskLink(host::Item& appointment);
// The same, where the session holds a link that Open mended for the appointment with that entry
// ID (not saved, since the user had unsaved changes): that one, without reading the item.
std::optional<TaskLink> FindTaskLink(host::Item& appointment, const std::wstring& entry_id,
                                     const TaskStores* stores);

// The store of the item's folder, for a link that records it; a failure goes to the caller.
std::wstring StoreOf(host::Item& item);

// The key the task has, or that its stamp gives it.
std::wstring TaskKeyOf(host::Item& task);

// The properties in which an appointment records its task, in the order they are written, each
// with its value.
using LinkProperties = std::array<std::pair<std::wstring_view, std::wstring>, 3>;
inline LinkProperties LinkPropertiesOf(std::wstring task_entry_id, std::wstring key,
                                       std::wstring store_id) {
  return {{{kTaskLinkEntryID, std::move(task_entry_id)},
           {kTaskLinkKey, std::move(key)},
           {kTaskLinkStoreID, std::move(store_id)}}};
}

// Adds the text property, or takes the one there, and sets its value.
void SetTextProperty(host::UserPropertyCollection& properties, std::wstring_view name,
                     const std::wstring& value);

// Whether a lookup's failure says that the store asked does not hold such an item ("not found",
// "invalid entry ID"), so that another store may; any other failure is the answer.
bool NotInThisStore(const host::Failure& failure) noexcept;

// The linked task, looked up in `ns` and typed as a task: in the link's store, when it names
// one; else in the store that `stores` remembers for it, else by the entry ID alone and, when no
// store holds it there, in the appointment's store. A store that finds the task is remembered in
// `stores`.
Ref<host::Item> GetLinkedTask(host::Namespace& ns, const TaskLink& link, host::Item& appointment,
                              TaskStores* stores = nullptr);

// The status text of the appointment's linked task: "", "Complete" (kCompleteButStarted when work
// is recorded as started on it), or what `OstrandStatus` holds. A failure on the way goes to the
// caller. The second form is for an appointment known saved.
std::wstring ReadTaskStatus(const Ref<host::Application>& app, const Ref<host::Item>& appointment,
                            TaskStores* stores = nullptr);
std::wstring ReadSavedTaskStatus(const Ref<host::Application>& app, host::Item& appointment,
                                 TaskStores* stores = nullptr);

// ReadSavedTaskStatus for a drawing of the appointment with that entry ID: a task that is not
// found (moved or deleted; not a server that cannot answer) is kTaskNotFound, remembered in
// `stores`, so that drawing the appointment again asks Outlook nothing.
std::wstring ReadDrawnTaskStatus(const Ref<host::Application>& app, host::Item& appointment,
                                 const std::wstring& entry_id, TaskStores& stores);

// ReadTaskStatus that reports its own failures under "Ostrand - GetTaskStatus" and then answers "".
// `app` may be empty (after disconnection); that is a failure once the appointment is saved.
std::wstring GetTaskStatus(host::Platform& platform, const Ref<host::Application>& app,
                           const Ref<host::Item>& appointment, TaskStores* stores = nullptr);

}  // namespace fenmark::links
