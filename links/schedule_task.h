#pragma once
// Schedule: a new appointment for a task, linked to it before it is ever saved.

#include <string>

#include "host/host.h"
#include "links/operations.h"

namespace fenmark::links {

using host::Ref;

// The appointment's length: the task's remaining estimated work when that is a plausible slot
// (15 minutes to 8 hours), else half an hour.
int ScheduledMinutes(int total_work, int actual_work) noexcept;

// The next whole half hour strictly after `now`, rolling over into the next day as needed.
host::DateTime NextHalfHour(const host::DateTime& now);

// Stamps the task with that entry ID (looked up in that store, when known) when it lacks its
// stamp, then shows a new appointment for it, unsaved, in its window: the task's subject, the
// marker line and the task's body, the link already set, the task's sensitivity and categories,
// at the next half hour, with a reminder that cannot fire the moment it is saved. Returns
// that appointment, or no object when none was shown. Reports its own failures under
// "Ostrand - ScheduleTask" and then leaves no appointment behind.
Ran ScheduleTask(const Session& session, const host::ItemRef& task_ref,
                 const OperationRow&) noexcept;

}  // namespace fenmark::links
