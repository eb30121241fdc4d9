// The simulated Windows platform: Windows-style paths, message boxes, the clock and the DLL's
// resources. The file calls are in file_entries.cpp.

#include <algorithm>
#include <cstdio>
#include <cwctype>
#include <string_view>

#include "sim/core.h"
#include "sim/facts.h"
#include "sim/platform_impl.h"
#include "ui/embedded_markup.h"

namespace fenmark::sim::detail {
namespace {

// A name Windows opens as a device: its part before the first dot, less trailing blanks.
bool IsDevice(const std::wstring& name) {
  std::wstring stem = Upper(name.substr(0, name.find(L'.')));
  while (!stem.empty() && stem.back() == L' ') stem.pop_back();
  return std::find(std::begin(kReservedNames), std::end(kReservedNames), stem) !=
         std::end(kReservedNames);
}

bool Leap(int year) {
  return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}
int DaysIn(int year, int month) {
  static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && Leap(year) ? 29 : kDays[(month - 1 + 12) % 12];
}

}  // namespace

host::DateTime AddSeconds(host::DateTime t, long seconds) {
  long total = t.second + seconds;
  long carry = total >= 0 ? total / 60 : (total - 59) / 60;
  t.second = static_cast<int>(total - carry * 60);
  total = t.minute + carry;
  carry = total >= 0 ? total / 60 : (total - 59) / 60;
  t.minute = static_cast<int>(total - carry * 60);
  total = t.hour + carry;
  carry = total >= 0 ? total / 24 : (total - 23) / 24;
  t.hour = static_cast<int>(total - carry * 24);
  long days = carry;
  while (days > 0) {
    if (++t.day > DaysIn(t.year, t.month)) {
      t.day = 1;
      if (++t.month > 12) {
        t.month = 1;
        ++t.year;
      }
    }
    --days;
  }
  while (days < 0) {
    if (--t.day < 1) {
      if (--t.month < 1) {
        t.month = 12;
        --t.year;
      }
      t.day = DaysIn(t.year, t.month);
    }
    ++days;
  }
  return t;
}

// ---------------- paths ----------------

std::wstring Core::Key(const std::wstring& path) {
  return Lower(Named(path));
}

std::wstring Core::Named(const std::wstring& path) {
  std::wstring named = path;
  std::replace(named.begin(), named.end(), L'/', L'\\');
  // Windows drops the trailing dots and blanks of a name.
  while (named.size() > 3 &&
         (named.back() == L'\\' || named.back() == L'.' || named.back() == L' '))
    named.pop_back();
  return named;
}

std::wstring Core::Parent(const std::wstring& path) {
  std::wstring p = path;
  std::replace(p.begin(), p.end(), L'/', L'\\');
  auto slash = p.find_last_of(L'\\');
  return slash == std::wstring::npos ? std::wstring() : p.substr(0, slash);
}

void Core::MakeDirs(const std::wstring& path) {
  std::wstring named = Named(path);
  while (named.size() >= 2) {
    dirs.emplace(Key(named), named);
    auto slash = named.find_last_of(L'\\');
    if (slash == std::wstring::npos) break;
    named = named.substr(0, slash);
  }
}

namespace {
// Where wchar_t holds a character beyond the BMP whole, Windows counts two units for it.
template <std::size_t kWidth = sizeof(wchar_t)>
std::size_t Utf16Units(const std::wstring& text) {
  if constexpr (kWidth == 2)
    return text.size();
  else
    return text.size() + static_cast<std::size_t>(std::count_if(
                             text.begin(), text.end(), [](wchar_t c) { return c > 0xFFFF; }));
}
}  // namespace

bool Core::FitsMaxPath(const std::wstring& path) {
  return Utf16Units(path) <= kMaxPath;
}

void Core::CheckFilePath(const std::wstring& path, std::int32_t path_not_found,
                         const std::wstring& path_not_found_text, std::int32_t bad_name,
                         const std::wstring& bad_name_text) const {
  bool absolute = path.size() >= 3 && path[1] == L':' && (path[2] == L'\\' || path[2] == L'/');
  if (!absolute || !FitsMaxPath(path)) throw host::Failure(path_not_found, path_not_found_text);
  std::wstring parent = Parent(path);
  std::wstring name = path.substr(parent.size() + 1);
  if (name.empty() || name.find_first_of(kRefusedCharacters) != std::wstring::npos ||
      std::any_of(name.begin(), name.end(), [](wchar_t c) { return c < 32; }) || IsDevice(name))
    throw host::Failure(bad_name, bad_name_text);
  if (!dirs.count(Key(parent))) throw host::Failure(path_not_found, path_not_found_text);
}

// ---------------- the platform ----------------

void PlatformImpl::Enter(const wchar_t* member, std::wstring arguments) {
  core_.gate.Pass({L"Platform", member, std::move(arguments), L"", false});
}

int PlatformImpl::MsgBox(const std::wstring& text, int style,
                         const std::optional<std::wstring>& title) {
  Enter(L"MsgBox", Quote(text) + L", " + std::to_wstring(style) +
                       (title ? L", " + Quote(*title) : std::wstring()));
  MessageBoxRecord record{text, style, title.value_or(L"Fenmark"), title.has_value()};
  core_.message_boxes.push_back(record);
  return core_.Answer(record);
}

host::ClockReading PlatformImpl::ReadClock() {
  Enter(L"ReadClock");
  const host::DateTime now = core_.now;
  core_.now = AddSeconds(core_.now, core_.clock_step);
  return {now, AddSeconds(now, -60L * core_.utc_offset_minutes)};
}

host::DateTime PlatformImpl::LocalTime(const host::DateTime& utc) {
  Enter(L"LocalTime");
  return AddSeconds(utc, 60L * core_.utc_offset_minutes);
}

std::wstring PlatformImpl::DateSeparator() {
  Enter(L"DateSeparator");
  return core_.date_separator;
}

std::wstring PlatformImpl::TimeSeparator() {
  Enter(L"TimeSeparator");
  return core_.time_separator;
}

std::wstring PlatformImpl::ShortDatePattern() {
  Enter(L"ShortDatePattern");
  return core_.short_date_pattern;
}

std::optional<std::vector<std::uint8_t>> PlatformImpl::ResourceBytes(const std::wstring& name,
                                                                     const std::wstring& type) {
  Enter(L"ResourceBytes", Quote(name) + L", " + Quote(type));
  auto it = core_.resources.find(Upper(name) + L"|" + Upper(type));
  if (it != core_.resources.end()) return it->second;
  if (Upper(type) == L"CUSTOM") return ui::EmbeddedMarkup(name);
  return std::nullopt;
}

std::wstring PlatformImpl::TempPath() {
  Enter(L"TempPath");
  return core_.temp_folder + L"\\";
}

std::optional<std::wstring> PlatformImpl::DecodeText(const std::vector<std::uint8_t>& bytes,
                                                     const std::wstring& charset) {
  Enter(L"DecodeText", Quote(charset));
  if (!core_.charsets) return std::nullopt;
  return core_.charsets(bytes, charset);
}

// Not logged: the cursor is the user's to see, not a call on Outlook.
void PlatformImpl::BeginWaitCursor() {
  ++core_.wait_cursor;
}

void PlatformImpl::EndWaitCursor() {
  --core_.wait_cursor;
}

void PlatformImpl::Wait(int milliseconds) {
  Enter(L"Wait", std::to_wstring(milliseconds));
  core_.milliseconds += static_cast<std::uint64_t>(std::max(milliseconds, 0));
}

}  // namespace fenmark::sim::detail
