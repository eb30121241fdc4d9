// Send to Ostrand touches only what is its own: its working folder cannot be turned against the
// user's files, it removes leftovers only when they are provably a run's, and the page it pastes
// fetches nothing.
#include <algorithm>

#include "links/remote_references.h"
#include "links/working_folder.h"
#include "tests/fixture.h"

namespace fenmark::testing {
namespace {

class SendFilesTest : public AddinTest {
 protected:
  const std::wstring documents = L"C:\\Users\\Avery\\Documents";
  const std::wstring thesis = documents + L"\\thesis.docx";

  void SetUp() override {
    AddinTest::SetUp();
    outlook.PutTextFile(thesis, L"four years of work");
  }

  // A folder named as a run's, in the temporary folder, as `owner` made it `age_seconds` ago,
  // with the run's mark when `marked`.
  std::wstring Plant(const std::wstring& name, bool marked, std::uint64_t age_seconds = 7200,
                     const std::wstring& owner = L"Avery") {
    const std::wstring folder = outlook.TempFolder() + L"\\" + name;
    outlook.PutTextFile(folder + L"\\notes.txt", L"not the add-in's");
    if (marked) outlook.PutTextFile(folder + L"\\Fenmark.run", L"");
    for (const auto& entry : {folder, folder + L"\\Fenmark.run", folder + L"\\notes.txt"}) {
      outlook.SetOwner(entry, owner);
      outlook.SetAge(entry, age_seconds);
    }
    return folder;
  }
  bool Pasted(const sim::SimItem& task) const {
    return task && task.WindowOpen() && task.Body().find(L"Figures") != std::wstring::npos;
  }
};

// Where holds are kept, as Windows keeps them, nobody can swap the working folder while the run
// holds it; where they are not, the clean-up finds the folder is not the one it made and leaves
// it. Either way the user's documents stay.
TEST_F(SendFilesTest, AWorkingFolderSwappedForAJunctionDeletesNothingOutsideIt) {
  for (const bool holds_kept : {true, false}) {
    SCOPED_TRACE(holds_kept);
    outlook.SetHoldsKept(holds_kept);
    const auto folder = NextWorkingFolder();
    bool swapped = false;
    outlook.BeforeCall(L"WordSelection.HomeKey",
                       [&] { swapped = outlook.SwapForLink(folder, documents); });
    EXPECT_TRUE(Pasted(Send(outlook.ReceiveMail(L"minutes", L"Figures"))));
    EXPECT_EQ(swapped, !holds_kept);
    EXPECT_TRUE(outlook.FileExists(thesis));
    EXPECT_EQ(outlook.FilesIn(documents), std::vector<std::wstring>{thesis});
  }
  // Only the folder that was swapped aside is left, whole; nothing that was never the run's.
  EXPECT_FALSE(TempFiles().empty());
}

// A junction inside the working folder, made there after the save or put in place of a folder
// between the listing and its removal, goes as a link: what it points to stays.
TEST_F(SendFilesTest, AJunctionInTheWorkingFolderIsRemovedAsALinkNeverFollowed) {
  auto folder = NextWorkingFolder();
  outlook.BeforeCall(L"WordSelection.HomeKey",
                     [&] { outlook.MakeLink(folder + L"\\pictures", documents, L"Avery"); });
  EXPECT_TRUE(Pasted(Send(outlook.ReceiveMail(L"minutes", L"Figures"))));
  EXPECT_TRUE(outlook.FileExists(thesis));
  EXPECT_TRUE(TempFiles().empty()) << ::testing::PrintToString(TempFiles());

  // The pictures' folder is listed as a folder, then swapped before it is opened.
  folder = NextWorkingFolder();
  auto mail = outlook.ReceiveMail(L"minutes", L"Figures");
  mail.SetPictures(2);
  bool swapped = false;
  outlook.BeforeCall(L"Platform.OpenEntry", [&] {
    swapped = outlook.SwapForLink(folder + L"\\minutes_files", documents);
  });
  EXPECT_TRUE(Pasted(Send(mail)));
  EXPECT_TRUE(swapped);
  EXPECT_EQ(outlook.FilesIn(documents), std::vector<std::wstring>{thesis});
  EXPECT_TRUE(TempFiles().empty()) << ::testing::PrintToString(TempFiles());
}

TEST_F(SendFilesTest, OnlyARunsOwnOldUnheldLeftoverIsRemoved) {
  const std::wstring temp = outlook.TempFolder();
  const auto leftover = Plant(L"Fenmark-aaaaaaaa", true);
  const std::vector<std::wstring> kept = {
      Plant(L"FENMARK-0042", true),
      Plant(L"fenmark-9999", true),
      Plant(L"Fenmark-bbbbbbbb", false),                   // no mark
      Plant(L"Fenmark-cccccccc", true, 7200, L"Mallory"),  // another user's
      Plant(L"Fenmark-dddddddd", true),                    // held by another Outlook's run
      Plant(L"Fenmark-eeeeeeee", true, 600),               // younger than an hour
  };
  outlook.HoldFile(kept[4]);
  // Named as a run's, marked, but a link: to the documents, where a mark has been put as well.
  outlook.PutTextFile(documents + L"\\Fenmark.run", L"");
  outlook.MakeLink(temp + L"\\Fenmark-ffffffff", documents, L"Avery");
  outlook.SetAge(temp + L"\\Fenmark-ffffffff", 7200);
  // A mark that is a folder.
  const auto folder_mark = Plant(L"Fenmark-gggggggg", false);
  outlook.CreateFolder(folder_mark + L"\\Fenmark.run");
  outlook.SetAge(folder_mark + L"\\Fenmark.run", 7200);

  EXPECT_TRUE(Pasted(Send(outlook.ReceiveMail(L"minutes", L"Figures"))));
  EXPECT_FALSE(outlook.FileExists(leftover + L"\\notes.txt"));
  for (const auto& folder : kept)
    EXPECT_TRUE(outlook.FileExists(folder + L"\\notes.txt")) << folder;
  EXPECT_TRUE(outlook.FileExists(folder_mark + L"\\notes.txt"));
  EXPECT_TRUE(outlook.FileExists(thesis));
  EXPECT_TRUE(outlook.FileExists(documents + L"\\Fenmark.run"));
}

// However many folders of the name there are, and even the name the run tries first taken, a
// run finds one of its own.
TEST_F(SendFilesTest, ASendSucceedsBesideAHundredFoldersOfTheName) {
  outlook.CreateFolder(NextWorkingFolder());
  for (std::uint64_t n = 0; n < 100; ++n)
    outlook.CreateFolder(outlook.TempFolder() + L"\\" +
                         links::WorkingFolderName(n * 0x9E3779B97F4A7C15ull));
  EXPECT_TRUE(Pasted(Send(outlook.ReceiveMail(L"minutes", L"Figures"))));
  EXPECT_EQ(TempFiles().size(), 101u);
}

}  // namespace
}  // namespace fenmark::testing
