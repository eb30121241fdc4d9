// The simulated Office, Word and Windows: markup-driven ribbon and context menus, command bars,
// the item editor and the file system.

#include <algorithm>
#include <gtest/gtest.h>

#include <map>

#include "sim/outlook.h"

namespace fenmark::sim {
namespace {

// Answers getEnabled/getVisible from a table and records every callback by name.
class FakeCallbacks : public RibbonCallbacks {
 public:
  std::wstring GetCustomUI(const std::wstring& ribbon_id) override { return markup[ribbon_id]; }
  void OnLoad(const std::wstring& name, const Ref<host::RibbonUI>& ribbon) override {
    log.push_back(name);
    this->ribbon = ribbon;
  }
  bool GetBool(const std::wstring& name, const Ref<host::RibbonControl>& control) override {
    std::wstring id = control->Id();
    log.push_back(name + L":" + id);
    if (failing == id) throw host::Failure(-2147352570, L"Unknown name.");
    return answers.count(id) ? answers[id] : true;
  }
  void Action(const std::wstring& name, const Ref<host::RibbonControl>& control) override {
    log.push_back(name + L"!" + control->Id());
  }
  std::map<std::wstring, std::wstring> markup;
  std::map<std::wstring, bool> answers;
  std::wstring failing;
  std::vector<std::wstring> log;
  Ref<host::RibbonUI> ribbon;
};

std::wstring Text(const std::vector<std::uint8_t>& bytes) {
  return {bytes.begin(), bytes.end()};
}

TEST(SimRibbon, ContextMenuAsksVisibleThenEnabledAndSurvivesFailingCallbacks) {
  Outlook outlook;
  FakeCallbacks callbacks;
  callbacks.markup[kExplorerRibbon] =
      Text(*outlook.Platform().ResourceBytes(L"CONTEXTXML", L"CUSTOM"));
  callbacks.answers[L"VBX_Open_Ostrand_Task"] = false;
  callbacks.failing = L"VBX_Stop_Ostrand_Task";
  outlook.AttachRibbon(&callbacks);

  auto appointment = outlook.CreateAppointment(L"A", L"");
  auto menu = outlook.RightClick({appointment});
  EXPECT_EQ(menu.IdMso(), kCalendarItemMenu);
  auto entries = menu.RibbonEntries();
  ASSERT_EQ(entries.size(), 5u);
  EXPECT_FALSE(entries[1].visible) << "getVisible answered false";
  EXPECT_TRUE(entries[3].visible) << "a failing callback leaves the default";
  EXPECT_TRUE(entries[4].separator);
  const std::vector<std::wstring> asked(callbacks.log.begin() + 1, callbacks.log.begin() + 8);
  EXPECT_EQ(asked,
            (std::vector<std::wstring>{
                L"VBX_GetVisible:VBX_Fenmark", L"VBX_GetEnabled:VBX_Fenmark",
                L"VBX_GetVisible:VBX_Open_Ostrand_Task", L"VBX_GetVisible:VBX_Start_Ostrand_Task",
                L"VBX_GetEnabled:VBX_Start_Ostrand_Task", L"VBX_GetVisible:VBX_Stop_Ostrand_Task",
                L"VBX_GetEnabled:VBX_Stop_Ostrand_Task"}));
  ASSERT_EQ(outlook.ReturnedFailures().size(), 2u);
  EXPECT_EQ(outlook.ReturnedFailures()[0].source, L"Ribbon.VBX_GetVisible");

  EXPECT_FALSE(menu.ClickRibbonEntry(L"VBX_Open_Ostrand_Task")) << "hidden";
  EXPECT_TRUE(menu.ClickRibbonEntry(L"VBX_Fenmark"));
  EXPECT_EQ(callbacks.log.back(), L"VBX_CompleteTask!VBX_Fenmark");

  outlook.SetVersion(L"12.0.6423.1000");
  EXPECT_TRUE(outlook.RightClick().RibbonEntries().empty()) << "Outlook 12 has no such markup";
}

TEST(SimRibbon, MarkupThatOfficeRejectsLoadsNothing) {
  Outlook outlook;
  FakeCallbacks callbacks;
  callbacks.markup[kAppointmentRibbon] =
      L"<customUI xmlns=\"http://schemas.microsoft.com/office/2006/01/customui\" "
      L"onLoad=\"Ribbon_OnLoad\"><contextMenus/></customUI>";
  callbacks.markup[kExplorerRibbon] = L"<customUI><unclosed></customUI>";
  outlook.AttachRibbon(&callbacks);
  EXPECT_FALSE(outlook.LoadRibbon(kAppointmentRibbon));
  EXPECT_FALSE(outlook.LoadRibbon(kExplorerRibbon));
  EXPECT_FALSE(outlook.LoadRibbon(L"Microsoft.Outlook.Mail.Read")) << "empty markup";
  EXPECT_TRUE(callbacks.log.empty()) << "no onLoad for rejected markup";
  EXPECT_EQ(outlook.RibbonErrors().size(), 2u);
}

TEST(SimFiles, TempFolderPathsAndFailuresOfTheFileSystem) {
  Outlook outlook;
  auto& platform = outlook.Platform();
  auto fso = platform.CreateFileSystemObject();
  const std::wstring temp = fso->GetSpecialFolder(host::kTemporaryFolder)->Path();
  EXPECT_EQ(temp, L"C:\\Users\\Avery\\AppData\\Local\\Temp");
  EXPECT_EQ(platform.TempPath(), temp + L"\\");

  platform.WriteFile(temp + L"\\A.txt", {'x'});
  EXPECT_TRUE(outlook.FileExists(temp + L"\\a.TXT")) << "names ignore case";
  EXPECT_EQ(platform.ReadFile(temp + L"\\a.txt"), std::vector<std::uint8_t>{'x'});
  fso->Delete(temp + L"\\a.txt");
  try {
    fso->Delete(temp + L"\\a.txt");
    ADD_FAILURE() << "deleting a missing file must fail";
  } catch (const host::Failure& failure) {
    EXPECT_EQ(failure.Number(), 53);
    EXPECT_EQ(failure.Description(), L"File not found");
  }
  EXPECT_THROW(platform.WriteFile(L"C:\\Nowhere\\x.txt", {}), host::Failure);
  auto mail = outlook.AddinRef(outlook.ReceiveMail(L"M", L""));
  EXPECT_THROW(mail->SaveAs(L"C:\\Nowhere\\x.msg", host::kOlMsg), host::Failure);
  // What Windows refuses: devices in any case and with an extension, paths of MAX_PATH or more.
  for (const auto* name : {L"CON", L"nul.txt", L"Com1 .msg", L"lpt9.a.b", L"CONIN$"})
    EXPECT_THROW(mail->SaveAs(temp + L"\\" + name, host::kOlMsg), host::Failure) << name;
  EXPECT_THROW(mail->SaveAs(temp + L"\\" + std::wstring(259 - temp.size(), L'x'), 3),
               host::Failure);
  EXPECT_TRUE(outlook.AllFiles().empty());
  mail->SaveAs(temp + L"\\" + std::wstring(258 - temp.size(), L'x'), 3);
  mail->SaveAs(temp + L"\\COM10.msg. .", host::kOlMsg);  // trailing dots and blanks go
  EXPECT_TRUE(outlook.FileExists(temp + L"\\com10.msg"));
  EXPECT_EQ(outlook.AllFiles().size(), 2u);
  const auto files = outlook.FilesIn(temp);
  EXPECT_EQ(std::count(files.begin(), files.end(), temp + L"\\COM10.msg"), 1);
  fso->Delete(temp + L"\\COM10.msg..");
  EXPECT_EQ(outlook.AllFiles().size(), 1u);
  outlook.RemoveFile(outlook.AllFiles()[0]);

  outlook.SetTempPath(std::wstring(260, L'x'));
  EXPECT_EQ(platform.TempPath().size(), 260u);
  outlook.RemoveResource(L"RIBBONXML", L"CUSTOM");
  EXPECT_FALSE(platform.ResourceBytes(L"RIBBONXML", L"CUSTOM").has_value());
  EXPECT_TRUE(platform.ResourceBytes(L"contextxml", L"custom").has_value());

  EXPECT_EQ(platform.MsgBox(L"hi", host::kMbOk), 1);
  EXPECT_EQ(outlook.MessageBoxes().at(0).title, L"Fenmark");
  outlook.SetNow({2024, 12, 31, 23, 59, 59}, 1);
  platform.Now();
  EXPECT_EQ(platform.Now().year, 2025);
}

}  // namespace
}  // namespace fenmark::sim
