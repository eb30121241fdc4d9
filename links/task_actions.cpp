#include "links/task_actions.h"

#include <cstdlib>
#include <optional>

#include "links/linked_task.h"
#include "links/moved_task.h"
#include "links/report_guard.h"
#include "links/tracking.h"
#include "links/work_time.h"

namespace fenmark::links {

namespace {

std::wstring TwoDigits(int value) {
  const int n = std::abs(value % 100);
  return {static_cast<wchar_t>(L'0' + n / 10), static_cast<wchar_t>(L'0' + n % 10)};
}

// The fields of a short-date pattern in their order: "dMy" for "dd.MM.yyyy"; quoted text is not
// a field. "Mdy" when one of them is missing.
std::wstring DateOrder(std::wstring_view pattern) {
  std::wstring order;
  bool quoted = false;
  for (const wchar_t c : pattern) {
    if (c == L'\'') quoted = !quoted;
    if (!quoted && (c == L'd' || c == L'M' || c == L'y') && order.find(c) == std::wstring::npos)
      order.push_back(c);
  }
  return order.size() == 3 ? order : L"Mdy";
}

// Asked before anything changes: a Stop forgotten for days is no day's work. No is the default,
// so that Enter never adds them. The answer: kIdYes, kIdNo, or anything else for Cancel.
int AskAboutLongSession(host::Platform& platform, const std::wstring& subject,
                        const std::wstring& started, long long minutes, host::Operation operation) {
  return platform.MsgBox(L"Work on \"" + subject + L"\" started " + started +
                             L" and was not stopped: " + std::to_wstring(minutes / 60) +
                             L" hours. Add them to Actual work?",
                         host::kMbYesNoCancel | host::kMbIconQuestion | host::kMbDefButton2,
                         L"Ostrand - " + std::wstring(host::NameOf(operation)));
}

// What a note-writing command is to write, once the user has said what to do with a long session.
struct Plan {
  host::ClockReading now;
  std::wstring note;
  std::optional<RecordedWork> work;  // the start recorded, for Stop and Complete
  bool add_work = true;
};

// The task that the link no longer finds, looked for and linked anew; no object, once the user
// is told why, when it is nowhere to be found.
MovedTask ReachMovedTask(const Session& session, host::Namespace& ns, const TaskLink& link,
                         host::Item& appointment, const std::wstring& appointment_entry_id) {
  auto& platform = session.platform;
  MovedTask moved = FindMovedTask(platform, ns, SearchKeyOf(appointment, link), appointment);
  if (!moved.task) {
    if (moved.stopped_at_bound) {
      host::ShowMessage(
          platform, std::wstring(host::kSearchBoundMessage) + std::to_wstring(kMaxFoldersSearched));
    } else {
      host::ShowMessage(platform, host::kTaskGoneMessage);
    }
    return moved;
  }
  const std::wstring entry_id = moved.task->EntryID();
  const std::wstring store_id = StoreOf(*moved.task);
  if (session.stores) session.stores->Remember(entry_id, store_id);
  if (!LinkFoundByMarker(appointment, entry_id, *moved.task, session.saves) && session.stores)
    session.stores->Relinked(appointment_entry_id, {entry_id, store_id});
  return moved;
}

}  // namespace

std::wstring NoteTimestamp(const host::DateTime& now, std::wstring_view short_date_pattern,
                           std::wstring_view date_separator, std::wstring_view time_separator) {
  const int hour = ((now.hour % 24) + 24) % 24;
  const int hour12 = hour % 12 == 0 ? 12 : hour % 12;
  std::wstring text;
  for (const wchar_t field : DateOrder(short_date_pattern)) {
    if (!text.empty()) text.append(date_separator);
    text.append(TwoDigits(field == L'd' ? now.day : field == L'M' ? now.month : now.year));
  }
  text.append(L" ").append(TwoDigits(hour12));
  text.append(time_separator).append(TwoDigits(now.minute));
  text.append(time_separator).append(TwoDigits(now.second));
  text.append(hour < 12 ? L" am" : L" pm");
  return text;
}

namespace {

// The note, the time and the work to end; nothing when the user cancelled.
std::optional<Plan> PlanNote(host::Platform& platform, host::Item& task, const TaskAction& traits,
                             host::Operation operation) {
  auto stamp = [&](const host::DateTime& local) {
    return NoteTimestamp(local, platform.ShortDatePattern(), platform.DateSeparator(),
                         platform.TimeSeparator());
  };
  Plan plan;
  plan.now = platform.ReadClock();
  plan.note = std::wstring(traits.note_prefix) + stamp(plan.now.local);
  if (traits.work_time == WorkTime::kAddSinceStart)
    plan.work = ReadRecordedWork(task, plan.now.utc);
  const auto& work = plan.work;
  if (work && work->started_utc && work->minutes > kLongSessionMinutes) {
    const std::wstring started = stamp(platform.LocalTime(*work->started_utc));
    const int answer =
        AskAboutLongSession(platform, task.Subject(), started, work->minutes, operation);
    if (answer != host::kIdYes && answer != host::kIdNo) return std::nullopt;
    plan.add_work = answer == host::kIdYes;
    plan.note += L" (started " + started + L")";
  }
  plan.note += L"\r";
  return plan;
}

}  // namespace

Ran RunTaskAction(const Session& session, const host::ItemRef& appointment_ref,
                  const OperationRow& row) noexcept {
  if (!row.action) return {};
  const TaskAction& traits = *row.action;
  auto& platform = session.platform;
  const std::wstring& appointment_entry_id = appointment_ref.entry_id;
  bool relinked = false;
  const bool done = RunReporting(platform, host::NameOf(row.operation), [&] {
    if (appointment_entry_id.empty()) {
      host::ShowMessage(platform, host::kNoEntryIdMessage);
      return false;
    }
    auto ns = host::Require(session.app).GetNamespace(L"MAPI");
    auto appointment = AsAppointment(
        host::Require(ns).GetItemFromID(appointment_entry_id, appointment_ref.store_id));
    if (!appointment) {
      host::ShowMessage(platform, host::kNoItemMessage);
      return false;
    }
    const auto link = FindTaskLink(*appointment, appointment_entry_id, session.stores);
    if (!link) throw host::errors::ObjectNotSet();
    MovedTask moved;
    try {
      moved.task = GetLinkedTask(*ns, *link, *appointment, session.stores);
    } catch (const host::Failure& failure) {
      if (!traits.finds_moved_task || !NotInThisStore(failure)) throw;
      moved = ReachMovedTask(session, *ns, *link, *appointment, appointment_entry_id);
      if (!moved.task) return false;
      relinked = true;
    }
    auto& task = host::Require(moved.task);
    // Said once the task's window is up, or its editor's absence told.
    auto tell_where = [&] {
      if (moved.in_deleted_items) host::ShowMessage(platform, host::kTaskInDeletedItemsMessage);
    };

    const bool writes_note = traits.WritesNote();
    Plan plan;
    if (writes_note) {
      auto planned = PlanNote(platform, task, traits, row.operation);
      if (!planned) return false;
      plan = std::move(*planned);
    }
    // Linked once the target has proved to be a task and the user has not cancelled.
    if (link->by_marker && !moved.found_by_search)
      LinkFoundByMarker(*appointment, link->task_entry_id, task, session.saves);

    const std::uint64_t windows_before = session.windows_opened ? *session.windows_opened : 0;
    auto document = host::Require(task.GetInspector()).WordEditor();
    if (!document) {
      host::ShowMessage(platform, std::wstring(host::kNoWordDocumentMessage) + task.Subject());
      if (!writes_note) {
        tell_where();
        return false;
      }
    } else {
      host::Require(task.GetInspector()).Activate();
      if (!writes_note) {
        tell_where();
        return true;
      }
      // The user's own window: their cursor and their text stay as they were, and so does the
      // window; the save below keeps the note.
      const bool opened_here = !session.windows_opened || *session.windows_opened != windows_before;
      host::Require(document->Range(0, 0)).InsertBefore(plan.note);
      if (opened_here) session.saves.CloseSaving(task);
    }

    // Outlook completes a recurring task by making a completed copy of it: the copy is to carry the
    // note, the status and the work, so all are saved first.
    const bool recurring = traits.marks_complete && task.IsRecurring();
    const int work_before = recurring ? task.ActualWork() : 0;
    if (traits.marks_complete && !recurring) task.MarkComplete();
    auto task_properties = task.UserProperties();
    bool stopped = false;  // before this start
    if (auto status = host::Require(task_properties).Item(std::wstring(kOstrandStatus))) {
      if (traits.work_time == WorkTime::kRecordStart) stopped = SameText(status->Value(), kStopped);
      status->SetValue(std::wstring(traits.ostrand_status));
    }
    if (traits.outlook_status != 0 && !(traits.keeps_completion && task.Complete()))
      task.SetStatus(traits.outlook_status);
    if (traits.work_time == WorkTime::kRecordStart) RecordStart(task, plan.now.utc, stopped);
    if (plan.work) EndRecordedWork(task, *plan.work, plan.add_work);
    session.saves.Save(task);
    if (recurring) {
      task.MarkComplete();
      // The next occurrence goes on with the work done before this session, whatever Outlook
      // made of it.
      task.SetActualWork(work_before);
      session.saves.Save(task);
    }
    return true;
  });
  return {nullptr, done, relinked};
}

}  // namespace fenmark::links
