#include "addin/com/platform.h"

#include <windows.h>

#include <limits>

#include "addin/com/adapters.h"
#include "addin/com/errors.h"
#include "addin/com/module.h"

namespace fenmark::com {
namespace {

class FileHandle {
 public:
  explicit FileHandle(HANDLE h) : h_(h) {
    if (h_ == INVALID_HANDLE_VALUE) ThrowLastError();
  }
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;
  ~FileHandle() { CloseHandle(h_); }
  HANDLE get() const noexcept { return h_; }

 private:
  HANDLE h_;
};

std::wstring LocaleText(LCTYPE type) {
  wchar_t buffer[80] = {};  // LOCALE_SSHORTDATE's limit
  const int n = GetLocaleInfoW(LOCALE_USER_DEFAULT, type, buffer, 80);
  if (n <= 0) ThrowLastError();
  return std::wstring(buffer, n - 1);
}

}  // namespace

std::shared_ptr<host::FileSystem> WindowsPlatform::CreateFileSystemObject() {
  CLSID clsid;
  Check(CLSIDFromProgID(L"Scripting.FileSystemObject", &clsid));
  com_ptr<IDispatch> object;
  Check(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER, IID_IDispatch,
                         object.put_void()));
  return Wrap<host::FileSystem>(std::move(object));
}

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

void WindowsPlatform::WriteFile(const std::wstring& path, const std::vector<std::uint8_t>& bytes) {
  if (bytes.size() > std::numeric_limits<DWORD>::max()) throw host::errors::Overflow();
  FileHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
  DWORD written = 0;
  if (!::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr))
    ThrowLastError();
  if (written != bytes.size()) ThrowFailure(HRESULT_FROM_WIN32(ERROR_WRITE_FAULT));
}

std::vector<std::uint8_t> WindowsPlatform::ReadFile(const std::wstring& path) {
  FileHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
  std::vector<std::uint8_t> bytes;
  std::uint8_t chunk[4096];
  for (;;) {
    DWORD read = 0;
    if (!::ReadFile(file.get(), chunk, sizeof chunk, &read, nullptr)) ThrowLastError();
    if (read == 0) return bytes;
    bytes.insert(bytes.end(), chunk, chunk + read);
  }
}

void WindowsPlatform::RemoveFile(const std::wstring& path) {
  if (!DeleteFileW(path.c_str())) ThrowLastError();
}

}  // namespace fenmark::com
