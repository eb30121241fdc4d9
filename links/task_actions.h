#pragma once
// The commands on an appointment's linked task: complete, open, start and stop.

#include <string>
#include <string_view>

#include "host/host.h"
#include "links/operations.h"

namespace fenmark::links {

using host::Ref;

// "mm/dd/yy HH:MM:SS am/pm" with the user's separators, on the 12-hour clock (01 to 12), the day,
// month and year in the order of the user's short-date pattern ("dd/MM/yyyy" gives "dd/mm/yy"); a
// pattern that lacks one of them keeps month, day, year.
std::wstring NoteTimestamp(const host::DateTime& now, std::wstring_view short_date_pattern,
                           std::wstring_view date_separator, std::wstring_view time_separator);

enum class WorkTime { kNone, kRecordStart, kAddSinceStart };

// What sets the four commands apart; everything else they do alike. Open only brings the window
// up: it has no note.
struct TaskAction {
  std::wstring_view note_prefix = {};
  bool marks_complete = false;
  int outlook_status = 0;  // 0: left as it is
  std::wstring_view ostrand_status = {};
  WorkTime work_time = WorkTime::kNone;
  // A complete task keeps its completion and Outlook status: stopping work recorded on a task
  // that the user completed in Outlook's own window.
  bool keeps_completion = false;
  // Open: a task its link no longer finds is looked for (links/moved_task.h) and linked anew.
  bool finds_moved_task = false;

  constexpr bool WritesNote() const noexcept { return !note_prefix.empty(); }
};

// Work longer than this, when stopped or completed, is asked about before it is added.
inline constexpr long long kLongSessionMinutes = 10 * 60;

// Follows the link of the appointment with that entry ID (looked up in that store, when known) to
// its task and acts on the task. Complete, start and stop put a dated note at the very start of the
// task's body, apart from the user's selection (closing the window with saving when the command
// opened it; a window the user had open stays open), then set the task's completion or Outlook
// status and `OstrandStatus` (when the task has it), keep its actual work (links/work_time.h) and
// save it; open only brings the task's window up. Work longer than kLongSessionMinutes is added
// only when the user says so, and their Cancel leaves everything as it was. A recurring task is
// written and saved before Outlook completes the occurrence, so that its completed copy carries
// the work; the task itself goes on with the work it had before. The appointment is never changed,
// except by Open when it finds a task that moved: the link then names the task where it is now,
// saved when the appointment has no unsaved changes (else held for the session), and a task in
// Deleted Items is said to be there.
// Reports its own failures under "Ostrand - <operation>"; never fails towards the caller.
// `appointment` is the hand-over; the row's action is the command carried out.
Ran RunTaskAction(const Session& session, const host::ItemRef& appointment,
                  const OperationRow& row) noexcept;

}  // namespace fenmark::links
