// The Outlook 12 context menu: the buttons the add-in adds, their slots, and their clicks.
#include <gtest/gtest.h>

#include "tests/fixture.h"

namespace fenmark::testing {
namespace {

class CommandBarTest : public UiTest {
 protected:
  void SetUp() override {
    UiTest::SetUp();
    outlook.SetVersion(kOutlook12);
  }
};

TEST_F(CommandBarTest, OnlyASingleMailBefore14GetsSendToOstrandAboveASeparator) {
  auto mail = outlook.ReceiveMail(L"Budget", L"Figures");
  const std::pair<std::wstring, bool> versions[] = {
      {L"12.0.6423.1000", true}, {L"12", true}, {L"14.0.4760.1000", false}, {L"9.0.0.2711", false}};
  for (const auto& [version, adds] : versions) {
    SCOPED_TRACE(::testing::PrintToString(version));
    outlook.SetVersion(version);
    const auto menu = outlook.RightClick({mail});
    EXPECT_EQ(OwnButtons(menu).size(), adds ? 1u : 0u);
    for (const auto& control : menu.Controls()) EXPECT_FALSE(control.begin_group && !adds);
  }
  outlook.SetVersion(kOutlook12);
  const auto menu = outlook.RightClick({mail});
  const auto button = menu.Control(1);
  EXPECT_EQ(
      button.caption + L"|" + button.tag + L"|" + button.parameter + L"|" + button.on_action,
      L"Send to Ostrand|Fenmark.Connect.CopyToTask|" + mail.EntryID() + L"|!<Fenmark.Connect>");
  EXPECT_EQ(std::pair(button.style, button.face_id), std::pair(3, 95));
  EXPECT_TRUE(button.enabled && !button.begin_group);
  EXPECT_TRUE(menu.Control(2).begin_group && !menu.Control(2).added_by_addin);

  // Nothing for other selections, and the mail's button keeps its slot.
  auto other = outlook.ReceiveMail(L"Lunch", L"Who is in?");
  auto contact = outlook.AddItem(sim::kOlContact, L"Jo", L"", sim::FolderKind::kContacts);
  auto request = outlook.AddItem(host::kOlMeetingRequest, L"Review", L"", sim::FolderKind::kInbox);
  const auto slot = view.Button(host::Operation::kCopyToTask);
  for (const auto& items :
       std::vector<std::vector<sim::SimItem>>{{}, {mail, other}, {contact}, {request}}) {
    outlook.Select(items);
    EXPECT_TRUE(OwnButtons(outlook.RightClick()).empty());
  }
  EXPECT_EQ(view.Button(host::Operation::kCopyToTask), slot);
  EXPECT_FALSE(view.Button(host::Operation::kCompleteTask));
}

TEST_F(CommandBarTest, AMenuReplacesOnlyTheSlotsOfItsOwnKind) {
  auto mail = outlook.ReceiveMail(L"Budget", L"Figures");
  auto mail_menu = outlook.RightClick({mail});
  const auto mail_button = view.Button(host::Operation::kCopyToTask);
  ASSERT_TRUE(mail_button);

  auto appointment = LinkedAppointment(L"Started");
  auto calendar_menu = outlook.RightClick({appointment});
  EXPECT_EQ(view.Button(host::Operation::kCopyToTask), mail_button);
  const auto open_button = view.Button(host::Operation::kOpenTask);
  ASSERT_TRUE(open_button);
  EXPECT_TRUE(view.Button(host::Operation::kCompleteTask) &&
              view.Button(host::Operation::kStartTask) && view.Button(host::Operation::kStopTask));
  const auto calendar = calendar_menu.Controls();
  ASSERT_GE(calendar.size(), 5u);
  EXPECT_TRUE(calendar[4].begin_group);
  for (int i = 0; i < 4; ++i) EXPECT_FALSE(calendar[i].begin_group);

  // The earlier mail button still reaches its handler, with its own item.
  EXPECT_EQ(mail_menu.Control(1).click_subscribers, 1);
  ASSERT_TRUE(mail_menu.Click(1));
  EXPECT_EQ(outlook.ActiveWindowItem().Subject(), L"Budget");

  // A second mail menu takes the mail button's slot; the first button is no longer heard.
  auto second_menu = outlook.RightClick({mail});
  EXPECT_NE(view.Button(host::Operation::kCopyToTask), mail_button);
  EXPECT_EQ(mail_menu.Control(1).click_subscribers, 0);
  EXPECT_EQ(view.Button(host::Operation::kOpenTask), open_button);
  EXPECT_EQ(second_menu.Control(1).click_subscribers, 1);
}

TEST_F(CommandBarTest, HandingTheEntryIdToAButtonFailsToTheHostWithoutAMessage) {
  auto mail = outlook.ReceiveMail(L"Budget", L"Figures");
  auto appointment = LinkedAppointment(L"Stopped");
  for (const auto& item : {mail, appointment}) {
    SCOPED_TRACE(item.Class());
    outlook.FailCallsTo(L"CommandBarControl.SetParameter", sim::kFailed, L"No parameter", 1, true);
    const auto menu = outlook.RightClick({item});
    outlook.ClearFaults();
    const auto own = OwnButtons(menu);
    ASSERT_EQ(own.size(), 1u);
    EXPECT_TRUE(own[0].on_action.empty());
    EXPECT_TRUE(own[0].parameter.empty());
    for (const auto& control : menu.Controls()) EXPECT_FALSE(control.begin_group);
    const auto failures = outlook.ReturnedFailures();
    ASSERT_EQ(failures.size(), 1u);
    EXPECT_EQ(failures[0].source, L"Application.ItemContextMenuDisplay");
    EXPECT_EQ(failures[0].description, L"No parameter");
    EXPECT_FALSE(failures[0].foreign_exception);
    outlook.ClearReturnedFailures();
  }
  EXPECT_FALSE(view.Button(host::Operation::kOpenTask));
}

TEST_F(CommandBarTest, OtherHostFailuresEndTheMenuWithoutAMessage) {
  auto mail = outlook.ReceiveMail(L"Budget", L"Figures");
  for (const wchar_t* member : {L"SetBeginGroup", L"SetTag"}) {
    SCOPED_TRACE(::testing::PrintToString(std::wstring(member)));
    outlook.FailCallsTo(L"CommandBarControl." + std::wstring(member), sim::kFailed, L"Refused");
    const auto menu = outlook.RightClick({mail});
    outlook.ClearFaults();
    ASSERT_EQ(OwnButtons(menu).size(), 1u);
    EXPECT_EQ(OwnButtons(menu)[0].on_action.empty(), member[3] == L'T');
  }
}

}  // namespace
}  // namespace fenmark::testing
