#include "addin/com/platform.h"

#include <aclapi.h>
#include <sddl.h>
#include <windows.h>

#include "addin/com/charsets.h"
#include "addin/com/errors.h"
#include "addin/com/module.h"
#include "addin/com/unique_any.h"

// The system's random generator (advapi32's SystemFunction036), which every Windows has.
extern "C" BOOLEAN WINAPI SystemFunction036(PVOID buffer, ULONG length);

namespace fenmark::com {
namespace {

// A saved page larger than this is not read into memory: it is pasted as plain text instead.
constexpr LONGLONG kMaxPageBytes = 256LL * 1024 * 1024;

BOOLEAN RtlGenRandom(void* buffer, ULONG length) {
  return SystemFunction036(buffer, length);
}

host::FileIdentity IdentityOf(const BY_HANDLE_FILE_INFORMATION& information) {
  return {
      information.dwVolumeSerialNumber,
      (static_cast<std::uint64_t>(information.nFileIndexHigh) << 32) | information.nFileIndexLow};
}

// The user the add-in runs as, and the owner Windows gives what that user makes (an elevated
// administrator's files belong to Administrators).
struct UserSids {
  std::vector<BYTE> user, owner;
};

std::vector<BYTE> TokenPart(HANDLE token, TOKEN_INFORMATION_CLASS part) {
  DWORD size = 0;
  GetTokenInformation(token, part, nullptr, 0, &size);
  std::vector<BYTE> buffer(size);
  if (size == 0 || !GetTokenInformation(token, part, buffer.data(), size, &size)) return {};
  PSID sid = part == TokenUser ? reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid
                               : reinterpret_cast<TOKEN_OWNER*>(buffer.data())->Owner;
  const DWORD length = GetLengthSid(sid);
  const auto* start = static_cast<const BYTE*>(sid);
  return {start, start + length};
}

UserSids CurrentUser() {
  unique_handle token;
  if (!OpenThreadToken(GetCurrentThread(), TOKEN_QUERY, TRUE, token.put()) &&
      !OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.put()))
    return {};
  return {TokenPart(token.get(), TokenUser), TokenPart(token.get(), TokenOwner)};
}

// Whether the entry is the user's; nothing where the file system keeps no owner (FAT, some
// network shares).
std::optional<bool> OwnedByUser(HANDLE handle) {
  PSID owner = nullptr;
  unique_local<void> descriptor;
  if (GetSecurityInfo(handle, SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION, &owner, nullptr, nullptr,
                      nullptr, descriptor.put()) != ERROR_SUCCESS ||
      !owner)
    return std::nullopt;
  const UserSids user = CurrentUser();
  for (const auto* sid : {&user.user, &user.owner})
    if (!sid->empty() && EqualSid(owner, const_cast<BYTE*>(sid->data()))) return true;
  return false;
}

// Full control for the current user, nothing inherited from the folder above; empty where it
// cannot be made, and the folder then takes its parent's.
unique_local<void> PrivateDescriptor() {
  unique_local<void> descriptor;
  const UserSids user = CurrentUser();
  if (user.user.empty()) return descriptor;
  unique_local<wchar_t> sid_text;
  if (!ConvertSidToStringSidW(const_cast<BYTE*>(user.user.data()), sid_text.put())) return {};
  const std::wstring sddl = std::wstring(L"D:P(A;OICI;FA;;;") + sid_text.get() + L")";
  ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl.c_str(), SDDL_REVISION_1,
                                                       descriptor.put(), nullptr);
  return descriptor;
}

// A file or folder held by its handle, opened as itself (a link as the link), denying deletion to
// everyone else; its removal goes through the same handle, so it can reach nothing else.
class WindowsHeldEntry final : public host::HeldEntry {
 public:
  explicit WindowsHeldEntry(unique_file handle) : handle_(std::move(handle)) {}
  HANDLE Handle() const noexcept { return handle_.get(); }

