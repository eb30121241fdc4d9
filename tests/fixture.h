#pragma once
// One connected add-in on a simulated Outlook, the items the suites act on and the checks they
// share; UiTest adds the ribbon side, reached by name as Office reaches it.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "addin/connect.h"
#include "links/working_folder.h"
#include "sim/fidelity/fidelity.h"
#include "support/loaded_addin.h"
#include "support/ribbon_bridge.h"
#include "tests/parity/stage.h"

namespace fenmark::testing {

inline constexpr const wchar_t* kOutlook12 = support::kOutlook12Version;
inline constexpr const wchar_t* kOutlook14 = support::kOutlook14Version;
using support::Control;

// The suites' one view of the add-in object's state: it reads, never writes.
class ConnectView {
 public:
  explicit ConnectView(const Connect& connect) : c_(connect) {}

  // Host references that the members account for; the add-in holds no other after a call.
  long HeldByMembers() const {
    long held = static_cast<long>(c_.loaded_ribbons_.size());
    // A ribbon put by name rather than handed over.
    if (c_.ribbon_ && !c_.IsLoaded(*c_.ribbon_)) ++held;
    for (const auto* windows : {&c_.task_windows_, &c_.scheduled_windows_})
      for (const auto& window : *windows)
        held += (window->item ? 1 : 0) + (window->inspector ? 1 : 0);
    for (bool member :
         {!!c_.calendar_items_, !!c_.task_items_, !!c_.application_, !!c_.inspectors_})
      held += member ? 1 : 0;
    for (const auto& button : c_.buttons_) held += button ? 1 : 0;
    return held;
  }
  std::size_t TaskWindows() const { return c_.task_windows_.size(); }
  std::size_t ScheduledWindows() const { return c_.scheduled_windows_.size(); }
  Ref<host::CommandBarControl> Button(host::Operation operation) const {
    return c_.buttons_[static_cast<std::size_t>(operation)].Get();
  }

 private:
  const Connect& c_;
};

class AddinTest : public ::testing::Test {
 protected:
  sim::Outlook outlook;
  Connect connect{outlook.Platform()};

  AddinTest() { sim::UseOffice(outlook); }
  void SetUp() override {
    connect.OnConnection(outlook.Application());
    outlook.ClearCalls();
  }
  // Every test ends quiet: no box it has not taken with ExpectMessages, no failure handed back to
  // Outlook that it has not cleared, no reference left behind.
  void TearDown() override {
    EXPECT_TRUE(outlook.MessageBoxes().empty()) << ::testing::PrintToString(MessageTexts());
    EXPECT_TRUE(outlook.ReturnedFailures().empty()) << outlook.ReturnedFailures()[0].description;
    EXPECT_EQ(outlook.OutstandingReferences(), HeldByMembers()) << "references left behind";
  }

  ConnectView view{connect};

  long HeldByMembers() const { return view.HeldByMembers(); }

  // A task carrying its own entry ID in TaskLinkEntryID and `status` in OstrandStatus (none when
  // empty), window closed. A watched one was opened and saved by the user while the add-in
  // watched it, and stays the watched task; it always has a status.
  sim::SimItem LinkedTask(const std::wstring& subject, const std::wstring& status, bool watched,
                          bool complete = false) {
    auto task = outlook.CreateTask(subject, L"Task notes");
    task.SetComplete(complete);
    if (watched) {
      outlook.OpenItem(task);
      outlook.UserSave(task);
      task.SetUserProperty(L"OstrandStatus", status);
      outlook.CloseWindow(task, true);
    } else {
      task.SetUserProperty(L"TaskLinkEntryID", task.EntryID());
      task.SetUserProperty(L"OstrandTaskKey", task.EntryID());
      // The Tasks folder's add event stamped "Stopped" already.
      status.empty() ? task.RemoveUserProperty(L"OstrandStatus")
                     : task.SetUserProperty(L"OstrandStatus", status);
      outlook.UserSave(task);
    }
    return task;
  }

  // The appointment the user made by dragging the task into the calendar, linked on arrival.
  sim::SimItem ScheduledFrom(const sim::SimItem& task) {
    auto appointment = outlook.ScheduleTask(task);
    EXPECT_EQ(appointment.UserProperty(L"TaskLinkEntryID").value_or(L"(none)"), task.EntryID());
    return appointment;
  }
  sim::SimItem LinkedAppointment(const std::wstring& status, bool complete = false) {
    return ScheduledFrom(LinkedTask(L"Q3 figures", status, false, complete));
  }
  sim::SimItem LinkedTaskOf(const sim::SimItem& appointment) {
    return outlook.FindByEntryID(appointment.UserProperty(L"TaskLinkEntryID").value_or(L""));
  }

