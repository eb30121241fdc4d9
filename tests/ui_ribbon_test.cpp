// The ribbon callbacks: which entries the tab and the context menus offer, which item a click
// acts on, and what goes back to the host.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cwctype>
#include <tuple>

#include "addin/ribbon_dispatch.h"
#include "tests/fixture.h"

namespace fenmark::testing {
namespace {

std::wstring MixCase(std::wstring id) {
  for (std::size_t i = 0; i < id.size(); i += 2) id[i] = static_cast<wchar_t>(std::towlower(id[i]));
  for (std::size_t i = 1; i < id.size(); i += 2) id[i] = static_cast<wchar_t>(std::towupper(id[i]));
  return id;
}

// A call that hands the host a failure of this number.
auto FailsWith(std::int32_t number) {
  return ::testing::Throws<host::Failure>(::testing::Property(&host::Failure::Number, number));
}

constexpr const wchar_t* kTabIds[] = {L"VB_CompleteTask", L"VB_OpenTask", L"VB_StartTask",
                                      L"VB_StopTask"};
constexpr const wchar_t* kMenuIds[] = {L"VBX_Fenmark", L"VBX_Open_Ostrand_Task",
                                       L"VBX_Start_Ostrand_Task", L"VBX_Stop_Ostrand_Task"};
constexpr const wchar_t* kCaptions[] = {L"Fenmark", L"Open Ostrand Task", L"Start Ostrand Task",
                                        L"Stop Ostrand Task"};
constexpr const wchar_t* kOperations[] = {L"CompleteTask", L"OpenTask", L"StartTask", L"StopTask"};
constexpr const wchar_t* kNothingEnabled =
    L"VB_CompleteTask- VB_OpenTask- VB_StartTask- VB_StopTask- ";
constexpr const wchar_t* kOnlyOpenEnabled =
    L"VB_CompleteTask- VB_OpenTask+ VB_StartTask- VB_StopTask- ";

// One table for the tab, the context-menu markup and the Outlook 12 command bar.
TEST_F(UiTest, EveryStatusEnablesTheSameEntriesOnEverySurface) {
  // The linked task's OstrandStatus ("" for none) and completion; complete, open, start, stop.
  const std::tuple<std::wstring, bool, std::array<bool, 4>> rows[] = {
      {L"", false, {false, false, false, false}},
      {L"Started", true, {false, true, false, false}},
      {L"Started", false, {true, true, false, true}},
      {L"Stopped", false, {true, true, true, false}},
      {L"Waiting on Bo", false, {true, true, true, true}},
      {L"sTARTED", false, {true, true, false, true}},
      {L"STOPPED", false, {true, true, true, false}},
      {L"complete", false, {false, true, false, false}},
  };
  for (const auto& [stored, complete, enabled] : rows) {
    SCOPED_TRACE(::testing::PrintToString(stored) + (complete ? " complete" : ""));
    const bool linked = !stored.empty() || complete;
    std::wstring tab, menu, bar;  // as TabState and MenuState read them
    for (int i = 0; i < 4; ++i) {
      const std::wstring mark = enabled[i] ? L"+ " : L"- ";
      tab += kTabIds[i] + mark;
      if (linked) menu += kMenuIds[i] + mark, bar += kCaptions[i] + mark;
    }
    outlook.SetVersion(kOutlook14);
    auto appointment = LinkedAppointment(stored, complete);

    outlook.OpenItem(appointment);
    EXPECT_EQ(TabState(outlook.ShowTab()), tab);
    for (int i = 0; i < 4; ++i)
      EXPECT_EQ(InvokeDecision(connect, L"VB_GetEnabled", Control(MixCase(kTabIds[i]))),
                enabled[i]);
    outlook.CloseWindow(appointment, false);

    outlook.Select({appointment});
    EXPECT_EQ(MenuState(outlook.ShowContextMenu(sim::kCalendarItemMenu)), menu);
    for (int i = 0; i < 4; ++i) {
      EXPECT_EQ(InvokeDecision(connect, L"VBX_GetEnabled", Control(MixCase(kMenuIds[i]))),
                enabled[i]);
      EXPECT_EQ(InvokeDecision(connect, L"VBX_GetVisible", Control(kMenuIds[i])), linked);
      EXPECT_EQ(connect.Remembered().entry_id, appointment.EntryID());
    }

    // The four buttons top the menu in this order, each with its own tag and the common setup.
    outlook.SetVersion(kOutlook12);
    const auto bar_menu = outlook.RightClick({appointment});
    EXPECT_EQ(MenuState(bar_menu), bar);
    for (int i = 0; i < (linked ? 4 : 0); ++i) {
      const auto b = bar_menu.Control(i + 1);
      EXPECT_EQ(b.caption + L"|" + b.tag + L"|" + b.parameter + L"|" + b.on_action,
                std::wstring(kCaptions[i]) + L"|Fenmark.Connect." + kOperations[i] + L"|" +
                    appointment.EntryID() + L"|!<Fenmark.Connect>");
    }
  }
}

TEST_F(UiTest, OnlyASingleMailPostOrAppointmentIsOffered) {
  auto mail = outlook.ReceiveMail(L"Budget", L"Figures");
  auto other = outlook.ReceiveMail(L"Lunch", L"Who is in?");
  auto request = outlook.AddItem(host::kOlMeetingRequest, L"Review", L"", sim::FolderKind::kInbox);
  auto linked = LinkedAppointment(L"Stopped");
  // A single post is offered, as a mail is, and handed over.
  auto post = outlook.ReceivePost(L"Team notes", L"Agenda");
  outlook.Select({post});
  EXPECT_TRUE(InvokeDecision(connect, L"VBX_GetEnabled", Control(L"vbx_send_to_ostrand")));
  EXPECT_FALSE(InvokeDecision(connect, L"VBX_GetVisible", Control(L"VBX_Fenmark")));
  for (const auto& items :
       std::vector<std::vector<sim::SimItem>>{{}, {mail, other}, {request}, {mail, linked}}) {
    SCOPED_TRACE(items.size());
    outlook.Select(items);
    for (const wchar_t* id : {L"VBX_Send_To_Ostrand", L"VBX_Fenmark", L"VBX_Open_Ostrand_Task"})
      EXPECT_FALSE(InvokeDecision(connect, L"VBX_GetEnabled", Control(id))) << id;
    EXPECT_FALSE(InvokeDecision(connect, L"VBX_GetVisible", Control(L"VBX_Fenmark")));
    EXPECT_EQ(connect.Remembered().entry_id, post.EntryID());
  }
}

// Each entry of each surface runs its own operation on the item it is about, though another
// window is in front and the main window shows another item, and every task change refreshes
// the tab of each open window.
TEST_F(UiTest, EveryEntryRunsItsOwnOperationAndRefreshesEveryTab) {
  // OstrandStatus before the command and after it, the task's completion and window.
  const std::tuple<const wchar_t*, const wchar_t*, bool, bool> rows[] = {
      {L"Started", L"Stopped", true, false},
      {L"Started", L"Started", false, true},
      {L"Stopped", L"Started", false, false},
      {L"Started", L"Stopped", false, false}};
  enum { kTab, kMarkup, kCommandBar };
  for (int surface : {kTab, kMarkup, kCommandBar}) {
    for (int i = 0; i < 4; ++i) {
      SCOPED_TRACE(::testing::PrintToString(std::wstring(kOperations[i])) + " from surface " +
                   std::to_string(surface));
      const auto& [before, after, complete, task_window] = rows[i];
      outlook.SetVersion(surface == kCommandBar ? kOutlook12 : kOutlook14);
      auto appointment = LinkedAppointment(before);
      auto other = ScheduledFrom(LinkedTask(L"Other", L"Stopped", false));
      outlook.OpenItem(appointment);
      outlook.OpenItem(other);
      outlook.Select({other});
      const int invalidated = outlook.InvalidateCount(sim::kAppointmentRibbon);
      if (surface == kTab) {
        const auto inspector = outlook.AddinRef(appointment)->GetInspector();
        InvokeAction(connect, kTabIds[i], Control(kTabIds[i], {inspector, nullptr, nullptr}));
      } else if (surface == kMarkup) {
        ASSERT_TRUE(outlook.RightClickOutside({appointment}).ClickRibbonEntry(kMenuIds[i]));
      } else {
        auto menu = outlook.RightClickOutside({appointment});
        ASSERT_TRUE(menu.Click(i + 1));
        EXPECT_FALSE(menu.LastCancelDefault());
      }
      const auto task = LinkedTaskOf(appointment);
      EXPECT_EQ(task.UserProperty(L"OstrandStatus"), after);
      EXPECT_EQ(task.Complete(), complete);
      EXPECT_EQ(task.WindowOpen(), task_window);
      EXPECT_EQ(LinkedTaskOf(other).UserProperty(L"OstrandStatus"), L"Stopped");
      EXPECT_EQ(outlook.InvalidateCount(sim::kAppointmentRibbon), invalidated + (i == 1 ? 0 : 1));
      EXPECT_TRUE(other.WindowOpen());
      EXPECT_EQ(appointment.WindowOpen(), surface != kTab || i != 0);
      for (const auto& button : outlook.ShowTab(appointment)) {
        if (button.id == kTabIds[2]) {
          EXPECT_EQ(button.enabled, !complete && std::wstring(after) != L"Started");
        }
      }
      for (const auto& window : outlook.OpenWindows()) outlook.CloseWindow(window, false);
    }
  }
}

// One tab drawing reads the linked task once (a right-click: ADrawingIsOneSurfaceAndOneItem); the
// answer goes with any change, or after a second.
TEST_F(UiTest, OneDrawingReadsTheTaskOnce) {
  auto appointment = LinkedAppointment(L"Stopped");
  auto task = LinkedTaskOf(appointment);
  outlook.ClearCalls();
  outlook.OpenItem(appointment);
  outlook.ShowTab();
  EXPECT_EQ(outlook.CountCalls(L"Namespace.GetItemFromID"), 1);
  outlook.OpenItem(task);
  // Changed behind the add-in's back: within a drawing, seen once the answer is a second old.
  outlook.Select({appointment});
  EXPECT_TRUE(InvokeDecision(connect, L"VBX_GetVisible", Control(L"VBX_Fenmark")));
  task.SetUserProperty(L"OstrandStatus", L"Started");
  EXPECT_TRUE(InvokeDecision(connect, L"VBX_GetEnabled", Control(L"VBX_Start_Ostrand_Task")));
  outlook.AdvanceMilliseconds(1000);
  EXPECT_TRUE(InvokeDecision(connect, L"VBX_GetEnabled", Control(L"VBX_Stop_Ostrand_Task")));
  // A Write the add-in handles drops the answer at once.
  task.SetUserProperty(L"OstrandStatus", L"Stopped");
  outlook.UserSave(task);
  EXPECT_TRUE(outlook.RightClick({appointment}).RibbonEntry(L"VBX_Start_Ostrand_Task")->enabled);
}

// A drawing is one surface and one item: the tab's reading is not the next menu's, nor one
// item's the next item's, though nothing else moves in between.
TEST_F(UiTest, ADrawingIsOneSurfaceAndOneItem) {
  for (const wchar_t* version : {kOutlook14, kOutlook12}) {
    SCOPED_TRACE(::testing::PrintToString(std::wstring(version)));
    outlook.SetVersion(version);
    auto appointment = LinkedAppointment(L"Stopped");
    outlook.OpenItem(appointment);
    ASSERT_TRUE(outlook.ShowTab()[0].enabled);
    outlook.DeleteItem(LinkedTaskOf(appointment));
    // The menu reads afresh: the task is gone, and only Open, which looks for it, is offered.
    EXPECT_EQ(MenuState(outlook.RightClickOutside({appointment})),
              version == kOutlook14 ? L"VBX_Fenmark- VBX_Open_Ostrand_Task+ "
                                      L"VBX_Start_Ostrand_Task- VBX_Stop_Ostrand_Task- "
                                    : L"Fenmark- Open Ostrand Task+ Start Ostrand Task- "
                                      L"Stop Ostrand Task- ");
    outlook.CloseWindow(appointment, false);
  }
  outlook.SetVersion(kOutlook14);
  auto stopped = LinkedAppointment(L"Stopped");
  auto started = LinkedAppointment(L"Started");
  outlook.Select({stopped});
  ASSERT_TRUE(InvokeDecision(connect, L"VBX_GetVisible", Control(L"VBX_Fenmark")));
  outlook.Select({started});
  EXPECT_FALSE(InvokeDecision(connect, L"VBX_GetEnabled", Control(L"VBX_Start_Ostrand_Task")));
  // Each callback of one menu gets a Selection object of its own: still one reading.
  outlook.ClearCalls();
  outlook.RightClick({stopped});
  EXPECT_EQ(outlook.CountCalls(L"Namespace.GetItemFromID"), 1);
  EXPECT_EQ(outlook.CountCalls(L"RibbonControl.Context"), 8);
}

// A window opened is a new drawing, though it shows the item whose tab was asked last.
TEST_F(UiTest, ANewWindowDropsTheDrawingReading) {
  auto appointment = LinkedAppointment(L"Stopped");
  outlook.OpenItem(appointment);
  ASSERT_TRUE(InvokeDecision(connect, L"VB_GetEnabled", Control(L"VB_StartTask")));
  outlook.CloseWindow(appointment, false);
  outlook.DeleteItem(LinkedTaskOf(appointment));
  outlook.OpenItem(appointment);
  EXPECT_EQ(TabState(outlook.ShowTab()), kOnlyOpenEnabled);
}

// Offline, a right-click or a window shows no box before it appears; a command run all the same
// reads again and reports the failure once.
TEST_F(UiTest, NoBoxWhileDrawingOffline) {
  constexpr std::int32_t kNetworkError = -2147221227;  // 0x80040115
  auto appointment = LinkedAppointment(L"Stopped");
  outlook.SetVersion(kOutlook12);
  auto drawn_online = outlook.RightClick({appointment});
  ASSERT_EQ(OwnButtons(drawn_online).size(), 4u);
  outlook.FailCallsTo(L"Namespace.GetItemFromID", kNetworkError, L"Network problems");
  EXPECT_TRUE(OwnButtons(outlook.RightClick({appointment})).empty());
  outlook.SetVersion(kOutlook14);
  auto menu = outlook.RightClick({appointment});
  for (const wchar_t* id : kMenuIds) EXPECT_FALSE(menu.RibbonEntry(id)->visible) << id;
  outlook.OpenItem(appointment);
  EXPECT_EQ(TabState(outlook.ShowTab()), kNothingEnabled);

  InvokeAction(connect, L"VBX_OpenTask", Control(L"VBX_Open_Ostrand_Task"));
  ExpectMessages({Report(L"-2147221227 - Network problems", L"OpenTask")});
  ASSERT_TRUE(drawn_online.ClickCaption(L"Start Ostrand Task"));
  ExpectMessages({Report(L"-2147221227 - Network problems", L"StartTask")});
}

// A task in the appointment's own store (a shared or second calendar) is found there, and from
// the second drawing on asked for there at once.
TEST_F(UiTest, ASecondStoresTaskIsFoundAndRemembered) {
  auto [task, appointment] = parity::LinkInSecondStore(outlook, L"Stopped");
  for (int drawing = 1; drawing <= 3; ++drawing) {
    SCOPED_TRACE(drawing);
    outlook.ClearCalls();
    auto menu = outlook.RightClick({appointment});
    EXPECT_TRUE(menu.RibbonEntry(L"VBX_Start_Ostrand_Task")->enabled);
    EXPECT_EQ(outlook.CountCalls(L"Namespace.GetItemFromID"), drawing == 1 ? 2 : 1);
    if (drawing > 1) {
      EXPECT_LE(outlook.CallCount(), 64u) << outlook.CallsText();
    }
  }
  // The command asks the remembered store too: the appointment's lookup and the task's, no more.
  auto menu = outlook.RightClick({appointment});
  outlook.ClearCalls();
  EXPECT_TRUE(menu.ClickRibbonEntry(L"VBX_Start_Ostrand_Task"));
  EXPECT_EQ(outlook.CountCalls(L"Namespace.GetItemFromID"), 2) << outlook.CallsText();
  EXPECT_EQ(task.UserProperty(L"OstrandStatus"), L"Started");
  // Outlook 12's button carries the entry ID alone; its menu kept the store.
  outlook.SetVersion(kOutlook12);
  outlook.RightClick({outlook.ReceiveMail(L"Hello", L"")});
  EXPECT_TRUE(outlook.RightClick({appointment}).ClickCaption(L"Stop Ostrand Task"));
  EXPECT_EQ(task.UserProperty(L"OstrandStatus"), L"Stopped");
}

// Without a control the callbacks answer as they always did; a click whose Selection is not one
// accepted item acts on nothing, not on an entry ID stored earlier.
TEST_F(UiTest, NoControlOrNoSingleItemToActOn) {
  auto appointment = LinkedAppointment(L"Stopped");
  outlook.Select({appointment});
  EXPECT_TRUE(InvokeDecision(connect, L"VBX_GetVisible", nullptr));
  EXPECT_EQ(connect.Remembered().entry_id, appointment.EntryID());
  auto mail = outlook.ReceiveMail(L"Budget", L"Figures");
  auto contact = outlook.AddItem(sim::kOlContact, L"Jo", L"", sim::FolderKind::kContacts);
  for (const auto& items : std::vector<std::vector<sim::SimItem>>{{mail, appointment}, {contact}}) {
    outlook.Select(items);
    auto selection = outlook.Application()->ActiveExplorer()->Selection();
    const auto named = Control(L"VBX_Start_Ostrand_Task", {nullptr, selection, nullptr});
    InvokeAction(connect, L"VBX_StartTask", named);
    InvokeAction(connect, L"VBX_CopyToTask", named);
  }
  EXPECT_EQ(LinkedTaskOf(appointment).UserProperty(L"OstrandStatus"), L"Stopped");
  EXPECT_EQ(outlook.ItemsIn(sim::FolderKind::kTasks).size(), 1u);
  InvokeAction(connect, L"VBX_StartTask", nullptr);
  EXPECT_EQ(LinkedTaskOf(appointment).UserProperty(L"OstrandStatus"), L"Started");
}

// A ribbon put into glblObjRibbon by name, as a script may, through a reference of its own.
class PutRibbonTest : public UiTest {
 protected:
  struct Alias : host::RibbonUI {
    explicit Alias(Ref<host::RibbonUI> ribbon) : ribbon(std::move(ribbon)) {}
    void Invalidate() override { ribbon->Invalidate(); }
    const void* Identity() noexcept override { return ribbon->Identity(); }
    Ref<host::RibbonUI> ribbon;
  };
  // The ribbons loaded from now on are put by name, and handed to onLoad too when `loaded`.
  struct PutByName : sim::RibbonCallbacks {
    PutByName(PutRibbonTest& test, bool loaded) : test(test), loaded(loaded) {}
    std::wstring GetCustomUI(const std::wstring& id) override {
      return test.bridge.GetCustomUI(id);
    }
    void OnLoad(const std::wstring& name, const Ref<host::RibbonUI>& ribbon) override {
      if (loaded) test.bridge.OnLoad(name, ribbon);
      test.connect.PutRibbon(std::make_shared<Alias>(ribbon));
    }
    bool GetBool(const std::wstring& n, const Ref<host::RibbonControl>& c) override {
      return test.bridge.GetBool(n, c);
    }
    void Action(const std::wstring& n, const Ref<host::RibbonControl>& c) override {
      test.bridge.Action(n, c);
    }
    PutRibbonTest& test;
    bool loaded;
  };

