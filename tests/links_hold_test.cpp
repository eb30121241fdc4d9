// Links that hold however an appointment arrived: the marker line stands in for a link the add
// event never made, and the tabs follow links and task saves.
#include <optional>

#include "tests/fixture.h"

namespace fenmark::testing {
namespace {

using LinksHoldTest = UiTest;
using sim::FolderKind;

TEST_F(LinksHoldTest, AppointmentsTheAddEventMissedOfferTheirTaskByTheMarker) {
  auto task = LinkedTask(L"Q3 figures", L"Stopped", true);
  outlook.SetAddEventsDropped(FolderKind::kCalendar, true);  // many arrived at once
  auto dropped = outlook.ScheduleTask(task);
  auto elsewhere = outlook.ScheduleTask(task, std::nullopt, FolderKind::kOtherCalendar);
  for (const auto& appointment : {dropped, elsewhere}) {
    ASSERT_FALSE(appointment.HasUserProperty(L"TaskLinkEntryID"));
    EXPECT_EQ(
        MenuState(outlook.RightClick({appointment})),
        L"VBX_Fenmark+ VBX_Open_Ostrand_Task+ VBX_Start_Ostrand_Task+ VBX_Stop_Ostrand_Task- ");
    outlook.OpenItem(appointment);
    EXPECT_EQ(TabState(outlook.ShowTab(appointment)), kStoppedTab);
    outlook.CloseWindow(appointment, false);
    outlook.SetVersion(kOutlook12);
    EXPECT_EQ(MenuState(outlook.RightClick({appointment})),
              L"Fenmark+ Open Ostrand Task+ Start Ostrand Task+ Stop Ostrand Task- ");
    outlook.SetVersion(kOutlook14);
    // Drawing reads; it never writes.
    EXPECT_EQ(appointment.WriteCount(), 0u);
  }

  // The first command links a saved appointment with one save of its own, then acts.
  outlook.ClearCalls();
  EXPECT_TRUE(outlook.RightClick({elsewhere}).ClickRibbonEntry(L"VBX_Start_Ostrand_Task"));
  EXPECT_EQ(elsewhere.Persisted()->user_properties.size(), 3u);
  EXPECT_EQ(elsewhere.UserProperty(L"TaskLinkEntryID"), task.EntryID());
  EXPECT_EQ(elsewhere.UserProperty(L"TaskLinkKey"), task.UserProperty(L"OstrandTaskKey"));
  EXPECT_EQ(elsewhere.UserProperty(L"TaskLinkStoreID"), outlook.StoreID(FolderKind::kTasks));
  EXPECT_EQ(elsewhere.SaveCount(), 2);
  EXPECT_EQ(task.UserProperty(L"OstrandStatus"), L"Started");
}

TEST_F(LinksHoldTest, AnAppointmentThatCannotBeLinkedQuietlyStillActsOnItsTask) {
  auto task = LinkedTask(L"Q3 figures", L"Stopped", true);
  outlook.SetAddEventsDropped(FolderKind::kCalendar, true);
  // Unsaved changes in its window: linking would save them behind the user's back.
  auto edited = outlook.ScheduleTask(task);
  outlook.OpenItem(edited);
  outlook.UserTypes(edited, L"Room 4. ");
  EXPECT_TRUE(outlook.ClickTabButton(L"VB_StartTask", edited));
  EXPECT_FALSE(edited.HasUserProperty(L"TaskLinkEntryID"));
  EXPECT_EQ(edited.SaveCount(), 1);
  EXPECT_TRUE(edited.Dirty());
  EXPECT_EQ(task.UserProperty(L"OstrandStatus"), L"Started");

  // A calendar with reviewer rights refuses the save: the command acts all the same, silently.
  auto shared = outlook.ScheduleTask(task);
  outlook.FailCallsTo(L"Item.Save", sim::kFailed, L"You do not have permission.", 1, true);
  EXPECT_TRUE(outlook.RightClick({shared}).ClickRibbonEntry(L"VBX_Stop_Ostrand_Task"));
  outlook.ClearFaults();
  EXPECT_FALSE(shared.Persisted()->user_properties.size());
  EXPECT_EQ(task.UserProperty(L"OstrandStatus"), L"Stopped");
}

TEST_F(LinksHoldTest, AnAppointmentWithoutLinkOrMarkerCostsOneBodyReadAndNoLookup) {
  // A marker that names no task is no link either.
  outlook.SetAddEventsDropped(FolderKind::kCalendar, true);
  auto empty = outlook.CreateAppointment(L"Empty marker", L"TaskLinkEntryID: \r\nNotes");
  outlook.ClearCalls();
  EXPECT_EQ(MenuState(outlook.RightClick({empty})), L"");
  EXPECT_FALSE(outlook.Called(L"Namespace.GetItemFromID")) << outlook.CallsText();
  auto plain = outlook.CreateAppointment(L"Dentist", L"Bring the card");
  outlook.ClearCalls();
  EXPECT_EQ(MenuState(outlook.RightClick({plain})), L"");
  EXPECT_EQ(outlook.CountCalls(L"Item.Body"), 1) << outlook.CallsText();
  EXPECT_FALSE(outlook.Called(L"Namespace.GetItemFromID"));
  outlook.ClearCalls();
  outlook.OpenItem(plain);
  EXPECT_EQ(TabState(outlook.ShowTab(plain)),
            L"VB_CompleteTask- VB_OpenTask- VB_StartTask- VB_StopTask- ");
  EXPECT_EQ(outlook.CountCalls(L"Item.Body"), 1) << outlook.CallsText();
  EXPECT_FALSE(outlook.Called(L"Namespace.GetItemFromID"));
}

TEST_F(LinksHoldTest, TabsFollowLinksAndTaskSavesButNotTheAddInsOwnSaves) {
  auto task = LinkedTask(L"Q3 figures", L"Stopped", true);
  outlook.SetAddEventsDropped(FolderKind::kCalendar, true);
  auto appointment = outlook.ScheduleTask(task);
  outlook.OpenItem(appointment);  // Save, not Save & Close: the window stays open
  outlook.SetAddEventsDropped(FolderKind::kCalendar, false);
  int invalidated = outlook.InvalidateCount(sim::kAppointmentRibbon);
  outlook.AddToCalendar(appointment);  // the add event, late
  EXPECT_EQ(appointment.UserProperty(L"TaskLinkEntryID"), task.EntryID());
  EXPECT_EQ(outlook.InvalidateCount(sim::kAppointmentRibbon), invalidated + 1);

  // The user completes the task in its own window: the open appointment's tab greys at once.
  outlook.OpenItem(task);
  task.SetComplete(true);
  invalidated = outlook.InvalidateCount(sim::kAppointmentRibbon);
  outlook.UserSave(task);
  EXPECT_EQ(outlook.InvalidateCount(sim::kAppointmentRibbon), invalidated + 1);
  EXPECT_EQ(TabState(outlook.ShowTab(appointment)),
            L"VB_CompleteTask- VB_OpenTask+ VB_StartTask- VB_StopTask- ");

  // A command's own saves of a watched task refresh once, not again for each write event.
  task.SetComplete(false);
  outlook.UserSave(task);
  invalidated = outlook.InvalidateCount(sim::kAppointmentRibbon);
  EXPECT_TRUE(outlook.ClickTabButton(L"VB_StartTask", appointment));
  EXPECT_EQ(task.UserProperty(L"OstrandStatus"), L"Started");
  EXPECT_EQ(outlook.InvalidateCount(sim::kAppointmentRibbon), invalidated + 1);
}

}  // namespace
}  // namespace fenmark::testing
