#include "links/send_to_task.h"

#include <cstdint>
#include <cstdlib>
#include <cwctype>
#include <vector>

#include "host/text.h"
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

// The working folders are "Fenmark-" and four digits in the temporary folder: names of the
// add-in's own, so that a run can remove what earlier runs left and nothing of other programs.
// Twelve characters, as the scripting runtime's temporary names had.
constexpr std::wstring_view kWorkingFolderPrefix = L"Fenmark-";
constexpr int kWorkingFolderDigits = 4;
// Names already taken are passed over (a folder that an earlier run could not remove).
constexpr int kWorkingFolderAttempts = 100;
// Waits before the attempts after the first to remove a working folder: a virus scanner may hold
// a file just written for a moment.
constexpr int kRemovalWaits[] = {20, 50, 100, 200};

std::wstring WorkingFolderName(int number) {
  std::wstring digits = std::to_wstring(number);
  digits.insert(0, kWorkingFolderDigits - digits.size(), L'0');
  return std::wstring(kWorkingFolderPrefix) + digits;
}

bool IsWorkingFolderName(std::wstring_view name) {
  if (name.size() != kWorkingFolderPrefix.size() + kWorkingFolderDigits) return false;
  if (!host::SameText(name.substr(0, kWorkingFolderPrefix.size()), kWorkingFolderPrefix))
    return false;
  for (const wchar_t c : name.substr(kWorkingFolderPrefix.size()))
    if (c < L'0' || c > L'9') return false;
  return true;
}

// Removes the folder with everything in it, as far as it goes: links are removed, never
// followed. Whether it is gone.
bool RemoveTree(host::Platform& platform, const std::wstring& folder) noexcept {
  try {
    bool all = true;
    for (const auto& entry : platform.FolderEntries(folder, L"*")) {
      const std::wstring path = folder + L"\\" + entry.name;
      try {
        if (entry.folder && !entry.link) {
          all = RemoveTree(platform, path) && all;
        } else if (entry.folder) {
          platform.RemoveFolder(path);
        } else {
          platform.RemoveFile(path);
        }
      } catch (...) {
        all = false;
      }
    }
    if (!all) return false;
    platform.RemoveFolder(folder);
    return true;
  } catch (...) {
    return false;
  }
}

// What earlier runs could not remove. What still resists is left for the next run.
void RemoveEarlierRuns(host::Platform& platform, const std::wstring& temp_folder) noexcept {
  try {
    const std::wstring pattern = std::wstring(kWorkingFolderPrefix) + L"*";
    for (const auto& entry : platform.FolderEntries(temp_folder, pattern))
      if (entry.folder && !entry.link && IsWorkingFolderName(entry.name))
        RemoveTree(platform, temp_folder + L"\\" + entry.name);
  } catch (...) {
  }
}

// A folder of the run's own in the temporary folder, without trailing backslash.
std::wstring MakeWorkingFolder(host::Platform& platform, const std::wstring& temp_folder) {
  for (int number = 1;; ++number) {
    const std::wstring path = temp_folder + L"\\" + WorkingFolderName(number);
    try {
      platform.MakeFolder(path);
      return path;
    } catch (const host::Failure& failure) {
      if (failure.Number() != host::kAlreadyExists || number == kWorkingFolderAttempts) throw;
    }
  }
}

// A file still held after the waits stays, unreported: the task has all it needs, and the next
// run removes it.
void RemoveWorkingFolder(host::Platform& platform, const std::wstring& folder) noexcept {
  try {
    bool gone = RemoveTree(platform, folder);
    for (const int wait : kRemovalWaits) {
      if (gone) return;
      platform.Wait(wait);
      gone = RemoveTree(platform, folder);
    }
  } catch (...) {
  }
}

}  // namespace

void AttachOrigItem(host::Platform& platform, const Ref<host::Item>& source,
                    const Ref<host::Item>& target) {
  const Clock now = [&platform] { return platform.Now(); };
  // Set once the folder exists: the clean-up removes it with everything in it, also the pictures
  // that an HTML rendering puts beside its file, and also after a failure.
  std::wstring working_folder;
  try {
    std::wstring temp_folder = platform.TempPath();
    while (!temp_folder.empty() && (temp_folder.back() == L'\\' || temp_folder.back() == L'/'))
      temp_folder.pop_back();
    RemoveEarlierRuns(platform, temp_folder);
    working_folder = MakeWorkingFolder(platform, temp_folder);
    const std::wstring folder_path = working_folder + L"\\";

    // Unicode, so that text outside the system's code page survives in the attached copy.
    const std::wstring msg_name =
        SafeFileName(folder_path, SubjectFileName(host::Require(source).Subject(), now), L".msg");
    source->SaveAs(folder_path + msg_name, host::kOlMsgUnicode);
    auto attachments = host::Require(target).Attachments();
    host::Require(attachments).Add(folder_path + msg_name, msg_name);
    attachments.reset();

    // Its pictures go into a folder beside it, whose paths are longer still.
    const std::wstring htm_name = SafeFileName(folder_path, SubjectFileName(source->Subject(), now),
                                               L".htm", kPictureFolderReserve);
    source->SaveAs(folder_path + htm_name, host::kOlHtml);

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
  }
  if (!working_folder.empty()) RemoveWorkingFolder(platform, working_folder);
}

Ref<host::Item> CopyToTask(const Session& session, const host::ItemRef& mail,
                           const OperationRow& row) noexcept {
  auto& platform = session.platform;
  RunReporting(platform, host::NameOf(row.operation), [&] {
    if (mail.entry_id.empty()) {
      host::ShowMessage(platform, host::kNoEntryIdMessage);
      return;
    }
    auto& application = host::Require(session.app);
    auto ns = application.GetNamespace(L"MAPI");
    auto item = host::Require(ns).GetItemFromID(mail.entry_id, mail.store_id);
    if (!item) {
      host::ShowMessage(platform, host::kNoItemMessage);
      return;
    }
    auto task = application.CreateItem(host::kOlTaskItem);
    host::Require(task).SetSubject(item->Subject());
    AttachOrigItem(platform, item, task);
    task->Display();
  });
  return nullptr;
}

}  // namespace fenmark::links
