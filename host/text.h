#pragma once
// The words a linked task's status is kept in, and the comparison every text of the add-in goes
// through: Outlook and Office ignore letter case in names, ids and stored words, so the add-in
// does too.

#include <cwctype>
#include <string_view>

namespace fenmark::host {

inline constexpr std::wstring_view kStarted = L"Started";
inline constexpr std::wstring_view kStopped = L"Stopped";
inline constexpr std::wstring_view kComplete = L"Complete";
// What the surfaces are told of a complete task whose work is recorded as started (the user
// completed it in Outlook's own window): it can still be stopped. Callers of GetTaskStatus see
// "Complete".
inline constexpr std::wstring_view kCompleteButStarted = L"Complete, started";
// The status of a linked task that its entry ID no longer finds (moved or deleted): only Open is
// offered, which looks for it. A control character, so no stored status can read the same.
inline constexpr std::wstring_view kTaskNotFound = L"\x01NotFound";

// <0, 0 or >0, as the texts sort without regard to letter case.
inline int CompareNoCase(std::wstring_view a, std::wstring_view b) noexcept {
  for (std::size_t i = 0; i < a.size() && i < b.size(); ++i) {
    const auto x = std::towlower(static_cast<std::wint_t>(a[i]));
    const auto y = std::towlower(static_cast<std::wint_t>(b[i]));
    if (x != y) return x < y ? -1 : 1;
  }
  return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

inline bool SameText(std::wstring_view a, std::wstring_view b) noexcept {
  return a.size() == b.size() && CompareNoCase(a, b) == 0;
}

}  // namespace fenmark::host
