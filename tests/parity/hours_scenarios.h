#pragma once
// Scenarios of the user's hours and windows: long sessions asked about, Stop on a task completed
// by hand, notes at the top of a window the user works in, Complete from the tab that fails, a
// recurring task, and Schedule of a private task.

#include <string>

#include "tests/parity/stage.h"

namespace fenmark::parity {

// The user's answer to every box from now on.
inline void Answer(Stage& s, int button) {
  s.outlook.SetMessageBoxHandler([button](const sim::MessageBoxRecord&) { return button; });
}

// A started task whose Stop was forgotten for four days; returns its appointment.
inline sim::SimItem ForgottenStop(Stage& s, const std::wstring& subject) {
  auto appointment = s.LinkedAppointment(subject, L"Task notes");
  s.StartFromMenu(appointment);
  auto task = s.TaskOf(appointment);
  MoveStartBack(s, task, 96 * 60);
  return appointment;
}

// Yes from the markup menu's Stop, No from Outlook 12's Complete, Cancel from the tab's Complete.
inline void ForgottenStopAnswered(Stage& s) {
  Answer(s, host::kIdYes);
  s.MenuClick(L"Stop", ForgottenStop(s, L"Kept"), L"VBX_Stop_Ostrand_Task");
  Answer(s, host::kIdNo);
  auto discarded = ForgottenStop(s, L"Discarded");
  s.outlook.SetVersion(support::kOutlook12Version);
  s.NoteClick(L"Fenmark", s.outlook.RightClick({discarded}).ClickCaption(L"Fenmark"));
  s.outlook.SetVersion(support::kOutlook14Version);
  Answer(s, host::kIdCancel);
  auto cancelled = ForgottenStop(s, L"Cancelled");
  s.outlook.OpenItem(cancelled);
  s.NoteClick(L"VB_CompleteTask", s.outlook.ClickTabButton(L"VB_CompleteTask", cancelled));
  s.Note(L"appointment window open: " + YesNo(cancelled.WindowOpen()));
  s.NoteTab(cancelled);
}

inline void FiftyMinuteSession(Stage& s) {
  auto appointment = s.LinkedAppointment(L"Q3 figures", L"Task notes");
  s.StartFromMenu(appointment);
  auto task = s.TaskOf(appointment);
  if (MoveStartBack(s, task, 50)) s.MenuClick(L"Stop", appointment, L"VBX_Stop_Ostrand_Task");
}

// Ticked complete in Outlook's own window while started: Stop stays offered and leaves it complete.
inline void CompletedInItsWindowWhileStarted(Stage& s) {
  auto appointment = s.LinkedAppointment(L"Q3 figures", L"Task notes");
  s.StartFromMenu(appointment);
  auto task = s.TaskOf(appointment);
  s.outlook.OpenItem(task);
  task.SetComplete(true);
  s.outlook.CloseWindow(task, true);
  auto menu = s.outlook.RightClick({appointment});
  s.NoteMenu(menu);
  s.NoteClick(L"VBX_Stop_Ostrand_Task", menu.ClickRibbonEntry(L"VBX_Stop_Ostrand_Task"));
  s.Note(L"complete: " + YesNo(task.Complete()));
  s.NoteMenu(s.outlook.RightClick({appointment}));
}

// The user types in the middle of the task's body, a word selected, when Start comes from the
// calendar: the note goes at the top, the selection and the window stay.
inline void StartIntoTheUsersWindow(Stage& s) {
  auto appointment = s.LinkedAppointment(L"Q3 figures", L"Call Bo about the figures");
  auto task = s.TaskOf(appointment);
  s.outlook.OpenItem(task);
  task.SetInsertionPoint(8);
  s.outlook.UserTypes(task, L"and Ann ");
  task.SetSelection(22, 3);  // "the"
  s.MenuClick(L"Start", appointment, L"VBX_Start_Ostrand_Task");
  s.Note(L"selected: " + task.Body().substr(task.InsertionPoint(), 3));
  s.Note(L"task window open: " + YesNo(task.WindowOpen()));
}

// The task is gone when the user completes it from the appointment's tab, with an edit unsaved.
inline void FailedCompleteFromTheTab(Stage& s) {
  auto appointment = s.LinkedAppointment(L"Q3 figures", L"Task notes");
  s.outlook.OpenItem(appointment);
  s.outlook.UserTypes(appointment, L"Half-typed ");
  s.outlook.DeleteItem(s.TaskOf(appointment));
  s.NoteClick(L"VB_CompleteTask", s.outlook.ClickTabButton(L"VB_CompleteTask", appointment));
  s.Note(L"appointment window open: " + YesNo(appointment.WindowOpen()) + L", unsaved: " +
         YesNo(appointment.Dirty()));
}

inline void RecurringTaskCompleted(Stage& s) {
  auto appointment = s.LinkedAppointment(L"Weekly report", L"Task notes");
  auto task = s.TaskOf(appointment);
  task.SetRecurring(true);
  task.SetActualWork(30);
  s.outlook.UserSave(task);
  s.StartFromMenu(appointment);
  if (!MoveStartBack(s, task)) return;
  s.MenuClick(L"Fenmark", appointment, L"VBX_Fenmark");
  s.NoteMenu(s.outlook.RightClick({appointment}));
}

// A private, categorised task scheduled, the user's default reminder half an hour: the slot is at
// most that far, so the reminder goes to the start whatever the clock reads.
inline void SchedulePrivateTask(Stage& s) {
  s.outlook.SetDefaultReminder(30);
  auto task = s.outlook.CreateTask(L"Appraisal", L"Salary figures");
  task.SetSensitivity(host::kOlPrivate);
  task.SetCategories(L"Personal, HR");
  s.outlook.UserSave(task);
  s.NoteClick(L"VBX_Schedule_Ostrand_Task",
              s.outlook.RightClick({task}).ClickRibbonEntry(L"VBX_Schedule_Ostrand_Task"));
  auto shown = s.outlook.ActiveWindowItem();
  if (shown) s.outlook.UserSave(shown);
}

}  // namespace fenmark::parity
