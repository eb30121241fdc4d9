// The status of an appointment's linked task, as the ribbon and the menus ask for it.
#include <gtest/gtest.h>

#include <optional>

#include "addin/connect.h"
#include "sim/outlook.h"

namespace fenmark {
namespace {

class TaskStatusTest : public ::testing::Test {
 protected:
  sim::Outlook outlook;
  Connect connect{outlook.Platform()};

  void SetUp() override { connect.AddinInstance_OnConnection(outlook.Application()); }

  // A saved appointment linked to a task whose completion flag and OstrandStatus are given.
  sim::SimItem LinkedAppointment(bool complete, std::optional<std::wstring> status) {
    auto task = outlook.CreateTask(L"Report");
    if (status) task.SetUserProperty(L"OstrandStatus", *status);
    task.SetComplete(complete);
    outlook.UserSave(task);
    auto appointment = outlook.CreateAppointment(L"Work on report", L"");
    appointment.SetUserProperty(L"TaskLinkEntryID", task.EntryID());
    outlook.UserSave(appointment);
    return appointment;
  }

  std::wstring StatusOf(const sim::SimItem& appointment) {
    const auto before = outlook.OutstandingReferences();
    auto status = connect.GetTaskStatus(outlook.AddinRef(appointment));
    EXPECT_EQ(outlook.OutstandingReferences(), before) << "references left behind";
    return status;
  }

  void ExpectOneFailureReport(const std::wstring& text) {
    const auto boxes = outlook.MessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, text);
    EXPECT_EQ(boxes[0].style, 16);
    EXPECT_EQ(boxes[0].title, L"Ostrand - GetTaskStatus");
    outlook.ClearMessageBoxes();
  }
};

TEST_F(TaskStatusTest, FollowsTheLinkToTheTasksCompletionAndStatus) {
  struct Case {
    bool complete;
    std::optional<std::wstring> stored;
    std::wstring expected;
  };
  const Case cases[] = {
      {false, L"Started", L"Started"}, {false, L"Stopped", L"Stopped"},
      {false, L"started", L"started"}, {false, L"Waiting on Bo", L"Waiting on Bo"},
      {true, L"Started", L"Complete"}, {true, std::nullopt, L"Complete"},
      {false, std::nullopt, L""},      {false, L"", L""},
  };
  for (const auto& c : cases) {
    auto appointment = LinkedAppointment(c.complete, c.stored);
    const auto writes = appointment.WriteCount();
    EXPECT_EQ(StatusOf(appointment), c.expected) << c.stored.value_or(L"(none)");
    EXPECT_EQ(appointment.WriteCount(), writes);
  }
  EXPECT_TRUE(outlook.MessageBoxes().empty());
}

TEST_F(TaskStatusTest, AnAppointmentWithoutALinkHasNoStatusAndNoMessage) {
  auto saved = outlook.CreateAppointment(L"Lunch", L"");
  EXPECT_EQ(StatusOf(saved), L"");
  EXPECT_TRUE(outlook.MessageBoxes().empty());
}

TEST_F(TaskStatusTest, ANeverSavedAppointmentIsNotLookedUp) {
  auto unsaved = outlook.Application()->CreateItem(1);  // olAppointmentItem
  outlook.ClearCalls();
  EXPECT_EQ(connect.GetTaskStatus(unsaved), L"");
  EXPECT_FALSE(outlook.Called(L"Application.GetNamespace")) << outlook.CallsText();
  EXPECT_TRUE(outlook.MessageBoxes().empty());
}

TEST_F(TaskStatusTest, ABrokenLinkIsReportedEveryTimeAndGivesNoStatus) {
  auto appointment = LinkedAppointment(false, L"Started");
  auto task = outlook.FindByEntryID(appointment.UserProperty(L"TaskLinkEntryID").value());
  outlook.DeleteItem(task);
  for (int ask = 0; ask < 2; ++ask) {
    EXPECT_EQ(StatusOf(appointment), L"");
    const auto boxes = outlook.MessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text.rfind(L"-2147221233 - ", 0), 0u) << boxes[0].text;
    EXPECT_GT(boxes[0].text.size(), 14u) << "the host's description follows the number";
    EXPECT_EQ(boxes[0].style, 16);
    EXPECT_EQ(boxes[0].title, L"Ostrand - GetTaskStatus");
    outlook.ClearMessageBoxes();
  }
}

TEST_F(TaskStatusTest, ALinkToAnItemThatIsNoTaskIsATypeMismatch) {
  auto mail = outlook.ReceiveMail(L"Not a task", L"");
  auto appointment = outlook.CreateAppointment(L"Odd link", L"");
  appointment.SetUserProperty(L"TaskLinkEntryID", mail.EntryID());
  outlook.UserSave(appointment);
  EXPECT_EQ(StatusOf(appointment), L"");
  ExpectOneFailureReport(L"13 - Type mismatch");
}

TEST_F(TaskStatusTest, AHostFailureOnTheWayIsReportedWithItsNumberAndDescription) {
  auto appointment = LinkedAppointment(false, L"Stopped");
  for (const wchar_t* call :
       {L"Item.EntryID", L"Application.GetNamespace", L"Item.UserProperties",
        L"Namespace.GetItemFromID", L"Item.Complete", L"UserProperty.Value"}) {
    outlook.FailCallsTo(call, sim::kFailed, L"Outlook is busy.");
    EXPECT_EQ(StatusOf(appointment), L"") << call;
    ExpectOneFailureReport(L"-2147467259 - Outlook is busy.");
    outlook.ClearFaults();
  }
}

TEST_F(TaskStatusTest, AfterDisconnectionASavedAppointmentCannotBeLookedUp) {
  auto appointment = LinkedAppointment(false, L"Started");
  connect.AddinInstance_OnDisconnection();
  EXPECT_EQ(StatusOf(appointment), L"");
  ExpectOneFailureReport(L"91 - Object variable or With block variable not set");
}

}  // namespace
}  // namespace fenmark