  // How many times a Start on the appointment's tab invalidates the appointment's ribbon.
  int Invalidations(bool loaded) {
    PutByName put_by_name(*this, loaded);
    outlook.AttachRibbon(&put_by_name);
    auto appointment = LinkedAppointment(L"Stopped");
    // The task window's ribbon loads first, so that the appointment's is the one last put.
    outlook.OpenItem(LinkedTaskOf(appointment));
    outlook.CloseWindow(LinkedTaskOf(appointment), false);
    outlook.OpenItem(appointment);
    const int before = outlook.InvalidateCount(sim::kAppointmentRibbon);
    EXPECT_TRUE(outlook.ClickTabButton(L"VB_StartTask"));
    outlook.AttachRibbon(&bridge);
    return outlook.InvalidateCount(sim::kAppointmentRibbon) - before;
  }
};

TEST_F(PutRibbonTest, APutRibbonIsRefreshedToo) {
  EXPECT_EQ(Invalidations(false), 1);
}

// The same ribbon loaded and put by name is one ribbon, refreshed once.
TEST_F(PutRibbonTest, ALoadedRibbonPutByNameIsRefreshedOnce) {
  EXPECT_EQ(Invalidations(true), 1);
}

TEST_F(UiTest, HostFailuresGoBackToTheHostWithoutAMessage) {
  auto mail = outlook.ReceiveMail(L"Budget", L"Figures");
  auto appointment = LinkedAppointment(L"Stopped");

  // No window: no active inspector.
  EXPECT_THROW(InvokeDecision(connect, L"VB_GetEnabled", Control(L"VB_OpenTask")), host::Failure);
  EXPECT_THROW(InvokeAction(connect, L"VB_StartTask", Control(L"VB_StartTask")), host::Failure);
  // A mail in front is no appointment.
  outlook.OpenItem(mail);
  EXPECT_THAT([&] { InvokeDecision(connect, L"VB_GetEnabled", Control(L"VB_OpenTask")); },
              FailsWith(host::errors::kTypeMismatch));
  // No main window: no active explorer.
  outlook.SetExplorerOpen(false);
  EXPECT_THROW(InvokeDecision(connect, L"VBX_GetEnabled", Control(L"VBX_Fenmark")), host::Failure);
  EXPECT_THROW(InvokeDecision(connect, L"VBX_GetVisible", Control(L"VBX_Fenmark")), host::Failure);
  outlook.SetExplorerOpen(true);

  // A ribbon that fails to refresh fails nothing: the task is complete, the window closes.
  outlook.OpenItem(appointment);
  outlook.FailCallsTo(L"RibbonUI.Invalidate");
  InvokeAction(connect, L"VB_CompleteTask", Control(L"VB_CompleteTask"));
  EXPECT_TRUE(LinkedTaskOf(appointment).Complete());
  EXPECT_FALSE(appointment.WindowOpen());
}

// Callbacks are found by name and controls by id without regard to case; an id outside the table
// is never enabled.
TEST_F(UiTest, CallbacksResolveByNameWithoutRegardToCase) {
  auto appointment = LinkedAppointment(L"Stopped");
  outlook.OpenItem(appointment);
  for (const wchar_t* id : {L"VB_Spacer1", L"OstrandTab", L"VBX_Send_To_Ostrand", L"", L"VB_Open"})
    EXPECT_FALSE(InvokeDecision(connect, L"VB_GetEnabled", Control(id))) << id;
  outlook.Select({appointment});
  for (const wchar_t* id : {L"VBX_Separator2", L"VBX_Send_To_Ostrand", L"VB_OpenTask_"})
    EXPECT_FALSE(InvokeDecision(connect, L"VBX_GetEnabled", Control(id))) << id;
  outlook.ShowTab();
  ASSERT_NE(FindRibbonCallback(L"vb_getenabled"), nullptr);
  EXPECT_TRUE(InvokeDecision(connect, L"VB_GETENABLED", Control(L"VB_StartTask")));
  EXPECT_EQ(FindRibbonCallback(L"GetTaskStatus"), nullptr);
  for (const wchar_t* name : {L"VB_Nothing", L"VB_OpenTask", L""})
    EXPECT_THAT([&] { InvokeDecision(connect, name, Control(L"VB_OpenTask")); },
                FailsWith(static_cast<std::int32_t>(0x80020006)))
        << ::testing::PrintToString(std::wstring(name));
  EXPECT_THROW(InvokeAction(connect, L"VB_GetEnabled", Control(L"VB_OpenTask")), host::Failure);
  InvokeAction(connect, L"vb_starttask", Control(L"VB_StartTask"));
  EXPECT_EQ(LinkedTaskOf(appointment).UserProperty(L"OstrandStatus"), L"Started");
}

}  // namespace
}  // namespace fenmark::testing
