#pragma once
// The end-to-end scenarios, written once and run by both builds: natively against Connect, and
// under Wine against Fenmark.dll through COM. Each scenario plays user actions on a fresh
// simulated Outlook and ends with the add-in's disconnection and release (transcript.h plays it).

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "tests/parity/hours_scenarios.h"
#include "tests/parity/linking_scenarios.h"
#include "tests/parity/moved_scenarios.h"
#include "tests/parity/send_file_scenarios.h"
#include "tests/parity/stage.h"

namespace fenmark::parity {

using support::kOutlook12Version;

inline void SendMailFromMarkupMenu(Stage& s) {
  auto task = s.SendToTask(L"RE: Budget 2024 / Q3?", L"Figures attached.\r\nRegards");
  if (!task) return s.Note(L"no task window");
  s.outlook.UserTypes(task, L"Call Bo. ");
  s.outlook.UserSave(task);
  auto appointment = s.outlook.ScheduleTask(task);
  s.Note(L"scheduled, linked: " +
         YesNo(appointment.UserProperty(L"TaskLinkEntryID") == task.EntryID()));
}

inline void SendMailFromCommandBar(Stage& s) {
  s.outlook.SetVersion(kOutlook12Version);
  auto post = s.outlook.ReceivePost(L"Team notes", L"Agenda: <items> & more");
  auto menu = s.outlook.RightClick({post});
  s.NoteMenu(menu);
  s.NoteClick(L"Send to Ostrand", menu.ClickCaption(L"Send to Ostrand"));
  s.Note(L"cancel default: " + std::wstring(menu.LastCancelDefault() ? L"true" : L"false"));
  auto task = s.outlook.ActiveWindowItem();
  if (!task) return s.Note(L"no task window");
  s.outlook.CloseWindow(task, true);
  s.outlook.ScheduleTask(task, L"Scheduled from the task");
}

inline void ActionsFromTheTab(Stage& s) {
  auto appointment = s.LinkedAppointment(L"Q3 figures", L"Task notes");
  s.outlook.OpenItem(appointment);
  s.NoteTab(appointment);
  for (const wchar_t* id : {L"VB_StartTask", L"VB_StopTask", L"VB_OpenTask", L"VB_CompleteTask"}) {
    s.NoteClick(id, s.outlook.ClickTabButton(id, appointment));
    s.NoteTab(appointment);
  }
}

// Start, stop, open and complete, each from a fresh context menu: the markup's or Outlook 12's.
inline void ActionsFromTheMenu(Stage& s, bool command_bar) {
  if (command_bar) s.outlook.SetVersion(kOutlook12Version);
  auto appointment = s.LinkedAppointment(L"Q3 figures", L"Task notes");
  const wchar_t* ids[] = {L"VBX_Start_Ostrand_Task", L"VBX_Stop_Ostrand_Task",
                          L"VBX_Open_Ostrand_Task", L"VBX_Fenmark"};
  const wchar_t* captions[] = {L"Start Ostrand Task", L"Stop Ostrand Task", L"Open Ostrand Task",
                               L"Fenmark"};
  for (int i = 0; i < 4; ++i) {
    auto menu = s.outlook.RightClick({appointment});
    s.NoteMenu(menu);
    s.NoteClick(command_bar ? captions[i] : ids[i],
                command_bar ? menu.ClickCaption(captions[i]) : menu.ClickRibbonEntry(ids[i]));
  }
  s.NoteMenu(s.outlook.RightClick({appointment}));
}

// Every operation with no entry ID handed over: a fresh add-in has none.
inline void NoEntryId(Stage& s) {
  for (const wchar_t* name :
       {L"VBX_CopyToTask", L"VBX_CompleteTask", L"VBX_OpenTask", L"VBX_StartTask", L"VBX_StopTask"})
    s.Callback(name, L"VBX_Any");
  // The tab with no window in front fails back to Office, without a message.
  s.Callback(L"VB_StartTask", L"VB_StartTask");
}

// The item behind a menu is gone by the time of the click.
inline void UnknownEntryId(Stage& s) {
  auto mail = s.outlook.ReceiveMail(L"Budget", L"Figures");
  s.outlook.Select({mail});
  auto mail_menu = s.outlook.ShowContextMenu(sim::kMailItemMenu);
  s.outlook.DeleteItem(mail);
  s.NoteClick(L"Send to Ostrand", mail_menu.ClickRibbonEntry(L"VBX_Send_To_Ostrand"));
  for (const wchar_t* id : {L"VBX_Fenmark", L"VBX_Open_Ostrand_Task", L"VBX_Start_Ostrand_Task",
                            L"VBX_Stop_Ostrand_Task"}) {
    auto appointment = s.LinkedAppointment(L"Review", L"Notes");
    if (std::wstring(id) == L"VBX_Stop_Ostrand_Task") s.StartFromMenu(appointment);
    auto menu = s.outlook.RightClick({appointment});
    s.outlook.DeleteItem(appointment);
    s.NoteClick(id, menu.ClickRibbonEntry(id));
  }
}

inline void DeletedTask(Stage& s) {
  s.outlook.SetVersion(kOutlook12Version);
  for (const wchar_t* caption :
       {L"Fenmark", L"Open Ostrand Task", L"Start Ostrand Task", L"Stop Ostrand Task"}) {
    auto appointment = s.LinkedAppointment(L"Review", L"Notes");
    if (std::wstring(caption) == L"Stop Ostrand Task") s.StartFromMenu(appointment);
    auto menu = s.outlook.RightClick({appointment});
    s.outlook.DeleteItem(s.TaskOf(appointment));
    s.NoteClick(caption, menu.ClickCaption(caption));
  }
}

inline void UnlinkedAppointment(Stage& s) {
  for (const wchar_t* id : {L"VB_CompleteTask", L"VB_OpenTask", L"VB_StartTask", L"VB_StopTask"}) {
    auto appointment = s.LinkedAppointment(L"Review", L"Notes");
    if (std::wstring(id) == L"VB_StopTask") s.StartFromMenu(appointment);
    s.outlook.OpenItem(appointment);
    s.NoteTab(appointment);
    appointment.RemoveUserProperty(L"TaskLinkEntryID");
    appointment.SetBody(L"Notes");  // without the marker line, which would name the task too
    s.outlook.UserSave(appointment);
    s.NoteClick(id, s.outlook.ClickTabButton(id, appointment));
    if (appointment.WindowOpen()) s.outlook.CloseWindow(appointment, false);
  }
  auto unlinked = s.outlook.CreateAppointment(L"Dentist", L"No task here");
  s.NoteMenu(s.outlook.RightClick({unlinked}));
}

inline void NoWordDocument(Stage& s) {
  s.outlook.SetWordAvailableByDefault(false);
  s.Send(s.outlook.ReceiveMail(L"Budget", L"Figures"));
  for (const wchar_t* id : {L"VBX_Fenmark", L"VBX_Open_Ostrand_Task", L"VBX_Start_Ostrand_Task",
                            L"VBX_Stop_Ostrand_Task"}) {
    auto appointment = s.LinkedAppointment(L"Review", L"Notes");
    if (std::wstring(id) == L"VBX_Stop_Ostrand_Task") s.StartFromMenu(appointment);
    s.MenuClick(id, appointment, id);
  }
}

// A host failure in the middle of an operation is reported under its name, and the temporary
// files still go.
inline void HostFailureMidway(Stage& s) {
  auto mail = s.outlook.ReceiveMail(L"Budget", L"Figures");
  s.outlook.FailCallsTo(L"AttachmentCollection.Add", sim::kFailed, L"The attachment was refused.");
  s.Send(mail);
  s.outlook.ClearFaults();
  auto appointment = s.LinkedAppointment(L"Review", L"Notes");
  s.outlook.FailCallsTo(L"Item.Save", sim::kFailed, L"The item could not be saved.");
  s.MenuClick(L"Start", appointment, L"VBX_Start_Ostrand_Task");
  s.outlook.ClearFaults();
}

// Subjects Windows would not take as file names as they stand: a device, a device with an
// extension, the longest subject Outlook allows, trailing dots. Each still becomes a task with
// the mail attached, without a message and without a file left behind.
inline void SubjectsWindowsRefuses(Stage& s) {
  for (const auto& subject : {std::wstring(L"CON"), std::wstring(L"nul.txt"), LongestSubject(),
                              std::wstring(L"Re: Minutes...")})
    s.Send(s.outlook.ReceiveMail(subject, L"Figures"));
}

// Start, then stop 90 minutes later.
inline void ActualWorkFromStartAndStop(Stage& s) {
  auto appointment = s.LinkedAppointment(L"Q3 figures", L"Task notes");
  s.StartFromMenu(appointment);
  auto task = s.TaskOf(appointment);
  if (MoveStartBack(s, task)) s.MenuClick(L"Stop", appointment, L"VBX_Stop_Ostrand_Task");
}

// A second start (from a menu built before the first) keeps the first start's time.
inline void TwoStartsThenAStop(Stage& s) {
  auto appointment = s.LinkedAppointment(L"Q3 figures", L"Task notes");
  auto stale = s.outlook.RightClick({appointment});
  s.StartFromMenu(appointment);
  auto task = s.TaskOf(appointment);
  if (!MoveStartBack(s, task)) return;
  s.NoteClick(L"Start again", stale.ClickRibbonEntry(L"VBX_Start_Ostrand_Task"));
  s.MenuClick(L"Stop", appointment, L"VBX_Stop_Ostrand_Task");
  s.Note(L"actual work: " + std::to_wstring(task.ActualWork()));
}

// Word in Overtype mode: start, stop and complete keep every character of the task's body.
inline void ActionsInOvertypeMode(Stage& s) {
  s.outlook.SetOvertype(true);
  auto appointment = s.LinkedAppointment(L"Q3 figures", L"Task notes");
  for (const wchar_t* id : {L"VBX_Start_Ostrand_Task", L"VBX_Stop_Ostrand_Task", L"VBX_Fenmark"})
    s.MenuClick(id, appointment, id);
  const auto body = s.TaskOf(appointment).Body();
  s.Note(L"body kept: " + YesNo(body.size() > 12 && body.ends_with(L"\r\nTask notes")));
  s.Note(L"overtype after: " + std::wstring(s.outlook.Overtype() ? L"on" : L"off"));
}

// Subjects in other scripts, or with nothing a name can hold, name the attachment.
inline void SubjectsInEveryScript(Stage& s) {
  for (const wchar_t* subject :
       {L"\u00dcbersicht \u2013 Gr\u00f6\u00dfe", L"\u4f1a\u8bae\u7eaa\u8981", L"???",
        L"Re: Minutes...", L"CONIN$"}) {
    auto task = s.Send(s.outlook.ReceiveMail(subject, L"Figures"), false);
    if (task && !task.Attachments().empty())
      s.Note(L"attached as: " + task.Attachments()[0].display_name);
  }
}

// A mail with pictures and the longest subject, in a temporary folder of 100 characters: every
// path of its HTML save fits, and nothing stays behind.
inline void LongSubjectWithPicturesInALongTempFolder(Stage& s) {
  const std::wstring temp = s.addin.TempFolder() + L"\\";
  s.addin.UseTempFolder(temp + std::wstring(100 - temp.size(), L'p'));
  auto mail = s.outlook.ReceiveMail(LongestSubject(), L"See the charts.");
  mail.SetPictures(3);
  s.Send(mail);
}

// Two windows of appointments whose tasks differ: a refresh asks each tab about its own window.
inline void TwoWindows(Stage& s) {
  auto done = s.LinkedAppointment(L"Q3 figures", L"Task notes");
  s.outlook.RightClick({done}).ClickRibbonEntry(L"VBX_Fenmark");
  auto stopped = s.LinkedAppointment(L"Budget", L"Notes");
  s.outlook.OpenItem(done);
  s.outlook.OpenItem(stopped);
  s.NoteTab(done);
  s.NoteTab(stopped);
  s.NoteClick(L"VB_StartTask", s.outlook.ClickTabButton(L"VB_StartTask", stopped));
  s.NoteTab(done);
  s.NoteTab(stopped);
}

// A menu raised outside the main list (the To-Do Bar) is about its own item, not the main
// window's selection, in the markup menu and the command-bar menu alike.
inline void RightClickOutsideTheList(Stage& s) {
  auto started = s.LinkedAppointment(L"Q3 figures", L"Task notes");
  s.StartFromMenu(started);
  auto other = s.LinkedAppointment(L"Budget", L"Notes");
  s.outlook.Select({started});
  auto menu = s.outlook.RightClickOutside({other});
  s.NoteMenu(menu);
  s.NoteClick(L"VBX_Start_Ostrand_Task", menu.ClickRibbonEntry(L"VBX_Start_Ostrand_Task"));
  s.outlook.SetVersion(kOutlook12Version);
  s.outlook.Select({});
  menu = s.outlook.RightClickOutside({other});
  s.NoteMenu(menu);
  s.NoteClick(L"Stop Ostrand Task", menu.ClickCaption(L"Stop Ostrand Task"));
}

// A task changed from a context menu while its appointment's window is open: the tab follows.
inline void MenuActionWithTheWindowOpen(Stage& s) {
  auto appointment = s.LinkedAppointment(L"Q3 figures", L"Task notes");
  s.outlook.OpenItem(appointment);
  s.NoteTab(appointment);
  s.StartFromMenu(appointment);
  s.NoteTab(appointment);
  s.NoteClick(L"VB_StartTask", s.outlook.ClickTabButton(L"VB_StartTask", appointment));
  s.outlook.SetVersion(kOutlook12Version);
  s.NoteClick(L"Stop Ostrand Task",
              s.outlook.RightClick({appointment}).ClickCaption(L"Stop Ostrand Task"));
  s.NoteTab(appointment);
}

// Office routes a command-bar click to every button with the same tag: another program's buttons
// with generic tags reach none of the add-in's handlers, and the add-in's reach none of theirs.
inline void ForeignButtons(Stage& s) {
  s.outlook.SetVersion(kOutlook12Version);
  auto appointment = s.LinkedAppointment(L"Q3 figures", L"Task notes");
  for (const wchar_t* tag :
       {L"CopyToTask", L"CompleteTask", L"OpenTask", L"StartTask", L"StopTask"}) {
    auto foreign = s.outlook.RightClick({appointment});
    const int at = foreign.AddForeignButton(L"Other program", tag, appointment.EntryID());
    s.NoteClick(L"foreign " + std::wstring(tag), foreign.Click(at));
    s.Note(L"its handler ran " + std::to_wstring(foreign.Control(at).foreign_handler_runs) +
           L" times");
  }
  auto last = s.outlook.RightClick({appointment});
  const int at = last.AddForeignButton(L"Other program", L"StartTask", appointment.EntryID());
  s.NoteClick(L"Start Ostrand Task", last.ClickCaption(L"Start Ostrand Task"));
  s.Note(L"the other program's handler ran " +
         std::to_wstring(last.Control(at).foreign_handler_runs) + L" times");
}

// Text outside the ANSI code page reaches the attachment intact, and the pictures that the HTML
// rendering writes beside its file go with the working folder.
inline void UnicodeMailWithPictures(Stage& s) {
  const std::wstring subject = L"Zaż\u00f3łć gęślą jaźń \u4f1a\u8b70 \u03a9";
  auto mail = s.outlook.ReceiveMail(subject, L"Cześć,\r\n\u6771\u4eac\u3067");
  mail.SetPictures(2);
  if (auto task = s.Send(mail, false); task && !task.Attachments().empty())
    s.Note(L"attached subject intact: " +
           YesNo(sim::MessageFileSubject(task.Attachments()[0].content) == subject));
}

// A shared mailbox's mail and a delegate's calendar: items found only with their store's ID.
inline void SecondStore(Stage& s) {
  s.Send(
      s.outlook.AddItem(host::kOlMail, L"Team budget", L"Shared", sim::FolderKind::kSharedInbox));
  auto [task, appointment] = LinkInSecondStore(s.outlook, L"Stopped");
  for (const wchar_t* id : {L"VBX_Start_Ostrand_Task", L"VBX_Open_Ostrand_Task"}) {
    auto menu = s.outlook.RightClick({appointment});
    s.NoteMenu(menu);
    s.NoteClick(id, menu.ClickRibbonEntry(id));
  }
  s.outlook.OpenItem(appointment);
  s.NoteClick(L"VB_StopTask", s.outlook.ClickTabButton(L"VB_StopTask"));
  s.outlook.CloseWindow(appointment, false);
  s.outlook.SetVersion(kOutlook12Version);
  auto menu = s.outlook.RightClick({appointment});
  s.NoteMenu(menu);
  s.NoteClick(L"Fenmark", menu.ClickCaption(L"Fenmark"));
}

// The user has text selected in the open task window: the note goes before it.
inline void SelectionInTheTaskWindow(Stage& s) {
  auto appointment = s.LinkedAppointment(L"Q3 figures", L"Keep this text");
  auto task = s.TaskOf(appointment);
  s.outlook.OpenItem(task);
  task.SetSelection(5, 4);
  s.MenuClick(L"Start", appointment, L"VBX_Start_Ostrand_Task");
}

inline const std::vector<Scenario>& Scenarios() {
  static const std::vector<Scenario> all = {
      {L"send mail to task from the markup menu", SendMailFromMarkupMenu},
      {L"send post to task from the command bar", SendMailFromCommandBar},
      {L"start, stop, open, complete from the tab", ActionsFromTheTab},
      {L"start, stop, open, complete from the markup menu",
       [](Stage& s) { ActionsFromTheMenu(s, false); }},
      {L"start, stop, open, complete from the command bar",
       [](Stage& s) { ActionsFromTheMenu(s, true); }},
      {L"every operation without an entry ID", NoEntryId},
      {L"every operation on an unknown entry ID", UnknownEntryId},
      {L"every task action on a deleted task", DeletedTask},
      {L"every tab action on an unlinked appointment", UnlinkedAppointment},
      {L"every operation without a Word document", NoWordDocument},
      {L"host failures midway", HostFailureMidway},
      {L"subjects Windows refuses as file names", SubjectsWindowsRefuses},
      {L"actual work from start and stop", ActualWorkFromStartAndStop},
      {L"two starts then a stop", TwoStartsThenAStop},
      {L"start, stop and complete in Overtype mode", ActionsInOvertypeMode},
      {L"subjects in every script", SubjectsInEveryScript},
      {L"a long subject with pictures in a long temporary folder",
       LongSubjectWithPicturesInALongTempFolder},
      {L"two appointment windows refreshed", TwoWindows},
      {L"a calendar item right-clicked outside the main list", RightClickOutsideTheList},
      {L"a menu action with the appointment window open", MenuActionWithTheWindowOpen},
      {L"other programs' buttons with generic tags", ForeignButtons},
      {L"a Unicode mail with pictures", UnicodeMailWithPictures},
      {L"a page that fetches from elsewhere", PageThatFetchesFromElsewhere},
      {L"other programs' folders beside a send", OtherProgramsFoldersBesideASend},
      {L"a second store's mail and calendar", SecondStore},
      {L"a selection in the task window", SelectionInTheTaskWindow},
      {L"a tab drawing, then a menu", TabThenMenu},
      {L"a network error while drawing", NetworkErrorWhileDrawing},
      {L"a second store's task remembered", SecondStoreRemembered},
      {L"events after the disconnection", EventsAfterDisconnection},
      {L"links without the add event", LinksWithoutTheAddEvent},
      {L"task windows and tabs", TaskWindowsAndTabs},
      {L"schedule from every surface", ScheduleFromEverySurface},
      {L"a calendar that cannot be had at connection", CalendarFailingAtConnection,
       [](sim::Outlook& outlook) {
         outlook.FailCallsTo(L"Namespace.GetDefaultFolder", static_cast<std::int32_t>(0x80040115),
                             L"The connection to Microsoft Exchange is unavailable.");
       }},
      {L"a file held at clean-up", FileHeldAtCleanUp},
      {L"keys through moves and copies", KeysThroughMovesAndCopies},
      {L"schedule from a shared mailbox's task", ScheduleFromASharedTask},
      {L"only the user's own links", OnlyTheUsersOwnLinks},
      {L"a save while a box is up", SaveWhileABoxIsUp},
      {L"a forgotten stop answered yes, no and cancel", ForgottenStopAnswered},
      {L"a fifty-minute session", FiftyMinuteSession},
      {L"a task completed in its window while started", CompletedInItsWindowWhileStarted},
      {L"start into the user's task window", StartIntoTheUsersWindow},
      {L"a failed complete from the tab", FailedCompleteFromTheTab},
      {L"a recurring task completed", RecurringTaskCompleted},
      {L"schedule of a private task", SchedulePrivateTask},
      {L"a task moved to a subfolder, opened from its appointment", MovedToASubfolder},
      {L"a task in Deleted Items, opened from its appointment", InDeletedItems},
      {L"a task gone for good, opened from its appointment", GoneForGood},
      {L"a task moved into an archive, opened from its appointment", MovedIntoAnArchive},
  };
  return all;
}

}  // namespace fenmark::parity
