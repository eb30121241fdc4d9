// The user's own links and a key that lasts: a task keeps its first entry ID as its key through
// moves and restores, copies get their own, only the user's own appointments are linked, only
// entry IDs are saved, and only what changes is saved.
#include "tests/fixture.h"

namespace fenmark::testing {
namespace {

using KeysTest = UiTest;
using sim::FolderKind;

std::wstring Property(const sim::SimItem& item, const wchar_t* name) {
  return item.UserProperty(name).value_or(L"(none)");
}

TEST_F(KeysTest, AMovedOrRestoredTaskKeepsItsKeyACopyGetsItsOwn) {
  auto task = LinkedTask(L"Q3 figures", L"Started", true);
  const std::wstring first = task.EntryID();
  ASSERT_EQ(Property(task, L"OstrandTaskKey"), first);

  // Moved to a subfolder and saved there in its window: a new entry ID, the same key.
  outlook.MoveItem(task, FolderKind::kOtherTasks);
  ASSERT_NE(task.EntryID(), first);
  outlook.OpenItem(task);
  outlook.UserSave(task);
  outlook.CloseWindow(task, false);
  EXPECT_EQ(Property(task, L"OstrandTaskKey"), first);
  EXPECT_EQ(Property(task, L"TaskLinkEntryID"), task.EntryID());

  // Deleted, then restored into Tasks: stamped on arrival, the key kept.
  outlook.MoveItem(task, FolderKind::kDeletedItems);
  outlook.MoveItem(task, FolderKind::kTasks);
  EXPECT_EQ(task.Persisted()->user_properties.size(), 3u);
  EXPECT_EQ(Property(task, L"OstrandTaskKey"), first);
  EXPECT_EQ(Property(task, L"TaskLinkEntryID"), task.EntryID());
  EXPECT_EQ(Property(task, L"OstrandStatus"), L"Started");

  // A copy names a task that is still there: a key of its own, the status kept.
  auto copy = outlook.CopyItem(task, FolderKind::kTasks);
  EXPECT_EQ(Property(copy, L"OstrandTaskKey"), copy.EntryID());
  EXPECT_EQ(Property(copy, L"TaskLinkEntryID"), copy.EntryID());
  EXPECT_EQ(Property(copy, L"OstrandStatus"), L"Started");
  EXPECT_EQ(copy.SaveCount(), 2);  // the copy's own, then the stamp's
}

TEST_F(KeysTest, ATaskStampedBeforeKeysTakesItsOldStampAsItsKey) {
  // Stamped by an earlier version, then moved: appointments made then name the old entry ID.
  outlook.SetAddEventsDropped(FolderKind::kTasks, true);
  auto task = outlook.CreateTask(L"Older");
  const std::wstring old = task.EntryID();
  task.SetUserProperty(L"TaskLinkEntryID", old);
  task.SetUserProperty(L"OstrandStatus", L"Stopped");
  outlook.UserSave(task);
  outlook.SetAddEventsDropped(FolderKind::kTasks, false);
  auto copy = outlook.CopyItem(task, FolderKind::kTasks);
  EXPECT_EQ(Property(copy, L"OstrandTaskKey"), copy.EntryID());
  outlook.MoveItem(task, FolderKind::kOtherTasks);
  outlook.OpenItem(task);
  outlook.UserSave(task);
  EXPECT_EQ(Property(task, L"OstrandTaskKey"), old);
  EXPECT_EQ(Property(task, L"TaskLinkEntryID"), task.EntryID());
}

TEST_F(KeysTest, AUsersSaveOfAStampedTaskIsTheOnlySave) {
  auto task = LinkedTask(L"Q3 figures", L"Stopped", true);
  const int saves = task.SaveCount();
  outlook.OpenItem(task);
  outlook.UserTypes(task, L"Call Bo. ");
  outlook.ClearCalls();
  outlook.UserSave(task);
  EXPECT_EQ(task.SaveCount(), saves + 1);
  EXPECT_FALSE(outlook.Called(L"Item.Save")) << outlook.CallsText();
  EXPECT_FALSE(outlook.Called(L"UserProperty.SetValue")) << outlook.CallsText();
}

TEST_F(KeysTest, AReceivedMeetingIsNeverLinkedByItsMarker) {
  auto task = LinkedTask(L"Q3 figures", L"Stopped", true);
  const std::wstring body = L"TaskLinkEntryID: " + task.EntryID() + L"\r\nAgenda";
  auto received = outlook.ReceiveMeeting(L"Review", body);
  outlook.SetAddEventsDropped(FolderKind::kCalendar, true);
  auto cancelled = outlook.ReceiveMeeting(L"Review", body);
  cancelled.SetMeetingStatus(host::kOlMeetingReceivedAndCanceled);
  // Linked on arrival by an earlier version.
  auto linked_before = outlook.ReceiveMeeting(L"Review", body);
  linked_before.SetUserProperty(L"TaskLinkEntryID", task.EntryID());
  outlook.UserSave(linked_before);
  for (const auto& meeting : {received, cancelled, linked_before}) {
    const std::size_t writes = meeting.WriteCount();
    outlook.ClearCalls();
    EXPECT_EQ(MenuState(outlook.RightClick({meeting})), L"");
    outlook.SetVersion(kOutlook12);
    EXPECT_EQ(MenuState(outlook.RightClick({meeting})), L"");
    outlook.SetVersion(kOutlook14);
    outlook.OpenItem(meeting);
    EXPECT_EQ(TabState(outlook.ShowTab(meeting)),
              L"VB_CompleteTask- VB_OpenTask- VB_StartTask- VB_StopTask- ");
    InvokeAction(connect, L"VB_StartTask", Control(L"VB_StartTask"));
    ExpectMessages({Report(L"91 - Object variable or With block variable not set", L"StartTask")});
    outlook.CloseWindow(meeting, false);
    // The command's lookup of the appointment itself; its body is never read.
    EXPECT_EQ(outlook.CountCalls(L"Namespace.GetItemFromID"), 1) << outlook.CallsText();
    EXPECT_FALSE(outlook.Called(L"Item.Body")) << outlook.CallsText();
    EXPECT_EQ(meeting.WriteCount(), writes);
  }
  EXPECT_FALSE(received.HasUserProperty(L"TaskLinkEntryID"));
  EXPECT_EQ(received.SaveCount(), 1);
  EXPECT_EQ(Property(task, L"OstrandStatus"), L"Stopped");
}

TEST_F(KeysTest, AMarkerIsSavedAsALinkOnlyOnceItsTaskIsFound) {
  outlook.SetAddEventsDropped(FolderKind::kCalendar, true);
  const auto mail = outlook.ReceiveMail(L"Not a task", L"");
  for (const std::wstring& id : {mail.EntryID(), std::wstring(L"0A1"), std::wstring(2000, L'B')}) {
    auto appointment = outlook.CreateAppointment(L"Review", L"TaskLinkEntryID: " + id + L"\r\n");
    InvokeAction(connect, L"VBX_StartTask",
                 Control(L"VBX_Start_Ostrand_Task", {nullptr, nullptr, nullptr}));
    outlook.RightClick({appointment}).ClickRibbonEntry(L"VBX_Start_Ostrand_Task");
    connect.Run(host::Operation::kStartTask, {appointment.EntryID()});
    outlook.ClearMessageBoxes();
    EXPECT_TRUE(appointment.UserProperties().empty());
    EXPECT_EQ(appointment.SaveCount(), 1);
  }
}

TEST_F(KeysTest, ALinkWhoseSaveIsRefusedIsTakenBack) {
  auto task = LinkedTask(L"Q3 figures", L"Stopped", true);
  // On arrival: the failure goes back to the calendar's event.
  outlook.SetSavesRefused(FolderKind::kCalendar, true);
  auto arrived = outlook.ScheduleTask(task);
  EXPECT_TRUE(arrived.UserProperties().empty());
  ASSERT_EQ(outlook.ReturnedFailures().size(), 1u);
  EXPECT_EQ(outlook.ReturnedFailures()[0].number, sim::kNoPermission);
  outlook.ClearReturnedFailures();
  // At the first command: the command acts all the same.
  outlook.SetSavesRefused(FolderKind::kOtherCalendar, true);
  auto elsewhere = outlook.ScheduleTask(task, std::nullopt, FolderKind::kOtherCalendar);
  EXPECT_TRUE(outlook.RightClick({elsewhere}).ClickRibbonEntry(L"VBX_Start_Ostrand_Task"));
  EXPECT_EQ(Property(task, L"OstrandStatus"), L"Started");
  for (const auto& appointment : {arrived, elsewhere}) {
    EXPECT_TRUE(appointment.UserProperties().empty());
    EXPECT_EQ(appointment.SaveCount(), 1);
  }
}

TEST_F(KeysTest, ASaveTheUserMakesWhileABoxIsUpIsStamped) {
  auto appointment = LinkedAppointment(L"Stopped");
  outlook.SetWordAvailable(LinkedTaskOf(appointment), false);
  outlook.SetAddEventsDropped(FolderKind::kTasks, true);
  auto other = outlook.CreateTask(L"Other");
  outlook.OpenItem(other);
  outlook.SetMessageBoxHandler([&](const sim::MessageBoxRecord&) {
    outlook.UserSave(other);
    return 1;
  });
  EXPECT_TRUE(outlook.RightClick({appointment}).ClickRibbonEntry(L"VBX_Start_Ostrand_Task"));
  outlook.ClearMessageBoxes();
  EXPECT_EQ(Property(other, L"TaskLinkEntryID"), other.EntryID());
  EXPECT_EQ(Property(other, L"OstrandTaskKey"), other.EntryID());
  EXPECT_EQ(other.Persisted()->user_properties.size(), 3u);
}

TEST_F(KeysTest, ScheduleFromASharedTaskRecordsItsKeyAndStore) {
  auto task = outlook.AddItem(host::kOlTask, L"Team review", L"", FolderKind::kSharedTasks);
  outlook.RightClick({task}).ClickRibbonEntry(L"VBX_Schedule_Ostrand_Task");
  auto shown = outlook.ActiveWindowItem();
  ASSERT_EQ(shown.Class(), host::kOlAppointment);
  EXPECT_EQ(Property(shown, L"TaskLinkKey"), task.EntryID());
  EXPECT_EQ(Property(shown, L"TaskLinkStoreID"), outlook.StoreID(FolderKind::kSharedTasks));
  outlook.UserSave(shown);
  outlook.CloseWindow(shown, false);
  outlook.ClearCalls();
  EXPECT_TRUE(outlook.RightClick({shown}).ClickRibbonEntry(L"VBX_Start_Ostrand_Task"));
  EXPECT_EQ(Property(task, L"OstrandStatus"), L"Started");
  // The appointment's lookup, then the task's, in its store at once.
  EXPECT_EQ(outlook.CountCalls(L"Namespace.GetItemFromID"), 3) << outlook.CallsText();
}

// A right-click on a linked appointment costs at most two calls more than before the key and the
// store were recorded (60 for the markup's menu, 58 for Outlook 12's), and one lookup.
TEST_F(KeysTest, ARightClickCostsAtMostTwoMoreCallsAndOneLookup) {
  auto made_now = LinkedAppointment(L"Stopped");
  auto made_before = outlook.CreateAppointment(L"Older link", L"");
  made_before.SetUserProperty(L"TaskLinkEntryID", LinkedTaskOf(made_now).EntryID());
  outlook.UserSave(made_before);
  const std::pair<const wchar_t*, std::size_t> versions[] = {{kOutlook14, 60}, {kOutlook12, 58}};
  for (const auto& appointment : {made_now, made_before}) {
    for (const auto& [version, before] : versions) {
      SCOPED_TRACE(::testing::PrintToString(std::wstring(version)));
      outlook.SetVersion(version);
      outlook.RightClick({appointment});
      outlook.AdvanceMilliseconds(2000);
      outlook.ClearCalls();
      EXPECT_EQ(MenuState(outlook.RightClick({appointment})).empty(), false);
      EXPECT_LE(outlook.CallCount(), before + 2) << outlook.CallsText();
      EXPECT_EQ(outlook.CountCalls(L"Namespace.GetItemFromID"), 1);
    }
  }
}

}  // namespace
}  // namespace fenmark::testing