  std::vector<std::wstring> MessageTexts() const {
    std::vector<std::wstring> texts;
    for (const auto& box : outlook.MessageBoxes()) texts.push_back(box.title + L": " + box.text);
    return texts;
  }
  // Exactly these boxes since the last taken, in order: {text, style, title}; takes them.
  void ExpectMessages(const std::vector<sim::MessageBoxRecord>& expected) {
    const auto boxes = outlook.MessageBoxes();
    const auto texts = MessageTexts();
    outlook.ClearMessageBoxes();
    ASSERT_EQ(boxes.size(), expected.size()) << ::testing::PrintToString(texts);
    for (std::size_t i = 0; i < boxes.size(); ++i) {
      EXPECT_EQ(boxes[i].text, expected[i].text);
      EXPECT_EQ(boxes[i].style, expected[i].style) << boxes[i].text;
      EXPECT_EQ(boxes[i].title, expected[i].title) << boxes[i].text;
      EXPECT_EQ(boxes[i].title_given, expected[i].title != L"Fenmark") << boxes[i].text;
    }
  }
  static sim::MessageBoxRecord Message(const std::wstring& text) {
    return {text, 0, L"Fenmark", false};
  }
  static sim::MessageBoxRecord Report(const std::wstring& text, const std::wstring& operation) {
    return {text, 16, L"Ostrand - " + operation, true};
  }

  // Files and folders left in the temporary folder, at any depth.
  std::vector<std::wstring> TempFiles() const { return outlook.EntriesBelow(outlook.TempFolder()); }
  // Sends the mail to a task and answers the task it made (empty when none).
  sim::SimItem Send(const sim::SimItem& mail) {
    const auto before = outlook.AllItems().size();
    connect.Run(host::Operation::kCopyToTask, {mail.EntryID()});
    const auto items = outlook.AllItems();
    return items.size() > before ? items.back() : sim::SimItem{};
  }
  // The working folder the next send tries first.
  std::wstring NextWorkingFolder() const {
    return outlook.TempFolder() + L"\\" + links::WorkingFolderName(outlook.NextRandomBits());
  }

  // The call log holds calls starting with these texts ("Interface.Member(arguments..."), in this
  // order, each the first such after the one before.
  void ExpectCallOrder(const std::vector<std::wstring>& names) {
    const auto calls = outlook.Calls();
    std::size_t at = 0;
    for (const auto& name : names) {
      while (at < calls.size() && calls[at].ToString().rfind(name, 0) != 0) ++at;
      ASSERT_LT(at, calls.size()) << name << " missing or out of order\n" << outlook.CallsText();
      ++at;
    }
  }
};

class UiTest : public AddinTest {
 protected:
  support::RibbonBridge bridge{connect};

  void SetUp() override {
    AddinTest::SetUp();
    outlook.AttachRibbon(&bridge);
  }
  void TearDown() override {
    AddinTest::TearDown();
    outlook.AttachRibbon(nullptr);
  }

  // A linked task's stopped status on the tab.
  static constexpr const wchar_t* kStoppedTab =
      L"VB_CompleteTask+ VB_OpenTask+ VB_StartTask+ VB_StopTask- ";
  // The tab's buttons that act, each "id+ " or, greyed, "id- ".
  static std::wstring TabState(const std::vector<sim::RibbonButton>& tab) {
    std::wstring state;
    for (const auto& button : tab)
      if (!button.on_action.empty()) state += button.id + (button.enabled ? L"+ " : L"- ");
    return state;
  }
  // The menu's visible markup entries by id and the add-in's buttons by caption, alike.
  static std::wstring MenuState(const sim::ContextMenu& menu) {
    std::wstring state;
    for (const auto& entry : menu.RibbonEntries())
      if (!entry.separator && entry.visible) state += entry.id + (entry.enabled ? L"+ " : L"- ");
    for (const auto& control : menu.Controls())
      if (control.added_by_addin) state += control.caption + (control.enabled ? L"+ " : L"- ");
    return state;
  }
  // The add-in's own command-bar buttons on the menu, top to bottom.
  static std::vector<sim::MenuControl> OwnButtons(const sim::ContextMenu& menu) {
    std::vector<sim::MenuControl> own;
    for (const auto& control : menu.Controls())
      if (control.added_by_addin) own.push_back(control);
    return own;
  }
};

}  // namespace fenmark::testing
