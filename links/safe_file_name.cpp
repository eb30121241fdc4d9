#include "links/safe_file_name.h"

#include <algorithm>
#include <array>

namespace fenmark::links {

namespace {

wchar_t Upper(wchar_t c) {
  return c >= L'a' && c <= L'z' ? static_cast<wchar_t>(c - L'a' + L'A') : c;
}

bool SameLetters(std::wstring_view a, std::wstring_view b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(),
                    [](wchar_t x, wchar_t y) { return Upper(x) == Upper(y); });
}

bool RefusedCharacter(wchar_t c) {
  return c < 32 || std::wstring_view(L"<>:\"/\\|?*").find(c) != std::wstring_view::npos;
}

bool TrailingTrimmed(wchar_t c) {
  return c == L'.' || c == L' ';
}

// The part of a name that Windows compares with the device names: up to its first dot, without the
// blanks before it.
std::wstring_view DeviceStem(std::wstring_view name) {
  name = name.substr(0, name.find(L'.'));
  while (!name.empty() && name.back() == L' ') name.remove_suffix(1);
  return name;
}

}  // namespace

bool IsDeviceName(std::wstring_view name) {
  const std::wstring_view stem = DeviceStem(name);
  static constexpr std::array<std::wstring_view, 6> kPlain = {L"CON", L"PRN",    L"AUX",
                                                              L"NUL", L"CONIN$", L"CONOUT$"};
  for (const auto device : kPlain) {
    if (SameLetters(stem, device)) return true;
  }
  // COM1-9 and LPT1-9; Windows counts the superscript digits one to three as digits too.
  if (stem.size() != 4) return false;
  const wchar_t digit = stem[3];
  const bool numbered =
      (digit >= L'1' && digit <= L'9') || digit == 0xB9 || digit == 0xB2 || digit == 0xB3;
  return numbered &&
         (SameLetters(stem.substr(0, 3), L"COM") || SameLetters(stem.substr(0, 3), L"LPT"));
}

std::wstring SafeFileName(std::wstring_view folder, std::wstring_view name,
                          std::wstring_view extension) {
  std::wstring stem;
  std::copy_if(name.begin(), name.end(), std::back_inserter(stem),
               [](wchar_t c) { return !RefusedCharacter(c); });

  const std::size_t fixed = folder.size() + extension.size();
  std::size_t room = fixed < kMaxPathLength ? kMaxPathLength - fixed : 0;
  room = std::min(room, kMaxNameLength > extension.size() ? kMaxNameLength - extension.size() : 0);

  // Cutting can leave trailing dots or blanks or make a device name of a longer one, and marking
  // a device can need a cut: settle both until nothing changes.
  for (;;) {
    if (stem.size() > room) {
      stem.resize(room);
      // Never half a surrogate pair.
      if (!stem.empty() && stem.back() >= 0xD800 && stem.back() <= 0xDBFF) stem.pop_back();
    }
    while (!stem.empty() && TrailingTrimmed(stem.back())) stem.pop_back();
    if (!IsDeviceName(stem + std::wstring(extension))) break;
    // "CON" becomes "CON_", keeping the subject's start; with no room for that, "CO_".
    const std::size_t mark = DeviceStem(stem).size();
    if (mark < room) {
      stem.insert(mark, 1, L'_');
    } else if (mark > 0) {
      stem.resize(mark - 1);
      stem.push_back(L'_');
    } else {
      break;  // only an extension of no use to anyone names a device
    }
  }
  return stem + std::wstring(extension);
}

}  // namespace fenmark::links
