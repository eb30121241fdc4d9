#include "links/schedule_task.h"

#include <chrono>

#include "links/linked_task.h"
#include "links/report_guard.h"
#include "links/tracking.h"
#include "links/work_time.h"

namespace fenmark::links {

int ScheduledMinutes(int total_work, int actual_work) noexcept {
  const long long remaining = static_cast<long long>(total_work) - actual_work;
  return remaining >= 15 && remaining <= 8 * 60 ? static_cast<int>(remaining) : 30;
}

host::DateTime NextHalfHour(const host::DateTime& now) {
  using namespace std::chrono;
  const year_month_day date{year(now.year), month(static_cast<unsigned>(now.month)),
                            day(static_cast<unsigned>(now.day))};
  const auto start = sys_days(date) + hours(now.hour) + minutes(now.minute < 30 ? 30 : 60);
  const auto midnight = floor<days>(start);
  const year_month_day next(midnight);
  const hh_mm_ss time(start - midnight);
  return {int(next.year()),
          static_cast<int>(unsigned(next.month())),
          static_cast<int>(unsigned(next.day())),
          static_cast<int>(time.hours().count()),
          static_cast<int>(time.minutes().count()),
          0};
}

namespace {

// What the appointment records of its task.
struct LinkedTo {
  std::wstring entry_id, key, store_id;
};

// Fills and shows the new appointment; the caller discards it if anything fails.
void Prepare(host::Item& appointment, host::Item& task, const LinkedTo& link,
             const host::DateTime& now) {
  appointment.SetSubject(task.Subject());
  appointment.SetBody(std::wstring(kMarker) + L" " + link.entry_id + L"\r\n" + task.Body());
  auto properties = appointment.UserProperties();
  // The appointment lands in the user's own calendar, whichever store holds the task.
  for (const auto& [name, value] : LinkPropertiesOf(link.entry_id, link.key, link.store_id))
    SetTextProperty(host::Require(properties), name, value);
  // A private task's subject and body stay hidden from those who share the calendar.
  appointment.SetSensitivity(task.Sensitivity());
  appointment.SetCategories(task.Categories());
  const host::DateTime start = NextHalfHour(now);
  appointment.SetStart(start);
  appointment.SetDuration(ScheduledMinutes(task.TotalWork(), task.ActualWork()));
  // A reminder due by now would fire the moment the appointment is saved: it fires at the start.
  if (SecondsOf(start) - SecondsOf(now) <= 60LL * appointment.ReminderMinutesBeforeStart())
    appointment.SetReminderMinutesBeforeStart(0);
  appointment.Display();
}

}  // namespace

Ran ScheduleTask(const Session& session, const host::ItemRef& task_ref,
                 const OperationRow& row) noexcept {
  auto& platform = session.platform;
  const auto& app = session.app;
  const std::wstring& task_entry_id = task_ref.entry_id;
  Ref<host::Item> shown;
  RunReporting(platform, host::NameOf(row.operation), [&] {
    if (task_entry_id.empty()) {
      host::ShowMessage(platform, host::kNoEntryIdMessage);
      return;
    }
    auto ns = host::Require(app).GetNamespace(L"MAPI");
    auto task = AsTask(host::Require(ns).GetItemFromID(task_entry_id, task_ref.store_id));
    if (!task) {
      host::ShowMessage(platform, host::kNoItemMessage);
      return;
    }
    // An older task, or one made on a phone, has no stamp yet: it gets the one a save gives.
    StampAddedTask(*task, app, session.saves);
    const LinkedTo link{task->EntryID(), TaskKeyOf(*task),
                        task_ref.store_id.empty() ? StoreOf(*task) : task_ref.store_id};
    const host::DateTime now = platform.ReadClock().local;
    auto appointment = app->CreateItem(host::kOlAppointmentItem);
    auto& made = host::Require(appointment);
    try {
      Prepare(made, *task, link, now);
    } catch (...) {
      // Never saved, it is gone once its window is: nothing half-made stays behind.
      try {
        made.Close(host::kOlDiscard);
      } catch (...) {
      }
      throw;
    }
    shown = std::move(appointment);
  });
  return {shown, shown != nullptr};
}

}  // namespace fenmark::links
