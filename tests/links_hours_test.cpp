// The user's hours and windows: long sessions asked about, Stop for work started on a task
// completed by hand, recurring tasks, and the windows the commands leave as the user had them.
#include <string>
#include <tuple>

#include "links/linked_task.h"
#include "tests/fixture.h"
#include "ui/status_rules.h"

namespace fenmark::testing {
namespace {

constexpr int kQuestion = host::kMbYesNoCancel | host::kMbIconQuestion | host::kMbDefButton2;

class HoursTest : public UiTest {
 protected:
  void SetUp() override {
    UiTest::SetUp();
    outlook.SetMessageBoxHandler([this](const sim::MessageBoxRecord&) { return answer; });
  }
  // A task started at `started` (local time, New York summer time) and its appointment.
  sim::SimItem StartedAt(const host::DateTime& started, const std::wstring& subject = L"Report") {
    task = LinkedTask(subject, L"Stopped", true);
    auto appointment = ScheduledFrom(task);
    outlook.SetNow(started);
    connect.Run(host::Operation::kStartTask, {appointment.EntryID()});
    return appointment;
  }
  bool Click(const sim::SimItem& appointment, const wchar_t* id) {
    return outlook.RightClick({appointment}).ClickRibbonEntry(id);
  }
  static sim::MessageBoxRecord Question(const std::wstring& text, const std::wstring& operation) {
    return {text, kQuestion, L"Ostrand - " + operation, true};
  }

