#include "sim/com/office_side.h"

#include "addin/com/unique_any.h"
#include "sim/com/served.h"

namespace fenmark::wintest {

using com::com_ptr;
using com::unique_bstr;
using com::unique_variant;

std::wstring StartupAddinProgId() {
  com::unique_hkey addins;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Microsoft\\Office\\Outlook\\Addins", 0, KEY_READ,
                    addins.put()) != ERROR_SUCCESS)
    return {};
  for (DWORD i = 0;; ++i) {
    wchar_t name[256];
    DWORD size = 256;
    if (RegEnumKeyExW(addins.get(), i, name, &size, nullptr, nullptr, nullptr, nullptr) !=
        ERROR_SUCCESS)
      return {};
    DWORD behavior = 0, type = 0, bytes = sizeof behavior;
    if (RegGetValueW(addins.get(), name, L"LoadBehavior", RRF_RT_REG_DWORD, &type, &behavior,
                     &bytes) == ERROR_SUCCESS &&
        behavior == 3)
      return name;
  }
}

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
  const HRESULT hr = dispatch_->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
  if (FAILED(hr)) throw host::Failure(hr, L"Unknown name: " + name);
  VARIANT arg;
  V_VT(&arg) = VT_DISPATCH;
  V_DISPATCH(&arg) = argument;
  unique_variant result;
  CallMethod(dispatch_.get(), id, {arg}, result.get());
  return result;
}

void ComRibbon::OnLoad(const std::wstring& name, const host::Ref<host::RibbonUI>& ribbon) {
  Call(name, ServeRibbonUI(ribbon).get());
}

bool ComRibbon::GetBool(const std::wstring& name, const host::Ref<host::RibbonControl>& control) {
  const auto result = Call(name, ServeRibbonControl(control).get());
  if (V_VT(result.get()) != VT_BOOL)
    throw host::Failure(static_cast<std::int32_t>(DISP_E_TYPEMISMATCH), L"Not a Boolean.");
  return V_BOOL(result.get()) != VARIANT_FALSE;
}

void ComRibbon::Action(const std::wstring& name, const host::Ref<host::RibbonControl>& control) {
  Call(name, ServeRibbonControl(control).get());
}

}  // namespace fenmark::wintest