  host::EntryFacts Facts() override {
    BY_HANDLE_FILE_INFORMATION information;
    if (!GetFileInformationByHandle(handle_.get(), &information)) ThrowLastError();
    host::EntryFacts facts;
    facts.identity = IdentityOf(information);
    facts.folder = (information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    facts.link = (information.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    // Where no owner is kept, nothing is provably the user's.
    facts.users_own = OwnedByUser(handle_.get()).value_or(false);
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    const auto ticks = [](const FILETIME& t) {
      return (static_cast<std::uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
    };
    const std::uint64_t made = ticks(information.ftCreationTime), current = ticks(now);
    facts.age_seconds = current > made ? (current - made) / 10000000 : 0;
    return facts;
  }

  std::vector<host::FolderEntry> Entries() override {
    std::vector<host::FolderEntry> entries;
    alignas(8) unsigned char buffer[16 * 1024];
    for (auto kind = FileIdBothDirectoryRestartInfo;; kind = FileIdBothDirectoryInfo) {
      if (!GetFileInformationByHandleEx(handle_.get(), kind, buffer, sizeof buffer)) {
        if (GetLastError() == ERROR_NO_MORE_FILES) return entries;
        ThrowLastError();
      }
      for (std::size_t offset = 0;;) {
        const auto* entry = reinterpret_cast<const FILE_ID_BOTH_DIR_INFO*>(buffer + offset);
        const std::wstring name(entry->FileName, entry->FileNameLength / sizeof(wchar_t));
        if (name != L"." && name != L"..")
          entries.push_back({name, (entry->FileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0});
        if (entry->NextEntryOffset == 0) break;
        offset += entry->NextEntryOffset;
      }
    }
  }

  void Remove() override {
    FILE_DISPOSITION_INFO disposition{TRUE};
    if (SetFileInformationByHandle(handle_.get(), FileDispositionInfo, &disposition,
                                   sizeof disposition))
      return;
    const DWORD error = GetLastError();
    // A read-only file goes too, as it went with the scripting runtime's forced removal.
    FILE_BASIC_INFO basic{};
    if (error == ERROR_ACCESS_DENIED &&
        GetFileInformationByHandleEx(handle_.get(), FileBasicInfo, &basic, sizeof basic) &&
        (basic.FileAttributes & FILE_ATTRIBUTE_READONLY)) {
      basic.FileAttributes &= ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY);
      if (basic.FileAttributes == 0) basic.FileAttributes = FILE_ATTRIBUTE_NORMAL;
      if (SetFileInformationByHandle(handle_.get(), FileBasicInfo, &basic, sizeof basic) &&
          SetFileInformationByHandle(handle_.get(), FileDispositionInfo, &disposition,
                                     sizeof disposition))
        return;
    }
    ThrowFailure(HRESULT_FROM_WIN32(error));
  }

 private:
  unique_file handle_;
};

std::unique_ptr<WindowsHeldEntry> HoldEntry(const std::wstring& path,
                                            DWORD disposition = OPEN_EXISTING) {
  unique_file handle(CreateFileW(
      path.c_str(),
      DELETE | READ_CONTROL | FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES |
          SYNCHRONIZE,
      FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, disposition,
      FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT | FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!handle) ThrowLastError();
  return std::make_unique<WindowsHeldEntry>(std::move(handle));
}

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

namespace {
host::DateTime DateTimeOf(const SYSTEMTIME& t) {
  return host::DateTime{t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond};
}
}  // namespace

host::ClockReading WindowsPlatform::ReadClock() {
  SYSTEMTIME utc, local;
  GetSystemTime(&utc);
  // Converted from the one reading, with the rule of that date, not of today.
  if (!SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local)) GetLocalTime(&local);
  return {DateTimeOf(local), DateTimeOf(utc)};
}

host::DateTime WindowsPlatform::LocalTime(const host::DateTime& utc) {
  auto word = [](int value) { return static_cast<WORD>(value); };
  const SYSTEMTIME from{word(utc.year),   word(utc.month),  0, word(utc.day), word(utc.hour),
                        word(utc.minute), word(utc.second), 0};
  SYSTEMTIME local{};
  if (!SystemTimeToTzSpecificLocalTime(nullptr, &from, &local)) ThrowLastError();
  return DateTimeOf(local);
}

static_assert(host::kMbYesNoCancel == MB_YESNOCANCEL && host::kMbIconQuestion == MB_ICONQUESTION &&
              host::kMbDefButton2 == MB_DEFBUTTON2 && host::kIdYes == IDYES &&
              host::kIdNo == IDNO && host::kIdCancel == IDCANCEL);

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

std::uint64_t WindowsPlatform::RandomBits() {
  std::uint64_t bits = 0;
  if (!RtlGenRandom(&bits, sizeof bits)) ThrowFailure(E_FAIL);
  return bits;
}

std::unique_ptr<host::HeldEntry> WindowsPlatform::MakeOwnFolder(const std::wstring& path) {
  // For the current user alone, not what the folder it sits in grants: a shared temporary folder
  // lets everyone read what its folders hold.
  const auto descriptor = PrivateDescriptor();
  SECURITY_ATTRIBUTES attributes{sizeof attributes, descriptor.get(), FALSE};
  if (!CreateDirectoryW(path.c_str(), descriptor ? &attributes : nullptr)) ThrowLastError();
  auto held = HoldEntry(path);
  // Between making and opening, someone may have put something else there: not ours to use.
  const host::EntryFacts facts = held->Facts();
  if (!facts.folder || facts.link || OwnedByUser(held->Handle()) == false)
    ThrowFailure(E_ACCESSDENIED);
  return held;
}

std::unique_ptr<host::HeldEntry> WindowsPlatform::MakeHeldFile(const std::wstring& path) {
  return HoldEntry(path, CREATE_NEW);
}

std::unique_ptr<host::HeldEntry> WindowsPlatform::OpenEntry(const std::wstring& path) {
  return HoldEntry(path);
}

host::FileIdentity WindowsPlatform::IdentityAt(const std::wstring& path) {
  const unique_file file(CreateFileW(
      path.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  if (!file) return {};
  BY_HANDLE_FILE_INFORMATION information;
  if (!GetFileInformationByHandle(file.get(), &information)) return {};
  return IdentityOf(information);
}

std::vector<host::FolderEntry> WindowsPlatform::FolderEntries(const std::wstring& folder,
                                                              const std::wstring& pattern) {
  std::vector<host::FolderEntry> entries;
  WIN32_FIND_DATAW found;
  const std::wstring query = folder + L"\\" + pattern;
  const unique_find search(FindFirstFileW(query.c_str(), &found));
  if (!search) {
    if (GetLastError() == ERROR_FILE_NOT_FOUND) return entries;
    ThrowLastError();
  }
  for (;;) {
    const std::wstring name = found.cFileName;
    if (name != L"." && name != L"..")
      entries.push_back({name, (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0});
    if (!FindNextFileW(search.get(), &found)) break;
  }
  if (GetLastError() != ERROR_NO_MORE_FILES) ThrowLastError();
  return entries;
}

std::vector<std::uint8_t> WindowsPlatform::ReadBytes(const std::wstring& path) {
  const unique_file file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                     OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) ThrowLastError();
  LARGE_INTEGER size;
  if (!GetFileSizeEx(file.get(), &size)) ThrowLastError();
  if (size.QuadPart > kMaxPageBytes) ThrowFailure(E_OUTOFMEMORY);
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size.QuadPart));
  DWORD read = 0;
  if (!bytes.empty() &&
      (!ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr)))
    ThrowLastError();
  bytes.resize(read);
  return bytes;
}

void WindowsPlatform::WriteBytes(const std::wstring& path, const std::vector<std::uint8_t>& bytes) {
  const unique_file file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                     FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) ThrowLastError();
  DWORD written = 0;
  if (!bytes.empty() &&
      (!WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
       written != bytes.size()))
    ThrowLastError();
}

std::optional<std::wstring> WindowsPlatform::DecodeText(const std::vector<std::uint8_t>& bytes,
                                                        const std::wstring& charset) {
  return Decode(bytes, charset);
}

void WindowsPlatform::Wait(int milliseconds) {
  Sleep(static_cast<DWORD>(milliseconds > 0 ? milliseconds : 0));
}

}  // namespace fenmark::com

namespace fenmark::com {

// Outlook's thread runs no message loop while the add-in searches, so the cursor stays as set.
void WindowsPlatform::BeginWaitCursor() {
  before_wait_ = SetCursor(LoadCursorW(nullptr, IDC_WAIT));
}

void WindowsPlatform::EndWaitCursor() {
  SetCursor(static_cast<HCURSOR>(before_wait_));
  before_wait_ = nullptr;
}

}  // namespace fenmark::com
