// Prepares a Wine prefix for the suites, where Wine's registry differs from Windows':
// - Windows shows a user's own classes (HKCU\Software\Classes) in HKEY_CLASSES_ROOT, Wine 8 does
//   not: the user's classes key becomes a link to the machine's.
// - A 32-bit registration under Windows lands in the 32-bit view that 32-bit COM reads; Wine 8
//   leaves it in the 64-bit one. In a 32-bit build the add-in's class key in the 32-bit view
//   becomes a link to the 64-bit one, so that it shows exactly what registration wrote.
// Run it again at will: links already made are kept.

#include <windows.h>

#include <cstdio>
#include <string>

#include "addin/com/unique_any.h"
#include "fenmark_h.h"

namespace {

bool IsLink(HKEY root, const std::wstring& path, REGSAM view) {
  fenmark::com::unique_hkey key;
  if (RegOpenKeyExW(root, path.c_str(), REG_OPTION_OPEN_LINK, KEY_READ | view, key.put()) !=
      ERROR_SUCCESS)
    return false;
  DWORD type = 0;
  return RegQueryValueExW(key.get(), L"SymbolicLinkValue", nullptr, &type, nullptr, nullptr) ==
             ERROR_SUCCESS &&
         type == REG_LINK;
}

LSTATUS MakeLink(HKEY root, const std::wstring& path, const std::wstring& target) {
  const REGSAM view = KEY_WOW64_64KEY;
  if (IsLink(root, path, view)) return ERROR_SUCCESS;
  RegDeleteTreeW(root, path.c_str());
  RegDeleteKeyExW(root, path.c_str(), view, 0);
  fenmark::com::unique_hkey key;
  const LSTATUS status = RegCreateKeyExW(
      root, path.c_str(), 0, nullptr, REG_OPTION_CREATE_LINK | REG_OPTION_NON_VOLATILE,
      KEY_ALL_ACCESS | KEY_CREATE_LINK | view, nullptr, key.put(), nullptr);
  if (status != ERROR_SUCCESS) return status;
  return RegSetValueExW(key.get(), L"SymbolicLinkValue", 0, REG_LINK,
                        reinterpret_cast<const BYTE*>(target.data()),
                        static_cast<DWORD>(target.size() * sizeof(wchar_t)));
}

}  // namespace

int wmain() {
  LSTATUS status =
      MakeLink(HKEY_CURRENT_USER, L"Software\\Classes", L"\\Registry\\Machine\\Software\\Classes");
  if (status != ERROR_SUCCESS) {
    std::fprintf(stderr, "cannot link the user's classes key: error %ld\n", status);
    return 1;
  }
  if (sizeof(void*) == 4) {
    wchar_t clsid[40] = {};
    StringFromGUID2(CLSID_Connect, clsid, 40);
    status = MakeLink(HKEY_LOCAL_MACHINE,
                      std::wstring(L"Software\\Classes\\Wow6432Node\\CLSID\\") + clsid,
                      std::wstring(L"\\Registry\\Machine\\Software\\Classes\\CLSID\\") + clsid);
    if (status != ERROR_SUCCESS) {
      std::fprintf(stderr, "cannot link the class into the 32-bit view: error %ld\n", status);
      return 1;
    }
  }
  return 0;
}
