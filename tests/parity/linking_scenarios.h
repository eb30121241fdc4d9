#pragma once
// The end-to-end scenarios of how a task is found from its appointment and drawn: readings per
// drawing, stores, links made without the add event, task windows, Schedule, and a machine that
// withholds a folder or a file, and events after the disconnection. Played by both builds, as
// those of scenarios.h.

#include <optional>
#include <string>

#include "tests/parity/stage.h"

namespace fenmark::parity {

using support::kOutlook12Version;

// A drawing is one surface and one item: the tab's reading is not the next menu's.
inline void TabThenMenu(Stage& s) {
  auto appointment = s.LinkedAppointment(L"Q3 figures", L"Task notes");
  s.outlook.OpenItem(appointment);
  s.NoteTab(appointment);
  s.outlook.DeleteItem(s.TaskOf(appointment));
  s.NoteMenu(s.outlook.RightClickOutside({appointment}));
  s.outlook.SetVersion(kOutlook12Version);
  s.NoteMenu(s.outlook.RightClickOutside({appointment}));
}

// Offline: no box while a menu or a tab is drawn; a command run all the same reports once.
inline void NetworkErrorWhileDrawing(Stage& s) {
  auto appointment = s.LinkedAppointment(L"Q3 figures", L"Task notes");
  s.outlook.SetVersion(kOutlook12Version);
  auto drawn_online = s.outlook.RightClick({appointment});
  s.outlook.FailCallsTo(L"Namespace.GetItemFromID", -2147221227, L"Network problems");
  s.NoteMenu(s.outlook.RightClick({appointment}));
  s.outlook.SetVersion(support::kOutlook14Version);
  s.NoteMenu(s.outlook.RightClick({appointment}));
  s.outlook.OpenItem(appointment);
  s.NoteTab(appointment);
  s.Note(L"boxes while drawing: " + std::to_wstring(s.addin.MessageBoxes().size()));
  s.Callback(L"VBX_OpenTask", L"VBX_Open_Ostrand_Task");
  s.NoteClick(L"Start Ostrand Task", drawn_online.ClickCaption(L"Start Ostrand Task"));
  s.outlook.ClearFaults();
}

// A second store's task: one lookup per drawing from the second drawing on; callbacks without a
// control; clicks whose Selection is not one accepted item act on nothing.
inline void SecondStoreRemembered(Stage& s) {
  auto [task, appointment] = LinkInSecondStore(s.outlook, L"Stopped");
  for (int drawing = 1; drawing <= 2; ++drawing) {
    const int before = s.outlook.CountCalls(L"Namespace.GetItemFromID");
    s.NoteMenu(s.outlook.RightClick({appointment}));
    s.Note(L"lookups: " +
           std::to_wstring(s.outlook.CountCalls(L"Namespace.GetItemFromID") - before));
  }
  s.Note(L"VBX_GetVisible(Nothing): " +
         std::wstring(s.addin.Ribbon().GetBool(L"VBX_GetVisible", nullptr) ? L"true" : L"false"));
  auto mail = s.outlook.ReceiveMail(L"Budget", L"Figures");
  s.outlook.Select({mail, appointment});
  s.addin.Ribbon().Action(
      L"VBX_StartTask",
      support::Control(L"VBX_Start_Ostrand_Task",
                   {nullptr, s.outlook.Application()->ActiveExplorer()->Selection(), nullptr}));
  s.Note(L"status after: " + task.UserProperty(L"OstrandStatus").value_or(L"(none)"));
}

// After the disconnection nothing of the add-in is connected, and events change nothing.
inline void EventsAfterDisconnection(Stage& s) {
  s.outlook.SetVersion(kOutlook12Version);
  auto task = s.outlook.CreateTask(L"Watched");
  s.outlook.OpenItem(task);
  auto mail = s.outlook.ReceiveMail(L"Budget", L"Figures");
  auto menu = s.outlook.RightClick({mail});
  s.outlook.LoadRibbon(sim::kAppointmentRibbon);
  s.Note(L"connections: " + std::to_wstring(s.outlook.EventConnections()));
  s.Note(L"disconnect: " + s.addin.Disconnect());
  s.Note(L"connections: " + std::to_wstring(s.outlook.EventConnections()));
  const auto calls = s.outlook.CallCount();
  s.outlook.UserSave(task);
  menu.ClickCaption(L"Send to Ostrand");
  s.outlook.RightClick({mail});
  s.outlook.ScheduleTask(task);
  s.Note(L"calls after: " + std::to_wstring(s.outlook.CallCount() - calls));
}

// Appointments whose add event never came name their task by the marker line: one of many that
// arrived at once, one saved into a calendar subfolder. The first command links and acts.
inline void LinksWithoutTheAddEvent(Stage& s) {
  auto task = s.outlook.CreateTask(L"Q3 figures", L"Task notes");  // made in the task list
  s.Note(L"task stamped: " + YesNo(task.UserProperty(L"TaskLinkEntryID") == task.EntryID()));
  s.outlook.SetAddEventsDropped(sim::FolderKind::kCalendar, true);
  auto dropped = s.outlook.ScheduleTask(task);
  auto elsewhere = s.outlook.ScheduleTask(task, std::nullopt, sim::FolderKind::kOtherCalendar);
  s.outlook.SetAddEventsDropped(sim::FolderKind::kCalendar, false);
  s.NoteMenu(s.outlook.RightClick({dropped}));
  s.outlook.OpenItem(elsewhere);
  s.NoteTab(elsewhere);
  s.NoteClick(L"VB_StartTask", s.outlook.ClickTabButton(L"VB_StartTask", elsewhere));
  s.Note(L"linked: " + YesNo(elsewhere.UserProperty(L"TaskLinkEntryID") == task.EntryID()));
  s.outlook.SetVersion(kOutlook12Version);
  auto menu = s.outlook.RightClick({dropped});
  s.NoteMenu(menu);
  s.NoteClick(L"Stop Ostrand Task", menu.ClickCaption(L"Stop Ostrand Task"));
}

// With two task windows open a save in the older one stamps its task; an open appointment's tab
// follows the add event that links it late and the task saved in its own window.
inline void TaskWindowsAndTabs(Stage& s) {
  s.outlook.SetAddEventsDropped(sim::FolderKind::kTasks, true);
  auto older = s.outlook.CreateTask(L"Older");
  auto newer = s.outlook.CreateTask(L"Newer");
  s.outlook.SetAddEventsDropped(sim::FolderKind::kTasks, false);
  s.outlook.OpenItem(older);
  s.outlook.OpenItem(newer);
  s.outlook.UserSave(older);
  s.Note(L"older stamped: " + YesNo(older.UserProperty(L"TaskLinkEntryID") == older.EntryID()));
  s.outlook.SetAddEventsDropped(sim::FolderKind::kCalendar, true);
  auto appointment = s.outlook.ScheduleTask(older);
  s.outlook.SetAddEventsDropped(sim::FolderKind::kCalendar, false);
  s.outlook.OpenItem(appointment);
  s.NoteTab(appointment);
  s.outlook.AddToCalendar(appointment);
  s.Note(L"invalidated: " + std::to_wstring(s.outlook.InvalidateCount(sim::kAppointmentRibbon)));
  older.SetComplete(true);
  s.outlook.UserSave(older);
  s.NoteTab(appointment);
}

// Schedule from the task window, the task menu and Outlook 12's menu, for an older task without
// its stamp: each shows a linked appointment whose tab offers the task once saved, add event or
// not. No reminder shorter than the slot is ever away: the DLL's runs read the real clock.
inline void ScheduleFromEverySurface(Stage& s) {
  s.outlook.SetDefaultReminder(0);
  s.outlook.SetAddEventsDropped(sim::FolderKind::kTasks, true);
  auto task = s.outlook.CreateTask(L"Q3 figures", L"Task notes");
  s.outlook.SetAddEventsDropped(sim::FolderKind::kTasks, false);
  s.outlook.SetAddEventsDropped(sim::FolderKind::kCalendar, true);
  const auto shown = [&s](const std::wstring& how, bool clicked) {
    s.NoteClick(how, clicked);
    auto appointment = s.outlook.ActiveWindowItem();
    if (!appointment || appointment.Class() != host::kOlAppointment)
      return s.Note(L"no appointment shown");
    s.outlook.UserSave(appointment);
    s.NoteTab(appointment);
    s.outlook.CloseWindow(appointment, false);
  };
  s.outlook.OpenItem(task);
  s.NoteTab(task);
  shown(L"VB_ScheduleTask", s.outlook.ClickTabButton(L"VB_ScheduleTask", task));
  s.outlook.CloseWindow(task, false);
  auto menu = s.outlook.RightClick({task});
  s.NoteMenu(menu);
  shown(L"VBX_Schedule_Ostrand_Task", menu.ClickRibbonEntry(L"VBX_Schedule_Ostrand_Task"));
  s.outlook.SetVersion(kOutlook12Version);
  menu = s.outlook.RightClick({task});
  s.NoteMenu(menu);
  shown(L"Schedule", menu.ClickCaption(L"Schedule"));
  // Offered for one saved task that is not complete only.
  auto done = s.outlook.CreateTask(L"Done");
  done.SetComplete(true);
  s.outlook.UserSave(done);
  for (const auto& version : {kOutlook12Version, support::kOutlook14Version}) {
    s.outlook.SetVersion(version);
    s.NoteMenu(s.outlook.RightClick({done}));
    s.NoteMenu(s.outlook.RightClick({done, task}));
  }
}

// The calendar cannot be had at start-up (a network error in online mode): the add-in connects
// without linking new appointments; the tab, the menus and Send to Ostrand work.
inline void CalendarFailingAtConnection(Stage& s) {
  s.outlook.ClearFaults();
  s.Note(L"tab markup loaded: " + YesNo(s.outlook.LoadRibbon(sim::kAppointmentRibbon)));
  auto task = s.SendToTask(L"Budget", L"Figures");
  if (!task) return s.Note(L"no task window");
  s.outlook.UserSave(task);
  auto appointment = s.outlook.ScheduleTask(task);
  s.Note(L"scheduled, linked: " + YesNo(!!appointment.UserProperty(L"TaskLinkEntryID")));
}

// A virus scanner still holds the attached file as the working folder goes: no box, the task
// shown as on success, the file left for the next run.
inline void FileHeldAtCleanUp(Stage& s) {
  s.outlook.HoldFile(s.addin.TempFolder() + L"\\Fenmark-0001\\Budget.msg");
  auto task = s.Send(s.outlook.ReceiveMail(L"Budget", L"Figures"));
  s.Note(L"task shown: " + YesNo(task && task.WindowOpen()) + L", attachments: " +
         std::to_wstring(task ? task.Attachments().size() : 0));
}

// A task keeps its key through a move (saved in its new folder) and a restore; a copy gets its
// own.
inline void KeysThroughMovesAndCopies(Stage& s) {
  auto task = s.outlook.CreateTask(L"Q3 figures", L"Task notes");
  const std::wstring first = task.EntryID();
  const auto key = [&](const sim::SimItem& item) {
    const auto value = item.UserProperty(L"OstrandTaskKey").value_or(L"(none)");
    return value == first            ? std::wstring(L"the first entry ID")
           : value == item.EntryID() ? std::wstring(L"its own")
                                     : value;
  };
  s.outlook.MoveItem(task, sim::FolderKind::kOtherTasks);
  s.outlook.OpenItem(task);
  s.outlook.UserSave(task);
  s.outlook.CloseWindow(task, false);
  s.Note(L"moved and saved, key: " + key(task));
  s.outlook.MoveItem(task, sim::FolderKind::kDeletedItems);
  s.outlook.MoveItem(task, sim::FolderKind::kTasks);
  s.Note(L"restored, key: " + key(task));
  s.Note(L"copy, key: " + key(s.outlook.CopyItem(task, sim::FolderKind::kTasks)));
  const int saves = task.SaveCount();
  s.outlook.OpenItem(task);
  s.outlook.UserSave(task);
  s.Note(L"a user's save of it, saves: " + std::to_wstring(task.SaveCount() - saves));
}

// Schedule from a shared mailbox's task: the appointment acts at once, its task asked for in
// its store.
inline void ScheduleFromASharedTask(Stage& s) {
  // No default reminder: the DLL's slot comes from the real clock, which the reminder would follow.
  s.outlook.SetDefaultReminder(0);
  auto task = s.outlook.AddItem(host::kOlTask, L"Team review", L"", sim::FolderKind::kSharedTasks);
  s.MenuClick(L"VBX_Schedule_Ostrand_Task", task, L"VBX_Schedule_Ostrand_Task");
  auto appointment = s.outlook.ActiveWindowItem();
  if (!appointment || appointment.Class() != host::kOlAppointment)
    return s.Note(L"no appointment shown");
  s.outlook.UserSave(appointment);
  s.outlook.CloseWindow(appointment, false);
  const int before = s.outlook.CountCalls(L"Namespace.GetItemFromID");
  auto menu = s.outlook.RightClick({appointment});
  s.NoteMenu(menu);
  s.Note(L"lookups: " + std::to_wstring(s.outlook.CountCalls(L"Namespace.GetItemFromID") - before));
  s.NoteClick(L"VBX_Start_Ostrand_Task", menu.ClickRibbonEntry(L"VBX_Start_Ostrand_Task"));
}

// Nothing links that is not the user's own link to a task: a received meeting, markers that name
// no entry ID or no task, a link the calendar refuses to save.
inline void OnlyTheUsersOwnLinks(Stage& s) {
  auto task = s.outlook.CreateTask(L"Q3 figures", L"Task notes");
  const auto marker = [](const std::wstring& id) { return L"TaskLinkEntryID: " + id + L"\r\n"; };
  auto meeting = s.outlook.ReceiveMeeting(L"Their review", marker(task.EntryID()));
  s.NoteMenu(s.outlook.RightClick({meeting}));
  const auto mail = s.outlook.ReceiveMail(L"Budget", L"Figures");
  for (const std::wstring& id :
       {std::wstring(), std::wstring(L"00G1"), std::wstring(1026, L'A'), mail.EntryID()}) {
    auto appointment = s.outlook.CreateAppointment(L"Marker", marker(id));
    s.MenuClick(L"VBX_Start_Ostrand_Task", appointment, L"VBX_Start_Ostrand_Task");
  }
  s.outlook.SetSavesRefused(sim::FolderKind::kCalendar, true);
  auto refused = s.outlook.ScheduleTask(task);
  s.Note(L"refused, properties: " + std::to_wstring(refused.UserProperties().size()));
}

// While a command's box is up the user saves another task: that save is the user's, stamped.
inline void SaveWhileABoxIsUp(Stage& s) {
  auto appointment = s.LinkedAppointment(L"Q3 figures", L"Task notes");
  s.outlook.SetWordAvailable(s.TaskOf(appointment), false);
  s.outlook.SetAddEventsDropped(sim::FolderKind::kTasks, true);
  auto other = s.outlook.CreateTask(L"Other");
  s.outlook.OpenItem(other);
  s.outlook.SetMessageBoxHandler([&s, other](const sim::MessageBoxRecord&) {
    s.outlook.UserSave(other);
    return 1;
  });
  s.MenuClick(L"VBX_Start_Ostrand_Task", appointment, L"VBX_Start_Ostrand_Task");
  s.outlook.SetMessageBoxHandler({});
  s.Note(L"other stamped: " + YesNo(other.UserProperty(L"TaskLinkEntryID") == other.EntryID()));
}

}  // namespace fenmark::parity
