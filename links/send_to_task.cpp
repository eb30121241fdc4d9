#include "links/send_to_task.h"

#include <cstdint>
#include <cstdlib>
#include <cwctype>
#include <optional>
#include <vector>

#include "host/text.h"
#include "links/page_encoding.h"
#include "links/remote_references.h"
#include "links/report_guard.h"
#include "links/safe_file_name.h"
#include "links/working_folder.h"

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

// The saved page made safe to insert: rewritten in place without what it would fetch, as UTF-8.
// False when the page cannot be read in its character set: the caller pastes the plain text.
bool MakePageSafe(host::Platform& platform, const std::wstring& path) {
  const auto text = PageText(platform, platform.ReadBytes(path));
  if (!text) return false;
  platform.WriteBytes(path, Utf8Page(WithoutRemoteReferences(*text)));
  return true;
}

// Text as Word's TypeText takes it: a carriage return for each paragraph break.
std::wstring TypedParagraphs(const std::wstring& text) {
  std::wstring typed;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == L'\r' && i + 1 < text.size() && text[i + 1] == L'\n') continue;
    typed += text[i] == L'\n' ? L'\r' : text[i];
  }
  return typed;
}

}  // namespace

void AttachOrigItem(host::Platform& platform, const Ref<host::Item>& source,
                    const Ref<host::Item>& target) {
  const Clock now = [&platform] { return platform.Now(); };
  // Removed with everything in it when the run ends, after any report: also the pictures that an
  // HTML rendering puts beside its file.
  std::optional<WorkingFolder> working_folder;
  try {
    std::wstring temp_folder = platform.TempPath();
    while (!temp_folder.empty() && (temp_folder.back() == L'\\' || temp_folder.back() == L'/'))
      temp_folder.pop_back();
    RemoveEarlierRuns(platform, temp_folder);
    const std::wstring folder_path = working_folder.emplace(platform, temp_folder).Path() + L"\\";

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
      // Only a page that will be inserted is read and rewritten.
      if (MakePageSafe(platform, folder_path + htm_name))
        at.InsertFile(folder_path + htm_name);
      else
        at.TypeText(TypedParagraphs(source->Body()));
      at.HomeKey(host::kWdStory);
    }
  } catch (...) {
    Report(platform, host::CurrentFailure(), L"AttachOrigItem");
  }
}

Ran CopyToTask(const Session& session, const host::ItemRef& mail,
               const OperationRow& row) noexcept {
  auto& platform = session.platform;
  const bool done = RunReporting(platform, host::NameOf(row.operation), [&] {
    if (mail.entry_id.empty()) {
      host::ShowMessage(platform, host::kNoEntryIdMessage);
      return false;
    }
    auto& application = host::Require(session.app);
    auto ns = application.GetNamespace(L"MAPI");
    auto item = host::Require(ns).GetItemFromID(mail.entry_id, mail.store_id);
    if (!item) {
      host::ShowMessage(platform, host::kNoItemMessage);
      return false;
    }
    auto task = application.CreateItem(host::kOlTaskItem);
    host::Require(task).SetSubject(item->Subject());
    AttachOrigItem(platform, item, task);
    task->Display();
    return true;
  });
  return {nullptr, done};
}

}  // namespace fenmark::links
