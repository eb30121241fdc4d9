#pragma once
// Records the message boxes a loaded DLL shows, without any hook inside it: the DLL's import of
// user32!MessageBoxW is pointed at a recorder that answers as the user of the simulated Outlook
// would, OK when there is none.

#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "sim/outlook.h"

namespace fenmark::wintest {

// A box as the simulated Outlook records it, and whether its owner was the active window.
struct MessageBoxRecord : sim::MessageBoxRecord {
  bool owner_is_active_window;
};

inline std::vector<MessageBoxRecord>& RecordedBoxes() {
  static std::vector<MessageBoxRecord> boxes;
  return boxes;
}

// The simulated Outlook whose user answers the boxes, and may act while one is up.
inline sim::Outlook*& BoxAnswerer() {
  static sim::Outlook* outlook = nullptr;
  return outlook;
}

inline int WINAPI RecordMessageBox(HWND owner, LPCWSTR text, LPCWSTR caption, UINT style) {
  const std::wstring title = caption ? caption : L"";
  RecordedBoxes().push_back(
      {{text ? text : L"", static_cast<int>(style), title, title != L"Fenmark"},
       owner == GetActiveWindow()});
  // A copy: the user may act while the box is up, and so record another.
  const sim::MessageBoxRecord box = RecordedBoxes().back();
  return BoxAnswerer() ? BoxAnswerer()->AnswerMessageBox(box) : IDOK;
}

// Points `module`'s import of `function` from `dll` at `replacement`; false if it has none.
inline bool PatchImport(HMODULE module, const char* dll, const char* function, void* replacement) {
  auto* base = reinterpret_cast<BYTE*>(module);
  auto* dos = reinterpret_cast<IMAGE_DOS_HEADER*>(base);
  auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
  const auto& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  if (dir.VirtualAddress == 0) return false;
  for (auto* imp = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + dir.VirtualAddress); imp->Name;
       ++imp) {
    if (_stricmp(reinterpret_cast<const char*>(base + imp->Name), dll) != 0) continue;
    auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(
        base + (imp->OriginalFirstThunk ? imp->OriginalFirstThunk : imp->FirstThunk));
    auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + imp->FirstThunk);
    for (; names->u1.AddressOfData; ++names, ++slots) {
      if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
      auto* by_name = reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
      if (std::strcmp(reinterpret_cast<const char*>(by_name->Name), function) != 0) continue;
      DWORD old = 0;
      if (!VirtualProtect(&slots->u1.Function, sizeof slots->u1.Function, PAGE_READWRITE, &old))
        return false;
      slots->u1.Function = reinterpret_cast<ULONG_PTR>(replacement);
      VirtualProtect(&slots->u1.Function, sizeof slots->u1.Function, old, &old);
      return true;
    }
  }
  return false;
}

}  // namespace fenmark::wintest
