// Complete, open, start and stop: acting on an appointment's linked task.
#include <climits>
#include <optional>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "links/task_actions.h"
#include "links/work_time.h"
#include "tests/fixture.h"

namespace fenmark::testing {
namespace {

using Action = std::pair<const wchar_t*, host::Operation>;  // the name in reports
const Action kComplete{L"CompleteTask", host::Operation::kCompleteTask};
const Action kOpen{L"OpenTask", host::Operation::kOpenTask};
const Action kStart{L"StartTask", host::Operation::kStartTask};
const Action kStop{L"StopTask", host::Operation::kStopTask};

class TaskActionTest : public AddinTest {
 protected:
  void Run(const Action& action, const std::wstring& id) { connect.Run(action.second, {id}); }
  // The appointment scheduled from the task, under a subject of its own.
  sim::SimItem Appointment(const sim::SimItem& task) {
    auto appointment = ScheduledFrom(task);
    appointment.SetSubject(L"Work on it");
    outlook.UserSave(appointment);
    return appointment;
  }
};

TEST_F(TaskActionTest, NotesStatusAndSavesFollowTheTableOfDifferences) {
  // The action, the word in the note, then the task's completion, Outlook's status and ours.
  const std::tuple<Action, const wchar_t*, bool, int, const wchar_t*> table[] = {
      {kComplete, L"completed", true, 2, L"Stopped"},
      {kStart, L"started", false, 1, L"Started"},
      {kStop, L"stopped", false, 4, L"Stopped"}};
  for (const auto& [action, done, complete, outlook_status, ostrand] : table) {
    for (const std::wstring status : {L"Started", L"Stopped", L""}) {
      for (const bool word : {true, false}) {
        SCOPED_TRACE(::testing::PrintToString(std::wstring(action.first) + L" status=" + status +
                                              (word ? L" word" : L" no word")));
        // A task without a status was never watched; watching would give it one at its save.
        auto task = LinkedTask(L"Report", status, !status.empty());
        auto appointment = Appointment(task);
        outlook.SetWordAvailable(task, word);
        const auto appointment_writes = appointment.WriteCount();
        const auto saves = task.SaveCount();
        outlook.ClearCalls();

        Run(action, appointment.EntryID());

        const auto note = L"Ostrand task " + std::wstring(done) + L" - 03/15/24 02:25:07 pm";
        if (word) {
          EXPECT_EQ(task.Body(), note + L"\r\nTask notes");
          // One text ending in a bare carriage return, put at the start once the window is up.
          EXPECT_EQ(outlook.CountCalls(L"WordRange.InsertBefore"), 1);
          EXPECT_NE(outlook.CallsText().find(L"InsertBefore(\"" + note + L"\\r\")"),
                    std::wstring::npos)
              << outlook.CallsText();
          EXPECT_FALSE(outlook.Called(L"WordSelection.TypeText"));
          // Complete marks the task first; start and stop set the status before Outlook's.
          const std::wstring set = L"UserProperty.SetValue(\"OstrandStatus\"";
          std::vector<std::wstring> order = {L"Inspector.Activate",
                                             L"WordDocument.Range(0, 0)",
                                             L"WordRange.InsertBefore",
                                             L"Item.Close",
                                             set,
                                             L"Item.SetStatus",
                                             L"Item.Save"};
          if (complete) order[4] = L"Item.MarkComplete", order[5] = set;
          if (status.empty()) std::erase(order, set);
          ExpectCallOrder(order);
        } else {
          ExpectMessages({Message(L"Could not get Word.Document for Report")});
          EXPECT_EQ(task.Body(), L"Task notes");
        }
        EXPECT_FALSE(task.WindowOpen());
        EXPECT_EQ(task.Complete(), complete);
        EXPECT_EQ(task.Status(), outlook_status);
        // The action never creates the status, not even through the window it opens: its own
        // saves there are no user's saves to stamp.
        EXPECT_EQ(task.UserProperty(L"OstrandStatus"),
                  status.empty() ? std::nullopt : std::optional<std::wstring>(ostrand));
        EXPECT_EQ(outlook.CountCalls(L"Item.MarkComplete"), complete ? 1 : 0);
        EXPECT_EQ(outlook.CountCalls(L"Item.SetStatus"), complete ? 0 : 1);
        EXPECT_FALSE(task.Dirty());
        // Closing with saving, then the final save.
        EXPECT_EQ(task.SaveCount(), saves + (word ? 2 : 1));
        EXPECT_EQ(appointment.WriteCount(), appointment_writes);
      }
    }
  }
}

TEST_F(TaskActionTest, NotesGoAtTheTopNewestFirstAndTheUsersWindowStaysAsTheUserHadIt) {
  auto task = LinkedTask(L"Report", L"Stopped", true);
  auto appointment = ScheduledFrom(task);
  outlook.SetNow({2024, 3, 15, 9, 5, 0});
  Run(kStart, appointment.EntryID());
  outlook.SetNow({2024, 3, 15, 0, 30, 59});
  Run(kStart, appointment.EntryID());
  EXPECT_EQ(task.Body(),
            L"Ostrand task started - 03/15/24 12:30:59 am\r\n"
            L"Ostrand task started - 03/15/24 09:05:00 am\r\nTask notes");
  EXPECT_EQ(task.UserProperty(L"OstrandStatus"), L"Started");
  EXPECT_EQ(task.Status(), host::kOlTaskInProgress);
  EXPECT_FALSE(task.WindowOpen());  // the windows the command opened

  // The user is typing in the task's window, "note" selected: the note goes at the top, the
  // selection stays on the same text, the window stays open, and the user's edit is saved too.
  outlook.OpenItem(task);
  outlook.UserTypes(task, L"Call Bo. ");
  const std::wstring body = task.Body();
  const std::size_t at = body.size() - 5;
  task.SetSelection(at, 4);
  outlook.SetSeparators(L".", L".");
  outlook.ClearCalls();
  Run(kStop, appointment.EntryID());
  const std::wstring note = L"Ostrand task stopped - 03.15.24 12.30.59 am\r\n";
  EXPECT_EQ(task.Body(), note + body);
  EXPECT_EQ(task.InsertionPoint(), note.size() + at);
  EXPECT_EQ(task.Body().substr(task.InsertionPoint(), 4), L"note");
  EXPECT_TRUE(task.WindowOpen());
  EXPECT_FALSE(outlook.Called(L"Item.Close"));
  EXPECT_FALSE(task.Dirty());
  EXPECT_EQ(task.Persisted()->body, note + body);
  // Closed by the user, the next command's own window closes again.
  outlook.CloseWindow(task, false);
  Run(kStart, appointment.EntryID());
  EXPECT_FALSE(task.WindowOpen());
}

TEST_F(TaskActionTest, StopAndCompleteAddTheMinutesSinceTheStartToActualWork) {
  struct Step {
    Action action;
    int at;                 // hhmmss on 15 March 2024
    int utc_offset = -240;  // New York: -300 in winter time
  };
  const std::vector<Step> ninety = {{kStart, 90000}, {kStop, 103000}};
  struct Case {
    const char* what;
    std::optional<std::wstring> started_at;  // before the first step; none: no property
    std::vector<Step> steps;
    int actual_work;
    std::optional<std::wstring> started_after = L"";
    std::wstring status = L"Stopped";
    int work_before = 0;
  };
  const Case cases[] = {
      {"start, stop after 90 minutes", {}, ninety, 90},
      {"start records the UTC time", {}, {{kStart, 90512}}, 0, L"2024-03-15T13:05:12Z"},
      {"complete, rounded up", {}, {{kStart, 90000}, {kComplete, 94530}}, 46},
      {"rounded down", {}, {{kStart, 90000}, {kStop, 94529}}, 45},
      {"no property: started before this version", {}, {{kStop, 103000}}, 0, {}},
      {"two pairs",
       {},
       {{kStart, 90000}, {kStop, 103000}, {kStart, 130000}, {kComplete, 132000}},
       110},
      {"second start keeps first", {}, {{kStart, 90000}, {kStart, 93000}, {kStop, 103000}}, 90},
      // An older version's stop left its start: a start starts again.
      {"start after an old stop", L"2024-03-15T05:00:00Z", ninety, 90},
      {"start while started", L"2024-03-15T12:00:00Z", ninety, 150, L"", L"Started"},
      {"a start time that does not read is replaced", L"noon", ninety, 90, L"", L"Started"},
      {"a sum beyond a Long adds nothing", {}, ninety, INT_MAX - 60, L"", L"Stopped", INT_MAX - 60},
      {"summer time begins: one real hour", {}, {{kStart, 13000, -300}, {kStop, 33000}}, 60},
      {"lower case", L"2024-03-15t05:00:00z", {{kStop, 100000}}, 9 * 60},
      {"unparsable", L"09:00", {{kStop, 100000}}, 0},
      {"no such day", L"2023-02-29T14:00:00Z", {{kStop, 100000}}, 0},
      {"trailing blank", L"2024-03-15T13:00:00Z ", {{kStop, 100000}}, 0},
      {"in the future", L"2024-03-15T15:00:00Z", {{kComplete, 100000}}, 0},
      {"empty", L"", {{kStop, 100000}}, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    auto task = LinkedTask(L"Report", c.status, true);
    auto appointment = ScheduledFrom(task);
    if (c.started_at) task.SetUserProperty(L"OstrandStartedAt", *c.started_at);
    task.SetActualWork(c.work_before);
    outlook.UserSave(task);
    for (const auto& step : c.steps) {
      outlook.SetNow({2024, 3, 15, step.at / 10000, step.at / 100 % 100, step.at % 100});
      outlook.SetUtcOffset(step.utc_offset);
      Run(step.action, appointment.EntryID());
    }
    EXPECT_EQ(task.Persisted()->actual_work, c.actual_work);
    EXPECT_EQ(task.UserProperty(L"OstrandStartedAt"), c.started_after);
    EXPECT_FALSE(task.Dirty());
  }
  // Leap days follow the Gregorian rule.
  EXPECT_EQ(links::MinutesSince(L"2000-02-29T00:00:00Z", {2000, 3, 1, 0, 0, 0}), 1440);
  EXPECT_EQ(links::MinutesSince(L"2100-02-29T00:00:00Z", {2100, 3, 1, 0, 0, 0}), std::nullopt);
}

TEST_F(TaskActionTest, TheNoteFollowsTheRegionsDateOrderAndSeparatorsOnATwelveHourClock) {
  // The time, the region's date pattern, date and time separators, and the note's stamp.
  const std::tuple<host::DateTime, const wchar_t*, const wchar_t*, const wchar_t*, const wchar_t*>
      cases[] = {
          {{2024, 3, 15, 14, 25, 7}, L"M/d/yyyy", L"/", L":", L"03/15/24 02:25:07 pm"},
          {{2024, 3, 15, 0, 0, 0}, L"M/d/yyyy", L"/", L":", L"03/15/24 12:00:00 am"},
          {{2024, 3, 15, 12, 0, 0}, L"MM-dd-yy", L"/", L":", L"03/15/24 12:00:00 pm"},
          {{2009, 12, 31, 23, 59, 59}, L"d.M.yyyy", L".", L".", L"31.12.09 11.59.59 pm"},
          {{2000, 1, 2, 11, 5, 9}, L"yyyy-MM-dd", L"-", L":", L"00-01-02 11:05:09 am"},
          {{2000, 1, 2, 11, 5, 9}, L"'day' d 'of' M, yyyy", L"/", L":", L"02/01/00 11:05:09 am"},
          {{2000, 1, 2, 11, 5, 9}, L"dd/yyyy", L"/", L":", L"01/02/00 11:05:09 am"},
      };
  for (const auto& [now, pattern, date_separator, time_separator, expected] : cases)
    EXPECT_EQ(links::NoteTimestamp(now, pattern, date_separator, time_separator), expected);
  // A note made on 3 April 2024, through the user's regional setting.
  const std::pair<sim::Outlook::Region, const wchar_t*> regions[] = {
      {sim::Outlook::Region::kUnitedStates, L"04/03/24"},
      {sim::Outlook::Region::kUnitedKingdom, L"03/04/24"},
      {sim::Outlook::Region::kGermany, L"03.04.24"},
      {sim::Outlook::Region::kJapan, L"24/04/03"}};
  for (const auto& [region, date] : regions) {
    auto task = LinkedTask(L"Report", L"Stopped", true);
    auto appointment = ScheduledFrom(task);
    outlook.SetRegion(region);
    outlook.SetNow({2024, 4, 3, 9, 15, 0});
    Run(kStart, appointment.EntryID());
    EXPECT_EQ(task.Body(),
              L"Ostrand task started - " + std::wstring(date) + L" 09:15:00 am\r\nTask notes");
  }
}

TEST_F(TaskActionTest, InOvertypeModeTheNoteIsInsertedWithoutTouchingTheMode) {
  auto task = LinkedTask(L"Report", L"Stopped", true);
  auto appointment = ScheduledFrom(task);
  outlook.SetOvertype(true);
  Run(kStart, appointment.EntryID());
  Run(kStop, appointment.EntryID());
  outlook.OpenItem(task);
  task.SetInsertionPoint(task.Body().size() - 5);
  Run(kComplete, appointment.EntryID());
  EXPECT_EQ(task.Body(),
            L"Ostrand task completed - 03/15/24 02:25:07 pm\r\n"
            L"Ostrand task stopped - 03/15/24 02:25:07 pm\r\n"
            L"Ostrand task started - 03/15/24 02:25:07 pm\r\nTask notes");
  EXPECT_EQ(task.Body().substr(task.InsertionPoint()), L"notes");
  EXPECT_TRUE(outlook.Overtype());
}

TEST_F(TaskActionTest, OpenBringsTheWindowUpAndChangesNothing) {
  auto task = LinkedTask(L"Report", L"Started", true);
  auto appointment = Appointment(task);
  auto other = outlook.CreateTask(L"Other");
  const auto saves = task.SaveCount();

  Run(kOpen, appointment.EntryID());
  outlook.OpenItem(other);  // already open: brought to the front again
  Run(kOpen, appointment.EntryID());
  EXPECT_EQ(outlook.ActiveWindowItem(), task);
  EXPECT_EQ(task.SaveCount(), saves);
  EXPECT_EQ(task.Body(), L"Task notes");

  outlook.CloseWindow(task, false);
  outlook.SetWordAvailable(task, false);
  Run(kOpen, appointment.EntryID());
  ExpectMessages({Message(L"Could not get Word.Document for Report")});
  EXPECT_FALSE(task.WindowOpen());
  EXPECT_EQ(task.SaveCount(), saves);
}

TEST_F(TaskActionTest, BrokenLinksAndNoApplicationAreReportedUnderTheOperationAndChangeNothing) {
  auto task = LinkedTask(L"Report", L"Started", true);
  auto linked = ScheduledFrom(task);
  auto unlinked = outlook.CreateAppointment(L"Lunch", L"");
  auto mail = outlook.ReceiveMail(L"Not an appointment", L"");
  auto deleted_task = LinkedTask(L"Gone", L"Started", false);
  auto orphan = ScheduledFrom(deleted_task);
  outlook.DeleteItem(deleted_task);

  for (const Action& action : {kComplete, kOpen, kStart, kStop}) {
    const std::wstring operation = action.first;
    SCOPED_TRACE(::testing::PrintToString(operation));
    // Open looks for a task its link no longer finds, and says in words that it is nowhere.
    const bool open = action.second == host::Operation::kOpenTask;
    // The entry ID handed over, the start of the box's text, whether it is a failure report
    // (else a plain message), and whether the host answers no item for the entry ID.
    const std::tuple<std::wstring, std::wstring, bool, bool> cases[] = {
        {L"", L"An entry ID could not be retrieved from the selected menu item.", false, false},
        {linked.EntryID(), L"A reference for the Outlook item could not be retrieved.", false,
         true},
        {unlinked.EntryID(), L"91 - Object variable or With block variable not set", true, false},
        {mail.EntryID(), L"13 - Type mismatch", true, false},
        {orphan.EntryID(), open ? std::wstring(host::kTaskGoneMessage) : L"-", !open,
         false},  // the host's own failure
        {L"00000000DEADBEEF", std::to_wstring(sim::kNotFound) + L" - ", true, false},
    };
    for (const auto& [entry_id, text_prefix, report, nothing] : cases) {
      outlook.ClearMessageBoxes();
      const auto writes = task.WriteCount() + unlinked.WriteCount() + orphan.WriteCount();
      outlook.SetItemFromIDAnswersNothing(nothing);
      Run(action, entry_id);
      outlook.SetItemFromIDAnswersNothing(false);
      const auto boxes = outlook.MessageBoxes();
      ASSERT_EQ(boxes.size(), 1u) << ::testing::PrintToString(MessageTexts());
      EXPECT_EQ(boxes[0].text.rfind(text_prefix, 0), 0u) << ::testing::PrintToString(boxes[0].text);
      EXPECT_EQ(boxes[0].style, report ? 16 : 0);
      EXPECT_EQ(boxes[0].title, report ? L"Ostrand - " + operation : L"Fenmark");
      EXPECT_EQ(task.WriteCount() + unlinked.WriteCount() + orphan.WriteCount(), writes);
      EXPECT_FALSE(task.WindowOpen());
    }
    EXPECT_EQ(mail.WriteCount(), 0u);
  }
  EXPECT_EQ(linked.SaveCount(), 2);  // the user's and the link's
  // After the disconnection there is no application to ask.
  connect.OnDisconnection();
  for (const Action& action : {kComplete, kOpen, kStart, kStop}) {
    outlook.ClearMessageBoxes();
    Run(action, linked.EntryID());
    ExpectMessages({Report(L"91 - Object variable or With block variable not set", action.first)});
  }
}

}  // namespace
}  // namespace fenmark::testing
