#include "tests/win/com_addin.h"

#include <algorithm>

#include "sim/com/served.h"
#include "tests/win/message_boxes.h"

namespace fenmark::wintest {

using com::com_ptr;
using com::unique_bstr;
using com::unique_variant;

namespace {

parity::Outcome OutcomeOf(HRESULT hr) {
  if (SUCCEEDED(hr)) return L"ok";
  const auto failure = FailureOf(hr, nullptr);
  return std::to_wstring(failure.Number()) + L" - " + failure.Description();
}

std::vector<std::wstring> FilesIn(const std::wstring& folder) {
  std::vector<std::wstring> files;
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return files;
  do {
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
      files.push_back(folder + L"\\" + found.cFileName);
  } while (FindNextFileW(search, &found));
  FindClose(search);
  std::sort(files.begin(), files.end());
  return files;
}

}  // namespace

std::wstring RealTempFolder() {
  wchar_t buffer[MAX_PATH + 1] = {};
  std::wstring path(buffer, GetTempPathW(MAX_PATH + 1, buffer));
  if (!path.empty() && path.back() == L'\\') path.pop_back();
  return path;
}

std::wstring StartupAddinProgId() {
  HKEY addins = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Microsoft\\Office\\Outlook\\Addins", 0, KEY_READ,
                    &addins) != ERROR_SUCCESS)
    return {};
  std::wstring chosen;
  for (DWORD i = 0; chosen.empty(); ++i) {
    wchar_t name[256];
    DWORD size = 256;
    if (RegEnumKeyExW(addins, i, name, &size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
      break;
    DWORD behavior = 0, type = 0, bytes = sizeof behavior;
    if (RegGetValueW(addins, name, L"LoadBehavior", RRF_RT_REG_DWORD, &type, &behavior, &bytes) ==
            ERROR_SUCCESS &&
        behavior == 3)
      chosen = name;
  }
  RegCloseKey(addins);
  return chosen;
}

// ---- the ribbon, as Office drives it ----

void ComRibbon::Attach(com_ptr<com::IRibbonExtensibility> extensibility,
                       com_ptr<IDispatch> dispatch) {
  extensibility_ = std::move(extensibility);
  dispatch_ = std::move(dispatch);
}

void ComRibbon::Detach() {
  extensibility_.reset();
  dispatch_.reset();
}

std::wstring ComRibbon::GetCustomUI(const std::wstring& ribbon_id) {
  if (!extensibility_) return {};
  unique_bstr id(ribbon_id), xml;
  const HRESULT hr = extensibility_->GetCustomUI(id.get(), xml.put());
  if (FAILED(hr)) throw FailureOf(hr, nullptr);
  return xml.str();
}

unique_variant ComRibbon::Call(const std::wstring& name, IDispatch* argument) {
  if (!dispatch_) throw host::Failure(static_cast<std::int32_t>(0x80010108), L"No add-in.");
  // One name at a time, then DISPATCH_METHOD, as Office does.
  std::wstring member = name;
  LPOLESTR names[] = {member.data()};
  DISPID id = DISPID_UNKNOWN;
  HRESULT hr = dispatch_->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
  if (FAILED(hr)) throw host::Failure(hr, L"Unknown name: " + name);
  VARIANT arg;
  V_VT(&arg) = VT_DISPATCH;
  V_DISPATCH(&arg) = argument;
  DISPPARAMS params{&arg, nullptr, 1, 0};
  unique_variant result;
  EXCEPINFO info{};
  UINT bad = 0;
  hr = dispatch_->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, result.get(),
                         &info, &bad);
  if (FAILED(hr)) throw FailureOf(hr, &info);
  return result;
}

void ComRibbon::OnLoad(const std::wstring& name, const host::Ref<host::RibbonUI>& ribbon) {
  auto served = ServeRibbonUI(ribbon);
  Call(name, served.get());
}

bool ComRibbon::GetBool(const std::wstring& name, const host::Ref<host::RibbonControl>& control) {
  auto served = ServeRibbonControl(control);
  auto result = Call(name, served.get());
  if (V_VT(result.get()) != VT_BOOL)
    throw host::Failure(static_cast<std::int32_t>(DISP_E_TYPEMISMATCH), L"Not a Boolean.");
  return V_BOOL(result.get()) != VARIANT_FALSE;
}

void ComRibbon::Action(const std::wstring& name, const host::Ref<host::RibbonControl>& control) {
  auto served = ServeRibbonControl(control);
  Call(name, served.get());
}

// ---- the add-in object ----

void ComAddin::Create(sim::Outlook& outlook) {
  Release();
  outlook_ = &outlook;
  SetFileMirror(&outlook);
  files_before_ = FilesIn(RealTempFolder());
  boxes_before_ = RecordedBoxes().size();
  CLSID clsid{};
  if (FAILED(CLSIDFromProgID(prog_id_.c_str(), &clsid))) return;
  com_ptr<IUnknown> object;
  if (FAILED(
          CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, object.put_void())))
    return;
  com_ptr<com::IRibbonExtensibility> extensibility;
  com_ptr<IDispatch> dispatch;
  object.query(__uuidof(com::IDTExtensibility2), extensibility_);
  object.query(__uuidof(com::IRibbonExtensibility), extensibility);
  object.query(IID_IDispatch, dispatch);
  ribbon_.Attach(std::move(extensibility), std::move(dispatch));
}

parity::Outcome ComAddin::Connect() {
  if (!extensibility_) return L"not created";
  auto application = ServeApplication(outlook_->Application());
  // Outlook connects an add-in loaded at start-up with ext_cm_Startup (1).
  SAFEARRAY* custom = nullptr;
  return OutcomeOf(extensibility_->OnConnection(application.get(), 1, nullptr, &custom));
}

parity::Outcome ComAddin::Disconnect() {
  if (!extensibility_) return L"not created";
  SAFEARRAY* custom = nullptr;
  // ext_dm_HostShutdown (0).
  return OutcomeOf(extensibility_->OnDisconnection(0, &custom));
}

void ComAddin::Release() {
  ribbon_.Detach();
  extensibility_.reset();
  SetFileMirror(nullptr);
}

std::vector<sim::MessageBoxRecord> ComAddin::MessageBoxes() {
  std::vector<sim::MessageBoxRecord> boxes;
  const auto& recorded = RecordedBoxes();
  for (std::size_t i = boxes_before_; i < recorded.size(); ++i)
    boxes.push_back({recorded[i].text, static_cast<int>(recorded[i].style), recorded[i].caption,
                     recorded[i].caption != L"Fenmark"});
  return boxes;
}

std::vector<std::wstring> ComAddin::TempFiles() {
  std::vector<std::wstring> left;
  for (const auto& file : FilesIn(RealTempFolder()))
    if (!std::binary_search(files_before_.begin(), files_before_.end(), file)) left.push_back(file);
  return left;
}

std::wstring ComAddin::TempFolder() {
  return RealTempFolder();
}

long ComAddin::ServedObjects() {
  return Counters().live;
}

}  // namespace fenmark::wintest
