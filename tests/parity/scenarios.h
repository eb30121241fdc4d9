#pragma once
// The end-to-end scenarios, written once and run by both builds: natively against Connect, and
// under Wine against Fenmark.dll through COM. Each scenario plays user actions on a fresh
// simulated Outlook and ends with the add-in's disconnection and release; its transcript lists
// every observable effect in a canonical form (the clock, the temporary folder and the entry IDs
// of the run shown as placeholders), so that the two runs and the checked-in transcript can be
// compared line by line.

#include <algorithm>
#include <functional>
#include <map>
#include <memory>
#include <regex>
#include <string>
#include <vector>

#include "tests/parity/driver.h"

namespace fenmark::parity {

inline constexpr wchar_t kOutlook12[] = L"12.0.6423.1000";
inline constexpr wchar_t kOutlook14[] = L"14.0.4760.1000";

// A ribbon control as Office hands it to a callback.
class Control final : public host::RibbonControl {
 public:
  explicit Control(std::wstring id) : id_(std::move(id)) {}
  std::wstring Id() override { return id_; }

 private:
  std::wstring id_;
};

inline std::wstring Escape(const std::wstring& text) {
  std::wstring out;
  for (wchar_t c : text) {
    if (c == L'\r')
      out += L"\\r";
    else if (c == L'\n')
      out += L"\\n";
    else if (c == L'\t')
      out += L"\\t";
    else if (c < 32 || c > 126)
      out += L"\\u{" + std::to_wstring(static_cast<unsigned>(c)) + L"}";
    else
      out += c;
  }
  return out;
}

inline std::wstring Lower(std::wstring text) {
  for (auto& c : text)
    if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
  return text;
}

// What one scenario does and sees.
class Stage {
 public:
  Stage(sim::Outlook& outlook, AddinUnderTest& addin) : outlook(outlook), addin(addin) {}
  sim::Outlook& outlook;
  AddinUnderTest& addin;

