#include "links/send_to_task.h"

#include <cstdint>
#include <cstdlib>
#include <vector>

#include "links/report_guard.h"
#include "links/safe_file_name.h"

namespace fenmark::links {

namespace {

std::wstring Padded(int value, std::size_t width) {
  std::wstring digits = std::to_wstring(std::abs(value));
  if (digits.size() < width) digits.insert(0, width - digits.size(), L'0');
  return value < 0 ? L"-" + digits : digits;
}

std::wstring_view TrimBlanks(std::wstring_view text) {
  const auto first = text.find_first_not_of(L' ');
  if (first == std::wstring_view::npos) return {};
  return text.substr(first, text.find_last_not_of(L' ') - first + 1);
}

}  // namespace

std::wstring FallbackSubject(const host::DateTime& now) {
  return L"No subject - " + Padded(now.year, 4) + Padded(now.month, 2) + Padded(now.day, 2) +
         Padded(now.hour, 2) + Padded(now.minute, 2) + Padded(now.second, 2) + L"ff";
}

bool IsFileNameCharacter(wchar_t c) {
  if (static_cast<std::uint32_t>(c) > 0x7f) return false;
  const wchar_t upper = (c >= L'a' && c <= L'z') ? static_cast<wchar_t>(c - L'a' + L'A') : c;
  return kFileNameCharacters.find(upper) != std::wstring_view::npos;
}

std::wstring CleanFileName(std::wstring_view text, const Clock& now) {
  std::wstring fallback;
  if (TrimBlanks(text).empty()) {
    fallback = FallbackSubject(now());
    text = fallback;
  }
  if (text.size() >= kFileNameOverflowLength) throw host::errors::Overflow();
  std::wstring clean;
  for (const wchar_t c : TrimBlanks(text)) {
    if (IsFileNameCharacter(c)) clean.push_back(c);
  }
  return clean;
}

namespace {

// A name that another program or an earlier run took already is tried again with a new one.
constexpr int kWorkingFolderAttempts = 10;

// A folder of the run's own in the temporary folder, without trailing backslash.
std::wstring MakeWorkingFolder(host::FileSystem& files, const std::wstring& temp_folder) {
  for (int attempt = 1;; ++attempt) {
    const std::wstring path = temp_folder + L"\\" + files.GetTempName();
    try {
      files.CreateFolder(path);
      return path;
    } catch (const host::Failure& failure) {
      if (failure.Number() != host::kFileExists || attempt == kWorkingFolderAttempts) throw;
    }
  }
}

}  // namespace

void AttachOrigItem(host::Platform& platform, const Ref<host::Item>& source,
                    const Ref<host::Item>& target) {
  const Clock now = [&platform] { return platform.Now(); };
  std::shared_ptr<host::FileSystem> fso;
  // Set once the folder exists: the clean-up removes it with everything in it, also the pictures
  // that an HTML rendering puts beside its file, and also after a failure.
  std::wstring working_folder;
  std::vector<std::wstring> saved;  // files still to delete by name
  bool reported = false;
  try {
    fso = platform.CreateFileSystemObject();
    auto& files = host::Require(fso);
    auto temp_folder = files.GetSpecialFolder(host::kTemporaryFolder);
    working_folder = MakeWorkingFolder(files, host::Require(temp_folder).Path());
    temp_folder.reset();
    const std::wstring folder_path = working_folder + L"\\";

    // Unicode, so that text outside the system's code page survives in the attached copy.
    const std::wstring msg_name =
        SafeFileName(folder_path, SubjectFileName(host::Require(source).Subject(), now), L".msg");
    source->SaveAs(folder_path + msg_name, host::kOlMsgUnicode);
    saved.push_back(folder_path + msg_name);
    auto attachments = host::Require(target).Attachments();
    host::Require(attachments).Add(folder_path + msg_name, msg_name);
    attachments.reset();

    // Its pictures go into a folder beside it, whose paths are longer still.
    const std::wstring htm_name = SafeFileName(folder_path, SubjectFileName(source->Subject(), now),
                                               L".htm", kPictureFolderReserve);
    source->SaveAs(folder_path + htm_name, host::kOlHtml);
    saved.push_back(folder_path + htm_name);

    auto document = host::Require(target->GetInspector()).WordEditor();
    if (!document) {
      host::ShowMessage(platform, std::wstring(host::kNoWordDocumentMessage) + target->Subject());
    } else {
      host::Require(target->GetInspector()).Activate();
      auto window = document->Windows(1);
      auto selection = host::Require(window).Selection();
      auto& at = host::Require(selection);
      at.TypeText(std::wstring(kBodySeparator));
      at.InsertFile(folder_path + htm_name);
      at.HomeKey(host::kWdStory);
    }
  } catch (...) {
    Report(platform, host::CurrentFailure(), L"AttachOrigItem");
    reported = true;
  }
  // Only the first failure is reported here; the clean-up starts over once after it, and a
  // failure after the report goes to the caller.
  for (;;) {
    try {
      if (working_folder.empty()) return;
      auto& files = host::Require(fso);
      // The saved files by name first: DeleteFolder of some scripting runtimes gives up on a
      // name that fills the path. The folder then takes whatever else the saves put there.
      while (!saved.empty()) {
        files.Delete(saved.front());
        saved.erase(saved.begin());
      }
      files.DeleteFolder(working_folder);
      return;
    } catch (...) {
      if (reported) throw;
      Report(platform, host::CurrentFailure(), L"AttachOrigItem");
      reported = true;
    }
  }
}

void CopyToTask(host::Platform& platform, Ref<host::Application> app, std::wstring entry_id,
                std::wstring store_id) noexcept {
  RunReporting(platform, L"CopyToTask", [&] {
    if (entry_id.empty()) {
      host::ShowMessage(platform, host::kNoEntryIdMessage);
      return;
    }
    auto& application = host::Require(app);
    auto ns = application.GetNamespace(L"MAPI");
    auto item = host::Require(ns).GetItemFromID(entry_id, store_id);
    if (!item) {
      host::ShowMessage(platform, host::kNoItemMessage);
      return;
    }
    auto task = application.CreateItem(host::kOlTaskItem);
    host::Require(task).SetSubject(item->Subject());
    AttachOrigItem(platform, item, task);
    task->Display();
  });
}

}  // namespace fenmark::links
