#pragma once
// What one end-to-end scenario does and sees: the simulated Outlook, the add-in as Outlook loads
// it, and the notes that go into the transcript beside the sim's own record.

#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "support/loaded_addin.h"

namespace fenmark::parity {

// A task in a second store (a shared mailbox or a delegate's) with that status, and an
// appointment in that store's calendar linked to it: both found only with the store's ID.
struct SecondStoreLink {
  sim::SimItem task, appointment;
};
inline SecondStoreLink LinkInSecondStore(sim::Outlook& outlook, const std::wstring& status) {
  auto task = outlook.AddItem(host::kOlTask, L"Team review", L"", sim::FolderKind::kSharedTasks);
  task.SetUserProperty(L"OstrandStatus", status);
  outlook.UserSave(task);
  auto appointment =
      outlook.AddItem(host::kOlAppointment, L"Team review", L"", sim::FolderKind::kSharedCalendar);
  appointment.SetUserProperty(L"TaskLinkEntryID", task.EntryID());
  outlook.UserSave(appointment);
  return {task, appointment};
}

inline std::wstring YesNo(bool yes) {
  return yes ? L"yes" : L"no";
}

// The longest subject Outlook allows.
inline std::wstring LongestSubject() {
  std::wstring subject;
  while (subject.size() < 255) subject += L"Quarterly figures " + std::to_wstring(subject.size());
  return subject.substr(0, 255);
}

// What one scenario does and sees.
class Stage {
 public:
  Stage(sim::Outlook& outlook, support::LoadedAddin& addin) : outlook(outlook), addin(addin) {}
  sim::Outlook& outlook;
  support::LoadedAddin& addin;

  void Note(const std::wstring& line) { notes.push_back(line); }
  // The tab of the window as it shows now; "tab:" alone once the window is closed.
  void NoteTab(const sim::SimItem& window) {
    std::wstring line = L"tab:";
    for (const auto& button : outlook.ShowTab(window))
      if (!button.on_action.empty()) line += L" " + button.id + (button.enabled ? L"+" : L"-");
    Note(line);
  }
  void NoteMenu(const sim::ContextMenu& menu) {
    std::wstring line = L"menu " + menu.IdMso() + L":";
    for (const auto& entry : menu.RibbonEntries())
      if (!entry.separator)
        line +=
            L" " + entry.id + (entry.visible ? L"" : L"(hidden)") + (entry.enabled ? L"+" : L"-");
    for (const auto& control : menu.Controls())
      if (control.added_by_addin)
        line += L" [" + control.caption + L"|" + control.tag + L"|" +
                (control.parameter.empty() ? L"" : L"param") + (control.enabled ? L"+" : L"-") +
                L"]";
    Note(line);
  }
  void NoteClick(const std::wstring& what, bool clicked) {
    Note(what + (clicked ? L" clicked" : L" not clickable"));
  }
  // A mail that arrives, sent to a task from its markup menu; the item of the window then in front.
  sim::SimItem SendToTask(const std::wstring& subject, const std::wstring& body) {
    outlook.Select({outlook.ReceiveMail(subject, body)});
    auto menu = outlook.ShowContextMenu(sim::kMailItemMenu);
    NoteMenu(menu);
    NoteClick(L"Send to Ostrand", menu.ClickRibbonEntry(L"VBX_Send_To_Ostrand"));
    return outlook.ActiveWindowItem();
  }
  // The item sent to a task from its markup menu, the click noted or not; the item then in front.
  sim::SimItem Send(const sim::SimItem& item, bool note = true) {
    outlook.Select({item});
    const bool clicked =
        outlook.ShowContextMenu(sim::kMailItemMenu).ClickRibbonEntry(L"VBX_Send_To_Ostrand");
    if (note) NoteClick(L"Send to Ostrand", clicked);
    return outlook.ActiveWindowItem();
  }
  // The entry clicked on a fresh right-click of the item.
  void MenuClick(const std::wstring& what, const sim::SimItem& item, const wchar_t* id) {
    NoteClick(what, outlook.RightClick({item}).ClickRibbonEntry(id));
  }
  // A callback called by name, as Office calls it.
  void Callback(const std::wstring& name, const std::wstring& control_id) {
    try {
      addin.Ribbon().Action(name, support::Control(control_id));
      Note(name + L"(" + control_id + L"): ok");
    } catch (const host::Failure& failure) {
      Note(name + L"(" + control_id + L"): " + std::to_wstring(failure.Number()) + L" - " +
           failure.Description());
    }
  }

  // A saved task, watched and saved by the user in its window (so the add-in stamped it), then
  // scheduled into the calendar; returns the linked appointment.
  sim::SimItem LinkedAppointment(const std::wstring& subject, const std::wstring& body) {
    auto task = outlook.CreateTask(subject, body);
    outlook.OpenItem(task);
    outlook.UserSave(task);
    outlook.CloseWindow(task, true);
    return outlook.ScheduleTask(task);
  }
  // Starts work on the appointment's task from its context menu, so that every entry has a use.
  void StartFromMenu(const sim::SimItem& appointment) {
    auto menu = outlook.RightClick({appointment});
    if (!menu.ClickRibbonEntry(L"VBX_Start_Ostrand_Task")) menu.ClickCaption(L"Start Ostrand Task");
  }
  sim::SimItem TaskOf(const sim::SimItem& appointment) {
    return outlook.FindByEntryID(appointment.UserProperty(L"TaskLinkEntryID").value_or(L""));
  }

  std::vector<std::wstring> notes;
};

// The task's recorded start, moved `by_minutes` back: the DLL reads the real clock.
inline bool MoveStartBack(Stage& s, sim::SimItem& task, int by_minutes = 90) {
  int y = 0, mo = 0, d = 0, h = 0, mi = 0, sec = 0;
  const auto started = task.UserProperty(L"OstrandStartedAt").value_or(L"");
  if (swscanf(started.c_str(), L"%d-%d-%dT%d:%d:%dZ", &y, &mo, &d, &h, &mi, &sec) != 6) {
    s.Note(L"no start time: " + started);
    return false;
  }
  using namespace std::chrono;
  const auto at = sys_days(year_month_day(year(y), month(mo), day(d))) + hours(h) + minutes(mi) +
                  seconds(sec) - minutes(by_minutes);
  const year_month_day date(floor<days>(at));
  const hh_mm_ss time(at - floor<days>(at));
  wchar_t earlier[32];
  swprintf(earlier, 32, L"%04d-%02u-%02uT%02d:%02d:%02dZ", int(date.year()), unsigned(date.month()),
           unsigned(date.day()), int(time.hours().count()), int(time.minutes().count()),
           int(time.seconds().count()));
  task.SetUserProperty(L"OstrandStartedAt", earlier);
  return true;
}

struct Scenario {
  const wchar_t* name;
  std::function<void(Stage&)> play;
  // The machine as Outlook finds it at start-up, before the add-in connects.
  std::function<void(sim::Outlook&)> before_connect = {};
};

}  // namespace fenmark::parity
