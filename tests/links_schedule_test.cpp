// Schedule: a linked appointment straight from the task, from its window, its context menu and
// Outlook 12's command bar.
#include <tuple>

#include "links/schedule_task.h"
#include "tests/fixture.h"

namespace fenmark::testing {
namespace {

using ScheduleTest = UiTest;
using sim::FolderKind;

class ScheduleSurfaces : public ScheduleTest {
 protected:
  // The appointment Schedule showed: unsaved, in front, its link and marker set.
  void ExpectShownFor(const sim::SimItem& task, int minutes) {
    auto shown = outlook.ActiveWindowItem();
    ASSERT_TRUE(shown && shown.Class() == host::kOlAppointment);
    EXPECT_FALSE(shown.Saved());
    EXPECT_EQ(shown.Subject(), task.Subject());
    EXPECT_EQ(shown.Body(), L"TaskLinkEntryID: " + task.EntryID() + L"\r\n" + task.Body());
    EXPECT_EQ(shown.UserProperty(L"TaskLinkEntryID"), task.EntryID());
    ASSERT_TRUE(shown.Start());
    EXPECT_EQ(shown.Start()->hour * 60 + shown.Start()->minute, 14 * 60 + 30);  // from 14:25:07
    EXPECT_EQ(shown.Duration(), minutes);
    // Once saved, with no add event, its own tab offers the task's commands at once.
    outlook.SetAddEventsDropped(FolderKind::kCalendar, true);
    outlook.UserSave(shown);
    outlook.SetAddEventsDropped(FolderKind::kCalendar, false);
    EXPECT_EQ(TabState(outlook.ShowTab(shown)), kStoppedTab);
    outlook.CloseWindow(shown, false);
    EXPECT_TRUE(view.ScheduledWindows() == 0);  // let go of with its window
  }
};

TEST_F(ScheduleSurfaces, EverySurfaceShowsALinkedAppointmentThatActsOnceSaved) {
  auto task = LinkedTask(L"Q3 figures", L"Stopped", true);
  task.SetTotalWork(120);
  task.SetActualWork(30);
  outlook.UserSave(task);

  outlook.OpenItem(task);
  EXPECT_EQ(TabState(outlook.ShowTab(task)), L"VB_ScheduleTask+ ");
  EXPECT_TRUE(outlook.ClickTabButton(L"VB_ScheduleTask", task));
  ExpectShownFor(task, 90);
  outlook.CloseWindow(task, false);

  auto menu = outlook.RightClick({task});
  EXPECT_EQ(MenuState(menu), L"VBX_Schedule_Ostrand_Task+ ");
  EXPECT_TRUE(menu.ClickRibbonEntry(L"VBX_Schedule_Ostrand_Task"));
  ExpectShownFor(task, 90);

  outlook.SetVersion(kOutlook12);
  menu = outlook.RightClick({task});
  EXPECT_EQ(MenuState(menu), L"Schedule+ ");
  EXPECT_TRUE(menu.ClickCaption(L"Schedule"));
  ExpectShownFor(task, 90);
}

TEST_F(ScheduleTest, OnlyOneSavedTaskNotCompleteIsOffered) {
  auto complete = LinkedTask(L"Done", L"Stopped", true, true);
  auto open = LinkedTask(L"Open", L"Stopped", true);
  outlook.OpenItem(complete);
  EXPECT_EQ(TabState(outlook.ShowTab(complete)), L"VB_ScheduleTask- ");
  EXPECT_EQ(MenuState(outlook.RightClick({complete})), L"VBX_Schedule_Ostrand_Task- ");
  EXPECT_EQ(MenuState(outlook.RightClick({complete, open})), L"");
  // A task never saved: the one "Send to Ostrand" shows.
  auto mail = outlook.ReceiveMail(L"Budget", L"Figures");
  outlook.Select({mail});
  outlook.ShowContextMenu(sim::kMailItemMenu).ClickRibbonEntry(L"VBX_Send_To_Ostrand");
  auto unsaved = outlook.ActiveWindowItem();
  ASSERT_EQ(unsaved.Class(), host::kOlTask);
  EXPECT_EQ(TabState(outlook.ShowTab(unsaved)), L"VB_ScheduleTask- ");
  outlook.SetVersion(kOutlook12);
  EXPECT_EQ(MenuState(outlook.RightClick({complete})), L"Schedule- ");
  EXPECT_EQ(MenuState(outlook.RightClick({complete, open})), L"");
}

TEST_F(ScheduleTest, AnOlderUnstampedTaskIsStampedFirst) {
  outlook.SetAddEventsDropped(FolderKind::kTasks, true);
  auto task = outlook.CreateTask(L"From the phone", L"Call Bo");
  outlook.SetAddEventsDropped(FolderKind::kTasks, false);
  ASSERT_FALSE(task.HasUserProperty(L"TaskLinkEntryID"));
  EXPECT_TRUE(outlook.RightClick({task}).ClickRibbonEntry(L"VBX_Schedule_Ostrand_Task"));
  EXPECT_EQ(task.Persisted()->user_properties.size(), 3u);
  EXPECT_EQ(task.UserProperty(L"TaskLinkEntryID"), task.EntryID());
  EXPECT_EQ(task.UserProperty(L"OstrandTaskKey"), task.EntryID());
  EXPECT_EQ(task.UserProperty(L"OstrandStatus"), L"Stopped");
  EXPECT_EQ(task.SaveCount(), 2);
  EXPECT_EQ(outlook.ActiveWindowItem().UserProperty(L"TaskLinkEntryID"), task.EntryID());
}

TEST_F(ScheduleTest, APrivateTaskStaysPrivateAndNoReminderFiresAtOnce) {
  auto task = LinkedTask(L"Appraisal", L"Stopped", true);
  task.SetSensitivity(host::kOlPrivate);
  task.SetCategories(L"Personal, HR");
  outlook.UserSave(task);
  // The clock at the click (the slot is 14:30) and the reminder's lead: the default 15 minutes
  // only when it falls after the click.
  const std::pair<host::DateTime, int> cases[] = {{{2024, 3, 15, 14, 25, 7}, 0},
                                                  {{2024, 3, 15, 14, 15, 0}, 0},
                                                  {{2024, 3, 15, 14, 14, 59}, 15},
                                                  {{2024, 3, 15, 14, 0, 0}, 15}};
  for (const auto& [now, reminder] : cases) {
    outlook.SetNow(now);
    EXPECT_TRUE(outlook.RightClick({task}).ClickRibbonEntry(L"VBX_Schedule_Ostrand_Task"));
    auto shown = outlook.ActiveWindowItem();
    ASSERT_EQ(shown.Class(), host::kOlAppointment);
    EXPECT_EQ(shown.Settings().sensitivity, host::kOlPrivate);
    EXPECT_EQ(shown.Settings().categories, L"Personal, HR");
    EXPECT_EQ(shown.Settings().reminder_minutes, reminder) << now.minute << ":" << now.second;
    outlook.CloseWindow(shown, false);
  }
}

TEST(ScheduleTime, TheSlotStartsAtTheNextHalfHourForTheRemainingWork) {
  using links::NextHalfHour;
  using links::ScheduledMinutes;
  EXPECT_EQ(ScheduledMinutes(120, 30), 90);
  EXPECT_EQ(ScheduledMinutes(15, 0), 15);
  EXPECT_EQ(ScheduledMinutes(480, 0), 480);
  for (auto [total, actual] : {std::pair{14, 0}, {481, 0}, {0, 0}, {60, 90}, {-2147483647, 1}})
    EXPECT_EQ(ScheduledMinutes(total, actual), 30) << total << " " << actual;
  const auto at = [](host::DateTime t) {
    return std::tuple(t.year, t.month, t.day, t.hour, t.minute, t.second);
  };
  EXPECT_EQ(at(NextHalfHour({2024, 3, 15, 14, 25, 7})), std::tuple(2024, 3, 15, 14, 30, 0));
  EXPECT_EQ(at(NextHalfHour({2024, 3, 15, 14, 30, 0})), std::tuple(2024, 3, 15, 15, 0, 0));
  EXPECT_EQ(at(NextHalfHour({2024, 2, 28, 23, 45, 0})), std::tuple(2024, 2, 29, 0, 0, 0));
  EXPECT_EQ(at(NextHalfHour({2023, 12, 31, 23, 59, 59})), std::tuple(2024, 1, 1, 0, 0, 0));
}

}  // namespace
}  // namespace fenmark::testing