  void Note(const std::wstring& line) { notes.push_back(line); }
  void NoteTab() {
    std::wstring line = L"tab:";
    for (const auto& button : outlook.ShowTab())
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
  // A callback called by name, as Office calls it.
  void Callback(const std::wstring& name, const std::wstring& control_id) {
    Control control(control_id);
    auto ref = std::shared_ptr<host::RibbonControl>(&control, [](host::RibbonControl*) {});
    try {
      addin.Ribbon().Action(name, ref);
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

struct Scenario {
  const wchar_t* name;
  std::function<void(Stage&)> play;
};

// ---------------- the scenarios ----------------

inline void SendMailFromMarkupMenu(Stage& s) {
  auto mail = s.outlook.ReceiveMail(L"RE: Budget 2024 / Q3?", L"Figures attached.\r\nRegards");
  s.outlook.Select({mail});
  auto menu = s.outlook.ShowContextMenu(sim::kMailItemMenu);
  s.NoteMenu(menu);
  s.NoteClick(L"Send to Ostrand", menu.ClickRibbonEntry(L"VBX_Send_To_Ostrand"));
  auto task = s.outlook.ActiveWindowItem();
  if (!task) return s.Note(L"no task window");
  s.outlook.UserTypes(task, L"Call Bo. ");
  s.outlook.UserSave(task);
  auto appointment = s.outlook.ScheduleTask(task);
  s.Note(L"scheduled, linked: " +
         std::wstring(appointment.UserProperty(L"TaskLinkEntryID") == task.EntryID() ? L"yes"
                                                                                     : L"no"));
}

inline void SendMailFromCommandBar(Stage& s) {
  s.outlook.SetVersion(kOutlook12);
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
  s.NoteTab();
  for (const wchar_t* id : {L"VB_StartTask", L"VB_StopTask", L"VB_OpenTask", L"VB_CompleteTask"}) {
    if (!s.outlook.ActiveWindowItem() || !(s.outlook.ActiveWindowItem() == appointment))
      s.outlook.OpenItem(appointment);
    s.NoteClick(id, s.outlook.ClickTabButton(id));
    s.NoteTab();
  }
}

inline void ActionsFromTheMarkupMenu(Stage& s) {
  auto appointment = s.LinkedAppointment(L"Q3 figures", L"Task notes");
  for (const wchar_t* id : {L"VBX_Start_Ostrand_Task", L"VBX_Stop_Ostrand_Task",
                            L"VBX_Open_Ostrand_Task", L"VBX_Fenmark"}) {
    auto menu = s.outlook.RightClick({appointment});
    s.NoteMenu(menu);
    s.NoteClick(id, menu.ClickRibbonEntry(id));
  }
  s.NoteMenu(s.outlook.RightClick({appointment}));
}

inline void ActionsFromTheCommandBar(Stage& s) {
  s.outlook.SetVersion(kOutlook12);
  auto appointment = s.LinkedAppointment(L"Q3 figures", L"Task notes");
  for (const wchar_t* caption :
       {L"Start Ostrand Task", L"Stop Ostrand Task", L"Open Ostrand Task", L"Fenmark"}) {
    auto menu = s.outlook.RightClick({appointment});
    s.NoteMenu(menu);
    s.NoteClick(caption, menu.ClickCaption(caption));
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
  s.outlook.SetVersion(kOutlook12);
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
    s.NoteTab();
    appointment.RemoveUserProperty(L"TaskLinkEntryID");
    s.outlook.UserSave(appointment);
    s.NoteClick(id, s.outlook.ClickTabButton(id));
    s.outlook.LoadRibbon(sim::kAppointmentRibbon);
  }
  auto unlinked = s.outlook.CreateAppointment(L"Dentist", L"No task here");
  s.NoteMenu(s.outlook.RightClick({unlinked}));
}

inline void NoWordDocument(Stage& s) {
  s.outlook.SetWordAvailableByDefault(false);
  auto mail = s.outlook.ReceiveMail(L"Budget", L"Figures");
  s.outlook.Select({mail});
  s.NoteClick(
      L"Send to Ostrand",
      s.outlook.ShowContextMenu(sim::kMailItemMenu).ClickRibbonEntry(L"VBX_Send_To_Ostrand"));
  for (const wchar_t* id : {L"VBX_Fenmark", L"VBX_Open_Ostrand_Task", L"VBX_Start_Ostrand_Task",
                            L"VBX_Stop_Ostrand_Task"}) {
    auto appointment = s.LinkedAppointment(L"Review", L"Notes");
    if (std::wstring(id) == L"VBX_Stop_Ostrand_Task") s.StartFromMenu(appointment);
    auto menu = s.outlook.RightClick({appointment});
    s.NoteClick(id, menu.ClickRibbonEntry(id));
  }
}

// A host failure in the middle of an operation is reported under its name, and the temporary
// files still go.
inline void HostFailureMidway(Stage& s) {
  auto mail = s.outlook.ReceiveMail(L"Budget", L"Figures");
  s.outlook.Select({mail});
  auto menu = s.outlook.ShowContextMenu(sim::kMailItemMenu);
  s.outlook.FailCallsTo(L"AttachmentCollection.Add", sim::kFailed, L"The attachment was refused.");
  s.NoteClick(L"Send to Ostrand", menu.ClickRibbonEntry(L"VBX_Send_To_Ostrand"));
  s.outlook.ClearFaults();
  auto appointment = s.LinkedAppointment(L"Review", L"Notes");
  s.outlook.FailCallsTo(L"Item.Save", sim::kFailed, L"The item could not be saved.");
  s.NoteClick(L"Start",
              s.outlook.RightClick({appointment}).ClickRibbonEntry(L"VBX_Start_Ostrand_Task"));
  s.outlook.ClearFaults();
}

// Subjects Windows would not take as file names as they stand: a device, a device with an
// extension, the longest subject Outlook allows, trailing dots. Each still becomes a task with
// the mail attached, without a message and without a file left behind.
inline void SubjectsWindowsRefuses(Stage& s) {
  std::wstring longest;
  while (longest.size() < 255) longest += L"Quarterly figures " + std::to_wstring(longest.size());
  longest.resize(255);
  for (const auto& subject :
       {std::wstring(L"CON"), std::wstring(L"nul.txt"), longest, std::wstring(L"Re: Minutes...")}) {
    s.outlook.Select({s.outlook.ReceiveMail(subject, L"Figures")});
    s.NoteClick(
        L"Send to Ostrand",
        s.outlook.ShowContextMenu(sim::kMailItemMenu).ClickRibbonEntry(L"VBX_Send_To_Ostrand"));
  }
}

inline const std::vector<Scenario>& Scenarios() {
  static const std::vector<Scenario> all = {
      {L"send mail to task from the markup menu", SendMailFromMarkupMenu},
      {L"send post to task from the command bar", SendMailFromCommandBar},
      {L"start, stop, open, complete from the tab", ActionsFromTheTab},
      {L"start, stop, open, complete from the markup menu", ActionsFromTheMarkupMenu},
      {L"start, stop, open, complete from the command bar", ActionsFromTheCommandBar},
      {L"every operation without an entry ID", NoEntryId},
      {L"every operation on an unknown entry ID", UnknownEntryId},
      {L"every task action on a deleted task", DeletedTask},
      {L"every tab action on an unlinked appointment", UnlinkedAppointment},
      {L"every operation without a Word document", NoWordDocument},
      {L"host failures midway", HostFailureMidway},
      {L"subjects Windows refuses as file names", SubjectsWindowsRefuses},
  };
  return all;
}

// ---------------- transcripts ----------------

class Canon {
 public:
  explicit Canon(std::wstring temp) : temp_(Lower(std::move(temp))) {}
  // The run's temporary folder, its clock and its entry IDs as placeholders.
  std::wstring operator()(const std::wstring& text) {
    std::wstring out;
    const std::wstring lower = Lower(text);
    for (std::size_t i = 0; i < text.size();) {
      if (!temp_.empty() && lower.compare(i, temp_.size(), temp_) == 0) {
        out += L"%TEMP%";
        i += temp_.size();
      } else {
        out += text[i++];
      }
    }
    static const std::wregex stamp(L"\\d\\d\\D\\d\\d\\D\\d\\d \\d\\d\\D\\d\\d\\D\\d\\d [ap]m");
    out = std::regex_replace(out, stamp, L"<time>");
    for (const auto& [id, name] : ids_) {
      for (std::size_t at; (at = out.find(id)) != std::wstring::npos;)
        out.replace(at, id.size(), name);
    }
    return out;
  }
  void NameEntryId(const std::wstring& id) {
    if (!id.empty() && !ids_.count(id)) ids_[id] = L"<id" + std::to_wstring(ids_.size() + 1) + L">";
  }

 private:
  std::wstring temp_;
  std::map<std::wstring, std::wstring> ids_;
};

// Plays one scenario on a fresh Outlook and add-in; the transcript, one effect a line.
inline std::vector<std::wstring> Play(const Scenario& scenario, AddinUnderTest& addin,
                                      const std::function<void(sim::Outlook&)>& prepare = {}) {
  std::vector<std::wstring> lines;
  sim::Outlook outlook;
  if (prepare) prepare(outlook);
  addin.Create(outlook);
  outlook.AttachRibbon(&addin.Ribbon());
  const auto connected = addin.Connect();
  Stage stage(outlook, addin);
  scenario.play(stage);
  const auto disconnected = addin.Disconnect();
  outlook.AttachRibbon(nullptr);
  const auto boxes = addin.MessageBoxes();
  addin.Release();

  Canon canon(addin.TempFolder());
  for (const auto& item : outlook.AllItems()) canon.NameEntryId(item.EntryID());
  auto add = [&](const std::wstring& line) { lines.push_back(canon(line)); };
  add(L"== " + std::wstring(scenario.name));
  add(L"connect: " + connected);
  for (const auto& note : stage.notes) add(L"note: " + Escape(note));
  add(L"disconnect: " + disconnected);
  for (const auto& item : outlook.AllItems()) {
    std::wstring line = L"item " + std::to_wstring(item.Serial()) + L" class " +
                        std::to_wstring(item.Class()) + L" \"" + Escape(item.Subject()) + L"\"";
    line += L" id " + (item.EntryID().empty() ? L"-" : item.EntryID());
    line += L" saves " + std::to_wstring(item.SaveCount());
    if (item.Deleted()) line += L" deleted";
    if (item.Dirty()) line += L" dirty";
    if (item.WindowOpen()) line += L" window";
    if (item.Complete()) line += L" complete";
    line += L" status " + std::to_wstring(item.Status());
    add(line);
    add(L"  body \"" + Escape(item.Body()) + L"\"");
    for (const auto& property : item.UserProperties())
      add(L"  property " + property.name + L" = \"" + Escape(property.value) + L"\"");
    for (const auto& attachment : item.Attachments())
      add(L"  attachment \"" + attachment.display_name + L"\" from \"" + attachment.source_path +
          L"\" " + std::to_wstring(attachment.content.size()) + L" bytes");
  }
  for (const auto& box : boxes)
    add(L"box " + std::to_wstring(box.style) + L" \"" + box.title + L"\": " + Escape(box.text));
  for (const auto& failure : outlook.ReturnedFailures())
    add(L"returned to " + failure.source + L": " + std::to_wstring(failure.number) + L" - " +
        failure.description + (failure.foreign_exception ? L" (foreign)" : L""));
  for (const auto& file : addin.TempFiles()) add(L"file left: " + file);
  // The add-in's calls on Outlook, Office and Word (the platform's differ by build).
  int calls = 0;
  for (const auto& call : outlook.Calls()) {
    if (call.interface_name == L"Platform" || call.interface_name.rfind(L"FileSystem", 0) == 0)
      continue;
    ++calls;
    add(L"call " + Escape(call.ToString()) + (call.failed ? L" (failed)" : L""));
  }
  add(L"calls: " + std::to_wstring(calls));
  add(L"references after release: " +
      std::to_wstring(outlook.OutstandingReferences() + addin.ServedObjects()));
  return lines;
}

// "== name" sections of a transcript file, by name.
inline std::map<std::wstring, std::vector<std::wstring>> Sections(
    const std::vector<std::wstring>& lines) {
  std::map<std::wstring, std::vector<std::wstring>> sections;
  std::vector<std::wstring>* current = nullptr;
  for (const auto& line : lines) {
    if (line.rfind(L"== ", 0) == 0) current = &sections[line.substr(3)];
    if (current) current->push_back(line);
  }
  return sections;
}

// The first difference between two transcripts, or "" when they agree.
inline std::wstring FirstDifference(const std::vector<std::wstring>& expected,
                                    const std::vector<std::wstring>& actual) {
  const std::size_t n = std::max(expected.size(), actual.size());
  for (std::size_t i = 0; i < n; ++i) {
    const std::wstring e = i < expected.size() ? expected[i] : L"(end)";
    const std::wstring a = i < actual.size() ? actual[i] : L"(end)";
    if (e != a)
      return L"line " + std::to_wstring(i + 1) + L":\n  expected: " + e + L"\n  actual:   " + a;
  }
  return {};
}

}  // namespace fenmark::parity
