// The status of an appointment's linked task, as the ribbon and the menus ask for it.
#include <optional>
#include <tuple>

#include "tests/fixture.h"

namespace fenmark::testing {
namespace {

class TaskStatusTest : public AddinTest {
 protected:
  // A saved appointment linked to a task whose completion flag and OstrandStatus are given.
  sim::SimItem Linked(bool complete, std::optional<std::wstring> status) {
    auto task = LinkedTask(L"Report", status.value_or(L""), false, complete);
    // LinkedTask takes "" for no status; this one is there, and empty.
    if (status == L"") task.SetUserProperty(L"OstrandStatus", L""), outlook.UserSave(task);
    return LinkedTo(task);
  }
  sim::SimItem LinkedTo(const sim::SimItem& item) {
    auto appointment = outlook.CreateAppointment(L"Work on report", L"");
    appointment.SetUserProperty(L"TaskLinkEntryID", item.EntryID());
    outlook.UserSave(appointment);
    return appointment;
  }
  std::wstring StatusOf(const sim::SimItem& appointment) {
    return connect.GetTaskStatus(outlook.AddinRef(appointment));
  }
};

TEST_F(TaskStatusTest, FollowsTheLinkToTheTasksCompletionAndStatus) {
  // The task's completion and OstrandStatus (none: no property); the status it gives.
  const std::tuple<bool, std::optional<std::wstring>, std::wstring> cases[] = {
      {false, L"Started", L"Started"}, {false, L"Stopped", L"Stopped"},
      {false, L"started", L"started"}, {false, L"Waiting on Bo", L"Waiting on Bo"},
      {true, L"Started", L"Complete"}, {true, std::nullopt, L"Complete"},
      {false, std::nullopt, L""},      {false, L"", L""},
  };
  for (const auto& [complete, stored, expected] : cases)
    EXPECT_EQ(StatusOf(Linked(complete, stored)), expected) << stored.value_or(L"(none)");
  // No link, and an appointment never saved (not even looked up).
  EXPECT_EQ(StatusOf(outlook.CreateAppointment(L"Lunch", L"")), L"");
  outlook.ClearCalls();
  EXPECT_EQ(connect.GetTaskStatus(outlook.Application()->CreateItem(1)), L"");  // olAppointmentItem
  EXPECT_FALSE(outlook.Called(L"Application.GetNamespace")) << outlook.CallsText();
}

// A failure of any host call on the way, and of the link itself, is reported every time with its
// number and description, and gives no status.
TEST_F(TaskStatusTest, AFailureOnTheWayIsReportedEveryTimeAndGivesNoStatus) {
  auto stopped = Linked(false, L"Stopped");
  for (const wchar_t* call :
       {L"Item.EntryID", L"Application.GetNamespace", L"Item.UserProperties",
        L"Namespace.GetItemFromID", L"Item.Complete", L"UserProperty.Value"}) {
    outlook.FailCallsTo(call, sim::kFailed, L"Outlook is busy.");
    EXPECT_EQ(StatusOf(stopped), L"") << call;
    ExpectMessages({Report(L"-2147467259 - Outlook is busy.", L"GetTaskStatus")});
    outlook.ClearFaults();
  }
  auto deleted = Linked(false, L"Started");
  outlook.DeleteItem(LinkedTaskOf(deleted));
  const std::pair<sim::SimItem, std::wstring> cases[] = {
      {deleted, L"-2147221233 - The operation failed. An object cannot be found."},
      {LinkedTo(outlook.ReceiveMail(L"Not a task", L"")), L"13 - Type mismatch"},
      {Linked(false, L"Started"), L"91 - Object variable or With block variable not set"}};
  for (const auto& [appointment, text] : cases) {
    if (text[0] == L'9') connect.OnDisconnection();
    for (int ask = 0; ask < 2; ++ask) {
      EXPECT_EQ(StatusOf(appointment), L"");
      ExpectMessages({Report(text, L"GetTaskStatus")});
    }
  }
}

// Only "not found" and "invalid entry ID" send the lookup on to the appointment's store; any other
// failure is the answer, reported as it came.
TEST_F(TaskStatusTest, OnlyAMissingTaskIsLookedForInTheAppointmentsStore) {
  auto appointment = Linked(false, L"Stopped");
  for (std::int32_t number : {sim::kNotFound, static_cast<std::int32_t>(0x80040107)}) {
    outlook.ClearCalls();
    outlook.FailCallsTo(L"Namespace.GetItemFromID", number, L"Not here", 1, true);
    EXPECT_EQ(StatusOf(appointment), L"Stopped") << number;
    EXPECT_EQ(outlook.CountCalls(L"Namespace.GetItemFromID"), 2);
  }
  outlook.ClearCalls();
  outlook.FailCallsTo(L"Namespace.GetItemFromID", -2147221227, L"Network problems", 1, true);
  EXPECT_EQ(StatusOf(appointment), L"");
  EXPECT_EQ(outlook.CountCalls(L"Namespace.GetItemFromID"), 1);
  ExpectMessages({Report(L"-2147221227 - Network problems", L"GetTaskStatus")});

  // Asked by name too, a second store's task is found there, and then asked for there first.
  outlook.ClearFaults();
  auto [task, second] = parity::LinkInSecondStore(outlook, L"Started");
  for (int lookups : {2, 1}) {
    outlook.ClearCalls();
    EXPECT_EQ(StatusOf(second), L"Started");
    EXPECT_EQ(outlook.CountCalls(L"Namespace.GetItemFromID"), lookups);
  }
}

}  // namespace
}  // namespace fenmark::testing
