// The markup documents: which one answers which ribbon, how the loader turns a resource into
// text, and a connection that loads them whatever the machine.
#include "ui/markup.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <tuple>

#include "addin/connect.h"
#include "sim/outlook.h"
#include "tests/fixture.h"

namespace fenmark {
namespace {

// The checked-in markup file, as the loader gives it: a CR LF after its last line too.
std::wstring Loaded(const std::string& name) {
  std::ifstream in(std::string(FENMARK_SOURCE_DIR) + "/ui/resources/" + name, std::ios::binary);
  const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  return std::wstring(bytes.begin(), bytes.end()) + L"\r\n";
}

class MarkupTest : public ::testing::Test {
 protected:
  sim::Outlook outlook;
  Connect connect{outlook.Platform()};
};

TEST_F(MarkupTest, LoadXmlGivesTheResourceWithCrLfAfterEveryLineStraightFromTheResources) {
  EXPECT_EQ(ui::LoadXML(outlook.Platform(), L"RIBBONXML"), Loaded("ribbon.xml"));
  EXPECT_EQ(ui::LoadXML(outlook.Platform(), L"contextxml"), Loaded("context.xml"));
  EXPECT_EQ(ui::LoadXML(outlook.Platform(), L"NOSUCHXML"), L"");
  // Whatever the resources hold, every line, the last included, ends with CR LF, whether the
  // file's lines end with CR LF, LF or CR.
  const std::pair<std::string, std::wstring> cases[] = {{"", L""},
                                                        {"a", L"a\r\n"},
                                                        {"a\r\n", L"a\r\n"},
                                                        {"a\r\n\r\nb", L"a\r\n\r\nb\r\n"},
                                                        {"a\n", L"a\r\n"},
                                                        {"a\n\nb\n", L"a\r\n\r\nb\r\n"},
                                                        {"a\nb\rc", L"a\r\nb\r\nc\r\n"},
                                                        {"a\r\r\nb", L"a\r\n\r\nb\r\n"},
                                                        {"\n", L"\r\n"},
                                                        {"\xe9t\xe9\r\n", L"\u00e9t\u00e9\r\n"}};
  for (const auto& [bytes, text] : cases) {
    outlook.SetResource(L"OTHERXML", L"CUSTOM", {bytes.begin(), bytes.end()});
    EXPECT_EQ(ui::LoadXML(outlook.Platform(), L"OTHERXML"), text) << bytes;
  }
  // The documents themselves keep CR LF line ends, as .gitattributes pins them.
  for (const char* name : {"ribbon.xml", "context.xml", "task_ribbon.xml"}) {
    const std::wstring text = Loaded(name);
    std::size_t bare = 0;  // LF without a CR before it
    for (std::size_t i = 0; i < text.size(); ++i)
      bare += text[i] == L'\n' && (i == 0 || text[i - 1] != L'\r');
    EXPECT_EQ(bare, 0u) << name;
  }
  // Platform calls other than the resource reads: the loader makes none.
  for (const auto& call : outlook.Calls())
    EXPECT_TRUE(call.interface_name != L"Platform" || call.member == L"ResourceBytes");
  EXPECT_TRUE(outlook.AllFiles().empty());
}

// Whatever the machine's temporary folder: 262 characters, or one that cannot be written.
TEST_F(MarkupTest, TheTabAndMenusLoadWhateverTheTemporaryFolder) {
  for (bool writable : {true, false}) {
    SCOPED_TRACE(writable ? "262 characters" : "not writable");
    sim::Outlook machine;
    if (writable) {
      machine.SetTempFolder(L"C:\\Users\\" + std::wstring(252, L'x'));
    } else {
      for (const wchar_t* call : {L"Platform.MakeOwnFolder", L"Platform.MakeHeldFile",
                                  L"Platform.WriteBytes", L"Platform.FolderEntries"})
        machine.FailCallsTo(call, static_cast<std::int32_t>(0x80070005), L"Access is denied.");
    }
    Connect addin{machine.Platform()};
    addin.OnConnection(machine.Application());
    EXPECT_EQ(addin.GetCustomUI(L"Microsoft.Outlook.Appointment"), Loaded("ribbon.xml"));
    EXPECT_EQ(addin.GetCustomUI(L"Microsoft.Outlook.Explorer"), Loaded("context.xml"));
    EXPECT_FALSE(machine.Called(L"Platform.TempPath"));
    EXPECT_TRUE(machine.AllFiles().empty());
  }
}

// Only the linking of new appointments needs the calendar, only the watching of task windows the
// inspectors, only Outlook 12's menu the application's events: a source that cannot be had is
// left out, and the connection succeeds with the markup loaded first.
TEST_F(MarkupTest, AnEventSourceThatCannotBeHadIsLeftOutAndTheConnectionSucceeds) {
  // The failing call; the connections left (of the application, the inspectors, the calendar's
  // items and the Tasks folder's items), and whether the calendar's items are held.
  const std::tuple<const wchar_t*, int, bool> cases[] = {
      {L"Application.GetNamespace", 2, false},
      {L"Namespace.GetDefaultFolder", 2, false},
      {L"Folder.Items", 2, false},
      {L"ItemCollection.OnItemAdd", 2, true},
      {L"Application.Inspectors", 3, true},
      {L"InspectorCollection.OnNewInspector", 3, true},
      {L"Application.OnItemContextMenuDisplay", 3, true}};
  for (const auto& [failing, connections, items] : cases) {
    SCOPED_TRACE(failing);
    sim::Outlook machine;
    machine.FailCallsTo(failing, static_cast<std::int32_t>(0x80040115),
                        L"The connection to Microsoft Exchange is unavailable.");
    {
      Connect addin{machine.Platform()};
      EXPECT_NO_THROW(addin.OnConnection(machine.Application()));
      EXPECT_TRUE(addin.Application());
      EXPECT_EQ(static_cast<bool>(addin.CalendarItems()), items);
      EXPECT_EQ(machine.EventConnections(), connections);
      EXPECT_EQ(addin.GetCustomUI(L"Microsoft.Outlook.Appointment"), Loaded("ribbon.xml"));
      EXPECT_EQ(addin.GetCustomUI(L"Microsoft.Outlook.Explorer"), Loaded("context.xml"));
      addin.OnDisconnection();
      EXPECT_EQ(machine.EventConnections(), 0);
    }
    EXPECT_EQ(machine.OutstandingReferences(), 0);
  }
  EXPECT_THROW(connect.OnConnection(nullptr), host::Failure);
}

TEST_F(MarkupTest, TheTabGoesToAppointmentWindowsAndTheMenusToOutlook14AndLater) {
  connect.OnConnection(outlook.Application());
  const std::wstring tab = Loaded("ribbon.xml"), menus = Loaded("context.xml");
  const std::wstring none;
  const std::tuple<const wchar_t*, const wchar_t*, const std::wstring*> cases[] = {
      {L"12.0.6423.1000", L"Microsoft.Outlook.Appointment", &tab},
      {L"14.0.4760.1000", L"microsoft.outlook.APPOINTMENT", &tab},
      {L"12.0.6423.1000", L"Microsoft.Outlook.Explorer", &none},
      {L"14.0.4760.1000", L"Microsoft.Outlook.Explorer", &menus},
      {L"15.0.4420.1017", L"MICROSOFT.OUTLOOK.EXPLORER", &menus},
      {L"14", L"Microsoft.Outlook.Explorer", &menus},
      {L"14.0.4760.1000", L"Microsoft.Outlook.Mail.Read", &none},
      {L"14.0.4760.1000", L"", &none},
  };
  for (const auto& [version, ribbon_id, expected] : cases) {
    outlook.SetVersion(version);
    EXPECT_EQ(connect.GetCustomUI(ribbon_id), *expected) << ribbon_id << " on " << version;
  }
  EXPECT_TRUE(outlook.MessageBoxes().empty());
  // An unreadable version, or no application at all, still hands out the menus, never a failure.
  outlook.SetVersion(L"12.0.6423.1000");
  outlook.FailCallsTo(L"Application.Version");
  EXPECT_EQ(connect.GetCustomUI(L"Microsoft.Outlook.Explorer"), menus);
  outlook.ClearFaults();
  connect.OnDisconnection();  // no application at all
  EXPECT_EQ(connect.GetCustomUI(L"Microsoft.Outlook.Explorer"), menus);
  EXPECT_EQ(connect.GetCustomUI(L"Microsoft.Outlook.Appointment"), tab);
}

}  // namespace
}  // namespace fenmark