  int answer = host::kIdYes;
  sim::SimItem task;
};

TEST_F(HoursTest, AForgottenStopIsAskedAboutAndTheAnswerDecidesTheWork) {
  const std::wstring monday = L"03/11/24 09:00:00 am", friday = L"03/15/24 09:00:00 am";
  // The command, the answer, the work added and the note's word.
  const std::tuple<const wchar_t*, const wchar_t*, int, int, const wchar_t*> cases[] = {
      {L"VBX_Stop_Ostrand_Task", L"StopTask", host::kIdYes, 96 * 60, L"stopped"},
      {L"VBX_Stop_Ostrand_Task", L"StopTask", host::kIdNo, 0, L"stopped"},
      {L"VBX_Fenmark", L"CompleteTask", host::kIdYes, 96 * 60, L"completed"},
      {L"VBX_Fenmark", L"CompleteTask", host::kIdNo, 0, L"completed"},
  };
  for (const auto& [id, operation, pressed, added, word] : cases) {
    SCOPED_TRACE(::testing::PrintToString(std::wstring(id) + L" " + std::to_wstring(pressed)));
    auto appointment = StartedAt({2024, 3, 11, 9, 0, 0});
    outlook.SetNow({2024, 3, 15, 9, 0, 0});
    answer = pressed;
    EXPECT_TRUE(Click(appointment, id));
    ExpectMessages({Question(L"Work on \"Report\" started " + monday +
                                 L" and was not stopped: 96 hours. Add them to Actual work?",
                             operation)});
    EXPECT_EQ(task.ActualWork(), added);
    EXPECT_EQ(
        task.Body().substr(0, task.Body().find(L"\r\n")),
        L"Ostrand task " + std::wstring(word) + L" - " + friday + L" (started " + monday + L")");
    EXPECT_EQ(task.UserProperty(L"OstrandStatus"), L"Stopped");
    EXPECT_EQ(task.UserProperty(L"OstrandStartedAt"), L"");
    EXPECT_FALSE(task.Dirty());
  }
}

TEST_F(HoursTest, CancelOrAClosedBoxLeavesEverythingAsItWas) {
  for (const int pressed : {host::kIdCancel, 1 /* IDOK: no such button */}) {
    auto appointment = StartedAt({2024, 3, 11, 9, 0, 0});
    outlook.SetNow({2024, 3, 15, 9, 0, 0});
    answer = pressed;
    const auto writes = task.WriteCount() + appointment.WriteCount();
    for (const wchar_t* id : {L"VBX_Stop_Ostrand_Task", L"VBX_Fenmark"}) {
      outlook.ClearCalls();
      EXPECT_TRUE(Click(appointment, id));
      EXPECT_EQ(outlook.MessageBoxes().size(), 1u);
      outlook.ClearMessageBoxes();
      EXPECT_EQ(task.WriteCount() + appointment.WriteCount(), writes);
      EXPECT_FALSE(outlook.Called(L"Item.GetInspector")) << outlook.CallsText();
      EXPECT_EQ(task.UserProperty(L"OstrandStatus"), L"Started");
    }
    // From the tab, Cancel is no success: the appointment's window stays open.
    outlook.OpenItem(appointment);
    EXPECT_TRUE(outlook.ClickTabButton(L"VB_CompleteTask", appointment));
    outlook.ClearMessageBoxes();
    EXPECT_TRUE(appointment.WindowOpen());
    EXPECT_FALSE(task.Complete());
    outlook.CloseWindow(appointment, false);
  }
}

TEST_F(HoursTest, TenHoursOrLessAddWithoutABoxAndLongerOnesRoundTheHoursDown) {
  auto appointment = StartedAt({2024, 3, 15, 8, 0, 0});
  outlook.SetNow({2024, 3, 15, 18, 0, 0});  // exactly ten hours
  EXPECT_TRUE(Click(appointment, L"VBX_Stop_Ostrand_Task"));
  EXPECT_TRUE(outlook.MessageBoxes().empty());
  EXPECT_EQ(task.ActualWork(), 600);
  EXPECT_EQ(task.Body().find(L"(started"), std::wstring::npos);

  appointment = StartedAt({2024, 3, 15, 8, 0, 0});
  outlook.SetNow({2024, 3, 15, 18, 59, 0});
  answer = host::kIdYes;
  EXPECT_TRUE(Click(appointment, L"VBX_Stop_Ostrand_Task"));
  ExpectMessages(
      {Question(L"Work on \"Report\" started 03/15/24 08:00:00 am and was not "
                L"stopped: 10 hours. Add them to Actual work?",
                L"StopTask")});
  EXPECT_EQ(task.ActualWork(), 659);
}

TEST_F(HoursTest, WorkStartedOnATaskCompletedByHandCanStillBeStoppedAndStaysComplete) {
  auto appointment = StartedAt({2024, 3, 15, 9, 0, 0});
  // The user ticks the task complete in Outlook's own window.
  outlook.OpenItem(task);
  task.SetComplete(true);
  outlook.CloseWindow(task, true);
  EXPECT_EQ(connect.GetTaskStatus(outlook.AddinRef(appointment)), L"Complete");
  const auto offered =
      L"VBX_Fenmark- VBX_Open_Ostrand_Task+ VBX_Start_Ostrand_Task- "
      L"VBX_Stop_Ostrand_Task+ ";
  EXPECT_EQ(MenuState(outlook.RightClick({appointment})), offered);
  outlook.OpenItem(appointment);
  EXPECT_EQ(TabState(outlook.ShowTab(appointment)),
            L"VB_CompleteTask- VB_OpenTask+ VB_StartTask- VB_StopTask+ ");
  outlook.CloseWindow(appointment, false);
  outlook.SetVersion(kOutlook12);
  EXPECT_EQ(MenuState(outlook.RightClick({appointment})),
            L"Fenmark- Open Ostrand Task+ Start Ostrand Task- Stop Ostrand Task+ ");

  outlook.SetNow({2024, 3, 15, 10, 30, 0});
  EXPECT_TRUE(outlook.RightClick({appointment}).ClickCaption(L"Stop Ostrand Task"));
  EXPECT_TRUE(task.Complete());
  EXPECT_EQ(task.Status(), 2);  // olTaskComplete, not deferred
  EXPECT_EQ(task.ActualWork(), 90);
  EXPECT_EQ(task.UserProperty(L"OstrandStatus"), L"Stopped");
  EXPECT_EQ(task.Body().rfind(L"Ostrand task stopped - ", 0), 0u);
  EXPECT_EQ(MenuState(outlook.RightClick({appointment})),
            L"Fenmark- Open Ostrand Task+ Start Ostrand Task- Stop Ostrand Task- ");
}

TEST_F(HoursTest, OnlyStartedWorkWithAStartTimeIsOfferedStopOnACompleteTask) {
  // OstrandStatus, OstrandStartedAt, and whether Stop is offered.
  const std::tuple<const wchar_t*, const wchar_t*, bool> cases[] = {
      {L"Started", L"2024-03-15T13:00:00Z", true},
      {L"started", L"2024-03-15T13:00:00Z", true},
      {L"Started", L"", false},
      {L"Stopped", L"2024-03-15T13:00:00Z", false},  // an older version's stop
  };
  for (const auto& [status, started_at, stop] : cases) {
    SCOPED_TRACE(::testing::PrintToString(std::wstring(status) + L" " + started_at));
    auto done = LinkedTask(L"Done", status, true, true);
    done.SetUserProperty(L"OstrandStartedAt", started_at);
    outlook.UserSave(done);
    auto appointment = ScheduledFrom(done);
    const std::wstring read =
        connect.ReadTaskStatus(outlook.AddinRef(appointment), appointment.EntryID());
    EXPECT_EQ(read, stop ? host::kCompleteButStarted : host::kComplete);
    EXPECT_EQ(ui::IsEnabled(L"VBX_Stop_Ostrand_Task", host::kOlAppointment, read), stop);
    for (const wchar_t* never : {L"VBX_Fenmark", L"VBX_Start_Ostrand_Task"})
      EXPECT_FALSE(ui::IsEnabled(never, host::kOlAppointment, read));
    EXPECT_TRUE(ui::IsEnabled(L"VBX_Open_Ostrand_Task", host::kOlAppointment, read));
  }
}

TEST_F(HoursTest, ARecurringTasksCompletedCopyCarriesTheNoteAndTheWork) {
  auto appointment = StartedAt({2024, 3, 15, 9, 0, 0});
  task.SetRecurring(true);
  task.SetActualWork(30);
  outlook.UserSave(task);
  outlook.SetNow({2024, 3, 15, 10, 30, 0});
  const auto items = outlook.AllItems().size();
  EXPECT_TRUE(Click(appointment, L"VBX_Fenmark"));
  ASSERT_EQ(outlook.AllItems().size(), items + 1);
  auto copy = outlook.AllItems().back();
  EXPECT_TRUE(copy.Complete());
  EXPECT_NE(copy.EntryID(), task.EntryID());
  EXPECT_EQ(copy.Body().rfind(L"Ostrand task completed - 03/15/24 10:30:00 am\r\n", 0), 0u);
  EXPECT_EQ(copy.ActualWork(), 120);
  EXPECT_EQ(copy.UserProperty(L"OstrandStatus"), L"Stopped");
  EXPECT_EQ(copy.UserProperty(L"OstrandStartedAt"), L"");
  // The task goes on to its next occurrence, stopped, with the work it had before.
  EXPECT_FALSE(task.Complete());
  EXPECT_EQ(task.UserProperty(L"OstrandStatus"), L"Stopped");
  EXPECT_EQ(task.UserProperty(L"OstrandStartedAt"), L"");
  EXPECT_EQ(task.ActualWork(), 30);
  EXPECT_FALSE(task.Dirty());
  EXPECT_EQ(outlook.CountCalls(L"Item.MarkComplete"), 1);
  EXPECT_EQ(MenuState(outlook.RightClick({appointment})),
            L"VBX_Fenmark+ VBX_Open_Ostrand_Task+ VBX_Start_Ostrand_Task+ VBX_Stop_Ostrand_Task- ");
}

TEST_F(HoursTest, TheTabsCompleteClosesTheAppointmentOnlyOnceTheTaskIsComplete) {
  auto appointment = StartedAt({2024, 3, 15, 9, 0, 0});
  outlook.OpenItem(appointment);
  appointment.SetBody(L"Half-typed");
  outlook.DeleteItem(task);
  EXPECT_TRUE(outlook.ClickTabButton(L"VB_CompleteTask", appointment));
  EXPECT_EQ(outlook.MessageBoxes().size(), 1u);
  outlook.ClearMessageBoxes();
  EXPECT_TRUE(appointment.WindowOpen());
  EXPECT_TRUE(appointment.Dirty());
  EXPECT_EQ(appointment.Persisted()->body.find(L"Half-typed"), std::wstring::npos);
  outlook.CloseWindow(appointment, false);

  appointment = StartedAt({2024, 3, 15, 9, 0, 0});
  outlook.OpenItem(appointment);
  EXPECT_TRUE(outlook.ClickTabButton(L"VB_CompleteTask", appointment));
  EXPECT_FALSE(appointment.WindowOpen());
  EXPECT_TRUE(task.Complete());
}

}  // namespace
}  // namespace fenmark::testing
