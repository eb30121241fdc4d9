#pragma once
// A connected add-in whose ribbon side the simulated Office reaches by name, and the items the
// user-interface suites act on.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "addin/connect.h"
#include "demo/ribbon_bridge.h"
#include "sim/outlook.h"

namespace fenmark::testing {

inline constexpr wchar_t kOutlook12[] = L"12.0.6423.1000";
inline constexpr wchar_t kOutlook14[] = L"14.0.4760.1000";

// A ribbon control as the host hands it to a callback: only its id matters.
class FakeControl final : public host::RibbonControl {
 public:
  explicit FakeControl(std::wstring id) : id_(std::move(id)) {}
  std::wstring Id() override { return id_; }

 private:
  std::wstring id_;
};

inline Ref<host::RibbonControl> Control(const std::wstring& id) {
  return std::make_shared<FakeControl>(id);
}

class UiTest : public ::testing::Test {
 protected:
  sim::Outlook outlook;
  Connect connect{outlook.Platform()};
  demo::RibbonBridge bridge{connect};

  void SetUp() override {
    connect.AddinInstance_OnConnection(outlook.Application());
    outlook.AttachRibbon(&bridge);
  }
  void TearDown() override { outlook.AttachRibbon(nullptr); }

  // A saved task whose OstrandStatus is `status` ("" leaves it without one), and the appointment
  // scheduled from it, linked to it.
  sim::SimItem LinkedAppointment(const std::wstring& status, bool complete = false,
                                 const std::wstring& subject = L"Q3 figures") {
    auto task = outlook.CreateTask(subject, L"Task notes");
    task.SetUserProperty(L"TaskLinkEntryID", task.EntryID());
    if (!status.empty()) task.SetUserProperty(L"OstrandStatus", status);
    task.SetComplete(complete);
    outlook.UserSave(task);
    auto appointment = outlook.ScheduleTask(task);
    EXPECT_EQ(appointment.UserProperty(L"TaskLinkEntryID").value_or(L"(none)"), task.EntryID());
    return appointment;
  }

  sim::SimItem LinkedTaskOf(const sim::SimItem& appointment) {
    return outlook.FindByEntryID(appointment.UserProperty(L"TaskLinkEntryID").value_or(L""));
  }

  // The add-in's own command-bar buttons on the menu, top to bottom.
  static std::vector<sim::MenuControl> OwnButtons(const sim::ContextMenu& menu) {
    std::vector<sim::MenuControl> own;
    for (const auto& control : menu.Controls()) {
      if (control.added_by_addin) own.push_back(control);
    }
    return own;
  }

  std::vector<std::wstring> MessageTexts() const {
    std::vector<std::wstring> texts;
    for (const auto& box : outlook.MessageBoxes()) texts.push_back(box.title + L": " + box.text);
    return texts;
  }
};

}  // namespace fenmark::testing
