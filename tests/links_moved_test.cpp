// A task that moved is found again: drawing never searches and asks once, Open searches folder by
// folder in a set order, relinks the appointment and says in words what it found.
#include <algorithm>

#include "links/moved_task.h"
#include "tests/fixture.h"

namespace fenmark::testing {
namespace {

using MovedTest = UiTest;
using sim::FolderKind;

constexpr const wchar_t* kOnlyOpen =
    L"VBX_Fenmark- VBX_Open_Ostrand_Task+ VBX_Start_Ostrand_Task- VBX_Stop_Ostrand_Task- ";
constexpr const wchar_t* kStopped =
    L"VBX_Fenmark+ VBX_Open_Ostrand_Task+ VBX_Start_Ostrand_Task+ VBX_Stop_Ostrand_Task- ";

std::wstring Property(const sim::SimItem& item, const wchar_t* name) {
  return item.UserProperty(name).value_or(L"(none)");
}

class Moved : public MovedTest {
 protected:
  // A right-click on the appointment, as a new drawing.
  std::wstring Menu(const sim::SimItem& appointment) {
    outlook.AdvanceMilliseconds(2000);
    return MenuState(outlook.RightClick({appointment}));
  }
  void Open(const sim::SimItem& appointment) {
    connect.Run(host::Operation::kOpenTask, {appointment.EntryID()});
  }
  // The next drawing reads the task where it is now, with one lookup.
  void ExpectStoppedWithOneLookup(const sim::SimItem& appointment) {
    outlook.ClearCalls();
    EXPECT_EQ(Menu(appointment), kStopped);
    EXPECT_EQ(outlook.CountCalls(L"Namespace.GetItemFromID"), 1);
  }
  // The folders Open restricted, in order.
  std::vector<std::wstring> Restricted() const {
    std::vector<std::wstring> folders;
    for (const auto& call : outlook.Calls())
      if (call.Name() == L"ItemCollection.Restrict") folders.push_back(call.object);
    return folders;
  }
};

TEST_F(Moved, DrawingAMissingTaskAsksOnceNeverSearchesAndOffersOnlyOpen) {
  auto appointment = LinkedAppointment(L"Stopped");
  outlook.MoveItem(LinkedTaskOf(appointment), FolderKind::kOtherTasks);
  outlook.ClearCalls();
  EXPECT_EQ(Menu(appointment), kOnlyOpen);
  EXPECT_EQ(outlook.CountCalls(L"Namespace.GetItemFromID"), 1);  // the link names its store
  EXPECT_EQ(Menu(appointment), kOnlyOpen);
  outlook.OpenItem(appointment);
  EXPECT_EQ(TabState(outlook.ShowTab()),
            L"VB_CompleteTask- VB_OpenTask+ VB_StartTask- VB_StopTask- ");
  outlook.CloseWindow(appointment, false);
  EXPECT_EQ(outlook.CountCalls(L"Namespace.GetItemFromID"), 1);  // remembered for the session
  EXPECT_EQ(outlook.CountCalls(L"ItemCollection.Restrict"), 0);
  EXPECT_EQ(outlook.CountCalls(L"Namespace.Folders"), 0);

  // Linked by its marker only, with no store: the store fallback asks a second time, once.
  outlook.SetAddEventsDropped(FolderKind::kCalendar, true);
  auto task = LinkedTask(L"Unlinked", L"Stopped", false);
  auto by_marker = outlook.ScheduleTask(task);
  outlook.DeleteItem(task);
  outlook.ClearCalls();
  EXPECT_EQ(Menu(by_marker), kOnlyOpen);
  EXPECT_EQ(Menu(by_marker), kOnlyOpen);
  EXPECT_EQ(outlook.CountCalls(L"Namespace.GetItemFromID"), 2);
  EXPECT_EQ(outlook.CountCalls(L"ItemCollection.Restrict"), 0);
}

TEST_F(Moved, ANetworkErrorIsNoMissAndIsAskedAgain) {
  constexpr std::int32_t kNetworkError = -2147221227;  // 0x80040115
  auto appointment = LinkedAppointment(L"Stopped");
  outlook.FailCallsTo(L"Namespace.GetItemFromID", kNetworkError, L"Network problems.");
  outlook.ClearCalls();
  EXPECT_EQ(Menu(appointment), L"");
  EXPECT_EQ(Menu(appointment), L"");
  EXPECT_EQ(outlook.CountCalls(L"Namespace.GetItemFromID"), 2);
  outlook.ClearFaults();
  EXPECT_EQ(Menu(appointment), kStopped);
}

TEST_F(Moved, OpenFindsATaskMovedToASubfolderBeforeAndAfterItsSaveThere) {
  for (const bool saved_there : {false, true}) {
    SCOPED_TRACE(saved_there ? "saved in its new folder" : "not saved since the move");
    auto appointment = LinkedAppointment(L"Stopped");
    auto task = LinkedTaskOf(appointment);
    const std::wstring key = task.EntryID();
    outlook.MoveItem(task, FolderKind::kOtherTasks);
    if (saved_there) {
      outlook.OpenItem(task);
      outlook.UserSave(task);
      outlook.CloseWindow(task, false);
      ASSERT_EQ(Property(task, L"TaskLinkEntryID"), task.EntryID());
    }
    EXPECT_EQ(Menu(appointment), kOnlyOpen);
    const int saves = appointment.SaveCount();
    bool waiting = false;
    outlook.BeforeCall(L"ItemCollection.Restrict", [&] { waiting = outlook.WaitCursorShown(); });
    outlook.ClearCalls();
    Open(appointment);
    EXPECT_TRUE(waiting);
    EXPECT_FALSE(outlook.WaitCursorShown());
    // The default store's task folders and its Deleted Items, one Restrict each; no other store.
    EXPECT_EQ(Restricted(), (std::vector<std::wstring>{L"Tasks", L"Projects", L"Deleted Items"}));
    EXPECT_TRUE(task.WindowOpen());
    EXPECT_EQ(Property(appointment, L"TaskLinkEntryID"), task.EntryID());
    EXPECT_EQ(Property(appointment, L"TaskLinkKey"), key);
    EXPECT_EQ(Property(appointment, L"TaskLinkStoreID"), outlook.StoreID(FolderKind::kTasks));
    EXPECT_EQ(appointment.SaveCount(), saves + 1);
    EXPECT_FALSE(appointment.Dirty());
    outlook.CloseWindow(task, false);
    ExpectStoppedWithOneLookup(appointment);
  }
}

TEST_F(Moved, OpenSaysInWordsWhereTheTaskIsOrThatItIsGoneAndStopsAtTheFirstStoreWithAMatch) {
  auto deleted = LinkedAppointment(L"Stopped");
  outlook.MoveItem(LinkedTaskOf(deleted), FolderKind::kDeletedItems);
  Open(deleted);
  ExpectMessages({Message(std::wstring(host::kTaskInDeletedItemsMessage))});
  EXPECT_TRUE(LinkedTaskOf(deleted).WindowOpen());
  EXPECT_EQ(LinkedTaskOf(deleted).Folder(), FolderKind::kDeletedItems);

  auto archived = LinkedAppointment(L"Started");
  outlook.MoveItem(LinkedTaskOf(archived), FolderKind::kArchiveTasks);
  outlook.ClearCalls();
  Open(archived);
  EXPECT_EQ(Restricted(), (std::vector<std::wstring>{L"Tasks", L"Projects", L"Deleted Items",
                                                     L"Tasks - Team", L"Tasks"}));
  EXPECT_EQ(Property(archived, L"TaskLinkStoreID"), outlook.StoreID(FolderKind::kArchiveTasks));
  EXPECT_TRUE(LinkedTaskOf(archived).WindowOpen());

  // Gone for good: every store of the user's asked, never the public folders, nothing changed.
  auto gone = LinkedAppointment(L"Stopped");
  auto task = LinkedTaskOf(gone);
  // A copy in the public folders carries the key: it is nobody's own, and never looked at.
  outlook.SetAddEventsDropped(FolderKind::kPublicTasks, true);
  outlook.CopyItem(task, FolderKind::kPublicTasks);
  // An appointment of the task deleted before it carries the link, and is no task.
  outlook.MoveItem(ScheduledFrom(task), FolderKind::kDeletedItems);
  outlook.DeleteItem(task);
  const auto writes = gone.WriteCount();
  outlook.ClearCalls();
  Open(gone);
  ExpectMessages({Message(std::wstring(host::kTaskGoneMessage))});
  const auto restricted = Restricted();
  EXPECT_EQ(restricted.size(), 5u);
  EXPECT_EQ(std::count(restricted.begin(), restricted.end(), L"Team Tasks"), 0);
  EXPECT_EQ(gone.WriteCount(), writes);
}

TEST_F(Moved, OfSeveralMatchesTheOneNotCompleteAndAnAppointmentWithChangesIsRelinkedForTheSession) {
  auto appointment = LinkedAppointment(L"Stopped");
  auto task = LinkedTaskOf(appointment);
  // Completing an occurrence leaves a completed copy beside the series, key and all.
  outlook.MoveItem(task, FolderKind::kOtherTasks);
  auto occurrence = outlook.CopyItem(task, FolderKind::kOtherTasks);
  occurrence.SetComplete(true);
  outlook.UserSave(occurrence);
  // The user has typed into the appointment's open window, unsaved.
  outlook.OpenItem(appointment);
  appointment.SetBody(L"Agenda");
  const auto writes = appointment.WriteCount();
  const std::wstring old_link = Property(appointment, L"TaskLinkEntryID");
  Open(appointment);
  EXPECT_TRUE(task.WindowOpen());
  EXPECT_FALSE(occurrence.WindowOpen());
  EXPECT_EQ(appointment.WriteCount(), writes);
  EXPECT_EQ(Property(appointment, L"TaskLinkEntryID"), old_link);
  EXPECT_TRUE(appointment.Dirty());
  outlook.CloseWindow(task, false);
  outlook.CloseWindow(appointment, false);
  ExpectStoppedWithOneLookup(appointment);
}

// The tab that offered Open alone is drawn anew once Open has found the task.
TEST_F(Moved, OpenFromTheTabRefreshesIt) {
  auto appointment = LinkedAppointment(L"Stopped");
  outlook.MoveItem(LinkedTaskOf(appointment), FolderKind::kOtherTasks);
  outlook.OpenItem(appointment);
  EXPECT_EQ(TabState(outlook.ShowTab()),
            L"VB_CompleteTask- VB_OpenTask+ VB_StartTask- VB_StopTask- ");
  ASSERT_TRUE(outlook.ClickTabButton(L"VB_OpenTask"));
  EXPECT_EQ(TabState(outlook.ShowTab(appointment)), kStoppedTab);
  outlook.CloseWindow(LinkedTaskOf(appointment), false);
  outlook.CloseWindow(appointment, false);
}

TEST_F(Moved, OpenStopsAtTheBoundOfFoldersAndSaysSo) {
  for (int i = 0; i < links::kMaxFoldersSearched; ++i)
    outlook.AddFolder(FolderKind::kTasks, L"Folder " + std::to_wstring(i), host::kOlTaskItem);
  auto appointment = LinkedAppointment(L"Stopped");
  auto task = LinkedTaskOf(appointment);
  outlook.MoveItem(task, FolderKind::kArchiveTasks);
  outlook.ClearCalls();
  Open(appointment);
  ExpectMessages({Message(std::wstring(host::kSearchBoundMessage) +
                          std::to_wstring(links::kMaxFoldersSearched))});
  EXPECT_EQ(outlook.CountCalls(L"ItemCollection.Restrict"), links::kMaxFoldersSearched);
  EXPECT_FALSE(task.WindowOpen());
}

}  // namespace
}  // namespace fenmark::testing
