// Connection and disconnection with Outlook: what the add-in asks for, what it keeps, and what a
// failure part-way leaves behind.
#include <gtest/gtest.h>

#include "addin/connect.h"
#include "sim/outlook.h"

namespace fenmark {
namespace {

class ConnectionTest : public ::testing::Test {
 protected:
  sim::Outlook outlook;
  Connect connect{outlook.Platform()};
};

TEST_F(ConnectionTest, KeepsApplicationInspectorsAndCalendarItemsAndLoadsBothDocuments) {
  connect.AddinInstance_OnConnection(outlook.Application());

  EXPECT_TRUE(connect.objOLApp);
  EXPECT_TRUE(connect.objInsp);
  EXPECT_TRUE(connect.olItems);
  EXPECT_NE(connect.strRibbonXML.find(L"OstrandTab"), std::wstring::npos);
  EXPECT_NE(connect.strContextXML.find(L"ContextMenuCalendarItem"), std::wstring::npos);
  EXPECT_TRUE(connect.strItemEntryID.empty());
  // Only the three members stay referenced; namespace and folder were released at once.
  EXPECT_EQ(outlook.OutstandingReferences(), 3);
  EXPECT_TRUE(outlook.FilesIn(outlook.TempFolder()).empty());
}

TEST_F(ConnectionTest, AFailureAtTheCalendarLeavesTheEarlierMembersAndReachesTheHost) {
  outlook.FailCallsTo(L"Namespace.GetDefaultFolder", sim::kNotFound, L"No calendar here.");
  try {
    connect.AddinInstance_OnConnection(outlook.Application());
    FAIL() << "the failure must reach the host";
  } catch (const host::Failure& failure) {
    EXPECT_EQ(failure.Number(), sim::kNotFound);
    EXPECT_EQ(failure.Description(), L"No calendar here.");
  }
  EXPECT_TRUE(connect.objOLApp);
  EXPECT_TRUE(connect.objInsp);
  EXPECT_FALSE(connect.olItems);
  EXPECT_TRUE(connect.strRibbonXML.empty());
  EXPECT_TRUE(connect.strContextXML.empty());
  EXPECT_TRUE(outlook.MessageBoxes().empty());
  EXPECT_EQ(outlook.OutstandingReferences(), 2);
}

TEST_F(ConnectionTest, DisconnectionEmptiesOnlyTheApplicationAndReleaseEndsTheRest) {
  connect.AddinInstance_OnDisconnection();  // never connected: nothing to empty, no failure
  EXPECT_FALSE(connect.objOLApp);

  connect.AddinInstance_OnConnection(outlook.Application());
  connect.AddinInstance_OnDisconnection();
  EXPECT_FALSE(connect.objOLApp);
  EXPECT_TRUE(connect.objInsp);
  EXPECT_TRUE(connect.olItems);
  EXPECT_EQ(outlook.OutstandingReferences(), 2);

  // The application's events no longer reach the add-in.
  auto mail = outlook.ReceiveMail(L"After", L"body");
  outlook.ClearCalls();
  outlook.RightClick({mail});
  EXPECT_EQ(outlook.CallCount(), 0u) << outlook.CallsText();
}

TEST(ConnectionRelease, ReleasingTheAddinLeavesNoReference) {
  sim::Outlook outlook;
  {
    Connect connect{outlook.Platform()};
    connect.AddinInstance_OnConnection(outlook.Application());
    auto task = outlook.CreateTask(L"Watched");
    outlook.OpenItem(task);
    EXPECT_GT(outlook.OutstandingReferences(), 3);
  }
  EXPECT_EQ(outlook.OutstandingReferences(), 0);
}

}  // namespace
}  // namespace fenmark
