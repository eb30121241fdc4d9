#pragma once
// Finding a linked task that has moved: a move gives it a new entry ID, but its key and its stamp
// travel with it. Searched on the user's command only, never while drawing: each folder costs a
// round trip to the server.

#include <string>

#include "host/host.h"
#include "links/linked_task.h"

namespace fenmark::links {

// Beyond this many folders searched the search stops and says so: a mailbox of thousands of task
// folders would hold the user's click too long.
inline constexpr int kMaxFoldersSearched = 100;

// The filter that finds the tasks whose key (`OstrandTaskKey`) or stamp (`TaskLinkEntryID`) is
// `key`, by the properties' DASL names: the other form fails in a folder that does not define them.
std::wstring TaskKeyFilter(const std::wstring& key);

// The value the appointment's task is known by: its `TaskLinkKey`, else the entry ID the link
// names.
std::wstring SearchKeyOf(host::Item& appointment, const TaskLink& link);

struct MovedTask {
  Ref<host::Item> task;  // no object when not found
  bool in_deleted_items = false;
  bool stopped_at_bound = false;
  bool found_by_search = false;
};

// Looks, under the wait cursor, in the default store's task folders (with their subfolders) and
// its Deleted Items, then in the appointment's store, then in every other store of the user's,
// one Restrict a folder, and stops at the first store with a match: of several, the one not
// complete, else the last found. Failures go to the caller.
MovedTask FindMovedTask(host::Platform& platform, host::Namespace& ns, const std::wstring& key,
                        host::Item& appointment);

}  // namespace fenmark::links
