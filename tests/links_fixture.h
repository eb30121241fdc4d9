#pragma once
// One connected add-in on a simulated Outlook, and the checks the linked-task suites share.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "addin/connect.h"
#include "sim/outlook.h"

namespace fenmark::links_test {

// Host references that Connect's members account for; the add-in holds no other after a call.
inline long HeldByMembers(const Connect& connect) {
  long held = connect.glblObjRibbon ? 1 : 0;
  for (bool member :
       {static_cast<bool>(connect.olItems), static_cast<bool>(connect.objOLApp),
        static_cast<bool>(connect.objInsp), static_cast<bool>(connect.oTask),
        static_cast<bool>(connect.objButton), static_cast<bool>(connect.objButtonCalTaskComplete),
        static_cast<bool>(connect.objButtonCalTaskOpen),
        static_cast<bool>(connect.objButtonCalTaskStart),
        static_cast<bool>(connect.objButtonCalTaskStop)}) {
    held += member ? 1 : 0;
  }
  return held;
}

class LinksTest : public ::testing::Test {
 protected:
  sim::Outlook outlook;
  Connect connect{outlook.Platform()};

  void SetUp() override {
    connect.AddinInstance_OnConnection(outlook.Application());
    outlook.ClearCalls();
  }

  long HeldByMembers() const { return links_test::HeldByMembers(connect); }

  // A task carrying its own entry ID in TaskLinkEntryID and `status` in OstrandStatus (none when
  // empty), window closed. A watched one was opened and saved by the user while the add-in
  // watched it, and stays the watched task; it always has a status.
  sim::SimItem LinkedTask(const std::wstring& subject, const std::wstring& status, bool watched) {
    auto task = outlook.CreateTask(subject, L"Task notes");
    if (watched) {
      outlook.OpenItem(task);
      outlook.UserSave(task);
      task.SetUserProperty(L"OstrandStatus", status);
      outlook.CloseWindow(task, true);
    } else {
      task.SetUserProperty(L"TaskLinkEntryID", task.EntryID());
      if (!status.empty()) task.SetUserProperty(L"OstrandStatus", status);
      outlook.UserSave(task);
    }
    return task;
  }

  // The appointment the user made by dragging the task into the calendar, linked on arrival.
  sim::SimItem ScheduledFrom(const sim::SimItem& task) {
    auto appointment = outlook.ScheduleTask(task);
    EXPECT_EQ(appointment.UserProperty(L"TaskLinkEntryID").value_or(L"(none)"), task.EntryID());
    return appointment;
  }

  std::vector<std::wstring> MessageTexts() const {
    std::vector<std::wstring> texts;
    for (const auto& box : outlook.MessageBoxes()) texts.push_back(box.text);
    return texts;
  }

  // Exactly these boxes, in order: {text, style, title}.
  void ExpectMessages(const std::vector<sim::MessageBoxRecord>& expected) {
    const auto boxes = outlook.MessageBoxes();
    ASSERT_EQ(boxes.size(), expected.size()) << ::testing::PrintToString(MessageTexts());
    for (std::size_t i = 0; i < boxes.size(); ++i) {
      EXPECT_EQ(boxes[i].text, expected[i].text);
      EXPECT_EQ(boxes[i].style, expected[i].style) << boxes[i].text;
      EXPECT_EQ(boxes[i].title, expected[i].title) << boxes[i].text;
      EXPECT_EQ(boxes[i].title_given, expected[i].title != L"Fenmark") << boxes[i].text;
    }
  }

  static sim::MessageBoxRecord Message(const std::wstring& text) {
    return {text, 0, L"Fenmark", false};
  }
  static sim::MessageBoxRecord Report(const std::wstring& text, const std::wstring& operation) {
    return {text, 16, L"Ostrand - " + operation, true};
  }

  std::vector<std::wstring> TempFiles() const { return outlook.FilesIn(outlook.TempFolder()); }
};

}  // namespace fenmark::links_test
