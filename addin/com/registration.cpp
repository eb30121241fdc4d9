// Registration for the current user only: the class, its type library and the Outlook add-in
// key. Unregistering removes exactly these, and the Office keys left empty by that; the ProgID and
// the add-in key, which both bitnesses' registrations share, go with the last of them.

#include <windows.h>

#include <string>
#include <vector>

#include "addin/com/com_types.h"
#include "addin/com/errors.h"
#include "addin/com/module.h"
#include "addin/com/unique_any.h"
#include "fenmark_h.h"

// Present in oleaut32's import library, missing from mingw-w64's headers.
extern "C" HRESULT WINAPI RegisterTypeLibForUser(ITypeLib* library, OLECHAR* path, OLECHAR* help);
extern "C" HRESULT WINAPI UnRegisterTypeLibForUser(REFGUID libid, WORD major, WORD minor, LCID lcid,
                                                   SYSKIND kind);

namespace fenmark::com {
namespace {

constexpr wchar_t kProgId[] = L"Fenmark.Connect";
constexpr wchar_t kClassName[] = L"Connect";
constexpr wchar_t kClasses[] = L"Software\\Classes\\";
constexpr wchar_t kOffice[] = L"Software\\Microsoft\\Office";
constexpr wchar_t kOutlook[] = L"Software\\Microsoft\\Office\\Outlook";
constexpr wchar_t kAddins[] = L"Software\\Microsoft\\Office\\Outlook\\Addins";
constexpr LCID kTypeLibLcid = 0x0409;
#ifdef _WIN64
constexpr SYSKIND kSysKind = SYS_WIN64;
// The registry view that COM of the other bitness reads the class from.
constexpr REGSAM kOtherView = KEY_WOW64_32KEY;
#else
constexpr SYSKIND kSysKind = SYS_WIN32;
constexpr REGSAM kOtherView = KEY_WOW64_64KEY;
#endif

std::wstring GuidText(const GUID& guid) {
  wchar_t text[40] = {};
  if (StringFromGUID2(guid, text, 40) == 0) throw host::errors::InvalidArgument();
  return text;
}

std::wstring ClassKey() {
  return std::wstring(kClasses) + L"CLSID\\" + GuidText(CLSID_Connect);
}
std::wstring ProgIdKey() {
  return std::wstring(kClasses) + kProgId;
}
std::wstring AddinKey() {
  return std::wstring(kAddins) + L"\\" + kProgId;
}

void CheckWin32(LSTATUS status) {
  if (status != ERROR_SUCCESS) ThrowFailure(HRESULT_FROM_WIN32(status));
}

class Key {
 public:
  explicit Key(const std::wstring& path) {
    CheckWin32(RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                               KEY_SET_VALUE, nullptr, key_.put(), nullptr));
  }

  // A null name is the key's default value.
  Key& Text(const wchar_t* name, const std::wstring& value) {
    CheckWin32(RegSetValueExW(key_.get(), name, 0, REG_SZ,
                              reinterpret_cast<const BYTE*>(value.c_str()),
                              static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))));
    return *this;
  }
  Key& Number(const wchar_t* name, DWORD value) {
    CheckWin32(RegSetValueExW(key_.get(), name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                              sizeof value));
    return *this;
  }

 private:
  unique_hkey key_;
};

// Removes a tree; a tree that is not there is already removed.
HRESULT RemoveTree(const std::wstring& path) noexcept {
  const LSTATUS status = RegDeleteTreeW(HKEY_CURRENT_USER, path.c_str());
  if (status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND) {
    RegDeleteKeyW(HKEY_CURRENT_USER, path.c_str());
    return S_OK;
  }
  return HRESULT_FROM_WIN32(status);
}

// Removes a key that holds nothing at all.
void RemoveIfEmpty(const wchar_t* path) noexcept {
  DWORD subkeys = 1, values = 1;
  {
    unique_hkey key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, path, 0, KEY_READ, key.put()) != ERROR_SUCCESS) return;
    if (RegQueryInfoKeyW(key.get(), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values,
                         nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
      return;
  }
  if (subkeys == 0 && values == 0) RegDeleteKeyW(HKEY_CURRENT_USER, path);
}

// Whether the DLL of the other bitness is registered: its class names a server in the view that
// COM of that bitness reads. On a 32-bit system that view is this one.
bool OtherBitnessRegistered() {
  unique_hkey key;
  return RegOpenKeyExW(HKEY_CURRENT_USER, (ClassKey() + L"\\InprocServer32").c_str(), 0,
                       KEY_READ | kOtherView, key.put()) == ERROR_SUCCESS;
}

HRESULT Unregister() noexcept {
  HRESULT result = S_OK;
  auto keep_first = [&result](HRESULT hr) {
    if (FAILED(hr) && SUCCEEDED(result)) result = hr;
  };
  try {
    keep_first(RemoveTree(ClassKey()));
    if (!OtherBitnessRegistered()) {
      keep_first(RemoveTree(AddinKey()));
      RemoveIfEmpty(kAddins);
      RemoveIfEmpty(kOutlook);
      RemoveIfEmpty(kOffice);
      keep_first(RemoveTree(ProgIdKey()));
    }
  } catch (...) {
    keep_first(to_hresult());
  }
  // A library that is not registered has nothing to remove (and some systems fail on it).
  unique_bstr registered;
  if (SUCCEEDED(QueryPathOfRegTypeLib(LIBID_Fenmark, 1, 0, kTypeLibLcid, registered.put())))
    keep_first(UnRegisterTypeLibForUser(LIBID_Fenmark, 1, 0, kTypeLibLcid, kSysKind));
  return result;
}

void Register() {
  const std::wstring path = ModulePath();
  const std::wstring clsid = GuidText(CLSID_Connect);

  com_ptr<ITypeLib> library;
  Check(LoadTypeLibEx(path.c_str(), REGKIND_NONE, library.put()));
  std::wstring path_arg = path;
  Check(RegisterTypeLibForUser(library.get(), path_arg.data(), nullptr));

  Key(ClassKey()).Text(nullptr, kClassName);
  Key(ClassKey() + L"\\InprocServer32").Text(nullptr, path).Text(L"ThreadingModel", L"Apartment");
  Key(ClassKey() + L"\\ProgID").Text(nullptr, kProgId);
  Key(ClassKey() + L"\\TypeLib").Text(nullptr, GuidText(LIBID_Fenmark));
  Key(ProgIdKey()).Text(nullptr, kClassName);
  Key(ProgIdKey() + L"\\CLSID").Text(nullptr, clsid);
  Key(AddinKey())
      .Text(L"FriendlyName", L"Ostrand")
      .Text(L"Description", L"Copy mail item to task")
      .Number(L"LoadBehavior", 3);
}

}  // namespace
}  // namespace fenmark::com

STDAPI DllRegisterServer() try {
  fenmark::com::Register();
  return S_OK;
} catch (...) {
  const HRESULT hr = fenmark::com::to_hresult();
  // A half-written registration is worse than none.
  fenmark::com::Unregister();
  return hr;
}

STDAPI DllUnregisterServer() {
  return fenmark::com::Unregister();
}
