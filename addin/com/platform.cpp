#include "addin/com/platform.h"

#include <windows.h>

#include "addin/com/errors.h"
#include "addin/com/module.h"

namespace fenmark::com {
namespace {

std::wstring LocaleText(LCTYPE type) {
  wchar_t buffer[80] = {};  // LOCALE_SSHORTDATE's limit
  const int n = GetLocaleInfoW(LOCALE_USER_DEFAULT, type, buffer, 80);
  if (n <= 0) ThrowLastError();
  return std::wstring(buffer, n - 1);
}

}  // namespace

int WindowsPlatform::MsgBox(const std::wstring& text, int style,
                            const std::optional<std::wstring>& title) {
  return MessageBoxW(GetActiveWindow(), text.c_str(), title ? title->c_str() : L"Fenmark",
                     static_cast<UINT>(style));
}

std::uint64_t WindowsPlatform::Milliseconds() {
  return GetTickCount64();
}

host::ClockReading WindowsPlatform::ReadClock() {
  SYSTEMTIME utc, local;
  GetSystemTime(&utc);
  // Converted from the one reading, with the rule of that date, not of today.
  if (!SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local)) GetLocalTime(&local);
  auto date_time = [](const SYSTEMTIME& t) {
    return host::DateTime{t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond};
  };
  return {date_time(local), date_time(utc)};
}

std::wstring WindowsPlatform::DateSeparator() {
  return LocaleText(LOCALE_SDATE);
}
std::wstring WindowsPlatform::TimeSeparator() {
  return LocaleText(LOCALE_STIME);
}
std::wstring WindowsPlatform::ShortDatePattern() {
  return LocaleText(LOCALE_SSHORTDATE);
}

std::optional<std::vector<std::uint8_t>> WindowsPlatform::ResourceBytes(const std::wstring& name,
                                                                        const std::wstring& type) {
  const HMODULE module = ModuleHandle();
  HRSRC found = FindResourceW(module, name.c_str(), type.c_str());
  if (!found) return std::nullopt;
  HGLOBAL loaded = LoadResource(module, found);
  const DWORD size = SizeofResource(module, found);
  const auto* bytes = loaded ? static_cast<const std::uint8_t*>(LockResource(loaded)) : nullptr;
  if (!bytes) ThrowLastError();
  return std::vector<std::uint8_t>(bytes, bytes + size);
}

std::wstring WindowsPlatform::TempPath() {
  std::wstring path(MAX_PATH + 1, L'\0');
  for (;;) {
    const DWORD n = GetTempPathW(static_cast<DWORD>(path.size()), path.data());
    if (n == 0) ThrowLastError();
    if (n < path.size()) {
      path.resize(n);
      return path;
    }
    path.resize(n + 1);
  }
}

void WindowsPlatform::MakeFolder(const std::wstring& path) {
  if (!CreateDirectoryW(path.c_str(), nullptr)) ThrowLastError();
}

void WindowsPlatform::RemoveFile(const std::wstring& path) {
  if (DeleteFileW(path.c_str())) return;
  const DWORD error = GetLastError();
  // A read-only file goes too, as it went with the scripting runtime's forced removal.
  const DWORD attributes = GetFileAttributesW(path.c_str());
  if (error == ERROR_ACCESS_DENIED && attributes != INVALID_FILE_ATTRIBUTES &&
      (attributes & FILE_ATTRIBUTE_READONLY) &&
      SetFileAttributesW(path.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY) &&
      DeleteFileW(path.c_str()))
    return;
  ThrowFailure(HRESULT_FROM_WIN32(error));
}

void WindowsPlatform::RemoveFolder(const std::wstring& path) {
  if (!RemoveDirectoryW(path.c_str())) ThrowLastError();
}

std::vector<host::FolderEntry> WindowsPlatform::FolderEntries(const std::wstring& folder,
                                                              const std::wstring& pattern) {
  std::vector<host::FolderEntry> entries;
  WIN32_FIND_DATAW found;
  const std::wstring query = folder + L"\\" + pattern;
  HANDLE search = FindFirstFileW(query.c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) {
    if (GetLastError() == ERROR_FILE_NOT_FOUND) return entries;
    ThrowLastError();
  }
  DWORD error = ERROR_NO_MORE_FILES;
  try {
    for (;;) {
      const std::wstring name = found.cFileName;
      if (name != L"." && name != L"..")
        entries.push_back({name, (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0,
                           (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0});
      if (!FindNextFileW(search, &found)) {
        error = GetLastError();
        break;
      }
    }
  } catch (...) {
    FindClose(search);
    throw;
  }
  FindClose(search);
  if (error != ERROR_NO_MORE_FILES) ThrowFailure(HRESULT_FROM_WIN32(error));
  return entries;
}

void WindowsPlatform::Wait(int milliseconds) {
  Sleep(static_cast<DWORD>(milliseconds > 0 ? milliseconds : 0));
}

}  // namespace fenmark::com
