// The simulated Outlook's own guards, which the add-in's suites never reach while the add-in is
// right: a Write handler that saves without end is stopped loudly, not left to overflow the stack,
// and the file system refuses the names Windows refuses.

#include <gtest/gtest.h>

#include "sim/fidelity/fidelity.h"
#include "sim/outlook.h"

namespace fenmark::sim {
namespace {

TEST(SimGuards, EndlessSavesAndNamesWindowsRefusesFail) {
  Outlook outlook;
  auto task = outlook.AddinRef(outlook.CreateTask(L"T"));
  int depth = 0, raised = 0;
  auto nested = task->OnWrite([&](bool&) {
    ++raised;
    if (++depth < 3) task->Save();
    --depth;
  });
  task->Save();
  EXPECT_EQ(raised, 3);
  EXPECT_FALSE(outlook.WriteRecursionOverflowed());

  auto endless = task->OnWrite([&](bool&) {
    task->Save();
    task->Save();
  });
  outlook.UserSave(outlook.Find(task));
  EXPECT_TRUE(outlook.WriteRecursionOverflowed());
  ASSERT_FALSE(outlook.ReturnedFailures().empty());
  EXPECT_EQ(outlook.ReturnedFailures().front().description, kRecursionDescription);

  // The file system: what Windows refuses fails, and trailing dots and blanks go.
  const std::wstring temp = outlook.TempFolder();
  auto mail = outlook.AddinRef(outlook.ReceiveMail(L"M", L""));
  EXPECT_THROW(mail->SaveAs(temp + L"\\m.msg", host::kOlMsg), host::Failure);  // no renderings
  UseRenderings(outlook);
  // Devices in any case and with an extension, paths of MAX_PATH or more.
  for (const auto* name :
       {L"CON", L"nul.txt", L"Com1 .msg", L"lpt9.a.b", L"CONIN$", L"com\u00b2.msg"})
    EXPECT_THROW(mail->SaveAs(temp + L"\\" + name, host::kOlMsg), host::Failure) << name;
  EXPECT_THROW(mail->SaveAs(temp + L"\\" + std::wstring(259 - temp.size(), L'x'), 3),
               host::Failure);
  EXPECT_TRUE(outlook.AllFiles().empty());
  mail->SaveAs(temp + L"\\" + std::wstring(258 - temp.size(), L'x'), 3);
  mail->SaveAs(temp + L"\\COM10.msg. .", host::kOlMsg);
  EXPECT_EQ(outlook.FilesIn(temp).size(), 2u);
  EXPECT_TRUE(outlook.FileExists(temp + L"\\com10.msg"));
  outlook.Platform().OpenEntry(temp + L"\\COM10.msg..")->Remove();
  EXPECT_EQ(outlook.AllFiles().size(), 1u);
}

// A user property is found by its DASL name in any folder; by its name in brackets only where the
// folder defines it, which none of the add-in's are. Only saved values are found.
TEST(SimGuards, RestrictFindsUserPropertiesByTheirDaslNameOnly) {
  Outlook outlook;
  auto task = outlook.CreateTask(L"T");
  task.SetUserProperty(L"OstrandTaskKey", L"00AB");
  outlook.UserSave(task);
  auto unsaved = outlook.CreateTask(L"U");
  unsaved.SetUserProperty(L"OstrandTaskKey", L"00AB");
  auto items = outlook.Application()->GetNamespace(L"MAPI")->GetDefaultFolder(13)->Items();
  const std::wstring dasl =
      L"\"http://schemas.microsoft.com/mapi/string/{00020329-0000-0000-C000-000000000046}/";
  auto found = items->Restrict(L"@SQL=" + dasl + L"OstrandTaskKey\" = '00ab' OR " + dasl +
                               L"TaskLinkEntryID\" = '00ab'");
  ASSERT_EQ(found->Count(), 1);
  EXPECT_EQ(outlook.Find(found->Item(1)).Subject(), L"T");
  EXPECT_THROW(items->Restrict(L"[OstrandTaskKey] = '00AB'"), host::Failure);
  EXPECT_THROW(items->Restrict(L"@SQL=OstrandTaskKey = '00AB'"), host::Failure);
  EXPECT_EQ(outlook.CountCalls(L"ItemCollection.Restrict"), 3);
}

}  // namespace
}  // namespace fenmark::sim
