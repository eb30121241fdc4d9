// "Send to Ostrand": a mail becomes a new task with the mail attached and pasted into the body.
#include <algorithm>
#include <functional>
#include <optional>
#include <string>
#include <tuple>

#include "links/send_to_task.h"
#include "links/working_folder.h"
#include "tests/fixture.h"

namespace fenmark::testing {
namespace {

class SendToTaskTest : public AddinTest {
 protected:
  // The paths the mail was saved under, in order.
  std::vector<std::wstring> SavedPaths() const {
    std::vector<std::wstring> paths;
    for (const auto& call : outlook.Calls())
      if (call.Name() == L"Item.SaveAs") paths.push_back(call.arguments);
    return paths;
  }

  // A file in the working folder that the last run made.
  std::wstring Temp(const std::wstring& name) const {
    std::wstring folder;
    for (const auto& call : outlook.Calls())
      if (call.Name() == L"Platform.MakeOwnFolder" && !call.failed) folder = call.arguments;
    return folder.substr(1, folder.size() - 2) + L"\\" + name;
  }
};

TEST_F(SendToTaskTest, AMailBecomesAShownUnsavedTaskWithTheMailAttachedAndPasted) {
  // Another program's file of the name the run tries first: the run takes another and leaves
  // that one alone.
  const auto taken = NextWorkingFolder();
  outlook.PutTextFile(taken, L"not ours");
  auto mail = outlook.ReceiveMail(L"RE: Budget 2024 / Q3?", L"Please review the figures.");
  mail.SetPictures(2);
  auto task = Send(mail);
  ASSERT_TRUE(task);
  EXPECT_EQ(task.Subject(), L"RE: Budget 2024 / Q3?");

  const auto attachments = task.Attachments();
  ASSERT_EQ(attachments.size(), 1u);
  EXPECT_EQ(attachments[0].display_name, L"RE Budget 2024  Q3.msg");
  EXPECT_EQ(attachments[0].source_path, Temp(L"RE Budget 2024  Q3.msg"));
  EXPECT_EQ(attachments[0].save_type, host::kOlMsgUnicode);
  EXPECT_NE(Temp(L""), taken + L"\\");
  EXPECT_EQ(Temp(L"").rfind(outlook.TempFolder() + L"\\Fenmark-", 0), 0u);

  // Two empty paragraphs, the typed separator, then the mail as the editor renders its HTML.
  const auto body = task.Body();
  EXPECT_EQ(body.rfind(L"\r\n\r\n____________\r\n", 0), 0u) << ::testing::PrintToString(body);
  // One text of bare carriage returns, typed once the window is up; the body then keeps the top.
  EXPECT_EQ(outlook.CountCalls(L"WordSelection.TypeText"), 1);
  EXPECT_NE(outlook.CallsText().find(L"TypeText(\"\\r\\r____________\\r\")"), std::wstring::npos)
      << outlook.CallsText();
  ExpectCallOrder({L"Item.GetInspector", L"Inspector.WordEditor", L"Inspector.Activate",
                   L"WordSelection.TypeText", L"WordSelection.InsertFile", L"WordSelection.HomeKey",
                   L"HeldEntry.Remove", L"Item.Display"});
  EXPECT_NE(body.find(L"Please review the figures."), std::wstring::npos);
  EXPECT_EQ(task.InsertionPoint(), 0u);

  EXPECT_EQ(outlook.ActiveWindowItem(), task);
  EXPECT_FALSE(task.Saved());
  EXPECT_EQ(TempFiles(), std::vector<std::wstring>{taken});
  EXPECT_EQ(mail.WriteCount(), 0u);
  EXPECT_EQ(outlook.CountCalls(L"Item.Save"), 0);
}

TEST_F(SendToTaskTest, TheSubjectNamesTheTemporaryFilesAndTheAttachment) {
  struct Case {
    std::wstring subject, msg;             // the file name of the message, less ".msg"
    std::optional<std::wstring> htm = {};  // of the HTML rendering, less ".htm", if not the same
    std::wstring folder = {};
  };
  // The clock moves a second at every reading: the fallback names read it once each.
  outlook.SetNow({2024, 3, 15, 14, 25, 7}, 1);
  const std::wstring fallback = L"No subject - 202403151425";
  const Case cases[] = {
      {L"RE: Budget 2024 / Q3?", L"RE Budget 2024  Q3"},
      {L"minutes", L"minutes"},
      {L"   ", fallback + L"07ff", fallback + L"08ff"},
      {L"", fallback + L"09ff", fallback + L"10ff"},
      // Letters, digits and marks of every script stay; a name left empty takes the fallback.
      {L"???", fallback + L"11ff", fallback + L"12ff"},
      {L"  Plan {v2} [draft] \u00e9t\u00e9 ", L"Plan {v2} [draft] \u00e9t\u00e9"},
      {L"\u00dcbersicht \u2013 Gr\u00f6\u00dfe", L"\u00dcbersicht  Gr\u00f6\u00dfe"},
      {L"\u4f1a\u8bae\u7eaa\u8981", L"\u4f1a\u8bae\u7eaa\u8981"},
      {L"\u0394\u03b9\u03b1\u03c6\u03ae\u03bc\u03b9\u03c3\u03b7: \u0661\u0662 e\u0301\u00b2 "
       L"\u00bd\u00a7\u00ae",
       L"\u0394\u03b9\u03b1\u03c6\u03ae\u03bc\u03b9\u03c3\u03b7 \u0661\u0662 e\u0301\u00b2 \u00bd"},
      // Beyond the BMP: a letter stays, a picture character goes.
      {L"\U0001D518\U0001F600x", L"\U0001D518x"},
      {L"\U0001F600", fallback + L"13ff", fallback + L"14ff"},
      // Names Windows would not take as they are: devices, trailing dots and blanks, and paths
      // of MAX_PATH or more, cut to fit the working folder they go into (17 characters below the
      // temporary folder).
      {L"con", L"con_"},
      {L"Nul.txt", L"Nul_.txt"},
      {L"Lpt1 . draft", L"Lpt1_ . draft"},
      {L"CONIN$", L"CONIN$_"},
      {L"conout$ .txt", L"conout$_ .txt"},
      // Windows drops dots and blanks only at the very end of a name.
      {L"Re: Minutes...", L"Re Minutes..."},
      {L"Re: ?", L"Re "},
      {L"COM10", L"COM10"},
      {L"COM\u00b9", L"COM\u00b9_"},
      // Cut by UTF-16 units, a pair never split, whatever the width of wchar_t.
      {std::wstring(150, L'\U0001D518'), std::wstring(101, L'\U0001D518'),
       std::wstring(85, L'\U0001D518')},
      // The HTML file leaves room for its pictures' folder and files.
      {std::wstring(255, L'x'), std::wstring(203, L'x'), std::wstring(171, L'x')},
      {std::wstring(255, L'x'), std::wstring(11, L'x'), L"", L"C:\\" + std::wstring(222, L'T')},
      {L"Con.x " + std::wstring(250, L'y'), L"Con_.x", L"", L"C:\\" + std::wstring(227, L'T')},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.subject);
    outlook.SetTempFolder(c.folder.empty() ? L"C:\\Users\\Avery\\AppData\\Local\\Temp" : c.folder);
    outlook.ClearCalls();
    auto task = Send(outlook.ReceiveMail(c.subject, L"Body"));
    ASSERT_TRUE(task);
    EXPECT_EQ(task.Subject(), c.subject);
    ASSERT_EQ(task.Attachments().size(), 1u);
    EXPECT_EQ(task.Attachments()[0].display_name, c.msg + L".msg");
    const std::wstring htm = c.htm.value_or(c.msg) + L".htm";
    const std::vector<std::wstring> saves{L"\"" + Temp(c.msg + L".msg") + L"\", 9",
                                          L"\"" + Temp(htm) + L"\", 5"};
    EXPECT_EQ(SavedPaths(), saves) << outlook.CallsText();
    EXPECT_TRUE(TempFiles().empty());
  }
}

TEST_F(SendToTaskTest, WithoutAWordDocumentTheTaskKeepsSubjectAndAttachmentOnly) {
  outlook.SetWordAvailableByDefault(false);
  auto task = Send(outlook.ReceiveMail(L"minutes", L"Body"));
  ASSERT_TRUE(task);
  ExpectMessages({Message(L"Could not get Word.Document for minutes")});
  EXPECT_EQ(task.Attachments().size(), 1u);
  EXPECT_EQ(task.Body(), L"");
  EXPECT_TRUE(task.WindowOpen());
  EXPECT_FALSE(task.Saved());
  EXPECT_TRUE(TempFiles().empty());

  // The message names the target, not the source.
  auto target = outlook.CreateTask(L"Follow up");
  links::AttachOrigItem(outlook.Platform(), outlook.AddinRef(outlook.ReceiveMail(L"minutes", L"")),
                        outlook.AddinRef(target));
  ExpectMessages({Message(L"Could not get Word.Document for Follow up")});
}

// A virus scanner holds the attached file as the working folder goes: removing it is tried again
// briefly; what still resists is left, unreported and marked, for a later run, which removes it
// once it is an hour old and no longer held.
TEST_F(SendToTaskTest, AFileHeldAtCleanUpIsWaitedForBrieflyThenLeftForALaterRun) {
  auto waited = [&] {
    int total = 0;
    for (const auto& call : outlook.Calls())
      if (call.Name() == L"Platform.Wait") total += std::stoi(call.arguments);
    return total;
  };
  auto shown_complete = [&](const sim::SimItem& task) {
    return task && task.WindowOpen() && task.Attachments().size() == 1 &&
           task.Body().find(L"Body") != std::wstring::npos;
  };
  // Held for a moment: gone after a wait.
  outlook.HoldFile(NextWorkingFolder() + L"\\minutes.msg", 60);
  EXPECT_TRUE(shown_complete(Send(outlook.ReceiveMail(L"minutes", L"Body"))));
  EXPECT_TRUE(TempFiles().empty());
  EXPECT_EQ(waited(), 70);

  // Held for good: the same task, no box, the file and its marked folder left after at most
  // 370 ms.
  outlook.ClearCalls();
  const auto folder = NextWorkingFolder();
  const auto held = folder + L"\\minutes.msg";
  outlook.HoldFile(held);
  EXPECT_TRUE(shown_complete(Send(outlook.ReceiveMail(L"minutes", L"Body"))));
  const std::vector<std::wstring> left{folder + L"\\", folder + L"\\Fenmark.run", held};
  EXPECT_EQ(TempFiles(), left);
  EXPECT_EQ(waited(), 370);

  // Let go, but younger than an hour: it may be another Outlook's run, and stays.
  outlook.ReleaseFile(held);
  EXPECT_TRUE(shown_complete(Send(outlook.ReceiveMail(L"Other", L"Body"))));
  EXPECT_EQ(TempFiles(), left);
  // An hour on, the run after removes it.
  auto later = outlook.Now();
  later.hour += 2;
  outlook.SetNow(later);
  outlook.ClearCalls();
  EXPECT_TRUE(shown_complete(Send(outlook.ReceiveMail(L"Other", L"Body"))));
  EXPECT_TRUE(TempFiles().empty());
  EXPECT_EQ(waited(), 0);

  // A failure of the send is reported once, however the clean-up goes.
  outlook.HoldFile(NextWorkingFolder() + L"\\minutes.msg");
  outlook.FailCallsTo(L"AttachmentCollection.Add", sim::kFailed, L"The attachment was refused.");
  auto task = Send(outlook.ReceiveMail(L"minutes", L"Body"));
  ExpectMessages({Report(std::to_wstring(sim::kFailed) + L" - The attachment was refused.",
                         L"AttachOrigItem")});
  EXPECT_TRUE(task.WindowOpen());
}

TEST_F(SendToTaskTest, NothingIsMadeWithoutAnItemToSend) {
  auto mail = outlook.ReceiveMail(L"Late", L"");
  // The entry ID, what happens before the run, and the one box it shows.
  const std::tuple<std::wstring, std::function<void()>, sim::MessageBoxRecord> cases[] = {
      {L"", [] {}, Message(L"An entry ID could not be retrieved from the selected menu item.")},
      {mail.EntryID(), [&] { outlook.SetItemFromIDAnswersNothing(true); },
       Message(L"A reference for the Outlook item could not be retrieved.")},
      {L"00000000DEADBEEF", [] {},
       Report(std::to_wstring(sim::kNotFound) + L" - The operation failed. An object cannot be "
                                                L"found.",
              L"CopyToTask")},
      {mail.EntryID(), [&] { connect.OnDisconnection(); },
       Report(L"91 - Object variable or With block variable not set", L"CopyToTask")},
  };
  const auto items = outlook.AllItems().size();
  for (const auto& [entry_id, before, box] : cases) {
    SCOPED_TRACE(::testing::PrintToString(box.text));
    outlook.ClearCalls();
    before();
    connect.Run(host::Operation::kCopyToTask, {entry_id});
    outlook.SetItemFromIDAnswersNothing(false);
    ExpectMessages({box});
    EXPECT_FALSE(outlook.Called(L"Application.CreateItem")) << outlook.CallsText();
    EXPECT_EQ(outlook.AllItems().size(), items);
  }
}

TEST_F(SendToTaskTest, CleanFileNameCountsSixteenBitsBeforeTrimmingAndKeepsCase) {
  // The text and its clean name, "!" for an overflow of the count.
  const std::pair<std::wstring, std::wstring> cases[] = {
      {std::wstring(32766, L'a'), std::wstring(32766, L'a')},
      {std::wstring(32767, L'a'), L"!"},
      // The blanks count: the length is taken before trimming.
      {L"x" + std::wstring(32766, L' '), L"!"},
      {L"x" + std::wstring(32765, L' '), L"x"},
      // Blanks only: the fallback comes first, so the length of the blanks does not count.
      {std::wstring(40000, L' '), L"No subject - 20240315142507ff"},
      {L" a:b\\c/d*e?f\"g<h>i|j;k\tl m ", L"abcdefghijkl m"},
      {L"Re: ?", L"Re "},                                            // no trimming after the drop
      {L"\u00dcbersicht \u2013 Gr\u00f6\u00dfe", L"bersicht  Gre"},  // ASCII only, as ever
  };
  for (auto [text, clean] : cases) {
    SCOPED_TRACE(text.size());
    try {
      EXPECT_EQ(links::CleanFileName(text, [&] { return outlook.Platform().Now(); }), clean);
    } catch (const host::Failure& failure) {
      EXPECT_EQ(clean, L"!");
      EXPECT_EQ(failure.Number(), host::errors::kOverflow);
      EXPECT_EQ(failure.Description(), L"Overflow");
    }
  }
  EXPECT_EQ(links::FallbackSubject({999, 1, 2, 3, 4, 5}), L"No subject - 09990102030405ff");
}

}  // namespace
}  // namespace fenmark::testing
