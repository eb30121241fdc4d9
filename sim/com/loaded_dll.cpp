#include "sim/com/loaded_dll.h"

#include <algorithm>
#include <fstream>

#include "addin/com/unique_any.h"
#include "sim/com/message_boxes.h"
#include "sim/com/served.h"

namespace fenmark::wintest {

using com::com_ptr;
using com::unique_bstr;
using com::unique_variant;

namespace {

support::Outcome OutcomeOf(HRESULT hr) {
  if (SUCCEEDED(hr)) return L"ok";
  const auto failure = FailureOf(hr, nullptr);
  return std::to_wstring(failure.Number()) + L" - " + failure.Description();
}

// Files and folders (with a trailing backslash) below `folder`, at any depth.
void CollectBelow(const std::wstring& folder, std::vector<std::wstring>& entries) {
  WIN32_FIND_DATAW found;
  const com::unique_find search(FindFirstFileW((folder + L"\\*").c_str(), &found));
  if (!search) return;
  do {
    const std::wstring name = found.cFileName;
    if (name == L"." || name == L"..") continue;
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      entries.push_back(folder + L"\\" + name + L"\\");
      CollectBelow(folder + L"\\" + name, entries);
    } else {
      entries.push_back(folder + L"\\" + name);
    }
  } while (FindNextFileW(search.get(), &found));
}

std::vector<std::wstring> FilesIn(const std::wstring& folder) {
  std::vector<std::wstring> entries;
  CollectBelow(folder, entries);
  std::sort(entries.begin(), entries.end());
  return entries;
}

}  // namespace

std::wstring RealTempFolder() {
  wchar_t buffer[MAX_PATH + 1] = {};
  std::wstring path(buffer, GetTempPathW(MAX_PATH + 1, buffer));
  if (!path.empty() && path.back() == L'\\') path.pop_back();
  return path;
}

// ---- the add-in object ----

ComAddin::~ComAddin() {
  Release();
  if (temp_before_.empty()) return;
  SetEnvironmentVariableW(L"TMP", temp_before_.c_str());
  SetEnvironmentVariableW(L"TEMP", temp_before_.c_str());
}

void ComAddin::UseTempFolder(const std::wstring& path) {
  if (temp_before_.empty()) temp_before_ = RealTempFolder();
  for (auto at = path.find(L'\\', 3); at != std::wstring::npos; at = path.find(L'\\', at + 1))
    CreateDirectoryW(path.substr(0, at).c_str(), nullptr);
  CreateDirectoryW(path.c_str(), nullptr);
  SetEnvironmentVariableW(L"TMP", path.c_str());
  SetEnvironmentVariableW(L"TEMP", path.c_str());
  if (outlook_) outlook_->SetTempFolder(path);
}

void ComAddin::Create(sim::Outlook& outlook) {
  Release();
  outlook_ = &outlook;
  SetFileMirror(&outlook);
  BoxAnswerer() = &outlook;
  files_before_ = FilesIn(RealTempFolder());
  boxes_before_ = RecordedBoxes().size();
  CLSID clsid{};
  if (FAILED(CLSIDFromProgID(prog_id_.c_str(), &clsid))) return;
  com_ptr<IUnknown> object;
  if (FAILED(
          CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, object.put_void())))
    return;
  extensibility_ = object.try_as<com::IDTExtensibility2>();
  ribbon_.Attach(object.try_as<com::IRibbonExtensibility>(), object.try_as<IDispatch>());
}

support::Outcome ComAddin::Connect() {
  if (!extensibility_) return L"not created";
  auto application = ServeApplication(outlook_->Application());
  // Outlook connects an add-in loaded at start-up with ext_cm_Startup (1).
  SAFEARRAY* custom = nullptr;
  return OutcomeOf(extensibility_->OnConnection(application.get(), 1, nullptr, &custom));
}

support::Outcome ComAddin::Disconnect() {
  if (!extensibility_) return L"not created";
  SAFEARRAY* custom = nullptr;
  // ext_dm_HostShutdown (0).
  return OutcomeOf(extensibility_->OnDisconnection(0, &custom));
}

void ComAddin::Release() {
  ribbon_.Detach();
  extensibility_.reset();
  BoxAnswerer() = nullptr;
  SetFileMirror(nullptr);
  for (auto it = planted_.rbegin(); it != planted_.rend(); ++it)
    it->back() == L'\\' ? RemoveDirectoryW(it->c_str()) : DeleteFileW(it->c_str());
  planted_.clear();
}

std::vector<sim::MessageBoxRecord> ComAddin::MessageBoxes() {
  const auto& recorded = RecordedBoxes();
  return {recorded.begin() + std::min(boxes_before_, recorded.size()), recorded.end()};
}

std::vector<std::wstring> ComAddin::TempFiles() {
  std::vector<std::wstring> left;
  for (const auto& file : FilesIn(RealTempFolder()))
    if (!std::binary_search(files_before_.begin(), files_before_.end(), file) &&
        !support::Planted(planted_, file))
      left.push_back(file);
  return left;
}

void ComAddin::PutTempFile(const std::wstring& relative, const std::wstring& text) {
  const std::wstring path = RealTempFolder() + L"\\" + relative;
  for (auto at = path.find(L'\\', RealTempFolder().size() + 1); at != std::wstring::npos;
       at = path.find(L'\\', at + 1))
    if (CreateDirectoryW(path.substr(0, at).c_str(), nullptr))
      planted_.push_back(path.substr(0, at) + L"\\");
  std::ofstream out(path.c_str(), std::ios::binary);
  out << std::string(text.begin(), text.end());
  planted_.push_back(path);
}

bool ComAddin::TempFileExists(const std::wstring& relative) {
  return GetFileAttributesW((RealTempFolder() + L"\\" + relative).c_str()) !=
         INVALID_FILE_ATTRIBUTES;
}

}  // namespace fenmark::wintest
