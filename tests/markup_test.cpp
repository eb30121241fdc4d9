// The markup documents: which one answers which ribbon, and how the loader turns a resource into
// text without leaving its working file behind.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "addin/connect.h"
#include "sim/outlook.h"

namespace fenmark {
namespace {

std::string SourceFile(const std::string& name) {
  std::ifstream in(std::string(FENMARK_SOURCE_DIR) + "/ui/resources/" + name, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::wstring Widen(const std::string& text) {
  return {text.begin(), text.end()};
}

class MarkupTest : public ::testing::Test {
 protected:
  sim::Outlook outlook;
  Connect connect{outlook.Platform()};
  std::wstring WorkingFile() const { return outlook.TempFolder() + L"\\resOstrandRibbon.xml"; }
};

TEST_F(MarkupTest, LoadXmlGivesTheResourceWithCrLfAfterEveryLineAndRemovesItsWorkingFile) {
  const auto ribbon = connect.LoadXML(L"RIBBONXML");
  EXPECT_EQ(ribbon, Widen(SourceFile("ribbon.xml")) + L"\r\n");
  EXPECT_EQ(connect.LoadXML(L"CONTEXTXML"), Widen(SourceFile("context.xml")) + L"\r\n");
  // The working file was used, then deleted.
  EXPECT_NE(outlook.CallsText().find(L"resOstrandRibbon.xml"), std::wstring::npos);
  EXPECT_FALSE(outlook.FileExists(WorkingFile()));
  EXPECT_TRUE(outlook.FilesIn(outlook.TempFolder()).empty());
}

TEST_F(MarkupTest, ATemporaryFolderOf255CharactersOrMoreBeforeItsFirstNulLoadsNothing) {
  const std::wstring base = L"C:\\Users\\Avery\\";
  auto folder_of = [&](std::size_t length_with_separator) {
    return base + std::wstring(length_with_separator - base.size() - 1, L'x');
  };
  // 254 characters still fit the loader's buffer (the file system may then refuse the long path,
  // as Windows does beyond MAX_PATH); 255 and more never reach the file system.
  outlook.SetTempFolder(folder_of(254));
  outlook.ClearCalls();
  connect.LoadXML(L"RIBBONXML");
  EXPECT_EQ(outlook.CountCalls(L"Platform.WriteFile"), 1);
  for (std::size_t length : {255u, 256u, 300u}) {
    outlook.SetTempFolder(folder_of(length));
    outlook.ClearCalls();
    EXPECT_EQ(connect.LoadXML(L"RIBBONXML"), L"") << length;
    EXPECT_EQ(outlook.CountCalls(L"Platform.WriteFile"), 0) << length;
  }
  // As the buffer holds it, the path ends at its first NUL: what follows does not count.
  outlook.SetTempFolder(base + L"Temp");
  outlook.SetTempPath(base + L"Temp\\" + std::wstring(1, L'\0') + std::wstring(300, L'x'));
  EXPECT_EQ(connect.LoadXML(L"RIBBONXML"), Widen(SourceFile("ribbon.xml")) + L"\r\n");
  EXPECT_TRUE(outlook.FilesIn(outlook.TempFolder()).empty());
}

TEST_F(MarkupTest, AnUnknownResourceOrAFailedStepGivesNothingAndLeavesNoWorkingFile) {
  EXPECT_EQ(connect.LoadXML(L"NOSUCHXML"), L"");
  EXPECT_EQ(outlook.CountCalls(L"Platform.WriteFile"), 0);
  for (const wchar_t* step :
       {L"Platform.WriteFile", L"Platform.ReadFile", L"Platform.RemoveFile"}) {
    outlook.FailCallsTo(step, sim::kPathNotFound, L"Path not found", 1, /*only_once=*/true);
    EXPECT_EQ(connect.LoadXML(L"RIBBONXML"), L"") << step;
    outlook.ClearFaults();
    EXPECT_FALSE(outlook.FileExists(WorkingFile())) << step;
  }
}

TEST_F(MarkupTest, TheTabGoesToAppointmentWindowsAndTheMenusToOutlook14AndLater) {
  connect.AddinInstance_OnConnection(outlook.Application());
  const auto& tab = connect.strRibbonXML;
  const auto& menus = connect.strContextXML;
  struct Case {
    const wchar_t* version;
    const wchar_t* ribbon_id;
    const std::wstring* expected;
  };
  const std::wstring none;
  const Case cases[] = {
      {L"12.0.6423.1000", L"Microsoft.Outlook.Appointment", &tab},
      {L"14.0.4760.1000", L"microsoft.outlook.APPOINTMENT", &tab},
      {L"12.0.6423.1000", L"Microsoft.Outlook.Explorer", &none},
      {L"14.0.4760.1000", L"Microsoft.Outlook.Explorer", &menus},
      {L"15.0.4420.1017", L"MICROSOFT.OUTLOOK.EXPLORER", &menus},
      {L"14", L"Microsoft.Outlook.Explorer", &menus},
      {L"14.0.4760.1000", L"Microsoft.Outlook.Mail.Read", &none},
      {L"14.0.4760.1000", L"", &none},
  };
  for (const auto& c : cases) {
    outlook.SetVersion(c.version);
    EXPECT_EQ(connect.IRibbonExtensibility_GetCustomUI(c.ribbon_id), *c.expected)
        << c.ribbon_id << " on " << c.version;
  }
  EXPECT_TRUE(outlook.MessageBoxes().empty());
}

TEST_F(MarkupTest, AnUnreadableVersionStillHandsOutTheMenusAndNeverFailsTowardsTheHost) {
  connect.AddinInstance_OnConnection(outlook.Application());
  outlook.SetVersion(L"12.0.6423.1000");
  outlook.FailCallsTo(L"Application.Version");
  EXPECT_EQ(connect.IRibbonExtensibility_GetCustomUI(L"Microsoft.Outlook.Explorer"),
            connect.strContextXML);
  outlook.ClearFaults();
  connect.AddinInstance_OnDisconnection();  // no application at all
  EXPECT_EQ(connect.IRibbonExtensibility_GetCustomUI(L"Microsoft.Outlook.Explorer"),
            connect.strContextXML);
  EXPECT_EQ(connect.IRibbonExtensibility_GetCustomUI(L"Microsoft.Outlook.Appointment"),
            connect.strRibbonXML);
}

}  // namespace
}  // namespace fenmark
