#pragma once
// Host round trips per command, measured the same way by both builds: the calls the add-in makes
// on Outlook, Office and Word (the sim's call log, platform calls left out) while one click of
// a context-menu entry runs, beside the number of host calls that the command's algorithm itself
// makes. The measured number also holds the calls of the add-in's event handlers that the command
// sets off (a task window it opens raises NewInspector; each save of a task raises Write).

#include <functional>
#include <string>
#include <vector>

#include "sim/fidelity/fidelity.h"
#include "support/loaded_addin.h"

namespace fenmark::bench {

struct CommandRoundTrips {
  std::wstring command;
  int algorithm = 0;   // host calls of the operation's own steps
  int host_calls = 0;  // measured on the sim, handlers included
  long com_calls = 0;  // IDispatch::Invoke and vtable calls the click cost (COM builds only)
};

// The operation's own Outlook/Word calls, counted from its steps: CopyToTask 5 (namespace, item,
// new task, subject read and put) + AttachOrigItem 15 (subject, SaveAs, Attachments, Add,
// subject, SaveAs, GetInspector, WordEditor, GetInspector, Activate, Windows, Selection,
// TypeText, InsertFile, HomeKey) + Display; a note-writing action 6 (namespace, appointment,
// its UserProperties, Item, Value, task) + 2 (GetInspector, WordEditor) + 5 (GetInspector,
// Activate, Range, InsertBefore, Close) + 1 (MarkComplete or Status) + 3 (UserProperties, Item,
// Value put) + Save; OpenTask 6 + 4.
inline constexpr int kCopyToTaskCalls = 21;
inline constexpr int kNoteActionCalls = 18;
inline constexpr int kOpenTaskCalls = 10;

inline int HostCalls(const sim::Outlook& outlook) {
  int calls = 0;
  for (const auto& call : outlook.Calls())
    if (call.interface_name != L"Platform" && call.interface_name != L"HeldEntry") ++calls;
  return calls;
}

// `com_calls` reads a running count of COM calls (null where there is none).
// A task linked by the user (not watched by the add-in, its window closed) with the given status,
// scheduled into the calendar; returns the linked appointment.
inline sim::SimItem UserLinkedAppointment(sim::Outlook& outlook, const std::wstring& status) {
  auto task = outlook.CreateTask(L"Q3 figures", L"Task notes");
  task.SetUserProperty(L"TaskLinkEntryID", task.EntryID());
  task.SetUserProperty(L"OstrandStatus", status);
  outlook.UserSave(task);
  return outlook.ScheduleTask(task);
}

inline std::vector<CommandRoundTrips> MeasureRoundTrips(
    support::LoadedAddin& addin, const std::function<void(sim::Outlook&)>& prepare,
    const std::function<long()>& com_calls) {
  struct Command {
    const wchar_t* name;
    const wchar_t* entry;
    int algorithm;
  };
  const Command commands[] = {
      {L"CopyToTask", L"VBX_Send_To_Ostrand", kCopyToTaskCalls},
      {L"StartTask", L"VBX_Start_Ostrand_Task", kNoteActionCalls},
      {L"StopTask", L"VBX_Stop_Ostrand_Task", kNoteActionCalls},
      {L"OpenTask", L"VBX_Open_Ostrand_Task", kOpenTaskCalls},
      {L"CompleteTask", L"VBX_Fenmark", kNoteActionCalls},
  };
  std::vector<CommandRoundTrips> rows;
  for (const auto& command : commands) {
    sim::Outlook outlook;
    sim::UseOffice(outlook);
    if (prepare) prepare(outlook);
    addin.Create(outlook);
    outlook.AttachRibbon(&addin.Ribbon());
    addin.Connect();
    sim::ContextMenu menu;
    if (std::wstring(command.name) == L"CopyToTask") {
      outlook.Select({outlook.ReceiveMail(L"Budget", L"Figures")});
      menu = outlook.ShowContextMenu(sim::kMailItemMenu);
    } else {
      menu = outlook.RightClick({UserLinkedAppointment(
          outlook, std::wstring(command.name) == L"StopTask" ? L"Started" : L"Stopped")});
    }
    outlook.ClearCalls();
    const long com_before = com_calls ? com_calls() : 0;
    menu.ClickRibbonEntry(command.entry);
    rows.push_back({command.name, command.algorithm, HostCalls(outlook),
                    com_calls ? com_calls() - com_before : 0});
    addin.Disconnect();
    outlook.AttachRibbon(nullptr);
    addin.Release();
  }
  return rows;
}

}  // namespace fenmark::bench
