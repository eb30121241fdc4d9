// Complete, open, start and stop: acting on an appointment's linked task.
#include <algorithm>
#include <functional>
#include <string>

#include "links/task_actions.h"
#include "tests/links_fixture.h"

namespace fenmark::links_test {
namespace {

enum class Action { kComplete, kOpen, kStart, kStop };

class TaskActionTest : public LinksTest {
 protected:
  void Run(Action action, const std::wstring& entry_id) {
    connect.strItemEntryID = entry_id;
    switch (action) {
      case Action::kComplete:
        connect.CompleteTask();
        break;
      case Action::kOpen:
        connect.OpenTask();
        break;
      case Action::kStart:
        connect.StartTask();
        break;
      case Action::kStop:
        connect.StopTask();
        break;
    }
    EXPECT_EQ(outlook.OutstandingReferences(), HeldByMembers()) << "references left behind";
  }
};

const wchar_t* NameOf(Action action) {
  switch (action) {
    case Action::kComplete:
      return L"CompleteTask";
    case Action::kOpen:
      return L"OpenTask";
    case Action::kStart:
      return L"StartTask";
    case Action::kStop:
      return L"StopTask";
  }
  return L"";
}

TEST_F(TaskActionTest, NotesStatusAndSavesFollowTheTableOfDifferences) {
  struct Expected {
    Action action;
    const wchar_t* note;
    bool complete;
    int status;  // Outlook's task status after the run; 0: as before
    const wchar_t* ostrand;
  };
  const Expected table[] = {
      {Action::kComplete, L"Ostrand task completed - 03/15/24 02:25:07 pm", true, 0, L"Stopped"},
      {Action::kStart, L"Ostrand task started - 03/15/24 02:25:07 pm", false, 1, L"Started"},
      {Action::kStop, L"Ostrand task stopped - 03/15/24 02:25:07 pm", false, 4, L"Stopped"},
  };
  for (const auto& row : table) {
    for (const std::wstring status : {L"Started", L"Stopped", L""}) {
      for (const bool word : {true, false}) {
        SCOPED_TRACE(::testing::PrintToString(std::wstring(NameOf(row.action)) + L" status=" +
                                              status + (word ? L" word" : L" no word")));
        // A task without a status was never watched; watching would give it one at its save.
        auto task = LinkedTask(L"Report", status, !status.empty());
        auto appointment = ScheduledFrom(task);
        outlook.SetWordAvailable(task, word);
        const auto appointment_writes = appointment.WriteCount();
        const auto saves = task.SaveCount();
        outlook.ClearMessageBoxes();
        outlook.ClearCalls();

        Run(row.action, appointment.EntryID());

        if (word) {
          EXPECT_TRUE(outlook.MessageBoxes().empty()) << ::testing::PrintToString(MessageTexts());
          EXPECT_EQ(task.Body(), std::wstring(row.note) + L"\r\nTask notes");
          EXPECT_EQ(outlook.CountCalls(L"WordSelection.TypeText"), 1);
        } else {
          ExpectMessages({Message(L"Could not get Word.Document for Report")});
          EXPECT_EQ(task.Body(), L"Task notes");
        }
        EXPECT_FALSE(task.WindowOpen());
        EXPECT_EQ(task.Complete(), row.complete);
        if (row.status != 0) {
          EXPECT_EQ(task.Status(), row.status);
        }
        // The action never creates the status; but a task whose window it opens is watched
        // from then on, and the save on closing stamps a missing status as any save would.
        const bool has_status = !status.empty() || word;
        EXPECT_EQ(task.UserProperty(L"OstrandStatus"),
                  has_status ? std::optional<std::wstring>(row.ostrand) : std::nullopt);
        EXPECT_EQ(outlook.Find(connect.oTask.Get()) == task, word || !status.empty());
        EXPECT_FALSE(task.Dirty());
        // Closing with saving, then the final save; the watched task's own stamp saves come on top.
        EXPECT_GE(task.SaveCount(), saves + (word ? 2 : 1));
        EXPECT_EQ(appointment.WriteCount(), appointment_writes);
        EXPECT_TRUE(outlook.ReturnedFailures().empty());
      }
    }
  }
}

TEST_F(TaskActionTest, TheTaskIsClosedBeforeItsStatusChangesAndSavedLast) {
  auto task = LinkedTask(L"Report", L"Started", false);
  auto appointment = ScheduledFrom(task);
  for (const Action action : {Action::kComplete, Action::kStart, Action::kStop}) {
    SCOPED_TRACE(::testing::PrintToString(std::wstring(NameOf(action))));
    outlook.ClearCalls();
    Run(action, appointment.EntryID());
    // The saves of the watched task's own stamp come in between; the action's steps keep their
    // order around them.
    const auto calls = outlook.Calls();
    std::size_t close = calls.size(), change = calls.size(), status = calls.size(), save = 0;
    int status_writes = 0;
    for (std::size_t i = 0; i < calls.size(); ++i) {
      const auto name = calls[i].Name();
      if (name == L"Item.Close" && close == calls.size()) close = i;
      if (name == L"Item.MarkComplete" || name == L"Item.SetStatus") change = i;
      if (name == L"UserProperty.SetValue" &&
          calls[i].arguments.rfind(L"\"OstrandStatus\"", 0) == 0) {
        status = i;
        ++status_writes;
      }
      if (name == L"Item.Save") save = i;
    }
    EXPECT_EQ(status_writes, 1) << outlook.CallsText();
    EXPECT_LT(close, std::min(change, status)) << outlook.CallsText();
    if (action == Action::kComplete) {
      EXPECT_LT(change, status) << outlook.CallsText();
    } else {
      EXPECT_LT(status, change) << outlook.CallsText();
    }
    EXPECT_GT(save, std::max(change, status)) << outlook.CallsText();
  }
}

TEST_F(TaskActionTest, StartingTwiceStacksTheNotesNewestFirst) {
  auto task = LinkedTask(L"Report", L"Stopped", true);
  auto appointment = ScheduledFrom(task);
  outlook.SetNow({2024, 3, 15, 9, 5, 0});
  Run(Action::kStart, appointment.EntryID());
  outlook.SetNow({2024, 3, 15, 0, 30, 59});
  Run(Action::kStart, appointment.EntryID());
  EXPECT_EQ(task.Body(),
            L"Ostrand task started - 03/15/24 12:30:59 am\r\n"
            L"Ostrand task started - 03/15/24 09:05:00 am\r\nTask notes");
  EXPECT_EQ(task.UserProperty(L"OstrandStatus"), L"Started");
  EXPECT_EQ(task.Status(), host::kOlTaskInProgress);
  EXPECT_TRUE(outlook.MessageBoxes().empty());
}

TEST_F(TaskActionTest, TheNoteUsesTheRegionalSeparatorsAndATwelveHourClock) {
  struct Case {
    host::DateTime now;
    const wchar_t* date_separator;
    const wchar_t* time_separator;
    const wchar_t* expected;
  };
  const Case cases[] = {
      {{2024, 3, 15, 14, 25, 7}, L"/", L":", L"03/15/24 02:25:07 pm"},
      {{2024, 3, 15, 0, 0, 0}, L"/", L":", L"03/15/24 12:00:00 am"},
      {{2024, 3, 15, 12, 0, 0}, L"/", L":", L"03/15/24 12:00:00 pm"},
      {{2009, 12, 31, 23, 59, 59}, L".", L".", L"12.31.09 11.59.59 pm"},
      {{2000, 1, 2, 11, 5, 9}, L"-", L":", L"01-02-00 11:05:09 am"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(links::NoteTimestamp(c.now, c.date_separator, c.time_separator), c.expected);
  }
  // Through the sim's clock and regional settings.
  auto task = LinkedTask(L"Report", L"Started", true);
  auto appointment = ScheduledFrom(task);
  outlook.SetSeparators(L".", L".");
  Run(Action::kStop, appointment.EntryID());
  EXPECT_EQ(task.Body().rfind(L"Ostrand task stopped - 03.15.24 02.25.07 pm\r\n", 0), 0u);
}

TEST_F(TaskActionTest, OpenBringsTheWindowUpAndChangesNothing) {
  auto task = LinkedTask(L"Report", L"Started", true);
  auto appointment = ScheduledFrom(task);
  auto other = outlook.CreateTask(L"Other");
  const auto saves = task.SaveCount();

  Run(Action::kOpen, appointment.EntryID());
  EXPECT_TRUE(task.WindowOpen());
  EXPECT_EQ(outlook.ActiveWindowItem(), task);

  outlook.OpenItem(other);  // already open: brought to the front again
  Run(Action::kOpen, appointment.EntryID());
  EXPECT_EQ(outlook.ActiveWindowItem(), task);
  EXPECT_EQ(task.SaveCount(), saves);
  EXPECT_EQ(task.Body(), L"Task notes");
  EXPECT_TRUE(outlook.MessageBoxes().empty());

  outlook.CloseWindow(task, false);
  outlook.SetWordAvailable(task, false);
  Run(Action::kOpen, appointment.EntryID());
  ExpectMessages({Message(L"Could not get Word.Document for Report")});
  EXPECT_FALSE(task.WindowOpen());
  EXPECT_EQ(task.SaveCount(), saves);
}

TEST_F(TaskActionTest, BrokenLinksAreReportedUnderTheOperationAndChangeNothing) {
  auto task = LinkedTask(L"Report", L"Started", true);
  auto linked = ScheduledFrom(task);
  auto unlinked = outlook.CreateAppointment(L"Lunch", L"");
  auto mail = outlook.ReceiveMail(L"Not an appointment", L"");
  auto deleted_task = LinkedTask(L"Gone", L"Started", false);
  auto orphan = ScheduledFrom(deleted_task);
  outlook.DeleteItem(deleted_task);

  for (const Action action : {Action::kComplete, Action::kOpen, Action::kStart, Action::kStop}) {
    const std::wstring operation = NameOf(action);
    SCOPED_TRACE(::testing::PrintToString(operation));
    const auto task_writes = task.WriteCount();
    struct Case {
      std::wstring entry_id;
      std::wstring text_prefix;
      int style;
      std::wstring title;
    };
    const Case cases[] = {
        {L"", L"An entry ID could not be retrieved from the selected menu item.", 0, L"Fenmark"},
        {unlinked.EntryID(), L"91 - Object variable or With block variable not set", 16,
         L"Ostrand - " + operation},
        {mail.EntryID(), L"13 - Type mismatch", 16, L"Ostrand - " + operation},
        {orphan.EntryID(), L"-", 16, L"Ostrand - " + operation},  // the host's own failure
        {L"00000000DEADBEEF", std::to_wstring(sim::kNotFound) + L" - ", 16,
         L"Ostrand - " + operation},
    };
    for (const auto& c : cases) {
      outlook.ClearMessageBoxes();
      const auto unlinked_writes = unlinked.WriteCount();
      const auto orphan_writes = orphan.WriteCount();
      Run(action, c.entry_id);
      const auto boxes = outlook.MessageBoxes();
      ASSERT_EQ(boxes.size(), 1u) << ::testing::PrintToString(MessageTexts());
      EXPECT_EQ(boxes[0].text.rfind(c.text_prefix, 0), 0u)
          << ::testing::PrintToString(boxes[0].text);
      EXPECT_EQ(boxes[0].style, c.style);
      EXPECT_EQ(boxes[0].title, c.title);
      EXPECT_EQ(unlinked.WriteCount(), unlinked_writes);
      EXPECT_EQ(orphan.WriteCount(), orphan_writes);
    }
    EXPECT_EQ(task.WriteCount(), task_writes);
    EXPECT_EQ(mail.WriteCount(), 0u);
  }
  EXPECT_EQ(linked.SaveCount(), 2);  // the user's and the link's
}

TEST_F(TaskActionTest, AfterDisconnectionTheActionsReportTheMissingApplication) {
  auto appointment = ScheduledFrom(LinkedTask(L"Report", L"Started", true));
  connect.AddinInstance_OnDisconnection();
  for (const Action action : {Action::kComplete, Action::kOpen, Action::kStart, Action::kStop}) {
    outlook.ClearMessageBoxes();
    Run(action, appointment.EntryID());
    ExpectMessages(
        {Report(L"91 - Object variable or With block variable not set", NameOf(action))});
  }
}

}  // namespace
}  // namespace fenmark::links_test
