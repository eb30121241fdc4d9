#include "links/task_actions.h"

#include <cstdlib>

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

// Typing in Overtype mode would replace as much of the body as the note is long: the mode is off
// for the typing, then as it was.
void TypeInserting(host::WordSelection& at, const std::wstring& text) {
  if (!at.Overtype()) return at.TypeText(text);
  at.SetOvertype(false);
  try {
    at.TypeText(text);
  } catch (...) {
    try {
      at.SetOvertype(true);
    } catch (...) {  // the typing's failure is the one to report
    }
    throw;
  }
  at.SetOvertype(true);
}

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

Ref<host::Item> RunTaskAction(const Session& session, const host::ItemRef& appointment_ref,
                              const OperationRow& row) noexcept {
  if (!row.action) return nullptr;
  const TaskAction& traits = *row.action;
  auto& platform = session.platform;
  const std::wstring& appointment_entry_id = appointment_ref.entry_id;
  RunReporting(platform, host::NameOf(row.operation), [&] {
    if (appointment_entry_id.empty()) {
      host::ShowMessage(platform, host::kNoEntryIdMessage);
      return;
    }
    auto ns = host::Require(session.app).GetNamespace(L"MAPI");
    auto appointment = AsAppointment(
        host::Require(ns).GetItemFromID(appointment_entry_id, appointment_ref.store_id));
    if (!appointment) {
      host::ShowMessage(platform, host::kNoItemMessage);
      return;
    }
    const auto link = FindTaskLink(*appointment, appointment_entry_id, session.stores);
    if (!link) throw host::errors::ObjectNotSet();
    MovedTask moved;
    try {
      moved.task = GetLinkedTask(*ns, *link, *appointment, session.stores);
    } catch (const host::Failure& failure) {
      if (!traits.finds_moved_task || !NotInThisStore(failure)) throw;
      moved = ReachMovedTask(session, *ns, *link, *appointment, appointment_entry_id);
      if (!moved.task) return;
    }
    auto& task = host::Require(moved.task);
    if (link->by_marker && !moved.found_by_search)
      LinkFoundByMarker(*appointment, link->task_entry_id, task, session.saves);
    // Said once the task's window is up, or its editor's absence told.
    auto tell_where = [&] {
      if (moved.in_deleted_items) host::ShowMessage(platform, host::kTaskInDeletedItemsMessage);
    };

    std::wstring note;
    host::ClockReading now;
    const bool writes_note = traits.WritesNote();
    if (writes_note) {
      now = platform.ReadClock();
      note = std::wstring(traits.note_prefix) +
             NoteTimestamp(now.local, platform.ShortDatePattern(), platform.DateSeparator(),
                           platform.TimeSeparator()) +
             L"\r";
    }

    auto document = host::Require(task.GetInspector()).WordEditor();
    if (!document) {
      host::ShowMessage(platform, std::wstring(host::kNoWordDocumentMessage) + task.Subject());
      if (!writes_note) return tell_where();
    } else {
      host::Require(task.GetInspector()).Activate();
      if (!writes_note) return tell_where();
      auto window = document->Windows(1);
      auto selection = host::Require(window).Selection();
      auto& at = host::Require(selection);
      // Typing would replace the text that the user has selected; the note goes before it.
      at.Collapse(host::kWdCollapseStart);
      TypeInserting(at, note);
      session.saves.CloseSaving(task);
    }

    if (traits.marks_complete) task.MarkComplete();
    auto task_properties = task.UserProperties();
    bool stopped = false;  // before this start
    if (auto status = host::Require(task_properties).Item(std::wstring(kOstrandStatus))) {
      if (traits.work_time == WorkTime::kRecordStart) stopped = SameText(status->Value(), kStopped);
      status->SetValue(std::wstring(traits.ostrand_status));
    }
    if (traits.outlook_status != 0) task.SetStatus(traits.outlook_status);
    if (traits.work_time == WorkTime::kRecordStart) RecordStart(task, now.utc, stopped);
    if (traits.work_time == WorkTime::kAddSinceStart) AddWorkSinceStart(task, now.utc);
    session.saves.Save(task);
  });
  return nullptr;
}

}  // namespace fenmark::links
