// Links made without a command: the watched task stamps itself when saved, and appointments that
// arrive in the calendar with the marker line take their task's entry ID.
#include <cwctype>
#include <optional>
#include <tuple>

#include "tests/fixture.h"

namespace fenmark::testing {
namespace {

using TrackingTest = AddinTest;

std::optional<std::wstring> PersistedProperty(const sim::SimItem& item, const std::wstring& name) {
  const auto persisted = item.Persisted();
  if (!persisted) return std::nullopt;
  for (const auto& property : persisted->user_properties)
    if (property.name == name) return property.value;
  return std::nullopt;
}

TEST_F(TrackingTest, ATaskSavedInItsWindowIsStampedOnceWithoutRecursion) {
  // A task made by "Send to Ostrand" is new and unsaved in its window: its first save gives it an
  // entry ID, which the stamp must already carry.
  auto mail = outlook.ReceiveMail(L"Quarterly figures", L"Numbers attached.");
  connect.Run(host::Operation::kCopyToTask, {mail.EntryID()});
  auto task = outlook.ActiveWindowItem();
  ASSERT_TRUE(task && !task.Saved());
  outlook.UserSave(task);
  ASSERT_FALSE(task.EntryID().empty());
  EXPECT_EQ(PersistedProperty(task, L"TaskLinkEntryID"), task.EntryID());
  EXPECT_EQ(PersistedProperty(task, L"OstrandStatus"), L"Stopped");
  EXPECT_FALSE(outlook.WriteRecursionOverflowed());
  // The handler's own two saves; their write events are not handled again.
  EXPECT_EQ(outlook.CountCalls(L"Item.Save"), 2) << outlook.CallsText();
}

TEST_F(TrackingTest, EveryOpenTaskWindowIsWatchedUntilItCloses) {
  outlook.SetAddEventsDropped(sim::FolderKind::kTasks, true);  // only the windows stamp here
  auto older = outlook.CreateTask(L"Older");
  auto newer = outlook.CreateTask(L"Newer");
  auto mail = outlook.ReceiveMail(L"Hello", L"");
  outlook.OpenItem(older);
  outlook.OpenItem(mail);  // another kind of window is not watched
  outlook.OpenItem(newer);
  EXPECT_EQ(view.TaskWindows(), 2u);

  // A save in the window opened first stamps its task, with one save of its own: the task has
  // its entry ID already.
  outlook.ClearCalls();
  outlook.UserSave(older);
  EXPECT_EQ(PersistedProperty(older, L"TaskLinkEntryID"), older.EntryID());
  EXPECT_EQ(PersistedProperty(older, L"OstrandStatus"), L"Stopped");
  EXPECT_EQ(outlook.CountCalls(L"Item.Save"), 1) << outlook.CallsText();
  outlook.UserSave(newer);
  EXPECT_EQ(PersistedProperty(newer, L"TaskLinkEntryID"), newer.EntryID());

  // A closed window is let go of: its task's later saves are not heard.
  const int connections = outlook.EventConnections();
  outlook.CloseWindow(older, false);
  EXPECT_EQ(view.TaskWindows(), 1u);
  EXPECT_EQ(outlook.EventConnections(), connections - 2);  // its Write and its Close
  older.RemoveUserProperty(L"TaskLinkEntryID");
  outlook.ClearCalls();
  outlook.UserSave(older);
  EXPECT_EQ(outlook.CallCount(), 0u) << outlook.CallsText();

  connect.OnDisconnection();
  EXPECT_TRUE(view.TaskWindows() == 0);
  EXPECT_EQ(outlook.EventConnections(), 0);
}

TEST_F(TrackingTest, TasksMadeWithoutAWindowAreStampedOnce) {
  // The To-Do Bar's box, typing into the list, a mail dragged onto Tasks: only the folder sees it.
  auto task = outlook.CreateTask(L"Typed into the list");
  EXPECT_EQ(PersistedProperty(task, L"TaskLinkEntryID"), task.EntryID());
  EXPECT_EQ(PersistedProperty(task, L"OstrandStatus"), L"Stopped");
  EXPECT_EQ(task.SaveCount(), 2);  // the user's, then the stamp's
  auto appointment = outlook.ScheduleTask(task);
  EXPECT_EQ(appointment.UserProperty(L"TaskLinkEntryID"), task.EntryID());

  // One that carries its own stamp and a status already is not saved again; a copy carrying
  // another task's entry ID gets its own, and keeps its status.
  outlook.SetAddEventsDropped(sim::FolderKind::kTasks, true);
  auto stamped = LinkedTask(L"Synced in", L"Started", false);
  auto copy = outlook.CreateTask(L"Copy");
  copy.SetUserProperty(L"TaskLinkEntryID", stamped.EntryID());
  copy.SetUserProperty(L"OstrandStatus", L"Started");
  outlook.UserSave(copy);
  outlook.SetAddEventsDropped(sim::FolderKind::kTasks, false);
  outlook.ClearCalls();
  connect.OnTaskItemAdd(outlook.AddinRef(stamped));
  EXPECT_FALSE(outlook.Called(L"Item.Save")) << outlook.CallsText();
  connect.OnTaskItemAdd(outlook.AddinRef(copy));
  EXPECT_EQ(PersistedProperty(copy, L"TaskLinkEntryID"), copy.EntryID());
  EXPECT_EQ(PersistedProperty(copy, L"OstrandStatus"), L"Started");
  EXPECT_EQ(outlook.CountCalls(L"Item.Save"), 1) << outlook.CallsText();

  // A stamp that fails is silent and leaves the task as it was.
  outlook.FailCallsTo(L"Item.Save", sim::kFailed, L"The item has been changed.");
  auto conflicted = outlook.CreateTask(L"Conflict");
  outlook.ClearFaults();
  EXPECT_FALSE(PersistedProperty(conflicted, L"TaskLinkEntryID"));
}

TEST_F(TrackingTest, AppointmentsTakeTheEntryIdOfTheirFirstMarkerLine) {
  const std::wstring id = LinkedTask(L"Report", L"Stopped", false).EntryID();
  std::wstring lower = id;
  for (auto& c : lower) c = static_cast<wchar_t>(std::towlower(c));
  const std::wstring mail = outlook.ReceiveMail(L"Not a task", L"").EntryID();
  constexpr std::int32_t kNone = 0, kBadArgument = host::errors::kInvalidArgument;
  // The body, the link it gives (none: neither changed nor saved by the add-in), and the failure
  // that goes back to the calendar's event.
  const std::tuple<const wchar_t*, std::wstring, std::optional<std::wstring>, std::int32_t>
      cases[] = {
          {L"CR LF", L"Agenda\r\nTaskLinkEntryID: " + id + L"\r\nBring figures", id, kNone},
          {L"lower case", L"tasklinkentryid: " + lower + L"\r\n", lower, kNone},
          {L"two markers", L"TaskLinkEntryID: " + id + L"\r\nTaskLinkEntryID: " + mail + L"\r\n",
           id, kNone},
          {L"any separator", L"xTASKlinkENTRYid:-" + id + L"\rc\r", id, kNone},
          {L"empty ID", L"TaskLinkEntryID: \r\nNotes", std::nullopt, kNone},
          {L"padded", L"TaskLinkEntryID:  " + id + L" \r\n", std::nullopt, kNone},
          {L"not hexadecimal", L"TaskLinkEntryID: 00G1\r\n", std::nullopt, kNone},
          {L"odd length", L"TaskLinkEntryID: " + id + L"0\r\n", std::nullopt, kNone},
          {L"over-long", L"TaskLinkEntryID: " + std::wstring(1026, L'A') + L"\r\n", std::nullopt,
           kNone},
          {L"LF inside", L"TaskLinkEntryID: A0\nB1\r", std::nullopt, kNone},
          {L"CR after CR", L"TaskLinkEntryID:\r\r", std::nullopt, kNone},
          {L"names a mail", L"TaskLinkEntryID: " + mail + L"\r\n", std::nullopt,
           host::errors::kTypeMismatch},
          {L"names nothing", L"TaskLinkEntryID: 00A1B2\r\n", std::nullopt, sim::kNotFound},
          {L"no marker", L"Lunch with Bo\r\n", std::nullopt, kNone},
          {L"near miss", L"TaskLink EntryID: " + id + L"\r\n", std::nullopt, kNone},
          {L"no CR after", L"TaskLinkEntryID: " + id, std::nullopt, kBadArgument},
          {L"marker at the end", L"Notes TaskLinkEntryID:", std::nullopt, kBadArgument},
          {L"CR only before", L"Notes\r\nTaskLinkEntryID: 00A1\n", std::nullopt, kBadArgument},
          {L"CR as separator", L"TaskLinkEntryID:\r", std::nullopt, kBadArgument},
      };
  for (const auto& [name, body, link, failure] : cases) {
    SCOPED_TRACE(name);
    outlook.ClearReturnedFailures();
    auto appointment = outlook.CreateAppointment(name, body);
    EXPECT_EQ(PersistedProperty(appointment, L"TaskLinkEntryID"), link);
    EXPECT_EQ(appointment.UserProperties().size(), link ? 3u : 0u);
    EXPECT_EQ(appointment.SaveCount(), link ? 2 : 1);
    EXPECT_FALSE(appointment.Dirty());
    const auto returned = outlook.ReturnedFailures();
    ASSERT_EQ(returned.size(), failure ? 1u : 0u);
    for (const auto& back : returned) {
      EXPECT_EQ(back.source, L"Items.ItemAdd");
      EXPECT_EQ(back.number, failure);
      EXPECT_FALSE(back.foreign_exception);
    }
  }
  outlook.ClearReturnedFailures();
  // A contact in the calendar is not looked at, whatever its body.
  outlook.ClearCalls();
  auto contact = outlook.AddItem(sim::kOlContact, L"Bo", L"TaskLinkEntryID: " + id + L"\r\n",
                                 sim::FolderKind::kCalendar);
  EXPECT_EQ(contact.WriteCount(), 0u);
  EXPECT_EQ(contact.SaveCount(), 1);
  EXPECT_FALSE(outlook.Called(L"Item.Body")) << outlook.CallsText();
}

TEST_F(TrackingTest, AnAddedTaskIsStampedWithOneSaveALinkedAppointmentOnce) {
  // A task moved into the calendar gets its own entry ID and key, but no status.
  outlook.SetAddEventsDropped(sim::FolderKind::kTasks, true);
  auto task = outlook.CreateTask(L"Moved task");
  const int task_saves = task.SaveCount();
  outlook.ClearCalls();
  outlook.AddToCalendar(task);
  EXPECT_EQ(PersistedProperty(task, L"TaskLinkEntryID"), task.EntryID());
  EXPECT_EQ(PersistedProperty(task, L"OstrandTaskKey"), task.EntryID());
  EXPECT_FALSE(task.HasUserProperty(L"OstrandStatus"));
  EXPECT_EQ(task.SaveCount(), task_saves + 1);
  ExpectCallOrder({L"UserPropertyCollection.Add(\"OstrandTaskKey\"", L"UserProperty.SetValue",
                   L"UserPropertyCollection.Add(\"TaskLinkEntryID\"", L"UserProperty.SetValue",
                   L"Item.Save"});

  // The appointment: its task looked up once, in its own store; then one save of the link.
  outlook.ClearCalls();
  auto appointment =
      outlook.CreateAppointment(L"Scheduled", L"TaskLinkEntryID: " + task.EntryID() + L"\r\n");
  EXPECT_EQ(outlook.CountCalls(L"Item.Save"), 1) << outlook.CallsText();
  EXPECT_EQ(outlook.CountCalls(L"Namespace.GetItemFromID"), 1);
  ExpectCallOrder({L"Item.MeetingStatus", L"Item.Body", L"Folder.StoreID",
                   L"Namespace.GetItemFromID(\"" + task.EntryID() + L"\", \"" +
                       outlook.StoreID(sim::FolderKind::kCalendar),
                   L"UserPropertyCollection.Add", L"UserProperty.SetValue", L"Item.Save"});
  EXPECT_EQ(PersistedProperty(appointment, L"TaskLinkEntryID"), task.EntryID());
  EXPECT_EQ(PersistedProperty(appointment, L"TaskLinkKey"), task.EntryID());
  EXPECT_EQ(PersistedProperty(appointment, L"TaskLinkStoreID"),
            outlook.StoreID(sim::FolderKind::kCalendar));
}

TEST_F(TrackingTest, AfterDisconnectionNothingIsConnectedAndAddedItemsStayUnlinked) {
  auto task = LinkedTask(L"Report", L"Stopped", true);
  outlook.OpenItem(task);
  ASSERT_GT(outlook.EventConnections(), 0);
  connect.OnDisconnection();
  EXPECT_EQ(outlook.EventConnections(), 0);

  outlook.ClearCalls();
  auto appointment = outlook.ScheduleTask(task);
  outlook.AddToCalendar(outlook.CreateTask(L"Moved task"));
  outlook.UserSave(task);
  EXPECT_FALSE(appointment.HasUserProperty(L"TaskLinkEntryID"));
  EXPECT_EQ(appointment.SaveCount(), 1);
  EXPECT_EQ(outlook.CallCount(), 0u) << outlook.CallsText();
  // An event that a source still delivers after letting go changes nothing either.
  connect.OnCalendarItemAdd(outlook.AddinRef(appointment));
  connect.OnTaskItemAdd(outlook.AddinRef(appointment));
  EXPECT_EQ(outlook.CallCount(), 0u) << outlook.CallsText();
  EXPECT_EQ(outlook.OutstandingReferences(), 0);
}

}  // namespace
}  // namespace fenmark::testing
