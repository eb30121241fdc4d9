// Prepares a fresh Wine prefix for the suite: Windows shows a user's own classes
// (HKCU\Software\Classes) in HKEY_CLASSES_ROOT, Wine 8 does not. Making the user's classes key a
// link to the machine's lets a per-user registration be found as it would be on Windows.

#include <windows.h>

#include <cstdio>
#include <string_view>

int wmain() {
  constexpr std::wstring_view kTarget = L"\\Registry\\Machine\\Software\\Classes";
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Classes", REG_OPTION_OPEN_LINK, KEY_READ,
                    &key) == ERROR_SUCCESS) {
    wchar_t target[128] = {};
    DWORD size = sizeof target - sizeof(wchar_t), type = 0;
    const bool linked = RegQueryValueExW(key, L"SymbolicLinkValue", nullptr, &type,
                                         reinterpret_cast<BYTE*>(target), &size) == ERROR_SUCCESS &&
                        type == REG_LINK;
    RegCloseKey(key);
    if (linked) return 0;
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Classes");
    RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\Classes");
  }
  LSTATUS status = RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Classes", 0, nullptr,
                                   REG_OPTION_CREATE_LINK | REG_OPTION_NON_VOLATILE,
                                   KEY_ALL_ACCESS | KEY_CREATE_LINK, nullptr, &key, nullptr);
  if (status == ERROR_SUCCESS) {
    status = RegSetValueExW(key, L"SymbolicLinkValue", 0, REG_LINK,
                            reinterpret_cast<const BYTE*>(kTarget.data()),
                            static_cast<DWORD>(kTarget.size() * sizeof(wchar_t)));
    RegCloseKey(key);
  }
  if (status != ERROR_SUCCESS) {
    std::fprintf(stderr, "cannot link the user's classes key: error %ld\n", status);
    return 1;
  }
  return 0;
}
